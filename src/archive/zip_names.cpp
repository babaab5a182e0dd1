// Entry names: UTF-8 decoding and the rules that keep a name inside the target folder.

#include <algorithm>
#include <array>

#include "archive/zip_archive.h"

namespace lyrovox {

namespace {

bool IsSeparator(char16_t c) {
  return c == u'/' || c == u'\\';
}

// Drive prefixes, leading separators and the first "\..\"-like group, over and over.
void DropClimbingPrefixes(std::u16string& s) {
  static constexpr std::array<std::u16string_view, 4> kGroups = {u"\\..\\", u"\\../", u"/../",
                                                                 u"/..\\"};
  for (;;) {
    if (s.size() >= 2 && s[1] == u':') {
      s.erase(0, 2);
      continue;
    }
    if (!s.empty() && IsSeparator(s[0])) {
      s.erase(0, 1);
      continue;
    }
    size_t first = std::u16string::npos;
    for (std::u16string_view group : kGroups)
      first = std::min(first, s.find(group));
    if (first == std::u16string::npos) return;
    s.erase(0, first + 4);
  }
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace

std::u16string MakeSafeEntryName(std::u16string_view stored) {
  std::u16string s(stored);
  DropClimbingPrefixes(s);
  // Whatever is left may still hold ".." components ("../x", "a/.."): none of them may climb.
  std::u16string safe;
  size_t start = 0;
  while (start <= s.size()) {
    size_t end = start;
    while (end < s.size() && !IsSeparator(s[end]))
      ++end;
    const std::u16string_view part = std::u16string_view(s).substr(start, end - start);
    if (!part.empty() && part != u"." && part != u"..") {
      if (!safe.empty()) safe.push_back(u'/');
      safe += part;
    }
    start = end + 1;
  }
  return safe;
}

std::u16string Utf16FromUtf8(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<uint8_t>(text[i]);
    int extra = 0;
    char32_t c = 0;
    char32_t min = 0;
    if (b < 0x80) {
      c = b;
    } else if (b >= 0xC2 && b <= 0xDF) {
      extra = 1, c = b & 0x1F, min = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
      extra = 2, c = b & 0x0F, min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
      extra = 3, c = b & 0x07, min = 0x10000;
    } else {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    size_t j = 1;
    for (; j <= static_cast<size_t>(extra); ++j) {
      if (i + j >= text.size()) break;
      const auto t = static_cast<uint8_t>(text[i + j]);
      if ((t & 0xC0) != 0x80) break;
      c = (c << 6) | (t & 0x3F);
    }
    if (j <= static_cast<size_t>(extra) || c < min || c > 0x10FFFF ||
        (c >= 0xD800 && c <= 0xDFFF)) {
      out.push_back(0xFFFD);
      i += j;
      continue;
    }
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
    i += j;
  }
  return out;
}

std::string Utf8FromUtf16(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    AppendUtf8(out, c);
  }
  return out;
}

}  // namespace lyrovox

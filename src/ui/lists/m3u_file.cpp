#include "ui/lists/m3u_file.h"

#include <algorithm>
#include <optional>

#include "archive/utf8.h"
#include "lyrics/file_bytes.h"
#include "lyrics/text_encoding.h"

namespace lyrovox::m3u {

namespace {

constexpr size_t kShortestEntry = 4;

bool StartsWith(std::span<const uint8_t> bytes, std::initializer_list<uint8_t> mark) {
  return bytes.size() >= mark.size() && std::equal(mark.begin(), mark.end(), bytes.begin());
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::span<const uint8_t> s) {
  size_t i = 0;
  while (i < s.size()) {
    const uint8_t b = s[i];
    if (b < 0x80) {
      ++i;
      continue;
    }
    size_t extra = 0;
    uint32_t min = 0;
    uint32_t cp = 0;
    if ((b & 0xE0) == 0xC0) {
      extra = 1, min = 0x80, cp = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
      extra = 2, min = 0x800, cp = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
      extra = 3, min = 0x10000, cp = b & 0x07;
    } else {
      return false;
    }
    if (s.size() - i <= extra) return false;
    for (size_t k = 1; k <= extra; ++k) {
      if ((s[i + k] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (s[i + k] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

std::u16string Utf16Le(std::span<const uint8_t> bytes) {
  std::u16string text(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
  return text;
}

std::u16string Windows1252(std::span<const uint8_t> bytes) {
  std::u16string text;
  CodePageDecoder decoder(1252);
  // The decoder stops at a zero byte: decode line by line-sized runs between zeros.
  size_t start = 0;
  while (start <= bytes.size()) {
    const auto zero = std::find(bytes.begin() + static_cast<std::ptrdiff_t>(start), bytes.end(), 0);
    const size_t end = static_cast<size_t>(zero - bytes.begin());
    const std::string_view run(reinterpret_cast<const char*>(bytes.data()) + start, end - start);
    std::u16string piece(run.size() + 1, u'\0');
    piece.resize(decoder.Decode(run, piece.data(), piece.size()));
    text += piece;
    if (end == bytes.size()) break;
    text += u'\n';  // a zero byte never belongs to a path
    start = end + 1;
  }
  return text;
}

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char16_t c = text[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

// "file:///a%20b.kar" as the path "/a b.kar" (percent escapes are UTF-8 bytes).
std::u16string FromFileUrl(std::u16string_view url) {
  std::u16string_view rest = url.substr(7);  // after "file://"
  if (!rest.empty() && rest.front() != u'/') {
    // Only this machine's files are paths: "file://localhost/...".
    const size_t slash = rest.find(u'/');
    if (slash == std::u16string_view::npos || !StartsWithNoCase(rest, u"localhost/")) return {};
    rest = rest.substr(slash);
  }
  std::string utf8;
  size_t run = 0;  // start of the characters since the last escape
  for (size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == u'%' && i + 2 < rest.size() && HexValue(rest[i + 1]) >= 0 &&
        HexValue(rest[i + 2]) >= 0) {
      // Whole runs, so that a surrogate pair is converted as one character.
      utf8 += Utf8FromUtf16(rest.substr(run, i - run));
      utf8 += static_cast<char>(HexValue(rest[i + 1]) * 16 + HexValue(rest[i + 2]));
      i += 2;
      run = i + 1;
    }
  }
  utf8 += Utf8FromUtf16(rest.substr(std::min(run, rest.size())));
  return Utf16FromUtf8(utf8);
}

// A list without its mark that holds zero bytes: no 8-bit text has them, UTF-16LE has one in
// the high byte of every ASCII character.
bool LooksLikeUtf16Le(std::span<const uint8_t> bytes) {
  size_t even = 0;
  size_t odd = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == 0) ++(i % 2 == 0 ? even : odd);
  }
  return odd > 0 && odd >= even;
}

bool ReadsBackUnchanged(std::u16string_view path) {
  if (path.size() < kShortestEntry || path.front() == u'#' || StartsWithNoCase(path, u"file://"))
    return false;
  return path.find_first_of(std::u16string_view(u"\r\n\\\0", 4)) == std::u16string_view::npos;
}

// "file://" and the path, with "%", "\\" and control characters escaped (the escapes are UTF-8
// bytes; everything else stays as it is, the file being UTF-16).
std::u16string FileUrl(std::u16string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::u16string url = u"file://";
  for (const char16_t c : path) {
    if (c < 0x20 || c == u'%' || c == u'\\' || c == 0x7F) {
      url += u'%';
      url += static_cast<char16_t>(kHex[c >> 4]);
      url += static_cast<char16_t>(kHex[c & 15]);
    } else {
      url += c;
    }
  }
  return url;
}

}  // namespace

std::u16string DecodeText(std::span<const uint8_t> bytes) {
  if (StartsWith(bytes, {0xFF, 0xFE})) return Utf16Le(bytes.subspan(2));
  if (StartsWith(bytes, {0xEF, 0xBB, 0xBF}))
    return Utf16FromUtf8(
        std::string_view(reinterpret_cast<const char*>(bytes.data()) + 3, bytes.size() - 3));
  if (LooksLikeUtf16Le(bytes)) return Utf16Le(bytes);
  if (IsValidUtf8(bytes)) {
    return Utf16FromUtf8(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  }
  return Windows1252(bytes);
}

std::string EncodeUtf16Lines(const std::vector<std::u16string>& lines) {
  size_t units = 1;
  for (const std::u16string& line : lines)
    units += line.size() + 2;
  std::string out;
  out.reserve(units * 2);
  out += "\xFF\xFE";
  for (const std::u16string& line : lines) {
    for (char16_t c : line) {
      out += static_cast<char>(c & 0xFF);
      out += static_cast<char>(c >> 8);
    }
    out.append("\r\0\n\0", 4);
  }
  return out;
}

namespace {

// Each line of the text, without its line end (CR LF, LF, trailing zeros).
template <class Take>
void ForEachLine(std::u16string_view text, Take take) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(u'\n', start);
    if (end == std::u16string_view::npos) end = text.size();
    std::u16string_view line = text.substr(start, end - start);
    start = end + 1;
    while (!line.empty() && (line.back() == u'\r' || line.back() == u'\0'))
      line.remove_suffix(1);
    take(line);
  }
}

template <class Take>
void ForEachEntryLine(std::u16string_view text, Take take) {
  ForEachLine(text, [&take](std::u16string_view line) {
    if (line.size() >= kShortestEntry && line.front() != u'#') take(line);
  });
}

}  // namespace

std::vector<std::u16string> EntryLines(std::u16string_view text) {
  std::vector<std::u16string> entries;
  ForEachEntryLine(text, [&entries](std::u16string_view line) { entries.emplace_back(line); });
  return entries;
}

std::u16string ResolveEntry(std::u16string_view entry, std::u16string_view folderWithSlash) {
  std::u16string path;
  if (StartsWithNoCase(entry, u"file://")) {
    path = FromFileUrl(entry);
  } else {
    path.assign(entry);
    std::replace(path.begin(), path.end(), u'\\', u'/');
  }
  // No file of this machine has a zero in its name.
  if (path.empty() || path.find(u'\0') != std::u16string::npos) return {};
  if (path.front() == u'/') return path;
  return std::u16string(folderWithSlash) + path;
}

bool IsListText(std::u16string_view text) {
  // Some programs end their text with a terminating zero.
  while (!text.empty() && text.back() == u'\0')
    text.remove_suffix(1);
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c < 0x20 && c != u'\t' && c != u'\r' && c != u'\n') return false;
    if (c == 0x7F) return false;
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
      ++i;
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return false;
    }
  }
  return true;
}

namespace {

// The text of a list file, or nothing when it cannot be read or is not text.
bool ReadListText(const std::string& nativePath, uint64_t maxBytes, std::u16string& text) {
  FileDescriptor fd;
  uint64_t size = 0;
  if (OpenRegularFile(nativePath, fd, size) != kOk || size > maxBytes) return false;
  std::vector<uint8_t> bytes;
  if (ReadFileBytes(nativePath, bytes) != kOk || bytes.size() > maxBytes) return false;
  text = DecodeText(bytes);
  // A file that decodes to control characters in every way tried is no list (a song, a picture).
  if (!IsListText(text)) {
    text.clear();
    return false;
  }
  return true;
}

// "#NAME:value" with a name of capitals, digits and "-": the name and the value.
std::optional<std::pair<std::u16string, std::u16string>> NamedValue(std::u16string_view line) {
  const size_t colon = line.find(u':');
  if (line.size() < 2 || line.front() != u'#' || colon == std::u16string_view::npos || colon < 2)
    return std::nullopt;
  const std::u16string_view name = line.substr(1, colon - 1);
  for (char16_t c : name) {
    if (!((c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-')) return std::nullopt;
  }
  return std::pair{std::u16string(name), std::u16string(line.substr(colon + 1))};
}

// A title or value on one line: its line breaks become blanks.
std::u16string OneLine(std::u16string_view text) {
  std::u16string line(text);
  for (char16_t& c : line) {
    if (c == u'\r' || c == u'\n' || c == 0) c = u' ';
  }
  return line;
}

}  // namespace

std::vector<Entry> Entries(std::u16string_view text, std::u16string_view folderWithSlash) {
  std::vector<Entry> entries;
  Entry next;
  ForEachLine(text, [&](std::u16string_view line) {
    if (!line.empty() && line.front() == u'#') {
      auto named = NamedValue(line);
      if (!named || named->first == u"EXTM3U") return;
      if (named->first == u"EXTINF") {
        // "#EXTINF:<seconds>,<title>"
        const size_t comma = named->second.find(u',');
        next.title =
            comma == std::u16string::npos ? std::u16string() : named->second.substr(comma + 1);
      } else {
        next.values.push_back(std::move(*named));
      }
      return;
    }
    if (line.size() < kShortestEntry) return;
    next.path = ResolveEntry(line, folderWithSlash);
    if (!next.path.empty()) entries.push_back(std::move(next));
    next = Entry{};
  });
  return entries;
}

bool ReadEntryFile(const std::string& nativePath, std::vector<Entry>& entries, uint64_t maxBytes) {
  std::u16string text;
  if (!ReadListText(nativePath, maxBytes, text)) return false;
  entries = Entries(text, FolderOf(Utf16FromUtf8(nativePath)));
  return true;
}

std::string EncodeEntryFile(const std::vector<Entry>& entries) {
  std::vector<std::u16string> lines;
  lines.reserve(entries.size() * 2 + 1);
  lines.emplace_back(u"#EXTM3U");
  for (const Entry& entry : entries) {
    lines.push_back(u"#EXTINF:-1," + OneLine(entry.title));
    for (const auto& [name, value] : entry.values)
      lines.push_back(u"#" + OneLine(name) + u":" + OneLine(value));
    lines.push_back(ReadsBackUnchanged(entry.path) ? entry.path : FileUrl(entry.path));
  }
  return EncodeUtf16Lines(lines);
}

bool ReadListFile(const std::string& nativePath, const std::function<void(std::u16string&&)>& take,
                  uint64_t maxBytes) {
  std::u16string text;
  if (!ReadListText(nativePath, maxBytes, text)) return false;
  const std::u16string folder = FolderOf(Utf16FromUtf8(nativePath));
  ForEachEntryLine(text, [&](std::u16string_view entry) {
    std::u16string path = ResolveEntry(entry, folder);
    if (!path.empty()) take(std::move(path));
  });
  return true;
}

ListFile ReadListFile(const std::string& nativePath, uint64_t maxBytes) {
  ListFile list;
  list.read = ReadListFile(
      nativePath, [&list](std::u16string&& path) { list.paths.push_back(std::move(path)); },
      maxBytes);
  return list;
}

std::string EncodeListFile(const std::vector<std::u16string>& paths) {
  std::vector<std::u16string> lines;
  lines.reserve(paths.size() + 1);
  lines.emplace_back(u"#EXTM3U");
  for (const std::u16string& path : paths)
    lines.push_back(ReadsBackUnchanged(path) ? path : FileUrl(path));
  return EncodeUtf16Lines(lines);
}

std::u16string NameOfPath(std::u16string_view path) {
  const size_t slash = path.rfind(u'/');
  std::u16string_view name = slash == std::u16string_view::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind(u'.');
  if (dot != std::u16string_view::npos && dot > 0) name = name.substr(0, dot);
  return std::u16string(name);
}

std::u16string FolderOf(std::u16string_view path) {
  const size_t slash = path.rfind(u'/');
  if (slash == std::u16string_view::npos) return {};
  return std::u16string(path.substr(0, slash + 1));
}

}  // namespace lyrovox::m3u

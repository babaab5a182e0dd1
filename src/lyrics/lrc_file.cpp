#include "lyrics/lrc_file.h"

#include <initializer_list>
#include <limits>
#include <type_traits>

#include "lyrics/field_scanner.h"
#include "lyrics/file_bytes.h"

namespace lyrovox {

namespace {

int32_t ClampTime(int64_t t) {
  if (t < 0) return 0;
  if (t > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(t);
}

int32_t ClampInt32(int64_t v) {
  if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(v);
}

// The five time patterns in their order; the first whose every field is read decides. Relative
// patterns count from `last`, the time of the last stored entry (-1 before the first).
template <typename CharT>
bool ReadTimeTag(std::basic_string_view<CharT> tag, int32_t last, int64_t& ms) {
  int64_t min = 0, sec = 0, d1 = 0, d2 = 0;
  {
    FieldScanner<CharT> s(tag);  // "%d:%d.%1d%1d"
    if (s.Int(min) && s.Literal(':') && s.Int(sec) && s.Literal('.') && s.Digit(d1) &&
        s.Digit(d2)) {
      ms = (((min * 60 + sec) * 10 + d1) * 10 + d2) * 10;
      return true;
    }
  }
  {
    FieldScanner<CharT> s(tag);  // "%d:%d.%1d"
    if (s.Int(min) && s.Literal(':') && s.Int(sec) && s.Literal('.') && s.Digit(d1)) {
      ms = ((min * 60 + sec) * 10 + d1) * 100;
      return true;
    }
  }
  {
    FieldScanner<CharT> s(tag);  // "%d:%d"
    if (s.Int(min) && s.Literal(':') && s.Int(sec)) {
      ms = (min * 60 + sec) * 1000;
      return true;
    }
  }
  {
    FieldScanner<CharT> s(tag);  // "%d.%1d%1d"
    if (s.Int(sec) && s.Literal('.') && s.Digit(d1) && s.Digit(d2)) {
      ms = last + ((sec * 10 + d1) * 10 + d2) * 10;
      return true;
    }
  }
  {
    FieldScanner<CharT> s(tag);  // "%d.%1d"
    if (s.Int(sec) && s.Literal('.') && s.Digit(d1)) {
      ms = last + (sec * 10 + d1) * 100;
      return true;
    }
  }
  return false;
}

template <typename CharT>
bool IsLowerAscii(CharT c) {
  return c >= 'a' && c <= 'z';
}

template <typename CharT>
bool KeyIs(std::basic_string_view<CharT> key, std::string_view name) {
  if (key.size() != name.size()) return false;
  for (size_t i = 0; i < key.size(); ++i) {
    if (key[i] != static_cast<CharT>(name[i])) return false;
  }
  return true;
}

template <typename CharT>
std::basic_string<CharT> Heading(std::basic_string_view<CharT> value) {
  return std::basic_string<CharT>(value.substr(0, kLrcHeadingChars));
}

// The characters that end a run inside a tag (']', '>', CR) and inside a text segment (LF, '[',
// '<', CR), as bit sets over ASCII.
struct StopSet {
  uint64_t bits[2] = {};
  constexpr StopSet(std::initializer_list<char> stops) {
    for (char c : stops)
      bits[static_cast<unsigned char>(c) >> 6] |= uint64_t{1} << (c & 63);
  }
  template <typename CharT>
  constexpr bool Has(CharT c) const {
    const auto u = static_cast<std::make_unsigned_t<CharT>>(c);
    return u < 128 && (bits[u >> 6] >> (u & 63) & 1) != 0;
  }
};
constexpr StopSet kTagStops = {']', '>', '\r'};
constexpr StopSet kTextStops = {'\n', '[', '<', '\r'};

// The index of the first character at or after `from` that is in `stops` (the end when none).
template <typename CharT>
size_t RunEnd(std::basic_string_view<CharT> in, size_t from, const StopSet& stops) {
  size_t i = from;
  while (i < in.size() && !stops.Has(in[i]))
    ++i;
  return i;
}

// The three-state grammar: between items, inside a tag, inside a text segment.
template <typename CharT>
HResult Parse(std::basic_string_view<CharT> in, BasicLrcFile<CharT>& out) {
  enum class State { kBetween, kTag, kText };
  State state = State::kBetween;
  std::basic_string<CharT> tag;
  std::basic_string<CharT> text;
  int32_t current = 0;
  int32_t last = -1;
  int32_t offset = 0;
  int32_t nextBreak = 0;

  for (size_t i = 0; i < in.size(); ++i) {
    const CharT c = in[i];
    if (c == '\r') continue;
    switch (state) {
      case State::kBetween:
        if (c == ' ' || c == '\t') break;
        if (c == '[' || c == '<') {
          state = State::kTag;
          tag.clear();
        } else if (c == '\n') {
          if (nextBreak == 1) nextBreak = 2;
        } else {
          return kLrcStopped;
        }
        break;

      case State::kTag: {
        if (c != ']' && c != '>') {
          // The tag's characters up to its end or the next carriage return, at once.
          const size_t end = RunEnd(in, i, kTagStops);
          tag.append(in.data() + i, end - i);
          i = end - 1;
          break;
        }
        if (tag.empty()) return kLrcStopped;
        const std::basic_string_view<CharT> t(tag);
        const size_t colon = t.find(static_cast<CharT>(':'));
        if (t.size() >= 2 && IsLowerAscii(t[0]) && IsLowerAscii(t[1]) &&
            colon != std::basic_string_view<CharT>::npos) {
          const auto key = t.substr(0, colon);
          const auto value = t.substr(colon + 1);
          if (KeyIs(key, "ti")) {
            out.title = Heading(value);
          } else if (KeyIs(key, "ar")) {
            out.artist = Heading(value);
          } else if (KeyIs(key, "offset")) {
            int64_t v = 0;
            if (!FieldScanner<CharT>(value).Int(v)) return kLrcStopped;
            offset = ClampInt32(v);
          }
          state = State::kBetween;
          break;
        }
        int64_t ms = 0;
        if (!ReadTimeTag(t, last, ms)) return kLrcStopped;
        current = ClampTime(ms + offset);
        state = State::kText;
        text.clear();
        break;
      }

      case State::kText:
        if (c != '\n' && c != '[' && c != '<') {
          const size_t end = RunEnd(in, i, kTextStops);
          text.append(in.data() + i, end - i);
          i = end - 1;
          break;
        }
        if (text.empty()) text.push_back(' ');
        if (c == '\n') text.push_back(' ');
        out.entries.push_back({std::move(text), current, nextBreak});
        text.clear();
        last = current;
        if (c == '\n') {
          nextBreak = 1;
          state = State::kBetween;
        } else {
          nextBreak = 0;
          state = State::kTag;
          tag.clear();
        }
        break;
    }
  }
  // A text segment still open at the end is not stored.
  return kLrcParsed;
}

}  // namespace

HResult ParseLrc(std::string_view text, LrcFile& out) {
  return Parse(text, out);
}

HResult ParseLrcWide(std::u16string_view text, LrcFileWide& out) {
  return Parse(text, out);
}

HResult ParseLrcWideBytes(std::span<const uint8_t> bytes, LrcFileWide& out) {
  std::u16string units(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
  std::u16string_view view(units);
  if (!view.empty() && view[0] == 0xFEFF) view.remove_prefix(1);
  return Parse(view, out);
}

LrcFile ReadLrcFile(const std::string& path, HResult* result) {
  LrcFile file;
  std::vector<uint8_t> bytes;
  HResult r = ReadFileBytes(path, bytes);
  if (r == kOk) {
    r = ParseLrc(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), file);
  }
  if (result != nullptr) *result = r;
  return file;
}

LrcFileWide ReadLrcFileWide(const std::string& path, HResult* result) {
  LrcFileWide file;
  std::vector<uint8_t> bytes;
  HResult r = ReadFileBytes(path, bytes);
  if (r == kOk) r = ParseLrcWideBytes(bytes, file);
  if (result != nullptr) *result = r;
  return file;
}

}  // namespace lyrovox

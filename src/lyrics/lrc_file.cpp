#include "lyrics/lrc_file.h"

#include <algorithm>
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

// The value cut to kLrcHeadingChars units, backing off to the start of a character that the
// cut would split: a UTF-8 sequence when the text reads as UTF-8, a surrogate pair.
template <typename CharT>
std::basic_string<CharT> Heading(std::basic_string_view<CharT> value, bool utf8) {
  size_t n = std::min(value.size(), kLrcHeadingChars);
  if (n < value.size()) {
    if constexpr (sizeof(CharT) == 1) {
      while (utf8 && n > 0 && (static_cast<unsigned char>(value[n]) & 0xC0) == 0x80)
        --n;
    } else {
      if (value[n] >= 0xDC00 && value[n] <= 0xDFFF && value[n - 1] >= 0xD800 &&
          value[n - 1] <= 0xDBFF) {
        --n;
      }
    }
  }
  return std::basic_string<CharT>(value.substr(0, n));
}

template <typename CharT>
bool IsIdTag(std::basic_string_view<CharT> tag) {
  return tag.size() >= 2 && IsLowerAscii(tag[0]) && IsLowerAscii(tag[1]) &&
         tag.find(static_cast<CharT>(':')) != std::basic_string_view<CharT>::npos;
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

// The three-state grammar: between items, inside a tag, inside a text segment. A malformed
// item ends only its own line: reading goes on at the first line feed after where the item
// began. Time tags that follow one another directly ([00:12.00][00:45.00]Chorus) give the text
// at each of their times; a file that uses them has its entries put in time order at the end.
template <typename CharT>
class LrcParser {
 public:
  // utf8: the text reads as UTF-8, so that headings are cut between its characters.
  LrcParser(std::basic_string_view<CharT> in, BasicLrcFile<CharT>& out, bool utf8)
      : in_(in), out_(out), utf8_(utf8) {}

  HResult Run() {
    // Each step reads the character at i and moves i past what it used.
    size_t i = 0;
    while (i < in_.size()) {
      const CharT c = in_[i];
      if (c == '\r') {
        ++i;
        continue;
      }
      bool ok = true;
      switch (state_) {
        case State::kBetween:
          ok = Between(c);
          ++i;
          break;
        case State::kTag:
          ok = InTag(c, i);
          break;
        case State::kText:
          InText(c, i);
          break;
      }
      if (!ok) i = SkipLine(i);
    }
    // A text segment still open at the end is stored as if a line feed followed.
    if (state_ == State::kText) {
      EndSegment('\n');
    } else {
      StoreWaitingTimes();
    }
    if (reordered_) {
      std::stable_sort(out_.entries.begin(), out_.entries.end(),
                       [](const auto& a, const auto& b) { return a.timeMs < b.timeMs; });
      out_.entries.front().lineBreak = 0;
    }
    return result_;
  }

 private:
  enum class State { kBetween, kTag, kText };

  bool Between(CharT c) {
    if (c == ' ' || c == '\t') return true;
    if (c == '[' || c == '<') {
      OpenTag();
      return true;
    }
    if (c != '\n') return false;
    if (skippedLine_ && storedOnLine_ && nextBreak_ == 0) {
      nextBreak_ = 1;  // the line had entries before its malformed item
    } else if (nextBreak_ == 1) {
      nextBreak_ = 2;
    }
    skippedLine_ = false;
    storedOnLine_ = false;
    return true;
  }

  bool InTag(CharT c, size_t& i) {
    if (c != ']' && c != '>') {
      // The tag's characters up to its end or the next carriage return, at once.
      const size_t end = RunEnd(in_, i, kTagStops);
      tag_.append(in_.data() + i, end - i);
      i = end;
      return true;
    }
    ++i;
    if (tag_.empty()) return false;
    const std::basic_string_view<CharT> t(tag_);
    if (IsIdTag(t)) {
      StoreWaitingTimes();
      const size_t colon = t.find(static_cast<CharT>(':'));
      const auto key = t.substr(0, colon);
      const auto value = t.substr(colon + 1);
      if (KeyIs(key, "ti")) {
        out_.title = Heading(value, utf8_);
      } else if (KeyIs(key, "ar")) {
        out_.artist = Heading(value, utf8_);
      } else if (KeyIs(key, "offset")) {
        int64_t v = 0;
        if (!FieldScanner<CharT>(value).Int(v)) return false;
        offset_ = ClampInt32(v);
      }
      state_ = State::kBetween;
      return true;
    }
    int64_t ms = 0;
    if (!ReadTimeTag(t, last_, ms)) return false;
    current_ = ClampTime(ms + offset_);
    state_ = State::kText;
    text_.clear();
    return true;
  }

  void InText(CharT c, size_t& i) {
    if (c != '\n' && c != '[' && c != '<') {
      const size_t end = RunEnd(in_, i, kTextStops);
      text_.append(in_.data() + i, end - i);
      i = end;
      return;
    }
    if (c != '\n' && SkipAnnotation(i)) return;
    ++i;
    if (c == '[' && text_.empty()) {
      // Another time tag may follow at once: this time waits for the text. Relative tags count
      // from it as from a stored entry.
      waiting_.push_back(current_);
      last_ = current_;
      OpenTag();
      return;
    }
    EndSegment(c);
    if (c == '\n') {
      state_ = State::kBetween;
    } else {
      OpenTag();
    }
  }

  // A bracketed item at `i` inside a text that is neither a time nor an ID tag, closed on its own
  // line: a reading annotation (漢<かん>字), dropped alone so that the text reads on past it.
  // Moves i past the item; false leaves it to end the text as a tag.
  bool SkipAnnotation(size_t& i) {
    item_.clear();
    size_t j = i + 1;
    for (; j < in_.size() && in_[j] != ']' && in_[j] != '>'; ++j) {
      if (in_[j] == '\n') return false;
      if (in_[j] != '\r') item_.push_back(in_[j]);
    }
    if (j >= in_.size()) return false;
    const std::basic_string_view<CharT> item(item_);
    int64_t ms = 0;
    if (IsIdTag(item) || (!item.empty() && ReadTimeTag(item, last_, ms))) return false;
    i = j + 1;
    return true;
  }

  // Stores the open text segment, ended by a line feed, "[" or "<", at its time and at every
  // time waiting for it.
  void EndSegment(CharT c) {
    if (text_.empty()) text_.push_back(' ');
    if (c == '\n') text_.push_back(' ');
    if (!waiting_.empty() && text_.size() * waiting_.size() <= repeatBudget_) {
      // Each time of a repeated line starts a line of its own once the entries are in order.
      repeatBudget_ -= text_.size() * waiting_.size();
      if (nextBreak_ == 0) nextBreak_ = 1;
      for (int32_t time : waiting_)
        out_.entries.push_back({text_, time, nextBreak_});
      waiting_.clear();
      reordered_ = true;
    }
    StoreWaitingTimes();
    Store(std::move(text_), current_);
    text_.clear();
    nextBreak_ = c == '\n' ? 1 : 0;
    storedOnLine_ = c != '\n';
  }

  void Store(std::basic_string<CharT> text, int32_t time) {
    out_.entries.push_back({std::move(text), time, nextBreak_});
    last_ = time;
  }

  // Times that waited for a text but were followed by another kind of item: each keeps an
  // empty segment, as a tag right after a time gives.
  void StoreWaitingTimes() {
    for (int32_t time : waiting_) {
      Store(std::basic_string<CharT>(1, ' '), time);
      nextBreak_ = 0;
      storedOnLine_ = true;
    }
    waiting_.clear();
  }

  void OpenTag() {
    state_ = State::kTag;
    tag_.clear();
  }

  // After a malformed item, read up to `from`: reading goes on at the next line feed (its
  // index), or at the end. A tag holds every character up to its "]", line feeds too, so the
  // lines a malformed tag ran over go with it.
  size_t SkipLine(size_t from) {
    result_ = kLrcStopped;
    StoreWaitingTimes();
    skippedLine_ = true;
    state_ = State::kBetween;
    while (from < in_.size() && in_[from] != '\n')
      ++from;
    return from;
  }

  std::basic_string_view<CharT> in_;
  BasicLrcFile<CharT>& out_;
  HResult result_ = kLrcParsed;
  State state_ = State::kBetween;
  const bool utf8_;
  std::basic_string<CharT> tag_;
  std::basic_string<CharT> text_;
  std::basic_string<CharT> item_;  // an item looked at before it is taken
  int32_t current_ = 0;
  int32_t last_ = -1;
  int32_t offset_ = 0;
  int32_t nextBreak_ = 0;
  std::vector<int32_t> waiting_;  // times of tags followed at once by another tag
  // Characters that copies of repeated lines may still take: a few times the file's own size,
  // so that a long line with thousands of times cannot exhaust memory (past it, the times keep
  // an empty segment each).
  size_t repeatBudget_ = in_.size() * 4 + 65536;
  bool reordered_ = false;
  bool skippedLine_ = false;
  bool storedOnLine_ = false;
};

template <typename CharT>
HResult Parse(std::basic_string_view<CharT> in, BasicLrcFile<CharT>& out, bool utf8) {
  return LrcParser<CharT>(in, out, utf8).Run();
}

}  // namespace

HResult ParseLrc(std::string_view text, LrcFile& out) {
  constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
  if (text.substr(0, kUtf8Mark.size()) == kUtf8Mark) {
    out.utf8 = true;
    text.remove_prefix(kUtf8Mark.size());
  }
  // The whole text, zero bytes and all, decides; the fields are cut only afterwards.
  for (size_t from = 0; from < text.size();) {
    const size_t zero = std::min(text.find('\0', from), text.size());
    out.textEvidence.Add(text.substr(from, zero - from));
    from = zero + 1;
  }
  return Parse(text, out, out.utf8 || out.textEvidence.IsUtf8());
}

HResult ParseLrcWide(std::u16string_view text, LrcFileWide& out) {
  return Parse(text, out, false);
}

HResult ParseLrcWideBytes(std::span<const uint8_t> bytes, LrcFileWide& out) {
  std::u16string units(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
  std::u16string_view view(units);
  if (!view.empty() && view[0] == 0xFEFF) view.remove_prefix(1);
  return Parse(view, out, false);
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

#pragma once

// Reading numbers out of short lyric texts the way the format's own scanf patterns do.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace lyrovox {

// A reader of one short text (a tag, an attribute) with the conversions of the C library's scanf
// family: "%d" (white space skipped, an optional sign, at least one digit) and "%1d" (white space
// skipped, then one digit), and literal characters that must match exactly. Numbers are read into
// 64 bits and held at +-2^40, far beyond any time, so that arithmetic on them cannot overflow.
template <typename CharT>
class FieldScanner {
 public:
  explicit FieldScanner(std::basic_string_view<CharT> text) : text_(text) {}

  bool Int(int64_t& value) {
    SkipSpace();
    bool negative = false;
    if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) {
      negative = text_[pos_] == '-';
      ++pos_;
    }
    const size_t first = pos_;
    int64_t v = 0;
    while (pos_ < text_.size() && IsDigit(text_[pos_])) {
      if (v <= kLimit) v = v * 10 + (text_[pos_] - '0');
      ++pos_;
    }
    if (pos_ == first) return false;
    if (v > kLimit) v = kLimit;
    value = negative ? -v : v;
    return true;
  }

  bool Digit(int64_t& value) {
    SkipSpace();
    if (pos_ >= text_.size() || !IsDigit(text_[pos_])) return false;
    value = text_[pos_++] - '0';
    return true;
  }

  bool Literal(char c) {
    if (pos_ >= text_.size() || text_[pos_] != static_cast<CharT>(c)) return false;
    ++pos_;
    return true;
  }

 private:
  static constexpr int64_t kLimit = int64_t{1} << 40;  // far above int32, far below overflow

  static bool IsDigit(CharT c) { return c >= '0' && c <= '9'; }
  static bool IsSpace(CharT c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
  void SkipSpace() {
    while (pos_ < text_.size() && IsSpace(text_[pos_]))
      ++pos_;
  }

  std::basic_string_view<CharT> text_;
  size_t pos_ = 0;
};

}  // namespace lyrovox

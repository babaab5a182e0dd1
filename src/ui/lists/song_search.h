#pragma once

// The song list's search: a title matches when the query occurs in it with only A to Z lowered,
// or, failing that, in its Vietnamese-folded form (marked letters as their base letters), so a
// query without marks finds titles with marks. The query itself is only lowered, never folded.
// Plain C++ over UTF-16.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lyrovox {

// A to Z become a to z; nothing else changes (not even À).
std::u16string LowerAscii(std::u16string_view text);

// The Vietnamese folding of one character: Đ, đ, Ð as "d"; every marked a, e, i, o, u and y,
// small or capital, as its small base letter; 0 for a combining mark (U+0300 to U+036F), which
// folding drops; any other character unchanged.
char16_t FoldVietnamese(char16_t c);

// Folds every character of a lowered title.
std::u16string FoldVietnamese(std::u16string_view lowered);

// The titles of a list, lowered and folded once, so that each search is a scan of two buffers.
class SongSearchIndex {
 public:
  void Clear();
  // Adds the next row's title.
  void Append(std::u16string_view title);
  size_t rows() const { return count_; }

  // The rows whose title matches the query (lowered here), in list order.
  std::vector<int> Find(std::u16string_view query) const;

 private:
  // One buffer of rows' texts, each followed by a separator, where each starts, and which row of
  // the list each is.
  struct Texts {
    std::u16string text;
    std::vector<uint32_t> starts;
    std::vector<uint32_t> rows;
    void Add(std::u16string_view rowText, uint32_t row);
    // Marks the rows that contain the needle.
    void Mark(std::u16string_view needle, std::vector<uint8_t>& hits) const;
  };
  // The lowered titles that folding leaves as they are; the others lowered, and folded.
  Texts plain_;
  Texts marked_;
  Texts folded_;
  uint32_t count_ = 0;
};

}  // namespace lyrovox

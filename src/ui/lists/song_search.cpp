#include "ui/lists/song_search.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace lyrovox {

namespace {

constexpr char16_t kRowEnd = u'\n';

// Folding of U+00C0..U+01BF and of U+1EA0..U+1EFF; 0 where the character stays.
struct FoldTables {
  std::array<char16_t, 0x100> latin{};
  std::array<char16_t, 0x60> extended{};

  FoldTables() {
    auto latinTo = [this](char16_t base, std::initializer_list<char16_t> chars) {
      for (char16_t c : chars)
        latin[c - 0xC0] = base;
    };
    auto extendedTo = [this](char16_t base, char16_t first, char16_t last) {
      for (char16_t c = first; c <= last; ++c)
        extended[c - 0x1EA0] = base;
    };
    latinTo(u'd', {0xD0, 0x110, 0x111});
    latinTo(u'i', {0x128, 0x129, 0xCC, 0xEC, 0xCD, 0xED});
    latinTo(u'o', {0x1A0, 0x1A1, 0xD4, 0xF4, 0xD2, 0xD3, 0xD5, 0xF2, 0xF3, 0xF5, 0xC6, 0xE6});
    latinTo(u'u', {0x1AF, 0x1B0, 0xD9, 0xDA, 0xF9, 0xFA, 0x168, 0x169});
    latinTo(u'a', {0xC0, 0xC1, 0xC2, 0xC3, 0xE0, 0xE1, 0xE2, 0xE3, 0x102, 0x103});
    latinTo(u'e', {0xC8, 0xC9, 0xCA, 0xE8, 0xE9, 0xEA});
    latinTo(u'y', {0xDD, 0xFD});
    extendedTo(u'a', 0x1EA0, 0x1EB7);
    extendedTo(u'e', 0x1EB8, 0x1EC7);
    extendedTo(u'i', 0x1EC8, 0x1ECB);
    extendedTo(u'o', 0x1ECC, 0x1EE3);
    extendedTo(u'u', 0x1EE4, 0x1EF1);
    extendedTo(u'y', 0x1EF2, 0x1EF9);
  }
};

const FoldTables& Tables() {
  static const FoldTables tables;
  return tables;
}

}  // namespace

std::u16string LowerAscii(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + (u'a' - u'A'));
  }
  return out;
}

char16_t FoldVietnamese(char16_t c) {
  if (c < 0xC0) return c;
  if (c < 0x1C0) {
    const char16_t base = Tables().latin[c - 0xC0];
    return base != 0 ? base : c;
  }
  if (c >= 0x300 && c <= 0x36F) return 0;
  if (c >= 0x1EA0 && c <= 0x1EFF) {
    const char16_t base = Tables().extended[c - 0x1EA0];
    return base != 0 ? base : c;
  }
  return c;
}

std::u16string FoldVietnamese(std::u16string_view lowered) {
  std::u16string out;
  out.reserve(lowered.size());
  for (char16_t c : lowered) {
    if (const char16_t folded = FoldVietnamese(c)) out += folded;
  }
  return out;
}

void SongSearchIndex::Clear() {
  plain_ = {};
  marked_ = {};
  folded_ = {};
  count_ = 0;
}

void SongSearchIndex::Texts::Add(std::u16string_view rowText, uint32_t row) {
  starts.push_back(static_cast<uint32_t>(text.size()));
  rows.push_back(row);
  text += rowText;
  text += kRowEnd;
}

void SongSearchIndex::Append(std::u16string_view title) {
  const std::u16string lowered = LowerAscii(title);
  const std::u16string folded = FoldVietnamese(lowered);
  if (folded != lowered) {
    marked_.Add(lowered, count_);
    folded_.Add(folded, count_);
  } else {
    plain_.Add(lowered, count_);
  }
  ++count_;
}

void SongSearchIndex::Texts::Mark(std::u16string_view needle, std::vector<uint8_t>& hits) const {
  // memmem over the bytes: the C library's search is much quicker than a search by characters. A
  // hit at an odd byte is no hit in UTF-16.
  const char* const all = reinterpret_cast<const char*>(text.data());
  const size_t bytes = text.size() * 2;
  const size_t needleBytes = needle.size() * 2;
  size_t from = 0;
  while (from < bytes) {
    const void* found = memmem(all + from, bytes - from, needle.data(), needleBytes);
    if (found == nullptr) break;
    const size_t byteAt = static_cast<size_t>(static_cast<const char*>(found) - all);
    if (byteAt % 2 != 0) {
      from = byteAt + 1;
      continue;
    }
    const auto at = static_cast<uint32_t>(byteAt / 2);
    const size_t row =
        static_cast<size_t>(std::upper_bound(starts.begin(), starts.end(), at) - starts.begin()) -
        1;
    const size_t next = row + 1 < starts.size() ? starts[row + 1] : text.size();
    if (at + needle.size() < next) {
      // Inside the row (its separator not reached): the row matches; go on with the next row.
      hits[rows[row]] = 1;
      from = next * 2;
    } else {
      from = byteAt + 2;
    }
  }
}

std::vector<int> SongSearchIndex::Find(std::u16string_view query) const {
  std::vector<int> rowsFound;
  if (query.empty()) return rowsFound;
  const std::u16string needle = LowerAscii(query);
  std::vector<uint8_t> hits(rows(), 0);
  plain_.Mark(needle, hits);
  folded_.Mark(needle, hits);
  // A query of plain letters that occurs in a marked title's lowered text occurs in its folded
  // text too (folding leaves plain characters as they are and drops only combining marks), so
  // the marked titles' own texts are searched only for a query with other characters.
  const bool plainQuery =
      std::all_of(needle.begin(), needle.end(), [](char16_t c) { return c < 0x80; });
  if (!plainQuery) marked_.Mark(needle, hits);
  for (size_t row = 0; row < hits.size(); ++row) {
    if (hits[row] != 0) rowsFound.push_back(static_cast<int>(row));
  }
  return rowsFound;
}

}  // namespace lyrovox

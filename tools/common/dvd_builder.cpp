#include "common/dvd_builder.h"

#include <map>

namespace lyrovox::dvd {

namespace {

void PutU32(std::string& out, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i)
    out[at + i] = static_cast<char>((value >> (24 - 8 * i)) & 0xFF);
}

void PutU32(std::string& out, uint32_t value) {
  out.append(4, '\0');
  PutU32(out, out.size() - 4, value);
}

constexpr size_t kTitleOffset = 64;
constexpr size_t kPatternOffset = 192;

}  // namespace

std::string TitleUnits(std::string_view title) {
  std::string units(title);
  units.append((4 - units.size() % 4) % 4, '\0');
  units += std::string("\r\n\0\0", 4);
  return units;
}

std::string WideTitleUnits(std::u16string_view title, bool atUnitFirst) {
  std::string units;
  if (atUnitFirst) units += std::string("@\0\0\0", 4);
  for (char16_t c : title) {
    units.push_back(static_cast<char>(c & 0xFF));
    units.push_back(static_cast<char>(c >> 8));
    units.append(2, '\0');
  }
  units += std::string("\r\n\0\0", 4);
  return units;
}

std::vector<uint8_t> LyricBlock(const std::array<uint8_t, 4>& head, std::string_view titleUnits,
                                const std::vector<Unit>& units) {
  std::vector<uint8_t> block(head.begin(), head.end());
  block.resize(kTitleOffset, 0);
  block.insert(block.end(), titleUnits.begin(), titleUnits.end());
  if (block.size() < kPatternOffset) block.resize(kPatternOffset, 0);
  // The head pattern again, each word with its bytes swapped, then 2 bytes.
  const uint8_t pattern[8] = {head[1], head[0], 0, 0, head[3], head[2], 0, 0};
  block.insert(block.end(), pattern, pattern + 8);
  // Three header lines sharing their units, closed by a CR LF unit.
  const uint8_t header[] = {'A', 'B', 'C', 0, 'a', 'b', 'c', 0, '\r', '\n', 0, 0};
  block.insert(block.end(), header, header + sizeof header);
  for (const Unit& u : units) {
    block.push_back(u.c0);
    block.push_back(u.c1);
    block.push_back(static_cast<uint8_t>(u.time & 0xFF));
    block.push_back(static_cast<uint8_t>(u.time >> 8));
  }
  return block;
}

std::vector<uint8_t> Scrambled(const std::vector<uint8_t>& plain, uint32_t key) {
  std::vector<uint8_t> stored = plain;
  uint32_t state = key != 0 ? key : 1;
  for (size_t i = 4; i < stored.size(); ++i) {
    // xorshift32
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    stored[i] ^= static_cast<uint8_t>(state >> 24);
  }
  return stored;
}

Unit LineEnd(uint16_t time) {
  return {'\r', '\n', time};
}

Unit Char(char16_t c, uint16_t time) {
  return {static_cast<uint8_t>(c & 0xFF), static_cast<uint8_t>(c >> 8), time};
}

std::string DataFile(const std::vector<Song>& songs) {
  std::map<uint32_t, std::vector<const Song*>> blocks;
  for (const Song& s : songs)
    blocks[s.songIndex / 256].push_back(&s);

  std::string out(512 + 4 * 256, '\0');
  for (const auto& [block, members] : blocks) {
    const size_t blockAt = out.size();
    if (block < 256) PutU32(out, 512 + 4 * block, static_cast<uint32_t>(blockAt));
    out.append(2 * 4 * 256, '\0');
    for (const Song* s : members) {
      const uint32_t slot = s->songIndex % 256;
      PutU32(out, blockAt + 4 * (256 + slot), s->tag);
      PutU32(out, blockAt + 4 * slot, static_cast<uint32_t>(out.size()));
      std::vector<Note> notes = s->notes;
      const uint32_t b = static_cast<uint32_t>(s->lyricBlock.size() - 4);
      while (b + 15 + 5 * notes.size() < 257)
        notes.push_back({0, 0, 0x20, 0, 0});
      const uint32_t a = static_cast<uint32_t>(b + 15 + 5 * notes.size());
      PutU32(out, s->a >= 0 ? static_cast<uint32_t>(s->a) : a);
      PutU32(out, s->b >= 0 ? static_cast<uint32_t>(s->b) : b);
      out.append(s->lyricBlock.begin(), s->lyricBlock.end());
      out.append(s->trailer.begin(), s->trailer.end());
      for (const Note& n : notes) {
        const char record[5] = {static_cast<char>(n.delta), static_cast<char>(n.duration),
                                static_cast<char>(n.b2), static_cast<char>(n.b3),
                                static_cast<char>(n.b4)};
        out.append(record, 5);
      }
    }
  }
  return out;
}

}  // namespace lyrovox::dvd

#pragma once

// Writes synthetic MIDI karaoke DVD data files in the documented layout, for tests, tools and
// fuzzing seeds. Lyric blocks are stored as given: plain, or scrambled with Scrambled.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lyrovox::dvd {

struct Unit {
  uint8_t c0 = 0;
  uint8_t c1 = 0;
  uint16_t time = 0;  // ticks
};

struct Note {
  uint8_t delta = 0;
  uint8_t duration = 0;
  uint8_t b2 = 0;
  uint8_t b3 = 0;
  uint8_t b4 = 0;
};

// The title as 8-bit text packed 4 bytes a unit, or as one 16-bit character a unit (mode 19),
// each closed by a CR LF unit.
std::string TitleUnits(std::string_view title);
std::string WideTitleUnits(std::u16string_view title, bool atUnitFirst = false);

// A plain lyric block: 4 head bytes, the title units at offset 64, the repeated head pattern at
// offset 192, 2 bytes, the header lines (units of 3 bytes up to a CR LF unit) and the units.
std::vector<uint8_t> LyricBlock(const std::array<uint8_t, 4>& head, std::string_view titleUnits,
                                const std::vector<Unit>& units);
// A lyric block as a DVD stores it scrambled with a key Lyrovox lacks: the 4 head bytes kept,
// every later byte mixed with a key stream drawn from `key`.
std::vector<uint8_t> Scrambled(const std::vector<uint8_t>& plain, uint32_t key = 0x2545F491);
// A line end unit and a character unit.
Unit LineEnd(uint16_t time);
Unit Char(char16_t c, uint16_t time);

struct Song {
  uint32_t songIndex = 1;
  std::vector<uint8_t> lyricBlock;  // stored as it is (B = size - 4)
  std::vector<Note> notes;
  uint32_t tag = 1;
  std::array<uint8_t, 3> trailer = {0, 0, 0};
  // Overrides of the record's A and B fields, for broken slots.
  int64_t a = -1;
  int64_t b = -1;
};

// The data file; records are padded with ignored note records up to the smallest valid length.
std::string DataFile(const std::vector<Song>& songs);

}  // namespace lyrovox::dvd

#pragma once

// Writes CD+G packet streams for tests, benchmarks and fuzzing seeds.

#include <array>
#include <cstdint>
#include <string>

namespace lyrovox::cdg {

using TileRows = std::array<uint8_t, 12>;

// One 24-byte packet: command, instruction, 16 data bytes (parity bytes zero).
std::string Packet(uint8_t instruction, const std::array<uint8_t, 16>& data, uint8_t command = 9);
std::string Empty();
std::string MemoryPreset(int color, int repeat = 0);
std::string BorderPreset(int color);
// A tile of 12 rows of 6 pixels; `channel` 0..15 goes into the colour bytes' bits 4 and 5.
std::string Tile(int color0, int color1, int row, int column, const TileRows& rows,
                 bool xorTile = false, int channel = 0);
// A scroll: horizontal command 0 none, 1 right, 2 left; vertical 0 none, 1 down, 2 up.
std::string Scroll(bool copy, int fillColor, int hCommand, int hOffset, int vCommand, int vOffset);
// Loads entries 0..7 (or 8..15) from 12-bit colours 0xRGB.
std::string LoadTable(bool high, const std::array<uint16_t, 8>& colors);

// A song-like stream of `packets` packets: presets, colour tables, tiles (normal and XOR),
// occasional scrolls, and empty packets between them.
std::string SongStream(int packets);
// SongStream with a colour-table load in place of every empty packet: every packet is a command.
std::string CommandStream(int packets);
// Graphics packets of every instruction in random order with random data bytes (presets in
// changing colours, tables, tiles, scrolls with offsets), some of other commands among them.
std::string RandomStream(int packets, uint32_t seed);

}  // namespace lyrovox::cdg

#include "common/cdg_builder.h"

namespace lyrovox::cdg {

std::string Packet(uint8_t instruction, const std::array<uint8_t, 16>& data, uint8_t command) {
  std::string p(24, '\0');
  p[0] = static_cast<char>(command);
  p[1] = static_cast<char>(instruction);
  for (size_t i = 0; i < data.size(); ++i)
    p[4 + i] = static_cast<char>(data[i]);
  return p;
}

std::string Empty() {
  return std::string(24, '\0');
}

std::string MemoryPreset(int color, int repeat) {
  return Packet(1, {static_cast<uint8_t>(color), static_cast<uint8_t>(repeat)});
}

std::string BorderPreset(int color) {
  return Packet(2, {static_cast<uint8_t>(color)});
}

std::string Tile(int color0, int color1, int row, int column, const TileRows& rows, bool xorTile,
                 int channel) {
  std::array<uint8_t, 16> d{};
  d[0] = static_cast<uint8_t>((color0 & 15) | (((channel >> 2) & 3) << 4));
  d[1] = static_cast<uint8_t>((color1 & 15) | ((channel & 3) << 4));
  d[2] = static_cast<uint8_t>(row);
  d[3] = static_cast<uint8_t>(column);
  for (size_t i = 0; i < rows.size(); ++i)
    d[4 + i] = rows[i];
  return Packet(xorTile ? 38 : 6, d);
}

std::string Scroll(bool copy, int fillColor, int hCommand, int hOffset, int vCommand, int vOffset) {
  return Packet(copy ? 24 : 20,
                {static_cast<uint8_t>(fillColor), static_cast<uint8_t>((hCommand << 4) | hOffset),
                 static_cast<uint8_t>((vCommand << 4) | vOffset)});
}

std::string LoadTable(bool high, const std::array<uint16_t, 8>& colors) {
  std::array<uint8_t, 16> d{};
  for (size_t i = 0; i < colors.size(); ++i) {
    const int r = (colors[i] >> 8) & 15;
    const int g = (colors[i] >> 4) & 15;
    const int b = colors[i] & 15;
    d[2 * i] = static_cast<uint8_t>((r << 2) | (g >> 2));
    d[2 * i + 1] = static_cast<uint8_t>(((g & 3) << 4) | b);
  }
  return Packet(high ? 31 : 30, d);
}

namespace {

// The same small generator everywhere, so that streams are the same on every machine.
struct Lcg {
  uint32_t seed;
  uint32_t operator()() {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  }
};

std::string Song(int packets, bool tablesForEmpty) {
  std::string out;
  out.reserve(static_cast<size_t>(packets) * 24);
  Lcg next{12345};
  Lcg tables{54321};
  int column = 0;
  int row = 1;
  for (int i = 0; i < packets; ++i) {
    const int phase = i % 4500;  // a new page every 15 seconds
    if (phase < 16) {
      out += MemoryPreset(phase == 0 ? static_cast<int>(next() % 16) : 0, phase);
    } else if (phase == 16) {
      out += BorderPreset(static_cast<int>(next() % 16));
    } else if (phase == 17 || phase == 18) {
      std::array<uint16_t, 8> colors{};
      for (auto& c : colors)
        c = static_cast<uint16_t>(next() & 0xFFF);
      out += LoadTable(phase == 18, colors);
    } else if (i % 3000 == 1500) {
      out += Scroll(i % 6000 == 1500, 1, 0, 0, 2, 0);
    } else if (i % 3 == 2 && !tablesForEmpty) {
      out += Empty();
    } else if (i % 3 == 2) {
      std::array<uint16_t, 8> colors{};
      for (auto& c : colors)
        c = static_cast<uint16_t>(tables() & 0xFFF);
      out += LoadTable(i % 2 == 1, colors);
    } else {
      TileRows rows{};
      for (auto& r : rows)
        r = static_cast<uint8_t>(next() & 0x3F);
      out += Tile(static_cast<int>(next() % 16), static_cast<int>(next() % 16), row, column, rows,
                  (i / 300) % 2 == 1);
      if (++column == 50) {
        column = 0;
        row = row % 16 + 1;
      }
    }
  }
  return out;
}

}  // namespace

std::string SongStream(int packets) {
  return Song(packets, false);
}

std::string CommandStream(int packets) {
  return Song(packets, true);
}

std::string RandomStream(int packets, uint32_t seed) {
  static constexpr uint8_t kInstructions[] = {1, 1, 2, 6, 6, 6, 38, 38, 20, 24, 30, 31, 28, 0};
  std::string out;
  out.reserve(static_cast<size_t>(packets) * 24);
  Lcg next{seed};
  for (int i = 0; i < packets; ++i) {
    std::array<uint8_t, 16> data{};
    for (auto& d : data)
      d = static_cast<uint8_t>(next() & 0xFF);
    const uint32_t pick = next() % (sizeof kInstructions + 1);
    uint8_t instruction = pick < sizeof kInstructions ? kInstructions[pick] : next() & 0xFF;
    // Mostly first presets, so that the preset colour keeps changing.
    if (instruction == 1 && next() % 4 != 0) data[1] &= 0xC0;
    // The top bits of the command and instruction bytes are not part of them.
    instruction = static_cast<uint8_t>(instruction | (next() & 0xC0));
    const uint8_t command = next() % 16 == 0 ? static_cast<uint8_t>(next() & 0xFF)
                                             : static_cast<uint8_t>(9 | (next() & 0xC0));
    out += Packet(instruction, data, command);
  }
  return out;
}

}  // namespace lyrovox::cdg

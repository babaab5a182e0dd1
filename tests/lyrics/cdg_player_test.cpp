#include "lyrics/cdg_player.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "common/cdg_builder.h"
#include "support/temp_dir.h"

namespace lyrovox {
namespace {

using cdg::TileRows;

constexpr TileRows kFull = {0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F};
constexpr TileRows kNone = {};
// Entries 0..7: black, red, green, blue, yellow, cyan, magenta, white.
constexpr std::array<uint16_t, 8> kColors = {0x000, 0xF00, 0x0F0, 0x00F,
                                             0xFF0, 0x0FF, 0xF0F, 0xFFF};

uint32_t Pixel(int index, uint32_t rgb) {
  return (uint32_t(index) << 24) | rgb;
}
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kWhite = 0xFFFFFF;

class CdgPlayerTest : public ::testing::Test {
 protected:
  // Loads the packets and decodes all of them.
  void Play(const std::string& packets) {
    player.LoadCdgBytes({reinterpret_cast<const uint8_t*>(packets.data()), packets.size()});
    player.Update(static_cast<int32_t>(packets.size() / 24 / 3 + 1));
  }
  uint32_t At(int x, int y) const { return player.FramePixels()[y * kCdgWidth + x]; }
  // The device's whole picture, top row first.
  std::vector<uint32_t> DevicePicture() {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < kCdgHeight; ++y) {
      for (int x = 0; x < kCdgWidth; ++x)
        pixels.push_back(player.device()->PixelAt(x, y));
    }
    return pixels;
  }
  // A screen in colour 0 (the key colour) with the table loaded and a border in colour 0.
  static std::string Page() { return cdg::LoadTable(false, kColors) + cdg::MemoryPreset(0); }

  CdgPlayer player;
  testing::TempDir dir;
};

TEST_F(CdgPlayerTest, UpdateDecodesOnePacketPastTheTargetAndNeverGoesBack) {
  std::string packets;
  for (int i = 0; i < 400; ++i)
    packets += cdg::Empty();
  player.LoadCdgBytes({reinterpret_cast<const uint8_t*>(packets.data()), packets.size()});
  player.Update(100);
  EXPECT_EQ(player.processed(), 301u);
  EXPECT_EQ(player.cursor(), 301u * 24);
  player.Update(100);
  EXPECT_EQ(player.processed(), 301u);
  player.Update(50);
  EXPECT_EQ(player.processed(), 301u);
  // Past the end of the data nothing more is counted.
  player.Update(1000);
  EXPECT_EQ(player.processed(), 400u);
  EXPECT_EQ(player.cursor(), 400u * 24);
}

TEST_F(CdgPlayerTest, AFinalPartialPacketIsNotUsed) {
  std::string packets = Page() + cdg::Tile(1, 2, 1, 1, kFull);
  packets.resize(packets.size() - 1);
  Play(packets);
  EXPECT_EQ(player.processed(), 2u);
  EXPECT_EQ(At(6, 12), Pixel(0, kCdgKeyRgb));
}

TEST_F(CdgPlayerTest, IndexZeroShowsTheKeyColourUntilTheFirstMemoryPreset) {
  // Before any preset the whole picture is colour 0, the preset colour.
  Play(cdg::LoadTable(false, kColors) + cdg::Empty());
  EXPECT_EQ(At(0, 0), Pixel(0, kCdgKeyRgb));
  EXPECT_EQ(At(150, 100), Pixel(0, kCdgKeyRgb));
  // After a preset in colour 1, colour 0 shows its own colour (black) in the border.
  Play(cdg::MemoryPreset(1));
  EXPECT_EQ(At(0, 0), Pixel(0, 0));
  EXPECT_EQ(At(150, 100), Pixel(1, kCdgKeyRgb));
}

TEST_F(CdgPlayerTest, RepeatedMemoryPresetsAreIgnored) {
  Play(Page() + cdg::MemoryPreset(2, 5));
  EXPECT_EQ(At(100, 100), Pixel(0, kCdgKeyRgb));
  Play(cdg::MemoryPreset(2, 0));
  EXPECT_EQ(At(100, 100), Pixel(2, kCdgKeyRgb));
}

TEST_F(CdgPlayerTest, TilesAtTheLastColumnAndRowAreDrawnAndBeyondSkipped) {
  Play(Page() + cdg::BorderPreset(3) + cdg::Tile(0, 1, 17, 49, kFull) +
       cdg::Tile(0, 2, 17, 50, kFull) + cdg::Tile(0, 2, 18, 1, kFull));
  // Column 49 row 17 lies at x 294, y 204, under the border: the device holds it.
  EXPECT_EQ(player.device()->PixelAt(294, 204), Pixel(1, kRed));
  EXPECT_EQ(player.device()->PixelAt(299, 215), Pixel(1, kRed));
  // Nothing of the skipped tiles anywhere.
  const std::vector<uint32_t> picture = DevicePicture();
  for (int i = 0; i < kCdgPixels; ++i)
    ASSERT_NE(picture[i] >> 24, 2u) << i;
  EXPECT_EQ(At(0, 0), Pixel(3, kBlue));
  EXPECT_EQ(At(294, 204), Pixel(3, kBlue));
}

TEST_F(CdgPlayerTest, TileBitsMapLeftToRightAndRowByRow) {
  TileRows rows = kNone;
  rows[0] = 0x20;   // leftmost pixel
  rows[11] = 0x01;  // rightmost pixel of the last row
  Play(Page() + cdg::Tile(2, 1, 1, 1, rows));
  EXPECT_EQ(At(6, 12), Pixel(1, kRed));
  EXPECT_EQ(At(7, 12), Pixel(2, kGreen));
  EXPECT_EQ(At(11, 23), Pixel(1, kRed));
  EXPECT_EQ(At(10, 23), Pixel(2, kGreen));
}

TEST_F(CdgPlayerTest, OnlyTheShownChannelsAreDrawn) {
  Play(Page() + cdg::Tile(0, 1, 1, 1, kFull, false, 12) + cdg::Tile(0, 1, 1, 2, kFull, false, 4) +
       cdg::Tile(0, 1, 1, 3, kFull, false, 8) + cdg::Tile(0, 1, 1, 4, kFull, false, 1));
  EXPECT_EQ(At(6, 12), Pixel(0, kCdgKeyRgb));   // channel 12
  EXPECT_EQ(At(12, 12), Pixel(1, kRed));        // channel 4
  EXPECT_EQ(At(18, 12), Pixel(1, kRed));        // channel 8
  EXPECT_EQ(At(24, 12), Pixel(0, kCdgKeyRgb));  // channel 1
  player.channelMask = 0xFFFF;
  Play(cdg::Tile(0, 1, 1, 1, kFull, false, 12));
  EXPECT_EQ(At(6, 12), Pixel(1, kRed));
}

TEST_F(CdgPlayerTest, XorTilesCombineColourIndexes) {
  TileRows rows = kNone;
  rows[0] = 0x30;
  Play(Page() + cdg::Tile(1, 3, 1, 1, kFull) + cdg::Tile(2, 5, 1, 1, rows, true));
  EXPECT_EQ(At(6, 12), Pixel(3 ^ 5, 0xFF00FF));  // 6: magenta
  EXPECT_EQ(At(8, 12), Pixel(3 ^ 2, kRed));      // 1
  EXPECT_EQ(At(6, 13), Pixel(3 ^ 2, kRed));      // rows without bits take color0
  // A normal tile after an XOR one draws normally again.
  Play(cdg::Tile(2, 2, 1, 1, kFull));
  EXPECT_EQ(At(6, 12), Pixel(2, kGreen));
}

TEST_F(CdgPlayerTest, ColourTableLoadsRecolourWhatIsDrawn) {
  Play(Page() + cdg::Tile(0, 4, 2, 2, kFull));
  EXPECT_EQ(At(12, 24), Pixel(4, 0xFFFF00));
  std::array<uint16_t, 8> changed = kColors;
  changed[4] = 0x123;
  Play(cdg::LoadTable(false, changed));
  EXPECT_EQ(At(12, 24), Pixel(4, 0x112233));
  // One entry on its own does the same.
  player.device()->SetPaletteEntry(4, 0x0F00);  // blue 15
  player.Update(1000);
  EXPECT_EQ(At(12, 24), Pixel(4, kBlue));
  // Entries 8..15 from the second table.
  Play(cdg::LoadTable(true, {0xA00, 0, 0, 0, 0, 0, 0, 0x00C}) + cdg::Tile(8, 15, 3, 3, kNone));
  EXPECT_EQ(At(18, 36), Pixel(8, 0xAA0000));
}

TEST_F(CdgPlayerTest, ThePresetColourKeepsTheKeyColourWhateverTheTableSays) {
  Play(cdg::MemoryPreset(3) + cdg::LoadTable(false, kColors) + cdg::Tile(3, 1, 2, 2, kNone));
  EXPECT_EQ(At(100, 100), Pixel(3, kCdgKeyRgb));
  EXPECT_EQ(At(12, 24), Pixel(3, kCdgKeyRgb));
  EXPECT_EQ(player.device()->TableRgb(3), kBlue);
  // A border in the preset colour is keyed too.
  Play(cdg::BorderPreset(3));
  EXPECT_EQ(At(0, 0), Pixel(3, kCdgKeyRgb));
}

TEST_F(CdgPlayerTest, EighteenScrollCopiesUpBringThePictureBack) {
  std::string packets = Page();
  for (int i = 0; i < 16; ++i)
    packets += cdg::Tile(i % 8, (i + 3) % 8, 1 + i, 1 + 3 * i, kFull);
  Play(packets);
  const std::vector<uint32_t> before = DevicePicture();
  std::string scrolls;
  for (int i = 0; i < 17; ++i)
    scrolls += cdg::Scroll(true, 0, 0, 0, 2, 0);
  Play(scrolls);
  EXPECT_NE(DevicePicture(), before);
  Play(cdg::Scroll(true, 0, 0, 0, 2, 0));
  EXPECT_EQ(DevicePicture(), before);
}

TEST_F(CdgPlayerTest, ScrollPresetsMoveThePictureAndFillWithTheColour) {
  Play(Page() + cdg::Tile(0, 1, 2, 2, kFull));
  Play(cdg::Scroll(false, 5, 2, 0, 0, 0));  // left by 6, fill cyan
  const RGBDIBCDGDevice& device = *player.device();
  EXPECT_EQ(device.PixelAt(6, 24), Pixel(1, kRed));
  EXPECT_EQ(device.PixelAt(12, 24), Pixel(0, kCdgKeyRgb));
  EXPECT_EQ(device.PixelAt(299, 24), Pixel(5, 0x00FFFF));
  Play(cdg::Scroll(false, 6, 1, 0, 1, 0));  // right, then down
  EXPECT_EQ(device.PixelAt(12, 36), Pixel(1, kRed));
  EXPECT_EQ(device.PixelAt(0, 0), Pixel(6, 0xFF00FF));
  EXPECT_EQ(device.PixelAt(0, 50), Pixel(6, 0xFF00FF));
}

TEST_F(CdgPlayerTest, ScrollOffsetsShiftTheVisibleArea) {
  Play(Page() + cdg::Tile(0, 1, 2, 2, kFull));
  EXPECT_EQ(At(12, 24), Pixel(1, kRed));
  Play(cdg::Scroll(false, 0, 0, 2, 0, 5));
  EXPECT_EQ(player.device()->hScrollOffset, 2);
  EXPECT_EQ(player.device()->vScrollOffset, 5);
  EXPECT_EQ(At(10, 19), Pixel(1, kRed));
  EXPECT_EQ(At(15, 19), Pixel(1, kRed));
  EXPECT_EQ(At(16, 19), Pixel(0, kCdgKeyRgb));
  // Offsets out of range leave them alone; so does an invalid command, and it stops the packet.
  Play(cdg::Scroll(false, 0, 0, 7, 0, 1) + cdg::Scroll(false, 0, 0, 1, 0, 13));
  EXPECT_EQ(player.device()->hScrollOffset, 2);
  Play(cdg::Scroll(false, 4, 3, 1, 2, 1));
  EXPECT_EQ(player.device()->hScrollOffset, 2);
  EXPECT_EQ(At(10, 19), Pixel(1, kRed));
  // A memory preset resets the offsets.
  Play(cdg::MemoryPreset(0));
  EXPECT_EQ(player.device()->hScrollOffset, 0);
  EXPECT_EQ(player.device()->vScrollOffset, 0);
}

TEST_F(CdgPlayerTest, OtherCommandsAndInstructionsAreConsumedWithoutEffect) {
  Play(Page() + cdg::Packet(6, {1, 1, 1, 1, 0x3F, 0x3F}, 8) + cdg::Packet(28, {1, 2, 3}));
  EXPECT_EQ(player.processed(), 4u);
  EXPECT_EQ(At(6, 12), Pixel(0, kCdgKeyRgb));
  // The command's top two bits are not part of it.
  Play(cdg::Packet(2, {4}, 0xC9));
  EXPECT_EQ(At(0, 0), Pixel(4, 0xFFFF00));
}

TEST_F(CdgPlayerTest, FilesLoadWholeAndAMissingFileChangesNothing) {
  const std::string packets = Page() + cdg::Tile(0, 2, 1, 1, kFull);
  const std::string path = dir.Write("song.cdg", packets);
  ASSERT_TRUE(player.LoadCdgFile(path));
  EXPECT_TRUE(player.HasData());
  EXPECT_EQ(player.dataSize(), packets.size());
  player.Update(1);
  EXPECT_EQ(At(6, 12), Pixel(2, kGreen));

  EXPECT_FALSE(player.LoadCdgFile(dir.File("missing.cdg")));
  EXPECT_EQ(player.cursor(), 3u * 24);
  EXPECT_FALSE(player.LoadCdgFile(dir.path()));

  // A new file keeps the picture until its own presets change it.
  ASSERT_TRUE(player.LoadCdgFile(dir.Write("next.cdg", cdg::Empty())));
  EXPECT_EQ(player.processed(), 0u);
  player.Update(1);
  EXPECT_EQ(At(6, 12), Pixel(2, kGreen));

  player.Release();
  EXPECT_FALSE(player.HasData());
  player.Update(10);
  ASSERT_TRUE(player.LoadCdgFile(path));
  player.Update(1);
  EXPECT_EQ(At(6, 12), Pixel(2, kGreen));
}

// FNV-1a with whole 32-bit pixel values as its units.
struct PixelHash {
  uint64_t value = 0xCBF29CE484222325ull;
  void Add(const uint32_t* pixels, int count) {
    for (int i = 0; i < count; ++i)
      value = (value ^ pixels[i]) * 0x100000001B3ull;
  }
};

// Colour 0 keyed before any preset, then presets in other colours: what was drawn in the old
// preset colour keeps the key colour, what was drawn in the new one keeps its table colour, and
// scroll offsets and rotating scrolls bring those pixels into view; tables and XOR tiles then
// act on them.
std::string PresetColourChanges() {
  const std::array<uint16_t, 8> other = {0x123, 0x456, 0x789, 0xABC, 0xDEF, 0x321, 0x654, 0x987};
  std::string s = cdg::LoadTable(false, kColors) + cdg::LoadTable(true, other);
  s += cdg::Tile(0, 5, 0, 0, kFull) + cdg::Tile(5, 0, 0, 1, {0x2A, 0x15}) +
       cdg::Tile(0, 9, 17, 49, {0x3F, 0, 0x3F}) + cdg::Tile(5, 12, 17, 0, {0x0F, 0x30}) +
       cdg::Tile(3, 0, 5, 49, kNone) + cdg::BorderPreset(0);
  s += cdg::Scroll(false, 0, 0, 6, 0, 12) + cdg::MemoryPreset(5) +
       cdg::Scroll(false, 0, 0, 6, 0, 12);
  s += cdg::LoadTable(false, other) + cdg::Scroll(true, 0, 2, 3, 2, 7);
  s += cdg::Tile(5, 0, 0, 0, {0x3F, 0x01}, true) + cdg::Tile(1, 4, 17, 49, kFull, true);
  s += cdg::MemoryPreset(0) + cdg::Scroll(true, 0, 1, 6, 1, 12) + cdg::LoadTable(false, kColors);
  s += cdg::Scroll(true, 0, 1, 0, 1, 0) + cdg::MemoryPreset(12) + cdg::Scroll(true, 0, 2, 5, 2, 11);
  s += cdg::LoadTable(true, kColors) + cdg::BorderPreset(12) + cdg::MemoryPreset(0, 1);
  for (int i = 0; i < 18; ++i)
    s += cdg::Scroll(true, 0, i % 3, i % 7, 2, i % 13) +
         cdg::Tile(i % 16, 15 - i % 16, i, 3 * i, kFull, i % 2 == 1);
  return s;
}

// Memory presets between sideways and vertical scrolls, so that fills meet scrolled pictures:
// presets in changing colours after the picture has turned, strips filled at either side of a
// preset's area, tiles at its edges and outside it, rotations with offsets.
std::string PresetsAmongScrolls() {
  std::string s = cdg::LoadTable(false, kColors) + cdg::LoadTable(true, kColors);
  for (int i = 0; i < 60; ++i) {
    s += cdg::MemoryPreset(i % 5);
    s += cdg::Scroll(false, 7 + i % 3, 2 - i % 2, 0, 0, 0);
    s += cdg::Scroll(i % 3 == 0, 9, 2, i % 6, 0, 0) + cdg::Scroll(false, 10, 1, 0, 0, i % 12);
    s += cdg::Tile(i % 16, 3, 1 + i % 16, (i * 7) % 50, kFull, i % 2 == 1);
    s += cdg::Tile(3, i % 16, (i * 5) % 18, i % 2 == 0 ? 0 : 49, {0x21, 0x12, 0x0C}, i % 3 == 0);
    s += cdg::Scroll(i % 2 == 1, 11, 0, 0, 1 + i % 2, 0);
    s += cdg::Scroll(true, 0, 1 + i % 2, i % 7, 2 - i % 2, i % 13);
    if (i % 4 == 3) s += cdg::MemoryPreset((i + 1) % 5) + cdg::Scroll(false, 12, 1, 0, 2, 0);
  }
  return s;
}

// Every instruction on one page: tiles normal and XOR, tables loaded in the middle of the picture,
// border and memory presets, scroll presets and copies in every direction with offsets, the
// transparent colour and packets of other commands.
std::string EveryInstruction() {
  std::string s = cdg::LoadTable(false, kColors) + cdg::MemoryPreset(0) + cdg::BorderPreset(2) +
                  cdg::LoadTable(true, kColors);
  for (int i = 0; i < 40; ++i) {
    TileRows rows{};
    for (int r = 0; r < 12; ++r)
      rows[r] = static_cast<uint8_t>((i * 7 + r * 13) & 0x3F);
    s += cdg::Tile(i % 16, (i * 5) % 16, 1 + i % 16, 1 + (i * 3) % 48, rows, i % 3 == 0);
    if (i % 5 == 4) {
      std::array<uint16_t, 8> colors{};
      for (int c = 0; c < 8; ++c)
        colors[c] = static_cast<uint16_t>((i * 331 + c * 97) & 0xFFF);
      s += cdg::LoadTable(i % 10 == 9, colors);
    }
    if (i % 8 == 7) s += cdg::Scroll(i % 16 == 7, i % 16, 1 + i % 2, i % 6, 2 - i % 2, i % 12);
  }
  s += cdg::Packet(28, {1, 2, 3}) + cdg::Packet(6, {1, 1, 1, 1, 0x3F}, 8) + cdg::Empty();
  s += cdg::MemoryPreset(7) + cdg::MemoryPreset(7, 1) + cdg::Tile(7, 8, 8, 24, kFull);
  return s;
}

struct RecordedStream {
  const char* name;
  std::string packets;
  uint32_t channelMask;
  uint64_t frames;   // every picture rendered while playing in 30 ms ticks
  uint64_t picture;  // the device's whole picture at the end
};

// The hashes were recorded from the pictures of the straightforward player that kept every pixel
// as its final colour value; the decoding must keep giving exactly these pictures.
TEST_F(CdgPlayerTest, PicturesStayAsRecorded) {
  const RecordedStream streams[] = {
      {"every instruction", EveryInstruction(), 0x111, 0x7859421C75F12E3Dull,
       0x46A93A40313D85DDull},
      {"preset colour changes", PresetColourChanges(), 0x111, 0x68DD979FBB081CEFull,
       0x83724D07F1660515ull},
      {"presets among scrolls", PresetsAmongScrolls(), 0x111, 0x1A18A49D904BB58Bull,
       0xD839E0FAEFDAFB3Dull},
      {"song", cdg::SongStream(9000), 0x111, 0x7AAFE002E1B12069ull, 0xD26A9E331C850004ull},
      {"commands only", cdg::CommandStream(9000), 0x111, 0x38351F5202CABF2Bull,
       0xF2288322A0803705ull},
      {"random", cdg::RandomStream(30000, 1), 0x111, 0x08B9CCD0556835C8ull, 0x30828F56FE2AF565ull},
      {"random, every channel", cdg::RandomStream(30000, 2), 0xFFFF, 0xA44073A7A23AD638ull,
       0x11B5A4376FD5D96Full},
  };
  for (const RecordedStream& s : streams) {
    SCOPED_TRACE(s.name);
    CdgPlayer fresh;
    fresh.channelMask = s.channelMask;
    fresh.LoadCdgBytes({reinterpret_cast<const uint8_t*>(s.packets.data()), s.packets.size()});
    PixelHash frames;
    const int32_t packets = static_cast<int32_t>(s.packets.size() / kCdgPacketSize);
    for (int32_t c = 0; c <= packets / 3 + 3; c += 3) {
      fresh.Update(c);
      frames.Add(fresh.FramePixels(), kCdgPixels);
    }
    PixelHash picture;
    for (int y = 0; y < kCdgHeight; ++y) {
      for (int x = 0; x < kCdgWidth; ++x) {
        const uint32_t pixel = fresh.device()->PixelAt(x, y);
        picture.Add(&pixel, 1);
      }
    }
    EXPECT_EQ(frames.value, s.frames);
    EXPECT_EQ(picture.value, s.picture);
  }
}

}  // namespace
}  // namespace lyrovox

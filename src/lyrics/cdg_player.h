#pragma once

// CD+G graphics: a song's side file of 24-byte subcode packets, decoded in time with the music
// into a 300 x 216 picture. Plain C++: the screen scales FramePixels() onto itself
// (screen/cdg_draw.h).
//
// Pixel values, in the device picture and in the frame alike, are 0xIIRRGGBB: the colour index
// in the top byte and the colour of that index in the low three bytes. The index equal to the
// last memory preset's colour always carries the key colour 0x100C0E (red 0x0E, green 0x0C,
// blue 0x10), so the video shows through the CD+G background.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace lyrovox {

inline constexpr int kCdgWidth = 300;
inline constexpr int kCdgHeight = 216;
inline constexpr int kCdgPixels = kCdgWidth * kCdgHeight;
inline constexpr size_t kCdgPacketSize = 24;
inline constexpr int kCdgPacketsPerSecond = 300;
// Red 0x0E, green 0x0C, blue 0x10 in the low bytes of a pixel value.
inline constexpr uint32_t kCdgKeyRgb = 0x000E0C10;
// The fill argument of a scroll that rotates the picture instead of filling.
inline constexpr int kCdgRotate = -1;

// Description of the output picture.
struct CdgFrameInfo {
  int32_t width = kCdgWidth;
  int32_t height = kCdgHeight;
  uint16_t planes = 1;
  uint16_t bitCount = 32;
  uint32_t compression = 0;
  uint32_t imageSize = kCdgPixels * 4;
};

// The drawing operations a CD+G packet stream is carried out with.
class CDGDevice {
 public:
  virtual ~CDGDevice() = default;

  virtual void SetXorMode(bool on) { xorMode = on; }
  virtual bool GetXorMode() const { return xorMode; }
  virtual void Reset();
  virtual void MemoryPreset(int color);
  virtual void BorderPreset(int color) { borderColor = color; }
  virtual void FillRect(int x, int y, int width, int height, int color) = 0;
  // One 6-pixel row of a tile: bit 0x20 is the leftmost pixel, 0x01 the rightmost.
  virtual void DrawTileRow(int x, int y, int color0, int color1, int bits) = 0;
  virtual void SetPaletteEntry(int index, uint32_t value) = 0;
  virtual void SetScrollOffset(int h, int v);
  // `fill` is a colour index, or kCdgRotate to bring back what scrolled out.
  virtual void ScrollLeft(int fill) = 0;
  virtual void ScrollRight(int fill) = 0;
  virtual void ScrollUp(int fill) = 0;
  virtual void ScrollDown(int fill) = 0;

  int32_t hScrollOffset = 0;  // 0..6
  int32_t vScrollOffset = 0;  // 0..12
  int32_t borderColor = 0;
  bool xorMode = false;
};

// A device that draws into a picture held in memory.
class DIBCDGDevice : public CDGDevice {
 public:
  // Copies the visible part of the picture and the border into `frame` at (x, y).
  virtual void Render(const CdgFrameInfo& info, int x, int y, uint32_t* frame) const = 0;
};

// The device of the player: a 300 x 216 picture with a 16-entry colour table.
//
// A pixel keeps the value it was drawn with until a table load changes the colour of exactly that
// value; a change of the preset colour recolours nothing, so pixels of one index may show
// different colours. The picture therefore holds slot numbers, each slot one pixel value, and a
// table load rewrites the few slots instead of the whole picture; the values are looked up where
// the picture is rendered. Scrolls move the picture's origin rather than its pixels, and a memory
// preset's fill is recorded per band of 12 rows and carried out when the band is next drawn into.
class RGBDIBCDGDevice final : public DIBCDGDevice {
 public:
  RGBDIBCDGDevice();

  void MemoryPreset(int color) override;
  void FillRect(int x, int y, int width, int height, int color) override;
  void DrawTileRow(int x, int y, int color0, int color1, int bits) override;
  // Twelve DrawTileRow calls from row y on, the bits of row r in rows[r] & 0x3F.
  void DrawTile(int x, int y, int color0, int color1, const uint8_t* rows);
  void SetPaletteEntry(int index, uint32_t value) override;
  // Eight SetPaletteEntry calls from `base` on.
  void SetPaletteEntries(int base, const uint32_t (&values)[8]);
  void ScrollLeft(int fill) override;
  void ScrollRight(int fill) override;
  void ScrollUp(int fill) override;
  void ScrollDown(int fill) override;
  void Render(const CdgFrameInfo& info, int x, int y, uint32_t* frame) const override;
  // Render(info, 0, 0, frame) for a frame that holds what the previous call rendered: only what
  // changed since is rendered again.
  void RenderChanges(const CdgFrameInfo& info, uint32_t* frame);

  // The pixel value colour `index` is drawn with now.
  uint32_t PixelValue(int index) const {
    index &= 15;
    return (uint32_t(index) << 24) | (index == presetColor_ ? kCdgKeyRgb : table_[index]);
  }
  // A pixel of the device picture (top row 0); 0 outside it.
  uint32_t PixelAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= kCdgWidth || y >= kCdgHeight) return 0;
    return slotValue_[SlotAt(StoredX(x), StoredY(y))];
  }
  uint32_t TableRgb(int index) const { return table_[index & 15]; }
  int32_t presetColor() const { return presetColor_; }

 private:
  using Slot = uint16_t;
  static constexpr int kBandHeight = 12;
  static constexpr int kBands = kCdgHeight / kBandHeight;
  static constexpr int kNoFill = -1;

  // Where picture column x and row y are stored: rows and columns are rings, and scrolls turn
  // them.
  int StoredX(int x) const { return (x + originX_) % kCdgWidth; }
  int StoredY(int y) const { return (y + originY_) % kCdgHeight; }
  Slot* StoredRow(int storedY) { return picture_.get() + storedY * kCdgWidth; }
  // The slot of a stored pixel, a pending fill included.
  Slot SlotAt(int storedX, int storedY) const;
  bool InFill(int band, int storedX) const {
    const int d = storedX - fillX_[band];
    return (d < 0 ? d + kCdgWidth : d) < fillWidth_[band];
  }
  // Carries out the pending fill of a stored band.
  void Materialize(int band);
  // Before the stored columns from storedX on, `width` of them, are written in every row of a
  // band: a pending fill loses them when they are at one of its ends, else it is carried out.
  void CutFill(int band, int storedX, int width);
  void FillStored(int storedY, int storedX, int width, Slot slot);
  // The 6 stored columns from storedX on, in every row (the strip a sideways scroll frees).
  void FillColumns(int storedX, Slot slot);
  static uint32_t TableRgbOf(uint32_t value);
  // A slot holding `value`: an existing one, else a new one.
  Slot SlotFor(uint32_t value);
  // Drops the slots no pixel uses and merges slots of equal value.
  void CompactSlots();
  // Every slot equal to from[i] (i its colour index) becomes to[i].
  void Recolour(const uint32_t (&from)[16], const uint32_t (&to)[16]);
  void MarkRows(int y0, int y1);
  void RenderRow(int y, int x, int width, uint32_t* out) const;
  void RenderPart(const CdgFrameInfo& info, int x, int y, uint32_t* frame, uint32_t bands,
                  bool border) const;

  std::unique_ptr<Slot[]> picture_;  // stored rows, the picture's row 0 at originY_
  int originX_ = 0;                  // a multiple of 6
  int originY_ = 0;                  // a multiple of 12
  // A memory preset's fill not yet carried out, per stored band: its slot (or kNoFill) and its
  // stored columns (from fillX_ on, fillWidth_ of them, round the ring).
  int32_t fill_[kBands];
  int fillX_[kBands] = {};
  int fillWidth_[kBands] = {};
  std::vector<uint32_t> slotValue_;  // pixel value of each slot
  size_t compactAt_ = 256;           // slot count that makes CompactSlots run
  Slot current_[16] = {};            // the slot colour index i is drawn with now
  uint32_t table_[16] = {};          // red, green, blue of each entry as 0x00RRGGBB
  int32_t presetColor_ = 0;
  // What RenderChanges has to do again: the 12-row bands of the picture drawn into (a tile row
  // lies in one), or everything.
  uint32_t changedBands_ = 0;
  bool changedAll_ = true;
  int32_t renderedH_ = 0;
  int32_t renderedV_ = 0;
  uint32_t renderedBorder_ = 0;
};

class CdgPlayer {
 public:
  CdgPlayer();
  ~CdgPlayer();
  CdgPlayer(const CdgPlayer&) = delete;
  CdgPlayer& operator=(const CdgPlayer&) = delete;

  // Reads the whole file. A file that cannot be opened changes nothing (false); a file that
  // cannot be held in memory leaves no data. The picture and the device state carry over to
  // the new file until its own presets change them.
  bool LoadCdgFile(const std::string& path);
  // The same for a stream already in memory.
  void LoadCdgBytes(std::span<const uint8_t> bytes);
  // Decodes up to one packet past the song position (hundredths of a second) and renders.
  void Update(int32_t centiseconds);
  // Frees the data and the device.
  void Release();

  bool HasData() const { return data_ != nullptr; }
  // The rendered picture: 300 x 216 pixel values, top row first.
  const uint32_t* FramePixels() const { return frame_.get(); }
  const CdgFrameInfo& frameInfo() const { return frameInfo_; }
  uint32_t processed() const { return processed_; }
  size_t cursor() const { return cursor_; }
  size_t dataSize() const { return dataSize_; }
  RGBDIBCDGDevice* device() { return device_.get(); }

  uint32_t channelMask = 0x111;  // tile channels 0, 4 and 8

 private:
  void DecodePacket(const uint8_t* packet);
  void DecodeTile(const uint8_t* data, bool xorTile);
  void DecodeScroll(const uint8_t* data, bool copy);
  void EnsureDevice();

  size_t cursor_ = 0;
  std::unique_ptr<uint8_t[]> data_;
  size_t dataSize_ = 0;
  CdgFrameInfo frameInfo_;
  uint32_t processed_ = 0;
  std::unique_ptr<RGBDIBCDGDevice> device_;
  std::unique_ptr<uint32_t[]> frame_;
};

}  // namespace lyrovox

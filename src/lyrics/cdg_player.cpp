#include "lyrics/cdg_player.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "lyrics/mapped_file.h"

namespace lyrovox {

namespace {

constexpr int kTileWidth = 6;
constexpr int kTileHeight = 12;
constexpr int kCommandGraphics = 9;

enum Instruction : uint8_t {
  kMemoryPreset = 1,
  kBorderPreset = 2,
  kTileNormal = 6,
  kScrollPreset = 20,
  kScrollCopy = 24,
  kTileXor = 38,
  kLoadTableLow = 30,
  kLoadTableHigh = 31,
};

}  // namespace

void CDGDevice::Reset() {
  hScrollOffset = 0;
  vScrollOffset = 0;
  borderColor = 0;
  xorMode = false;
}

void CDGDevice::MemoryPreset(int color) {
  Reset();
  FillRect(kTileWidth, kTileHeight, kCdgWidth - 2 * kTileWidth, kCdgHeight - 2 * kTileHeight,
           color);
}

void CDGDevice::SetScrollOffset(int h, int v) {
  hScrollOffset = h;
  vScrollOffset = v;
}

RGBDIBCDGDevice::RGBDIBCDGDevice()
    : picture_(new uint32_t[kCdgPixels]), scratch_(new uint32_t[kTileHeight * kCdgWidth]) {
  // Index 0 everywhere; as the preset colour it shows the key colour until the first preset.
  std::fill_n(picture_.get(), kCdgPixels, PixelValue(0));
}

void RGBDIBCDGDevice::MemoryPreset(int color) {
  presetColor = color & 15;
  CDGDevice::MemoryPreset(color);
}

void RGBDIBCDGDevice::FillRect(int x, int y, int width, int height, int color) {
  const int x0 = std::clamp(x, 0, kCdgWidth);
  const int x1 = std::clamp(x + width, x0, kCdgWidth);
  const int y0 = std::clamp(y, 0, kCdgHeight);
  const int y1 = std::clamp(y + height, y0, kCdgHeight);
  const uint32_t value = PixelValue(color);
  for (int row = y0; row < y1; ++row)
    std::fill(Row(row) + x0, Row(row) + x1, value);
}

void RGBDIBCDGDevice::DrawTileRow(int x, int y, int color0, int color1, int bits) {
  if (x < 0 || y < 0 || x + kTileWidth > kCdgWidth || y >= kCdgHeight) return;
  uint32_t* p = Row(y) + x;
  if (!xorMode) {
    const uint32_t v0 = PixelValue(color0);
    const uint32_t v1 = PixelValue(color1);
    for (int i = 0; i < kTileWidth; ++i)
      p[i] = (bits & (0x20 >> i)) ? v1 : v0;
    return;
  }
  for (int i = 0; i < kTileWidth; ++i) {
    const int with = (bits & (0x20 >> i)) ? color1 : color0;
    p[i] = PixelValue(static_cast<int>(p[i] >> 24) ^ with);
  }
}

uint32_t RGBDIBCDGDevice::TableRgbOf(uint32_t value) {
  const uint32_t red = ((value >> 2) & 15) * 17;
  const uint32_t green = (((value & 3) << 2) | ((value >> 12) & 3)) * 17;
  const uint32_t blue = ((value >> 8) & 15) * 17;
  return (red << 16) | (green << 8) | blue;
}

void RGBDIBCDGDevice::Recolour(const uint32_t (&from)[16], const uint32_t (&to)[16]) {
  // Pixel values carry their index in the top byte, so each value belongs to one entry only.
  uint32_t* p = picture_.get();
  for (int i = 0; i < kCdgPixels; ++i) {
    const uint32_t index = (p[i] >> 24) & 15;
    p[i] = p[i] == from[index] ? to[index] : p[i];
  }
}

void RGBDIBCDGDevice::SetPaletteEntry(int index, uint32_t value) {
  index &= 15;
  uint32_t from[16];
  for (int i = 0; i < 16; ++i)
    from[i] = PixelValue(i);
  table_[index] = TableRgbOf(value);
  uint32_t to[16];
  for (int i = 0; i < 16; ++i)
    to[i] = PixelValue(i);
  // What is already drawn in this colour takes the new one.
  if (from[index] != to[index]) Recolour(from, to);
}

void RGBDIBCDGDevice::SetPaletteEntries(int base, const uint32_t (&values)[8]) {
  uint32_t from[16];
  for (int i = 0; i < 16; ++i)
    from[i] = PixelValue(i);
  for (int i = 0; i < 8; ++i)
    table_[(base + i) & 15] = TableRgbOf(values[i]);
  uint32_t to[16];
  bool changed = false;
  for (int i = 0; i < 16; ++i) {
    to[i] = PixelValue(i);
    changed |= to[i] != from[i];
  }
  if (changed) Recolour(from, to);
}

void RGBDIBCDGDevice::ScrollLeft(int fill) {
  const uint32_t value = fill == kCdgRotate ? 0 : PixelValue(fill);
  uint32_t left[kTileWidth];
  for (int y = 0; y < kCdgHeight; ++y) {
    uint32_t* row = Row(y);
    std::memcpy(left, row, sizeof left);
    std::memmove(row, row + kTileWidth, (kCdgWidth - kTileWidth) * sizeof(uint32_t));
    uint32_t* freed = row + kCdgWidth - kTileWidth;
    if (fill == kCdgRotate) {
      std::memcpy(freed, left, sizeof left);
    } else {
      std::fill_n(freed, kTileWidth, value);
    }
  }
}

void RGBDIBCDGDevice::ScrollRight(int fill) {
  const uint32_t value = fill == kCdgRotate ? 0 : PixelValue(fill);
  uint32_t right[kTileWidth];
  for (int y = 0; y < kCdgHeight; ++y) {
    uint32_t* row = Row(y);
    std::memcpy(right, row + kCdgWidth - kTileWidth, sizeof right);
    std::memmove(row + kTileWidth, row, (kCdgWidth - kTileWidth) * sizeof(uint32_t));
    if (fill == kCdgRotate) {
      std::memcpy(row, right, sizeof right);
    } else {
      std::fill_n(row, kTileWidth, value);
    }
  }
}

void RGBDIBCDGDevice::ScrollUp(int fill) {
  constexpr size_t kBand = size_t{kTileHeight} * kCdgWidth;
  uint32_t* p = picture_.get();
  if (fill == kCdgRotate) std::memcpy(scratch_.get(), p, kBand * sizeof(uint32_t));
  std::memmove(p, p + kBand, (kCdgPixels - kBand) * sizeof(uint32_t));
  uint32_t* freed = p + kCdgPixels - kBand;
  if (fill == kCdgRotate) {
    std::memcpy(freed, scratch_.get(), kBand * sizeof(uint32_t));
  } else {
    std::fill_n(freed, kBand, PixelValue(fill));
  }
}

void RGBDIBCDGDevice::ScrollDown(int fill) {
  constexpr size_t kBand = size_t{kTileHeight} * kCdgWidth;
  uint32_t* p = picture_.get();
  if (fill == kCdgRotate) {
    std::memcpy(scratch_.get(), p + kCdgPixels - kBand, kBand * sizeof(uint32_t));
  }
  std::memmove(p + kBand, p, (kCdgPixels - kBand) * sizeof(uint32_t));
  if (fill == kCdgRotate) {
    std::memcpy(p, scratch_.get(), kBand * sizeof(uint32_t));
  } else {
    std::fill_n(p, kBand, PixelValue(fill));
  }
}

void RGBDIBCDGDevice::Render(const CdgFrameInfo& info, int x, int y, uint32_t* frame) const {
  const int width = std::min(info.width, kCdgWidth);
  const int height = std::min(info.height, kCdgHeight);
  auto put = [&](int fx, int fy, const uint32_t* src, int n) {
    if (fy < 0 || fy >= height) return;
    const int from = std::max(fx, 0);
    const int to = std::min(fx + n, width);
    if (from < to) std::memcpy(frame + fy * width + from, src + (from - fx), (to - from) * 4);
  };
  // The visible 288 x 192 area, shifted by the scroll offsets.
  // Offsets up to a whole tile still read inside the picture.
  const int h = std::clamp(hScrollOffset, 0, kTileWidth);
  const int v = std::clamp(vScrollOffset, 0, kTileHeight);
  constexpr int kVisibleWidth = kCdgWidth - 2 * kTileWidth;
  constexpr int kVisibleHeight = kCdgHeight - 2 * kTileHeight;
  for (int r = 0; r < kVisibleHeight; ++r) {
    put(x + kTileWidth, y + kTileHeight + r,
        picture_.get() + (v + kTileHeight + r) * kCdgWidth + h + kTileWidth, kVisibleWidth);
  }
  // The border over it.
  uint32_t border[kCdgWidth];
  std::fill_n(border, kCdgWidth, PixelValue(borderColor));
  for (int r = 0; r < kTileHeight; ++r) {
    put(x, y + r, border, kCdgWidth);
    put(x, y + kCdgHeight - kTileHeight + r, border, kCdgWidth);
  }
  for (int r = kTileHeight; r < kCdgHeight - kTileHeight; ++r) {
    put(x, y + r, border, kTileWidth);
    put(x + kCdgWidth - kTileWidth, y + r, border, kTileWidth);
  }
}

CdgPlayer::CdgPlayer() : device_(new RGBDIBCDGDevice), frame_(new uint32_t[kCdgPixels]) {
  device_->Render(frameInfo_, 0, 0, frame_.get());
}

CdgPlayer::~CdgPlayer() = default;

bool CdgPlayer::LoadCdgFile(const std::string& path) {
  const MappedFile file(path);
  if (!file.ok()) return false;
  LoadCdgBytes(file.bytes());
  return true;
}

void CdgPlayer::LoadCdgBytes(std::span<const uint8_t> bytes) {
  data_.reset();
  dataSize_ = 0;
  // A stream too large for memory leaves no data rather than ending the program.
  data_.reset(new (std::nothrow) uint8_t[bytes.empty() ? 1 : bytes.size()]());
  if (data_ != nullptr) {
    if (!bytes.empty()) std::memcpy(data_.get(), bytes.data(), bytes.size());
    dataSize_ = bytes.size();
  }
  cursor_ = 0;
  processed_ = 0;
  EnsureDevice();
}

void CdgPlayer::EnsureDevice() {
  if (device_ == nullptr) device_.reset(new RGBDIBCDGDevice);
}

void CdgPlayer::Release() {
  data_.reset();
  dataSize_ = 0;
  cursor_ = 0;
  processed_ = 0;
  device_.reset();
}

void CdgPlayer::Update(int32_t centiseconds) {
  if (data_ == nullptr || device_ == nullptr) return;
  const int64_t target = int64_t{3} * centiseconds;
  if (int64_t{processed_} >= target) return;
  // One packet past the target, as long as data remain.
  const int64_t rounds = target - processed_ + 1;
  const size_t left = (dataSize_ - std::min(cursor_, dataSize_)) / kCdgPacketSize;
  const int64_t count = std::min<int64_t>(rounds, static_cast<int64_t>(left));
  for (int64_t i = 0; i < count; ++i) {
    DecodePacket(data_.get() + cursor_);
    cursor_ += kCdgPacketSize;
  }
  device_->Render(frameInfo_, 0, 0, frame_.get());
  processed_ += static_cast<uint32_t>(count);
}

void CdgPlayer::DecodePacket(const uint8_t* packet) {
  if ((packet[0] & 0x3F) != kCommandGraphics) return;
  const uint8_t* data = packet + 4;
  RGBDIBCDGDevice& device = *device_;
  switch (packet[1] & 0x3F) {
    case kMemoryPreset:
      // Presets come repeated; only the first of a series (repeat count 0) acts.
      if ((data[1] & 0x3F) == 0) device.MemoryPreset(data[0] & 0x0F);
      break;
    case kBorderPreset:
      device.BorderPreset(data[0] & 0x0F);
      break;
    case kTileNormal:
      DecodeTile(data, false);
      break;
    case kTileXor:
      DecodeTile(data, true);
      break;
    case kScrollPreset:
      DecodeScroll(data, false);
      break;
    case kScrollCopy:
      DecodeScroll(data, true);
      break;
    case kLoadTableLow:
    case kLoadTableHigh: {
      const int base = (packet[1] & 0x3F) == kLoadTableLow ? 0 : 8;
      uint32_t values[8];
      for (int i = 0; i < 8; ++i)
        values[i] = (data[2 * i] | (uint32_t{data[2 * i + 1]} << 8)) & 0x3F3F;
      device.SetPaletteEntries(base, values);
      break;
    }
    default:
      break;
  }
}

void CdgPlayer::DecodeTile(const uint8_t* data, bool xorTile) {
  const int color0 = data[0] & 0x0F;
  const int color1 = data[1] & 0x0F;
  const int row = data[2] & 0x1F;
  const int column = data[3] & 0x3F;
  const int channel = ((data[0] & 0x30) >> 2) | ((data[1] & 0x30) >> 4);
  if ((channelMask & (1u << channel)) == 0) return;
  const int x = column * kTileWidth;
  const int y = row * kTileHeight;
  if (x >= 295 || y >= 205) return;
  RGBDIBCDGDevice& device = *device_;
  device.SetXorMode(xorTile);
  for (int r = 0; r < kTileHeight; ++r)
    device.DrawTileRow(x, y + r, color0, color1, data[4 + r] & 0x3F);
}

void CdgPlayer::DecodeScroll(const uint8_t* data, bool copy) {
  const int fill = copy ? kCdgRotate : (data[0] & 0x0F);
  RGBDIBCDGDevice& device = *device_;
  switch ((data[1] >> 4) & 3) {
    case 1:
      device.ScrollRight(fill);
      break;
    case 2:
      device.ScrollLeft(fill);
      break;
    case 3:
      return;
    default:
      break;
  }
  switch ((data[2] >> 4) & 3) {
    case 1:
      device.ScrollDown(fill);
      break;
    case 2:
      device.ScrollUp(fill);
      break;
    case 3:
      return;
    default:
      break;
  }
  const int h = data[1] & 7;
  const int v = data[2] & 0x0F;
  if (h > 6 || v >= 13) return;
  device.SetScrollOffset(h, v);
}

}  // namespace lyrovox

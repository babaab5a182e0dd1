#include "lyrics/cdg_player.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <unordered_map>

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
    : picture_(new Slot[kCdgPixels]), scratch_(new Slot[kTileHeight * kCdgWidth]) {
  slotValue_.reserve(compactAt_);
  for (int i = 0; i < 16; ++i) {
    current_[i] = static_cast<Slot>(i);
    slotValue_.push_back(PixelValue(i));
  }
  // Index 0 everywhere; as the preset colour it shows the key colour until the first preset.
  std::fill_n(picture_.get(), kCdgPixels, current_[0]);
}

RGBDIBCDGDevice::Slot RGBDIBCDGDevice::SlotFor(uint32_t value) {
  const auto found = std::find(slotValue_.begin(), slotValue_.end(), value);
  if (found != slotValue_.end()) return static_cast<Slot>(found - slotValue_.begin());
  if (slotValue_.size() >= compactAt_) {
    CompactSlots();
    // Live slots are at most the picture's pixels and the 16 drawing colours, fewer than 65536.
    // When most survive, wait for twice as many before compacting again.
    if (slotValue_.size() * 2 > compactAt_) compactAt_ = std::min<size_t>(compactAt_ * 2, 65536);
  }
  slotValue_.push_back(value);
  return static_cast<Slot>(slotValue_.size() - 1);
}

void RGBDIBCDGDevice::CompactSlots() {
  constexpr Slot kUnused = 0xFFFF;
  std::vector<Slot> remap(slotValue_.size(), kUnused);
  std::vector<uint32_t> values;
  std::unordered_map<uint32_t, Slot> slotOfValue;
  auto keep = [&](Slot slot) {
    if (remap[slot] == kUnused) {
      const auto [at, added] =
          slotOfValue.try_emplace(slotValue_[slot], static_cast<Slot>(values.size()));
      if (added) values.push_back(slotValue_[slot]);
      remap[slot] = at->second;
    }
    return remap[slot];
  };
  for (Slot& slot : current_)
    slot = keep(slot);
  Slot* p = picture_.get();
  for (int i = 0; i < kCdgPixels; ++i)
    p[i] = keep(p[i]);
  slotValue_ = std::move(values);
}

void RGBDIBCDGDevice::MarkRows(int y0, int y1) {
  if (y0 >= y1) return;
  for (int band = y0 / kTileHeight; band <= (y1 - 1) / kTileHeight; ++band)
    changedBands_ |= 1u << band;
}

void RGBDIBCDGDevice::MemoryPreset(int color) {
  const int old = presetColor_;
  presetColor_ = color & 15;
  // Pixels keep the values they were drawn with; only what is drawn from now on changes.
  current_[old] = SlotFor(PixelValue(old));
  current_[presetColor_] = SlotFor(PixelValue(presetColor_));
  changedAll_ = true;
  CDGDevice::MemoryPreset(color);
}

void RGBDIBCDGDevice::FillRect(int x, int y, int width, int height, int color) {
  const int x0 = std::clamp(x, 0, kCdgWidth);
  const int x1 = std::clamp(x + width, x0, kCdgWidth);
  const int y0 = std::clamp(y, 0, kCdgHeight);
  const int y1 = std::clamp(y + height, y0, kCdgHeight);
  const Slot slot = current_[color & 15];
  for (int row = y0; row < y1; ++row)
    std::fill(Row(row) + x0, Row(row) + x1, slot);
  MarkRows(y0, y1);
}

void RGBDIBCDGDevice::DrawTileRow(int x, int y, int color0, int color1, int bits) {
  if (x < 0 || y < 0 || x + kTileWidth > kCdgWidth || y >= kCdgHeight) return;
  Slot* p = Row(y) + x;
  changedBands_ |= 1u << (y / kTileHeight);
  if (!xorMode) {
    const Slot s0 = current_[color0 & 15];
    const Slot s1 = current_[color1 & 15];
    for (int i = 0; i < kTileWidth; ++i)
      p[i] = (bits & (0x20 >> i)) ? s1 : s0;
    return;
  }
  for (int i = 0; i < kTileWidth; ++i) {
    const int with = (bits & (0x20 >> i)) ? color1 : color0;
    p[i] = current_[((slotValue_[p[i]] >> 24) ^ with) & 15];
  }
}

uint32_t RGBDIBCDGDevice::TableRgbOf(uint32_t value) {
  const uint32_t red = ((value >> 2) & 15) * 17;
  const uint32_t green = (((value & 3) << 2) | ((value >> 12) & 3)) * 17;
  const uint32_t blue = ((value >> 8) & 15) * 17;
  return (red << 16) | (green << 8) | blue;
}

void RGBDIBCDGDevice::Recolour(const uint32_t (&from)[16], const uint32_t (&to)[16]) {
  // Slot values carry their index in the top byte, so each value belongs to one entry only.
  for (uint32_t& value : slotValue_) {
    const uint32_t index = (value >> 24) & 15;
    value = value == from[index] ? to[index] : value;
  }
  changedAll_ = true;
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
  const Slot value = fill == kCdgRotate ? 0 : current_[fill & 15];
  Slot left[kTileWidth];
  for (int y = 0; y < kCdgHeight; ++y) {
    Slot* row = Row(y);
    std::memcpy(left, row, sizeof left);
    std::memmove(row, row + kTileWidth, (kCdgWidth - kTileWidth) * sizeof(Slot));
    Slot* freed = row + kCdgWidth - kTileWidth;
    if (fill == kCdgRotate) {
      std::memcpy(freed, left, sizeof left);
    } else {
      std::fill_n(freed, kTileWidth, value);
    }
  }
  changedAll_ = true;
}

void RGBDIBCDGDevice::ScrollRight(int fill) {
  const Slot value = fill == kCdgRotate ? 0 : current_[fill & 15];
  Slot right[kTileWidth];
  for (int y = 0; y < kCdgHeight; ++y) {
    Slot* row = Row(y);
    std::memcpy(right, row + kCdgWidth - kTileWidth, sizeof right);
    std::memmove(row + kTileWidth, row, (kCdgWidth - kTileWidth) * sizeof(Slot));
    if (fill == kCdgRotate) {
      std::memcpy(row, right, sizeof right);
    } else {
      std::fill_n(row, kTileWidth, value);
    }
  }
  changedAll_ = true;
}

void RGBDIBCDGDevice::ScrollUp(int fill) {
  constexpr size_t kBand = size_t{kTileHeight} * kCdgWidth;
  Slot* p = picture_.get();
  if (fill == kCdgRotate) std::memcpy(scratch_.get(), p, kBand * sizeof(Slot));
  std::memmove(p, p + kBand, (kCdgPixels - kBand) * sizeof(Slot));
  Slot* freed = p + kCdgPixels - kBand;
  if (fill == kCdgRotate) {
    std::memcpy(freed, scratch_.get(), kBand * sizeof(Slot));
  } else {
    std::fill_n(freed, kBand, current_[fill & 15]);
  }
  changedAll_ = true;
}

void RGBDIBCDGDevice::ScrollDown(int fill) {
  constexpr size_t kBand = size_t{kTileHeight} * kCdgWidth;
  Slot* p = picture_.get();
  if (fill == kCdgRotate) {
    std::memcpy(scratch_.get(), p + kCdgPixels - kBand, kBand * sizeof(Slot));
  }
  std::memmove(p + kBand, p, (kCdgPixels - kBand) * sizeof(Slot));
  if (fill == kCdgRotate) {
    std::memcpy(p, scratch_.get(), kBand * sizeof(Slot));
  } else {
    std::fill_n(p, kBand, current_[fill & 15]);
  }
  changedAll_ = true;
}

void RGBDIBCDGDevice::Render(const CdgFrameInfo& info, int x, int y, uint32_t* frame) const {
  RenderPart(info, x, y, frame, ~0u, true);
}

void RGBDIBCDGDevice::RenderChanges(const CdgFrameInfo& info, uint32_t* frame) {
  const uint32_t border = PixelValue(borderColor);
  const bool all = changedAll_ || hScrollOffset != renderedH_ || vScrollOffset != renderedV_ ||
                   border != renderedBorder_;
  if (all || changedBands_ != 0) RenderPart(info, 0, 0, frame, all ? ~0u : changedBands_, all);
  changedAll_ = false;
  changedBands_ = 0;
  renderedH_ = hScrollOffset;
  renderedV_ = vScrollOffset;
  renderedBorder_ = border;
}

void RGBDIBCDGDevice::RenderPart(const CdgFrameInfo& info, int x, int y, uint32_t* frame,
                                 uint32_t bands, bool border) const {
  const int width = std::min(info.width, kCdgWidth);
  const int height = std::min(info.height, kCdgHeight);
  // The part of a frame row from fx on, n pixels long, that lies inside the frame.
  auto span = [&](int fx, int fy, int n, int& from, int& to) {
    if (fy < 0 || fy >= height) return false;
    from = std::max(fx, 0);
    to = std::min(fx + n, width);
    return from < to;
  };
  const uint32_t* values = slotValue_.data();
  // The visible 288 x 192 area, shifted by the scroll offsets.
  // Offsets up to a whole tile still read inside the picture.
  const int h = std::clamp(hScrollOffset, 0, kTileWidth);
  const int v = std::clamp(vScrollOffset, 0, kTileHeight);
  constexpr int kVisibleWidth = kCdgWidth - 2 * kTileWidth;
  constexpr int kVisibleHeight = kCdgHeight - 2 * kTileHeight;
  for (int r = 0; r < kVisibleHeight; ++r) {
    const int source = v + kTileHeight + r;
    if ((bands & (1u << (source / kTileHeight))) == 0) continue;
    const int fx = x + kTileWidth;
    int from = 0;
    int to = 0;
    if (!span(fx, y + kTileHeight + r, kVisibleWidth, from, to)) continue;
    const Slot* src = picture_.get() + source * kCdgWidth + h + kTileWidth + (from - fx);
    uint32_t* out = frame + (y + kTileHeight + r) * width + from;
    for (int i = 0; i < to - from; ++i)
      out[i] = values[src[i]];
  }
  if (!border) return;
  // The border over it.
  const uint32_t value = PixelValue(borderColor);
  auto put = [&](int fx, int fy, int n) {
    int from = 0;
    int to = 0;
    if (span(fx, fy, n, from, to))
      std::fill(frame + fy * width + from, frame + fy * width + to, value);
  };
  for (int r = 0; r < kTileHeight; ++r) {
    put(x, y + r, kCdgWidth);
    put(x, y + kCdgHeight - kTileHeight + r, kCdgWidth);
  }
  for (int r = kTileHeight; r < kCdgHeight - kTileHeight; ++r) {
    put(x, y + r, kTileWidth);
    put(x + kCdgWidth - kTileWidth, y + r, kTileWidth);
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
  device_->RenderChanges(frameInfo_, frame_.get());
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

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

RGBDIBCDGDevice::RGBDIBCDGDevice() : picture_(new Slot[kCdgPixels]) {
  std::fill_n(fill_, kBands, kNoFill);
  slotValue_.reserve(compactAt_);
  for (int i = 0; i < 16; ++i) {
    current_[i] = static_cast<Slot>(i);
    slotValue_.push_back(PixelValue(i));
  }
  // Index 0 everywhere; as the preset colour it shows the key colour until the first preset.
  std::fill_n(picture_.get(), kCdgPixels, current_[0]);
}

RGBDIBCDGDevice::Slot RGBDIBCDGDevice::SlotAt(int storedX, int storedY) const {
  const int band = storedY / kBandHeight;
  if (fill_[band] != kNoFill && InFill(band, storedX)) return static_cast<Slot>(fill_[band]);
  return picture_[storedY * kCdgWidth + storedX];
}

void RGBDIBCDGDevice::FillStored(int storedY, int storedX, int width, Slot slot) {
  Slot* row = StoredRow(storedY);
  const int first = std::min(width, kCdgWidth - storedX);
  std::fill_n(row + storedX, first, slot);
  std::fill_n(row, width - first, slot);
}

void RGBDIBCDGDevice::Materialize(int band) {
  if (fill_[band] == kNoFill) return;
  const auto slot = static_cast<Slot>(fill_[band]);
  fill_[band] = kNoFill;
  for (int r = 0; r < kBandHeight; ++r)
    FillStored(band * kBandHeight + r, fillX_[band], fillWidth_[band], slot);
}

void RGBDIBCDGDevice::CutFill(int band, int storedX, int width) {
  if (fill_[band] == kNoFill) return;
  int& from = fillX_[band];
  int& count = fillWidth_[band];
  // Where the columns start, counted from the fill's start round the ring.
  const int start = (storedX - from + kCdgWidth) % kCdgWidth;
  if (start == 0 || start + width > kCdgWidth) {
    // Over the fill's start (possibly coming round from before it).
    const int cut = start == 0 ? width : start + width - kCdgWidth;
    from = (from + cut) % kCdgWidth;
    count -= cut;
  } else if (start < count && start + width >= count) {
    count = start;  // over its end
  } else if (start < count) {
    Materialize(band);  // inside it
  }
  if (count <= 0) fill_[band] = kNoFill;
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
  for (int32_t& slot : fill_) {
    if (slot != kNoFill) slot = keep(static_cast<Slot>(slot));
  }
  // Pixels under a pending fill are kept too: they are overwritten before they are seen.
  Slot* p = picture_.get();
  for (int i = 0; i < kCdgPixels; ++i)
    p[i] = keep(p[i]);
  slotValue_ = std::move(values);
}

void RGBDIBCDGDevice::MarkRows(int y0, int y1) {
  if (y0 >= y1) return;
  for (int band = y0 / kBandHeight; band <= (y1 - 1) / kBandHeight; ++band)
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
  const Slot slot = current_[color & 15];
  if (x == kTileWidth && y == kTileHeight && width == kCdgWidth - 2 * kTileWidth &&
      height == kCdgHeight - 2 * kTileHeight) {
    // The memory preset's area: bands 1 to 16 without their first and last 6 columns. Noted
    // for each band, to be carried out when the band is drawn into.
    const int storedX = StoredX(kTileWidth);
    for (int row = 1; row < kBands - 1; ++row) {
      const int band = StoredY(row * kBandHeight) / kBandHeight;
      if (fill_[band] != kNoFill &&
          (fillX_[band] != storedX || fillWidth_[band] != kCdgWidth - 2 * kTileWidth)) {
        // Of an earlier fill, what lies outside the new one stays: at most its 12 columns.
        const auto earlier = static_cast<Slot>(fill_[band]);
        for (int k = 0; k < 2 * kTileWidth; ++k) {
          const int column = (storedX + kCdgWidth - 2 * kTileWidth + k) % kCdgWidth;
          if (!InFill(band, column)) continue;
          for (int r = 0; r < kBandHeight; ++r)
            StoredRow(band * kBandHeight + r)[column] = earlier;
        }
      }
      fill_[band] = slot;
      fillX_[band] = storedX;
      fillWidth_[band] = kCdgWidth - 2 * kTileWidth;
    }
    MarkRows(y, y + height);
    return;
  }
  const int x0 = std::clamp(x, 0, kCdgWidth);
  const int x1 = std::clamp(x + width, x0, kCdgWidth);
  const int y0 = std::clamp(y, 0, kCdgHeight);
  const int y1 = std::clamp(y + height, y0, kCdgHeight);
  if (x0 == x1) return;
  for (int row = y0; row < y1; ++row) {
    const int storedY = StoredY(row);
    Materialize(storedY / kBandHeight);
    FillStored(storedY, StoredX(x0), x1 - x0, slot);
  }
  MarkRows(y0, y1);
}

void RGBDIBCDGDevice::DrawTileRow(int x, int y, int color0, int color1, int bits) {
  if (x < 0 || y < 0 || x + kTileWidth > kCdgWidth || y >= kCdgHeight) return;
  const int storedY = StoredY(y);
  Materialize(storedY / kBandHeight);
  changedBands_ |= 1u << (y / kBandHeight);
  Slot* row = StoredRow(storedY);
  int at[kTileWidth];
  for (int i = 0, stored = StoredX(x); i < kTileWidth; ++i, ++stored)
    at[i] = stored < kCdgWidth ? stored : stored - kCdgWidth;
  if (!xorMode) {
    const Slot s0 = current_[color0 & 15];
    const Slot s1 = current_[color1 & 15];
    for (int i = 0; i < kTileWidth; ++i)
      row[at[i]] = (bits & (0x20 >> i)) ? s1 : s0;
    return;
  }
  for (int i = 0; i < kTileWidth; ++i) {
    const int with = (bits & (0x20 >> i)) ? color1 : color0;
    row[at[i]] = current_[((slotValue_[row[at[i]]] >> 24) ^ with) & 15];
  }
}

void RGBDIBCDGDevice::DrawTile(int x, int y, int color0, int color1, const uint8_t* rows) {
  if (x < 0 || y < 0 || x % kTileWidth != 0 || y % kTileHeight != 0 || x + kTileWidth > kCdgWidth ||
      y + kTileHeight > kCdgHeight) {
    for (int r = 0; r < kTileHeight; ++r)
      DrawTileRow(x, y + r, color0, color1, rows[r] & 0x3F);
    return;
  }
  // A whole tile lies in one band and, the origin moving by whole tiles, in one stored run.
  const int storedY = StoredY(y);
  Materialize(storedY / kBandHeight);
  changedBands_ |= 1u << (y / kBandHeight);
  Slot* p = StoredRow(storedY) + StoredX(x);
  color0 &= 15;
  color1 &= 15;
  if (!xorMode) {
    const Slot s0 = current_[color0];
    const Slot s1 = current_[color1];
    for (int r = 0; r < kTileHeight; ++r, p += kCdgWidth) {
      for (int i = 0; i < kTileWidth; ++i)
        p[i] = (rows[r] & (0x20 >> i)) ? s1 : s0;
    }
    return;
  }
  const uint32_t* values = slotValue_.data();
  for (int r = 0; r < kTileHeight; ++r, p += kCdgWidth) {
    for (int i = 0; i < kTileWidth; ++i) {
      const int with = (rows[r] & (0x20 >> i)) ? color1 : color0;
      p[i] = current_[(values[p[i]] >> 24) ^ with];
    }
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

// The picture turns on its ring: what leaves at one side comes back at the other, which is the
// rotation of a scroll copy; a scroll preset then fills that strip.

void RGBDIBCDGDevice::ScrollLeft(int fill) {
  originX_ = (originX_ + kTileWidth) % kCdgWidth;
  changedAll_ = true;
  if (fill == kCdgRotate) return;
  FillColumns(StoredX(kCdgWidth - kTileWidth), current_[fill & 15]);
}

void RGBDIBCDGDevice::FillColumns(int storedX, Slot slot) {
  for (int band = 0; band < kBands; ++band)
    CutFill(band, storedX, kTileWidth);
  // Stored columns of a tile never wrap: the origin moves by whole tiles.
  for (int y = 0; y < kCdgHeight; ++y)
    std::fill_n(StoredRow(y) + storedX, kTileWidth, slot);
}

void RGBDIBCDGDevice::ScrollRight(int fill) {
  originX_ = (originX_ + kCdgWidth - kTileWidth) % kCdgWidth;
  changedAll_ = true;
  if (fill == kCdgRotate) return;
  FillColumns(StoredX(0), current_[fill & 15]);
}

void RGBDIBCDGDevice::ScrollUp(int fill) {
  originY_ = (originY_ + kTileHeight) % kCdgHeight;
  changedAll_ = true;
  if (fill == kCdgRotate) return;
  // The whole band is filled: a pending fill of it is void.
  const int storedY = StoredY(kCdgHeight - kTileHeight);
  fill_[storedY / kBandHeight] = kNoFill;
  for (int r = 0; r < kTileHeight; ++r)
    FillStored(storedY + r, 0, kCdgWidth, current_[fill & 15]);
}

void RGBDIBCDGDevice::ScrollDown(int fill) {
  originY_ = (originY_ + kCdgHeight - kTileHeight) % kCdgHeight;
  changedAll_ = true;
  if (fill == kCdgRotate) return;
  const int storedY = StoredY(0);
  fill_[storedY / kBandHeight] = kNoFill;
  for (int r = 0; r < kTileHeight; ++r)
    FillStored(storedY + r, 0, kCdgWidth, current_[fill & 15]);
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

void RGBDIBCDGDevice::RenderRow(int y, int x, int width, uint32_t* out) const {
  const int storedY = StoredY(y);
  const int band = storedY / kBandHeight;
  const Slot* row = picture_.get() + storedY * kCdgWidth;
  const uint32_t* values = slotValue_.data();
  // At most two runs: up to the end of the stored row, then from its start.
  for (int storedX = StoredX(x); width > 0; storedX = 0) {
    const int run = std::min(width, kCdgWidth - storedX);
    if (fill_[band] == kNoFill) {
      for (int i = 0; i < run; ++i)
        out[i] = values[row[storedX + i]];
    } else {
      const uint32_t filled = values[fill_[band]];
      for (int i = 0; i < run; ++i)
        out[i] = InFill(band, storedX + i) ? filled : values[row[storedX + i]];
    }
    out += run;
    width -= run;
  }
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
  // The visible 288 x 192 area, shifted by the scroll offsets.
  // Offsets up to a whole tile still read inside the picture.
  const int h = std::clamp(hScrollOffset, 0, kTileWidth);
  const int v = std::clamp(vScrollOffset, 0, kTileHeight);
  constexpr int kVisibleWidth = kCdgWidth - 2 * kTileWidth;
  constexpr int kVisibleHeight = kCdgHeight - 2 * kTileHeight;
  for (int r = 0; r < kVisibleHeight; ++r) {
    const int source = v + kTileHeight + r;
    if ((bands & (1u << (source / kBandHeight))) == 0) continue;
    const int fx = x + kTileWidth;
    const int fy = y + kTileHeight + r;
    int from = 0;
    int to = 0;
    if (!span(fx, fy, kVisibleWidth, from, to)) continue;
    RenderRow(source, h + kTileWidth + (from - fx), to - from, frame + fy * width + from);
  }
  if (!border) return;
  // The border over it.
  const uint32_t value = PixelValue(borderColor);
  auto put = [&](int fx, int fy, int n) {
    int from = 0;
    int to = 0;
    if (span(fx, fy, n, from, to)) {
      std::fill(frame + fy * width + from, frame + fy * width + to, value);
    }
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
  device.DrawTile(x, y, color0, color1, data + 4);
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

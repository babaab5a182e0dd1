#include "media/lyrics_overlay.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace lyrovox {

namespace {

// The source of picture pixel i of n when n pixels show m: the one under its centre.
int SourceOf(int i, int n, int m) {
  return static_cast<int>((int64_t{2} * i + 1) * m / (int64_t{2} * n));
}

void WritePixels(uint8_t* out, const uint32_t* pixels, int count, LyricsOverlay::PixelOrder order) {
  using Order = LyricsOverlay::PixelOrder;
  if (order == Order::kBGRx && std::endian::native == std::endian::little) {
    // 0xAARRGGBB lies in memory as B, G, R, A: the picture's own order.
    std::memcpy(out, pixels, static_cast<size_t>(count) * 4);
    return;
  }
  for (int i = 0; i < count; ++i, out += 4) {
    const uint32_t p = pixels[i];
    const uint8_t a = p >> 24;
    const uint8_t r = (p >> 16) & 0xFF;
    const uint8_t g = (p >> 8) & 0xFF;
    const uint8_t b = p & 0xFF;
    switch (order) {
      case Order::kBGRx:
        out[0] = b, out[1] = g, out[2] = r, out[3] = a;
        break;
      case Order::kRGBx:
        out[0] = r, out[1] = g, out[2] = b, out[3] = a;
        break;
      case Order::kxRGB:
        out[0] = a, out[1] = r, out[2] = g, out[3] = b;
        break;
      case Order::kxBGR:
        out[0] = a, out[1] = b, out[2] = g, out[3] = r;
        break;
    }
  }
}

// The first pixel from x on (width at most) that is not clear; eight at a time, which the
// compiler turns into vector compares, since most of a lyrics frame is clear.
int SkipClear(const uint32_t* line, int x, int width, uint32_t opaque, uint32_t clear) {
  for (; x + 8 <= width; x += 8) {
    uint32_t differ = 0;
    for (int i = 0; i < 8; ++i)
      differ |= (line[x + i] | opaque) ^ clear;
    if (differ != 0) break;
  }
  while (x < width && (line[x] | opaque) == clear)
    ++x;
  return x;
}

}  // namespace

bool LyricsOverlay::SameRow(const uint32_t* line, int width, uint32_t opaque, uint32_t clear,
                            const Row* row) {
  int x = 0;
  if (row != nullptr) {
    for (const Run& run : row->runs) {
      if (SkipClear(line, x, run.x, opaque, clear) != run.x) return false;
      const uint32_t* pixels = row->pixels.data() + run.first;
      for (int i = 0; i < run.length; ++i) {
        if ((line[run.x + i] | opaque) != pixels[i]) return false;
      }
      x = run.x + run.length;
    }
  }
  return SkipClear(line, x, width, opaque, clear) == width;
}

std::shared_ptr<const LyricsOverlay::Row> LyricsOverlay::MakeRow(const uint32_t* line,
                                                                 int lineWidth, uint32_t opaque,
                                                                 uint32_t clear, int width) {
  std::shared_ptr<Row> row;
  if (lineWidth == width) {
    // Unscaled: the runs are found first, then their pixels copied in one go each.
    for (int x = 0; x < width;) {
      x = SkipClear(line, x, width, opaque, clear);
      if (x == width) break;
      const int start = x;
      while (x < width && (line[x] | opaque) != clear)
        ++x;
      if (!row) row = std::make_shared<Row>();
      const size_t first = row->pixels.size();
      row->runs.push_back(Run{start, x - start, static_cast<uint32_t>(first)});
      row->pixels.insert(row->pixels.end(), line + start, line + x);
      for (size_t i = first; i < row->pixels.size(); ++i)
        row->pixels[i] |= opaque;
    }
    return row;
  }
  for (int x = 0; x < width;) {
    if ((line[SourceOf(x, width, lineWidth)] | opaque) == clear) {
      ++x;
      continue;
    }
    if (!row) row = std::make_shared<Row>();
    Run run{x, 0, static_cast<uint32_t>(row->pixels.size())};
    for (; x < width; ++x) {
      const uint32_t p = line[SourceOf(x, width, lineWidth)] | opaque;
      if (p == clear) break;
      row->pixels.push_back(p);
    }
    run.length = x - run.x;
    row->runs.push_back(run);
  }
  return row;
}

std::shared_ptr<const LyricsOverlay> LyricsOverlay::Make(
    const QImage& frame, const QRect& source, uint32_t clear, const QRegion& changed,
    QSize renderSize, const std::shared_ptr<const LyricsOverlay>& before) {
  const QRect part = source & frame.rect();
  if (frame.depth() != 32 || part.isEmpty() || renderSize.isEmpty()) return nullptr;
  // The top byte of an RGB32 pixel is not always set: those pixels are opaque whatever it holds.
  const uint32_t opaque = frame.format() == QImage::Format_RGB32 ? 0xFF000000u : 0u;
  const bool reuse = before && before->size_ == renderSize && before->source_ == part;
  // The rows of the part whose pixels may have changed.
  std::vector<bool> redo(static_cast<size_t>(part.height()), !reuse);
  if (reuse) {
    for (const QRect& r : changed& part) {
      std::fill(redo.begin() + (r.top() - part.top()), redo.begin() + (r.bottom() - part.top() + 1),
                true);
    }
  }
  auto overlay = std::make_shared<LyricsOverlay>();
  overlay->size_ = renderSize;
  overlay->source_ = part;
  overlay->rows_.resize(static_cast<size_t>(renderSize.height()));
  for (int y = 0; y < renderSize.height(); ++y) {
    const int partY = SourceOf(y, renderSize.height(), part.height());
    std::shared_ptr<const Row>& row = overlay->rows_[static_cast<size_t>(y)];
    if (redo[static_cast<size_t>(partY)]) {
      const auto* line =
          reinterpret_cast<const uint32_t*>(frame.constScanLine(part.top() + partY)) + part.left();
      // Most of what a frame redraws comes out as it was: such a row is kept as it is.
      const bool unscaled = part.width() == renderSize.width();
      if (reuse && unscaled &&
          SameRow(line, part.width(), opaque, clear, before->rows_[static_cast<size_t>(y)].get())) {
        row = before->rows_[static_cast<size_t>(y)];
      } else {
        row = MakeRow(line, part.width(), opaque, clear, renderSize.width());
      }
    } else {
      row = before->rows_[static_cast<size_t>(y)];
    }
    if (row) overlay->inked_ += static_cast<int64_t>(row->pixels.size());
  }
  if (overlay->inked_ == 0) return nullptr;
  return overlay;
}

template <class Visit>
void LyricsOverlay::ForEachRunOf(const Row& row, int width, Visit&& visit) {
  for (const Run& run : row.runs) {
    if (run.x >= width) break;
    visit(run.x, std::min(run.length, width - run.x), row.pixels.data() + run.first);
  }
}

template <class Visit>
void LyricsOverlay::ForEachRun(int width, int height, Visit&& visit) const {
  const int rows = std::min(height, size_.height());
  for (int y = 0; y < rows; ++y) {
    if (const Row* row = rows_[static_cast<size_t>(y)].get()) {
      ForEachRunOf(*row, width,
                   [&](int x, int count, const uint32_t* pixels) { visit(y, x, count, pixels); });
    }
  }
}

void LyricsOverlay::Apply(uint8_t* data, int stride, int width, int height,
                          PixelOrder order) const {
  ForEachRun(width, height, [&](int y, int x, int count, const uint32_t* pixels) {
    WritePixels(data + static_cast<ptrdiff_t>(stride) * y + static_cast<ptrdiff_t>(x) * 4, pixels,
                count, order);
  });
}

void LyricsOverlay::Replace(const LyricsOverlay* before, const LyricsOverlay* now, uint8_t* data,
                            int stride, int width, int height, PixelOrder order, Under& under) {
  const auto rowOf = [](const LyricsOverlay* o, int y) -> const Row* {
    return o != nullptr && y < o->size_.height() ? o->rows_[static_cast<size_t>(y)].get() : nullptr;
  };
  const int rows = std::min(height, std::max(before != nullptr ? before->size_.height() : 0,
                                             now != nullptr ? now->size_.height() : 0));
  if (static_cast<int>(under.rows.size()) < rows) under.rows.resize(static_cast<size_t>(rows));
  for (int y = 0; y < rows; ++y) {
    const Row* was = rowOf(before, y);
    const Row* is = rowOf(now, y);
    if (was == is) continue;
    uint8_t* line = data + static_cast<ptrdiff_t>(stride) * y;
    std::vector<uint32_t>& kept = under.rows[static_cast<size_t>(y)];
    size_t at = 0;
    if (was != nullptr) {
      ForEachRunOf(*was, width, [&](int x, int count, const uint32_t*) {
        if (at + static_cast<size_t>(count) > kept.size()) return;
        std::memcpy(line + static_cast<ptrdiff_t>(x) * 4, kept.data() + at,
                    static_cast<size_t>(count) * 4);
        at += static_cast<size_t>(count);
      });
    }
    kept.clear();
    if (is != nullptr) {
      ForEachRunOf(*is, width, [&](int x, int count, const uint32_t* pixels) {
        uint8_t* to = line + static_cast<ptrdiff_t>(x) * 4;
        kept.insert(kept.end(), reinterpret_cast<const uint32_t*>(to),
                    reinterpret_cast<const uint32_t*>(to) + count);
        WritePixels(to, pixels, count, order);
      });
    }
  }
}

}  // namespace lyrovox

#include "screen/glyph_masks.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <algorithm>
#include <cmath>

namespace lyrovox {

namespace {

struct Offsets {
  const QPoint* points;
  int count;
};

constexpr QPoint kShadowOffsets[] = {{4, 8}, {6, 8}, {4, 6}, {6, 6}};
constexpr QPoint kOutlineOffsets[] = {{-3, 0}, {3, 0}, {0, -3},  {0, 3},
                                      {-2, 2}, {2, 2}, {-2, -2}, {2, -2}};
constexpr QPoint kDiagonalOffsets[] = {{-2, 2}, {2, 2}, {-2, -2}, {2, -2}};
// The largest offset of any group, in layout pixels; the masks keep this much room around a glyph.
constexpr int kLargestOffset = 8;

Offsets OffsetsOf(int group) {
  switch (static_cast<MaskGroup>(group)) {
    case MaskGroup::kShadow:
      return {kShadowOffsets, 4};
    case MaskGroup::kOutline:
      return {kOutlineOffsets, 8};
    case MaskGroup::kDiagonal:
      return {kDiagonalOffsets, 4};
    case MaskGroup::kFill:
      break;
  }
  return {nullptr, 0};
}

// dst = dst union (src moved by a whole number of pixels).
void UnionMoved(Mask& dst, const Mask& src, int dx, int dy) {
  UnionInto(dst, src, dx, dy);
}

// dst = dst union (src moved by (dx, dy) device pixels, sampled bilinearly between pixels).
void UnionMovedFraction(Mask& dst, const Mask& src, double dx, double dy) {
  const double fx0 = std::floor(dx);
  const double fy0 = std::floor(dy);
  const int ix = static_cast<int>(fx0);
  const int iy = static_cast<int>(fy0);
  // Weights in 1/256: the pixel at (x - ix, y - iy) and its left and upper neighbours.
  const int wx = static_cast<int>(std::lround((dx - fx0) * 256.0));
  const int wy = static_cast<int>(std::lround((dy - fy0) * 256.0));
  auto at = [&src](int x, int y) -> int {
    if (x < 0 || y < 0 || x >= src.width || y >= src.height) return 0;
    return src.Row(y)[x];
  };
  for (int y = 0; y < dst.height; ++y) {
    const int syv = y - iy;
    if (syv < 0 || syv - 1 >= src.height) continue;
    uint8_t* out = dst.Row(y);
    for (int x = 0; x < dst.width; ++x) {
      const int sxv = x - ix;
      if (sxv < 0 || sxv - 1 >= src.width) continue;
      const int a = at(sxv, syv);
      const int b = at(sxv - 1, syv);
      const int c = at(sxv, syv - 1);
      const int d = at(sxv - 1, syv - 1);
      const int top = c * (256 - wx) + d * wx;
      const int bottom = a * (256 - wx) + b * wx;
      const int v = (bottom * (256 - wy) + top * wy + 32768) >> 16;
      if (v > 0) out[x] = UnionCoverage(out[x], static_cast<uint8_t>(v));
    }
  }
}

}  // namespace

void UnionInto(Mask& dst, const Mask& src, int x, int y) {
  const int x0 = std::max(0, x);
  const int y0 = std::max(0, y);
  const int x1 = std::min(dst.width, x + src.width);
  const int y1 = std::min(dst.height, y + src.height);
  if (x0 >= x1 || y0 >= y1) return;
  for (int row = y0; row < y1; ++row) {
    uint8_t* out = dst.Row(row) + x0;
    const uint8_t* in = src.Row(row - y) + (x0 - x);
    const int n = x1 - x0;
    for (int i = 0; i < n; ++i)
      out[i] = UnionCoverage(out[i], in[i]);
  }
}

const GlyphMasks& GlyphMaskCache::Get(const QRawFont& font, quint32 glyph, double sx, double sy,
                                      const bool (&groups)[kMaskGroupCount]) {
  FontSet* set = nullptr;
  for (const auto& candidate : fonts_) {
    if (candidate->sx == sx && candidate->sy == sy && candidate->font == font) {
      set = candidate.get();
      break;
    }
  }
  if (set == nullptr) {
    fonts_.push_back(std::make_unique<FontSet>(FontSet{font, sx, sy, {}}));
    set = fonts_.back().get();
  }

  std::unique_ptr<GlyphMasks>& slot = set->glyphs[glyph];
  if (!slot) {
    slot = std::make_unique<GlyphMasks>();
    const QPainterPath path = QTransform::fromScale(sx, sy).map(font.pathForGlyph(glyph));
    const QRectF bounds = path.boundingRect();
    Mask& fill = slot->group[static_cast<int>(MaskGroup::kFill)];
    slot->made[0] = true;
    if (!path.isEmpty() && bounds.width() > 0 && bounds.height() > 0 && bounds.width() < 8192 &&
        bounds.height() < 8192) {
      const int margin = static_cast<int>(std::ceil(kLargestOffset * std::max(sx, sy))) + 2;
      const int left = static_cast<int>(std::floor(bounds.left())) - margin;
      const int top = static_cast<int>(std::floor(bounds.top())) - margin;
      const int right = static_cast<int>(std::ceil(bounds.right())) + margin;
      const int bottom = static_cast<int>(std::ceil(bounds.bottom())) + margin;
      QImage image(right - left, bottom - top, QImage::Format_Alpha8);
      if (!image.isNull()) {
        image.fill(0);
        {
          QPainter painter(&image);
          painter.setRenderHint(QPainter::Antialiasing);
          painter.translate(-left, -top);
          painter.fillPath(path, Qt::white);
        }
        slot->topLeft = QPoint(left, top);
        fill.width = image.width();
        fill.height = image.height();
        fill.pixels.resize(static_cast<size_t>(fill.width) * fill.height);
        for (int y = 0; y < fill.height; ++y)
          std::copy_n(image.constScanLine(y), fill.width, fill.Row(y));
        bytes_ += fill.pixels.size();
      }
    }
  }

  GlyphMasks& masks = *slot;
  const Mask& fill = masks.group[0];
  for (int g = 1; g < kMaskGroupCount; ++g) {
    if (!groups[g] || masks.made[g]) continue;
    masks.made[g] = true;
    if (fill.width == 0) continue;
    Mask& layer = masks.group[g];
    layer.width = fill.width;
    layer.height = fill.height;
    layer.pixels.assign(fill.pixels.size(), 0);
    const Offsets offsets = OffsetsOf(g);
    for (int i = 0; i < offsets.count; ++i) {
      const double dx = offsets.points[i].x() * sx;
      const double dy = offsets.points[i].y() * sy;
      if (dx == std::floor(dx) && dy == std::floor(dy)) {
        UnionMoved(layer, fill, static_cast<int>(dx), static_cast<int>(dy));
      } else {
        UnionMovedFraction(layer, fill, dx, dy);
      }
    }
    bytes_ += layer.pixels.size();
  }
  return masks;
}

void GlyphMaskCache::Clear() {
  fonts_.clear();
  bytes_ = 0;
}

size_t GlyphMaskCache::glyphCount() const {
  size_t n = 0;
  for (const auto& set : fonts_)
    n += set->glyphs.size();
  return n;
}

}  // namespace lyrovox

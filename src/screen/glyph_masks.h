#pragma once

// Coverage masks of single glyphs, rasterised once per font, glyph and scale and kept: the fill
// (the glyph drawn once) and the unions of the fill shifted by each offset group of the outlined
// text styles. Drawing one colour several times over a transparent surface gives the union
// 1 - (1 - a)(1 - b) of the coverages, so a text drawn 13 times in three colours is fully
// described by three such masks, and a text's masks are the unions of its glyphs' masks.

#include <QPoint>
#include <QRawFont>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace lyrovox {

// The offset groups of the styles, in layout pixels.
enum class MaskGroup : int {
  kFill = 0,      // the text itself
  kShadow = 1,    // (+4, +8), (+6, +8), (+4, +6), (+6, +6)
  kOutline = 2,   // (-3, 0), (+3, 0), (0, -3), (0, +3), (-2, +2), (+2, +2), (-2, -2), (+2, -2)
  kDiagonal = 3,  // (-2, +2), (+2, +2), (-2, -2), (+2, -2): the diagonal shadow at distance 2
};
inline constexpr int kMaskGroupCount = 4;

// An 8-bit coverage image.
struct Mask {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // width * height, row after row

  uint8_t* Row(int y) { return pixels.data() + static_cast<size_t>(y) * width; }
  const uint8_t* Row(int y) const { return pixels.data() + static_cast<size_t>(y) * width; }
};

// a over b for two coverages of one colour: 1 - (1 - a)(1 - b), in 0..255.
inline uint8_t UnionCoverage(uint8_t a, uint8_t b) {
  const unsigned t = static_cast<unsigned>(255 - a) * static_cast<unsigned>(255 - b) + 128;
  return static_cast<uint8_t>(255 - ((t + (t >> 8)) >> 8));
}

// dst = dst union src, src placed with its top-left at (x, y) of dst; parts outside dst are cut.
void UnionInto(Mask& dst, const Mask& src, int x, int y);

struct GlyphMasks {
  // Top-left of the masks relative to the glyph's origin on the baseline, in device pixels.
  QPoint topLeft;
  Mask group[kMaskGroupCount];  // an empty mask: not made yet, or nothing to draw
  bool made[kMaskGroupCount] = {};
};

// The masks of glyphs of fonts drawn with a scale (sx, sy) from layout to device pixels.
class GlyphMaskCache {
 public:
  // Masks of the glyph with the given groups made. The pointer stays valid until Clear().
  const GlyphMasks& Get(const QRawFont& font, quint32 glyph, double sx, double sy,
                        const bool (&groups)[kMaskGroupCount]);
  void Clear();
  size_t glyphCount() const;
  size_t bytes() const { return bytes_; }

 private:
  struct FontSet {
    QRawFont font;
    double sx;
    double sy;
    std::unordered_map<quint32, std::unique_ptr<GlyphMasks>> glyphs;
  };
  std::vector<std::unique_ptr<FontSet>> fonts_;
  size_t bytes_ = 0;
};

}  // namespace lyrovox

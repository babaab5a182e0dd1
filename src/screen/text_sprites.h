#pragma once

// Texts of the screen rasterised once into images ("sprites") that frames are composed from.
// A sprite holds exactly what drawing the text copy by copy gives (shadow copies, outline copies,
// then the text), built from per-glyph coverage masks; the frame then needs one image blend per
// text instead of up to 13 text drawings.

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "screen/glyph_masks.h"

namespace lyrovox {

enum class TextShape : uint8_t {
  kPlain,     // the text once
  kOutlined,  // optional drop shadow in black, outline copies, then the text
  kDiagonal,  // four diagonal copies in a shadow colour at distance 2, then the text
};

struct TextLook {
  TextShape shape = TextShape::kOutlined;
  bool shadow = true;  // kOutlined only
  QRgb text = 0;
  QRgb outline = 0;  // kOutlined: the outline; kDiagonal: the shadow colour
  bool operator==(const TextLook&) const = default;
};

struct TextSprite {
  QImage image;   // ARGB32 premultiplied; null when nothing of the text is visible
  QPoint offset;  // top-left of the image relative to the text's origin, device pixels
};

// The text as drawn: control characters show as spaces.
QString DisplayText(const QString& text);
// Width of a single line, layout pixels.
int TextExtent(const QString& text, const QFont& font);
// Height of the text word-wrapped into `width` layout pixels.
int WrappedTextHeight(const QString& text, const QFont& font, int width);
// Whether a single line runs from right to left (Hebrew, Arabic), as the text layout decides it
// from its first letter with a direction.
bool IsRightToLeftText(const QString& text);
// Where the single line's text layout puts the cursor before character `index` (after the last
// one for the text's length), in layout pixels from the line's left end.
int TextCursorX(const QString& text, const QFont& font, int index);

// Text measures remembered for the texts a frame measures again and again.
class TextMeasures {
 public:
  int Extent(const QString& text, const QFont& font);
  int WrappedHeight(const QString& text, const QFont& font, int width);
  int CursorX(const QString& text, const QFont& font, int index);

 private:
  struct Entry {
    QString text;
    QFont font;
    int width;  // -1: a single line's extent; below -1: the cursor x before character -2 - width
    int value;
  };
  int Find(const QString& text, const QFont& font, int width) const;
  void Remember(const QString& text, const QFont& font, int width, int value);
  std::vector<Entry> entries_;
  size_t next_ = 0;
};

class TextSprites {
 public:
  TextSprites();
  ~TextSprites();

  // A single line whose top-left (top of the text cell) is the origin, scaled by (sx, sy) from
  // layout to device pixels. The reference stays valid until the next call.
  const TextSprite& SingleLine(const QString& text, const QFont& font, const TextLook& look,
                               double sx, double sy);
  // The text word-wrapped and each line centred in a box `width` layout pixels wide whose top-left
  // is the origin.
  const TextSprite& Wrapped(const QString& text, const QFont& font, int width, const TextLook& look,
                            double sx, double sy);
  void Clear();

  // How many texts were laid out and rasterised, and how many sprites coloured (benchmarks).
  int masksMade() const { return masksMade_; }
  int spritesMade() const { return spritesMade_; }

 private:
  struct Key;
  struct MaskEntry;
  struct SpriteEntry;

  const TextSprite& Get(const QString& text, const QFont& font, int wrapWidth, const TextLook& look,
                        double sx, double sy);
  MaskEntry& Masks(const Key& key);

  GlyphMaskCache glyphs_;
  std::vector<std::unique_ptr<MaskEntry>> masks_;
  std::vector<std::unique_ptr<SpriteEntry>> sprites_;
  uint64_t clock_ = 0;
  int masksMade_ = 0;
  int spritesMade_ = 0;
  TextSprite empty_;
};

}  // namespace lyrovox

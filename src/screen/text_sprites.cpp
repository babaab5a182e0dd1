#include "screen/text_sprites.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QRawFont>
#include <QRect>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>
#include <cmath>

namespace lyrovox {

namespace {

// Enough for every text a screen shows at once (lines, sung text, titles, banner, number entry),
// so that none is rasterised again while it stays on screen.
constexpr size_t kMaskEntries = 16;
constexpr size_t kSpriteEntries = 20;
// No text image grows beyond this many pixels a side (a text scaled far beyond any screen).
constexpr int kLargestSide = 16384;
// Glyph masks kept across texts; beyond this the cache starts again.
constexpr size_t kGlyphBytes = size_t{48} << 20;

struct PlacedRun {
  QRawFont font;
  QList<quint32> glyphs;
  QList<QPointF> positions;  // glyph origins on the baseline, layout pixels
};

// Lines of a text; wrapWidth < 0: one line, never wrapped.
struct TextLines {
  std::vector<PlacedRun> runs;
  int lineCount = 0;
};

TextLines LayOut(const QString& text, const QFont& font, int wrapWidth) {
  TextLines out;
  if (text.isEmpty()) return out;
  const QFontMetrics metrics(font);
  QTextLayout layout(text, font);
  QTextOption option;
  option.setWrapMode(wrapWidth < 0 ? QTextOption::NoWrap : QTextOption::WordWrap);
  layout.setTextOption(option);
  layout.setCacheEnabled(true);
  layout.beginLayout();
  std::vector<QTextLine> lines;
  for (;;) {
    QTextLine line = layout.createLine();
    if (!line.isValid()) break;
    if (wrapWidth >= 0) line.setLineWidth(wrapWidth);
    const int index = static_cast<int>(lines.size());
    const double x = wrapWidth < 0 ? 0.0 : (wrapWidth - line.naturalTextWidth()) / 2.0;
    line.setPosition(QPointF(x, static_cast<double>(index) * metrics.height()));
    lines.push_back(line);
    if (wrapWidth < 0) break;
  }
  layout.endLayout();
  out.lineCount = static_cast<int>(lines.size());
  for (const QTextLine& line : lines) {
    // The top of a line is the top of the chosen font's cell, whatever fallback fonts the line
    // also uses, so lines of mixed scripts keep one baseline.
    const double shift = metrics.ascent() - line.ascent();
    for (const QGlyphRun& run : line.glyphRuns()) {
      PlacedRun placed{run.rawFont(), run.glyphIndexes(), run.positions()};
      for (QPointF& p : placed.positions)
        p.ry() += shift;
      out.runs.push_back(std::move(placed));
    }
  }
  return out;
}

int Div255(int v) {
  v += 128;
  return (v + (v >> 8)) >> 8;
}

}  // namespace

QString DisplayText(const QString& text) {
  QString out = text;
  for (QChar& c : out) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7F) c = QLatin1Char(' ');
  }
  return out;
}

int TextExtent(const QString& text, const QFont& font) {
  if (text.isEmpty()) return 0;
  return QFontMetrics(font).horizontalAdvance(DisplayText(text));
}

int WrappedTextHeight(const QString& text, const QFont& font, int width) {
  if (text.isEmpty()) return 0;
  const TextLines lines = LayOut(DisplayText(text), font, std::max(1, width));
  return lines.lineCount * QFontMetrics(font).height();
}

bool IsRightToLeftText(const QString& text) {
  return DisplayText(text).isRightToLeft();
}

int TextCursorX(const QString& text, const QFont& font, int index) {
  if (text.isEmpty()) return 0;
  QTextLayout layout(DisplayText(text), font);
  QTextOption option;
  option.setWrapMode(QTextOption::NoWrap);
  layout.setTextOption(option);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  layout.endLayout();
  if (!line.isValid()) return 0;
  const int at = std::clamp(index, 0, static_cast<int>(text.size()));
  return static_cast<int>(std::lround(line.cursorToX(at)));
}

int TextMeasures::Find(const QString& text, const QFont& font, int width) const {
  for (const Entry& e : entries_) {
    if (e.width == width && e.text == text && e.font == font) return e.value;
  }
  return -1;
}

void TextMeasures::Remember(const QString& text, const QFont& font, int width, int value) {
  constexpr size_t kEntries = 16;
  if (entries_.size() < kEntries) {
    entries_.push_back({text, font, width, value});
    return;
  }
  entries_[next_] = {text, font, width, value};
  next_ = (next_ + 1) % kEntries;
}

int TextMeasures::Extent(const QString& text, const QFont& font) {
  if (text.isEmpty()) return 0;
  const int known = Find(text, font, -1);
  if (known >= 0) return known;
  const int value = std::max(0, TextExtent(text, font));
  Remember(text, font, -1, value);
  return value;
}

int TextMeasures::CursorX(const QString& text, const QFont& font, int index) {
  if (text.isEmpty()) return 0;
  const int key = -2 - std::clamp(index, 0, static_cast<int>(text.size()));
  const int known = Find(text, font, key);
  if (known >= 0) return known;
  const int value = std::max(0, TextCursorX(text, font, index));
  Remember(text, font, key, value);
  return value;
}

int TextMeasures::WrappedHeight(const QString& text, const QFont& font, int width) {
  if (text.isEmpty()) return 0;
  width = std::max(1, width);
  const int known = Find(text, font, width);
  if (known >= 0) return known;
  const int value = std::max(0, WrappedTextHeight(text, font, width));
  Remember(text, font, width, value);
  return value;
}

struct TextSprites::Key {
  QString text;
  QFont font;
  int wrapWidth;
  double sx;
  double sy;
  TextShape shape;
  bool shadow;

  bool operator==(const Key& o) const {
    return wrapWidth == o.wrapWidth && sx == o.sx && sy == o.sy && shape == o.shape &&
           shadow == o.shadow && text == o.text && font == o.font;
  }
};

struct TextSprites::MaskEntry {
  Key key;
  // The groups to draw, in order, each with its union mask over the text's box.
  std::vector<MaskGroup> groups;
  std::vector<Mask> layers;
  QPoint topLeft;  // of the box, relative to the text's origin
  uint64_t lastUse = 0;
};

struct TextSprites::SpriteEntry {
  Key key;
  TextLook look;
  TextSprite sprite;
  uint64_t lastUse = 0;
};

TextSprites::TextSprites() = default;
TextSprites::~TextSprites() = default;

void TextSprites::Clear() {
  masks_.clear();
  sprites_.clear();
  glyphs_.Clear();
}

const TextSprite& TextSprites::SingleLine(const QString& text, const QFont& font,
                                          const TextLook& look, double sx, double sy) {
  return Get(text, font, -1, look, sx, sy);
}

const TextSprite& TextSprites::Wrapped(const QString& text, const QFont& font, int width,
                                       const TextLook& look, double sx, double sy) {
  return Get(text, font, std::max(1, width), look, sx, sy);
}

TextSprites::MaskEntry& TextSprites::Masks(const Key& key) {
  for (const auto& entry : masks_) {
    if (entry->key == key) {
      entry->lastUse = ++clock_;
      return *entry;
    }
  }
  if (masks_.size() >= kMaskEntries) {
    auto oldest = std::min_element(masks_.begin(), masks_.end(), [](const auto& a, const auto& b) {
      return a->lastUse < b->lastUse;
    });
    masks_.erase(oldest);
  }
  if (glyphs_.bytes() > kGlyphBytes) glyphs_.Clear();
  ++masksMade_;

  auto entry = std::make_unique<MaskEntry>();
  entry->key = key;
  entry->lastUse = ++clock_;
  switch (key.shape) {
    case TextShape::kPlain:
      entry->groups = {MaskGroup::kFill};
      break;
    case TextShape::kOutlined:
      if (key.shadow) entry->groups.push_back(MaskGroup::kShadow);
      entry->groups.push_back(MaskGroup::kOutline);
      entry->groups.push_back(MaskGroup::kFill);
      break;
    case TextShape::kDiagonal:
      entry->groups = {MaskGroup::kDiagonal, MaskGroup::kFill};
      break;
  }
  bool needed[kMaskGroupCount] = {};
  for (MaskGroup g : entry->groups)
    needed[static_cast<int>(g)] = true;

  // Glyph boxes in device pixels relative to the text's origin.
  struct Placed {
    const GlyphMasks* masks;
    QPoint at;
  };
  std::vector<Placed> placed;
  QRect box;
  const TextLines lines = LayOut(key.text, key.font, key.wrapWidth);
  for (const PlacedRun& run : lines.runs) {
    const qsizetype n = std::min(run.glyphs.size(), run.positions.size());
    for (qsizetype i = 0; i < n; ++i) {
      const GlyphMasks& masks = glyphs_.Get(run.font, run.glyphs[i], key.sx, key.sy, needed);
      const Mask& fill = masks.group[0];
      if (fill.width == 0) continue;
      const QPoint at(
          static_cast<int>(std::lround(run.positions[i].x() * key.sx)) + masks.topLeft.x(),
          static_cast<int>(std::lround(run.positions[i].y() * key.sy)) + masks.topLeft.y());
      placed.push_back({&masks, at});
      box |= QRect(at, QSize(fill.width, fill.height));
    }
  }
  entry->topLeft = box.topLeft();
  const bool drawable =
      !box.isEmpty() && box.width() <= kLargestSide && box.height() <= kLargestSide;
  for (MaskGroup g : entry->groups) {
    Mask layer;
    if (drawable) {
      layer.width = box.width();
      layer.height = box.height();
      layer.pixels.assign(static_cast<size_t>(layer.width) * layer.height, 0);
      for (const Placed& p : placed) {
        UnionInto(layer, p.masks->group[static_cast<int>(g)], p.at.x() - box.left(),
                  p.at.y() - box.top());
      }
    }
    entry->layers.push_back(std::move(layer));
  }
  masks_.push_back(std::move(entry));
  return *masks_.back();
}

const TextSprite& TextSprites::Get(const QString& text, const QFont& font, int wrapWidth,
                                   const TextLook& look, double sx, double sy) {
  if (text.isEmpty() || !(sx > 0) || !(sy > 0)) return empty_;
  const Key key{DisplayText(text),
                font,
                wrapWidth,
                sx,
                sy,
                look.shape,
                look.shape == TextShape::kOutlined && look.shadow};
  for (const auto& entry : sprites_) {
    if (entry->look == look && entry->key == key) {
      entry->lastUse = ++clock_;
      return entry->sprite;
    }
  }

  const MaskEntry& masks = Masks(key);
  if (sprites_.size() >= kSpriteEntries) {
    auto oldest =
        std::min_element(sprites_.begin(), sprites_.end(),
                         [](const auto& a, const auto& b) { return a->lastUse < b->lastUse; });
    sprites_.erase(oldest);
  }
  ++spritesMade_;
  auto entry = std::make_unique<SpriteEntry>();
  entry->key = key;
  entry->look = look;
  entry->lastUse = ++clock_;

  const Mask& first = masks.layers.front();
  if (first.width > 0 && first.height > 0) {
    QImage image(first.width, first.height, QImage::Format_ARGB32_Premultiplied);
    if (!image.isNull()) {
      // Each layer is one colour drawn over what is below it.
      struct Paint {
        const Mask* mask;
        int r, g, b;
      };
      std::vector<Paint> paints;
      for (size_t i = 0; i < masks.groups.size(); ++i) {
        QRgb color = look.text;
        if (masks.groups[i] == MaskGroup::kShadow) color = qRgb(0, 0, 0);
        if (masks.groups[i] == MaskGroup::kOutline || masks.groups[i] == MaskGroup::kDiagonal)
          color = look.outline;
        paints.push_back({&masks.layers[i], qRed(color), qGreen(color), qBlue(color)});
      }
      for (int y = 0; y < first.height; ++y) {
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < first.width; ++x) {
          int a = 0, r = 0, g = 0, b = 0;
          for (const Paint& p : paints) {
            const int m = p.mask->Row(y)[x];
            if (m == 0) continue;
            const int keep = 255 - m;
            a = m + Div255(a * keep);
            r = Div255(p.r * m + r * keep);
            g = Div255(p.g * m + g * keep);
            b = Div255(p.b * m + b * keep);
          }
          out[x] = qRgba(r, g, b, a);
        }
      }
      entry->sprite.image = std::move(image);
      entry->sprite.offset = masks.topLeft;
    }
  }
  sprites_.push_back(std::move(entry));
  return sprites_.back()->sprite;
}

}  // namespace lyrovox

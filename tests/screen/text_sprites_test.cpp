#include "screen/text_sprites.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "screen/lyric_screen.h"

namespace lyrovox {
namespace {

QFont LyricFont() {
  const Settings settings;
  CLyricScreen screen(settings);
  screen.SetScreenSize(1920, 1080);
  screen.ApplyFontSettings(0);
  return screen.LyricFont();
}

// The outlined style drawn literally, glyph run by glyph run: four shadow copies, eight outline
// copies, then the text. Glyphs stand on whole pixels, as the screen places them.
void DrawLiterally(QPainter& p, const QFont& font, const QString& text, int x, int y, QRgb color,
                   QRgb outline) {
  QTextLayout layout(text, font);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  line.setPosition(QPointF(0, 0));
  layout.endLayout();
  const int ascent = QFontMetrics(font).ascent();
  QList<QGlyphRun> runs = layout.glyphRuns();
  for (QGlyphRun& run : runs) {
    QList<QPointF> positions = run.positions();
    for (QPointF& pos : positions)
      pos = QPointF(std::lround(pos.x()), std::lround(pos.y() - line.ascent() + ascent));
    run.setPositions(positions);
  }
  const QPoint shadow[] = {{4, 8}, {6, 8}, {4, 6}, {6, 6}};
  const QPoint ring[] = {{-3, 0}, {3, 0}, {0, -3}, {0, 3}, {-2, 2}, {2, 2}, {-2, -2}, {2, -2}};
  auto draw = [&](QPoint o, QRgb c) {
    p.setPen(QColor(c));
    for (const QGlyphRun& run : runs)
      p.drawGlyphRun(QPointF(x + o.x(), y + o.y()), run);
  };
  for (QPoint o : shadow)
    draw(o, qRgb(0, 0, 0));
  for (QPoint o : ring)
    draw(o, outline);
  draw(QPoint(0, 0), color);
}

TEST(TextSpritesTest, ASpriteGivesThePixelsOfDrawingTheStyleCopyByCopy) {
  const QFont font = LyricFont();
  const QString text = QStringLiteral("Twinkle, twinkle, little star");
  const QRgb color = qRgb(0, 0, 238);
  const QRgb outline = qRgb(238, 238, 238);
  QImage literal(1920, 200, QImage::Format_RGB32);
  literal.fill(qRgb(14, 12, 16));
  QImage composed = literal.copy();
  {
    QPainter p(&literal);
    p.setRenderHint(QPainter::Antialiasing);
    DrawLiterally(p, font, text, 100, 40, color, outline);
  }
  TextSprites sprites;
  const TextSprite& sprite = sprites.SingleLine(
      text, font, TextLook{TextShape::kOutlined, true, color, outline}, 1.0, 1.0);
  ASSERT_FALSE(sprite.image.isNull());
  {
    QPainter p(&composed);
    p.drawImage(QPoint(100, 40) + sprite.offset, sprite.image);
  }
  // Antialiased edges may differ by a rounding step; everything else matches exactly.
  int close = 0;
  int differing = 0;
  int exactFill = 0;
  for (int y = 0; y < literal.height(); ++y) {
    const auto* a = reinterpret_cast<const QRgb*>(literal.constScanLine(y));
    const auto* b = reinterpret_cast<const QRgb*>(composed.constScanLine(y));
    for (int x = 0; x < literal.width(); ++x) {
      const int d =
          std::max({std::abs(qRed(a[x]) - qRed(b[x])), std::abs(qGreen(a[x]) - qGreen(b[x])),
                    std::abs(qBlue(a[x]) - qBlue(b[x]))});
      if (d > 4) ++differing;
      if (d > 0 && d <= 4) ++close;
      if ((a[x] | 0xFF000000u) == color) exactFill += (b[x] | 0xFF000000u) == color;
    }
  }
  EXPECT_GT(exactFill, 10000);
  EXPECT_LT(differing, 50);
  EXPECT_LT(close, literal.width() * literal.height() / 100);
  std::printf("sprite against literal drawing: %d pixels within 4 steps, %d further\n", close,
              differing);
}

TEST(TextSpritesTest, TextsAreRasterisedOnceAndColouredPerLook) {
  const QFont font = LyricFont();
  TextSprites sprites;
  const TextLook unsung{TextShape::kOutlined, true, qRgb(238, 238, 238), qRgb(20, 20, 20)};
  const TextLook sung{TextShape::kOutlined, true, qRgb(0, 0, 238), qRgb(238, 238, 238)};
  sprites.SingleLine(QStringLiteral("Line"), font, unsung, 1.0, 1.0);
  sprites.SingleLine(QStringLiteral("Line"), font, unsung, 1.0, 1.0);
  EXPECT_EQ(sprites.masksMade(), 1);
  EXPECT_EQ(sprites.spritesMade(), 1);
  sprites.SingleLine(QStringLiteral("Line"), font, sung, 1.0, 1.0);
  EXPECT_EQ(sprites.masksMade(), 1);
  EXPECT_EQ(sprites.spritesMade(), 2);
  sprites.SingleLine(QStringLiteral("Line"), font, sung, 0.5, 0.5);
  EXPECT_EQ(sprites.masksMade(), 2);
  // Nothing to draw gives no image.
  EXPECT_TRUE(sprites.SingleLine(QString(), font, sung, 1.0, 1.0).image.isNull());
  EXPECT_TRUE(sprites.SingleLine(QStringLiteral("   "), font, sung, 1.0, 1.0).image.isNull());
  EXPECT_TRUE(sprites.SingleLine(QStringLiteral("x"), font, sung, 0.0, 1.0).image.isNull());
}

TEST(TextSpritesTest, WrappedTextBreaksAtWordsAndCentresEachLine) {
  const QFont font = LyricFont();
  const int line = QFontMetrics(font).height();
  EXPECT_EQ(WrappedTextHeight(QString(), font, 1920), 0);
  EXPECT_EQ(WrappedTextHeight(QStringLiteral("One line"), font, 1920), line);
  // Words too wide for the box stand each on its own line.
  EXPECT_EQ(WrappedTextHeight(QStringLiteral("One line of words"), font, 1), 4 * line);
  TextSprites sprites;
  const TextLook look{TextShape::kOutlined, false, qRgb(255, 138, 20), qRgb(238, 238, 238)};
  const TextSprite& one = sprites.Wrapped(QStringLiteral("Mid"), font, 1920, look, 1.0, 1.0);
  const int width = QFontMetrics(font).horizontalAdvance(QStringLiteral("Mid"));
  // Centred: the ink starts about (1920 - width) / 2, less the outline.
  EXPECT_NEAR(one.offset.x(), (1920 - width) / 2, 16);
}

TEST(TextSpritesTest, ScriptsOfManyLanguagesHaveGlyphs) {
  const QFont font = LyricFont();
  const char16_t* const samples[] = {u"Tiếng Việt có dấu", u"Привет, мир",    u"Καλημέρα κόσμε",
                                     u"สวัสดีครับ",           u"مرحبا بالعالم",  u"שלום עולם",
                                     u"我爱你中国",        u"こんにちは世界", u"안녕하세요"};
  for (const char16_t* sample : samples) {
    const QString text = QString::fromUtf16(sample);
    const QFontMetrics metrics(font);
    for (QChar c : text) {
      if (c.isSpace() || c.isPunct() || c.category() == QChar::Mark_NonSpacing) continue;
      // A glyph of the font or of a fallback font covers every letter.
      EXPECT_TRUE(metrics.inFontUcs4(c.unicode()) || QFontMetrics(font).horizontalAdvance(c) > 0)
          << text.toStdString();
    }
    TextSprites sprites;
    const TextSprite& sprite = sprites.SingleLine(
        text, font, TextLook{TextShape::kPlain, false, qRgb(255, 255, 255), 0}, 1.0, 1.0);
    EXPECT_FALSE(sprite.image.isNull()) << text.toStdString();
  }
}

}  // namespace
}  // namespace lyrovox

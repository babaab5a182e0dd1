#include "ui/setup/lyric_preview.h"

#include <QFontMetrics>
#include <QPainter>
#include <cmath>

#include "ui/setup/color_swatch.h"
#include "ui/setup/font_families.h"

namespace lyrovox {

namespace {

constexpr int kSampleCellHeight = 24;
const char16_t* const kSampleTexts[3] = {u"Sample male lyric", u"Sample female lyric",
                                         u"Sample duet lyric"};

// The eight places around a point at one step (the diagonals) or two (the axes).
constexpr QPoint kRing[8] = {{-2, 0}, {2, 0}, {0, -2}, {0, 2}, {-1, -1}, {1, -1}, {-1, 1}, {1, 1}};

}  // namespace

QFont MakeCellFont(const QString& face, int cellHeight) {
  QFont font;
  font.setFamilies({face.isEmpty() ? QString::fromUtf16(kDefaultLyricFace) : face});
  font.setWeight(QFont::Bold);
  font.setStyleStrategy(QFont::PreferAntialias);
  font.setPixelSize(cellHeight);
  // Pixel sizes are em sizes; the cell of most faces is a little taller than the em.
  const int measured = QFontMetrics(font).height();
  if (measured > 0 && measured != cellHeight) {
    font.setPixelSize(
        std::max(1, static_cast<int>(std::lround(cellHeight * double(cellHeight) / measured))));
  }
  return font;
}

LyricPreview::LyricPreview(QWidget* parent) : QWidget(parent) {
  setFixedSize(kWidth, kHeight);
  setAttribute(Qt::WA_OpaquePaintEvent);
  font_ = MakeCellFont(QString(), kSampleCellHeight);
}

void LyricPreview::SetFace(const QString& face) {
  font_ = MakeCellFont(face, kSampleCellHeight);
  update();
}

void LyricPreview::SetColors(uint32_t male, uint32_t female, uint32_t duet) {
  colors_ = {male, female, duet};
  update();
}

void LyricPreview::SetShadow(bool on) {
  shadow_ = on;
  update();
}

void LyricPreview::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect area(0, 0, kWidth, kHeight);
  painter.fillRect(area, ColorFromRef(kFill));
  painter.setClipRect(area);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.setFont(font_);
  const int ascent = QFontMetrics(font_).ascent();

  for (size_t i = 0; i < kSamplePlaces.size(); ++i) {
    const QString text = QString::fromUtf16(kSampleTexts[i]);
    const QPoint at = kSamplePlaces[i] + QPoint(0, ascent);  // the cell's top to its baseline
    if (shadow_) {
      painter.setPen(Qt::black);
      const QPoint shadow = at + QPoint(kShadowOffset, kShadowOffset);
      painter.drawText(shadow, text);
      for (const QPoint& step : kRing)
        painter.drawText(shadow + step, text);
    }
    painter.setPen(ColorFromRef(kOutline));
    for (const QPoint& step : kRing)
      painter.drawText(at + step, text);
    painter.setPen(ColorFromRef(colors_[i]));
    painter.drawText(at, text);
  }
}

}  // namespace lyrovox

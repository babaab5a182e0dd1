#include "ui/setup/color_swatch.h"

#include <QColor>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace lyrovox {

QColor ColorFromRef(uint32_t color) {
  return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

uint32_t RefFromColor(const QColor& color) {
  return static_cast<uint32_t>(color.red()) | static_cast<uint32_t>(color.green()) << 8 |
         static_cast<uint32_t>(color.blue()) << 16;
}

ColorSwatch::ColorSwatch(QWidget* parent) : QAbstractButton(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);  // the colour covers every pixel
}

QSize ColorSwatch::sizeHint() const {
  const int h = fontMetrics().height() + 8;
  return QSize(2 * h, h);
}

void ColorSwatch::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), ColorFromRef(color_));
  if (hasFocus()) {
    // The keyboard focus must show on any colour.
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = rect().adjusted(2, 2, -2, -2);
    option.backgroundColor = ColorFromRef(color_);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
  }
}

}  // namespace lyrovox

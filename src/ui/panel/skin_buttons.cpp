#include "ui/panel/skin_buttons.h"

#include <QStyle>
#include <QStyleOptionFocusRect>

#include <QPainter>

namespace lyrovox {

COwnerDrawButton::COwnerDrawButton(QWidget* parent) : QAbstractButton(parent) {
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_NoSystemBackground);
}

void COwnerDrawButton::SetImages(const QPixmap& normal, const QPixmap& pressed) {
  normal_ = normal;
  pressed_ = pressed;
  update();
}

QSize COwnerDrawButton::sizeHint() const {
  return normal_.deviceIndependentSize().toSize();
}

void COwnerDrawButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawPixmap(0, 0, isDown() ? pressed_ : normal_);
}

CMyButton::CMyButton(QWidget* parent) : QAbstractButton(parent) {
  // The colour covers the whole face: nothing needs erasing first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
}

QSize CMyButton::sizeHint() const {
  const int h = fontMetrics().height() + 8;
  return QSize(2 * h, h);
}

void CMyButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), color_);
  if (hasFocus()) {
    // The keyboard focus must show on any colour.
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = rect().adjusted(2, 2, -2, -2);
    option.backgroundColor = color_;
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
  }
}

}  // namespace lyrovox

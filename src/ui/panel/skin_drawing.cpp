#include "ui/panel/skin_drawing.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "skin/skin_catalogue.h"

namespace lyrovox {

bool CGdiPlusBitmapResource::Load(int id, qreal devicePixelRatio) {
  pixmap_ = QPixmap();
  if (devicePixelRatio <= 0) {
    devicePixelRatio = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr
                           ? qApp->devicePixelRatio()
                           : 1.0;
  }
  QImage image;
  if (devicePixelRatio > 1.0) {
    image = QImage(QString::fromStdString(SkinResourcePath(id, true)));
    image.setDevicePixelRatio(2.0);
  }
  if (image.isNull()) image = QImage(QString::fromStdString(SkinResourcePath(id)));
  if (image.isNull()) return false;
  pixmap_ = QPixmap::fromImage(std::move(image));
  return !pixmap_.isNull();
}

QPixmap CutBitmap(const QPixmap& source, int left, int top, int right, int bottom) {
  if (right <= left || bottom <= top) return QPixmap();
  const qreal ratio = source.isNull() ? 1.0 : source.devicePixelRatio();
  QPixmap cut(static_cast<int>(std::lround((right - left) * ratio)),
              static_cast<int>(std::lround((bottom - top) * ratio)));
  cut.setDevicePixelRatio(ratio);
  cut.fill(Qt::transparent);
  if (!source.isNull()) {
    QPainter p(&cut);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawPixmap(QPoint(-left, -top), source);
  }
  return cut;
}

QRegion RoundedRegion(QSize size, int corner) {
  const int w = size.width();
  const int h = size.height();
  if (w <= 0 || h <= 0) return QRegion();
  corner = std::clamp(corner, 0, std::min(w, h));
  if (corner < 2) return QRegion(0, 0, w, h);
  const int r = corner / 2;
  QRegion region(r, 0, w - 2 * r, h);
  region += QRegion(0, r, w, h - 2 * r);
  for (const QPoint& at : {QPoint(0, 0), QPoint(w - corner, 0), QPoint(0, h - corner),
                           QPoint(w - corner, h - corner)}) {
    region += QRegion(QRect(at, QSize(corner, corner)), QRegion::Ellipse);
  }
  return region;
}

void ApplyRoundedRegion(QWidget& window, int corner) {
  window.setMask(RoundedRegion(window.size(), corner));
  window.update();
}

QFont FontForCellHeight(const QString& family, int cellHeight, int weight) {
  QFont font(family);
  font.setWeight(static_cast<QFont::Weight>(weight));
  font.setStyleStrategy(QFont::PreferAntialias);
  for (int pixels = std::max(cellHeight, 1); pixels >= 1; --pixels) {
    font.setPixelSize(pixels);
    if (QFontMetrics(font).height() <= cellHeight) break;
  }
  return font;
}

CMemDC::CMemDC(QPaintDevice* target, const QRect& rect)
    : QPainter(target),
      rect_(rect == QRect(0, 0, 0, 0) ? QRect(0, 0, target->width(), target->height()) : rect) {
  setClipRect(rect_);
}

}  // namespace lyrovox

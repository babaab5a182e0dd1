#include "ui/lists/skin_art.h"

#include <QBitmap>
#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>
#include <cmath>

#include "skin/skin_catalogue.h"

namespace lyrovox {

namespace {

void FillGradient(QPainter& p, const QRect& r, QColor top, QColor bottom) {
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, top);
  g.setColorAt(1, bottom);
  p.fillRect(r, g);
}

void DrawRoundButton(QPainter& p, const QRect& r, const QString& sign, bool pushed) {
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, pushed ? QColor(60, 66, 96) : QColor(120, 130, 178));
  g.setColorAt(1, pushed ? QColor(92, 100, 140) : QColor(58, 64, 92));
  p.setPen(QPen(QColor(30, 34, 52), 1));
  p.setBrush(g);
  p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 7, 7);
  p.setPen(QPen(QColor(235, 238, 250), 3, Qt::SolidLine, Qt::RoundCap));
  const QPointF c = QRectF(r).center() + (pushed ? QPointF(1, 1) : QPointF());
  p.drawLine(c + QPointF(-6, 0), c + QPointF(6, 0));
  if (sign == u"+") p.drawLine(c + QPointF(0, -6), c + QPointF(0, 6));
}

// Stand-ins drawn while the skin lacks a bitmap.
QPixmap DrawStandIn(int id, QSize size) {
  QPixmap pixmap(size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  const QRect all(QPoint(), size);
  switch (id) {
    case kBitmapPlayListCaption:
      FillGradient(p, all, QColor(104, 116, 160), QColor(42, 48, 72));
      break;
    case kBitmapPlayListBottom:
      FillGradient(p, all, QColor(46, 52, 78), QColor(24, 27, 42));
      break;
    case kBitmapPlayListClose:
      p.setRenderHint(QPainter::Antialiasing);
      p.setPen(QPen(QColor(240, 240, 250), 2, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(3.5, 6.5), QPointF(11.5, 14.5));
      p.drawLine(QPointF(11.5, 6.5), QPointF(3.5, 14.5));
      break;
    case kBitmapMenuIcon:
      for (int y : {6, 10, 14})
        p.fillRect(QRect(4, y, 12, 2), QColor(240, 240, 250));
      break;
    case kBitmapSearchLabel: {
      QFont font = FontForCellHeight(QStringLiteral("Arial"), 14);
      p.setFont(font);
      p.setPen(QColor(200, 206, 230));
      p.drawText(all, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Search"));
      break;
    }
    case kBitmapListButtons:
    case kBitmapListButtonsPushed: {
      const bool pushed = id == kBitmapListButtonsPushed;
      DrawRoundButton(p, QRect(0, 0, 36, 33), QStringLiteral("+"), pushed);
      DrawRoundButton(p, QRect(46, 0, 37, 33), QStringLiteral("-"), pushed);
      break;
    }
    case kBitmapReservedHeaderOn:
    case kBitmapReservedHeaderOff: {
      const bool on = id == kBitmapReservedHeaderOn;
      FillGradient(p, all, on ? QColor(96, 108, 156) : QColor(70, 72, 84),
                   on ? QColor(40, 46, 70) : QColor(34, 35, 42));
      p.setFont(FontForCellHeight(QStringLiteral("Arial"), 13));
      p.setPen(on ? QColor(240, 240, 250) : QColor(150, 150, 160));
      p.drawText(all, Qt::AlignCenter,
                 on ? QStringLiteral("RESERVED LIST - ON") : QStringLiteral("RESERVED LIST - OFF"));
      break;
    }
    default:
      pixmap.fill(QColor(74, 83, 110));
      break;
  }
  return pixmap;
}

}  // namespace

QSize SkinBitmapSize(int id) {
  const SkinBitmapSpec* spec = FindSkinBitmap(id);
  return spec != nullptr ? QSize(spec->width, spec->height) : QSize(1, 1);
}

QPixmap LoadSkinBitmap(int id) {
  QPixmap pixmap;
  const QString name = QString::fromStdString(SkinResourcePath(id));
  if (QFile::exists(name) && pixmap.load(name)) return pixmap;
  return DrawStandIn(id, SkinBitmapSize(id));
}

}  // namespace lyrovox

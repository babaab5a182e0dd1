// The pieces of the play list, reserved list and video windows: caption and bottom strips, the
// close mark, the caption's centre piece, the resize corner, the search label, the "+" and "-"
// buttons and the reserved list's two headers. Small marks have transparent backgrounds so they
// sit on whichever strip they are drawn over.

#include <QFontMetricsF>
#include <QPainterPath>
#include <QString>

#include "skin/skin_bitmaps.h"
#include "skin/skin_painter.h"

namespace lyrovox::skin {

namespace {

// The "+" button's pixels are (0,0)-(36,33) of the image, the "-" button's (46,0)-(83,33).
const QRectF kPlusBox(0, 0, 36, 33);
const QRectF kMinusBox(46, 0, 37, 33);

void DrawGrip(QPainter& p, QPointF c, int columns, int rows) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x6b, 0x76, 0x8a));
  for (int row = 0; row < rows; ++row) {
    for (int i = 0; i < columns; ++i) {
      p.drawEllipse(
          QPointF(c.x() + 4 * (i - (columns - 1) / 2.0), c.y() + 4 * (row - (rows - 1) / 2.0)),
          0.95, 0.95);
    }
  }
  p.restore();
}

void DrawPlusMinus(QPainter& p, Press press) {
  // The buttons sit one pixel below the top of the play list's bottom band.
  DrawBottomStrip(p, QRectF(0, -1, 83, 36));
  for (const QRectF& box : {kPlusBox, kMinusBox}) {
    DrawRectButton(p, box.adjusted(1, 1, -1, -1), 7, press, false);
    const QPointF c = box.center() + SymbolShift(press);
    if (box == kPlusBox) {
      DrawPlusSymbol(p, c, 13, SymbolColour(press, false));
    } else {
      DrawMinusSymbol(p, c, 13, SymbolColour(press, false));
    }
  }
}

void DrawReservedHeader(QPainter& p, bool on) {
  const QRectF all(0, 0, 415, 15);
  DrawCaptionStrip(p, all);
  const QString label = QStringLiteral("RESERVED LIST");
  const QFont font = UiFont(10, QFont::Bold, 1.5);
  const double labelWidth = QFontMetricsF(font).horizontalAdvance(label) - font.letterSpacing();
  const double pillWidth = 26;
  const double gap = 7;
  const double arrow = 8;
  const double total = arrow + gap + labelWidth + gap + pillWidth;
  double x = 208 - total / 2;
  // An arrow: open (down) while the list is shown, closed (right) while it is folded away.
  const QColor ink = on ? palette::kInk : palette::kDimInk;
  QPainterPath tri;
  const QPointF c(x + arrow / 2, 7.5);
  if (on) {
    tri.moveTo(c + QPointF(-3.5, -2));
    tri.lineTo(c + QPointF(3.5, -2));
    tri.lineTo(c + QPointF(0, 2.5));
  } else {
    tri.moveTo(c + QPointF(-2, -3.5));
    tri.lineTo(c + QPointF(2.5, 0));
    tri.lineTo(c + QPointF(-2, 3.5));
  }
  tri.closeSubpath();
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(on ? palette::kAccent : palette::kDimInk);
  p.drawPath(tri);
  p.restore();
  x += arrow + gap;
  FillText(p, QRectF(x, 0, labelWidth + 4, 15), Qt::AlignLeft | Qt::AlignVCenter, label, font, ink);
  x += labelWidth + gap;
  const QRectF pill(x, 2.5, pillWidth, 10);
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  if (on) {
    p.setPen(QPen(palette::kAccentLight, 1));
    p.setBrush(palette::kAccent);
  } else {
    p.setPen(QPen(QColor(0x3a, 0x42, 0x52), 1));
    p.setBrush(QColor(0x12, 0x15, 0x1c));
  }
  p.drawRoundedRect(pill, 5, 5);
  p.restore();
  FillText(p, pill, Qt::AlignCenter, on ? QStringLiteral("ON") : QStringLiteral("OFF"),
           UiFont(7.5, QFont::Black, 0.4), on ? QColor(0x04, 0x16, 0x22) : palette::kDimInk);
}

}  // namespace

bool DrawWindowBitmap(int id, QPainter& p) {
  switch (id) {
    case 141:
      DrawCaptionStrip(p, QRectF(0, 0, 1, 22));
      return true;
    case 151:
      DrawBottomStrip(p, QRectF(0, 0, 1, 36));
      return true;
    case 146: {
      // The caption's middle: a grip to drag the window by.
      p.save();
      p.setRenderHint(QPainter::Antialiasing);
      p.setPen(QPen(QColor(255, 255, 255, 20), 1));
      p.setBrush(QColor(0, 0, 0, 70));
      p.drawRoundedRect(QRectF(4.5, 5.5, 32, 11), 5.5, 5.5);
      p.restore();
      DrawGrip(p, QPointF(20.5, 11), 6, 2);
      return true;
    }
    case 147: {
      const QPointF c(7.5, 11);
      p.save();
      p.setRenderHint(QPainter::Antialiasing);
      p.setPen(QPen(QColor(0, 0, 0, 120), 1));
      p.setBrush(palette::kAlert);
      p.drawEllipse(c, 6.5, 6.5);
      p.restore();
      DrawCrossSymbol(p, c, 5.2, 1.7, Qt::white);
      return true;
    }
    case 150: {
      // Three diagonal ridges in the corner.
      p.save();
      p.setRenderHint(QPainter::Antialiasing);
      p.setPen(QPen(QColor(0x7a, 0x85, 0x99), 1.3, Qt::SolidLine, Qt::RoundCap));
      for (int i = 0; i < 3; ++i) {
        const double k = 2 + 3.5 * i;
        p.drawLine(QPointF(11, k), QPointF(k, 11));
      }
      p.restore();
      return true;
    }
    case 171:
      DrawMagnifierSymbol(p, QPointF(6, 7), 11, QColor(0xb4, 0xbe, 0xcf));
      FillText(p, QRectF(13.5, 0, 37, 14), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Search"), UiFont(10.5, QFont::Bold), QColor(0xb4, 0xbe, 0xcf));
      return true;
    case 135:
      DrawPlusMinus(p, Press::kUp);
      return true;
    case 136:
      DrawPlusMinus(p, Press::kDown);
      return true;
    case 186:
      DrawReservedHeader(p, true);
      return true;
    case 187:
      DrawReservedHeader(p, false);
      return true;
    default:
      return false;
  }
}

}  // namespace lyrovox::skin

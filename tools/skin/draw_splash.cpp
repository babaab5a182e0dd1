// The splash and About picture: a microphone in a spotlight on a dark stage, the name, and a row
// of level bars. The band along the bottom stays dark and empty: the window writes its version
// and notice lines there in white.

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

#include "skin/skin_bitmaps.h"
#include "skin/skin_painter.h"

namespace lyrovox::skin {

namespace {

constexpr double kWidth = 578;
constexpr double kHeight = 294;
// Where the window's own lines begin.
constexpr double kTextBandTop = 244;

void DrawGlow(QPainter& p, QPointF c, double r, const QColor& colour) {
  QRadialGradient g(c, r);
  g.setColorAt(0, colour);
  QColor clear = colour;
  clear.setAlpha(0);
  g.setColorAt(1, clear);
  p.fillRect(QRectF(0, 0, kWidth, kHeight), g);
}

void DrawBackdrop(QPainter& p) {
  FillVertical(p, QRectF(0, 0, kWidth, kHeight), QColor(0x15, 0x0e, 0x2a),
               QColor(0x05, 0x06, 0x0b));
  DrawGlow(p, QPointF(120, 30), 320, QColor(0x6a, 0x2b, 0xd1, 120));
  DrawGlow(p, QPointF(520, 110), 280, QColor(0x1a, 0xa6, 0xe8, 90));
  // The spotlight's cone on the microphone and the pool of light it leaves on the floor.
  QPainterPath cone;
  cone.moveTo(82, -4);
  cone.lineTo(128, -4);
  cone.lineTo(178, 232);
  cone.lineTo(32, 232);
  cone.closeSubpath();
  QLinearGradient beam(0, 0, 0, 232);
  beam.setColorAt(0, QColor(255, 255, 255, 70));
  beam.setColorAt(1, QColor(255, 255, 255, 6));
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(beam);
  p.drawPath(cone);
  QRadialGradient pool(QPointF(105, 232), 80);
  pool.setColorAt(0, QColor(0xc8, 0xe8, 0xff, 110));
  pool.setColorAt(1, QColor(0xc8, 0xe8, 0xff, 0));
  p.setBrush(pool);
  p.setTransform(QTransform(1, 0, 0, 0.22, 0, 232 * (1 - 0.22)), true);
  p.drawEllipse(QPointF(105, 232), 80, 80);
  p.restore();
}

void DrawNote(QPainter& p, QPointF head, double size, const QColor& colour) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.translate(head);
  p.rotate(-20);
  p.drawEllipse(QPointF(0, 0), size * 0.36, size * 0.26);
  p.restore();
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  const QPointF stemTop = head + QPointF(size * 0.32, -size * 1.1);
  p.setPen(QPen(colour, size * 0.1, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(head + QPointF(size * 0.32, -size * 0.08), stemTop);
  QPainterPath flag;
  flag.moveTo(stemTop);
  flag.cubicTo(stemTop + QPointF(size * 0.1, size * 0.3),
               stemTop + QPointF(size * 0.55, size * 0.3),
               stemTop + QPointF(size * 0.4, size * 0.75));
  p.setBrush(Qt::NoBrush);
  p.drawPath(flag);
  p.restore();
}

void DrawName(QPainter& p) {
  const QRectF box(186, 62, 370, 76);
  const QFont font = UiFont(68, QFont::Black, 3);
  QPainterPath text;
  {
    const QString name = QStringLiteral("LYROVOX");
    QPainterPath probe;
    probe.addText(QPointF(0, 0), font, name);
    const QRectF bounds = probe.boundingRect();
    text.addText(
        QPointF(box.center().x() - bounds.center().x(), box.center().y() - bounds.center().y()),
        font, name);
  }
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  // A soft halo: wide, faint strokes under the letters.
  for (int i = 5; i >= 1; --i) {
    p.setPen(
        QPen(QColor(0x3c, 0xc8, 0xff, 14), i * 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(text);
  }
  QLinearGradient g(box.topLeft(), box.topRight());
  g.setColorAt(0, QColor(0xff, 0xff, 0xff));
  g.setColorAt(0.45, QColor(0x9c, 0xe8, 0xff));
  g.setColorAt(1, QColor(0xc4, 0x7c, 0xff));
  p.setPen(Qt::NoPen);
  p.setBrush(g);
  p.drawPath(text);
  p.restore();
  FillText(p, QRectF(186, 140, 370, 22), Qt::AlignHCenter | Qt::AlignVCenter,
           QStringLiteral("KARAOKE PLAYER"), UiFont(15, QFont::Bold, 7), QColor(0xa9, 0xb8, 0xd0));
}

void DrawLevelBars(QPainter& p) {
  constexpr int kBars = 31;
  constexpr double kBarWidth = 8;
  constexpr double kGap = 4;
  constexpr double kBase = 230;
  const double left = 371 - (kBars * kBarWidth + (kBars - 1) * kGap) / 2;
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  for (int i = 0; i < kBars; ++i) {
    const double level = 0.5 + 0.5 * std::sin(i * 0.55 + 0.4) * std::cos(i * 0.17 - 0.3);
    const double h = 6 + 40 * level * (0.75 + 0.25 * std::sin(i * 1.3));
    const QRectF bar(left + i * (kBarWidth + kGap), kBase - h, kBarWidth, h);
    QLinearGradient g(0, kBase - 46, 0, kBase);
    g.setColorAt(0, QColor(0xc4, 0x7c, 0xff));
    g.setColorAt(0.5, QColor(0x3c, 0xc8, 0xff));
    g.setColorAt(1, QColor(0x17, 0x6a, 0xc2, 120));
    p.setBrush(g);
    p.drawRoundedRect(bar, 2.5, 2.5);
  }
  p.restore();
}

}  // namespace

void DrawSplash(QPainter& p) {
  DrawBackdrop(p);
  DrawNote(p, QPointF(176, 58), 20, QColor(0x9c, 0xe8, 0xff, 150));
  DrawNote(p, QPointF(548, 48), 16, QColor(0xc4, 0x7c, 0xff, 140));
  DrawNote(p, QPointF(30, 120), 14, QColor(0xc4, 0x7c, 0xff, 110));
  p.save();
  p.translate(105, 128);
  p.rotate(-14);
  DrawMicrophone(p, QRectF(-34, -92, 68, 184), QColor(0x9a, 0xa6, 0xba), QColor(0x7c, 0x8a, 0xa3));
  p.restore();
  DrawName(p);
  DrawLevelBars(p);
  // The text band: darker, so the window's white lines read clearly.
  QLinearGradient band(0, kTextBandTop - 10, 0, kTextBandTop + 6);
  band.setColorAt(0, QColor(0, 0, 0, 0));
  band.setColorAt(1, QColor(0, 0, 0, 170));
  p.fillRect(QRectF(0, kTextBandTop - 10, kWidth, kHeight - kTextBandTop + 10), band);
  p.fillRect(QRectF(40, kTextBandTop - 1, kWidth - 80, 1), QColor(255, 255, 255, 30));
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(255, 255, 255, 40), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(QRectF(0.5, 0.5, kWidth - 1, kHeight - 1), 9, 9);
  p.restore();
}

}  // namespace lyrovox::skin

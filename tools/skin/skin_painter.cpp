#include "skin/skin_painter.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTransform>
#include <algorithm>
#include <cmath>

namespace lyrovox::skin {

namespace {

constexpr double kPi = 3.14159265358979323846;

QRectF Centred(QPointF c, double w, double h) {
  return QRectF(c.x() - w / 2, c.y() - h / 2, w, h);
}

QLinearGradient Vertical(const QRectF& box, const QColor& top, const QColor& bottom) {
  QLinearGradient g(box.topLeft(), box.bottomLeft());
  g.setColorAt(0, top);
  g.setColorAt(1, bottom);
  return g;
}

struct FaceColours {
  QColor top;
  QColor bottom;
  QColor well;  // the ring around the face
  QColor rimTop;
  QColor rimBottom;
};

FaceColours FaceFor(Press press, bool accent) {
  if (press == Press::kUp) {
    if (accent) {
      return {QColor(0x5c, 0xd9, 0xff), QColor(0x16, 0x63, 0xb8), QColor(0x06, 0x0a, 0x12),
              QColor(255, 255, 255, 120), QColor(0x0b, 0x3a, 0x70)};
    }
    return {QColor(0x4c, 0x55, 0x68), QColor(0x23, 0x28, 0x32), QColor(0x07, 0x08, 0x0b),
            QColor(255, 255, 255, 70), QColor(0x14, 0x17, 0x1d)};
  }
  if (accent) {
    return {QColor(0x0b, 0x33, 0x5e), QColor(0x18, 0x6c, 0xbf), QColor(60, 200, 255, 200),
            QColor(0x03, 0x10, 0x20), QColor(0x3c, 0xa8, 0xf0)};
  }
  return {QColor(0x12, 0x14, 0x1a), QColor(0x2a, 0x30, 0x3b), QColor(60, 200, 255, 170),
          QColor(0x02, 0x03, 0x05), QColor(0x3b, 0x43, 0x52)};
}

// Fills the face (a path inside the well) and its rim, with a gloss on a raised face.
void DrawFace(QPainter& p, const QPainterPath& well, const QPainterPath& face,
              const QPainterPath& gloss, const QRectF& faceBox, Press press, bool accent) {
  const FaceColours c = FaceFor(press, accent);
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(c.well);
  p.drawPath(well);
  p.setBrush(Vertical(faceBox, c.top, c.bottom));
  p.drawPath(face);
  QPen rim(QBrush(Vertical(faceBox, c.rimTop, c.rimBottom)), 1.0);
  p.setPen(rim);
  p.setBrush(Qt::NoBrush);
  p.drawPath(face);
  if (press == Press::kUp) {
    p.setPen(Qt::NoPen);
    p.setBrush(
        Vertical(faceBox, QColor(255, 255, 255, accent ? 70 : 38), QColor(255, 255, 255, 0)));
    p.drawPath(gloss);
  }
  p.restore();
}

}  // namespace

QFont UiFont(double pixels, int weight, double letterSpacing) {
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
  font.setWeight(static_cast<QFont::Weight>(weight));
  font.setHintingPreference(QFont::PreferNoHinting);
  font.setStyleStrategy(QFont::PreferAntialias);
  if (letterSpacing != 0) font.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
  return font;
}

void FillText(QPainter& p, const QRectF& box, Qt::Alignment align, const QString& text,
              const QFont& font, const QBrush& brush) {
  const QFontMetricsF metrics(font);
  // Letter spacing also follows the last letter: leave it out of the width.
  const double width = metrics.horizontalAdvance(text) - font.letterSpacing();
  double x = box.left();
  if (align & Qt::AlignHCenter) x = box.center().x() - width / 2;
  if (align & Qt::AlignRight) x = box.right() - width;
  // Capital letters centred: the cap height, not the ascent, sets the middle.
  double y = box.top() + metrics.capHeight();
  if (align & Qt::AlignVCenter) y = box.center().y() + metrics.capHeight() / 2;
  if (align & Qt::AlignBottom) y = box.bottom();
  QPainterPath path;
  path.addText(QPointF(x, y), font, text);
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(brush);
  p.drawPath(path);
  p.restore();
}

void FillVertical(QPainter& p, const QRectF& box, const QColor& top, const QColor& bottom) {
  p.fillRect(box, Vertical(box, top, bottom));
}

void DrawCaptionStrip(QPainter& p, const QRectF& box) {
  FillVertical(p, box, palette::kStripTop, palette::kStripBottom);
  // A light line at the top, a dark one at the bottom: the strip stands out of the window.
  p.fillRect(QRectF(box.left(), box.top(), box.width(), 1), QColor(255, 255, 255, 28));
  p.fillRect(QRectF(box.left(), box.bottom() - 1, box.width(), 1), palette::kStripShadow);
}

void DrawBottomStrip(QPainter& p, const QRectF& box) {
  FillVertical(p, box, QColor(0x20, 0x25, 0x2f), QColor(0x12, 0x14, 0x1a));
  p.fillRect(QRectF(box.left(), box.top(), box.width(), 1), palette::kStripShadow);
  p.fillRect(QRectF(box.left(), box.top() + 1, box.width(), 1), QColor(255, 255, 255, 22));
}

void DrawRoundButton(QPainter& p, const QRectF& box, Press press, bool accent) {
  const double d = std::min(box.width(), box.height()) - 0.5;
  const QPointF c = box.center();
  QPainterPath well;
  well.addEllipse(Centred(c, d, d));
  const QRectF faceBox = Centred(c, d - 4, d - 4);
  QPainterPath face;
  face.addEllipse(faceBox);
  QPainterPath gloss;
  gloss.addEllipse(Centred(c - QPointF(0, d * 0.17), d * 0.74, d * 0.5));
  DrawFace(p, well, face, gloss, faceBox, press, accent);
}

void DrawRectButton(QPainter& p, const QRectF& box, double radius, Press press, bool accent) {
  const QRectF wellBox = box.adjusted(0.25, 0.25, -0.25, -0.25);
  QPainterPath well;
  well.addRoundedRect(wellBox, radius, radius);
  const QRectF faceBox = wellBox.adjusted(2, 2, -2, -2);
  QPainterPath face;
  face.addRoundedRect(faceBox, radius - 1.5, radius - 1.5);
  QPainterPath gloss;
  gloss.addRoundedRect(faceBox.adjusted(1.5, 1, -1.5, -faceBox.height() * 0.5), radius - 2,
                       radius - 2);
  DrawFace(p, well, face, gloss, faceBox, press, accent);
}

QColor SymbolColour(Press press, bool accent) {
  if (press == Press::kUp) return accent ? QColor(Qt::white) : palette::kInk;
  return accent ? QColor(0xd8, 0xf4, 0xff) : palette::kAccent;
}

QPointF SymbolShift(Press press) {
  return press == Press::kDown ? QPointF(0, 1) : QPointF(0, 0);
}

namespace {

void FillPath(QPainter& p, const QPainterPath& path, const QColor& colour) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  // A thin stroke in the same colour rounds the corners a little.
  p.setPen(QPen(colour, 0.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(colour);
  p.drawPath(path);
  p.restore();
}

void StrokeLine(QPainter& p, QPointF a, QPointF b, double width, const QColor& colour) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(a, b);
  p.restore();
}

}  // namespace

void DrawStopSymbol(QPainter& p, QPointF c, double s, const QColor& colour) {
  QPainterPath path;
  path.addRoundedRect(Centred(c, s * 0.86, s * 0.86), s * 0.12, s * 0.12);
  FillPath(p, path, colour);
}

void DrawPlaySymbol(QPainter& p, QPointF c, double s, const QColor& colour) {
  // The triangle's weight sits left of its box: shifted right to look centred.
  const double w = s * 0.9;
  const double left = c.x() - w / 2 + s * 0.1;
  QPainterPath path;
  path.moveTo(left, c.y() - s / 2);
  path.lineTo(left + w, c.y());
  path.lineTo(left, c.y() + s / 2);
  path.closeSubpath();
  FillPath(p, path, colour);
}

void DrawSkipSymbol(QPainter& p, QPointF c, double s, bool forward, const QColor& colour) {
  const double bar = s * 0.17;
  const double tri = s * 0.72;
  const double total = bar + tri;
  const double top = c.y() - s / 2;
  const double bottom = c.y() + s / 2;
  QPainterPath path;
  if (forward) {
    const double left = c.x() - total / 2;
    path.moveTo(left, top);
    path.lineTo(left + tri, c.y());
    path.lineTo(left, bottom);
    path.closeSubpath();
    path.addRect(QRectF(left + tri, top, bar, s));
  } else {
    const double left = c.x() - total / 2;
    path.addRect(QRectF(left, top, bar, s));
    path.moveTo(left + total, top);
    path.lineTo(left + bar, c.y());
    path.lineTo(left + total, bottom);
    path.closeSubpath();
  }
  path.setFillRule(Qt::WindingFill);
  FillPath(p, path.simplified(), colour);
}

void DrawFolderSymbol(QPainter& p, QPointF c, double s, const QColor& colour) {
  const double w = s * 1.35;
  const double h = s;
  const QRectF box = Centred(c, w, h);
  // The back with its tab.
  QPainterPath back;
  back.moveTo(box.left(), box.top() + h * 0.12);
  back.quadTo(box.left(), box.top(), box.left() + h * 0.12, box.top());
  back.lineTo(box.left() + w * 0.36, box.top());
  back.lineTo(box.left() + w * 0.46, box.top() + h * 0.16);
  back.lineTo(box.right() - h * 0.1, box.top() + h * 0.16);
  back.quadTo(box.right(), box.top() + h * 0.16, box.right(), box.top() + h * 0.28);
  back.lineTo(box.right(), box.bottom());
  back.lineTo(box.left(), box.bottom());
  back.closeSubpath();
  QColor backColour = colour;
  backColour.setAlphaF(colour.alphaF() * 0.55);
  FillPath(p, back, backColour);
  // The front, tilted open.
  QPainterPath front;
  front.moveTo(box.left() + w * 0.12, box.top() + h * 0.36);
  front.lineTo(box.right() + w * 0.04, box.top() + h * 0.36);
  front.lineTo(box.right() - w * 0.06, box.bottom());
  front.lineTo(box.left(), box.bottom());
  front.closeSubpath();
  FillPath(p, front, colour);
}

void DrawGearSymbol(QPainter& p, QPointF c, double s, const QColor& colour) {
  const double outer = s / 2;
  const double body = outer * 0.74;
  const double hole = outer * 0.32;
  QPainterPath gear;
  gear.addEllipse(c, body, body);
  constexpr int kTeeth = 8;
  for (int i = 0; i < kTeeth; ++i) {
    QPainterPath tooth;
    tooth.addRoundedRect(QRectF(-outer * 0.2, -outer, outer * 0.4, outer * 0.5), outer * 0.08,
                         outer * 0.08);
    QTransform t;
    t.translate(c.x(), c.y());
    t.rotate(i * 360.0 / kTeeth);
    gear = gear.united(t.map(tooth));
  }
  QPainterPath inner;
  inner.addEllipse(c, hole, hole);
  FillPath(p, gear.subtracted(inner), colour);
}

void DrawListSymbol(QPainter& p, QPointF c, double s, const QColor& colour) {
  const double w = s;
  const double line = s * 0.16;
  for (int i = -1; i <= 1; ++i) {
    const double y = c.y() + i * s * 0.34;
    QPainterPath dot;
    dot.addEllipse(QPointF(c.x() - w / 2 + line / 2, y), line * 0.62, line * 0.62);
    FillPath(p, dot, colour);
    StrokeLine(p, QPointF(c.x() - w / 2 + line * 2.4, y), QPointF(c.x() + w / 2, y), line, colour);
  }
}

void DrawPlusSymbol(QPainter& p, QPointF c, double s, const QColor& colour) {
  const double width = s * 0.2;
  StrokeLine(p, c - QPointF(s / 2, 0), c + QPointF(s / 2, 0), width, colour);
  StrokeLine(p, c - QPointF(0, s / 2), c + QPointF(0, s / 2), width, colour);
}

void DrawMinusSymbol(QPainter& p, QPointF c, double s, const QColor& colour) {
  StrokeLine(p, c - QPointF(s / 2, 0), c + QPointF(s / 2, 0), s * 0.2, colour);
}

void DrawCrossSymbol(QPainter& p, QPointF c, double s, double width, const QColor& colour) {
  const double h = s / 2;
  StrokeLine(p, c + QPointF(-h, -h), c + QPointF(h, h), width, colour);
  StrokeLine(p, c + QPointF(-h, h), c + QPointF(h, -h), width, colour);
}

void DrawSpeakerSymbol(QPainter& p, QPointF c, double s, const QColor& colour) {
  const double left = c.x() - s * 0.55;
  QPainterPath cone;
  cone.moveTo(left, c.y() - s * 0.17);
  cone.lineTo(left + s * 0.22, c.y() - s * 0.17);
  cone.lineTo(left + s * 0.5, c.y() - s * 0.42);
  cone.lineTo(left + s * 0.5, c.y() + s * 0.42);
  cone.lineTo(left + s * 0.22, c.y() + s * 0.17);
  cone.lineTo(left, c.y() + s * 0.17);
  cone.closeSubpath();
  FillPath(p, cone, colour);
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(Qt::NoBrush);
  for (int i = 0; i < 2; ++i) {
    const double r = s * (0.22 + 0.2 * i);
    p.setPen(QPen(colour, s * 0.09, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(left + s * 0.5 - r, c.y() - r, 2 * r, 2 * r), -45 * 16, 90 * 16);
  }
  p.restore();
}

void DrawMagnifierSymbol(QPainter& p, QPointF c, double s, const QColor& colour) {
  const double r = s * 0.3;
  const QPointF lens = c + QPointF(-s * 0.12, -s * 0.12);
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(colour, s * 0.14));
  p.drawEllipse(lens, r, r);
  p.restore();
  const double k = r / std::sqrt(2.0);
  StrokeLine(p, lens + QPointF(k, k), c + QPointF(s * 0.42, s * 0.42), s * 0.18, colour);
}

void DrawMicrophone(QPainter& p, const QRectF& box, const QColor& body, const QColor& grille) {
  // A hand-held microphone: the ball-shaped grille on a tapering handle.
  const double w = box.width();
  const QPointF head(box.center().x(), box.top() + w * 0.5);
  const double r = w * 0.42;
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath handle;
  handle.moveTo(head.x() - w * 0.2, head.y() + r * 0.6);
  handle.lineTo(head.x() + w * 0.2, head.y() + r * 0.6);
  handle.lineTo(head.x() + w * 0.1, box.bottom() - w * 0.06);
  handle.quadTo(head.x(), box.bottom() + w * 0.02, head.x() - w * 0.1, box.bottom() - w * 0.06);
  handle.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(Vertical(box, body.lighter(140), body.darker(160)));
  p.drawPath(handle);
  // A ring where the head meets the handle.
  p.setBrush(grille.darker(150));
  p.drawRoundedRect(QRectF(head.x() - w * 0.25, head.y() + r * 0.55, w * 0.5, w * 0.12), w * 0.04,
                    w * 0.04);
  QRadialGradient ball(head - QPointF(r * 0.35, r * 0.4), r * 1.4);
  ball.setColorAt(0, grille.lighter(170));
  ball.setColorAt(0.5, grille);
  ball.setColorAt(1, grille.darker(260));
  p.setBrush(ball);
  p.drawEllipse(head, r, r);
  // The grille's mesh.
  p.setClipPath([&] {
    QPainterPath clip;
    clip.addEllipse(head, r, r);
    return clip;
  }());
  p.setPen(QPen(QColor(0, 0, 0, 70), std::max(0.6, w * 0.025)));
  for (double d = -r; d <= r; d += r / 3.5) {
    p.drawLine(QPointF(head.x() + d - r, head.y() - r), QPointF(head.x() + d + r, head.y() + r));
    p.drawLine(QPointF(head.x() + d + r, head.y() - r), QPointF(head.x() + d - r, head.y() + r));
  }
  p.restore();
}

void DrawGroove(QPainter& p, const QRectF& box, bool active) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF r = box.adjusted(0.5, 0.5, -0.5, -0.5);
  const double radius = r.height() / 2;
  p.setPen(QPen(active ? QColor(0x46, 0x51, 0x66) : QColor(0x1e, 0x23, 0x2d), 1));
  p.setBrush(active ? QColor(0x17, 0x1c, 0x27) : QColor(0x0c, 0x0e, 0x13));
  p.drawRoundedRect(r, radius, radius);
  p.restore();
}

void DrawKnob(QPainter& p, const QRectF& box) {
  const double d = std::min(box.width(), box.height()) - 0.6;
  const QPointF c = box.center();
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 150));
  p.drawEllipse(c + QPointF(0, 0.4), d / 2, d / 2);
  QRadialGradient face(c - QPointF(d * 0.18, d * 0.22), d * 0.75);
  face.setColorAt(0, QColor(0xff, 0xff, 0xff));
  face.setColorAt(0.6, QColor(0xc9, 0xd3, 0xe2));
  face.setColorAt(1, QColor(0x8a, 0x96, 0xaa));
  p.setBrush(face);
  p.setPen(QPen(palette::kAccent, std::max(0.8, d * 0.09)));
  p.drawEllipse(c, d / 2 - 0.6, d / 2 - 0.6);
  p.setPen(Qt::NoPen);
  p.setBrush(palette::kAccentDeep);
  p.drawEllipse(c, d * 0.13, d * 0.13);
  p.restore();
}

void DrawSpot(QPainter& p, const QRectF& box, const QString& label, bool lit, const QColor& litTop,
              const QColor& litBottom) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF r = box.adjusted(0.5, 0.5, -0.5, -0.5);
  const double radius = 2.5;
  if (lit) {
    p.setPen(QPen(litTop.lighter(120), 1));
    p.setBrush(Vertical(r, litTop, litBottom));
  } else {
    p.setPen(QPen(QColor(0x2f, 0x36, 0x45), 1));
    p.setBrush(QColor(0x12, 0x15, 0x1c));
  }
  p.drawRoundedRect(r, radius, radius);
  p.restore();
  FillText(p, box, Qt::AlignCenter, label, UiFont(8, QFont::Black, 0.2),
           lit ? QColor(0x12, 0x0c, 0x02) : QColor(0x7d, 0x88, 0x9c));
}

}  // namespace lyrovox::skin

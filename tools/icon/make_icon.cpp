// lyrovox-make-icon OUT_DIR: draws the program's icon into OUT_DIR/hicolor/<n>x<n>/apps/lyrovox.png
// at the usual sizes of the desktop's icon theme. The look of the windows' skin: a dark rounded
// body with a light edge, and a microphone whose left part is already in the sung colour, as a
// lyric line is while it is sung.

#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>

namespace {

// The skin's palette.
const QColor kBodyTop{0x1e, 0x22, 0x2c};
const QColor kBodyBottom{0x0f, 0x11, 0x16};
const QColor kBodyEdge{0x3a, 0x42, 0x52};
const QColor kInk{0xf2, 0xf5, 0xfa};
const QColor kDimInk{0x86, 0x91, 0xa5};
const QColor kAccent{0x3c, 0xc8, 0xff};
const QColor kAccentDeep{0x17, 0x6a, 0xc2};

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256, 512};

// The microphone in a 100 x 100 box: head, grille, collar, handle, and the stand's cradle.
QPainterPath MicrophoneHead() {
  QPainterPath head;
  head.addRoundedRect(QRectF(35, 14, 30, 44), 15, 15);
  return head;
}

QPainterPath MicrophoneBody() {
  QPainterPath body = MicrophoneHead();
  // The handle narrows towards its end.
  QPainterPath handle;
  handle.moveTo(42, 60);
  handle.lineTo(58, 60);
  handle.lineTo(55, 86);
  handle.quadTo(50, 90, 45, 86);
  handle.closeSubpath();
  body.addPath(handle);
  return body.simplified();
}

void DrawBody(QPainter& p, double size) {
  const double margin = size * 0.04;
  const QRectF box(margin, margin, size - 2 * margin, size - 2 * margin);
  const double radius = size * 0.2;
  QLinearGradient fill(box.topLeft(), box.bottomLeft());
  fill.setColorAt(0, kBodyTop);
  fill.setColorAt(1, kBodyBottom);
  p.setPen(size >= 32 ? QPen(kBodyEdge, size / 64.0) : Qt::NoPen);
  p.setBrush(fill);
  p.drawRoundedRect(box, radius, radius);
  // A soft stage light behind the microphone.
  QRadialGradient glow(QPointF(size * 0.5, size * 0.38), size * 0.42);
  QColor light = kAccent;
  light.setAlpha(70);
  glow.setColorAt(0, light);
  light.setAlpha(0);
  glow.setColorAt(1, light);
  p.setPen(Qt::NoPen);
  p.setBrush(glow);
  p.drawRoundedRect(box, radius, radius);
}

void DrawMicrophone(QPainter& p, double size) {
  p.save();
  p.scale(size / 100.0, size / 100.0);
  const QPainterPath body = MicrophoneBody();
  // Unsung: light ink. Sung: the left part, up to the wipe's edge, in the accent.
  constexpr double kWipeEdge = 52;
  QLinearGradient unsung(0, 14, 0, 90);
  unsung.setColorAt(0, kInk);
  unsung.setColorAt(1, kDimInk);
  p.setPen(Qt::NoPen);
  p.setBrush(unsung);
  p.drawPath(body);
  QLinearGradient sung(0, 14, 0, 90);
  sung.setColorAt(0, kAccent);
  sung.setColorAt(1, kAccentDeep);
  p.save();
  p.setClipRect(QRectF(0, 0, kWipeEdge, 100));
  p.setBrush(sung);
  p.drawPath(body);
  p.restore();
  // The grille and the collar, where the size allows them.
  if (size >= 32) {
    p.setClipPath(MicrophoneHead());
    p.setPen(QPen(QColor(0x0f, 0x11, 0x16, 110), 1.6));
    for (double y = 21; y < 56; y += 6)
      p.drawLine(QPointF(30, y), QPointF(70, y));
    for (double x = 41; x < 64; x += 6)
      p.drawLine(QPointF(x, 10), QPointF(x, 60));
    p.setClipping(false);
  }
  p.setPen(QPen(kBodyBottom, size >= 32 ? 2.5 : 4));
  p.drawLine(QPointF(38, 59), QPointF(62, 59));
  // The wipe's edge: a thin bright line across the microphone.
  if (size >= 48) {
    p.setPen(QPen(QColor(255, 255, 255, 150), 1.2));
    p.drawLine(QPointF(kWipeEdge, 12), QPointF(kWipeEdge, 90));
  }
  p.restore();
}

QImage DrawIcon(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  DrawBody(p, size);
  DrawMicrophone(p, size);
  p.end();
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: lyrovox-make-icon OUT_DIR\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  for (int size : kSizes) {
    const QString folder = QStringLiteral("%1/hicolor/%2x%2/apps").arg(out).arg(size);
    if (!QDir().mkpath(folder) || !DrawIcon(size).save(folder + QStringLiteral("/lyrovox.png"))) {
      std::fprintf(stderr, "lyrovox-make-icon: cannot write %s\n", qPrintable(folder));
      return 1;
    }
  }
  return 0;
}

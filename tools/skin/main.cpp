// lyrovox-make-skin: draws every bitmap of the program's skin into a folder.
//
//   lyrovox-make-skin FOLDER
//
// Writes FOLDER/<id>.png at the bitmap's size and FOLDER/<id>@2x.png at twice it, for every id of
// the skin's catalogue. The drawing is vector work on a scaled painter, so the twins are as sharp
// as the originals.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>

#include "skin/skin_bitmaps.h"
#include "skin/skin_catalogue.h"

namespace {

QImage Draw(const lyrovox::SkinBitmapSpec& spec, int scale) {
  QImage image(spec.width * scale, spec.height * scale, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.scale(scale, scale);
  if (spec.id == 159) {
    lyrovox::skin::DrawSplash(p);
  } else if (!lyrovox::skin::DrawPanelBitmap(spec.id, p)) {
    lyrovox::skin::DrawWindowBitmap(spec.id, p);
  }
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  // Drawing needs fonts, not a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: lyrovox-make-skin FOLDER\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  if (!QDir().mkpath(folder)) {
    std::fprintf(stderr, "lyrovox-make-skin: cannot make %s\n", argv[1]);
    return 1;
  }
  for (const lyrovox::SkinBitmapSpec& spec : lyrovox::kSkinBitmaps) {
    for (int scale : {1, 2}) {
      const QString name =
          scale == 1 ? QString("%1.png").arg(spec.id) : QString("%1@2x.png").arg(spec.id);
      const QString path = QDir(folder).filePath(name);
      if (!Draw(spec, scale).save(path, "PNG")) {
        std::fprintf(stderr, "lyrovox-make-skin: cannot write %s\n", qPrintable(path));
        return 1;
      }
    }
  }
  return 0;
}

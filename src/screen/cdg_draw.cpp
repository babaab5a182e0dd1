#include "screen/cdg_draw.h"

#include <QImage>

namespace lyrovox {

QImage CdgFrameImage(const CdgPlayer& player) {
  // The colour index in each pixel's top byte is ignored by the 32-bit RGB format.
  return QImage(reinterpret_cast<const uchar*>(player.FramePixels()), kCdgWidth, kCdgHeight,
                kCdgWidth * 4, QImage::Format_RGB32);
}

void DrawCdgFrame(QPainter& painter, const CdgPlayer& player, const QRectF& target) {
  if (player.FramePixels() == nullptr) return;
  const bool smooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
  painter.drawImage(target, CdgFrameImage(player), QRectF(0, 0, kCdgWidth, kCdgHeight));
  painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}

}  // namespace lyrovox

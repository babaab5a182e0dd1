#include "media/video_area.h"

#include <QPainter>
#include <QTimerEvent>

#include "media/file_player.h"

namespace lyrovox {

namespace {

// Frames are looked for a little more often than the fastest common frame rate.
constexpr int kPollMs = 15;

}  // namespace

QRect PictureRect(const QRect& area, int aspectX, int aspectY, bool stretch) {
  if (stretch || aspectX <= 0 || aspectY <= 0 || area.isEmpty()) return area;
  int width = area.width();
  int height = static_cast<int>(int64_t{width} * aspectY / aspectX);
  if (height > area.height()) {
    height = area.height();
    width = static_cast<int>(int64_t{height} * aspectX / aspectY);
  }
  return QRect(area.x() + (area.width() - width) / 2, area.y() + (area.height() - height) / 2,
               width, height);
}

QImage KeyOutFrame(const QImage& frame, uint32_t keyColor) {
  if (frame.isNull()) return {};
  const QImage source =
      frame.format() == QImage::Format_RGB32 || frame.format() == QImage::Format_ARGB32
          ? frame
          : frame.convertToFormat(QImage::Format_RGB32);
  QImage out(source.size(), QImage::Format_ARGB32_Premultiplied);
  // 0x00BBGGRR to the 0xAARRGGBB of an opaque pixel.
  const QRgb key = qRgb(keyColor & 0xFF, (keyColor >> 8) & 0xFF, (keyColor >> 16) & 0xFF);
  const bool opaqueSource = source.format() == QImage::Format_RGB32;
  for (int y = 0; y < source.height(); ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    const int width = source.width();
    if (opaqueSource) {
      // One pass the compiler can vectorise: exactly the key colour becomes transparent.
      for (int x = 0; x < width; ++x) {
        const QRgb p = in[x] | 0xFF000000u;
        line[x] = p == key ? 0u : p;
      }
    } else {
      for (int x = 0; x < width; ++x) {
        line[x] = in[x] == key ? 0u : qPremultiply(in[x]);
      }
    }
  }
  return out;
}

CVideoArea::CVideoArea(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  pollTimer_ = startTimer(kPollMs, Qt::PreciseTimer);
}

CVideoArea::~CVideoArea() = default;

void CVideoArea::SetFrameSource(std::shared_ptr<VideoFrameHolder> frames) {
  frames_ = std::move(frames);
  update();
}

void CVideoArea::SetLyricsFrame(const QImage& frame) {
  lyricsFrame_ = frame;
  keyedValid_ = false;
  update();
}

void CVideoArea::SetVideoRect(const QRect& rect) {
  videoRect_ = rect;
  update();
}

QRect CVideoArea::videoRect() const {
  return videoRect_.isEmpty() ? rect() : videoRect_;
}

void CVideoArea::PollFrames() {
  if (frames_ && frames_->serial() != paintedSerial_) update();
}

void CVideoArea::timerEvent(QTimerEvent* event) {
  if (event->timerId() == pollTimer_) {
    PollFrames();
  } else {
    QWidget::timerEvent(event);
  }
}

void CVideoArea::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  if (frames_) {
    const QImage picture = frames_->Frame(&paintedSerial_);
    if (!picture.isNull()) {
      int aspectX = 0;
      int aspectY = 0;
      frames_->NativeSize(nullptr, nullptr, &aspectX, &aspectY);
      const QRect target = PictureRect(videoRect(), aspectX, aspectY, frames_->stretch());
      painter.setRenderHint(QPainter::SmoothPixmapTransform);
      painter.drawImage(target, picture);
    }
  }
  if (!lyricsFrame_.isNull()) {
    if (!keyedValid_) {
      keyedFrame_ = KeyOutFrame(lyricsFrame_, kKeyColor);
      keyedValid_ = true;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(rect(), keyedFrame_);
  }
}

}  // namespace lyrovox

#include "media/video_area.h"

#include <QPainter>
#include <QTimerEvent>

#include "media/file_player.h"
#include "screen/paged_image.h"

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
  QImage out;
  KeyOutFrameInto(frame, frame.rect(), keyColor, out);
  return out;
}

bool KeyOutFrameInto(const QImage& frame, const QRect& source, uint32_t keyColor, QImage& out) {
  const QRect area = source & frame.rect();
  if (frame.isNull() || area.isEmpty()) {
    const bool changed = !out.isNull();
    out = QImage();
    return changed;
  }
  const bool direct =
      frame.format() == QImage::Format_RGB32 || frame.format() == QImage::Format_ARGB32;
  const QImage converted = direct ? QImage() : frame.convertToFormat(QImage::Format_RGB32);
  const QImage& in = direct ? frame : converted;
  QRgb changed = 0;
  if (out.size() != area.size() || out.format() != QImage::Format_ARGB32_Premultiplied) {
    // Zero-filled: the pass below compares with what the buffer held.
    out = MakePagedImage(area.size(), QImage::Format_ARGB32_Premultiplied);
    if (out.isNull()) return true;
    changed = 1;
  }
  // 0x00BBGGRR to the 0xAARRGGBB of an opaque pixel.
  const QRgb key = qRgb(keyColor & 0xFF, (keyColor >> 8) & 0xFF, (keyColor >> 16) & 0xFF);
  const bool opaqueSource = in.format() == QImage::Format_RGB32;
  const int width = area.width();
  for (int y = 0; y < area.height(); ++y) {
    const auto* from = reinterpret_cast<const QRgb*>(in.constScanLine(area.y() + y)) + area.x();
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    // One pass the compiler can vectorise: exactly the key colour becomes transparent, and any
    // difference from what the buffer held is noted.
    if (opaqueSource) {
      for (int x = 0; x < width; ++x) {
        const QRgb p = from[x] | 0xFF000000u;
        const QRgb keyed = p == key ? 0u : p;
        changed |= keyed ^ line[x];
        line[x] = keyed;
      }
    } else {
      for (int x = 0; x < width; ++x) {
        const QRgb keyed = from[x] == key ? 0u : qPremultiply(from[x]);
        changed |= keyed ^ line[x];
        line[x] = keyed;
      }
    }
  }
  return changed != 0;
}

CVideoArea::CVideoArea(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  pollTimer_ = startTimer(kPollMs, Qt::PreciseTimer);
}

CVideoArea::~CVideoArea() = default;

void CVideoArea::SetFrameSource(std::shared_ptr<VideoFrameHolder> frames) {
  frames_ = std::move(frames);
  scaledPicture_ = QImage();
  scaledSerial_ = 0;
  update();
}

void CVideoArea::SetLyricsFrame(const QImage& frame) {
  lyricsFrame_ = frame;
  keyedValid_ = false;
  update();
}

void CVideoArea::SetLyricsFrame(const QImage& frame, const QRect& source) {
  lyricsFrame_ = QImage();
  const bool changed = KeyOutFrameInto(frame, source, kKeyColor, keyedFrame_) || !keyedValid_;
  keyedValid_ = true;
  // Most presents repeat the frame before them: those repaint nothing.
  if (changed) update();
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
    uint64_t serial = 0;
    const QImage picture = frames_->Frame(&serial);
    paintedSerial_ = serial;
    if (!picture.isNull()) {
      int aspectX = 0;
      int aspectY = 0;
      frames_->NativeSize(nullptr, nullptr, &aspectX, &aspectY);
      const QRect target = PictureRect(videoRect(), aspectX, aspectY, frames_->stretch());
      if (target.size() == picture.size()) {
        painter.drawImage(target.topLeft(), picture);
      } else {
        if (serial != scaledSerial_ || scaledPicture_.size() != target.size()) {
          // Bilinear, on this thread: smooth scaling through the thread pool costs several
          // times the processor time for a picture that changes 25 times a second.
          if (scaledPicture_.size() != target.size()) {
            scaledPicture_ = MakePagedImage(target.size(), QImage::Format_RGB32);
          }
          QPainter scaler(&scaledPicture_);
          scaler.setRenderHint(QPainter::SmoothPixmapTransform);
          scaler.setCompositionMode(QPainter::CompositionMode_Source);
          scaler.drawImage(scaledPicture_.rect(), picture);
          scaledSerial_ = serial;
        }
        painter.drawImage(target.topLeft(), scaledPicture_);
      }
      if (serial != shownPictureSerial_) {
        shownPictureSerial_ = serial;
        if (picturePainted_) picturePainted_();
      }
    }
  }
  if (!keyedValid_ && !lyricsFrame_.isNull()) {
    KeyOutFrameInto(lyricsFrame_, lyricsFrame_.rect(), kKeyColor, keyedFrame_);
    keyedValid_ = true;
  }
  if (keyedValid_ && !keyedFrame_.isNull()) {
    if (keyedFrame_.size() == size()) {
      painter.drawImage(0, 0, keyedFrame_);
    } else {
      painter.drawImage(rect(), keyedFrame_);
    }
  }
}

}  // namespace lyrovox

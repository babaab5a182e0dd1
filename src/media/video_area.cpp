#include "media/video_area.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
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

namespace {

// Keys out the part `area` of frame into out at `at`: exactly the key colour becomes
// transparent, the rest opaque (premultiplied). True when out changed.
bool KeyOutRows(const QImage& frame, const QRect& area, QRgb key, QImage& out, QPoint at) {
  const bool direct =
      frame.format() == QImage::Format_RGB32 || frame.format() == QImage::Format_ARGB32;
  const QImage converted =
      direct ? QImage() : frame.copy(area).convertToFormat(QImage::Format_RGB32);
  const QImage& in = direct ? frame : converted;
  const QPoint from0 = direct ? area.topLeft() : QPoint(0, 0);
  const bool opaqueSource = in.format() == QImage::Format_RGB32;
  const int width = area.width();
  QRgb changed = 0;
  for (int y = 0; y < area.height(); ++y) {
    const auto* from = reinterpret_cast<const QRgb*>(in.constScanLine(from0.y() + y)) + from0.x();
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(at.y() + y)) + at.x();
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

// 0x00BBGGRR to the 0xAARRGGBB of an opaque pixel.
QRgb KeyPixel(uint32_t keyColor) {
  return qRgb(keyColor & 0xFF, (keyColor >> 8) & 0xFF, (keyColor >> 16) & 0xFF);
}

}  // namespace

bool KeyOutFrameInto(const QImage& frame, const QRect& source, uint32_t keyColor, QImage& out) {
  const QRect area = source & frame.rect();
  if (frame.isNull() || area.isEmpty()) {
    const bool changed = !out.isNull();
    out = QImage();
    return changed;
  }
  bool fresh = false;
  if (out.size() != area.size() || out.format() != QImage::Format_ARGB32_Premultiplied) {
    // Zero-filled: the pass below compares with what the buffer held.
    out = MakePagedImage(area.size(), QImage::Format_ARGB32_Premultiplied);
    if (out.isNull()) return true;
    fresh = true;
  }
  return KeyOutRows(frame, area, KeyPixel(keyColor), out, QPoint(0, 0)) || fresh;
}

bool KeyOutPartInto(const QImage& frame, const QRect& source, const QRect& part, uint32_t keyColor,
                    QImage& out) {
  const QRect area = source & frame.rect();
  const QRect cut = part & area;
  if (cut.isEmpty() || out.size() != area.size() ||
      out.format() != QImage::Format_ARGB32_Premultiplied) {
    return false;
  }
  return KeyOutRows(frame, cut, KeyPixel(keyColor), out, cut.topLeft() - area.topLeft());
}

PictureSurface::PictureSurface(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_NativeWindow);
  setAttribute(Qt::WA_DontCreateNativeAncestors);
  // The sink draws every pixel: Qt neither paints nor clears it.
  setAttribute(Qt::WA_PaintOnScreen);
  setAttribute(Qt::WA_NoSystemBackground);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void PictureSurface::SetHooks(std::function<void(uintptr_t, QSize)> changed,
                              std::function<void()> exposed) {
  changed_ = std::move(changed);
  exposed_ = std::move(exposed);
  Report();
}

void PictureSurface::Report() {
  if (!changed_) return;
  const qreal ratio = devicePixelRatioF();
  changed_(static_cast<uintptr_t>(winId()),
           QSize(qRound(width() * ratio), qRound(height() * ratio)));
}

void PictureSurface::paintEvent(QPaintEvent* /*event*/) {
  if (exposed_) exposed_();
}

void PictureSurface::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Report();
}

CVideoArea::CVideoArea(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  pollTimer_ = startTimer(kPollMs, Qt::PreciseTimer);
}

CVideoArea::~CVideoArea() = default;

void CVideoArea::SetFrameSource(std::shared_ptr<VideoFrameHolder> frames) {
  frames_ = std::move(frames);
  paintedPicture_ = QImage();
  UpdateSurface();
  update();
}

void CVideoArea::SetPictureInWindow(std::function<void(uintptr_t, QSize)> changed,
                                    std::function<void()> exposed) {
  if (surface_ == nullptr) {
    surface_ = new PictureSurface(this);
    surface_->setGeometry(rect());
    surface_->hide();
  }
  surface_->SetHooks(std::move(changed), std::move(exposed));
  UpdateSurface();
}

bool CVideoArea::pictureInWindow() const {
  return surface_ != nullptr && !surface_->isHidden();
}

// The sink's window is up while a picture source is set whose frames the area is not given.
void CVideoArea::UpdateSurface() {
  if (surface_ == nullptr) return;
  const bool up = frames_ != nullptr && frames_->Frame().isNull();
  if (up != surface_->isHidden()) return;
  surface_->setVisible(up);
  // The lyrics were left to the sink: they are painted again.
  if (!up) update();
}

void CVideoArea::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (surface_ != nullptr) surface_->setGeometry(rect());
}

void CVideoArea::SetLyricsFrame(const QImage& frame) {
  lyricsFrame_ = frame;
  keyedValid_ = false;
  keyedSource_ = QRect();
  update();
}

void CVideoArea::ForgetLyricsFrame() {
  if (!keyedValid_ && lyricsFrame_.isNull()) return;
  lyricsFrame_ = QImage();
  keyedValid_ = false;
  keyedSource_ = QRect();
  keyedCovered_ = QRegion();
}

void CVideoArea::SetLyricsFrame(const QImage& frame, const QRect& source) {
  SetLyricsFrame(frame, source, FrameDamage::Whole(frame.rect()));
}

void CVideoArea::SetLyricsFrame(const QImage& frame, const QRect& source,
                                const FrameDamage& damage) {
  lyricsFrame_ = QImage();
  const QRect area = source & frame.rect();
  bool changed = false;
  QRegion repaint;  // in frame coordinates
  if (keyedValid_ && area == keyedSource_ && !keyedFrame_.isNull() &&
      keyedFrame_.size() == area.size()) {
    const QRegion parts = damage.changed & area;
    for (const QRect& part : parts) {
      if (KeyOutPartInto(frame, area, part, kKeyColor, keyedFrame_)) {
        changed = true;
        repaint |= part;
      }
    }
  } else {
    changed = KeyOutFrameInto(frame, area, kKeyColor, keyedFrame_) || !keyedValid_;
    repaint = area;
  }
  keyedValid_ = true;
  keyedSource_ = area;
  keyedCovered_ = damage.covered.translated(-area.topLeft()) & QRect(QPoint(0, 0), area.size());
  // Most presents repeat the frame before them: those repaint nothing. Drawn unscaled, only what
  // changed is repainted; nothing while the sink shows the lyrics.
  if (!changed || pictureInWindow()) return;
  if (keyedFrame_.size() == size()) {
    update(repaint.translated(-area.topLeft()));
  } else {
    update();
  }
}

void CVideoArea::SetVideoRect(const QRect& rect) {
  videoRect_ = rect;
  update();
}

QRect CVideoArea::videoRect() const {
  return videoRect_.isEmpty() ? rect() : videoRect_;
}

void CVideoArea::PollFrames() {
  if (!frames_) return;
  const uint64_t serial = frames_->serial();
  if (serial == paintedSerial_) return;
  if (surface_ != nullptr) UpdateSurface();
  if (!pictureInWindow()) {
    update();
    return;
  }
  // The sink shows it: noted, not painted.
  paintedSerial_ = serial;
  if (serial != shownPictureSerial_) {
    shownPictureSerial_ = serial;
    if (picturePainted_) picturePainted_();
  }
}

void CVideoArea::timerEvent(QTimerEvent* event) {
  if (event->timerId() == pollTimer_) {
    PollFrames();
  } else {
    QWidget::timerEvent(event);
  }
}

void CVideoArea::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  // Black wherever the picture does not go.
  QRegion black(rect());
  if (frames_) {
    uint64_t serial = paintedSerial_;
    QImage picture = paintedPicture_;
    // (QRegion::contains(QRect) says whether they overlap.)
    if ((QRegion(rect()) - event->region()).isEmpty()) {
      picture = frames_->Frame(&serial);
      paintedSerial_ = serial;
      paintedPicture_ = picture;
    }
    if (!picture.isNull()) {
      int aspectX = 0;
      int aspectY = 0;
      frames_->NativeSize(nullptr, nullptr, &aspectX, &aspectY);
      const QRect target = PictureRect(videoRect(), aspectX, aspectY, frames_->stretch());
      if (target.size() == picture.size()) {
        painter.drawImage(target.topLeft(), picture);
      } else {
        // Bilinear, straight into the window: only what the paint's region covers is scaled.
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(target, picture);
        painter.restore();
      }
      black -= target;
      if (serial != shownPictureSerial_) {
        shownPictureSerial_ = serial;
        if (picturePainted_) picturePainted_();
      }
    }
  }
  for (const QRect& r : black)
    painter.fillRect(r, Qt::black);
  if (!keyedValid_ && !lyricsFrame_.isNull()) {
    KeyOutFrameInto(lyricsFrame_, lyricsFrame_.rect(), kKeyColor, keyedFrame_);
    keyedValid_ = true;
    keyedCovered_ = QRegion(keyedFrame_.rect());
  }
  if (keyedValid_ && !keyedFrame_.isNull()) {
    if (keyedFrame_.size() == size()) {
      // Elsewhere the keyed frame is transparent.
      for (const QRect& r : keyedCovered_)
        painter.drawImage(r.topLeft(), keyedFrame_, r);
    } else {
      painter.drawImage(rect(), keyedFrame_);
    }
  }
}

}  // namespace lyrovox

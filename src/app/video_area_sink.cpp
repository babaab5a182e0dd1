#include "app/video_area_sink.h"

#include "screen/screen_text.h"

namespace lyrovox {

VideoAreaSink::VideoAreaSink(CVideoArea& area, const CLyricScreen& screen,
                             std::shared_ptr<VideoFrameHolder> frames,
                             std::shared_ptr<PictureWindow> window)
    : area_(area), screen_(screen), frames_(std::move(frames)), window_(std::move(window)) {}

bool VideoAreaSink::ShowFrame(const QImage& frame, const FrameDamage& damage) {
  const QRect target = screen_.TargetRect() & frame.rect();
  if (target.isEmpty()) return false;
  if (window_ && area_.pictureInWindow()) {
    ShowInWindow(frame, target, damage);
  } else {
    overlayFresh_ = false;
    area_.SetLyricsFrame(frame, target, damage);
  }
  if (presented_) presented_();
  return true;
}

void VideoAreaSink::ShowInWindow(const QImage& frame, const QRect& target,
                                 const FrameDamage& damage) {
  // The area keys nothing out while the sink shows the lyrics.
  area_.ForgetLyricsFrame();
  const qreal ratio = area_.devicePixelRatioF();
  const QSize size(qRound(area_.width() * ratio), qRound(area_.height() * ratio));
  const bool same = overlayFresh_ && size == overlaySize_ && target == overlaySource_;
  // Most presents repeat the frame before them.
  if (same && !damage.changed.intersects(target)) return;
  // Only the rows that changed since the last overlay are made again.
  overlay_ = LyricsOverlay::Make(frame, target, RgbOf(kKeyColor), damage.changed, size,
                                 same ? overlay_ : nullptr);
  overlayFresh_ = true;
  overlaySize_ = size;
  overlaySource_ = target;
  window_->SetOverlay(overlay_);
}

void VideoAreaSink::SetVideoShown(bool shown) {
  ++shownChanges_;
  if (shown) {
    area_.SetFrameSource(frames_);
    return;
  }
  // Without a running picture player the last picture would stay frozen under the lyrics. A
  // picture graph that gives way to the next one in the same turn of the event loop goes on
  // showing until that one has a picture, so the picture is taken away only when none follows.
  const uint64_t change = shownChanges_;
  QMetaObject::invokeMethod(
      &area_,
      [this, change, alive = std::weak_ptr<bool>(alive_)] {
        if (!alive.expired() && change == shownChanges_) area_.SetFrameSource(nullptr);
      },
      Qt::QueuedConnection);
}

}  // namespace lyrovox

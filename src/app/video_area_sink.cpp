#include "app/video_area_sink.h"

namespace lyrovox {

VideoAreaSink::VideoAreaSink(CVideoArea& area, const CLyricScreen& screen,
                             std::shared_ptr<VideoFrameHolder> frames,
                             std::shared_ptr<PictureWindow> window)
    : area_(area), screen_(screen), frames_(std::move(frames)), window_(std::move(window)) {}

bool VideoAreaSink::ShowFrame(const QImage& frame, const FrameDamage& damage) {
  const QRect target = screen_.TargetRect() & frame.rect();
  if (target.isEmpty()) return false;
  area_.SetLyricsFrame(frame, target, damage);
  if (window_ && area_.lyricsSerial() != overlaySerial_) {
    // The pipeline composes it over the window's picture, which is the area's size.
    overlaySerial_ = area_.lyricsSerial();
    const qreal ratio = area_.devicePixelRatioF();
    window_->SetOverlay(
        MakeLyricsOverlay(area_.keyedLyrics(), area_.keyedCovered(),
                          QSize(qRound(area_.width() * ratio), qRound(area_.height() * ratio))));
  }
  if (presented_) presented_();
  return true;
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

#include "app/video_area_sink.h"

namespace lyrovox {

VideoAreaSink::VideoAreaSink(CVideoArea& area, const CLyricScreen& screen,
                             std::shared_ptr<VideoFrameHolder> frames)
    : area_(area), screen_(screen), frames_(std::move(frames)) {}

bool VideoAreaSink::ShowFrame(const QImage& frame) {
  const QRect target = screen_.TargetRect() & frame.rect();
  if (target.isEmpty()) return false;
  area_.SetLyricsFrame(frame, target);
  if (presented_) presented_();
  return true;
}

void VideoAreaSink::SetVideoShown(bool shown) {
  // Without a running picture player the last picture would stay frozen under the lyrics.
  area_.SetFrameSource(shown ? frames_ : nullptr);
}

}  // namespace lyrovox

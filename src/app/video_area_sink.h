#pragma once

// Presented frames into the video area: the part of the screen-sized frame that the lyrics screen
// drew into its target rectangle becomes the video area's lyrics frame, drawn over the picture.

#include <cstdint>
#include <functional>
#include <memory>

#include "media/video_area.h"
#include "media/video_frame_holder.h"
#include "screen/lyric_screen.h"
#include "screen/screen_surfaces.h"

namespace lyrovox {

class VideoAreaSink final : public IFrameSink {
 public:
  // frames: the picture player's, shown while the surfaces say video is shown.
  VideoAreaSink(CVideoArea& area, const CLyricScreen& screen,
                std::shared_ptr<VideoFrameHolder> frames);

  bool ShowFrame(const QImage& frame, const FrameDamage& damage) override;
  void SetVideoShown(bool shown) override;

  // Called after every frame handed to the area (measurements).
  void SetPresentedHook(std::function<void()> hook) { presented_ = std::move(hook); }

 private:
  CVideoArea& area_;
  const CLyricScreen& screen_;
  std::shared_ptr<VideoFrameHolder> frames_;
  std::function<void()> presented_;
  uint64_t shownChanges_ = 0;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // for calls queued on the area
};

}  // namespace lyrovox

#pragma once

// Presented frames into the video area: the part of the screen-sized frame that the lyrics screen
// drew into its target rectangle becomes the video area's lyrics frame, drawn over the picture.
// Where a video sink draws the picture into the area's window, the lyrics frame becomes instead the
// overlay the pipeline writes over the picture, made again where it changed.

#include <cstdint>
#include <functional>
#include <memory>

#include "media/picture_window.h"
#include "media/video_area.h"
#include "media/video_frame_holder.h"
#include "screen/lyric_screen.h"
#include "screen/screen_surfaces.h"

namespace lyrovox {

class VideoAreaSink final : public IFrameSink {
 public:
  // frames: the picture player's, shown while the surfaces say video is shown.
  // window: where a sink draws the picture (null: the area draws it).
  VideoAreaSink(CVideoArea& area, const CLyricScreen& screen,
                std::shared_ptr<VideoFrameHolder> frames,
                std::shared_ptr<PictureWindow> window = nullptr);

  bool ShowFrame(const QImage& frame, const FrameDamage& damage) override;
  void SetVideoShown(bool shown) override;

  // Called after every frame handed to the area (measurements).
  void SetPresentedHook(std::function<void()> hook) { presented_ = std::move(hook); }

 private:
  CVideoArea& area_;
  const CLyricScreen& screen_;
  std::shared_ptr<VideoFrameHolder> frames_;
  std::shared_ptr<PictureWindow> window_;
  std::function<void()> presented_;
  void ShowInWindow(const QImage& frame, const QRect& target, const FrameDamage& damage);

  // The overlay last handed to the window, the size and part of the frame it was made for, and
  // whether it holds every change since (the area showed the lyrics in between).
  std::shared_ptr<const LyricsOverlay> overlay_;
  QSize overlaySize_;
  QRect overlaySource_;
  bool overlayFresh_ = false;
  uint64_t shownChanges_ = 0;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // for calls queued on the area
};

}  // namespace lyrovox

#pragma once

// The picture shown by a video sink of its own in a native window of the video area, with the
// lyrics composed over it inside the pipeline: decoded frames go from the decoder to the screen
// without passing through the user-interface thread.
//
// The picture graphs build their picture path from it: the picture converted to the sink's RGB
// order and scaled to the window's size (black bars where it keeps its proportions), the lyrics
// overlay written over it (lyrics_overlay.h), then the sink drawing into the window. The
// user-interface thread tells it the window and its size, and hands it each lyrics overlay that
// changed; the streaming threads write the overlay into each frame on its way to the sink.
// Thread-safe.

#include <gst/video/video.h>

#include <QImage>
#include <QRegion>
#include <QSize>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "media/gst_handles.h"
#include "media/lyrics_overlay.h"

namespace lyrovox {

// The sinks that draw into a window, in the order they are tried: XVideo, OpenGL, plain X.
std::vector<std::string> WindowSinkCandidates();
// The first of the candidates that exists, draws into a window, starts (reaches the ready
// state, where it opens the display) and takes pictures of 4-byte RGB pixels, which the lyrics
// are written into; an empty name when none does. A candidate may be a
// gst-launch description whose last element is such a sink.
std::string ChooseWindowSink(const std::vector<std::string>& candidates);
// The window sink the program uses: LYROVOX_VIDEO_SINK when it names one that starts, or when it
// is unset or "auto" the first of WindowSinkCandidates() that starts; empty when none does, when
// the variable is "area" (the video area draws the frames), or when it names a sink that does not
// draw into a window (which then takes the picture instead).
std::string ChooseProgramWindowSink();

class PictureWindow {
 public:
  // sinkName: the sink (or description) chosen by ChooseWindowSink.
  explicit PictureWindow(std::string sinkName);
  ~PictureWindow();
  PictureWindow(const PictureWindow&) = delete;
  PictureWindow& operator=(const PictureWindow&) = delete;

  const std::string& sinkName() const { return sinkName_; }

  // The native window (0: none) and its size in pixels. A new size reshapes the pictures of
  // every graph showing.
  void SetWindow(uintptr_t handle, QSize size);
  uintptr_t handle() const;
  QSize size() const;
  // Whether a picture path can be built now: a sink and a window of some size.
  bool usable() const;
  // The window needs drawing again (uncovered): the newest path's sink draws its last picture
  // again.
  void Expose();

  // The lyrics overlay from now on (null: none).
  void SetOverlay(std::shared_ptr<const LyricsOverlay> overlay);
  // The overlay for the next frame (null: none).
  std::shared_ptr<const LyricsOverlay> TakeOverlay();

  // How long overlays waited from SetOverlay until a frame was composed with them (the lyrics
  // reach the screen with the picture's next frame), for measurements.
  struct OverlayDelays {
    int count = 0;
    double worstMs = 0;
    double totalMs = 0;
  };
  OverlayDelays overlayDelays() const;
  void ResetOverlayDelays();
  // What the sinks rendered and dropped (their QoS statistics), those gone and those showing,
  // since the last reset.
  struct SinkFrames {
    uint64_t rendered = 0;
    uint64_t dropped = 0;
  };
  SinkFrames sinkFrames() const;
  void ResetSinkFrames();
  // Each frame a path's sink is handed, before it draws it:
  // - takes in the sink's statistics: the sink starts them again at every flush (a seek, the
  //   background's loop), so they are added up here;
  // - a sink that takes the window's size for other than the frames' (which are made at the
  //   window's size) looks at the window again. A window sink learns its window's size only when
  //   it is given the window or asked to draw again, and a resize can fall between the two (the
  //   window growing to full screen while the path is being built, or while its graph is parked).
  void OnSinkFrame(uint64_t path);

  // A picture path: elements of one pipeline, made and linked by the caller. The scaler's
  // output size follows the window; the sink is told the window. Holds references until the
  // path is dropped.
  struct Path {
    gst::ElementPtr pixels;   // a capsfilter: frames in pixels the lyrics can be written into
    gst::ElementPtr scaler;   // videoscale
    gst::ElementPtr filter;   // the capsfilter after it
    gst::ElementPtr overlay;  // a capsfilter for the pixels the lyrics are written into
    gst::ElementPtr sink;     // the window sink (or a bin holding it)
  };
  // Makes a path's elements, the sink started (ready): null elements when something is missing
  // or the sink does not start. stretch: the picture fills the window, else it keeps its
  // proportions with black bars.
  Path MakePath(bool stretch);
  // The path starts following the window; the id drops it again.
  uint64_t AddPath(Path path);
  void DropPath(uint64_t id);

 private:
  struct Stamp;
  static GstPadProbeReturn OnFrame(GstPad* pad, GstPadProbeInfo* info, gpointer stamp);
  struct BufferUnref {
    void operator()(GstBuffer* b) const { gst_buffer_unref(b); }
  };
  // The frame a path's sink was handed last, with the lyrics written into it. Where the sink
  // shows that frame's own memory again when asked (the X sinks), a new overlay is written into
  // it at once and the sink asked to show it again: the lyrics do not wait for the picture's next
  // frame, nor stand still under a paused picture.
  struct Shown {
    GstElement* path = nullptr;                      // the path's overlay element: which path it is
    std::unique_ptr<GstBuffer, BufferUnref> buffer;  // kept from being reused meanwhile
    uint8_t* data = nullptr;
    int stride = 0;
    int width = 0;
    int height = 0;
    LyricsOverlay::PixelOrder order = LyricsOverlay::PixelOrder::kBGRx;
    std::shared_ptr<const LyricsOverlay> overlay;  // written into it
    LyricsOverlay::Under under;                    // the picture's pixels under it
    int64_t atUs = 0;                              // when it was handed over
    int64_t intervalUs = 0;                        // to the next frame; 0: unknown
  };
  // Returns the storage of the frame before's `under`, for the next frame.
  LyricsOverlay::Under NoteShown(Shown shown);
  // Puts back what the frame's overlay covered and writes `overlay` in its place.
  static void Rewrite(Shown& shown, const std::shared_ptr<const LyricsOverlay>& overlay);
  void ApplySize(const Path& path, QSize size) const;

  const std::string sinkName_;
  mutable std::mutex mutex_;
  uintptr_t handle_ = 0;
  QSize size_;
  std::shared_ptr<const LyricsOverlay> overlay_;
  int64_t overlaySetUs_ = -1;  // when overlay_ came; -1 once a frame took it
  OverlayDelays delays_;
  SinkFrames goneFrames_;  // of the paths dropped
  SinkFrames resetAt_;     // the totals at the last reset
  uint64_t nextPath_ = 1;
  struct Followed {
    uint64_t id = 0;
    Path path;
    SinkFrames before;  // of the sink's statistics started again since
    SinkFrames last;    // the sink's statistics last sampled
  };
  std::vector<Followed> paths_;
  Shown shown_;
};

}  // namespace lyrovox

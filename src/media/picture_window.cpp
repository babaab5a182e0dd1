#include "media/picture_window.h"

#include <gst/video/videooverlay.h>

#include <QRect>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>

#include "media/media_sinks.h"

namespace lyrovox {

namespace {

// More parts than this are overlaid as the one rectangle around them.
constexpr int kMostOverlayParts = 16;

// The element of a sink that draws into a window: the sink itself, or the one inside a bin.
gst::ElementPtr OverlayElement(GstElement* sink) {
  if (sink == nullptr) return nullptr;
  if (GST_IS_VIDEO_OVERLAY(sink)) return gst::ElementPtr(GST_ELEMENT(gst_object_ref(sink)));
  if (GST_IS_BIN(sink)) {
    return gst::ElementPtr(gst_bin_get_by_interface(GST_BIN(sink), GST_TYPE_VIDEO_OVERLAY));
  }
  return nullptr;
}

bool SinkStarts(const std::string& description) {
  gst::ElementPtr sink = MakeSinkFromDescription(description.c_str());
  if (!sink || !OverlayElement(sink.get())) return false;
  // The sinks open the display (and look for what they draw with) on their way to ready.
  const bool ready = gst_element_set_state(sink.get(), GST_STATE_READY) == GST_STATE_CHANGE_SUCCESS;
  gst_element_set_state(sink.get(), GST_STATE_NULL);
  return ready;
}

// The size of the frames a sink is handed and the size it takes its window for, where it tells
// (ximagesink and xvimagesink do); empty when either is not known.
std::pair<QSize, QSize> FrameAndWindowSizes(GstElement* overlay) {
  GObjectClass* type = G_OBJECT_GET_CLASS(overlay);
  GParamSpec* width = g_object_class_find_property(type, "window-width");
  GParamSpec* height = g_object_class_find_property(type, "window-height");
  if (width == nullptr || height == nullptr || width->value_type != G_TYPE_UINT64 ||
      height->value_type != G_TYPE_UINT64) {
    return {};
  }
  gst::PadPtr pad(gst_element_get_static_pad(overlay, "sink"));
  gst::CapsPtr caps(pad ? gst_pad_get_current_caps(pad.get()) : nullptr);
  if (!caps || gst_caps_get_size(caps.get()) == 0) return {};
  const GstStructure* format = gst_caps_get_structure(caps.get(), 0);
  int frameWidth = 0;
  int frameHeight = 0;
  if (!gst_structure_get_int(format, "width", &frameWidth) ||
      !gst_structure_get_int(format, "height", &frameHeight)) {
    return {};
  }
  guint64 windowWidth = 0;
  guint64 windowHeight = 0;
  g_object_get(overlay, "window-width", &windowWidth, "window-height", &windowHeight, nullptr);
  if (windowWidth > INT_MAX || windowHeight > INT_MAX) return {};
  return {QSize(frameWidth, frameHeight),
          QSize(static_cast<int>(windowWidth), static_cast<int>(windowHeight))};
}

// A sink's QoS statistics: what it rendered and dropped so far.
PictureWindow::SinkFrames FramesOf(GstElement* sink) {
  PictureWindow::SinkFrames frames;
  gst::ElementPtr overlay = OverlayElement(sink);
  if (!overlay ||
      g_object_class_find_property(G_OBJECT_GET_CLASS(overlay.get()), "stats") == nullptr) {
    return frames;
  }
  GstStructure* stats = nullptr;
  g_object_get(overlay.get(), "stats", &stats, nullptr);
  if (stats == nullptr) return frames;
  guint64 n = 0;
  if (gst_structure_get_uint64(stats, "rendered", &n)) frames.rendered = n;
  if (gst_structure_get_uint64(stats, "dropped", &n)) frames.dropped = n;
  gst_structure_free(stats);
  return frames;
}

}  // namespace

std::vector<std::string> WindowSinkCandidates() {
  return {"xvimagesink", "glimagesink", "ximagesink"};
}

std::string ChooseWindowSink(const std::vector<std::string>& candidates) {
  if (!gst::EnsureInitialized()) return {};
  for (const std::string& candidate : candidates) {
    if (SinkStarts(candidate)) return candidate;
  }
  return {};
}

std::string ChooseProgramWindowSink() {
  const char* chosen = std::getenv("LYROVOX_VIDEO_SINK");
  // Not yet the default: in full screen the pipeline's blending costs more than the area's
  // painting, and the lyrics wait for the next video frame to reach the screen.
  if (chosen == nullptr || *chosen == '\0') return {};
  if (std::string_view(chosen) == "auto") return ChooseWindowSink(WindowSinkCandidates());
  // A sink that takes the picture elsewhere (a test's fakesink) keeps it from the window.
  return ChooseWindowSink({chosen});
}

gst::CompositionPtr MakeLyricsOverlay(const QImage& keyed, const QRegion& covered,
                                      QSize renderSize) {
  if (keyed.isNull() || keyed.format() != QImage::Format_ARGB32_Premultiplied ||
      renderSize.isEmpty()) {
    return nullptr;
  }
  const QRegion parts = covered & keyed.rect();
  if (parts.isEmpty()) return nullptr;
  std::vector<QRect> rects(parts.begin(), parts.end());
  if (static_cast<int>(rects.size()) > kMostOverlayParts) rects = {parts.boundingRect()};
  const double sx = static_cast<double>(renderSize.width()) / keyed.width();
  const double sy = static_cast<double>(renderSize.height()) / keyed.height();
  gst::CompositionPtr composition;
  for (const QRect& r : rects) {
    const gsize stride = static_cast<gsize>(r.width()) * 4;
    GstBuffer* buffer = gst_buffer_new_allocate(nullptr, stride * r.height(), nullptr);
    if (buffer == nullptr) return nullptr;
    {
      gst::BufferMap map(buffer, GST_MAP_WRITE);
      if (!map.ok()) {
        gst_buffer_unref(buffer);
        return nullptr;
      }
      for (int y = 0; y < r.height(); ++y) {
        std::memcpy(map.data() + stride * y, keyed.constScanLine(r.y() + y) + r.x() * 4, stride);
      }
    }
    // QImage's 0xAARRGGBB words lie in memory as B, G, R, A on a little-endian machine: the
    // overlay's own format there.
    gst_buffer_add_video_meta(buffer, GST_VIDEO_FRAME_FLAG_NONE,
                              GST_VIDEO_OVERLAY_COMPOSITION_FORMAT_RGB, r.width(), r.height());
    // Whole pixels in the picture: the edges of scaled parts meet without a gap.
    const int x0 = static_cast<int>(r.x() * sx);
    const int y0 = static_cast<int>(r.y() * sy);
    const int x1 = static_cast<int>((r.x() + r.width()) * sx + 0.5);
    const int y1 = static_cast<int>((r.y() + r.height()) * sy + 0.5);
    // Given as they are: the keyed pixels of an opaque lyrics frame are either transparent or
    // opaque, the same premultiplied or not, and the blend wants them not premultiplied.
    GstVideoOverlayRectangle* rectangle = gst_video_overlay_rectangle_new_raw(
        buffer, x0, y0, std::max(x1 - x0, 1), std::max(y1 - y0, 1),
        GST_VIDEO_OVERLAY_FORMAT_FLAG_NONE);
    gst_buffer_unref(buffer);
    if (rectangle == nullptr) return nullptr;
    if (!composition) {
      composition.reset(gst_video_overlay_composition_new(rectangle));
    } else {
      gst_video_overlay_composition_add_rectangle(composition.get(), rectangle);
    }
    gst_video_overlay_rectangle_unref(rectangle);
  }
  return composition;
}

PictureWindow::PictureWindow(std::string sinkName) : sinkName_(std::move(sinkName)) {}

PictureWindow::~PictureWindow() = default;

void PictureWindow::SetWindow(uintptr_t handle, QSize size) {
  std::lock_guard lock(mutex_);
  const bool newHandle = handle != handle_;
  const bool newSize = size != size_;
  handle_ = handle;
  size_ = size;
  for (const Followed& f : paths_) {
    const Path& path = f.path;
    if (newHandle) {
      if (gst::ElementPtr overlay = OverlayElement(path.sink.get())) {
        gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(overlay.get()), handle);
      }
    }
    if (newSize) ApplySize(path, size);
  }
}

uintptr_t PictureWindow::handle() const {
  std::lock_guard lock(mutex_);
  return handle_;
}

QSize PictureWindow::size() const {
  std::lock_guard lock(mutex_);
  return size_;
}

bool PictureWindow::usable() const {
  std::lock_guard lock(mutex_);
  return !sinkName_.empty() && handle_ != 0 && !size_.isEmpty();
}

void PictureWindow::Expose() {
  std::lock_guard lock(mutex_);
  // The newest path is the graph playing now; an older one is handing over or parked, and its
  // last picture is not the one to show.
  if (paths_.empty()) return;
  if (gst::ElementPtr overlay = OverlayElement(paths_.back().path.sink.get())) {
    gst_video_overlay_expose(GST_VIDEO_OVERLAY(overlay.get()));
  }
}

void PictureWindow::SetOverlay(gst::CompositionPtr overlay) {
  gst::CompositionPtr old;
  std::lock_guard lock(mutex_);
  old = std::exchange(overlay_, std::move(overlay));
  overlaySetUs_ = g_get_monotonic_time();
}

GstVideoOverlayComposition* PictureWindow::TakeOverlayRef() {
  std::lock_guard lock(mutex_);
  if (overlaySetUs_ >= 0) {
    const double ms = (g_get_monotonic_time() - overlaySetUs_) / 1000.0;
    overlaySetUs_ = -1;
    ++delays_.count;
    delays_.totalMs += ms;
    delays_.worstMs = std::max(delays_.worstMs, ms);
  }
  return overlay_ ? gst_video_overlay_composition_ref(overlay_.get()) : nullptr;
}

PictureWindow::OverlayDelays PictureWindow::overlayDelays() const {
  std::lock_guard lock(mutex_);
  return delays_;
}

PictureWindow::SinkFrames PictureWindow::sinkFrames() const {
  std::lock_guard lock(mutex_);
  SinkFrames total = goneFrames_;
  for (const Followed& f : paths_) {
    total.rendered += f.before.rendered + f.last.rendered;
    total.dropped += f.before.dropped + f.last.dropped;
  }
  total.rendered -= std::min(total.rendered, resetAt_.rendered);
  total.dropped -= std::min(total.dropped, resetAt_.dropped);
  return total;
}

void PictureWindow::SampleSinkFrames(uint64_t path) {
  std::lock_guard lock(mutex_);
  auto it = std::find_if(paths_.begin(), paths_.end(),
                         [path](const Followed& f) { return f.id == path; });
  if (it == paths_.end()) return;
  const SinkFrames now = FramesOf(it->path.sink.get());
  if (now.rendered < it->last.rendered || now.dropped < it->last.dropped) {
    it->before.rendered += it->last.rendered;
    it->before.dropped += it->last.dropped;
  }
  it->last = now;
}

void PictureWindow::CheckSinkWindow(uint64_t path) {
  gst::ElementPtr overlay;
  {
    std::lock_guard lock(mutex_);
    auto it = std::find_if(paths_.begin(), paths_.end(),
                           [path](const Followed& f) { return f.id == path; });
    if (it == paths_.end()) return;
    overlay = OverlayElement(it->path.sink.get());
  }
  if (!overlay) return;
  const auto [frame, window] = FrameAndWindowSizes(overlay.get());
  if (frame.isEmpty() || window.isEmpty() || frame == window) return;
  // Outside the lock: the sink asks the X server for the window's size, then draws its last
  // frame again (the one before the frame on its way, which follows at once).
  gst_video_overlay_expose(GST_VIDEO_OVERLAY(overlay.get()));
}

void PictureWindow::ResetSinkFrames() {
  SinkFrames now = sinkFrames();
  std::lock_guard lock(mutex_);
  resetAt_.rendered += now.rendered;
  resetAt_.dropped += now.dropped;
}

void PictureWindow::ResetOverlayDelays() {
  std::lock_guard lock(mutex_);
  delays_ = OverlayDelays{};
}

GstVideoOverlayComposition* PictureWindow::OnDraw(GstElement* /*overlay*/, GstSample* /*sample*/,
                                                  gpointer self) {
  return static_cast<PictureWindow*>(self)->TakeOverlayRef();
}

void PictureWindow::ApplySize(const Path& path, QSize size) const {
  if (!path.filter || size.isEmpty()) return;
  // Square pixels at the window's size: the scaler puts the picture's proportions right.
  gst::CapsPtr caps(gst_caps_new_simple("video/x-raw", "width", G_TYPE_INT, size.width(), "height",
                                        G_TYPE_INT, size.height(), "pixel-aspect-ratio",
                                        GST_TYPE_FRACTION, 1, 1, nullptr));
  g_object_set(path.filter.get(), "caps", caps.get(), nullptr);
}

PictureWindow::Path PictureWindow::MakePath(bool stretch) {
  Path path;
  path.scaler = gst::MakeElement("videoscale");
  path.filter = gst::MakeElement("capsfilter");
  path.overlay = gst::MakeElement("overlaycomposition");
  path.sink = MakeSinkFromDescription(sinkName_.c_str());
  if (!path.scaler || !path.filter || !path.overlay || !path.sink) return Path{};
  // Black bars keep the proportions; without them the picture fills the window.
  g_object_set(path.scaler.get(), "add-borders", stretch ? FALSE : TRUE, nullptr);
  g_signal_connect(path.overlay.get(), "draw", G_CALLBACK(&PictureWindow::OnDraw), this);
  gst::ElementPtr overlay = OverlayElement(path.sink.get());
  if (!overlay) return Path{};
  if (GstElement* sink = overlay.get();
      g_object_class_find_property(G_OBJECT_GET_CLASS(sink), "force-aspect-ratio") != nullptr) {
    // The frames are the window's size already.
    g_object_set(sink, "force-aspect-ratio", FALSE, nullptr);
  }
  if (g_object_class_find_property(G_OBJECT_GET_CLASS(overlay.get()), "handle-events") != nullptr) {
    // The window's mouse and keys stay the program's.
    g_object_set(overlay.get(), "handle-events", FALSE, nullptr);
  }
  std::lock_guard lock(mutex_);
  gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(overlay.get()), handle_);
  // A sink that does not start now (the display's XVideo ports taken, say) leaves this graph's
  // picture to the video area.
  if (gst_element_set_state(path.sink.get(), GST_STATE_READY) != GST_STATE_CHANGE_SUCCESS) {
    gst_element_set_state(path.sink.get(), GST_STATE_NULL);
    return Path{};
  }
  ApplySize(path, size_);
  return path;
}

uint64_t PictureWindow::AddPath(Path path) {
  std::lock_guard lock(mutex_);
  // The window may have changed since the path was made.
  if (gst::ElementPtr overlay = OverlayElement(path.sink.get())) {
    gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(overlay.get()), handle_);
  }
  ApplySize(path, size_);
  const uint64_t id = nextPath_++;
  paths_.push_back(Followed{id, std::move(path), {}, {}});
  return id;
}

void PictureWindow::DropPath(uint64_t id) {
  Path dropped;
  {
    std::lock_guard lock(mutex_);
    auto it =
        std::find_if(paths_.begin(), paths_.end(), [id](const Followed& f) { return f.id == id; });
    if (it == paths_.end()) return;
    dropped = std::move(it->path);
    goneFrames_.rendered += it->before.rendered + it->last.rendered;
    goneFrames_.dropped += it->before.dropped + it->last.dropped;
    paths_.erase(it);
  }
  // The references go outside the lock.
}

}  // namespace lyrovox

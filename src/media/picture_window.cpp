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

// The pictures the lyrics can be written into: 4 bytes a pixel, in each RGB order.
constexpr const char* kLyricsPictureCaps =
    "video/x-raw, format=(string){ BGRx, BGRA, RGBx, RGBA, xRGB, ARGB, xBGR, ABGR }";

gst::CapsPtr LyricsPictureCaps() {
  return gst::CapsPtr(gst_caps_from_string(kLyricsPictureCaps));
}

bool OrderOf(GstVideoFormat format, LyricsOverlay::PixelOrder* order) {
  using Order = LyricsOverlay::PixelOrder;
  switch (format) {
    case GST_VIDEO_FORMAT_BGRx:
    case GST_VIDEO_FORMAT_BGRA:
      *order = Order::kBGRx;
      return true;
    case GST_VIDEO_FORMAT_RGBx:
    case GST_VIDEO_FORMAT_RGBA:
      *order = Order::kRGBx;
      return true;
    case GST_VIDEO_FORMAT_xRGB:
    case GST_VIDEO_FORMAT_ARGB:
      *order = Order::kxRGB;
      return true;
    case GST_VIDEO_FORMAT_xBGR:
    case GST_VIDEO_FORMAT_ABGR:
      *order = Order::kxBGR;
      return true;
    default:
      return false;
  }
}

// The element of a sink that draws into a window: the sink itself, or the one inside a bin.
gst::ElementPtr OverlayElement(GstElement* sink) {
  if (sink == nullptr) return nullptr;
  if (GST_IS_VIDEO_OVERLAY(sink)) return gst::ElementPtr(GST_ELEMENT(gst_object_ref(sink)));
  if (GST_IS_BIN(sink)) {
    return gst::ElementPtr(gst_bin_get_by_interface(GST_BIN(sink), GST_TYPE_VIDEO_OVERLAY));
  }
  return nullptr;
}

// Whether a started sink takes pictures the lyrics can be written into (an XVideo port may take
// only YUV).
bool TakesLyricsPictures(GstElement* sink) {
  gst::PadPtr pad(gst_element_get_static_pad(sink, "sink"));
  if (!pad) return false;
  gst::CapsPtr wanted = LyricsPictureCaps();
  gst::CapsPtr taken(gst_pad_query_caps(pad.get(), wanted.get()));
  return taken && !gst_caps_is_empty(taken.get());
}

bool SinkStarts(const std::string& description) {
  gst::ElementPtr sink = MakeSinkFromDescription(description.c_str());
  if (!sink || !OverlayElement(sink.get())) return false;
  // The sinks open the display (and look for what they draw with) on their way to ready.
  const bool ready =
      gst_element_set_state(sink.get(), GST_STATE_READY) == GST_STATE_CHANGE_SUCCESS &&
      TakesLyricsPictures(sink.get());
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

// The QoS statistics of a sink's element that draws into the window (may be null): what it
// rendered and dropped so far.
PictureWindow::SinkFrames FramesOf(GstElement* overlay) {
  PictureWindow::SinkFrames frames;
  if (overlay == nullptr ||
      g_object_class_find_property(G_OBJECT_GET_CLASS(overlay), "stats") == nullptr) {
    return frames;
  }
  GstStructure* stats = nullptr;
  g_object_get(overlay, "stats", &stats, nullptr);
  if (stats == nullptr) return frames;
  guint64 n = 0;
  if (gst_structure_get_uint64(stats, "rendered", &n)) frames.rendered = n;
  if (gst_structure_get_uint64(stats, "dropped", &n)) frames.dropped = n;
  gst_structure_free(stats);
  return frames;
}

// Whether a sink draws its last frame again from that frame's own memory when it is exposed (the
// X sinks keep the frame in shared memory and put it again); a sink that keeps a copy elsewhere
// (a texture) would not show what is written into the frame afterwards.
bool ShowsItsFrameAgain(GstElement* sink) {
  gst::ElementPtr overlay = OverlayElement(sink);
  if (!overlay) return false;
  GstElementFactory* factory = gst_element_get_factory(overlay.get());
  if (factory == nullptr) return false;
  const std::string_view name = GST_OBJECT_NAME(factory);
  return name == "ximagesink" || name == "xvimagesink";
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
  if (chosen == nullptr || *chosen == '\0' || std::string_view(chosen) == "auto") {
    return ChooseWindowSink(WindowSinkCandidates());
  }
  if (std::string_view(chosen) == "area") return {};
  // A sink that takes the picture elsewhere (a test's fakesink) keeps it from the window.
  return ChooseWindowSink({chosen});
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

void PictureWindow::SetOverlay(std::shared_ptr<const LyricsOverlay> overlay) {
  std::shared_ptr<const LyricsOverlay> old;
  gst::ElementPtr again;
  {
    std::lock_guard lock(mutex_);
    old = std::exchange(overlay_, std::move(overlay));
    const int64_t now = g_get_monotonic_time();
    overlaySetUs_ = now;
    Shown& s = shown_;
    if (s.buffer && !paths_.empty() && paths_.back().path.overlay.get() == s.path) {
      // A frame due within this long brings the lyrics itself.
      constexpr int64_t kSoonUs = 12000;
      const int64_t untilNext = s.atUs + s.intervalUs - now;
      if (s.intervalUs == 0 || untilNext < 0 || untilNext > kSoonUs) {
        Rewrite(s, overlay_);
        overlaySetUs_ = -1;
        ++delays_.count;
        again = OverlayElement(paths_.back().path.sink.get());
      }
    }
  }
  if (again) gst_video_overlay_expose(GST_VIDEO_OVERLAY(again.get()));
}

std::shared_ptr<const LyricsOverlay> PictureWindow::TakeOverlay() {
  std::lock_guard lock(mutex_);
  if (overlaySetUs_ >= 0) {
    const double ms = (g_get_monotonic_time() - overlaySetUs_) / 1000.0;
    overlaySetUs_ = -1;
    ++delays_.count;
    delays_.totalMs += ms;
    delays_.worstMs = std::max(delays_.worstMs, ms);
  }
  return overlay_;
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

void PictureWindow::OnSinkFrame(uint64_t path) {
  gst::ElementPtr overlay;
  {
    std::lock_guard lock(mutex_);
    auto it = std::find_if(paths_.begin(), paths_.end(),
                           [path](const Followed& f) { return f.id == path; });
    if (it == paths_.end()) return;
    overlay = OverlayElement(it->path.sink.get());
    const SinkFrames now = FramesOf(overlay.get());
    if (now.rendered < it->last.rendered || now.dropped < it->last.dropped) {
      it->before.rendered += it->last.rendered;
      it->before.dropped += it->last.dropped;
    }
    it->last = now;
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

// What a path's probe keeps between frames; only its streaming thread touches it.
struct PictureWindow::Stamp {
  PictureWindow* window = nullptr;
  gst::CapsPtr caps;  // of the frames last seen
  GstVideoInfo info{};
  LyricsOverlay::PixelOrder order = LyricsOverlay::PixelOrder::kBGRx;
  bool writable = false;       // whether the lyrics can be written into those frames
  bool showsAgain = false;     // the sink shows its last frame's memory again when exposed
  GstElement* path = nullptr;  // the path's overlay element
  LyricsOverlay::Under spare;  // storage for what the next frame's lyrics cover
};

GstPadProbeReturn PictureWindow::OnFrame(GstPad* pad, GstPadProbeInfo* info, gpointer data) {
  auto* stamp = static_cast<Stamp*>(data);
  const std::shared_ptr<const LyricsOverlay> overlay = stamp->window->TakeOverlay();
  if (!overlay && !stamp->showsAgain) return GST_PAD_PROBE_OK;
  gst::CapsPtr caps(gst_pad_get_current_caps(pad));
  if (!caps) return GST_PAD_PROBE_OK;
  if (caps.get() != stamp->caps.get()) {
    stamp->writable = gst_video_info_from_caps(&stamp->info, caps.get()) &&
                      OrderOf(GST_VIDEO_INFO_FORMAT(&stamp->info), &stamp->order);
    stamp->caps = std::move(caps);
  }
  if (!stamp->writable) return GST_PAD_PROBE_OK;
  // Frames come fresh from the converter or the scaler: writing into one copies nothing.
  GstBuffer* buffer = gst_buffer_make_writable(GST_PAD_PROBE_INFO_BUFFER(info));
  GST_PAD_PROBE_INFO_DATA(info) = buffer;
  GstVideoFrame frame;
  if (!gst_video_frame_map(&frame, &stamp->info, buffer, GST_MAP_WRITE)) return GST_PAD_PROBE_OK;
  Shown shown;
  shown.data = static_cast<uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0));
  shown.stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0);
  shown.width = GST_VIDEO_FRAME_WIDTH(&frame);
  shown.height = GST_VIDEO_FRAME_HEIGHT(&frame);
  shown.order = stamp->order;
  if (stamp->showsAgain) {
    // What the lyrics cover is kept, to write newer ones in their place.
    shown.under = std::move(stamp->spare);
    Rewrite(shown, overlay);
  } else if (overlay) {
    overlay->Apply(shown.data, shown.stride, shown.width, shown.height, shown.order);
  }
  gst_video_frame_unmap(&frame);
  if (stamp->showsAgain) {
    // The sink's own shared memory: it stays where it is while the buffer is kept.
    shown.path = stamp->path;
    shown.buffer.reset(gst_buffer_ref(buffer));
    shown.atUs = g_get_monotonic_time();
    if (GST_VIDEO_INFO_FPS_N(&stamp->info) > 0) {
      shown.intervalUs = gst_util_uint64_scale_int(
          G_USEC_PER_SEC, GST_VIDEO_INFO_FPS_D(&stamp->info), GST_VIDEO_INFO_FPS_N(&stamp->info));
    }
    stamp->spare = stamp->window->NoteShown(std::move(shown));
  }
  return GST_PAD_PROBE_OK;
}

void PictureWindow::Rewrite(Shown& shown, const std::shared_ptr<const LyricsOverlay>& overlay) {
  LyricsOverlay::Replace(shown.overlay.get(), overlay.get(), shown.data, shown.stride, shown.width,
                         shown.height, shown.order, shown.under);
  shown.overlay = overlay;
}

LyricsOverlay::Under PictureWindow::NoteShown(Shown shown) {
  {
    std::lock_guard lock(mutex_);
    // An overlay that came while the frame was being written replaces the one written: the frame
    // is not shown yet.
    if (shown.overlay != overlay_) Rewrite(shown, overlay_);
    std::swap(shown_, shown);
  }
  // The frame before goes outside the lock; its rows' storage serves the next frame.
  return std::move(shown.under);
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
  path.pixels = gst::MakeElement("capsfilter");
  path.scaler = gst::MakeElement("videoscale");
  path.filter = gst::MakeElement("capsfilter");
  path.overlay = gst::MakeElement("capsfilter");
  path.sink = MakeSinkFromDescription(sinkName_.c_str());
  if (!path.pixels || !path.scaler || !path.filter || !path.overlay || !path.sink) return Path{};
  // Black bars keep the proportions; without them the picture fills the window.
  g_object_set(path.scaler.get(), "add-borders", stretch ? FALSE : TRUE, nullptr);
  gst::CapsPtr pictures = LyricsPictureCaps();
  g_object_set(path.pixels.get(), "caps", pictures.get(), nullptr);
  g_object_set(path.overlay.get(), "caps", pictures.get(), nullptr);
  if (gst::PadPtr out{gst_element_get_static_pad(path.overlay.get(), "src")}) {
    auto* stamp = new Stamp;
    stamp->window = this;
    stamp->path = path.overlay.get();
    stamp->showsAgain = ShowsItsFrameAgain(path.sink.get());
    gst_pad_add_probe(out.get(), GST_PAD_PROBE_TYPE_BUFFER, &PictureWindow::OnFrame, stamp,
                      [](gpointer s) { delete static_cast<Stamp*>(s); });
  }
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
  Shown shown;
  {
    std::lock_guard lock(mutex_);
    auto it =
        std::find_if(paths_.begin(), paths_.end(), [id](const Followed& f) { return f.id == id; });
    if (it == paths_.end()) return;
    dropped = std::move(it->path);
    if (shown_.path == dropped.overlay.get()) std::swap(shown, shown_);
    goneFrames_.rendered += it->before.rendered + it->last.rendered;
    goneFrames_.dropped += it->before.dropped + it->last.dropped;
    paths_.erase(it);
  }
  // The references go outside the lock.
}

}  // namespace lyrovox

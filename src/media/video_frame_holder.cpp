#include "media/video_frame_holder.h"

#include <gst/video/video.h>

#include <numeric>

namespace lyrovox {

namespace {

// Keeps a frame's buffer mapped for as long as an image shows its pixels. The buffer alone is
// held, not the sample: an appsink reuses its sample object and must be able to write the next
// caps into it.
struct MappedBuffer {
  GstBuffer* buffer;
  GstMapInfo map;
};

void ReleaseMappedBuffer(void* data) {
  auto* mapped = static_cast<MappedBuffer*>(data);
  gst_buffer_unmap(mapped->buffer, &mapped->map);
  gst_buffer_unref(mapped->buffer);
  delete mapped;
}

// The display aspect ratio of a picture from its pixel aspect ratio.
void DisplayAspect(const GstVideoInfo& info, int* aspectX, int* aspectY) {
  int64_t ax = int64_t{GST_VIDEO_INFO_WIDTH(&info)} * std::max(GST_VIDEO_INFO_PAR_N(&info), 1);
  int64_t ay = int64_t{GST_VIDEO_INFO_HEIGHT(&info)} * std::max(GST_VIDEO_INFO_PAR_D(&info), 1);
  const int64_t g = std::max<int64_t>(std::gcd(ax, ay), 1);
  *aspectX = static_cast<int>(ax / g);
  *aspectY = static_cast<int>(ay / g);
}

}  // namespace

uint64_t VideoFrameHolder::BeginSource() {
  std::lock_guard lock(mutex_);
  // A source that never showed a frame hands nothing over: the one shown before it stays.
  if (shown_ == current_) previous_ = current_;
  current_ = nextSource_++;
  return current_;
}

bool VideoFrameHolder::Showing(uint64_t source) const {
  std::lock_guard lock(mutex_);
  return source != 0 && shown_ == source;
}

void VideoFrameHolder::Push(GstSample* sample) {
  uint64_t source = 0;
  {
    std::lock_guard lock(mutex_);
    source = current_;
  }
  Push(sample, source);
}

void VideoFrameHolder::Push(GstSample* sample, uint64_t source) {
  {
    std::lock_guard lock(mutex_);
    const bool handedOver = source == previous_ && shown_ != current_;
    if (source != current_ && !handedOver) return;
  }
  GstCaps* caps = gst_sample_get_caps(sample);
  GstBuffer* buffer = gst_sample_get_buffer(sample);
  GstVideoInfo info;
  if (caps == nullptr || buffer == nullptr || !gst_video_info_from_caps(&info, caps)) return;
  if (GST_VIDEO_INFO_FORMAT(&info) != GST_VIDEO_FORMAT_BGRx) return;
  const int width = GST_VIDEO_INFO_WIDTH(&info);
  const int height = GST_VIDEO_INFO_HEIGHT(&info);
  const int stride = GST_VIDEO_INFO_PLANE_STRIDE(&info, 0);
  const gsize offset = GST_VIDEO_INFO_PLANE_OFFSET(&info, 0);
  if (width <= 0 || height <= 0 || stride < width * 4) return;

  auto* mapped = new MappedBuffer{gst_buffer_ref(buffer), {}};
  if (!gst_buffer_map(buffer, &mapped->map, GST_MAP_READ)) {
    gst_buffer_unref(mapped->buffer);
    delete mapped;
    return;
  }
  if (mapped->map.size < offset + static_cast<gsize>(stride) * (height - 1) + width * 4) {
    ReleaseMappedBuffer(mapped);
    return;
  }
  QImage image(mapped->map.data + offset, width, height, stride, QImage::Format_RGB32,
               &ReleaseMappedBuffer, mapped);

  int ax = 0;
  int ay = 0;
  DisplayAspect(info, &ax, &ay);

  std::lock_guard lock(mutex_);
  // The new source may have taken over since the check above.
  if (source != current_ && !(source == previous_ && shown_ != current_)) return;
  frame_ = std::move(image);  // the previous frame is released outside the streaming path's
  ++serial_;                  // hot loop only when its last copy goes
  shown_ = source;
  width_ = width;
  height_ = height;
  aspectX_ = ax;
  aspectY_ = ay;
}

void VideoFrameHolder::NoteShown(GstCaps* caps, uint64_t source) {
  GstVideoInfo info;
  if (caps == nullptr || !gst_video_info_from_caps(&info, caps)) return;
  int ax = 0;
  int ay = 0;
  DisplayAspect(info, &ax, &ay);
  std::lock_guard lock(mutex_);
  if (source != current_ && !(source == previous_ && shown_ != current_)) return;
  frame_ = QImage();
  ++serial_;
  shown_ = source;
  width_ = GST_VIDEO_INFO_WIDTH(&info);
  height_ = GST_VIDEO_INFO_HEIGHT(&info);
  aspectX_ = ax;
  aspectY_ = ay;
}

void VideoFrameHolder::Clear() {
  std::lock_guard lock(mutex_);
  frame_ = QImage();
  shown_ = 0;
  ++serial_;
  width_ = height_ = aspectX_ = aspectY_ = 0;
}

QImage VideoFrameHolder::Frame(uint64_t* serial) const {
  std::lock_guard lock(mutex_);
  if (serial != nullptr) *serial = serial_;
  return frame_;
}

uint64_t VideoFrameHolder::serial() const {
  std::lock_guard lock(mutex_);
  return serial_;
}

void VideoFrameHolder::NativeSize(int* width, int* height, int* aspectX, int* aspectY) const {
  std::lock_guard lock(mutex_);
  if (width != nullptr) *width = width_;
  if (height != nullptr) *height = height_;
  if (aspectX != nullptr) *aspectX = aspectX_;
  if (aspectY != nullptr) *aspectY = aspectY_;
}

void VideoFrameHolder::SetStretch(bool stretch) {
  std::lock_guard lock(mutex_);
  stretch_ = stretch;
}

bool VideoFrameHolder::stretch() const {
  std::lock_guard lock(mutex_);
  return stretch_;
}

}  // namespace lyrovox

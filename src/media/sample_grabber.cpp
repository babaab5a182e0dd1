#include "media/sample_grabber.h"

#include <bit>
#include <cstring>

#include "media/gst_handles.h"

namespace lyrovox {

namespace {

// Rewrites each whole frame as one 32-bit word: on a little-endian machine bytes 0-1 (the left
// sample) are its low half and bytes 2-3 (the right sample) its high half.
template <class Rewrite>
void ForEachFrame(uint8_t* bytes, size_t size, Rewrite rewrite) {
  static_assert(std::endian::native == std::endian::little);
  const size_t frames = size / 4;
  for (size_t i = 0; i < frames; ++i) {
    uint32_t frame;
    std::memcpy(&frame, bytes + i * 4, 4);
    frame = rewrite(frame);
    std::memcpy(bytes + i * 4, &frame, 4);
  }
}

}  // namespace

void ApplyChannelMode(int32_t mode, uint8_t* bytes, size_t size) {
  if (mode == kChannelBoth || bytes == nullptr || size < 3) return;
  switch (mode) {
    case kChannelLeft:
      ForEachFrame(bytes, size, [](uint32_t f) { return (f & 0xFFFFu) | (f << 16); });
      break;
    case kChannelRight:
      ForEachFrame(bytes, size, [](uint32_t f) { return (f & 0xFFFF0000u) | (f >> 16); });
      break;
    case kChannelReverse:
      ForEachFrame(bytes, size, [](uint32_t f) { return (f << 16) | (f >> 16); });
      break;
    default:  // other values change nothing
      break;
  }
}

void VidAudioSampleGrabber::Attach(GstPad* pad) {
  gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, &VidAudioSampleGrabber::OnBuffer, this,
                    nullptr);
}

GstPadProbeReturn VidAudioSampleGrabber::OnBuffer(GstPad*, GstPadProbeInfo* info, gpointer self) {
  const auto* grabber = static_cast<const VidAudioSampleGrabber*>(self);
  const int32_t mode = grabber->channelMode();  // once per buffer
  if (mode == kChannelBoth) return GST_PAD_PROBE_OK;
  GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
  if (buffer == nullptr) return GST_PAD_PROBE_OK;
  // Normally the only reference, so this rewrites in place; a shared buffer is copied first.
  buffer = gst_buffer_make_writable(buffer);
  GST_PAD_PROBE_INFO_DATA(info) = buffer;
  gst::BufferMap map(buffer, GST_MAP_READWRITE);
  if (map.ok()) ApplyChannelMode(mode, map.data(), map.size());
  return GST_PAD_PROBE_OK;
}

}  // namespace lyrovox

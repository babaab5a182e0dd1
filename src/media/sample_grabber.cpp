#include "media/sample_grabber.h"

#include <cstring>

#include "media/gst_handles.h"

namespace lyrovox {

void ApplyChannelMode(int32_t mode, uint8_t* bytes, size_t size) {
  if (mode == kChannelBoth || bytes == nullptr || size < 3) return;
  uint8_t* const end = bytes + (size & ~size_t{3});
  switch (mode) {
    case kChannelLeft:
      for (uint8_t* f = bytes; f != end; f += 4)
        std::memcpy(f + 2, f, 2);
      break;
    case kChannelRight:
      for (uint8_t* f = bytes; f != end; f += 4)
        std::memcpy(f, f + 2, 2);
      break;
    case kChannelReverse:
      for (uint8_t* f = bytes; f != end; f += 4) {
        uint8_t left[2];
        std::memcpy(left, f, 2);
        std::memcpy(f, f + 2, 2);
        std::memcpy(f + 2, left, 2);
      }
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

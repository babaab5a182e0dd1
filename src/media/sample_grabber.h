#pragma once

// The channel rewrite on decoded audio: 16-bit interleaved stereo PCM, changed in place on the
// streaming thread. The user-interface thread sets the mode; each buffer reads it once.

#include <gst/gst.h>

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace lyrovox {

// Channel modes of the setting "AudioChannel".
inline constexpr int32_t kChannelBoth = 0;
inline constexpr int32_t kChannelLeft = 1;
inline constexpr int32_t kChannelRight = 2;
inline constexpr int32_t kChannelReverse = 3;

// Applies a channel mode to whole 4-byte frames (left sample in bytes 0-1, right in 2-3); a
// remainder of fewer than 4 bytes and buffers of fewer than 3 bytes are left alone.
void ApplyChannelMode(int32_t mode, uint8_t* bytes, size_t size);

class VidAudioSampleGrabber {
 public:
  void SetChannelMode(int32_t mode) { channelMode_.store(mode, std::memory_order_relaxed); }
  int32_t channelMode() const { return channelMode_.load(std::memory_order_relaxed); }

  // The callback for one buffer.
  void SampleCB(uint8_t* bytes, size_t size) const { ApplyChannelMode(channelMode(), bytes, size); }

  // Hooks the callback to the buffers that leave `pad`; the grabber must outlive the pad's
  // pipeline.
  void Attach(GstPad* pad);

 private:
  static GstPadProbeReturn OnBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer self);

  std::atomic<int32_t> channelMode_{kChannelBoth};
  static_assert(std::atomic<int32_t>::is_always_lock_free);
};

}  // namespace lyrovox

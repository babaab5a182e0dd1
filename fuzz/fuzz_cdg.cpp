// CD+G streams: every instruction, at every song position, on a fresh player.

#include <cstddef>
#include <cstdint>

#include "lyrics/cdg_player.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  lyrovox::CdgPlayer player;
  // Odd sizes show every tile channel, so that channel bits do not hide the tile code.
  if (size % 2 == 1) player.channelMask = 0xFFFF;
  player.LoadCdgBytes({data, size});
  // A handful of ticks of varying length, as a song position that jumps ahead now and then:
  // every packet gets decoded while the picture is rendered only a few times.
  const int32_t packets = static_cast<int32_t>(size / lyrovox::kCdgPacketSize);
  const int32_t step = 1 + packets / 24 + (size > 0 ? data[0] % 4 : 0);
  for (int32_t c = 0; player.cursor() + lyrovox::kCdgPacketSize <= player.dataSize(); c += step)
    player.Update(c);
  player.Update(-5);
  const uint32_t* frame = player.FramePixels();
  for (int i = 0; i < lyrovox::kCdgPixels; ++i) {
    if ((frame[i] >> 24) > 15) __builtin_trap();
  }
  return 0;
}

// MIDI files played: the music reading and the sequencer, into a synthesiser without a soundfont
// (every event is still sent to it). The music's times must rise and its end hold every event;
// renders stay within their blocks and a seek lands where it was asked to.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "lyrics/midi_sequence.h"
#include "media/midi_renderer.h"
#include "media/midi_synth.h"

namespace {

constexpr size_t kBlock = 512;

// Renders up to `blocks` blocks; false once the song is over.
bool Play(lyrovox::MidiRenderer& renderer, int blocks) {
  std::vector<int16_t> buffer(2 * kBlock + 2, 0x5A5A);
  for (int i = 0; i < blocks; ++i) {
    const uint64_t at = renderer.position();
    const size_t n = renderer.Render(buffer.data(), kBlock);
    if (n > kBlock || buffer[2 * kBlock] != 0x5A5A) __builtin_trap();
    if (renderer.position() != at + n) __builtin_trap();
    if (n == 0) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const auto synth = std::make_shared<lyrovox::MidiSynth>("");
  auto song = std::make_shared<lyrovox::MidiSequence>(lyrovox::ReadMidiSequence({data, size}));
  for (size_t i = 0; i < song->events.size(); ++i) {
    const lyrovox::MidiEvent& e = song->events[i];
    if (i > 0 && e.time < song->events[i - 1].time) __builtin_trap();
    if (e.time > song->end) __builtin_trap();
    if (e.status == 0xF0 && uint64_t{e.sysexOffset} + e.sysexLength > song->sysex.size()) {
      __builtin_trap();
    }
  }

  lyrovox::MidiRenderer renderer(song, synth);
  const uint64_t end = renderer.endSample();
  // The start; back into what was rendered; a little ahead; halfway; the end and the release.
  Play(renderer, 6);
  const uint64_t back = renderer.position() - std::min<uint64_t>(renderer.position(), 700);
  for (uint64_t target : {back, back + 3000, end / 2, end}) {
    renderer.Seek(target);
    if (renderer.position() != target) __builtin_trap();
    Play(renderer, 3);
  }
  Play(renderer, 16);
  return 0;
}

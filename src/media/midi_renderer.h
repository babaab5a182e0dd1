#pragma once

// Plays a MIDI song's events into the shared synthesiser and renders its sound, block after
// block, as 16-bit interleaved stereo at MidiSynth::kSampleRate. Every event reaches the
// synthesiser at its exact sample: a block is split wherever an event falls. After the last event
// the sound goes on until it has died away (at most kMaxReleaseFrames), then the song is over.
//
// Seeks: the sound path asks for the position it is playing, which lies behind what was rendered
// (the queues and the sink hold the rest). The last kHistoryFrames rendered are kept, so a seek
// back into them hands the same sound out again and the synthesiser goes on where it was: a
// speed change does not cut the notes that are sounding. A seek further away resets the
// synthesiser and sends it everything but the notes up to the new place (programs, controllers,
// pitch bend, system exclusive), so the notes after it sound as they should.
//
// Plain C++: no GStreamer, no Qt. One thread at a time.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "lyrics/midi_sequence.h"
#include "media/midi_synth.h"

namespace lyrovox {

class MidiRenderer {
 public:
  static constexpr uint64_t kHistoryFrames = 2 * MidiSynth::kSampleRate;
  static constexpr uint64_t kMaxReleaseFrames = 2 * MidiSynth::kSampleRate;

  // Claims the synthesiser for the song (from its start).
  MidiRenderer(std::shared_ptr<const MidiSequence> song, std::shared_ptr<MidiSynth> synth);
  // Lets the synthesiser go: the song's sound stops at once.
  ~MidiRenderer();
  MidiRenderer(const MidiRenderer&) = delete;
  MidiRenderer& operator=(const MidiRenderer&) = delete;

  // Fills `stereo` with the next frames, at most `frames`, and returns how many; 0 once the song
  // is over, or once another song has claimed the synthesiser.
  size_t Render(int16_t* stereo, size_t frames);
  // The sample of the next frame Render gives.
  uint64_t position() const { return next_; }
  // The next frame Render gives is the song's frame at `sample` (none once the song is over).
  void Seek(uint64_t sample);
  // The sample of the song's last event.
  uint64_t endSample() const { return endSample_; }

 private:
  uint64_t SampleOf(size_t event) const;
  // Synthesises frames from rendered_ on, into the history too.
  void Synthesise(MidiSynth::Use& use, int16_t* stereo, size_t frames);
  void Remember(const int16_t* stereo, size_t frames);
  // Starts again at `sample` from a reset synthesiser.
  void Chase(uint64_t sample);

  std::shared_ptr<const MidiSequence> song_;
  std::shared_ptr<MidiSynth> synth_;
  uint64_t holder_ = 0;
  uint64_t endSample_ = 0;
  size_t event_ = 0;              // the next event to send
  uint64_t rendered_ = 0;         // the sample after the last one synthesised
  uint64_t next_ = 0;             // the next sample handed out; below rendered_ while replaying
  uint64_t since_ = 0;            // where the synthesis last started afresh
  bool over_ = false;             // the sound after the last event has died away
  std::vector<int16_t> history_;  // ring of stereo frames: sample s at s % kHistoryFrames
};

}  // namespace lyrovox

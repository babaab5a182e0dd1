#pragma once

// One FluidSynth synthesiser with the General MIDI soundfont, shared by the MIDI songs one after
// the other. A song claims it from its start; whoever held it before loses it, and its renders
// give nothing from then on, so that a song being taken down on another thread can never play
// into the next one. The soundfont's samples are loaded as a song's instruments need them
// (FluidSynth's dynamic sample loading): a song holds in memory only what it plays.
//
// Plain C++ over FluidSynth's C library: no GStreamer, no Qt.

#include <fluidsynth.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "lyrics/midi_sequence.h"

namespace lyrovox {

namespace fluid {
struct SettingsDelete {
  void operator()(fluid_settings_t* settings) const { delete_fluid_settings(settings); }
};
struct SynthDelete {
  void operator()(fluid_synth_t* synth) const { delete_fluid_synth(synth); }
};
using SettingsPtr = std::unique_ptr<fluid_settings_t, SettingsDelete>;
using SynthPtr = std::unique_ptr<fluid_synth_t, SynthDelete>;
}  // namespace fluid

class MidiSynth {
 public:
  static constexpr uint32_t kSampleRate = 44100;

  // soundfont: an SF2 or SF3 file; empty (or unreadable) gives a synthesiser without
  // instruments, which plays silence.
  explicit MidiSynth(const std::string& soundfont);
  ~MidiSynth();
  MidiSynth(const MidiSynth&) = delete;
  MidiSynth& operator=(const MidiSynth&) = delete;

  bool ok() const { return synth_ != nullptr; }
  bool hasSoundfont() const { return soundfontId_ >= 0; }

  // Takes the synthesiser for a song from its start and returns the holder's id. The
  // synthesiser is reset (silent, default programs and controllers, drums on channel 10) and the
  // instruments the song's program changes name are loaded now, before it plays.
  uint64_t Claim(const MidiSequence& song);
  // The holder is done: its sound stops at once.
  void Release(uint64_t holder);

  // The synthesiser in one holder's hands while this lives; empty when someone else holds it.
  class Use {
   public:
    explicit operator bool() const { return owner_ != nullptr; }
    // Plays one event of the song.
    void Send(const MidiEvent& event, const MidiSequence& song);
    // Renders frames of interleaved 16-bit stereo.
    void Render(int16_t* stereo, size_t frames);
    int ActiveVoices();
    // Back to the start state, silent at once (also the reverb and chorus), with the
    // synthesiser's blocks lined up so that
    // the song's frame `sample` begins one: FluidSynth renders in blocks of 64 frames and starts
    // what it is sent at the next one, so every rendering of a song puts its notes on the same
    // frames whatever was rendered before it.
    void Reset(uint64_t sample = 0);

   private:
    friend class MidiSynth;
    Use(std::unique_lock<std::mutex> lock, MidiSynth* owner)
        : lock_(std::move(lock)), owner_(owner) {}
    std::unique_lock<std::mutex> lock_;
    MidiSynth* owner_;
  };
  Use Take(uint64_t holder);

 private:
  void PinInstruments(const MidiSequence& song);
  void ResetLocked(uint64_t sample);

  std::mutex mutex_;
  fluid::SettingsPtr settings_;
  fluid::SynthPtr synth_;  // declared after the settings it was made with: it goes first
  int soundfontId_ = -1;
  uint64_t frames_ = 0;  // rendered since the synthesiser was made
  uint64_t holder_ = 0;  // 0: nobody
  uint64_t lastHolder_ = 0;
  std::vector<std::pair<int, int>> pinned_;  // (bank, program) loaded for the holder's song
};

// Recognises the system exclusive messages that put a whole sound module back to its start
// state: General MIDI 1 and 2 System On, the GS reset and XG System On (data without 0xF0 and
// 0xF7, any device id).
bool IsResetSysEx(const uint8_t* data, size_t size);

}  // namespace lyrovox

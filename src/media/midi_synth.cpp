#include "media/midi_synth.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <iterator>
#include <limits>
#include <system_error>

namespace lyrovox {

namespace {

constexpr int kDrumChannel = 9;  // channel 10
constexpr int kDrumBank = 128;   // FluidSynth's bank of drum kits
constexpr int16_t kQuiet = 2;    // the dither's own noise

// FluidSynth reports to standard error by default (a missing instrument in every other song);
// the program has no log.
void SilenceFluidSynth() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
      fluid_set_log_function(level, nullptr, nullptr);
    }
  });
}

// The universal non-real-time "General MIDI" messages (System On, Off, GM2 On): handled here,
// never by FluidSynth, which would keep a bank select mode from them for every later song.
bool IsGeneralMidiMode(const uint8_t* data, size_t size) {
  return size >= 4 && data[0] == 0x7E && data[2] == 0x09;
}

}  // namespace

bool IsResetSysEx(const uint8_t* data, size_t size) {
  if (IsGeneralMidiMode(data, size)) return data[3] == 0x01 || data[3] == 0x03;
  // GS reset: Roland, any device, GS model, DT1, address 40 00 7F, data 00.
  static constexpr std::array<uint8_t, 7> kGs = {0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41};
  if (size >= 9 && data[0] == 0x41 && std::equal(kGs.begin(), kGs.end(), data + 2)) return true;
  // XG System On: Yamaha, parameter change (1n), XG model, address 00 00 7E, data 00.
  static constexpr std::array<uint8_t, 5> kXg = {0x4C, 0x00, 0x00, 0x7E, 0x00};
  return size >= 7 && data[0] == 0x43 && (data[1] & 0xF0) == 0x10 &&
         std::equal(kXg.begin(), kXg.end(), data + 2);
}

MidiSynth::MidiSynth(const std::string& soundfont) {
  SilenceFluidSynth();
  settings_.reset(new_fluid_settings());
  if (!settings_) return;
  fluid_settings_setnum(settings_.get(), "synth.sample-rate", kSampleRate);
  // Only what the songs play is read from the soundfont, not all of its 141 MiB.
  fluid_settings_setint(settings_.get(), "synth.dynamic-sample-loading", 1);
  // Rendering runs on one streaming thread at a time, under this object's lock.
  fluid_settings_setint(settings_.get(), "synth.threadsafe-api", 0);
  synth_.reset(new_fluid_synth(settings_.get()));
  if (!synth_ || soundfont.empty()) return;
  std::error_code error;
  if (!std::filesystem::is_regular_file(soundfont, error)) return;
  const int id = fluid_synth_sfload(synth_.get(), soundfont.c_str(), 1);
  if (id != FLUID_FAILED) soundfontId_ = id;
}

MidiSynth::~MidiSynth() = default;

uint64_t MidiSynth::Claim(const MidiSequence& song) {
  std::lock_guard lock(mutex_);
  holder_ = ++lastHolder_;
  if (synth_) {
    ResetLocked(0);
    PinInstruments(song);
  }
  return holder_;
}

void MidiSynth::ResetLocked(uint64_t sample) {
  // A system reset leaves the voices sounding: they are cut first.
  fluid_synth_all_sounds_off(synth_.get(), -1);
  fluid_synth_system_reset(synth_.get());
  // The reverb and chorus keep what was sent to them: it is played out, unheard, so that
  // nothing of the song before sounds in this one.
  constexpr int kDrainFrames = 1024;
  constexpr uint64_t kDrainLimit = 4 * kSampleRate;
  int16_t discard[2 * kDrainFrames];
  for (uint64_t drained = 0; drained < kDrainLimit; drained += kDrainFrames) {
    fluid_synth_write_s16(synth_.get(), kDrainFrames, discard, 0, 2, discard, 1, 2);
    frames_ += kDrainFrames;
    if (std::all_of(std::begin(discard), std::end(discard),
                    [](int16_t v) { return v >= -kQuiet && v <= kQuiet; })) {
      break;
    }
  }
  constexpr uint64_t kBlock = 64;  // FluidSynth's block of frames
  const auto lead = static_cast<int>((sample - frames_) % kBlock);
  if (lead > 0) {
    fluid_synth_write_s16(synth_.get(), lead, discard, 0, 2, discard, 1, 2);
    frames_ += static_cast<uint64_t>(lead);
  }
}

void MidiSynth::Release(uint64_t holder) {
  std::lock_guard lock(mutex_);
  if (holder != holder_ || holder == 0) return;
  holder_ = 0;
  if (!synth_) return;
  fluid_synth_all_sounds_off(synth_.get(), -1);
  fluid_synth_system_reset(synth_.get());
  // What the song loaded goes; the start state's piano and drums stay.
  for (const auto& [bank, program] : pinned_) {
    fluid_synth_unpin_preset(synth_.get(), soundfontId_, bank, program);
  }
  pinned_.clear();
}

MidiSynth::Use MidiSynth::Take(uint64_t holder) {
  std::unique_lock lock(mutex_);
  if (holder == 0 || holder != holder_ || !synth_) return Use({}, nullptr);
  return Use(std::move(lock), this);
}

// The instruments a song's program changes select, followed through its bank selects as
// FluidSynth's default (GS) bank select mode does, are loaded before it plays; a missing one is
// looked for where FluidSynth substitutes it from.
void MidiSynth::PinInstruments(const MidiSequence& song) {
  std::vector<std::pair<int, int>> wanted;
  if (hasSoundfont()) {
    std::array<int, 16> bank{};
    auto defaults = [&bank] {
      bank.fill(0);
      bank[kDrumChannel] = kDrumBank;
    };
    defaults();
    for (const MidiEvent& e : song.events) {
      const int channel = e.status & 0x0F;
      const int kind = e.status & 0xF0;
      if (kind == 0xB0 && e.data1 == 0 && channel != kDrumChannel) {
        bank[channel] = e.data2;
      } else if (kind == 0xC0) {
        wanted.emplace_back(bank[channel], e.data1);
      } else if (e.status == 0xF0 &&
                 IsResetSysEx(reinterpret_cast<const uint8_t*>(song.sysex.data()) + e.sysexOffset,
                              e.sysexLength)) {
        defaults();
      }
    }
    std::sort(wanted.begin(), wanted.end());
    wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
  }
  std::vector<std::pair<int, int>> pinned;
  for (const auto& [bank, program] : wanted) {
    std::pair<int, int> preset{bank, program};
    if (fluid_synth_pin_preset(synth_.get(), soundfontId_, bank, program) != FLUID_OK) {
      preset = bank == kDrumBank ? std::pair{kDrumBank, 0} : std::pair{0, program};
      if (fluid_synth_pin_preset(synth_.get(), soundfontId_, preset.first, preset.second) !=
          FLUID_OK) {
        continue;
      }
    }
    pinned.push_back(preset);
  }
  // The last song's instruments go once this one's are in: those both play stay loaded.
  std::sort(pinned.begin(), pinned.end());
  for (const auto& preset : pinned_) {
    if (!std::binary_search(pinned.begin(), pinned.end(), preset)) {
      fluid_synth_unpin_preset(synth_.get(), soundfontId_, preset.first, preset.second);
    }
  }
  pinned_ = std::move(pinned);
}

void MidiSynth::Use::Send(const MidiEvent& e, const MidiSequence& song) {
  fluid_synth_t* synth = owner_->synth_.get();
  const int channel = e.status & 0x0F;
  switch (e.status & 0xF0) {
    case 0x80:
      fluid_synth_noteoff(synth, channel, e.data1);
      break;
    case 0x90:
      if (e.data2 == 0) {
        fluid_synth_noteoff(synth, channel, e.data1);
      } else {
        fluid_synth_noteon(synth, channel, e.data1, e.data2);
      }
      break;
    case 0xA0:
      fluid_synth_key_pressure(synth, channel, e.data1, e.data2);
      break;
    case 0xB0:
      fluid_synth_cc(synth, channel, e.data1, e.data2);
      break;
    case 0xC0:
      fluid_synth_program_change(synth, channel, e.data1);
      break;
    case 0xD0:
      fluid_synth_channel_pressure(synth, channel, e.data1);
      break;
    case 0xE0:
      fluid_synth_pitch_bend(synth, channel, e.data1 | (e.data2 << 7));
      break;
    default: {
      if (e.status != 0xF0 || uint64_t{e.sysexOffset} + e.sysexLength > song.sysex.size()) break;
      const char* data = song.sysex.data() + e.sysexOffset;
      const auto* bytes = reinterpret_cast<const uint8_t*>(data);
      if (IsResetSysEx(bytes, e.sysexLength)) {
        fluid_synth_all_sounds_off(synth, -1);
        fluid_synth_system_reset(synth);
      } else if (!IsGeneralMidiMode(bytes, e.sysexLength) && e.sysexLength > 0 &&
                 e.sysexLength <= static_cast<uint32_t>(std::numeric_limits<int>::max())) {
        fluid_synth_sysex(synth, data, static_cast<int>(e.sysexLength), nullptr, nullptr, nullptr,
                          0);
      }
      break;
    }
  }
}

void MidiSynth::Use::Render(int16_t* stereo, size_t frames) {
  fluid_synth_write_s16(owner_->synth_.get(), static_cast<int>(frames), stereo, 0, 2, stereo, 1, 2);
}

int MidiSynth::Use::ActiveVoices() {
  return fluid_synth_get_active_voice_count(owner_->synth_.get());
}

void MidiSynth::Use::Reset(uint64_t sample) {
  owner_->ResetLocked(sample);
}

}  // namespace lyrovox

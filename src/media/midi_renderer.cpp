#include "media/midi_renderer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace lyrovox {

namespace {

// Below this the release has died away (about -72 dB).
constexpr int kSilence = 8;
// A forward seek up to this far renders on to the new place, keeping the notes that sound.
constexpr uint64_t kRenderAheadFrames = 2 * MidiSynth::kSampleRate;

bool Silent(const int16_t* stereo, size_t frames) {
  for (size_t i = 0; i < 2 * frames; ++i) {
    if (std::abs(int{stereo[i]}) > kSilence) return false;
  }
  return true;
}

bool IsNote(const MidiEvent& e) {
  const int kind = e.status & 0xF0;
  return kind == 0x80 || kind == 0x90 || kind == 0xA0;
}

}  // namespace

MidiRenderer::MidiRenderer(std::shared_ptr<const MidiSequence> song,
                           std::shared_ptr<MidiSynth> synth)
    : song_(std::move(song)), synth_(std::move(synth)), history_(2 * kHistoryFrames) {
  holder_ = synth_->Claim(*song_);
  endSample_ = song_->SampleAt(song_->end, MidiSynth::kSampleRate);
}

MidiRenderer::~MidiRenderer() {
  synth_->Release(holder_);
}

uint64_t MidiRenderer::SampleOf(size_t event) const {
  return song_->SampleAt(song_->events[event].time, MidiSynth::kSampleRate);
}

size_t MidiRenderer::Render(int16_t* stereo, size_t frames) {
  if (frames == 0) return 0;
  if (next_ < rendered_) {
    // Handing out again what a seek went back over.
    const auto n = static_cast<size_t>(std::min<uint64_t>(frames, rendered_ - next_));
    for (size_t done = 0; done < n;) {
      const auto at = static_cast<size_t>((next_ + done) % kHistoryFrames);
      const size_t run = std::min(n - done, static_cast<size_t>(kHistoryFrames) - at);
      std::memcpy(stereo + 2 * done, history_.data() + 2 * at, run * 2 * sizeof(int16_t));
      done += run;
    }
    next_ += n;
    return n;
  }
  if (over_) return 0;
  MidiSynth::Use use = synth_->Take(holder_);
  if (!use) {
    over_ = true;
    return 0;
  }
  const bool releasing = event_ == song_->events.size() && rendered_ >= endSample_;
  if (releasing) {
    const uint64_t stop = endSample_ + std::min(kMaxReleaseFrames, ~endSample_);
    if (rendered_ >= stop) {
      over_ = true;
      return 0;
    }
    frames = static_cast<size_t>(std::min<uint64_t>(frames, stop - rendered_));
  }
  Synthesise(use, stereo, frames);
  next_ = rendered_;
  if (releasing && use.ActiveVoices() == 0 && Silent(stereo, frames)) over_ = true;
  return frames;
}

void MidiRenderer::Synthesise(MidiSynth::Use& use, int16_t* stereo, size_t frames) {
  const std::vector<MidiEvent>& events = song_->events;
  size_t done = 0;
  while (done < frames) {
    while (event_ < events.size() && SampleOf(event_) <= rendered_) {
      use.Send(events[event_++], *song_);
    }
    uint64_t until = rendered_ + (frames - done);
    if (event_ < events.size()) until = std::min(until, SampleOf(event_));
    const auto n = static_cast<size_t>(until - rendered_);
    use.Render(stereo + 2 * done, n);
    Remember(stereo + 2 * done, n);
    done += n;
    rendered_ += n;
  }
}

void MidiRenderer::Remember(const int16_t* stereo, size_t frames) {
  for (size_t done = 0; done < frames;) {
    const auto at = static_cast<size_t>((rendered_ + done) % kHistoryFrames);
    const size_t run = std::min(frames - done, static_cast<size_t>(kHistoryFrames) - at);
    std::memcpy(history_.data() + 2 * at, stereo + 2 * done, run * 2 * sizeof(int16_t));
    done += run;
  }
}

void MidiRenderer::Seek(uint64_t sample) {
  if (sample == next_) return;
  const uint64_t oldest = std::max(since_, rendered_ - std::min(rendered_, kHistoryFrames));
  if (sample >= oldest && sample <= rendered_) {
    next_ = sample;
    return;
  }
  if (sample > rendered_) {
    if (over_) {
      // Nothing sounds beyond the end: Render gives nothing from there.
      next_ = sample;
      return;
    }
    if (sample - rendered_ <= kRenderAheadFrames) {
      if (MidiSynth::Use use = synth_->Take(holder_)) {
        std::vector<int16_t> scratch(2 * 1024);
        while (rendered_ < sample) {
          const auto n = static_cast<size_t>(std::min<uint64_t>(1024, sample - rendered_));
          Synthesise(use, scratch.data(), n);
        }
        next_ = rendered_;
        return;
      }
    }
  }
  Chase(sample);
}

void MidiRenderer::Chase(uint64_t sample) {
  // Nothing before the new place is handed out again.
  rendered_ = next_ = since_ = sample;
  over_ = false;
  MidiSynth::Use use = synth_->Take(holder_);
  if (!use) {
    over_ = true;
    return;
  }
  use.Reset(sample);
  const std::vector<MidiEvent>& events = song_->events;
  event_ = 0;
  for (; event_ < events.size() && SampleOf(event_) < sample; ++event_) {
    if (!IsNote(events[event_])) use.Send(events[event_], *song_);
  }
}

}  // namespace lyrovox

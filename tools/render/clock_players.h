#pragma once

// Players that play nothing and keep a simulated clock: the renderer runs the controller's main
// loop on them, so that its frames come from exactly the player's per-tick work.

#include <cstdint>

#include "controller/ports.h"

namespace lyrovox {

// The time the renderer has reached, and the song's length it pretends (0 when unknown).
struct SimulatedClock {
  uint32_t positionMs = 0;
  uint32_t durationMs = 0;
};

template <class Interface>
class ClockPlayer : public Interface {
 public:
  explicit ClockPlayer(const SimulatedClock& clock) : clock_(clock) {}

  bool CreateGraph() override { return true; }
  bool Play() override { return Enter(3); }
  bool Pause() override { return Enter(2); }
  bool Stop() override { return Enter(1); }
  int State() const override { return state_; }
  uint32_t GetPositionMs() override { return state_ == 0 ? 0 : clock_.positionMs; }
  uint32_t GetDurationMs() override { return state_ == 0 ? 0 : clock_.durationMs; }
  void SetVolume(int32_t) override {}
  double ChangeRate(bool) override { return 0.0; }
  bool SwitchAudioStream() override { return false; }
  int GetAudioTrack() const override { return 0; }
  void SetChannelBoth() override {}
  void SetChannelLeft() override {}
  void SetChannelRight() override {}
  void SetChannelReverse() override {}
  bool GetEvent(int32_t&) override { return false; }
  void Close() override { state_ = 0; }
  void Destroy() override { state_ = 0; }
  int32_t Open(QObject*) override {
    state_ = 1;
    return 0;
  }

 private:
  bool Enter(int state) {
    if (state_ == 0) return false;
    state_ = state;
    return true;
  }

  const SimulatedClock& clock_;
  int state_ = 0;
};

class ClockAudioPlayer final : public ClockPlayer<IAudioPlayer> {
 public:
  using ClockPlayer::ClockPlayer;
  void SetFileName(const QString&) override {}
};

class ClockVideoPlayer final : public ClockPlayer<IVideoPlayer> {
 public:
  using ClockPlayer::ClockPlayer;
  void SetFileName(const QString&, bool) override {}
  void SetSourceKind(int) override {}
  void SetStretchVideo(bool) override {}
  void SeekTo(int64_t) override {}
  void Rewind() override {}
  void SetAudioTrack(int) override {}
};

}  // namespace lyrovox

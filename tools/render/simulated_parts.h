#pragma once

// Players that play nothing and keep a simulated clock, and a video area of a fixed size: the
// renderer runs the controller's main loop on them, so that its frames come from exactly the
// player's per-tick work.

#include <cstdint>

#include "lyrics_inspector/inert_players.h"

namespace lyrovox {

// The time the renderer has reached, and the song's length it pretends (0 when unknown).
struct SimulatedClock {
  uint32_t positionMs = 0;
  uint32_t durationMs = 0;
};

// An inert player that opens, runs and reports the clock's position while it is open.
template <class Inert>
class ClockPlayer final : public Inert {
 public:
  explicit ClockPlayer(const SimulatedClock& clock) : clock_(clock) {}

  bool CreateGraph() override { return true; }
  int32_t Open(QObject*) override {
    state_ = 1;
    return 0;
  }
  bool Play() override { return Enter(3); }
  bool Pause() override { return Enter(2); }
  bool Stop() override { return Enter(1); }
  int State() const override { return state_; }
  uint32_t GetPositionMs() override { return state_ == 0 ? 0 : clock_.positionMs; }
  uint32_t GetDurationMs() override { return state_ == 0 ? 0 : clock_.durationMs; }
  void Close() override { state_ = 0; }
  void Destroy() override { state_ = 0; }

 private:
  bool Enter(int state) {
    if (state_ == 0) return false;
    state_ = state;
    return true;
  }

  const SimulatedClock& clock_;
  int state_ = 0;
};

using ClockAudioPlayer = ClockPlayer<InertAudioPlayer>;
using ClockVideoPlayer = ClockPlayer<InertVideoPlayer>;

// A video area of the given size at the top left of the screen.
class FixedVideoArea final : public IVideoWindow {
 public:
  explicit FixedVideoArea(QSize size) : size_(size) {}
  QRect GetVideoRect() const override { return QRect(QPoint(0, 0), size_); }
  void SetFullScreen(bool) override {}
  bool IsFullScreen() const override { return false; }

 private:
  QSize size_;
};

}  // namespace lyrovox

#pragma once

// The lyric feed: once per lyric tick it walks the lyric store by the playing player's position and
// hands lines and syllables to the lyrics screen. Plain C++; the screen is reached through the
// small interface below.

#include <cstdint>
#include <string_view>

#include "lyrics/lyric_store.h"

namespace lyrovox {

// Play states of the lyrics screen.
inline constexpr int kPlayStateIdle = 0;
inline constexpr int kPlayStateLoaded = 1;
inline constexpr int kPlayStateSinging = 2;

// What the feed asks of the lyrics screen.
class ILyricFeedScreen {
 public:
  virtual ~ILyricFeedScreen() = default;
  // Puts text into the line that is not being sung.
  virtual void SetNextLine(std::u16string_view text) = 0;
  virtual void StartSungText(std::u16string_view text) = 0;
  virtual void AppendSungText(std::u16string_view text) = 0;
  virtual void SetSyllableDuration(int32_t ms) = 0;
  // The other line becomes the one being sung.
  virtual void FlipSingingLine() = 0;
  virtual void ResetLyrics() = 0;
  virtual void SetPlayState(int state) = 0;
  virtual int GetPlayState() const = 0;
};

class LyricFeed {
 public:
  // Lines go up this long before their first syllable: the first line, and every later one.
  static constexpr int32_t kFirstLineLeadMs = 1500;
  static constexpr int32_t kNextLineLeadMs = 4000;
  // Without lyrics, the title is cleared once the song has played this long.
  static constexpr int32_t kNoLyricsClearMs = 6000;

  // Back to the start of a song; called whenever a song is opened.
  void Reset();

  // One tick at positionMs of the player's clock. videoClock: the clock is the video player's,
  // whose songs without lyrics also return the screen to idle.
  void Step(LyricStore& store, int32_t positionMs, bool videoClock, ILyricFeedScreen& screen);

  int32_t syllableCursor() const { return syllableCursor_; }
  int32_t lastCursor() const { return lastCursor_; }
  bool nextLinePending() const { return nextLinePending_; }

 private:
  int32_t syllableCursor_ = 0;
  int32_t lastCursor_ = 0;
  bool nextLinePending_ = false;
};

}  // namespace lyrovox

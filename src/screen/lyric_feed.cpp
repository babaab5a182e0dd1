#include "screen/lyric_feed.h"

#include "lyrics/text_buffer.h"

namespace lyrovox {

namespace {

bool StartsLine(const LyricSyllable& s) {
  return s.lineBreak == 1 || s.lineBreak == 2;
}

}  // namespace

void LyricFeed::Reset() {
  syllableCursor_ = 0;
  lastCursor_ = 0;
  nextLinePending_ = false;
}

void LyricFeed::Step(LyricStore& store, int32_t positionMs, bool videoClock,
                     ILyricFeedScreen& screen) {
  const int32_t count = store.count < kMaxSyllables ? store.count : kMaxSyllables;
  if (count < 1) {
    if (positionMs > kNoLyricsClearMs) {
      screen.ResetLyrics();
      if (videoClock) screen.SetPlayState(0);
    }
    return;
  }
  if (syllableCursor_ < 0) syllableCursor_ = 0;
  if (syllableCursor_ >= count) return;

  // 64-bit sums: a position near the top of the range must not wrap.
  const int64_t position = positionMs;
  char16_t line[kLineUnits];

  if (syllableCursor_ == 0) {
    lastCursor_ = 0;
    if (position + kFirstLineLeadMs > store.syllables[0].timeMs && !store.IsShown(0)) {
      screen.SetPlayState(2);
      line[0] = 0;
      store.TakeLine(0, line, kLineUnits);
      screen.SetNextLine(TextView(line));
    }
  }

  if (syllableCursor_ >= 1 && syllableCursor_ != lastCursor_) {
    const int64_t duration = static_cast<int64_t>(store.syllables[syllableCursor_].timeMs) -
                             store.syllables[syllableCursor_ - 1].timeMs;
    screen.SetSyllableDuration(duration > INT32_MAX   ? INT32_MAX
                               : duration < INT32_MIN ? INT32_MIN
                                                      : static_cast<int32_t>(duration));
    lastCursor_ = syllableCursor_;
  }

  const LyricSyllable& syllable = store.syllables[syllableCursor_];
  if (position > syllable.timeMs) {
    // The first syllable always opens the sung line: it went up as the first line whatever its
    // mark, and its colour must be drawn there.
    if (StartsLine(syllable) || syllableCursor_ == 0) {
      screen.StartSungText(TextView(syllable.text));
      screen.FlipSingingLine();
      screen.SetNextLine(u"");
      nextLinePending_ = true;
    } else {
      screen.AppendSungText(TextView(syllable.text));
    }
    ++syllableCursor_;
  }

  if (nextLinePending_) {
    const int32_t nextStart = store.NextLineStartTime(syllableCursor_);
    if (position + kNextLineLeadMs > nextStart) {
      if (screen.GetPlayState() != kPlayStateSinging) screen.SetPlayState(kPlayStateSinging);
      line[0] = 0;
      store.TakeLine(syllableCursor_, line, kLineUnits);
      screen.SetNextLine(TextView(line));
      nextLinePending_ = false;
    }
  }
}

}  // namespace lyrovox

// The lyric feed over whatever a MIDI karaoke file puts into the lyric store: every line and
// syllable it hands to the screen stays within the screen's fields, and it never reads outside
// the store, at any position of the clock.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "lyrics/lyric_store.h"
#include "screen/lyric_feed.h"

namespace {

class CheckingScreen final : public lyrovox::ILyricFeedScreen {
 public:
  void SetNextLine(std::u16string_view text) override { Check(text); }
  void StartSungText(std::u16string_view text) override { Check(text); }
  void AppendSungText(std::u16string_view text) override { Check(text); }
  void SetSyllableDuration(int32_t) override {}
  void FlipSingingLine() override {}
  void ResetLyrics() override {}
  void SetPlayState(int state) override { playState_ = state; }
  int GetPlayState() const override { return playState_; }

 private:
  static void Check(std::u16string_view text) {
    if (text.size() >= lyrovox::kLineUnits) __builtin_trap();
  }
  int playState_ = 1;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto* store = new lyrovox::LyricStore();
  store->codePage = size > 0 && (data[0] & 1) ? 65001 : 0;
  store->LoadKarBytes({data, size});

  // The positions where something may happen: around each syllable and each line's lead times.
  std::vector<int64_t> positions = {0, 6001};
  for (int i = 0; i < store->count; ++i) {
    const int64_t t = store->syllables[i].timeMs;
    for (int64_t d : {-4001, -1501, 0, 1})
      positions.push_back(t + d);
  }
  std::sort(positions.begin(), positions.end());
  lyrovox::LyricFeed feed;
  CheckingScreen screen;
  const bool video = size > 1 && (data[1] & 1);
  for (int64_t p : positions) {
    const int32_t position = static_cast<int32_t>(std::clamp<int64_t>(p, INT32_MIN, INT32_MAX));
    // The feed takes one syllable a tick: give each moment as many ticks as it may need.
    for (int tick = 0; tick < 3; ++tick)
      feed.Step(*store, position, video, screen);
    if (feed.syllableCursor() < 0 || feed.syllableCursor() > lyrovox::kMaxSyllables) {
      __builtin_trap();
    }
  }
  return 0;
}

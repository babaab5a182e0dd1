// MIDI karaoke files: the structure parse, both text readings and the syllable rules. The
// reading that leaves out what a full store overwrites must fill the store exactly as the one
// that applies every event.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "lyrics/karaoke_loader.h"
#include "lyrics/lyric_store.h"
#include "lyrics/text_buffer.h"

namespace {

// The store's invariants hold whatever the input.
void CheckStore(const lyrovox::LyricStore& store) {
  if (store.count < 0 || store.count > lyrovox::kMaxSyllables) __builtin_trap();
  for (int i = 0; i < store.count; ++i) {
    if (lyrovox::TextLength(store.syllables[i].text) >= lyrovox::kSyllableUnits) __builtin_trap();
  }
  if (lyrovox::TextLength(store.title) >= lyrovox::kHeadingUnits) __builtin_trap();
  if (lyrovox::TextLength(store.artist) >= lyrovox::kHeadingUnits) __builtin_trap();
}

void CheckSameStore(const lyrovox::LyricStore& a, const lyrovox::LyricStore& b) {
  if (a.count != b.count || a.utf8Text != b.utf8Text) __builtin_trap();
  if (lyrovox::TextView(a.title) != lyrovox::TextView(b.title)) __builtin_trap();
  if (lyrovox::TextView(a.artist) != lyrovox::TextView(b.artist)) __builtin_trap();
  for (int i = 0; i < a.count; ++i) {
    const lyrovox::LyricSyllable& x = a.syllables[i];
    const lyrovox::LyricSyllable& y = b.syllables[i];
    if (lyrovox::TextView(x.text) != lyrovox::TextView(y.text) || x.lineBreak != y.lineBreak ||
        x.timeMs != y.timeMs || x.shown != y.shown) {
      __builtin_trap();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto* store = new lyrovox::LyricStore();
  // The first byte picks a code page, so that single-byte, double-byte and UTF-8 decoding all
  // see the lyric text.
  static const int32_t kCodePages[] = {0, 1251, 932, 936, 949, 950, 65001, 874};
  store->codePage = size > 0 ? kCodePages[data[0] % 8] : 0;
  store->language = size > 0 ? data[0] % 18 : 0;
  store->LoadKarBytes({data, size});
  CheckStore(*store);

  static auto* everyEvent = new lyrovox::LyricStore();
  everyEvent->codePage = store->codePage;
  everyEvent->language = store->language;
  everyEvent->Clear();
  lyrovox::LoadKarInto(*everyEvent, {data, size}, {.skipOverwritten = false});
  CheckSameStore(*store, *everyEvent);
  return 0;
}

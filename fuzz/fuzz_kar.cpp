// MIDI karaoke files: the structure parse, both text readings and the syllable rules.

#include <cstddef>
#include <cstdint>
#include <memory>

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
  return 0;
}

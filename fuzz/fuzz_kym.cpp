// KYM songs: the LTAG/STAG/ITAG walk over the last 20000 bytes, word records and the trailer.

#include <cstddef>
#include <cstdint>

#include "fuzz_store_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto* store = new lyrovox::LyricStore();
  store->Clear();
  store->LoadKymBytes({data, size});
  lyrovox::fuzzing::CheckStore(*store);
  if (store->codePage != 949) __builtin_trap();
  // A word is cut to 23 units, the title to 23 and the singer to 19.
  for (int i = 0; i < store->count; ++i) {
    if (lyrovox::TextLength(store->syllables[i].text) > 23) __builtin_trap();
    if (store->syllables[i].timeMs < 0) __builtin_trap();
  }
  if (lyrovox::TextLength(store->title) > 23 || lyrovox::TextLength(store->artist) > 19) {
    __builtin_trap();
  }
  return 0;
}

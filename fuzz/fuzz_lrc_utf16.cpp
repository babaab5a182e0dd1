// LRC side files, the UTF-16 reading.

#include <cstddef>
#include <cstdint>

#include "fuzz_store_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto* store = new lyrovox::LyricStore();
  store->LoadLrcWideBytes({data, size});
  lyrovox::fuzzing::CheckStore(*store);
  if (store->count > 0 && store->syllables[0].lineBreak != 1) __builtin_trap();
  for (int i = 0; i < store->count; ++i) {
    if (store->syllables[i].timeMs < 0) __builtin_trap();
  }
  return 0;
}

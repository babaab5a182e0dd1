// LRC side files, the 8-bit reading: the grammar, the time patterns, the long-line split and the
// code-page step of every code page of the language list.

#include <cstddef>
#include <cstdint>

#include "fuzz_store_check.h"
#include "lyrics/lrc_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto* store = new lyrovox::LyricStore();
  // The first byte picks a code page, so that single-byte, double-byte and UTF-8 decoding all
  // see the text; the whole input is the file.
  static const int32_t kCodePages[] = {0,    874,  932,  936,  949,  950,  1250, 1251,
                                       1252, 1253, 1254, 1255, 1256, 1257, 1258, 65001};
  store->codePage = size > 0 ? kCodePages[data[0] % 16] : 0;
  store->LoadLrcBytes({data, size});
  lyrovox::fuzzing::CheckStore(*store);
  if (store->count > 0 && store->syllables[0].lineBreak != 1) __builtin_trap();
  for (int i = 0; i < store->count; ++i) {
    if (store->syllables[i].timeMs < 0) __builtin_trap();
  }
  return 0;
}

// XML side files: the document through CXmlNode / CXmlNodes (encodings included) and the reader's
// singer marks and times.

#include <cstddef>
#include <cstdint>

#include "fuzz_store_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto* store = new lyrovox::LyricStore();
  store->Clear();
  store->LoadXmlLyricsBytes({data, size});
  lyrovox::fuzzing::CheckStore(*store);
  for (int i = 0; i < store->count; ++i) {
    if (store->syllables[i].timeMs <= 0) __builtin_trap();
  }
  return 0;
}

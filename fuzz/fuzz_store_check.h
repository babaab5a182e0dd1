#pragma once

// The lyric store's invariants, which hold whatever file a reader was given.

#include "lyrics/lyric_store.h"
#include "lyrics/text_buffer.h"

namespace lyrovox::fuzzing {

inline void CheckStore(const LyricStore& store) {
  if (store.count < 0 || store.count > kMaxSyllables) __builtin_trap();
  for (int i = 0; i < store.count; ++i) {
    if (TextLength(store.syllables[i].text) >= kSyllableUnits) __builtin_trap();
    if (store.syllables[i].lineBreak < 0 || store.syllables[i].lineBreak > 2) __builtin_trap();
  }
  if (TextLength(store.title) >= kHeadingUnits) __builtin_trap();
  if (TextLength(store.artist) >= kHeadingUnits) __builtin_trap();
}

}  // namespace lyrovox::fuzzing

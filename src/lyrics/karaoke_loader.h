#pragma once

// The MIDI karaoke loader's one reading, with the choices the LyricStore loaders fix.

#include <cstdint>
#include <span>

#include "lyrics/lyric_store.h"

namespace lyrovox {

struct KarLoadOptions {
  // Read "@CODE=UNICODE" files as UTF-16 (LoadKar); false reads every file as 8-bit text
  // (LoadKarAnsi).
  bool unicode = true;
  // Once the store is full, only its last syllable keeps changing: leave out the events whose
  // syllable a later one overwrites. false applies every event in turn (to check the shortcut).
  bool skipOverwritten = true;
};

// Fills the store from a MIDI file in memory; does not clear it first.
void LoadKarInto(LyricStore& store, std::span<const uint8_t> bytes, KarLoadOptions options);

}  // namespace lyrovox

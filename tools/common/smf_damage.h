#pragma once

// Karaoke files damaged the ways files collected from the wild are, for the readers' tests and
// the fuzzing corpus: never real songs, always built here.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/smf_builder.h"

namespace lyrovox::smf {

// A karaoke song laid out as files in the wild are, at 500 ticks a quarter note and the default
// tempo, so that one tick is one millisecond:
//   track 0: the conductor (tempo 500000 at tick 0);
//   track 1: a melody, a note every 250 ticks up to tick 4750;
//   track 2: the lyrics: "@TTwinkle Star" and "@TJane Taylor", then "\Twin" at 1000, "kle " at
//            1500, "twin" at 2000, "kle " at 2500, "/lit" at 3000, "tle " at 3500, "star" at
//            4000 (text events);
//   track 3: a bass line, a note every 500 ticks up to tick 4500: the last chunk.
inline constexpr uint16_t kWildDivision = 500;
inline constexpr size_t kWildMelodyTrack = 1;
inline constexpr size_t kWildLyricTrack = 2;
inline constexpr size_t kWildBassTrack = 3;
File WildKaraokeSong();

// One bad event: a status byte that no MIDI file may hold (0xF4) in `track` at `tick`.
std::string WithBadEvent(File song, size_t track, uint32_t tick);
// A stray data byte: a system exclusive message, then at once a data byte with no running
// status, in `track` at `tick`.
std::string WithStrayDataByte(File song, size_t track, uint32_t tick);
// The last track chunk cut short: the file loses its last `bytes` bytes.
std::string Truncated(const File& song, size_t bytes);
// A header that announces `tracks` tracks, more than the file holds, with `junk` after the last
// chunk (nothing when empty).
std::string WithMoreTracksAnnounced(File song, uint16_t tracks, std::string_view junk);

}  // namespace lyrovox::smf

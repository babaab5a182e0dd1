#pragma once

// The music of a Standard MIDI File as a synthesiser plays it: every channel message and system
// exclusive message of every track, merged into one time-ordered list. The file is walked as the
// lyric reader walks it (the same salvage of damaged files) and the times come from the same
// tempo map, exact: a lyric's milliseconds are rounded from the same time its notes are played
// at, so the music and the lyrics cannot drift apart.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "lyrics/karaoke_file.h"

namespace lyrovox {

struct MidiEvent {
  // Exact time from the start of the song, in the tempo map's units (MidiSequence::unitsPerMs).
  uint64_t time = 0;
  uint8_t status = 0;  // a channel message's status byte (channel included), or 0xF0
  uint8_t data1 = 0;
  uint8_t data2 = 0;         // 0 for the messages of one data byte
  uint32_t sysexOffset = 0;  // a system exclusive message's bytes (without 0xF0 and the closing
  uint32_t sysexLength = 0;  // 0xF7) in MidiSequence::sysex
};

struct MidiSequence {
  // In time order; at one time, track by track in file order.
  std::vector<MidiEvent> events;
  std::string sysex;
  // Units of the exact time in a millisecond; 0 when the file gives no time unit (every event is
  // then at time 0).
  uint64_t unitsPerMs = 0;
  // The time of the song's last event that sounds or is sung: a channel, system exclusive, text
  // or lyric event (an end-of-track mark far behind them is not waited for).
  uint64_t end = 0;
  // Whether any note is struck: a song without one has nothing to play.
  bool hasNotes = false;
  MidiReadOutcome outcome;

  // The sample at which a time falls, at `rate` samples a second, rounded to the nearest.
  uint64_t SampleAt(uint64_t time, uint32_t rate) const;
  // The milliseconds of a time, rounded as the lyrics' are.
  int64_t MsAt(uint64_t time) const;
};

// Reads the music of a MIDI file in memory. Events whose data bytes are not MIDI data (the top
// bit set), and "escape" messages (0xF7), are left out; so is everything after the first two
// million events, which no song comes near.
MidiSequence ReadMidiSequence(std::span<const uint8_t> bytes);

}  // namespace lyrovox

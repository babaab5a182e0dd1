#pragma once

// Reader of the text events of a Standard MIDI File: the tag lines, the per-track text and lyric
// events, the tempo map and the choice of the lyric track. KaraokeFile keeps event text as UTF-16
// (the "@CODE=UNICODE" files), AnsiKaraokeFile as 8-bit bytes. A damaged file is read as far as
// it goes (see midi_walk.h); its outcome tells where reading stopped.

#include <array>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "lyrics/hresult.h"

namespace lyrovox {

template <typename CharT>
struct KarTextEvent {
  uint32_t tick = 0;              // absolute tick within its track
  std::basic_string<CharT> text;  // the data (UTF-16: length / 2 units)
  uint32_t length = 0;            // data bytes in the file
  uint32_t type = 0;              // 1 text event, 5 lyric event
};

struct TempoMapEntry {
  uint32_t tempo = 0;  // microseconds per quarter note from here on (0 in the end entry)
  uint32_t tick = 0;
  int32_t ms = 0;  // rounded from `elapsed`, never from the entry before
  // The exact time of `tick`: the sum of ticks x tempo since the start, in microseconds x
  // division (ticks x 1000 for SMPTE timing), so that rounding errors never add up.
  uint64_t elapsed = 0;
};

// The tempo map of a file: the tempo events of every track, merged in tick order as a player
// applies them (at one tick the later track's event wins), closed by the end entry at
// `lastTick`. `tempoEvents` are given in the order read: track by track, each in file order.
std::vector<TempoMapEntry> BuildTempoMap(std::vector<TempoMapEntry> tempoEvents, uint32_t lastTick,
                                         uint16_t division);
// The exact time at a tick, in the units of TempoMapEntry::elapsed, clamped to the end of the
// song; ticks before the first tempo event run at 120 beats a minute. The lyrics and the music
// are both timed from it.
uint64_t TempoMapElapsed(std::span<const TempoMapEntry> map, uint16_t division, uint32_t tick);
// How many units of the exact time make a millisecond; 0 when the file gives no time unit (a
// division of 0), and every time is then 0.
uint64_t TempoUnitsPerMs(uint16_t division);
// Milliseconds from the start of the song at a tick, rounded once from the exact time.
int32_t TempoMapMs(std::span<const TempoMapEntry> map, uint16_t division, uint32_t tick);

// TempoMapElapsed and TempoMapMs for ticks that mostly rise, as the events of one track do:
// each lookup starts from the entry the last one found.
class TempoCursor {
 public:
  TempoCursor(std::span<const TempoMapEntry> map, uint16_t division);
  uint64_t Elapsed(uint32_t tick);
  int32_t Ms(uint32_t tick);

 private:
  std::span<const TempoMapEntry> map_;
  uint16_t division_;
  size_t at_ = 0;  // the tempo entry the last lookup used (map_.size() before the first)
};

// How far the structure of a MIDI file could be read.
struct MidiReadOutcome {
  HResult result = kOk;     // the first fault met: kOk for an undamaged file
  uint64_t stopOffset = 0;  // byte offset of the event or chunk at which reading stopped
  int32_t stopTrack = -1;   // the track (0-based) it belongs to; -1 for the file header
  uint32_t tracksRead = 0;  // track chunks whose events were read (or begun)
};

// Reads the structure of a MIDI file and tells how far it got; a file that cannot be opened
// gives the system error.
MidiReadOutcome CheckMidiFile(const std::string& path);
MidiReadOutcome CheckMidiBytes(std::span<const uint8_t> bytes);

template <typename CharT>
class BasicKaraokeFile {
 public:
  using Event = KarTextEvent<CharT>;

  virtual ~BasicKaraokeFile() = default;
  // Reads exactly n bytes; anything less fails with kFail.
  virtual HResult Read(void* buffer, uint32_t n) = 0;
  // Moves the read position n bytes forward.
  virtual HResult Skip(uint32_t n) = 0;

  // Milliseconds from the start of the song at a tick, clamped to the end of the song.
  int32_t TickToMs(uint32_t tick) const;

  // Calls f(event) for each event of the chosen lyric track and type, in file order.
  template <class F>
  void ForEachLyricEvent(F&& f) const {
    if (lyricTrack < 0 || static_cast<size_t>(lyricTrack) >= tracks.size()) return;
    for (const Event& e : tracks[static_cast<size_t>(lyricTrack)]) {
      if (e.type == lyricType) f(e);
    }
  }

  std::vector<Event> tagLines;  // every text/lyric event whose text begins with "@"
  std::vector<TempoMapEntry> tempoMap;
  uint16_t division = 0;
  uint32_t trackCount = 0;
  std::vector<std::vector<Event>> tracks;
  int32_t lyricTrack = -1;
  uint32_t lyricType = 1;
  // How far the file could be read. A damaged file keeps the events read before each fault,
  // and its tempo map and lyric track are made from them.
  MidiReadOutcome outcome;

 protected:
  // Parses the file through Read and Skip; returns outcome.result.
  HResult Parse();
  // Parses bytes in memory; returns outcome.result.
  HResult ParseBytes(std::span<const uint8_t> bytes);
};

// The lyric events of a file: per type K (1 or 5), the track with the most non-empty events of
// that type (lowest index on a tie); the lyric events win only when more than twice as many as
// the text events. `counts[t][k]` counts type 1 (k = 0) and type 5 (k = 1) in track t.
struct LyricChoice {
  int32_t track = -1;
  uint32_t type = 1;
};
LyricChoice ChooseLyricEvents(std::span<const std::array<uint32_t, 2>> counts);

using KaraokeFile = BasicKaraokeFile<char16_t>;
using AnsiKaraokeFile = BasicKaraokeFile<char>;

// A MIDI file already in memory; parses in the constructor.
template <typename CharT>
class BasicMemoryKaraokeFile : public BasicKaraokeFile<CharT> {
 public:
  BasicMemoryKaraokeFile(std::span<const uint8_t> bytes, HResult* result);
  // The bytes were parsed in the constructor; there is nothing left to read.
  HResult Read(void*, uint32_t) override { return kFail; }
  HResult Skip(uint32_t) override { return kFail; }
};

// A MIDI file on disk: opened, parsed and closed in the constructor. The outcome is kOk, a parse
// failure code, or the system error of a failed open.
template <typename CharT>
class BasicMyKaraokeFile : public BasicKaraokeFile<CharT> {
 public:
  BasicMyKaraokeFile(const std::string& path, HResult* result);
  // The file is closed once parsed; there is nothing left to read.
  HResult Read(void*, uint32_t) override { return kFail; }
  HResult Skip(uint32_t) override { return kFail; }
};

using MemoryKaraokeFile = BasicMemoryKaraokeFile<char16_t>;
using MemoryAnsiKaraokeFile = BasicMemoryKaraokeFile<char>;
using MyKaraokeFile = BasicMyKaraokeFile<char16_t>;
using MyAnsiKaraokeFile = BasicMyKaraokeFile<char>;

extern template class BasicKaraokeFile<char>;
extern template class BasicKaraokeFile<char16_t>;
extern template class BasicMemoryKaraokeFile<char>;
extern template class BasicMemoryKaraokeFile<char16_t>;
extern template class BasicMyKaraokeFile<char>;
extern template class BasicMyKaraokeFile<char16_t>;

}  // namespace lyrovox

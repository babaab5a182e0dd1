#pragma once

// Reader of the text events of a Standard MIDI File: the tag lines, the per-track text and lyric
// events, the tempo map and the choice of the lyric track. KaraokeFile keeps event text as UTF-16
// (the "@CODE=UNICODE" files), AnsiKaraokeFile as 8-bit bytes.

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
  int32_t ms = 0;
};

// Bytes in memory read the way the MIDI reader reads a file: Read fails on fewer than n bytes,
// Skip past the end succeeds (like a seek) and leaves nothing to read.
class MemorySource {
 public:
  MemorySource() = default;
  explicit MemorySource(std::span<const uint8_t> bytes)
      : p_(bytes.data()), end_(bytes.data() + bytes.size()) {}

  HResult Read(void* buffer, uint32_t n) {
    if (static_cast<size_t>(end_ - p_) < n) {
      p_ = end_;
      return kFail;
    }
    if (n != 0) std::memcpy(buffer, p_, n);
    p_ += n;
    return kOk;
  }
  HResult ReadByte(uint8_t& b) {
    if (p_ == end_) return kFail;
    b = *p_++;
    return kOk;
  }
  HResult Skip(uint64_t n) {
    p_ = static_cast<uint64_t>(end_ - p_) < n ? end_ : p_ + n;
    return kOk;
  }

 private:
  const uint8_t* p_ = nullptr;
  const uint8_t* end_ = nullptr;
};

// What both readings of a file share: its text and lyric events as raw bytes, in file order,
// and its timing. The UTF-16 and the 8-bit reader only differ in how they view the bytes, so one
// parse serves both.
struct MidiText {
  struct Event {
    uint32_t tick = 0;
    uint32_t track = 0;
    uint32_t type = 0;  // 1 text, 5 lyric
    std::string data;
  };
  std::vector<Event> events;
  std::vector<TempoMapEntry> tempoMap;  // closed by the end entry when the parse succeeded
  uint16_t division = 0;
  uint32_t trackCount = 0;
  HResult result = kOk;
};

// Parses a whole MIDI file's structure; the outcome is also kept in `result`. On failure the
// events read before the fault are kept and the tempo map has no end entry.
HResult ParseMidiText(std::span<const uint8_t> bytes, MidiText& out);
// The same from a file on disk; a failed open gives the system error.
HResult ParseMidiTextFile(const std::string& path, MidiText& out);

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

 protected:
  // Parses the file through Read and Skip.
  HResult Parse();
  // Takes the events and timing of a parse, viewed with this reader's character type.
  HResult Adopt(const MidiText& midi);

 private:
  bool tempoSorted_ = true;
};

using KaraokeFile = BasicKaraokeFile<char16_t>;
using AnsiKaraokeFile = BasicKaraokeFile<char>;

// A MIDI file already in memory (or already parsed); parses in the constructor.
template <typename CharT>
class BasicMemoryKaraokeFile : public BasicKaraokeFile<CharT> {
 public:
  BasicMemoryKaraokeFile(std::span<const uint8_t> bytes, HResult* result);
  explicit BasicMemoryKaraokeFile(const MidiText& parsed);
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

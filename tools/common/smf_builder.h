#pragma once

// Writes Standard MIDI Files event by event: the demo song generator, the tests, the benchmarks
// and the fuzzing corpus build their karaoke files with it.

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace lyrovox::smf {

// UTF-16LE bytes of a text, as the "@CODE=UNICODE" files store their lyric events.
std::string Utf16Le(std::u16string_view text);

class Track {
 public:
  // Events are given with absolute ticks, in order; a tick earlier than the last one is written
  // as a delta of 0.
  Track& Tempo(uint32_t tick, uint32_t microsecondsPerQuarter);
  Track& Text(uint32_t tick, std::string_view bytes) { return Meta(tick, 0x01, bytes); }
  Track& Lyric(uint32_t tick, std::string_view bytes) { return Meta(tick, 0x05, bytes); }
  Track& Meta(uint32_t tick, uint8_t type, std::string_view bytes);
  Track& Note(uint32_t tick, uint32_t duration, uint8_t channel, uint8_t key, uint8_t velocity);
  Track& Program(uint32_t tick, uint8_t channel, uint8_t program);
  Track& Controller(uint32_t tick, uint8_t channel, uint8_t controller, uint8_t value);
  Track& SysEx(uint32_t tick, std::string_view bytes);
  // Any bytes after the delta time (running status, broken events).
  Track& Raw(uint32_t tick, std::string_view bytes);
  // Write note events after the first with running status.
  Track& UseRunningStatus(bool on = true) {
    runningStatus_ = on;
    return *this;
  }
  // Leave out the end-of-track event.
  Track& WithoutEnd() {
    endOfTrack_ = false;
    return *this;
  }

  std::string Encode() const;

 private:
  struct Event {
    uint32_t tick;
    uint32_t order;
    std::string bytes;  // status and data
    bool channelMessage;
  };
  void Add(uint32_t tick, std::string bytes, bool channelMessage);

  std::vector<Event> events_;
  bool runningStatus_ = false;
  bool endOfTrack_ = true;
};

class File {
 public:
  File(uint16_t format, uint16_t division) : format_(format), division_(division) {}
  Track& AddTrack();
  // A track added before, by its index.
  Track& TrackAt(size_t index) { return tracks_.at(index); }
  // Announce another number of tracks than the ones added.
  File& DeclareTrackCount(uint16_t n) {
    declaredTracks_ = n;
    return *this;
  }
  std::string Encode() const;
  bool Write(const std::string& path) const;

 private:
  uint16_t format_;
  uint16_t division_;
  int declaredTracks_ = -1;
  std::deque<Track> tracks_;  // references handed out by AddTrack stay valid
};

// A variable-length quantity.
std::string Vlq(uint64_t value);

}  // namespace lyrovox::smf

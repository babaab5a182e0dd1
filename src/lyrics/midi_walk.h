#pragma once

// The structural walk of a Standard MIDI File shared by every reading of it: the header, the
// track chunks and their events, with the rules for damaged files. A visitor is told about the
// tempo and text events, and, when it asks for them (HearsMusic), about the channel and system
// exclusive events too; the walk itself keeps nothing. Every visitor walks the same structure,
// so the music and the lyrics of a damaged file are salvaged alike.
//
// Damage: a fault inside a track ends that track (its events before the fault were reported)
// and reading goes on at the next chunk; a short read ends the file; a file that ends where the
// next chunk would start is whole even when the header announced more tracks. The first fault
// is kept in the outcome, with the offset of the event or chunk that could not be read.

#include <concepts>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

#include "lyrics/karaoke_file.h"

namespace lyrovox::midi {

inline constexpr int kMaxVlqBytes = 5;
inline constexpr uint32_t kHeaderBytes = 14;  // "MThd", length and the six bytes read

inline uint32_t BigEndian(const uint8_t* p, int n) {
  uint32_t v = 0;
  for (int i = 0; i < n; ++i)
    v = (v << 8) | p[i];
  return v;
}

inline bool IsSmpte(uint16_t division) {
  return (division & 0x8000u) != 0;
}

// What the walk found besides the events.
struct WalkResult {
  uint16_t division = 0;
  uint32_t trackCount = 0;  // announced by the header
  uint32_t lastTick = 0;    // the largest final tick over the tracks read
  MidiReadOutcome outcome;
};

// A visitor that also hears the music: Channel(tick, status, data1, data2) for each channel
// message (its status with the channel, also when running status supplied it; data2 is 0 for
// messages of one data byte) and SysEx(tick, status, data) for each system exclusive message
// (0xF0 or 0xF7, data without the length). Its source must offer TryReadData.
template <class V>
concept HearsMusic = requires(V& v, uint32_t tick, uint8_t byte, std::string_view data) {
  v.Channel(tick, byte, byte, byte);
  v.SysEx(tick, byte, data);
};

// Data bytes of a channel message, by its status.
inline uint32_t ChannelDataBytes(uint8_t status) {
  const uint8_t kind = status & 0xF0;
  return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

// A variable-length quantity: up to five bytes of seven bits, most significant first.
template <class Source>
HResult ReadVlq(Source& source, uint64_t& value, uint32_t& bytesRead) {
  value = 0;
  bytesRead = 0;
  for (int i = 0; i < kMaxVlqBytes; ++i) {
    uint8_t b;
    if (HResult r = source.ReadByte(b); r != kOk) return r;
    ++bytesRead;
    value = (value << 7) | (b & 0x7Fu);
    if ((b & 0x80u) == 0) return kOk;
  }
  return kFormatError;
}

// Walks the events of one track chunk whose header has been read. The visitor gets
// Tempo(tick, tempo) and Text(tick, type, data), and Channel and SysEx when it hears the music;
// data is valid only during the call. The walk
// ends early once the visitor's Stopped() says it has seen enough. Returns
// kOk, or the fault that ended the track with the offset of the event that could not be read.
// `tick` is left at the tick of the last whole event; `reached`, when given, at the tick the
// walk got to (a faulty event's own tick when its delta time could be read).
template <class Source, class Visitor>
HResult WalkTrackEvents(Source& source, uint64_t length, uint16_t division, Visitor& visitor,
                        uint32_t& tick, uint64_t& faultOffset, uint32_t* reached = nullptr) {
  tick = 0;
  if (reached != nullptr) *reached = 0;
  uint8_t runningStatus = 0;  // the whole status byte, channel included
  uint64_t consumed = 0;
  // The data of an event: read for a visitor that hears the music, else skipped. Data that runs
  // past the end of the file is skipped either way, so that every visitor meets the same fault.
  auto take = [&source](uint64_t n, std::string_view& data) -> HResult {
    if constexpr (HearsMusic<Visitor>) {
      if (source.TryReadData(n, data)) return kOk;
    }
    data = {};
    return source.Skip(n);
  };
  while (consumed < length && !visitor.Stopped()) {
    const uint64_t eventStart = source.Position();
    faultOffset = eventStart;
    uint64_t delta;
    uint32_t deltaBytes;
    if (HResult r = ReadVlq(source, delta, deltaBytes); r != kOk) return r;
    const uint32_t at = tick + static_cast<uint32_t>(delta);
    if (reached != nullptr) *reached = at;
    uint8_t status;
    if (HResult r = source.ReadByte(status); r != kOk) return r;
    consumed += deltaBytes + 1u;

    if (status < 0xF0) {
      // A channel message; a data byte in place of the status takes the running status.
      uint8_t d[2] = {0, 0};
      uint32_t have = 0;
      if (status < 0x80) {
        if (runningStatus == 0) return kFormatError;
        d[have++] = status;
        status = runningStatus;
      } else {
        runningStatus = status;
      }
      const uint32_t more = ChannelDataBytes(status) - have;
      std::string_view data;
      if (HResult r = take(more, data); r != kOk) return r;
      consumed += more;
      if constexpr (HearsMusic<Visitor>) {
        // Left out when its data ran past the end of the file.
        if (data.size() == more) {
          for (uint32_t i = 0; i < more; ++i)
            d[have + i] = static_cast<uint8_t>(data[i]);
          visitor.Channel(at, status, d[0], d[1]);
        }
      }
    } else if (status == 0xF0 || status == 0xF7) {
      uint64_t n;
      uint32_t nBytes;
      if (HResult r = ReadVlq(source, n, nBytes); r != kOk) return r;
      std::string_view data;
      if (HResult r = take(n, data); r != kOk) return r;
      if constexpr (HearsMusic<Visitor>) {
        if (data.size() == n) visitor.SysEx(at, status, data);
      }
      runningStatus = 0;
      consumed += nBytes + n;
    } else if (status != 0xFF) {
      return kFormatError;
    } else {
      uint8_t type;
      if (HResult r = source.ReadByte(type); r != kOk) return r;
      uint64_t n;
      uint32_t nBytes;
      if (HResult r = ReadVlq(source, n, nBytes); r != kOk) return r;
      consumed += 1u + nBytes + n;
      if (type == 0x51) {
        // SMPTE timing counts frames: a tempo event there is a fault.
        if (n != 3 || IsSmpte(division)) return kFormatError;
        uint8_t t[3];
        if (HResult r = source.Read(t, 3); r != kOk) return r;
        visitor.Tempo(at, BigEndian(t, 3));
      } else if (type == 1 || type == 5) {
        std::string_view data;
        if (HResult r = source.ReadData(n, data); r != kOk) return r;
        visitor.Text(at, type, data);
      } else if (HResult r = source.Skip(n); r != kOk) {
        return r;
      }
    }
    tick = at;
  }
  return kOk;
}

// Walks the whole file. The visitor gets, besides the events, TrackStart(track, chunkOffset)
// before the events of each track chunk that is read, TrackEnd(track, reachedTick, result) after
// them when it has one, and is never stopped early.
template <class Source, class Visitor>
WalkResult WalkMidi(Source& source, Visitor& visitor) {
  WalkResult walk;
  MidiReadOutcome& outcome = walk.outcome;
  auto fail = [&outcome](HResult r, uint64_t offset, int32_t track) {
    if (outcome.result != kOk) return;
    outcome.result = r;
    outcome.stopOffset = offset;
    outcome.stopTrack = track;
  };

  uint8_t header[kHeaderBytes];
  HResult r = source.Read(header, 8);
  if (r == kOk && (std::memcmp(header, "MThd", 4) != 0 || BigEndian(header + 4, 4) < 6)) {
    r = kFormatError;
  }
  if (r != kOk) {
    fail(r, 0, -1);
    return walk;
  }
  if (r = source.Read(header + 8, 6); r != kOk) {
    fail(r, 8, -1);
    return walk;
  }
  walk.trackCount = BigEndian(header + 10, 2);
  walk.division = static_cast<uint16_t>(BigEndian(header + 12, 2));
  if (BigEndian(header + 8, 2) == 2) {
    fail(kFormatError, 8, -1);
    return walk;
  }
  // Header bytes beyond the six read are not skipped: the next chunk is read right here.

  for (uint32_t track = 0; track < walk.trackCount; ++track) {
    const uint64_t chunkOffset = source.Position();
    const auto trackIndex = static_cast<int32_t>(track);
    uint8_t chunk[8];
    // The file may end where a chunk would start: the header's count is not checked.
    if (source.ReadByte(chunk[0]) != kOk) break;
    if (r = source.Read(chunk + 1, 7); r != kOk) {
      fail(r, chunkOffset, trackIndex);
      break;
    }
    if (std::memcmp(chunk, "MTrk", 4) != 0) {
      fail(kFormatError, chunkOffset, trackIndex);
      break;
    }
    const uint64_t length = BigEndian(chunk + 4, 4);
    ++outcome.tracksRead;
    visitor.TrackStart(track, chunkOffset);
    uint32_t tick = 0;
    uint32_t reached = 0;
    uint64_t faultOffset = 0;
    r = WalkTrackEvents(source, length, walk.division, visitor, tick, faultOffset, &reached);
    if (tick > walk.lastTick) walk.lastTick = tick;
    if constexpr (requires { visitor.TrackEnd(track, reached, r); }) {
      visitor.TrackEnd(track, reached, r);
    }
    if (r == kOk) continue;
    fail(r, faultOffset, trackIndex);
    // A malformed event ends its track; reading goes on at the next chunk when the fault lies
    // inside this one. Anything else (a short read, a track read past its end) ends the file.
    const uint64_t chunkEnd = chunkOffset + 8 + length;
    if (r != kFormatError || source.Position() > chunkEnd) break;
    if (source.Skip(chunkEnd - source.Position()) != kOk) break;
  }
  return walk;
}

// The bytes of a file in memory, with the reads the walk needs.
class SpanSource {
 public:
  explicit SpanSource(std::span<const uint8_t> bytes)
      : begin_(bytes.data()), p_(bytes.data()), end_(bytes.data() + bytes.size()) {}

  uint64_t Position() const { return static_cast<uint64_t>(p_ - begin_) + beyond_; }
  // Moves to a byte offset within the bytes.
  void Seek(uint64_t offset) {
    p_ = begin_ + offset;
    beyond_ = 0;
  }
  HResult Read(void* buffer, uint32_t n) {
    if (static_cast<size_t>(end_ - p_) < n) {
      p_ = end_;
      return kFail;
    }
    std::memcpy(buffer, p_, n);
    p_ += n;
    return kOk;
  }
  HResult ReadByte(uint8_t& b) {
    if (p_ == end_) return kFail;
    b = *p_++;
    return kOk;
  }
  // Past the end succeeds, like a seek, and leaves nothing to read.
  HResult Skip(uint64_t n) {
    const auto left = static_cast<uint64_t>(end_ - p_);
    if (n > left) {
      beyond_ += n - left;
      p_ = end_;
    } else {
      p_ += n;
    }
    return kOk;
  }
  HResult ReadData(uint64_t n, std::string_view& data) {
    if (!TryReadData(n, data)) {
      p_ = end_;
      return kFail;
    }
    return kOk;
  }
  // Reads n bytes when the file holds them; else reads nothing.
  bool TryReadData(uint64_t n, std::string_view& data) {
    if (static_cast<uint64_t>(end_ - p_) < n) return false;
    data = std::string_view(reinterpret_cast<const char*>(p_), static_cast<size_t>(n));
    p_ += n;
    return true;
  }

 private:
  const uint8_t* begin_;
  const uint8_t* p_;
  const uint8_t* end_;
  uint64_t beyond_ = 0;  // how far a skip went past the end
};

}  // namespace lyrovox::midi

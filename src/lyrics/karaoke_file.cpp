#include "lyrics/karaoke_file.h"

#include <algorithm>

#include "lyrics/mapped_file.h"
#include "lyrics/mul_div.h"

namespace lyrovox {

namespace {

constexpr uint32_t kDefaultTempo = 500000;  // 120 beats per minute
constexpr uint32_t kSmpteTempo = 1000;
constexpr int kMaxVlqBytes = 5;
constexpr uint32_t kEventReadChunk = 64 * 1024;

uint32_t BigEndian(const uint8_t* p, int n) {
  uint32_t v = 0;
  for (int i = 0; i < n; ++i)
    v = (v << 8) | p[i];
  return v;
}

// Adds two millisecond values the way 32-bit arithmetic wraps, without signed overflow.
int32_t AddMs(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

bool IsSmpte(uint16_t division) {
  return (division & 0x8000u) != 0;
}

// Ticks per second of SMPTE timing: -(frames per second, a negative byte) x ticks per frame.
int32_t SmpteDivisor(uint16_t division) {
  const int32_t frames = static_cast<int8_t>(division >> 8);
  const int32_t ticksPerFrame = division & 0xFF;
  return -(frames * ticksPerFrame);
}

// The source behind a reader's virtual Read and Skip.
template <typename CharT>
struct VirtualSource {
  BasicKaraokeFile<CharT>& file;
  HResult Read(void* buffer, uint32_t n) { return file.Read(buffer, n); }
  HResult ReadByte(uint8_t& b) { return file.Read(&b, 1); }
  HResult Skip(uint64_t n) {
    while (n > 0) {
      const uint32_t step = n > 0x7FFFFFFFu ? 0x7FFFFFFFu : static_cast<uint32_t>(n);
      if (HResult r = file.Skip(step); r != kOk) return r;
      n -= step;
    }
    return kOk;
  }
};

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

// Reads n bytes of event data in bounded pieces, so that a length field larger than the file
// fails at the end of the data instead of allocating the whole length up front.
template <class Source>
HResult ReadEventData(Source& source, uint64_t n, std::string& out) {
  out.clear();
  while (n > 0) {
    const uint32_t step = n > kEventReadChunk ? kEventReadChunk : static_cast<uint32_t>(n);
    const size_t old = out.size();
    out.resize(old + step);
    if (HResult r = source.Read(out.data() + old, step); r != kOk) return r;
    n -= step;
  }
  return kOk;
}

// Closes the tempo map with the end entry and fills in the milliseconds of every entry.
HResult FinishTempoMap(MidiText& midi, uint32_t lastTick) {
  midi.tempoMap.push_back({0, lastTick, 0});
  const bool smpte = IsSmpte(midi.division);
  if (smpte && midi.tempoMap.size() != 1) return kFormatError;
  const int32_t divisor =
      smpte ? SmpteDivisor(midi.division) : static_cast<int32_t>(midi.division) * 1000;
  uint32_t prevTick = 0;
  int32_t prevMs = 0;
  uint32_t prevTempo = smpte ? kSmpteTempo : kDefaultTempo;
  for (TempoMapEntry& entry : midi.tempoMap) {
    const int32_t span = static_cast<int32_t>(entry.tick - prevTick);
    entry.ms = AddMs(MulDiv(span, static_cast<int32_t>(prevTempo), divisor), prevMs);
    prevTick = entry.tick;
    prevMs = entry.ms;
    prevTempo = entry.tempo;
  }
  return kOk;
}

template <class Source>
HResult ParseTracks(Source& source, MidiText& midi) {
  uint8_t header[14];
  if (HResult r = source.Read(header, 8); r != kOk) return r;
  if (std::memcmp(header, "MThd", 4) != 0) return kFormatError;
  if (BigEndian(header + 4, 4) < 6) return kFormatError;
  if (HResult r = source.Read(header + 8, 6); r != kOk) return r;
  const uint32_t format = BigEndian(header + 8, 2);
  midi.trackCount = BigEndian(header + 10, 2);
  midi.division = static_cast<uint16_t>(BigEndian(header + 12, 2));
  if (format == 2) return kFormatError;
  // Header bytes beyond the six read are not skipped: the next chunk is read right here.

  int64_t tempoTrack = -1;
  uint32_t lastTick = 0;
  for (uint32_t track = 0; track < midi.trackCount; ++track) {
    uint8_t chunk[8];
    if (HResult r = source.Read(chunk, 8); r != kOk) return r;
    if (std::memcmp(chunk, "MTrk", 4) != 0) return kFormatError;
    const uint64_t length = BigEndian(chunk + 4, 4);

    uint32_t tick = 0;
    uint8_t runningStatus = 0;
    uint64_t consumed = 0;
    while (consumed < length) {
      uint64_t delta;
      uint32_t deltaBytes;
      if (HResult r = ReadVlq(source, delta, deltaBytes); r != kOk) return r;
      tick += static_cast<uint32_t>(delta);
      uint8_t status;
      if (HResult r = source.ReadByte(status); r != kOk) return r;
      consumed += deltaBytes + 1u;

      if (status < 0x80) {
        // A data byte: the running status supplies the status.
        if (runningStatus == 0) return kFormatError;
        if (runningStatus != 0xC0 && runningStatus != 0xD0) {
          if (HResult r = source.Skip(1); r != kOk) return r;
          consumed += 1;
        }
      } else if (status < 0xF0) {
        runningStatus = status & 0xF0;
        const uint32_t dataBytes = (runningStatus == 0xC0 || runningStatus == 0xD0) ? 1 : 2;
        if (HResult r = source.Skip(dataBytes); r != kOk) return r;
        consumed += dataBytes;
      } else if (status == 0xF0 || status == 0xF7) {
        uint64_t n;
        uint32_t nBytes;
        if (HResult r = ReadVlq(source, n, nBytes); r != kOk) return r;
        if (HResult r = source.Skip(n); r != kOk) return r;
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
          if (n != 3) return kFormatError;
          // Only the first track with a tempo event supplies the tempo map.
          if (tempoTrack < 0) tempoTrack = track;
          if (tempoTrack == track) {
            uint8_t t[3];
            if (HResult r = source.Read(t, 3); r != kOk) return r;
            midi.tempoMap.push_back({BigEndian(t, 3), tick, 0});
          } else if (HResult r = source.Skip(3); r != kOk) {
            return r;
          }
        } else if (type == 1 || type == 5) {
          MidiText::Event& event = midi.events.emplace_back();
          event.tick = tick;
          event.track = track;
          event.type = type;
          if (HResult r = ReadEventData(source, n, event.data); r != kOk) {
            midi.events.pop_back();
            return r;
          }
        } else if (HResult r = source.Skip(n); r != kOk) {
          return r;
        }
      }
    }
    lastTick = std::max(lastTick, tick);
  }
  return FinishTempoMap(midi, lastTick);
}

template <class Source>
HResult ParseMidiTextFrom(Source& source, MidiText& midi) {
  midi = MidiText();
  midi.result = ParseTracks(source, midi);
  return midi.result;
}

// How each reader sees an event's bytes.
void ViewText(const std::string& data, std::string& text) {
  text = data;
}

void ViewText(const std::string& data, std::u16string& text) {
  text.resize(data.size() / 2);
  for (size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char16_t>(static_cast<uint8_t>(data[2 * i]) |
                                    (static_cast<uint8_t>(data[2 * i + 1]) << 8));
  }
}

}  // namespace

HResult ParseMidiText(std::span<const uint8_t> bytes, MidiText& out) {
  MemorySource source(bytes);
  return ParseMidiTextFrom(source, out);
}

HResult ParseMidiTextFile(const std::string& path, MidiText& out) {
  MappedFile file(path);
  if (!file.ok()) {
    out = MidiText();
    out.result = file.result();
    return out.result;
  }
  return ParseMidiText(file.bytes(), out);
}

template <typename CharT>
HResult BasicKaraokeFile<CharT>::Parse() {
  VirtualSource<CharT> source{*this};
  MidiText midi;
  ParseMidiTextFrom(source, midi);
  return Adopt(midi);
}

template <typename CharT>
HResult BasicKaraokeFile<CharT>::Adopt(const MidiText& midi) {
  division = midi.division;
  trackCount = midi.trackCount;
  tempoMap = midi.tempoMap;
  tagLines.clear();
  tracks.assign(trackCount, {});
  lyricTrack = -1;
  lyricType = 1;
  for (const MidiText::Event& e : midi.events) {
    Event event;
    event.tick = e.tick;
    ViewText(e.data, event.text);
    event.length = static_cast<uint32_t>(e.data.size());
    event.type = e.type;
    const bool isTag = !event.text.empty() && event.text[0] == CharT('@');
    (isTag ? tagLines : tracks[e.track]).push_back(std::move(event));
  }
  tempoSorted_ = std::is_sorted(tempoMap.begin(), tempoMap.end(),
                                [](const auto& a, const auto& b) { return a.tick < b.tick; });
  if (midi.result != kOk) return midi.result;

  // The lyric track: per type, the track with the most non-empty events (lowest index on a
  // tie); lyric events win only when more than twice as many as text events.
  uint32_t best[2] = {0, 0};
  int32_t bestTrack[2] = {-1, -1};
  for (size_t t = 0; t < tracks.size(); ++t) {
    uint32_t n[2] = {0, 0};
    for (const Event& e : tracks[t]) {
      if (e.text.empty() || e.text[0] == CharT(0)) continue;
      if (e.type == 1) ++n[0];
      if (e.type == 5) ++n[1];
    }
    for (int k = 0; k < 2; ++k) {
      if (n[k] > best[k]) {
        best[k] = n[k];
        bestTrack[k] = static_cast<int32_t>(t);
      }
    }
  }
  if (best[1] <= 2ull * best[0]) {
    lyricTrack = bestTrack[0];
    lyricType = 1;
  } else {
    lyricTrack = bestTrack[1];
    lyricType = 5;
  }
  return kOk;
}

template <typename CharT>
int32_t BasicKaraokeFile<CharT>::TickToMs(uint32_t tick) const {
  if (!tempoMap.empty()) {
    const TempoMapEntry& end = tempoMap.back();
    if (tick >= end.tick) return end.ms;  // times are clamped to the end of the song
    const TempoMapEntry* found = nullptr;
    if (tempoSorted_) {
      auto it = std::upper_bound(tempoMap.begin(), tempoMap.end(), tick,
                                 [](uint32_t t, const TempoMapEntry& e) { return t < e.tick; });
      if (it != tempoMap.begin()) found = &*(it - 1);
    } else {
      for (auto it = tempoMap.rbegin(); it != tempoMap.rend(); ++it) {
        if (it->tick <= tick) {
          found = &*it;
          break;
        }
      }
    }
    if (found != nullptr) {
      const int32_t span = static_cast<int32_t>(tick - found->tick);
      return AddMs(
          MulDiv(span, static_cast<int32_t>(found->tempo), static_cast<int32_t>(division) * 1000),
          found->ms);
    }
  }
  // Before the first tempo event.
  const int32_t t = static_cast<int32_t>(tick);
  if (IsSmpte(division))
    return MulDiv(t, static_cast<int32_t>(kSmpteTempo), SmpteDivisor(division));
  return MulDiv(t, static_cast<int32_t>(kDefaultTempo), static_cast<int32_t>(division) * 1000);
}

template <typename CharT>
BasicMemoryKaraokeFile<CharT>::BasicMemoryKaraokeFile(std::span<const uint8_t> bytes,
                                                      HResult* result) {
  MidiText midi;
  ParseMidiText(bytes, midi);
  const HResult r = this->Adopt(midi);
  if (result != nullptr) *result = r;
}

template <typename CharT>
BasicMemoryKaraokeFile<CharT>::BasicMemoryKaraokeFile(const MidiText& parsed) {
  this->Adopt(parsed);
}

template <typename CharT>
BasicMyKaraokeFile<CharT>::BasicMyKaraokeFile(const std::string& path, HResult* result) {
  MidiText midi;
  ParseMidiTextFile(path, midi);
  const HResult r = this->Adopt(midi);
  if (result != nullptr) *result = r;
}

template class BasicKaraokeFile<char>;
template class BasicKaraokeFile<char16_t>;
template class BasicMemoryKaraokeFile<char>;
template class BasicMemoryKaraokeFile<char16_t>;
template class BasicMyKaraokeFile<char>;
template class BasicMyKaraokeFile<char16_t>;

}  // namespace lyrovox

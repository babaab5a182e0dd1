#include "lyrics/karaoke_file.h"

#include <algorithm>
#include <limits>

#include "lyrics/mapped_file.h"
#include "lyrics/midi_walk.h"

namespace lyrovox {

namespace {

constexpr uint32_t kDefaultTempo = 500000;  // 120 beats per minute
constexpr uint32_t kSmpteTempo = 1000;
constexpr uint32_t kEventReadChunk = 64 * 1024;

// What one tick is worth: the time of t ticks is t x tempo / divisor milliseconds.
struct TimeBase {
  uint64_t divisor = 0;  // 0: the file gives no time unit, and every time is 0
  uint32_t firstTempo = kDefaultTempo;
};

TimeBase TimeBaseOf(uint16_t division) {
  if (midi::IsSmpte(division)) {
    // Ticks per second: -(frames per second, a negative byte) x ticks per frame.
    const int32_t frames = static_cast<int8_t>(division >> 8);
    const int32_t ticksPerFrame = division & 0xFF;
    return {static_cast<uint64_t>(-(frames * ticksPerFrame)), kSmpteTempo};
  }
  return {uint64_t{division} * 1000, kDefaultTempo};
}

// The exact time rounded once to milliseconds (halves up), held at the largest 32-bit value.
int32_t RoundMs(uint64_t elapsed, uint64_t divisor) {
  if (divisor == 0) return 0;
  uint64_t ms = elapsed / divisor;
  if (2 * (elapsed % divisor) >= divisor) ++ms;
  return ms > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max()
                                                  : static_cast<int32_t>(ms);
}

uint64_t ElapsedAfter(const TempoMapEntry& e, uint32_t tick) {
  return e.elapsed + uint64_t{tick - e.tick} * e.tempo;
}

// The entries before the end entry, which hold the tempo events.
std::span<const TempoMapEntry> TempoEntries(std::span<const TempoMapEntry> map) {
  return map.empty() ? map : map.first(map.size() - 1);
}

// The source behind a reader's virtual Read and Skip.
template <typename CharT>
class VirtualSource {
 public:
  explicit VirtualSource(BasicKaraokeFile<CharT>& file) : file_(file) {}

  uint64_t Position() const { return position_; }
  HResult Read(void* buffer, uint32_t n) {
    const HResult r = file_.Read(buffer, n);
    if (r == kOk) position_ += n;
    return r;
  }
  HResult ReadByte(uint8_t& b) { return Read(&b, 1); }
  HResult Skip(uint64_t n) {
    while (n > 0) {
      const uint32_t step = n > 0x7FFFFFFFu ? 0x7FFFFFFFu : static_cast<uint32_t>(n);
      if (HResult r = file_.Skip(step); r != kOk) return r;
      position_ += step;
      n -= step;
    }
    return kOk;
  }
  // Reads n bytes of event data in bounded pieces, so that a length field larger than the file
  // fails at the end of the data instead of allocating the whole length up front.
  HResult ReadData(uint64_t n, std::string_view& data) {
    buffer_.clear();
    while (n > 0) {
      const uint32_t step = n > kEventReadChunk ? kEventReadChunk : static_cast<uint32_t>(n);
      const size_t old = buffer_.size();
      buffer_.resize(old + step);
      if (HResult r = Read(buffer_.data() + old, step); r != kOk) return r;
      n -= step;
    }
    data = buffer_;
    return kOk;
  }

 private:
  BasicKaraokeFile<CharT>& file_;
  uint64_t position_ = 0;
  std::string buffer_;
};

// How each reader sees an event's bytes.
void ViewText(std::string_view data, std::string& text) {
  text = data;
}

void ViewText(std::string_view data, std::u16string& text) {
  text.resize(data.size() / 2);
  for (size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char16_t>(static_cast<uint8_t>(data[2 * i]) |
                                    (static_cast<uint8_t>(data[2 * i + 1]) << 8));
  }
}

// Keeps every text event in the reader's lists and collects the tempo events.
template <typename CharT>
struct ListVisitor {
  BasicKaraokeFile<CharT>& file;
  std::vector<TempoMapEntry> tempos;
  uint32_t track = 0;

  bool Stopped() const { return false; }
  void TrackStart(uint32_t t, uint64_t) {
    track = t;
    if (file.tracks.size() <= t) file.tracks.resize(t + 1);
  }
  void Tempo(uint32_t tick, uint32_t tempo) { tempos.push_back({tempo, tick, 0, 0}); }
  void Text(uint32_t tick, uint32_t type, std::string_view data) {
    typename BasicKaraokeFile<CharT>::Event event;
    event.tick = tick;
    ViewText(data, event.text);
    event.length = static_cast<uint32_t>(data.size());
    event.type = type;
    const bool isTag = !event.text.empty() && event.text[0] == CharT('@');
    (isTag ? file.tagLines : file.tracks[track]).push_back(std::move(event));
  }
};

template <typename CharT, class Source>
HResult ParseInto(BasicKaraokeFile<CharT>& file, Source& source) {
  file.tagLines.clear();
  file.tracks.clear();
  ListVisitor<CharT> visitor{file, {}, 0};
  const midi::WalkResult walk = midi::WalkMidi(source, visitor);
  file.division = walk.division;
  file.trackCount = walk.trackCount;
  file.outcome = walk.outcome;
  // Announced tracks that the file does not hold stay empty.
  if (file.tracks.size() < walk.trackCount) file.tracks.resize(walk.trackCount);
  const bool headerRead = walk.outcome.result == kOk || walk.outcome.stopTrack >= 0;
  file.tempoMap = headerRead
                      ? BuildTempoMap(std::move(visitor.tempos), walk.lastTick, walk.division)
                      : std::vector<TempoMapEntry>();

  std::vector<std::array<uint32_t, 2>> counts(file.tracks.size());
  for (size_t t = 0; t < file.tracks.size(); ++t) {
    for (const auto& e : file.tracks[t]) {
      if (e.text.empty() || e.text[0] == CharT(0)) continue;
      if (e.type == 1) ++counts[t][0];
      if (e.type == 5) ++counts[t][1];
    }
  }
  const LyricChoice choice = ChooseLyricEvents(counts);
  file.lyricTrack = choice.track;
  file.lyricType = choice.type;
  return file.outcome.result;
}

}  // namespace

std::vector<TempoMapEntry> BuildTempoMap(std::vector<TempoMapEntry> tempoEvents, uint32_t lastTick,
                                         uint16_t division) {
  std::stable_sort(tempoEvents.begin(), tempoEvents.end(),
                   [](const TempoMapEntry& a, const TempoMapEntry& b) { return a.tick < b.tick; });
  // Ticks past the end of every track (they can only come from a wrapped tick count) are never
  // reached: times there are those of the end.
  while (!tempoEvents.empty() && tempoEvents.back().tick > lastTick)
    tempoEvents.pop_back();
  tempoEvents.push_back({0, lastTick, 0, 0});

  const TimeBase base = TimeBaseOf(division);
  uint32_t prevTick = 0;
  uint64_t prevElapsed = 0;
  uint32_t prevTempo = base.firstTempo;
  for (TempoMapEntry& entry : tempoEvents) {
    entry.elapsed = prevElapsed + uint64_t{entry.tick - prevTick} * prevTempo;
    entry.ms = RoundMs(entry.elapsed, base.divisor);
    prevTick = entry.tick;
    prevElapsed = entry.elapsed;
    prevTempo = entry.tempo;
  }
  return tempoEvents;
}

uint64_t TempoMapElapsed(std::span<const TempoMapEntry> map, uint16_t division, uint32_t tick) {
  if (!map.empty()) {
    if (tick >= map.back().tick) return map.back().elapsed;  // clamped to the end of the song
    const auto tempos = TempoEntries(map);
    auto it = std::upper_bound(tempos.begin(), tempos.end(), tick,
                               [](uint32_t t, const TempoMapEntry& e) { return t < e.tick; });
    if (it != tempos.begin()) return ElapsedAfter(*(it - 1), tick);
  }
  return uint64_t{tick} * TimeBaseOf(division).firstTempo;
}

uint64_t TempoUnitsPerMs(uint16_t division) {
  return TimeBaseOf(division).divisor;
}

int32_t TempoMapMs(std::span<const TempoMapEntry> map, uint16_t division, uint32_t tick) {
  return RoundMs(TempoMapElapsed(map, division, tick), TimeBaseOf(division).divisor);
}

TempoCursor::TempoCursor(std::span<const TempoMapEntry> map, uint16_t division)
    : map_(map), division_(division), at_(map.size()) {}

uint64_t TempoCursor::Elapsed(uint32_t tick) {
  const auto tempos = TempoEntries(map_);
  if (map_.empty() || tick >= map_.back().tick || tempos.empty() || tick < tempos[0].tick) {
    return TempoMapElapsed(map_, division_, tick);
  }
  if (at_ >= tempos.size() || tempos[at_].tick > tick) at_ = 0;
  while (at_ + 1 < tempos.size() && tempos[at_ + 1].tick <= tick)
    ++at_;
  return ElapsedAfter(tempos[at_], tick);
}

int32_t TempoCursor::Ms(uint32_t tick) {
  return RoundMs(Elapsed(tick), TimeBaseOf(division_).divisor);
}

LyricChoice ChooseLyricEvents(std::span<const std::array<uint32_t, 2>> counts) {
  uint32_t best[2] = {0, 0};
  int32_t bestTrack[2] = {-1, -1};
  for (size_t t = 0; t < counts.size(); ++t) {
    for (int k = 0; k < 2; ++k) {
      if (counts[t][k] > best[k]) {
        best[k] = counts[t][k];
        bestTrack[k] = static_cast<int32_t>(t);
      }
    }
  }
  if (best[1] <= 2ull * best[0]) return {bestTrack[0], 1};
  return {bestTrack[1], 5};
}

MidiReadOutcome CheckMidiBytes(std::span<const uint8_t> bytes) {
  struct Nothing {
    bool Stopped() const { return false; }
    void TrackStart(uint32_t, uint64_t) {}
    void Tempo(uint32_t, uint32_t) {}
    void Text(uint32_t, uint32_t, std::string_view) {}
  } nothing;
  midi::SpanSource source(bytes);
  return midi::WalkMidi(source, nothing).outcome;
}

MidiReadOutcome CheckMidiFile(const std::string& path) {
  MappedFile file(path);
  if (!file.ok()) {
    MidiReadOutcome outcome;
    outcome.result = file.result();
    return outcome;
  }
  return CheckMidiBytes(file.bytes());
}

template <typename CharT>
HResult BasicKaraokeFile<CharT>::Parse() {
  VirtualSource<CharT> source(*this);
  return ParseInto(*this, source);
}

template <typename CharT>
HResult BasicKaraokeFile<CharT>::ParseBytes(std::span<const uint8_t> bytes) {
  midi::SpanSource source(bytes);
  return ParseInto(*this, source);
}

template <typename CharT>
int32_t BasicKaraokeFile<CharT>::TickToMs(uint32_t tick) const {
  return TempoMapMs(tempoMap, division, tick);
}

template <typename CharT>
BasicMemoryKaraokeFile<CharT>::BasicMemoryKaraokeFile(std::span<const uint8_t> bytes,
                                                      HResult* result) {
  const HResult r = this->ParseBytes(bytes);
  if (result != nullptr) *result = r;
}

template <typename CharT>
BasicMyKaraokeFile<CharT>::BasicMyKaraokeFile(const std::string& path, HResult* result) {
  MappedFile file(path);
  HResult r = file.result();
  if (file.ok()) {
    r = this->ParseBytes(file.bytes());
  } else {
    this->outcome.result = r;
  }
  if (result != nullptr) *result = r;
}

template class BasicKaraokeFile<char>;
template class BasicKaraokeFile<char16_t>;
template class BasicMemoryKaraokeFile<char>;
template class BasicMemoryKaraokeFile<char16_t>;
template class BasicMyKaraokeFile<char>;
template class BasicMyKaraokeFile<char16_t>;

}  // namespace lyrovox

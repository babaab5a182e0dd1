#include "lyrics/midi_sequence.h"

#include <algorithm>
#include <array>
#include <limits>

#include "lyrics/midi_walk.h"

namespace lyrovox {

namespace {

__extension__ typedef unsigned __int128 Wide;

// A long song has some tens of thousands of events; a file of millions is damaged or hostile,
// and is played as far as this many (about 100 MB while it is read).
constexpr size_t kMaxEvents = 2'000'000;

// One event as the walk reports it, before the tempo map is known.
struct TickedEvent {
  uint32_t tick;
  uint32_t track;
  MidiEvent event;
};

struct MusicVisitor {
  explicit MusicVisitor(MidiSequence& song) : sequence(song) {}

  MidiSequence& sequence;
  std::vector<TickedEvent> events;
  std::vector<TempoMapEntry> tempos;
  std::vector<uint32_t> textTicks;  // of every text or lyric event
  uint32_t track = 0;
  // The notes struck and not yet released in the track being read, by channel and key.
  std::array<uint16_t, 16 * 128> sounding{};
  uint32_t soundingCount = 0;

  bool Stopped() const { return false; }
  void TrackStart(uint32_t t, uint64_t) {
    track = t;
    if (soundingCount > 0) sounding.fill(0);
    soundingCount = 0;
  }
  // A track that damage cut short releases its notes where it broke off: nothing told when.
  void TrackEnd(uint32_t, uint32_t tick, HResult result) {
    if (result == kOk || soundingCount == 0) return;
    for (size_t i = 0; i < sounding.size(); ++i) {
      for (uint16_t n = sounding[i]; n > 0; --n) {
        MidiEvent e;
        e.status = static_cast<uint8_t>(0x80 | (i >> 7));
        e.data1 = static_cast<uint8_t>(i & 0x7F);
        events.push_back({tick, track, e});
      }
    }
  }
  void Tempo(uint32_t tick, uint32_t tempo) { tempos.push_back({tempo, tick, 0, 0}); }
  void Text(uint32_t tick, uint32_t, std::string_view) { textTicks.push_back(tick); }
  void Channel(uint32_t tick, uint8_t status, uint8_t data1, uint8_t data2) {
    if (data1 >= 0x80 || data2 >= 0x80 || events.size() >= kMaxEvents) return;
    MidiEvent e;
    e.status = status;
    e.data1 = data1;
    e.data2 = data2;
    const int kind = status & 0xF0;
    uint16_t& sound = sounding[(status & 0x0Fu) * 128u + data1];
    if (kind == 0x90 && data2 > 0) {
      sequence.hasNotes = true;
      if (sound < UINT16_MAX) {
        ++sound;
        ++soundingCount;
      }
    } else if ((kind == 0x80 || kind == 0x90) && sound > 0) {
      --sound;
      --soundingCount;
    }
    events.push_back({tick, track, e});
  }
  void SysEx(uint32_t tick, uint8_t status, std::string_view data) {
    // 0xF7 carries raw bytes (continuations, real-time messages) that a synthesiser cannot take
    // on their own.
    if (status != 0xF0 || events.size() >= kMaxEvents) return;
    if (!data.empty() && static_cast<uint8_t>(data.back()) == 0xF7) data.remove_suffix(1);
    if (sequence.sysex.size() + data.size() > std::numeric_limits<uint32_t>::max()) return;
    MidiEvent e;
    e.status = 0xF0;
    e.sysexOffset = static_cast<uint32_t>(sequence.sysex.size());
    e.sysexLength = static_cast<uint32_t>(data.size());
    sequence.sysex.append(data);
    events.push_back({tick, track, e});
  }
};

}  // namespace

uint64_t MidiSequence::SampleAt(uint64_t time, uint32_t rate) const {
  if (unitsPerMs == 0) return 0;
  const Wide divisor = Wide{unitsPerMs} * 1000;
  const Wide sample = (Wide{time} * rate + divisor / 2) / divisor;
  return sample > std::numeric_limits<uint64_t>::max() ? std::numeric_limits<uint64_t>::max()
                                                       : static_cast<uint64_t>(sample);
}

int64_t MidiSequence::MsAt(uint64_t time) const {
  if (unitsPerMs == 0) return 0;
  uint64_t ms = time / unitsPerMs;
  if (2 * (time % unitsPerMs) >= unitsPerMs) ++ms;
  return static_cast<int64_t>(std::min<uint64_t>(ms, std::numeric_limits<int64_t>::max()));
}

MidiSequence ReadMidiSequence(std::span<const uint8_t> bytes) {
  MidiSequence sequence;
  MusicVisitor visitor{sequence};
  midi::SpanSource source(bytes);
  const midi::WalkResult walk = midi::WalkMidi(source, visitor);
  sequence.outcome = walk.outcome;
  // A header that could not be read leaves nothing to time.
  if (walk.outcome.result != kOk && walk.outcome.stopTrack < 0) {
    sequence.hasNotes = false;
    return sequence;
  }
  const std::vector<TempoMapEntry> map =
      BuildTempoMap(std::move(visitor.tempos), walk.lastTick, walk.division);
  sequence.unitsPerMs = TempoUnitsPerMs(walk.division);

  // Each track's ticks rise (but for a wrapped tick count): a cursor per track.
  sequence.events.reserve(visitor.events.size());
  uint32_t track = 0;
  TempoCursor cursor(map, walk.division);
  for (TickedEvent& e : visitor.events) {
    if (e.track != track) {
      track = e.track;
      cursor = TempoCursor(map, walk.division);
    }
    e.event.time = cursor.Elapsed(e.tick);
    sequence.end = std::max(sequence.end, e.event.time);
    sequence.events.push_back(e.event);
  }
  for (uint32_t tick : visitor.textTicks) {
    sequence.end = std::max(sequence.end, TempoMapElapsed(map, walk.division, tick));
  }
  // The tracks were read one after the other: a stable sort keeps their order at one time.
  std::stable_sort(sequence.events.begin(), sequence.events.end(),
                   [](const MidiEvent& a, const MidiEvent& b) { return a.time < b.time; });
  return sequence;
}

}  // namespace lyrovox

// Turns the lyric events of a MIDI karaoke file into syllables of the lyric store.
//
// The file is walked without keeping its events: once whole for its structure (tempo events,
// tag lines, per track the number of text and lyric events, its last ones and the evidence for
// UTF-8), then the chosen lyric track from its start, feeding its events to the store as they
// come, until the store is full and only the track's last event can still change it.

#include "lyrics/karaoke_loader.h"

#include <string_view>
#include <vector>

#include "lyrics/karaoke_file.h"
#include "lyrics/mapped_file.h"
#include "lyrics/midi_walk.h"
#include "lyrics/text_buffer.h"
#include "lyrics/text_encoding.h"

namespace lyrovox {

namespace {

constexpr std::u16string_view kUnicodeMarker = u"@CODE=UNICODE";
constexpr int kLast = kMaxSyllables - 1;

char16_t UnitAt(std::string_view data, size_t i) {
  return static_cast<char16_t>(static_cast<uint8_t>(data[2 * i]) |
                               (static_cast<uint8_t>(data[2 * i + 1]) << 8));
}

// The UTF-16 reading of event data: its little-endian units up to the first zero unit.
std::u16string WideText(std::string_view data) {
  std::u16string text;
  for (size_t i = 0; i < data.size() / 2; ++i) {
    const char16_t c = UnitAt(data, i);
    if (c == 0) break;
    text.push_back(c);
  }
  return text;
}

// The first character of an event as each reading sees it (0 for an empty text). In the 8-bit
// reading it is the first byte: every code page of the list reads the marks ("/", "\", "@",
// CR, LF) as single bytes of ASCII.
char16_t FirstUnit(std::string_view data, bool unicode) {
  if (unicode) return data.size() >= 2 ? UnitAt(data, 0) : 0;
  return data.empty() ? 0 : static_cast<uint8_t>(data[0]);
}

// A tag line of the 8-bit reading: data beginning with "@". The UTF-16 reading's tag lines
// (a first unit "@") are among them.
struct TagLine {
  std::string_view data;
};

struct TextEvent {
  std::string_view data;
  uint32_t tick = 0;
  uint32_t type = 0;
};

struct TrackScan {
  uint64_t chunkOffset = 0;
  std::array<uint32_t, 2> count8{};       // non-empty text (k = 0) and lyric (k = 1) events, 8-bit
  std::array<uint32_t, 2> count16{};      // the same in the UTF-16 reading
  std::array<Utf8Evidence, 2> utf8;       // the 8-bit events of each type...
  std::array<bool, 2> ascii{true, true};  // ...while every byte of them is below 0x80
  TextEvent last;                         // the last text event of the track
  bool ticksFall = false;  // a text event comes at an earlier tick than the one before
};

// The first walk: everything but the lyric events themselves.
struct ScanVisitor {
  bool wantUtf8 = false;
  std::vector<TrackScan> tracks;
  std::vector<TempoMapEntry> tempos;
  std::vector<TagLine> tags;
  TrackScan* track = nullptr;

  bool Stopped() const { return false; }
  void TrackStart(uint32_t t, uint64_t chunkOffset) {
    if (tracks.size() <= t) tracks.resize(t + 1);
    track = &tracks[t];
    track->chunkOffset = chunkOffset;
  }
  void Tempo(uint32_t tick, uint32_t tempo) { tempos.push_back({tempo, tick, 0, 0}); }
  void Text(uint32_t tick, uint32_t type, std::string_view data) {
    TrackScan& t = *track;
    const size_t k = type == 5 ? 1 : 0;
    if (tick < t.last.tick) t.ticksFall = true;
    t.last = {data, tick, type};
    const char16_t first8 = FirstUnit(data, false);
    if (first8 == u'@') {
      tags.push_back({data});
    } else {
      if (first8 != 0) ++t.count8[k];
      if (wantUtf8) AddEvidence(t, k, data);
    }
    const char16_t first16 = FirstUnit(data, true);
    if (first16 != 0 && first16 != u'@') ++t.count16[k];
  }

  // ASCII text is neither invalid UTF-8 nor multi-byte: only text with a byte above 0x7F needs
  // looking into, and once one has come, all that follows.
  static void AddEvidence(TrackScan& t, size_t k, std::string_view data) {
    if (t.ascii[k]) {
      unsigned char any = 0;
      for (char c : data)
        any |= static_cast<unsigned char>(c);
      if (any < 0x80) return;
      t.ascii[k] = false;
    }
    t.utf8[k].Add(data);
  }
};

// The UTF-16 reading only when its tag lines, joined with a space after each, hold the marker.
bool MarksUnicode(const std::vector<TagLine>& tags) {
  std::u16string joined;
  for (const TagLine& tag : tags) {
    if (FirstUnit(tag.data, true) != u'@') continue;
    joined += WideText(tag.data);
    joined += u' ';
  }
  return joined.size() >= kUnicodeMarker.size() + 1 && joined.find(kUnicodeMarker) != joined.npos;
}

bool IsHeadingLine(std::string_view data, bool unicode) {
  if (unicode) return data.size() >= 4 && UnitAt(data, 0) == u'@' && UnitAt(data, 1) == u'T';
  return data.size() >= 2 && data[0] == '@' && data[1] == 'T';
}

// The first "@T" tag line gives the title, the second the artist; later ones are ignored.
void TakeHeadingLine(LyricStore& store, std::u16string_view line) {
  if (line.size() < 2 || line[0] != u'@' || line[1] != u'T') return;
  if (store.title[0] == 0) {
    CopyText(store.title, line.substr(2));
  } else if (store.artist[0] == 0) {
    CopyText(store.artist, line.substr(2));
  }
}

bool IsLineFeed(char16_t c) {
  return c == u'\n' || c == u'\r';
}

void PutSyllable(LyricSyllable& s, std::u16string_view text, int32_t lineBreak, int32_t timeMs,
                 uint8_t shown) {
  CopyText(s.text, text);
  s.lineBreak = lineBreak;
  s.timeMs = timeMs;
  s.shown = shown;
}

// One lyric event into the store, following the karaoke marks: CR/LF line breaks (placeholders
// that the next syllable fills), "/" new line, "\" new paragraph, "@" ignored. Events at one
// instant join into one syllable. `ansi` enables the rules of the 8-bit reading.
void AddLyricEvent(LyricStore& store, std::u16string_view s, int32_t t, bool ansi) {
  LyricSyllable* syl = store.syllables;
  const char16_t first = s.empty() ? 0 : s[0];
  const int32_t p = store.AppendSlot();

  if (IsLineFeed(first)) {
    PutSyllable(syl[p], u"", 1, t, 1);
    store.CountAppended();
    // Two breaks in a row keep an empty line in the lyrics.
    if (ansi && p >= 2 && syl[p - 1].shown == 1) syl[p - 1].shown = 0;
    return;
  }
  if (first == u'/' || first == u'\\') {
    PutSyllable(syl[p], s.substr(1), first == u'/' ? 1 : 2, t, 0);
    store.CountAppended();
    return;
  }
  if (first == u'@') return;

  if (p > 0 && syl[p - 1].shown == 1) {
    // The waiting line start takes this syllable, whatever its time: appending to the
    // placeholder instead would keep the text hidden for good.
    PutSyllable(syl[p - 1], s, syl[p - 1].lineBreak, t, 0);
  } else if (p > 0 && t == syl[p - 1].timeMs) {
    AppendText(syl[p - 1].text, s);
  } else if (ansi && !s.empty() && IsLineFeed(s.back())) {
    PutSyllable(syl[p], s, 0, t, 0);
    store.CountAppended();
    PutSyllable(syl[store.AppendSlot()], u"", 1, t, 1);
    store.CountAppended();
  } else {
    PutSyllable(syl[p], s, 0, t, 0);
    store.CountAppended();
  }
}

// Feeds the lyric events of one reading to the store. Once the store is full every event lands
// in its last syllable or in the one before it; an event that only rewrites the last one is
// held back until the next such event replaces it, and only the final one is decoded and
// timed. Since times rise with ticks, a tick at or past one already timed later than the
// syllable before the last cannot join that syllable, and needs no time either.
class LyricWriter {
 public:
  LyricWriter(LyricStore& store, bool unicode, const std::vector<TempoMapEntry>& tempoMap,
              uint16_t division, CodePageDecoder& decoder, bool skipOverwritten)
      : store_(store),
        unicode_(unicode),
        skipOverwritten_(skipOverwritten),
        times_(tempoMap, division),
        decoder_(decoder) {}

  void Add(std::string_view data, uint32_t tick) {
    if (!skipOverwritten_ || store_.count < kMaxSyllables) {
      Apply(data, tick);
      return;
    }
    const char16_t first = FirstUnit(data, unicode_);
    LyricSyllable& before = store_.syllables[kLast - 1];
    if (first == u'@') return;
    if (IsLineFeed(first) || first == u'/' || first == u'\\') {
      // Only an 8-bit break after a waiting line start changes the syllable before the last.
      if (IsLineFeed(first) && !unicode_ && before.shown == 1) {
        Apply(data, tick);
        held_ = false;
        return;
      }
      Hold(data, tick);
      return;
    }
    if (before.shown == 1 || MayJoin(tick, before.timeMs)) {
      Apply(data, tick);  // fills or extends the syllable before the last
      return;
    }
    Hold(data, tick);
  }

  // Whether, with ticks that never fall, every later event can only rewrite the last
  // syllable: the store is full, the syllable before the last is no waiting line start, and a
  // tick already seen is timed later than it.
  bool OnlyLastChanges() const {
    const LyricSyllable& before = store_.syllables[kLast - 1];
    return skipOverwritten_ && store_.count == kMaxSyllables && before.shown == 0 && laterKnown_ &&
           laterThan_ == before.timeMs && laterTick_ != UINT64_MAX;
  }

  // Applies the event that ends up in the last syllable.
  void Finish(const TextEvent* last) {
    if (last != nullptr) Hold(last->data, last->tick);
    if (held_) Apply(heldData_, heldTick_);
    held_ = false;
  }

 private:
  std::u16string_view Decode(std::string_view data) {
    if (unicode_) {
      // Each lyric event of these files holds one character.
      const char16_t first = FirstUnit(data, true);
      text_[0] = first;
      text_[1] = 0;
      return std::u16string_view(text_, first == 0 ? 0 : 1);
    }
    decoder_.Decode(data, text_, kSyllableUnits);
    ApplyLetterConversion(store_.language, text_, kSyllableUnits);
    return TextView(text_);
  }

  void Apply(std::string_view data, uint32_t tick) {
    AddLyricEvent(store_, Decode(data), times_.Ms(tick), !unicode_);
  }

  void Hold(std::string_view data, uint32_t tick) {
    held_ = true;
    heldData_ = data;
    heldTick_ = tick;
  }

  // Whether an event at `tick` may be timed like the syllable before the last (at `timeMs`).
  bool MayJoin(uint32_t tick, int32_t timeMs) {
    if (!laterKnown_ || laterThan_ != timeMs) {
      laterKnown_ = true;
      laterThan_ = timeMs;
      laterTick_ = UINT64_MAX;
    }
    if (tick >= laterTick_) return false;
    const int32_t t = times_.Ms(tick);
    if (t > timeMs) laterTick_ = tick;
    return t == timeMs;
  }

  LyricStore& store_;
  bool unicode_;
  bool skipOverwritten_;
  TempoCursor times_;
  CodePageDecoder& decoder_;
  char16_t text_[kSyllableUnits] = {};
  bool held_ = false;
  std::string_view heldData_;
  uint32_t heldTick_ = 0;
  bool laterKnown_ = false;
  int32_t laterThan_ = 0;
  uint64_t laterTick_ = UINT64_MAX;  // a tick known to come later than laterThan_
};

// The second walk: the lyric events of the chosen track, as the reading sees them, up to the
// point after which only the track's last event matters.
struct FeedVisitor {
  LyricWriter& writer;
  uint32_t lyricType;
  bool unicode;
  bool canStop;

  bool Stopped() const { return canStop && writer.OnlyLastChanges(); }
  void TrackStart(uint32_t, uint64_t) {}
  void Tempo(uint32_t, uint32_t) {}
  void Text(uint32_t tick, uint32_t type, std::string_view data) {
    if (type != lyricType || FirstUnit(data, unicode) == u'@') return;
    writer.Add(data, tick);
  }
};

void FillHeading(LyricStore& store, const std::vector<TagLine>& tags, bool unicode,
                 CodePageDecoder& decoder) {
  char16_t heading[kHeadingUnits];
  for (const TagLine& tag : tags) {
    if (store.artist[0] != 0) break;
    if (!IsHeadingLine(tag.data, unicode)) continue;
    if (unicode) {
      TakeHeadingLine(store, WideText(tag.data));
      continue;
    }
    decoder.Decode(tag.data, heading, kHeadingUnits);
    ApplyLetterConversion(store.language, heading, kHeadingUnits);
    TakeHeadingLine(store, TextView(heading));
  }
}

}  // namespace

void LoadKarInto(LyricStore& store, std::span<const uint8_t> bytes, KarLoadOptions options) {
  ScanVisitor scan;
  scan.wantUtf8 = store.language == 0;
  midi::SpanSource source(bytes);
  const midi::WalkResult walk = midi::WalkMidi(source, scan);
  // A damaged file keeps what was read before each fault; a file without a track has nothing.
  if (walk.outcome.tracksRead == 0) return;

  const bool unicode = options.unicode && MarksUnicode(scan.tags);
  std::vector<std::array<uint32_t, 2>> counts(scan.tracks.size());
  for (size_t t = 0; t < scan.tracks.size(); ++t)
    counts[t] = unicode ? scan.tracks[t].count16 : scan.tracks[t].count8;
  const LyricChoice choice = ChooseLyricEvents(counts);

  int32_t codePage = store.codePage;
  if (!unicode && scan.wantUtf8) {
    // The text the song shows: its heading lines and its lyric events.
    Utf8Evidence evidence;
    if (choice.track >= 0) {
      evidence = scan.tracks[static_cast<size_t>(choice.track)].utf8[choice.type == 5 ? 1 : 0];
    }
    for (const TagLine& tag : scan.tags) {
      if (IsHeadingLine(tag.data, false)) evidence.Add(tag.data);
    }
    codePage = CodePageForText(store.language, store.codePage, evidence);
    store.utf8Text = codePage != store.codePage;
  }

  CodePageDecoder decoder(codePage);
  FillHeading(store, scan.tags, unicode, decoder);
  if (choice.track >= 0) {
    const std::vector<TempoMapEntry> tempoMap =
        BuildTempoMap(std::move(scan.tempos), walk.lastTick, walk.division);
    LyricWriter writer(store, unicode, tempoMap, walk.division, decoder, options.skipOverwritten);
    const TrackScan& track = scan.tracks[static_cast<size_t>(choice.track)];
    // Reading may stop early when the track's last text event is its last lyric event.
    const bool canStop = !track.ticksFall && track.last.type == choice.type &&
                         FirstUnit(track.last.data, unicode) != u'@';
    FeedVisitor feed{writer, choice.type, unicode, canStop};
    // The chosen track once more, read exactly as the first walk read it.
    source.Seek(track.chunkOffset + 4);
    uint8_t length[4];
    if (source.Read(length, 4) == kOk) {
      uint32_t tick = 0;
      uint64_t faultOffset = 0;
      midi::WalkTrackEvents(source, midi::BigEndian(length, 4), walk.division, feed, tick,
                            faultOffset);
    }
    writer.Finish(feed.Stopped() ? &track.last : nullptr);
  }
  if (store.count > 0) store.syllables[0].lineBreak = 2;
}

void LyricStore::LoadKar(const std::string& path) {
  Clear();
  const MappedFile file(path);
  if (file.ok()) LoadKarInto(*this, file.bytes(), {});
}

void LyricStore::LoadKarAnsi(const std::string& path) {
  const MappedFile file(path);
  if (file.ok()) LoadKarInto(*this, file.bytes(), {.unicode = false});
}

void LyricStore::LoadKarBytes(std::span<const uint8_t> bytes) {
  Clear();
  LoadKarInto(*this, bytes, {});
}

}  // namespace lyrovox

#include "lyrics/dvd_extract.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "lyrics/gbk_table.h"
#include "lyrics/lyric_store.h"
#include "lyrics/mapped_file.h"
#include "lyrics/text_buffer.h"
#include "lyrics/text_encoding.h"

namespace lyrovox {

namespace {

constexpr int kModeGbk = 3;
constexpr int kModeWide = 19;
constexpr uint8_t kCr = 0x0D;
constexpr uint8_t kLf = 0x0A;
constexpr size_t kTitleUnits = 32;
constexpr size_t kTitleChars = 64;
constexpr uint16_t kTicksPerQuarter = 31;

class HeadOnlyDescrambler final : public DvdDescrambler {
 public:
  void Descramble(std::span<const uint8_t> stored, int, int32_t,
                  std::vector<uint8_t>& plain) const override {
    plain.assign(stored.begin(), stored.begin() + std::min<size_t>(stored.size(), 4));
  }
};

class PassThroughDescrambler final : public DvdDescrambler {
 public:
  void Descramble(std::span<const uint8_t> stored, int, int32_t,
                  std::vector<uint8_t>& plain) const override {
    plain.assign(stored.begin(), stored.end());
  }
};

// Bounds-checked big-endian reads of the data file.
class DataReader {
 public:
  explicit DataReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  std::optional<uint32_t> U32(uint64_t at) const {
    if (at > bytes_.size() || bytes_.size() - at < 4) return std::nullopt;
    const uint8_t* p = bytes_.data() + at;
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
  }
  std::optional<uint8_t> Byte(uint64_t at) const {
    if (at >= bytes_.size()) return std::nullopt;
    return bytes_[at];
  }
  std::span<const uint8_t> Span(uint64_t at, uint64_t n) const {
    if (at > bytes_.size()) return {};
    return bytes_.subspan(at, std::min<uint64_t>(n, bytes_.size() - at));
  }

 private:
  std::span<const uint8_t> bytes_;
};

struct SongRecord {
  uint64_t offset = 0;
  uint32_t a = 0;  // length of the song record
  uint32_t b = 0;  // length of the lyric block (without its 4 head bytes)
};

std::optional<SongRecord> FindValidSlot(const DataReader& data, const DvdSongRef& ref) {
  // Song indexes whose block lies beyond the block list have no slot.
  if (ref.block() >= kDvdBlocks) return std::nullopt;
  const auto block = data.U32(kDvdBlockListOffset + 4 * uint64_t{ref.block()});
  if (!block) return std::nullopt;
  const auto offset = data.U32(uint64_t{*block} + 4 * uint64_t{ref.slot()});
  const auto tag = data.U32(uint64_t{*block} + 4 * (kDvdSlotsPerBlock + uint64_t{ref.slot()}));
  if (!offset || !tag || *tag == 0) return std::nullopt;
  SongRecord song;
  song.offset = *offset;
  const auto a = data.U32(song.offset);
  const auto b = data.U32(song.offset + 4);
  if (!a || !b) return std::nullopt;
  song.a = *a;
  song.b = *b;
  if (song.a < 257 || song.a >= 0x1FFFF || song.b >= song.a || song.b < 17 || song.b > 16382) {
    return std::nullopt;
  }
  const auto end0 = data.Byte(song.offset + song.b + 14);
  const auto end1 = data.Byte(song.offset + song.b + 15);
  if (!end0 || !end1 || (*end0 != 0 && *end1 != 0)) return std::nullopt;
  // The whole lyric block must be there to be de-scrambled.
  if (data.Span(song.offset + 8, uint64_t{song.b} + 4).size() != uint64_t{song.b} + 4) {
    return std::nullopt;
  }
  return song;
}

std::vector<DvdNoteRecord> ReadNoteRecords(const DataReader& data, const SongRecord& song) {
  // A record shorter than its lyric block and trailer holds no notes.
  const uint64_t count = song.a >= song.b + 15u ? (song.a - song.b - 15u) / 5 : 0;
  const std::span<const uint8_t> bytes = data.Span(song.offset + song.b + 15, count * 5);
  std::vector<DvdNoteRecord> notes(bytes.size() / 5);
  for (size_t i = 0; i < notes.size(); ++i) {
    const uint8_t* r = bytes.data() + 5 * i;
    notes[i] = {r[0], r[1], r[2], r[3], r[4]};
  }
  return notes;
}

// The two small character tables of mode 19 (title and lyrics). No better data is known than
// the identity, so every character stands for itself.
char16_t Mode19TitleChar(char16_t c) {
  return c;
}
char16_t Mode19LyricChar(char16_t c) {
  return c;
}

std::string JoinPath(const std::string& folder, int32_t number, const char* extension) {
  std::string path = folder;
  if (!path.empty() && path.back() != '/') path.push_back('/');
  return path + std::to_string(number) + extension;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

bool WriteWholeFile(const std::string& path, std::span<const uint8_t> bytes) {
  std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.c_str(), "wb"));
  if (!f) return false;
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f.get()) != bytes.size()) {
    return false;
  }
  return std::fclose(f.release()) == 0;
}

// --- the MIDI karaoke file ---

struct DvdEvent {
  uint32_t time;
  uint32_t order;
  bool lyric;
  uint8_t b[3];  // a channel message (status, data, data) or a lyric character (c0, c1)
};

void AddNoteEvents(std::span<const DvdNoteRecord> notes, std::vector<DvdEvent>& events) {
  uint32_t t = 0;
  for (const DvdNoteRecord& r : notes) {
    // Records that are neither notes nor channel messages do not advance the time.
    if ((r.b2 >= 16 && r.b2 < 0x80) || r.b2 >= 0xF0) continue;
    t += r.delta;
    // Data bytes keep 7 bits: a set top bit would read as a status byte.
    const uint8_t d1 = r.b3 & 0x7F;
    const uint8_t d2 = r.b4 & 0x7F;
    if (r.b2 < 16) {
      const uint8_t on = static_cast<uint8_t>(0x90 | r.b2);
      events.push_back({t, 0, false, {on, d1, d2}});
      events.push_back({t + r.duration, 0, false, {on, d1, 0}});
    } else {
      events.push_back({t, 0, false, {r.b2, d1, d2}});
    }
  }
}

// Where the lyric units begin: after the repeated head pattern, 2 bytes and the header lines.
size_t FindLyricUnits(std::span<const uint8_t> plain) {
  const size_t n = plain.size();
  if (n < 4) return n;
  for (size_t p = 5; p + 6 <= n; ++p) {
    if (plain[p] != plain[1] || plain[p + 1] != plain[0] || plain[p + 4] != plain[3] ||
        plain[p + 5] != plain[2]) {
      continue;
    }
    // The three header lines share units (bytes 0, 1 and 2) up to one beginning with CR LF.
    for (size_t q = p + 8; q + 4 <= n; q += 4) {
      if (plain[q] == kCr && plain[q + 1] == kLf) return q + 4;
    }
    return n;
  }
  return n;
}

void AddLyricEvents(std::span<const uint8_t> plain, std::vector<DvdEvent>& events) {
  uint32_t prevTime = 0;
  uint32_t prevOrder = 0;
  bool first = true;
  for (size_t q = FindLyricUnits(plain); q + 4 <= plain.size(); q += 4) {
    const uint8_t c0 = plain[q];
    const uint8_t c1 = plain[q + 1];
    const uint32_t time = plain[q + 2] | (uint32_t{plain[q + 3]} << 8);
    DvdEvent e{time, 0, true, {c0, c1, 0}};
    if ((c0 == kCr && c1 == kLf) || time <= prevTime) {
      // Line ends and units out of time follow the unit before them.
      e.time = prevTime;
      e.order = first ? 0 : prevOrder + 1;
    }
    events.push_back(e);
    prevTime = e.time;
    prevOrder = e.order;
    first = false;
  }
}

void PutVlq(std::string& out, uint32_t value) {
  char bytes[5];
  int n = 0;
  do {
    bytes[n++] = static_cast<char>(value & 0x7F);
    value >>= 7;
  } while (value != 0);
  while (n > 1)
    out.push_back(static_cast<char>(bytes[--n] | 0x80));
  out.push_back(bytes[0]);
}

void PutLyric(std::string& out, const DvdEvent& e, int mode) {
  uint8_t c0 = e.b[0];
  uint8_t c1 = e.b[1];
  out += "\xFF\x05";
  if (mode != 0 && mode != kModeGbk && mode != kModeWide) {
    out.push_back('\x01');
    out.push_back(static_cast<char>(c0));
    return;
  }
  if (mode == kModeGbk || mode == kModeWide) {
    if (c0 == kCr && c1 == kLf) {
      c0 = kLf;
      c1 = 0;
    } else if (mode == kModeGbk && c1 != 0 && c1 >= 0x40 && c0 >= 0x81) {
      // A trail byte below 0x40 would alias into the previous row: such bytes stay as they are.
      const size_t index = size_t{c0} * 192 + c1 - 24832;
      if (index < kGbkTableSize) {
        const char16_t wide = GbkTable()[index];
        c0 = static_cast<uint8_t>(wide & 0xFF);
        c1 = static_cast<uint8_t>(wide >> 8);
      }
    } else if (mode == kModeWide) {
      char16_t wide = static_cast<char16_t>(c0 | (c1 << 8));
      if ((wide >= 94 && wide <= 96) || wide >= 123) wide = Mode19LyricChar(wide);
      c0 = static_cast<uint8_t>(wide & 0xFF);
      c1 = static_cast<uint8_t>(wide >> 8);
    }
  }
  out.push_back('\x02');
  out.push_back(static_cast<char>(c0));
  out.push_back(static_cast<char>(c1));
}

// The plain lyric block of a song by a reading; a reading that breaks its contract counts as
// unable to de-scramble.
std::vector<uint8_t> LyricBlockBy(const DataReader& data, const SongRecord& song, int mode,
                                  int32_t number, const DvdDescrambler& descrambler) {
  const std::span<const uint8_t> stored = data.Span(song.offset + 8, uint64_t{song.b} + 4);
  std::vector<uint8_t> plain;
  descrambler.Descramble(stored, mode, number, plain);
  const bool keepsContract = (plain.size() == stored.size() || plain.size() == 4) &&
                             plain.size() >= 4 &&
                             std::equal(stored.begin(), stored.begin() + 4, plain.begin());
  if (!keepsContract) plain.assign(stored.begin(), stored.begin() + 4);
  return plain;
}

bool HasUnreadable(std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if ((c < 0x20 && c != u'\t') || (c >= 0x7F && c <= 0x9F) || c >= 0xFFFD) return true;
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return true;
      ++i;
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return true;
    }
  }
  return false;
}

// Whether a reading gives a song as it should be: a title and lyrics that read as text once the
// song is a MIDI karaoke file the karaoke reader takes.
bool ReadsAsSong(const DataReader& data, const SongRecord& song, int mode, int32_t number,
                 int32_t codePage, const DvdDescrambler& descrambler, LyricStore& store) {
  const std::vector<uint8_t> plain = LyricBlockBy(data, song, mode, number, descrambler);
  if (plain.size() <= 4) return false;
  if (!IsReadableLyricText(DvdSongTitle(plain, mode, codePage))) return false;
  const std::string kar = BuildDvdKaraokeFile(ReadNoteRecords(data, song), plain, mode);
  store.codePage = codePage;
  store.language = 0;
  store.LoadKarBytes({reinterpret_cast<const uint8_t*>(kar.data()), kar.size()});
  bool someText = false;
  for (int32_t i = 0; i < store.count; ++i) {
    const std::u16string_view text = TextView(store.syllables[i].text);
    if (HasUnreadable(text)) return false;
    someText = someText || !text.empty();
  }
  return someText;
}

int32_t Extract(int32_t number, const std::string& folder, const std::string& dataFile,
                int32_t codePage, std::u16string& title, const DvdDescrambler& descrambler,
                bool writeKar) {
  title.clear();
  const std::optional<DvdSongRef> ref = DvdSongForNumber(number);
  if (!ref) return kDvdNoSong;
  const MappedFile file(dataFile);
  if (!file.ok()) return kDvdNoSong;
  const DataReader data(file.bytes());
  const std::optional<SongRecord> song = FindValidSlot(data, *ref);
  if (!song) return kDvdNoSong;

  const std::vector<uint8_t> plain = LyricBlockBy(data, *song, ref->mode, number, descrambler);
  if (!WriteWholeFile(JoinPath(folder, number, ".lpd"), plain)) return kDvdNoSong;
  title = DvdSongTitle(plain, ref->mode, codePage);
  if (writeKar) {
    const std::string kar = BuildDvdKaraokeFile(ReadNoteRecords(data, *song), plain, ref->mode);
    const auto* bytes = reinterpret_cast<const uint8_t*>(kar.data());
    if (!WriteWholeFile(JoinPath(folder, number, ".kar"), {bytes, kar.size()})) {
      return kDvdNoSong;
    }
  }
  return number;
}

}  // namespace

const DvdDescrambler& ShippedDvdDescrambler() {
  static const HeadOnlyDescrambler step;
  return step;
}

const DvdDescrambler& PlainDvdDescrambler() {
  static const PassThroughDescrambler step;
  return step;
}

const DvdDescrambler& DescramblerFor(DvdReading reading) {
  return reading == DvdReading::kPlain ? PlainDvdDescrambler() : ShippedDvdDescrambler();
}

DvdReading DetectDvdReading(const std::string& dataFile, int32_t number, int32_t codePage) {
  const std::optional<DvdSongRef> asked = DvdSongForNumber(number);
  if (!asked) return DvdReading::kHeadOnly;
  const MappedFile file(dataFile);
  if (!file.ok()) return DvdReading::kHeadOnly;
  const DataReader data(file.bytes());
  auto store = std::make_unique<LyricStore>();  // about half a megabyte: kept off the stack
  int sampled = 0;
  int plain = 0;
  // Song index 0 is no number's; the first songs of the file in slot order, read in the asked
  // number's format.
  for (uint32_t index = 1; index < kDvdBlocks * kDvdSlotsPerBlock && sampled < kDvdSampleSongs;
       ++index) {
    const std::optional<SongRecord> song = FindValidSlot(data, DvdSongRef{index, asked->mode});
    if (!song) continue;
    ++sampled;
    const int32_t sampleNumber =
        number - static_cast<int32_t>(asked->songIndex) + static_cast<int32_t>(index);
    if (ReadsAsSong(data, *song, asked->mode, sampleNumber, codePage, PlainDvdDescrambler(),
                    *store)) {
      ++plain;
    }
  }
  return sampled > 0 && 2 * plain > sampled ? DvdReading::kPlain : DvdReading::kHeadOnly;
}

bool IsReadableLyricText(std::u16string_view text) {
  return !text.empty() && !HasUnreadable(text);
}

std::optional<DvdSongRef> DvdSongForNumber(int32_t number) {
  struct Band {
    int32_t first;  // the band's song index 1
    int mode;
  };
  static constexpr Band kBands[] = {{800002, 19}, {700002, 18}, {600002, 3},  {500002, 0},
                                    {400002, 18}, {300002, 22}, {200002, 20}, {100002, 23}};
  for (const Band& band : kBands) {
    if (number >= band.first) {
      return DvdSongRef{static_cast<uint32_t>(number - (band.first - 1)), band.mode};
    }
  }
  return std::nullopt;
}

std::u16string DvdSongTitle(std::span<const uint8_t> plain, int mode, int32_t codePage) {
  std::u16string title;
  if (plain.size() < kDvdTitleOffset) return title;
  const size_t units = std::min(kTitleUnits, (plain.size() - kDvdTitleOffset) / 4);
  const uint8_t* unit = plain.data() + kDvdTitleOffset;
  if (mode == kModeWide) {
    for (size_t i = 0; i < units; ++i, unit += 4) {
      const char16_t c = static_cast<char16_t>(unit[0] | (unit[1] << 8));
      if (c == kCr || c == kLf || (unit[0] == kCr && unit[1] == kLf)) break;
      if (i == 0 && unit[0] == '@') continue;
      if (c == 0) continue;
      title.push_back((c >= 94 && c <= 96) || c >= 123 ? Mode19TitleChar(c) : c);
    }
    return title;
  }
  std::string bytes;
  for (size_t i = 0; i < units * 4; ++i) {
    if (unit[i] == kCr || unit[i] == kLf) break;
    if (unit[i] != 0) bytes.push_back(static_cast<char>(unit[i]));
  }
  char16_t text[kTitleChars + 1];
  const size_t n = DecodeLyricText(bytes, codePage, text, kTitleChars + 1);
  title.assign(text, n);
  return title;
}

std::string BuildDvdKaraokeFile(std::span<const DvdNoteRecord> notes,
                                std::span<const uint8_t> plain, int mode) {
  std::vector<DvdEvent> events;
  AddNoteEvents(notes, events);
  AddLyricEvents(plain, events);
  std::stable_sort(events.begin(), events.end(), [](const DvdEvent& x, const DvdEvent& y) {
    return x.time != y.time ? x.time < y.time : x.order < y.order;
  });

  std::string track;
  if (mode == kModeGbk || mode == kModeWide) {
    // Tells the karaoke reader that the lyric events hold 16-bit characters.
    track += std::string("\x00\xFF\x01\x1A", 4);
    for (char c : std::string_view("@CODE=UNICODE")) {
      track.push_back(c);
      track.push_back('\0');
    }
  }
  uint32_t previous = 0;
  for (const DvdEvent& e : events) {
    // The true gap, so that pauses of 256 ticks and more keep their length.
    PutVlq(track, e.time - previous);
    previous = e.time;
    if (e.lyric) {
      PutLyric(track, e, mode);
      continue;
    }
    track.push_back(static_cast<char>(e.b[0]));
    track.push_back(static_cast<char>(e.b[1]));
    const uint8_t kind = e.b[0] & 0xF0;
    if (kind != 0xC0 && kind != 0xD0) track.push_back(static_cast<char>(e.b[2]));
  }
  track += std::string("\x00\xFF\x2F\x00", 4);

  std::string out("MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00", 13);
  out.push_back(static_cast<char>(kTicksPerQuarter));
  out += "MTrk";
  const auto length = static_cast<uint32_t>(track.size());
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<char>((length >> shift) & 0xFF));
  return out + track;
}

int32_t ExtractDvdSong(int32_t number, const std::string& folder, const std::string& dataFile,
                       int32_t codePage, std::u16string& title, const DvdDescrambler& descrambler) {
  return Extract(number, folder, dataFile, codePage, title, descrambler, true);
}

int32_t LookUpDvdSongTitle(int32_t number, const std::string& folder, const std::string& dataFile,
                           int32_t codePage, std::u16string& title,
                           const DvdDescrambler& descrambler) {
  return Extract(number, folder, dataFile, codePage, title, descrambler, false);
}

}  // namespace lyrovox

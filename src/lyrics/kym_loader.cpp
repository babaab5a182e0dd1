// Fills the lyric store from the lyric block of a KYM song: lines of code page 949
// text after "LTAG", one 23-byte timing record per word after the "STAG" record, the title and
// singer in the trailer that follows the "ITAG" record.

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "lyrics/file_bytes.h"
#include "lyrics/lyric_store.h"
#include "lyrics/text_encoding.h"

namespace lyrovox {

namespace {

constexpr size_t kTailBytes = 20000;
constexpr size_t kLineBytes = 24;
constexpr size_t kWordBytes = 23;
constexpr size_t kMaxLines = 300;
constexpr int32_t kKymCodePage = 949;
constexpr size_t kWordUnits = 24;    // a word is cut to 23 units
constexpr size_t kTitleUnits = 24;   // 23 units
constexpr size_t kArtistUnits = 20;  // 19 units

using Bytes = std::string_view;

// Whether `mark` occurs in the record read as text: up to its first zero byte, and never past
// the record, even when it holds no zero byte.
bool RecordHolds(Bytes record, Bytes mark) {
  const size_t zero = record.find('\0');
  if (zero != Bytes::npos) record = record.substr(0, zero);
  return record.find(mark) != Bytes::npos;
}

void FillKym(LyricStore& store, Bytes buffer) {
  store.title[0] = 0;
  store.artist[0] = 0;
  store.count = 0;
  store.utf8Text = false;

  const size_t ltag = buffer.find("LTAG");
  if (ltag == Bytes::npos) return;

  // Lines: 24-byte records up to the one that holds "STAG"; the words start 8 bytes after it.
  // After the 300th line the words are taken to start right after it, as the format says, even
  // when a "STAG" record follows there.
  std::vector<Bytes> lines;
  size_t p = ltag + 4;
  size_t wordsAt = Bytes::npos;
  while (p + kLineBytes <= buffer.size()) {
    const Bytes record = buffer.substr(p, kLineBytes);
    if (RecordHolds(record, "STAG")) {
      wordsAt = p + 8;
      break;
    }
    lines.push_back(record);
    p += kLineBytes;
    if (lines.size() == kMaxLines) {
      wordsAt = p;
      break;
    }
  }
  // Lines that run past the bytes read end the block: there are no word records.
  if (wordsAt == Bytes::npos) return;

  // The words first, so that their text can decide the code page before any is decoded.
  struct Word {
    char bytes[kLineBytes + 1];
    size_t size;
    int32_t timeMs;
    int32_t lineBreak;
  };
  std::vector<Word> words;
  int32_t previousTime = 0;
  size_t trailer = Bytes::npos;
  for (p = wordsAt; p + kWordBytes <= buffer.size(); p += kWordBytes) {
    const Bytes record = buffer.substr(p, kWordBytes);
    if (RecordHolds(record, "ITAG")) {
      trailer = p;
      break;
    }
    const auto* r = reinterpret_cast<const uint8_t*>(record.data());
    const uint32_t time = r[0] | (r[1] << 8) | (r[2] << 16) | (uint32_t{r[3]} << 24);
    const size_t start = r[4];
    const size_t length = r[5];
    const size_t line = r[10];
    // A record that points past the lines read or past its line's 24 bytes adds nothing.
    if ((start != 0 || length != 0) && line < lines.size() && start + length <= kLineBytes) {
      const Bytes text = lines[line];
      Word& word = words.emplace_back();
      std::memcpy(word.bytes, text.data() + start, length);
      word.size = length;
      if (start + length < kLineBytes && text[start + length] == ' ') word.bytes[word.size++] = ' ';
      word.timeMs = previousTime;
      word.lineBreak = start == 0 ? 1 : 0;
    }
    // The record's time is when the next word starts. Times beyond int32 are held at its limit.
    previousTime = time > INT32_MAX ? INT32_MAX : static_cast<int32_t>(time);
    if (record.substr(19, 4) == "ITAG") {
      trailer = p + kWordBytes;
      break;
    }
  }

  // The trailer: the title 10 bytes in, the singer 130 bytes in, each cut at the bytes read.
  auto field = [&](size_t at, size_t size) {
    if (trailer == Bytes::npos || at >= buffer.size()) return Bytes();
    return buffer.substr(at, std::min(size, buffer.size() - at));
  };
  const Bytes title = field(trailer + 10, 24);
  const Bytes artist = field(trailer + 130, 20);

  Utf8Evidence evidence;
  if (store.language == 0) {
    for (const Word& word : words)
      evidence.Add(Bytes(word.bytes, word.size));
    evidence.Add(title);
    evidence.Add(artist);
  }
  const int32_t codePage = CodePageForText(store.language, kKymCodePage, evidence);
  store.utf8Text = codePage != kKymCodePage;
  CodePageDecoder decoder(codePage);
  int32_t k = 0;
  for (const Word& word : words) {
    LyricSyllable& s = store.syllables[std::min(k, kMaxSyllables - 1)];
    decoder.Decode(Bytes(word.bytes, word.size), s.text, kWordUnits);
    s.timeMs = word.timeMs;
    s.lineBreak = word.lineBreak;
    s.shown = 0;
    if (k < kMaxSyllables) ++k;
  }
  store.count = k;
  if (trailer == Bytes::npos) return;
  decoder.Decode(title, store.title, kTitleUnits);
  decoder.Decode(artist, store.artist, kArtistUnits);
}

}  // namespace

void LyricStore::LoadKym(const std::string& path) {
  codePage = kKymCodePage;
  std::vector<uint8_t> bytes;
  // A file that cannot be opened gives no lyrics; a short read keeps what was read.
  const HResult result = ReadFileTail(path, kTailBytes, bytes);
  if (result != kOk && result != kFail) {
    title[0] = 0;
    artist[0] = 0;
    count = 0;
    utf8Text = false;
    return;
  }
  FillKym(*this, Bytes(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void LyricStore::LoadKymBytes(std::span<const uint8_t> bytes) {
  codePage = kKymCodePage;
  if (bytes.size() > kTailBytes) bytes = bytes.subspan(bytes.size() - kTailBytes);
  FillKym(*this, Bytes(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace lyrovox

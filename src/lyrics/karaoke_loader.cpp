// Turns the lyric events of a MIDI karaoke file into syllables of the lyric store.

#include <string_view>

#include "lyrics/karaoke_file.h"
#include "lyrics/lyric_store.h"
#include "lyrics/text_buffer.h"
#include "lyrics/text_encoding.h"

namespace lyrovox {

namespace {

constexpr std::u16string_view kUnicodeMarker = u"@CODE=UNICODE";

// Event text up to its first zero, as the zero-terminated buffers of the format are read.
template <typename CharT>
std::basic_string_view<CharT> UpToZero(const std::basic_string<CharT>& text) {
  const size_t zero = text.find(CharT(0));
  return std::basic_string_view<CharT>(text.data(), zero == text.npos ? text.size() : zero);
}

bool MarksUnicode(const KaraokeFile& file) {
  std::u16string joined;
  for (const auto& tag : file.tagLines) {
    joined += UpToZero(tag.text);
    joined += u' ';
  }
  return joined.size() >= kUnicodeMarker.size() + 1 && joined.find(kUnicodeMarker) != joined.npos;
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

void MarkFirstLineStart(LyricStore& store) {
  if (store.count > 0) store.syllables[0].lineBreak = 2;
}

void FillUnicode(LyricStore& store, const KaraokeFile& file) {
  for (const auto& tag : file.tagLines)
    TakeHeadingLine(store, UpToZero(tag.text));
  file.ForEachLyricEvent([&](const KaraokeFile::Event& e) {
    // Each lyric event of these files holds one character.
    const std::u16string_view text = UpToZero(e.text);
    AddLyricEvent(store, text.substr(0, text.empty() ? 0 : 1), file.TickToMs(e.tick), false);
  });
  MarkFirstLineStart(store);
}

void FillAnsi(LyricStore& store, const AnsiKaraokeFile& file) {
  CodePageDecoder decoder(store.codePage);
  char16_t heading[kHeadingUnits];
  for (const auto& tag : file.tagLines) {
    decoder.Decode(tag.text, heading, kHeadingUnits);
    ApplyLetterConversion(store.language, heading, kHeadingUnits);
    TakeHeadingLine(store, TextView(heading));
  }
  char16_t text[kSyllableUnits];
  file.ForEachLyricEvent([&](const AnsiKaraokeFile::Event& e) {
    decoder.Decode(e.text, text, kSyllableUnits);
    ApplyLetterConversion(store.language, text, kSyllableUnits);
    AddLyricEvent(store, TextView(text), file.TickToMs(e.tick), true);
  });
  MarkFirstLineStart(store);
}

// The UTF-16 reading first; a file whose tag lines carry no "@CODE=UNICODE" is read as 8-bit
// text instead. Both readings view the same parse, so the file is read once. A file that does
// not parse to its end yields no syllables.
void LoadParsedKar(LyricStore& store, const MidiText& midi) {
  store.Clear();
  if (midi.result != kOk) return;
  {
    const MemoryKaraokeFile wide(midi);
    if (MarksUnicode(wide)) {
      FillUnicode(store, wide);
      return;
    }
  }
  FillAnsi(store, MemoryAnsiKaraokeFile(midi));
}

}  // namespace

void LyricStore::LoadKar(const std::string& path) {
  MidiText midi;
  ParseMidiTextFile(path, midi);
  LoadParsedKar(*this, midi);
}

void LyricStore::LoadKarAnsi(const std::string& path) {
  HResult result = kOk;
  MyAnsiKaraokeFile file(path, &result);
  if (result == kOk) FillAnsi(*this, file);
}

void LyricStore::LoadKarBytes(std::span<const uint8_t> bytes) {
  MidiText midi;
  ParseMidiText(bytes, midi);
  LoadParsedKar(*this, midi);
}

}  // namespace lyrovox

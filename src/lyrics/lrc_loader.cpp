// Fills the lyric store from an LRC side file: one syllable per timed segment, the
// syllable stored last split in two when it is long, "ti" and "ar" as the heading.

#include "lyrics/lrc_file.h"
#include "lyrics/lyric_store.h"
#include "lyrics/text_buffer.h"
#include "lyrics/text_encoding.h"

namespace lyrovox {

namespace {

// The entries into the store; `put(text, dest, capacity)` turns a file text into a field.
template <typename CharT, typename Put>
void FillLrc(LyricStore& store, const BasicLrcFile<CharT>& file, Put put) {
  store.Clear();
  if (!file.title.empty()) put(file.title, store.title, kHeadingUnits);
  if (!file.artist.empty()) put(file.artist, store.artist, kHeadingUnits);
  for (const BasicLrcEntry<CharT>& entry : file.entries) {
    // A line is split once the start of the next one is known; SplitLongLine refuses when the
    // second half has no room, so nothing is written past the last syllable.
    store.count += store.SplitLongLine(store.count - 1, entry.timeMs);
    LyricSyllable& s = store.syllables[store.AppendSlot()];
    put(entry.text, s.text, kSyllableUnits);
    s.lineBreak = entry.lineBreak;
    s.timeMs = entry.timeMs;
    s.shown = 0;
    store.CountAppended();
  }
  if (store.count > 0) store.syllables[0].lineBreak = 1;
}

// A file with the UTF-8 mark is UTF-8; one without is when the language in force is 0 and
// its whole text reads as UTF-8 with at least one multi-byte character.
int32_t CodePageOf(const LyricStore& store, const LrcFile& file) {
  if (file.utf8) return kUtf8CodePage;
  return CodePageForText(store.language, store.codePage, file.textEvidence);
}

void Fill8Bit(LyricStore& store, const LrcFile& file) {
  const int32_t codePage = CodePageOf(store, file);
  CodePageDecoder decoder(codePage);
  FillLrc(store, file, [&decoder](const std::string& text, char16_t* dest, size_t capacity) {
    decoder.Decode(text, dest, capacity);
  });
  store.utf8Text = codePage != store.codePage;
}

void FillWide(LyricStore& store, const LrcFileWide& file) {
  FillLrc(store, file, [](const std::u16string& text, char16_t* dest, size_t capacity) {
    // The field ends at the text's first zero unit, as a zero-terminated copy would.
    const std::u16string_view view(text);
    CopyText(dest, capacity, view.substr(0, view.find(u'\0')));
  });
}

}  // namespace

void LyricStore::LoadLrc(const std::string& path) {
  HResult result = kOk;
  const LrcFile file = ReadLrcFile(path, &result);
  Fill8Bit(*this, file);
}

void LyricStore::LoadLrcWide(const std::string& path) {
  HResult result = kOk;
  const LrcFileWide file = ReadLrcFileWide(path, &result);
  FillWide(*this, file);
}

void LyricStore::LoadLrcBytes(std::span<const uint8_t> bytes) {
  LrcFile file;
  ParseLrc(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), file);
  Fill8Bit(*this, file);
}

void LyricStore::LoadLrcWideBytes(std::span<const uint8_t> bytes) {
  LrcFileWide file;
  ParseLrcWideBytes(bytes, file);
  FillWide(*this, file);
}

}  // namespace lyrovox

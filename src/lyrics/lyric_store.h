#pragma once

// The timed lyrics of the song that plays, whatever file they came from: a flat, time-ordered
// list of syllables plus the song's heading. Plain fixed-size data: loading a song allocates
// nothing for the lyrics themselves.

#include <cstdint>
#include <span>
#include <string>

namespace lyrovox {

inline constexpr int kMaxSyllables = 3000;
inline constexpr int kSyllableUnits = 80;  // 79 units of text and the terminator
inline constexpr int kHeadingUnits = 256;  // 255 units of text and the terminator
inline constexpr int kLineUnits = 256;     // a line taken for the screen

struct LyricSyllable {
  char16_t text[kSyllableUnits];
  int32_t lineBreak;  // 0 continues the line, 1 starts a line, 2 starts a paragraph
  int32_t timeMs;
  // 0 not yet handed to the screen, 1 handed over. While the MIDI reader runs, 1 also marks an
  // empty line start waiting for its first syllable (a placeholder).
  uint8_t shown;
};

class LyricStore {
 public:
  LyricStore();

  int32_t codePage;  // Windows code page of 8-bit lyric text; 0 = the ANSI code page
  int32_t language;  // language index 0..17 (4 = TCVN, 5 = VNI letter conversion)
  // The song's 8-bit text was found to be UTF-8 and read so instead of with codePage (language
  // 0 only; codePage itself is left as the language chose it). Cleared with the lyrics.
  bool utf8Text;
  char16_t artist[kHeadingUnits];
  char16_t title[kHeadingUnits];
  LyricSyllable syllables[kMaxSyllables];
  int32_t count;

  void Init();
  // Empties the lyrics and the heading; keeps codePage and language.
  void Clear();

  bool IsShown(int i) const;
  // Time of the first not-shown line start at or after i; 0 when there is none.
  int32_t NextLineStartTime(int i) const;
  // Appends the not-shown syllables from i up to the second line start to dest (a zero-terminated
  // buffer of destUnits units, normally kLineUnits) and marks them shown.
  void TakeLine(int i, char16_t* dest, size_t destUnits);
  // Splits a text of 41 units or more over syllables i and i + 1; returns 1 when it split.
  int32_t SplitLongLine(int i, int32_t nextTimeMs);
  // dest = src from unit `start` on, cut to destUnits - 1 units.
  static void CopyTail(char16_t* dest, size_t destUnits, const char16_t* src, size_t start);

  // MIDI karaoke files: the UTF-16 reading ("@CODE=UNICODE" files), falling back to the 8-bit one.
  void LoadKar(const std::string& path);
  // The 8-bit reading with codePage; does not clear the store first.
  void LoadKarAnsi(const std::string& path);
  // LoadKar on a file already in memory (the same reading, for fuzzing and tools).
  void LoadKarBytes(std::span<const uint8_t> bytes);
  // LRC side files: 8-bit text with codePage, and UTF-16. Each clears the store first.
  void LoadLrc(const std::string& path);
  void LoadLrcWide(const std::string& path);
  // The same readings of a file already in memory (fuzzing, tools).
  void LoadLrcBytes(std::span<const uint8_t> bytes);
  void LoadLrcWideBytes(std::span<const uint8_t> bytes);
  // XML side files with singer marks; does not clear the store first (the caller does).
  void LoadXmlLyrics(const std::string& path);
  void LoadXmlLyricsBytes(std::span<const uint8_t> bytes);
  // KYM songs: the lyric block near the end of the file, code page 949. LoadKymBytes takes the
  // whole file's bytes.
  void LoadKym(const std::string& path);
  void LoadKymBytes(std::span<const uint8_t> bytes);

  // Position for a syllable added at the end: count, clamped to the last slot of a full store.
  int32_t AppendSlot() const { return count < kMaxSyllables ? count : kMaxSyllables - 1; }
  // count + 1, never above the capacity.
  void CountAppended() {
    if (count < kMaxSyllables) ++count;
  }
};

}  // namespace lyrovox

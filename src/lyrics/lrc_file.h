#pragma once

// LRC side files: time-tagged lyric lines, as 8-bit text (ReadLrcFile) or UTF-16
// (ReadLrcFileWide). The parse keeps the file's own characters; turning 8-bit text into UTF-16
// and filling the lyric store is LyricStore::LoadLrc / LoadLrcWide.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lyrics/hresult.h"
#include "lyrics/text_encoding.h"

namespace lyrovox {

// A title or artist value is cut to this length, never inside a character: a UTF-8 sequence of
// a text that reads as UTF-8, or a UTF-16 surrogate pair.
inline constexpr size_t kLrcHeadingChars = 255;

template <typename CharT>
struct BasicLrcEntry {
  std::basic_string<CharT> text;  // one timed segment; a line's last one ends in a space
  int32_t timeMs = 0;             // never negative
  // 0 continues a line (and the file's first entry), 1 starts a line, 2 starts a line after
  // empty or tag-only lines.
  int32_t lineBreak = 0;
};

template <typename CharT>
struct BasicLrcFile {
  std::basic_string<CharT> title;   // the last "ti" tag, at most 255 characters
  std::basic_string<CharT> artist;  // the last "ar" tag, at most 255 characters
  std::vector<BasicLrcEntry<CharT>> entries;
  bool utf8 = false;  // 8-bit text that began with the UTF-8 byte-order mark
  // Whether the 8-bit text reads as UTF-8, judged on the whole text before any field is cut.
  Utf8Evidence textEvidence;
};

using LrcEntry = BasicLrcEntry<char>;
using LrcFile = BasicLrcFile<char>;
using LrcEntryWide = BasicLrcEntry<char16_t>;
using LrcFileWide = BasicLrcFile<char16_t>;

// Result of a parse that reached the end of its text.
inline constexpr HResult kLrcParsed = 1;
// Result of a parse that met a malformed item: the rest of the item's line was skipped and
// reading went on at the next line feed.
inline constexpr HResult kLrcStopped = 0;

// The LRC grammar over a whole text: kLrcParsed or kLrcStopped. The 8-bit text may begin with
// the UTF-8 byte-order mark, which is skipped and noted in `utf8`. Inside a timed text, a
// bracketed item that is neither a time nor an ID tag (a reading annotation: 漢<かん>字) is
// dropped alone and the text reads on.
HResult ParseLrc(std::string_view text, LrcFile& out);
HResult ParseLrcWide(std::u16string_view text, LrcFileWide& out);
// The UTF-16 reading of a file's bytes: little-endian units (an odd last byte is dropped), a
// first unit 0xFEFF skipped.
HResult ParseLrcWideBytes(std::span<const uint8_t> bytes, LrcFileWide& out);

// Reads and parses a file. *result: kLrcParsed, kLrcStopped, kFail when the file was not read
// completely, or the system error of a failed open or size query; no entries unless it was read.
LrcFile ReadLrcFile(const std::string& path, HResult* result);
LrcFileWide ReadLrcFileWide(const std::string& path, HResult* result);

}  // namespace lyrovox

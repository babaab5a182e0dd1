#pragma once

// Songs of a MIDI karaoke DVD: one data file (HOTDOG00.DAT or NEWTON00.DAT) holds every song's
// note records and lyric block. A six-digit song number picks a band, a song slot and a format
// mode; the song is written as "N.lpd" (its lyric block) and "N.kar" (a format-0 MIDI karaoke
// file) into a folder, normally the temporary folder.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lyrovox {

inline constexpr int32_t kDvdNoSong = -1;
// The data file's slot table and the limits of a valid song slot.
inline constexpr size_t kDvdBlockListOffset = 512;
inline constexpr uint32_t kDvdBlocks = 256;
inline constexpr uint32_t kDvdSlotsPerBlock = 256;
inline constexpr size_t kDvdTitleOffset = 64;

// Turns a stored lyric block back into the plain one. Contract: given the stored bytes (the
// lyric block, B + 4 bytes from the song record's offset 8), the mode and the song number, it
// leaves in `plain` either exactly stored.size() bytes whose first 4 equal the stored ones, or
// only those 4 bytes when it cannot de-scramble the block. Output breaking the contract is
// treated as "cannot".
class DvdDescrambler {
 public:
  virtual ~DvdDescrambler() = default;
  virtual void Descramble(std::span<const uint8_t> stored, int mode, int32_t number,
                          std::vector<uint8_t>& plain) const = 0;
};

// For blocks stored scrambled: no key data is known, so it gives the 4 head bytes only (the song
// then plays without lyrics).
const DvdDescrambler& ShippedDvdDescrambler();
// For blocks stored unscrambled: the stored bytes as they are.
const DvdDescrambler& PlainDvdDescrambler();

// The two readings of a data file's lyric blocks.
enum class DvdReading {
  kHeadOnly,  // ShippedDvdDescrambler: the songs play without lyrics or titles
  kPlain,     // PlainDvdDescrambler
};
const DvdDescrambler& DescramblerFor(DvdReading reading);

// Which reading gives the data file's songs, for the format that the band of `number` reads
// them with: plain when most of the file's first songs (up to kDvdSampleSongs, in slot order)
// read plain as a MIDI karaoke file with a readable title and readable lyrics; otherwise no
// reading gives songs with text, and the head-only one keeps garbage off the screen. The same
// data file always gives the same answer, whichever of its songs is asked for.
inline constexpr int kDvdSampleSongs = 8;
DvdReading DetectDvdReading(const std::string& dataFile, int32_t number, int32_t codePage);

struct DvdSongRef {
  uint32_t songIndex = 0;
  int mode = 0;
  uint32_t block() const { return songIndex / kDvdSlotsPerBlock; }
  uint32_t slot() const { return songIndex % kDvdSlotsPerBlock; }
};

// The band of a song number; nullopt below 100002.
std::optional<DvdSongRef> DvdSongForNumber(int32_t number);

// Writes "folder/N.lpd" and "folder/N.kar" and gives the song's title (at most 64 units).
// Returns N, or -1 when N has no band, its slot is not valid or the files cannot be written.
int32_t ExtractDvdSong(int32_t number, const std::string& folder, const std::string& dataFile,
                       int32_t codePage, std::u16string& title, const DvdDescrambler& descrambler);
// The same, writing only "folder/N.lpd".
int32_t LookUpDvdSongTitle(int32_t number, const std::string& folder, const std::string& dataFile,
                           int32_t codePage, std::u16string& title,
                           const DvdDescrambler& descrambler);

// The pieces, for tests and tools.
// Whether a text would show as it should: no control characters, no replacement characters,
// no unpaired surrogates; empty text is not readable.
bool IsReadableLyricText(std::u16string_view text);
// The song's title from a plain lyric block.
std::u16string DvdSongTitle(std::span<const uint8_t> plain, int mode, int32_t codePage);
struct DvdNoteRecord {
  uint8_t delta = 0;
  uint8_t duration = 0;
  uint8_t b2 = 0;
  uint8_t b3 = 0;
  uint8_t b4 = 0;
};
// The MIDI karaoke file of a song's note records and plain lyric block.
std::string BuildDvdKaraokeFile(std::span<const DvdNoteRecord> notes,
                                std::span<const uint8_t> plain, int mode);

}  // namespace lyrovox

#pragma once

// Songs of every kind the player opens, for the benchmarks that play them through the program:
// MIDI karaoke, MP3 with an LRC or a CD+G side file, a zip archive (MP3 and CD+G), KYM (MP3 with
// its lyric block) and a small MPEG video song. The media are made once; each song is a copy.

#include <string>

namespace lyrovox::bench {

enum class SongKind { kKar = 0, kMp3Lrc = 1, kMp3Cdg = 2, kZip = 3, kMpg = 4, kKym = 5 };
inline constexpr int kSongKinds = 6;

class SongKinds {
 public:
  // Makes the media of songs about `seconds` long in folder/base. False when they cannot be made.
  bool Make(const std::string& folder, int seconds);
  // Writes a song of the kind as stem plus its extension (and its side file); returns its path,
  // empty when it could not be written.
  std::string Write(SongKind kind, const std::string& stem) const;

 private:
  std::string kar_;
  std::string mp3_;
  std::string cdg_;
  std::string lrc_;
  std::string zip_;
  std::string mpg_;
  std::string kym_;
};

}  // namespace lyrovox::bench

#include "song_kinds.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <fstream>

#include "common/cdg_builder.h"
#include "common/kym_builder.h"
#include "common/smf_builder.h"
#include "common/zip_builder.h"
#include "media_fixtures.h"

namespace lyrovox::bench {

namespace {

std::string Read(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll().toStdString();
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  return static_cast<bool>(out);
}

// Two syllables a second on one note each, a new line every four.
std::string KaraokeSong(int seconds) {
  smf::File file(1, 480);
  auto& track = file.AddTrack();
  track.Tempo(0, 500000).Text(0, "@TBench Song").Program(0, 0, 0);
  for (uint32_t beat = 0; beat < static_cast<uint32_t>(2 * seconds); ++beat) {
    track.Text(beat * 480, beat % 4 == 0 ? "\\La " : "la ");
    track.Note(beat * 480, 480, 0, static_cast<uint8_t>(60 + beat % 12), 100);
  }
  return file.Encode();
}

// The MP3 with a KYM lyric block after it: a word a second, four words a line.
std::string KymSong(const std::string& mp3, int seconds) {
  kym::File file;
  file.Audio(mp3).Title("Bench KYM").Artist("Bench");
  const int lines = (seconds + 3) / 4;
  for (int line = 0; line < lines; ++line) {
    file.Line("la la la la");
  }
  for (int word = 0; word < seconds; ++word) {
    file.AddWord({static_cast<uint32_t>(1000 * (word + 1)), static_cast<uint8_t>(3 * (word % 4)), 2,
                  static_cast<uint8_t>(word / 4)});
  }
  return file.Encode();
}

}  // namespace

bool SongKinds::Make(const std::string& folder, int seconds) {
  const std::string base = folder + "/base";
  QDir().mkpath(QString::fromStdString(base));
  const bool made = testing::MakeToneFile(base + "/tone.mp3", seconds, 440, "lamemp3enc") &&
                    testing::MakeMpg(base + "/clip.mpg", seconds, 330);
  if (!made) return false;
  mp3_ = Read(base + "/tone.mp3");
  mpg_ = Read(base + "/clip.mpg");
  cdg_ = cdg::SongStream(300 * seconds);
  lrc_ = "[ti:Bench LRC]\n[00:00.50]One line\n[00:01.50]Another line\n";
  ziptest::WriteZip(base + "/song.zip", {{"song.mp3", mp3_}, {"song.cdg", cdg_}});
  zip_ = Read(base + "/song.zip");
  kar_ = KaraokeSong(seconds);
  kym_ = KymSong(mp3_, seconds);
  return !mp3_.empty() && !mpg_.empty() && !zip_.empty();
}

std::string SongKinds::Write(SongKind kind, const std::string& stem) const {
  std::string path;
  bool written = false;
  switch (kind) {
    case SongKind::kKar:
      written = WriteFile(path = stem + ".kar", kar_);
      break;
    case SongKind::kMp3Lrc:
      written = WriteFile(path = stem + ".mp3", mp3_) && WriteFile(stem + ".lrc", lrc_);
      break;
    case SongKind::kMp3Cdg:
      written = WriteFile(path = stem + ".mp3", mp3_) && WriteFile(stem + ".cdg", cdg_);
      break;
    case SongKind::kZip:
      written = WriteFile(path = stem + ".zip", zip_);
      break;
    case SongKind::kMpg:
      written = WriteFile(path = stem + ".mpg", mpg_);
      break;
    case SongKind::kKym:
      written = WriteFile(path = stem + ".kym", kym_);
      break;
  }
  return written ? path : std::string();
}

}  // namespace lyrovox::bench

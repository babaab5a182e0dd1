// bench_song_kinds: writes one song of each kind the player opens into a folder, for the
// measurements that play them in lyrovox-play (bench/measure_song_start).
//
//   bench_song_kinds DIR [SECONDS]     (default 6)
//
// Prints one line per song: its kind's name, a tab and its path.

#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "song_kinds.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s DIR [SECONDS]\n", argv[0]);
    return 2;
  }
  QCoreApplication app(argc, argv);
  const std::string folder = argv[1];
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 6;
  if (seconds < 1 || seconds > 600 || !QDir().mkpath(QString::fromStdString(folder))) {
    std::fprintf(stderr, "%s: bad folder or seconds\n", argv[0]);
    return 2;
  }
  using lyrovox::bench::SongKind;
  lyrovox::bench::SongKinds media;
  if (!media.Make(folder, seconds)) {
    std::fprintf(stderr, "%s: the media could not be made\n", argv[0]);
    return 1;
  }
  const struct {
    SongKind kind;
    const char* name;
    const char* stem;
  } kSongs[] = {
      {SongKind::kKar, "kar", "KAR Song"},        {SongKind::kMp3Lrc, "mp3-lrc", "LRC Song"},
      {SongKind::kMp3Cdg, "mp3-cdg", "CDG Song"}, {SongKind::kZip, "zip", "Zip Song"},
      {SongKind::kKym, "kym", "KYM Song"},        {SongKind::kMpg, "mpg", "Video Song"}};
  for (const auto& song : kSongs) {
    const std::string path = media.Write(song.kind, folder + "/" + song.stem);
    if (path.empty()) return 1;
    std::printf("%s\t%s\n", song.name, path.c_str());
  }
  return 0;
}

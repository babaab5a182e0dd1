// The program playing many short songs of every kind back to back through the reserved list, at
// speed 2.0, the way a long evening plays them: every song must start and end, nothing may get
// stuck, and memory, open files and threads must not grow.
//
//   bench_soak [SONGS] [SECONDS] [KINDS]   (defaults 200, 3 and 01234; run under a display, e.g.
//                                           xvfb-run; KINDS picks of 0 KAR, 1 MP3+LRC,
//                                           2 MP3+CD+G, 3 zip, 4 MPEG video, 5 KYM)
//
// Prints "key: value" lines; see the README (Benchmarks).

#include <dirent.h>

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/program.h"
#include "controller/main_frame.h"
#include "song_kinds.h"
#include "support/temp_dir.h"

namespace {

using namespace lyrovox;

// Resident memory in kB, or the peak of it.
long StatusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string key = std::string(field) + ":";
  while (std::getline(status, line)) {
    if (line.rfind(key, 0) == 0) return std::stol(line.substr(key.size()));
  }
  return -1;
}

int OpenFiles() {
  int n = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (readdir(dir) != nullptr)
      ++n;
    closedir(dir);
  }
  return n - 3;  // ".", ".." and the listing's own descriptor
}

// The songs: the kinds given in turn, each a copy of one generated file (with its side file).
QStringList MakeSongs(const std::string& folder, int songs, int seconds, const std::string& kinds) {
  bench::SongKinds media;
  if (!media.Make(folder, seconds)) return {};
  QStringList paths;
  for (int i = 0; i < songs; ++i) {
    const int kind = kinds[static_cast<size_t>(i) % kinds.size()] - '0';
    const std::string path =
        media.Write(static_cast<bench::SongKind>(std::clamp(kind, 0, bench::kSongKinds - 1)),
                    folder + "/song" + std::to_string(1000 + i));
    if (path.empty()) return {};
    paths << QString::fromStdString(path);
  }
  return paths;
}

}  // namespace

int main(int argc, char** argv) {
  const int songs = argc > 1 ? std::max(10, std::atoi(argv[1])) : 200;
  const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  const std::string kinds = argc > 3 ? argv[3] : "01234";
  qputenv("LYROVOX_AUDIO_SINK", "fakesink sync=true");
  QApplication app(argc, argv);
  testing::TempDir dir;
  const QStringList paths = MakeSongs(dir.path(), songs, seconds, kinds);
  if (paths.isEmpty()) {
    std::fprintf(stderr, "bench_soak: the songs could not be made\n");
    return 1;
  }

  ProgramOptions options;
  options.profilePath = QString::fromStdString(dir.path() + "/LyroVox.conf");
  options.dataFolder = QString::fromStdString(dir.path() + "/data");
  options.systemTemp = QString::fromStdString(dir.path());
  options.programFolder = QCoreApplication::applicationDirPath() + "/../bin";
  options.splash = false;
  options.ctrlHeld = false;
  Program program(options);
  if (!program.Start()) return 1;
  CMainFrame& frame = program.frame();

  std::vector<long> rssTrail;  // every 20th song's start
  int started = 0;
  int ended = 0;
  long rssAt10 = 0;
  long rssAtLast = 0;
  int filesAt10 = 0;
  int threadsAt10 = 0;
  bool stuck = false;
  QElapsedTimer clock;
  clock.start();
  QTimer watchdog;
  watchdog.setSingleShot(true);
  watchdog.setInterval(seconds * 1000 + 20000);
  QObject::connect(&watchdog, &QTimer::timeout, [&] {
    stuck = true;
    QCoreApplication::quit();
  });
  QObject::connect(&frame, &CMainFrame::SongStarted, [&] {
    ++started;
    watchdog.start();
    // Every new graph starts at speed 1.0: twenty steps of 0.05 make it 2.0.
    QTimer::singleShot(0, &frame, [&] {
      for (int step = 0; step < 20; ++step)
        frame.SpeedUp();
    });
    if (started % 20 == 0) rssTrail.push_back(StatusKb("VmRSS"));
    // The last song starts in the same state as the tenth (the kinds come round in turn).
    if (started == songs) rssAtLast = StatusKb("VmRSS");
    if (started == 10) {
      rssAt10 = StatusKb("VmRSS");
      filesAt10 = OpenFiles();
      threadsAt10 = static_cast<int>(StatusKb("Threads"));
    }
  });
  QObject::connect(&frame, &CMainFrame::SongEnded, [&] {
    ++ended;
    watchdog.start();
    if (ended == songs) QTimer::singleShot(500, [] { QCoreApplication::quit(); });
  });
  frame.OpenFiles(paths);
  watchdog.start();
  QApplication::exec();

  const long rssAtEnd = StatusKb("VmRSS");
  std::printf("songs: %d\nstarted: %d\nended: %d\nstuck: %d\nseconds: %.1f\n", songs, started,
              ended, stuck ? 1 : 0, clock.elapsed() / 1000.0);
  std::printf(
      "rssAt10Kb: %ld\nrssAtLastKb: %ld\nrssGrowthKb: %ld\nrssAtEndKb: %ld\npeakRssKb: %ld\n",
      rssAt10, rssAtLast, rssAtLast - rssAt10, rssAtEnd, StatusKb("VmHWM"));
  std::printf("rssEvery20Kb:");
  for (long kb : rssTrail)
    std::printf(" %ld", kb);
  std::printf("\nopenFilesAt10: %d\nopenFilesAtEnd: %d\nthreadsAt10: %d\nthreadsAtEnd: %ld\n",
              filesAt10, OpenFiles(), threadsAt10, StatusKb("Threads"));
  program.Shutdown();
  return started == songs && ended == songs && !stuck ? 0 : 1;
}

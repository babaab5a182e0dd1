// bench_effects SONG [--realtime] [--rounds N]
//
// What the singer's effects cost while a song plays: the audio player plays SONG to its end
// without effects, with the key two semitones up, with vocal reduction and with both, in turns
// (N rounds, 3 by default), and for each the program's processor time (every thread: decoding,
// the effects, the sink) is set against the song's length. One line per variant: the median of
// its rounds in percent of one core, and what it adds to the song played without effects.
//
// The sound goes to a fakesink: as fast as the graph runs by default (the processor time per
// second of song is the same as when it keeps time, and the run is short), or keeping time with
// --realtime.

#include <time.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "lyrics/hresult.h"
#include "media/audio_player.h"

namespace {

using lyrovox::CAudioPlayer;

struct Variant {
  const char* name;
  int key;
  bool vocals;
};

constexpr Variant kVariants[] = {
    {"none", 0, false},
    {"key +2", 2, false},
    {"vocal reduction", 0, true},
    {"key +2 and vocal reduction", 2, true},
};

double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

struct Run {
  double cpuSeconds = 0;
  double wallSeconds = 0;
  double songSeconds = 0;
};

// Plays the song once to its end with the variant's effects; false when it does not play. The
// effects go in as a singer's keys put them in: once the song has started.
bool PlayOnce(CAudioPlayer& player, QObject& receiver, const Variant& variant, Run& run) {
  const double cpu = ProcessCpuSeconds();
  QElapsedTimer wall;
  wall.start();
  if (!player.CreateGraph() || player.Open(&receiver) != lyrovox::kOk || !player.Play()) {
    return false;
  }
  // Seldom looked at once started, so that the looking costs next to nothing.
  int32_t code = 0;
  bool started = false;
  for (;;) {
    QCoreApplication::processEvents();
    if (!player.GetEvent(code) || code == 0) {
      QThread::msleep(started ? 50 : 1);
      continue;
    }
    if (code != lyrovox::kGraphEventStarted) break;
    started = true;
    if ((variant.key != 0 && !player.SetKey(variant.key)) ||
        (variant.vocals && !player.SetVocalReduction(true))) {
      code = 0;
      break;
    }
  }
  run.cpuSeconds = ProcessCpuSeconds() - cpu;
  run.wallSeconds = static_cast<double>(wall.elapsed()) / 1000.0;
  run.songSeconds = player.GetDurationMs() / 1000.0;
  player.Stop();
  player.Close();
  return code == lyrovox::kGraphEventComplete;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  std::string song;
  bool realtime = false;
  int rounds = 3;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--realtime") {
      realtime = true;
    } else if (arg == "--rounds" && i + 1 < argc) {
      rounds = std::max(1, std::atoi(argv[++i]));
    } else if (song.empty() && arg.rfind("--", 0) != 0) {
      song = arg;
    } else {
      std::fprintf(stderr, "usage: bench_effects SONG [--realtime] [--rounds N]\n");
      return 2;
    }
  }
  if (song.empty()) {
    std::fprintf(stderr, "usage: bench_effects SONG [--realtime] [--rounds N]\n");
    return 2;
  }
  setenv("LYROVOX_AUDIO_SINK", realtime ? "fakesink sync=true" : "fakesink sync=false", 1);
  QCoreApplication app(argc, argv);
  QObject receiver;
  CAudioPlayer player;
  player.SetFileName(QString::fromLocal8Bit(song.c_str()));

  constexpr size_t kCount = std::size(kVariants);
  std::vector<double> percent[kCount];
  double songSeconds = 0;
  double wallSeconds[kCount] = {};
  // In turns, so that a change in the machine's load falls on every variant alike.
  for (int r = 0; r < rounds; ++r) {
    for (size_t v = 0; v < kCount; ++v) {
      Run run;
      if (!PlayOnce(player, receiver, kVariants[v], run) || run.songSeconds <= 0) {
        std::fprintf(stderr, "bench_effects: %s does not play (%s)\n", song.c_str(),
                     kVariants[v].name);
        return 1;
      }
      songSeconds = run.songSeconds;
      wallSeconds[v] += run.wallSeconds / rounds;
      percent[v].push_back(100.0 * run.cpuSeconds / run.songSeconds);
    }
  }
  std::printf("song: %s (%.1f s)\n", song.c_str(), songSeconds);
  std::printf("sink: %s, %d rounds\n", realtime ? "keeping time" : "as fast as it goes", rounds);
  std::printf("%-28s %10s %10s %10s\n", "effects", "core %", "added %", "wall s");
  const double base = Median(percent[0]);
  for (size_t v = 0; v < kCount; ++v) {
    const double median = Median(percent[v]);
    std::printf("%-28s %10.2f %+10.2f %10.2f\n", kVariants[v].name, median, median - base,
                wallSeconds[v]);
  }
  return 0;
}

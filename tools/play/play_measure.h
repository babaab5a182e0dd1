#pragma once

// What lyrovox-play --measure reports about one song: the process's CPU time beside the wall
// time while the song plays, how regularly frames were presented, and for every syllable the lag
// between its time and the first presented frame that shows it sung, on the player's clock.

#include <QElapsedTimer>
#include <QString>
#include <cstdint>
#include <iosfwd>
#include <vector>

namespace lyrovox {

class LyricStore;

class PlayMeasure {
 public:
  // The lag beyond which a syllable counts as late: one tick of the lyric timer.
  static constexpr int32_t kTickMs = 30;

  // The song starts now.
  void Begin();
  // A frame was presented at positionMs of the playing player's clock, showing the first
  // `sungCount` syllables of store as sung.
  void OnPresent(const LyricStore& store, int32_t sungCount, int32_t positionMs);
  // The song is over (its end event, or the window closed).
  void End();

  struct Summary {
    double seconds = 0;
    double cpuSeconds = 0;
    double cpuPercent = 0;  // of one core
    int frames = 0;
    int64_t presentGapWorstMs = 0;
    int syllables = 0;  // syllables seen sung
    int32_t lagMedianMs = 0;
    int32_t lagWorstMs = 0;
    int lagOverTick = 0;  // syllables shown more than one tick late
  };
  Summary Summarize() const;
  // The summary as "key: value" lines (the format is documented in the README).
  void Print(std::ostream& out) const;

 private:
  QElapsedTimer wall_;
  double cpuAtBegin_ = 0;
  double cpuSeconds_ = 0;
  double seconds_ = 0;
  bool running_ = false;
  int frames_ = 0;
  int64_t lastPresentMs_ = -1;
  int64_t presentGapWorstMs_ = 0;
  int32_t nextSyllable_ = 0;
  std::vector<int32_t> lags_;
};

// CPU time of the whole process (every thread) so far, in seconds.
double ProcessCpuSeconds();

}  // namespace lyrovox

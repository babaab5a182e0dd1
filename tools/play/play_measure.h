#pragma once

// What lyrovox-play --measure reports about one song: the process's CPU time beside the wall
// time, how regularly frames were presented and the picture under them changed, from just before
// the song is opened until a while after it ended (so the song's start and end are in it), and
// for every syllable the lag between its time and the first presented frame that shows it sung,
// on the player's clock.

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
  // The song's start: the first this many milliseconds after Begin.
  static constexpr int64_t kStartSpanMs = 2000;
  // How long the measurement goes on after the song's end (the background comes back).
  static constexpr int kTailMs = 1000;

  // Measuring starts: the song is about to be opened.
  void Begin();
  // The call that opened the song took this long on the user-interface thread.
  void SetOpenMs(int64_t ms) { openMs_ = ms; }
  // A frame was presented at positionMs of the playing player's clock, showing the first
  // `sungCount` syllables of store as sung.
  void OnPresent(const LyricStore& store, int32_t sungCount, int32_t positionMs);
  // The video area painted a picture it had not painted before.
  void OnPicture();
  // The song is over (its end event, or the window closed): the time and CPU stop here; the gaps
  // go on being measured until End.
  void SongEnded();
  void End();
  bool measuring() const { return running_; }

  struct Summary {
    double seconds = 0;
    double cpuSeconds = 0;
    double cpuPercent = 0;  // of one core
    int frames = 0;
    int64_t presentGapWorstMs = 0;
    int64_t openMs = 0;
    int64_t startGapMs = 0;  // the longest present gap ending in the song's start
    int64_t endGapMs = 0;    // the longest present gap ending after the song's end
    int pictures = 0;
    int64_t pictureGapWorstMs = 0;
    int syllables = 0;  // syllables seen sung
    int32_t lagMedianMs = 0;
    int32_t lagWorstMs = 0;
    int lagOverTick = 0;  // syllables shown more than one tick late
  };
  Summary Summarize() const;
  // The summary as "key: value" lines (the format is documented in the README).
  void Print(std::ostream& out) const;

 private:
  // The time since Begin in milliseconds, and the gap to the previous event of a kind.
  int64_t Now() const { return wall_.elapsed(); }

  QElapsedTimer wall_;
  double cpuAtBegin_ = 0;
  double cpuSeconds_ = 0;
  double seconds_ = 0;
  bool running_ = false;
  bool songOver_ = false;
  int64_t endedAtMs_ = -1;
  int frames_ = 0;
  int64_t lastPresentMs_ = 0;
  int64_t presentGapWorstMs_ = 0;
  int64_t openMs_ = 0;
  int64_t startGapMs_ = 0;
  int64_t endGapMs_ = 0;
  int pictures_ = 0;
  int64_t lastPictureMs_ = 0;
  int64_t pictureGapWorstMs_ = 0;
  int32_t nextSyllable_ = 0;
  std::vector<int32_t> lags_;
};

// CPU time of the whole process (every thread) so far, in seconds.
double ProcessCpuSeconds();

}  // namespace lyrovox

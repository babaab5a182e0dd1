#include "play/play_measure.h"

#include <sys/resource.h>

#include <algorithm>
#include <ostream>

#include "lyrics/lyric_store.h"

namespace lyrovox {

double ProcessCpuSeconds() {
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void PlayMeasure::Begin() {
  wall_.start();
  cpuAtBegin_ = ProcessCpuSeconds();
  running_ = true;
}

void PlayMeasure::OnPresent(const LyricStore& store, int32_t sungCount, int32_t positionMs) {
  if (!running_) return;
  ++frames_;
  const int64_t now = Now();
  const int64_t gap = now - lastPresentMs_;
  lastPresentMs_ = now;
  presentGapWorstMs_ = std::max(presentGapWorstMs_, gap);
  if (now <= kStartSpanMs) startGapMs_ = std::max(startGapMs_, gap);
  if (songOver_) endGapMs_ = std::max(endGapMs_, gap);
  if (songOver_) return;  // the lyrics are the song's
  const int32_t count = std::min<int32_t>(std::min(sungCount, store.count), kMaxSyllables);
  for (; nextSyllable_ < count; ++nextSyllable_) {
    lags_.push_back(positionMs - store.syllables[nextSyllable_].timeMs);
  }
}

void PlayMeasure::OnPicture() {
  if (!running_) return;
  ++pictures_;
  const int64_t now = Now();
  pictureGapWorstMs_ = std::max(pictureGapWorstMs_, now - lastPictureMs_);
  lastPictureMs_ = now;
}

void PlayMeasure::SongEnded() {
  if (!running_ || songOver_) return;
  songOver_ = true;
  endedAtMs_ = Now();
  seconds_ = static_cast<double>(wall_.nsecsElapsed()) / 1e9;
  cpuSeconds_ = ProcessCpuSeconds() - cpuAtBegin_;
}

void PlayMeasure::End() {
  if (!running_) return;
  SongEnded();
  running_ = false;
  // The time since the last frame and picture counts as a gap too.
  const int64_t now = Now();
  presentGapWorstMs_ = std::max(presentGapWorstMs_, now - lastPresentMs_);
  endGapMs_ = std::max(endGapMs_, now - lastPresentMs_);
  pictureGapWorstMs_ = std::max(pictureGapWorstMs_, now - lastPictureMs_);
}

PlayMeasure::Summary PlayMeasure::Summarize() const {
  Summary s;
  s.seconds = seconds_;
  s.cpuSeconds = cpuSeconds_;
  s.cpuPercent = seconds_ > 0 ? 100.0 * cpuSeconds_ / seconds_ : 0;
  s.frames = frames_;
  s.presentGapWorstMs = presentGapWorstMs_;
  s.openMs = openMs_;
  s.startGapMs = startGapMs_;
  s.endGapMs = endGapMs_;
  s.pictures = pictures_;
  s.pictureGapWorstMs = pictureGapWorstMs_;
  s.syllables = static_cast<int>(lags_.size());
  if (!lags_.empty()) {
    std::vector<int32_t> sorted = lags_;
    std::sort(sorted.begin(), sorted.end());
    s.lagMedianMs = sorted[sorted.size() / 2];
    s.lagWorstMs = sorted.back();
    s.lagOverTick = static_cast<int>(
        std::count_if(sorted.begin(), sorted.end(), [](int32_t lag) { return lag > kTickMs; }));
  }
  return s;
}

void PlayMeasure::Print(std::ostream& out) const {
  const Summary s = Summarize();
  char line[96];
  std::snprintf(line, sizeof line, "seconds: %.2f\n", s.seconds);
  out << line;
  std::snprintf(line, sizeof line, "cpuSeconds: %.2f\n", s.cpuSeconds);
  out << line;
  std::snprintf(line, sizeof line, "cpuPercent: %.1f\n", s.cpuPercent);
  out << line;
  out << "frames: " << s.frames << '\n';
  out << "presentGapWorstMs: " << s.presentGapWorstMs << '\n';
  out << "openMs: " << s.openMs << '\n';
  out << "startGapMs: " << s.startGapMs << '\n';
  out << "endGapMs: " << s.endGapMs << '\n';
  out << "pictures: " << s.pictures << '\n';
  out << "pictureGapWorstMs: " << s.pictureGapWorstMs << '\n';
  out << "syllables: " << s.syllables << '\n';
  out << "lagMedianMs: " << s.lagMedianMs << '\n';
  out << "lagWorstMs: " << s.lagWorstMs << '\n';
  out << "lagOverTick: " << s.lagOverTick << '\n';
}

}  // namespace lyrovox

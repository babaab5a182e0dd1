#pragma once

// Media the tests make with GStreamer, the capture of what reaches the audio sink, and waiting
// with the Qt event loop running.

#include <gst/gst.h>

#include <QEvent>
#include <QObject>
#include <QThread>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "controller/ports.h"

namespace lyrovox::testing {

// Runs a gst-launch description to its end; false on an error or after timeoutMs.
bool RunPipeline(const std::string& description, int timeoutMs = 30000);

// A sine tone file written through an encoder description, e.g. "lamemp3enc ! id3v2mux".
bool MakeToneFile(const std::string& path, double seconds, int frequency,
                  const std::string& encoder);
// A stereo 16-bit WAV file with one function per channel (sample index to value).
bool WriteStereoWav(const std::string& path, int rate, int frames,
                    const std::function<int16_t(int)>& left,
                    const std::function<int16_t(int)>& right);
// The interleaved 16-bit samples of a PCM WAV file (all that follows the "data" chunk's header
// when its size is missing), with its rate and channels; empty when it is no such file.
std::vector<int16_t> ReadWav(const std::string& path, int* rate = nullptr, int* channels = nullptr);
// An MPEG program stream with MPEG-2 video (320 x 240, 25 fps), with an MPEG audio tone when
// toneHz > 0.
bool MakeMpg(const std::string& path, double seconds, int toneHz);
// Matroska file: a picture and two audio tracks with tones a then b, in that order.
bool MakeTwoTrackMkv(const std::string& path, double seconds, int a, int b);
// A MIDI file of quarter notes at 120 beats per minute lasting about the given seconds.
bool MakeMidi(const std::string& path, double seconds);
// The bytes of a MIDI karaoke song of about `seconds`: its title and one syllable a beat.
std::string KaraokeSongBytes(const std::string& title, int seconds);

// Processes Qt events until done() or timeoutMs; returns done().
bool WaitUntil(const std::function<bool()>& done, int timeoutMs);
// Processes Qt events for ms.
void Spin(int ms);

// Collects the interleaved 16-bit samples that reach the element named "capture".
class SinkCapture {
 public:
  // Attaches to the "capture" element of pipeline, now or as soon as the pipeline builds it (the
  // sound path is built while the file prerolls).
  void Attach(GstElement* pipeline);
  // The pipeline last given to Attach has a "capture" element.
  bool attached() const { return attached_; }
  std::vector<int16_t> Samples() const;
  size_t size() const;
  void Clear();
  // The segments that reached the sink, each with the number of samples captured before it
  // and the timestamp of the first buffer after it (see StreamTimeMs).
  struct Segment {
    size_t samplesBefore = 0;
    uint64_t start = 0;        // nanoseconds
    uint64_t time = 0;         // the stream time at start
    double appliedRate = 1.0;  // scaletempo gives the sink rate 1 with the speed applied
    int64_t firstPts = -1;     // -1 until a buffer came
  };
  std::vector<Segment> Segments() const;

 private:
  static GstPadProbeReturn OnBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer self);
  static GstPadProbeReturn OnEvent(GstPad* pad, GstPadProbeInfo* info, gpointer self);
  static void OnElementAdded(GstBin* bin, GstBin* sub, GstElement* element, gpointer self);
  void Probe(GstElement* sink);
  mutable std::mutex mutex_;
  std::vector<int16_t> samples_;
  std::vector<Segment> segments_;
  std::atomic<GstElement*> pipeline_{nullptr};  // compared only
  std::atomic<bool> attached_{false};
};

// The stream time (the song's own time) of a captured sample that came after a segment.
double StreamTimeMs(const SinkCapture::Segment& segment, size_t sample, int rate);
// How far a rendering is from another of the same sound, relative to that one's level: the
// square root of the energy of the difference over the energy of the reference (1e9 when the
// lengths differ or the reference is silent).
double Distance(const std::vector<int16_t>& a, const std::vector<int16_t>& b);
// Renderings of one song that took different paths are not equal sample for sample:
// FluidSynth's reverb modulates its delays on a clock that runs on from song to song, and its
// 16-bit output is dithered. They stay well below this (-20 dB); a cut note, a wrong instrument,
// level or pitch do not.
inline constexpr double kSameSound = 0.1;

// One channel of interleaved stereo, from frame `from` on.
std::vector<int16_t> Channel(const std::vector<int16_t>& stereo, int channel, size_t from = 0);
// The frequency of a tone from its rising zero crossings.
double ToneFrequency(const std::vector<int16_t>& mono, int rate);
// The largest magnitude.
int Peak(const std::vector<int16_t>& mono);
// Where sounds start in interleaved stereo, in milliseconds: each frame at which either channel
// reaches `level` for the first time after at least `quietMs` in which both stayed below
// level / 2.
std::vector<double> OnsetsMs(const std::vector<int16_t>& stereo, int rate, int level = 1000,
                             double quietMs = 40);

// Records the events posted to it, with the thread they arrived on.
class EventRecorder : public QObject {
 public:
  struct Received {
    int type;
    QThread* thread;
  };
  std::vector<Received> received;

 protected:
  bool event(QEvent* e) override;
};

// The outcome of a start asked for with Play: kGraphEventStarted (also when the player ran at
// once) or kGraphEventStartFailed, taken from the player's events; 0 when none came in time. The
// receiver forgets its notices of it, so that it records only what comes after.
int32_t AwaitStart(IMediaPlayer& player, EventRecorder& receiver, int timeoutMs = 10000);
// Open, Pause and Play as the controller calls them, then the start's outcome: true once the
// player runs.
template <class Player>
bool OpenAndRun(Player& player, EventRecorder& receiver) {
  if (player.Open(&receiver) != 0) return false;
  player.Pause();
  return player.Play() && AwaitStart(player, receiver) == kGraphEventStarted;
}

}  // namespace lyrovox::testing

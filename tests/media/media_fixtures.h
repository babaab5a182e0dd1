#pragma once

// Media the tests make with GStreamer, the capture of what reaches the audio sink, and waiting
// with the Qt event loop running.

#include <gst/gst.h>

#include <QEvent>
#include <QObject>
#include <QThread>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

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
// An MPEG program stream with MPEG-2 video (320 x 240, 25 fps), with an MPEG audio tone when
// toneHz > 0.
bool MakeMpg(const std::string& path, double seconds, int toneHz);
// Matroska file: a picture and two audio tracks with tones a then b, in that order.
bool MakeTwoTrackMkv(const std::string& path, double seconds, int a, int b);
// A MIDI file of quarter notes at 120 beats per minute lasting about the given seconds.
bool MakeMidi(const std::string& path, double seconds);

// Processes Qt events until done() or timeoutMs; returns done().
bool WaitUntil(const std::function<bool()>& done, int timeoutMs);
// Processes Qt events for ms.
void Spin(int ms);

// Collects the interleaved 16-bit samples that reach the element named "capture".
class SinkCapture {
 public:
  // Attaches to the "capture" element inside pipeline; false when there is none.
  bool Attach(GstElement* pipeline);
  std::vector<int16_t> Samples() const;
  size_t size() const;
  void Clear();

 private:
  static GstPadProbeReturn OnBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer self);
  mutable std::mutex mutex_;
  std::vector<int16_t> samples_;
};

// One channel of interleaved stereo, from frame `from` on.
std::vector<int16_t> Channel(const std::vector<int16_t>& stereo, int channel, size_t from = 0);
// The frequency of a tone from its rising zero crossings.
double ToneFrequency(const std::vector<int16_t>& mono, int rate);
// The largest magnitude.
int Peak(const std::vector<int16_t>& mono);

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

}  // namespace lyrovox::testing

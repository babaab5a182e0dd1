#include "media_fixtures.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <chrono>
#include <cmath>
#include <cstring>
#include <fstream>
#include <thread>

#include "common/smf_builder.h"
#include "lyrics/mapped_file.h"
#include "media/gst_handles.h"

namespace lyrovox::testing {

bool RunPipeline(const std::string& description, int timeoutMs) {
  if (!gst::EnsureInitialized()) return false;
  GError* raw = nullptr;
  gst::ElementPtr pipeline = gst::AdoptElement(gst_parse_launch(description.c_str(), &raw));
  gst::ErrorPtr error(raw);
  if (!pipeline || error) return false;
  if (gst_element_set_state(pipeline.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    return false;
  }
  gst::BusPtr bus(gst_element_get_bus(pipeline.get()));
  GstMessage* message =
      gst_bus_timed_pop_filtered(bus.get(), static_cast<GstClockTime>(timeoutMs) * GST_MSECOND,
                                 static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
  const bool ok = message != nullptr && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
  if (message != nullptr) gst_message_unref(message);
  gst_element_set_state(pipeline.get(), GST_STATE_NULL);
  return ok;
}

namespace {

int Buffers(double seconds, int samplesPerBuffer, int rate) {
  return static_cast<int>(std::lround(seconds * rate / samplesPerBuffer));
}

std::string Tone(double seconds, int frequency, int channels = 1) {
  return "audiotestsrc wave=sine volume=0.5 samplesperbuffer=1024 num-buffers=" +
         std::to_string(Buffers(seconds, 1024, 44100)) + " freq=" + std::to_string(frequency) +
         " ! audio/x-raw,rate=44100,channels=" + std::to_string(channels);
}

}  // namespace

bool MakeToneFile(const std::string& path, double seconds, int frequency,
                  const std::string& encoder) {
  return RunPipeline(Tone(seconds, frequency) + " ! audioconvert ! " + encoder +
                     " ! filesink location=\"" + path + "\"");
}

bool WriteStereoWav(const std::string& path, int rate, int frames,
                    const std::function<int16_t(int)>& left,
                    const std::function<int16_t(int)>& right) {
  std::ofstream out(path, std::ios::binary);
  auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
  const uint32_t bytes = static_cast<uint32_t>(frames) * 4;
  out.write("RIFF", 4);
  u32(36 + bytes);
  out.write("WAVEfmt ", 8);
  u32(16);
  u16(1);
  u16(2);
  u32(static_cast<uint32_t>(rate));
  u32(static_cast<uint32_t>(rate) * 4);
  u16(4);
  u16(16);
  out.write("data", 4);
  u32(bytes);
  for (int i = 0; i < frames; ++i) {
    const int16_t pair[2] = {left(i), right(i)};
    out.write(reinterpret_cast<const char*>(pair), 4);
  }
  return static_cast<bool>(out);
}

std::vector<int16_t> ReadWav(const std::string& path, int* rate, int* channels) {
  const MappedFile file(path);
  const std::string_view bytes(reinterpret_cast<const char*>(file.bytes().data()),
                               file.bytes().size());
  auto u32 = [&bytes](size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
      v = (v << 8) | static_cast<uint8_t>(bytes[at + static_cast<size_t>(i)]);
    return v;
  };
  auto u16 = [&bytes](size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) |
                                 (static_cast<uint8_t>(bytes[at + 1]) << 8));
  };
  if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) {
    return {};
  }
  bool pcm16 = false;
  for (size_t at = 12; at + 8 <= bytes.size();) {
    const std::string_view id = bytes.substr(at, 4);
    const uint32_t size = u32(at + 4);
    const size_t body = at + 8;
    if (id == "fmt " && body + 16 <= bytes.size()) {
      pcm16 = u16(body) == 1 && u16(body + 14) == 16;
      if (channels != nullptr) *channels = u16(body + 2);
      if (rate != nullptr) *rate = static_cast<int>(u32(body + 4));
    } else if (id == "data") {
      if (!pcm16) return {};
      const size_t n = size == 0 || size > bytes.size() - body ? bytes.size() - body : size;
      std::vector<int16_t> samples(n / 2);
      std::memcpy(samples.data(), bytes.data() + body, samples.size() * 2);
      return samples;
    }
    at = body + size + (size & 1u);
  }
  return {};
}

bool MakeMpg(const std::string& path, double seconds, int toneHz) {
  const int frames = static_cast<int>(std::lround(seconds * 25));
  std::string d = "avmux_mpeg name=mux ! filesink location=\"" + path + "\" " +
                  "videotestsrc pattern=ball num-buffers=" + std::to_string(frames) +
                  " ! video/x-raw,width=320,height=240,framerate=25/1,format=I420 ! "
                  "mpeg2enc format=3 ! mpegvideoparse ! mux. ";
  if (toneHz > 0) {
    d += Tone(seconds, toneHz) + " ! audioconvert ! avenc_mp2 ! mpegaudioparse ! mux. ";
  }
  return RunPipeline(d);
}

bool MakeTwoTrackMkv(const std::string& path, double seconds, int a, int b) {
  const int frames = static_cast<int>(std::lround(seconds * 25));
  return RunPipeline("matroskamux name=mux ! filesink location=\"" + path + "\" " +
                     "videotestsrc num-buffers=" + std::to_string(frames) +
                     " ! video/x-raw,width=160,height=120,framerate=25/1 ! jpegenc ! mux. " +
                     Tone(seconds, a, 2) + " ! audioconvert ! audio/x-raw,format=S16LE ! mux. " +
                     Tone(seconds, b, 2) + " ! audioconvert ! audio/x-raw,format=S16LE ! mux. ");
}

std::string KaraokeSongBytes(const std::string& title, int seconds) {
  smf::File file(1, 480);
  auto& track = file.AddTrack();
  track.Tempo(0, 500000).Text(0, "@T" + title).Program(0, 0, 0);
  for (uint32_t beat = 0; beat < static_cast<uint32_t>(2 * seconds); ++beat) {
    track.Text(beat * 480, beat == 0 ? "\\La " : "la ");
    track.Note(beat * 480, 480, 0, static_cast<uint8_t>(60 + beat % 12), 100);
  }
  return file.Encode();
}

bool MakeMidi(const std::string& path, double seconds) {
  smf::File file(0, 480);
  auto& track = file.AddTrack();
  track.Tempo(0, 500000).Program(0, 0, 0);
  const int beats = static_cast<int>(std::lround(seconds * 2));
  for (int i = 0; i < beats; ++i) {
    track.Note(static_cast<uint32_t>(i) * 480, 480, 0, static_cast<uint8_t>(60 + i % 12), 100);
  }
  return file.Write(path);
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

int32_t AwaitStart(IMediaPlayer& player, EventRecorder& receiver, int timeoutMs) {
  int32_t outcome = player.State() == 3 ? kGraphEventStarted : 0;
  WaitUntil(
      [&] {
        int32_t code = 0;
        while (outcome == 0 && player.GetEvent(code)) {
          if (code == kGraphEventStarted || code == kGraphEventStartFailed) outcome = code;
        }
        return outcome != 0;
      },
      timeoutMs);
  receiver.received.clear();
  return outcome;
}

void Spin(int ms) {
  WaitUntil([] { return false; }, ms);
}

void SinkCapture::Attach(GstElement* pipeline) {
  attached_ = false;
  pipeline_ = pipeline;
  if (pipeline == nullptr) return;
  g_signal_connect(pipeline, "deep-element-added", G_CALLBACK(&SinkCapture::OnElementAdded), this);
  gst::ElementPtr sink(gst_bin_get_by_name(GST_BIN(pipeline), "capture"));
  if (sink) Probe(sink.get());
}

void SinkCapture::OnElementAdded(GstBin* bin, GstBin*, GstElement* element, gpointer self) {
  auto* capture = static_cast<SinkCapture*>(self);
  // Only the pipeline attached last counts; an earlier one may still be going down.
  if (GST_ELEMENT(bin) != capture->pipeline_.load()) return;
  const gst::CharPtr name(gst_element_get_name(element));
  if (name && std::strcmp(name.get(), "capture") == 0) capture->Probe(element);
}

void SinkCapture::Probe(GstElement* sink) {
  gst::PadPtr pad(gst_element_get_static_pad(sink, "sink"));
  if (!pad) return;
  gst_pad_add_probe(pad.get(), GST_PAD_PROBE_TYPE_BUFFER, &SinkCapture::OnBuffer, this, nullptr);
  gst_pad_add_probe(pad.get(), GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, &SinkCapture::OnEvent, this,
                    nullptr);
  attached_ = true;
}

GstPadProbeReturn SinkCapture::OnBuffer(GstPad*, GstPadProbeInfo* info, gpointer self) {
  auto* capture = static_cast<SinkCapture*>(self);
  gst::BufferMap map(GST_PAD_PROBE_INFO_BUFFER(info), GST_MAP_READ);
  if (!map.ok()) return GST_PAD_PROBE_OK;
  std::lock_guard lock(capture->mutex_);
  if (!capture->segments_.empty() && capture->segments_.back().firstPts < 0) {
    capture->segments_.back().samplesBefore = capture->samples_.size();
    capture->segments_.back().firstPts =
        static_cast<int64_t>(GST_BUFFER_PTS(GST_PAD_PROBE_INFO_BUFFER(info)));
  }
  const size_t n = map.size() / 2;
  const size_t at = capture->samples_.size();
  capture->samples_.resize(at + n);
  std::memcpy(capture->samples_.data() + at, map.data(), n * 2);
  return GST_PAD_PROBE_OK;
}

GstPadProbeReturn SinkCapture::OnEvent(GstPad*, GstPadProbeInfo* info, gpointer self) {
  GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
  if (GST_EVENT_TYPE(event) != GST_EVENT_SEGMENT) return GST_PAD_PROBE_OK;
  const GstSegment* segment = nullptr;
  gst_event_parse_segment(event, &segment);
  auto* capture = static_cast<SinkCapture*>(self);
  std::lock_guard lock(capture->mutex_);
  capture->segments_.push_back({capture->samples_.size(), segment->start, segment->time,
                                segment->applied_rate * segment->rate, -1});
  return GST_PAD_PROBE_OK;
}

std::vector<SinkCapture::Segment> SinkCapture::Segments() const {
  std::lock_guard lock(mutex_);
  return segments_;
}

std::vector<int16_t> SinkCapture::Samples() const {
  std::lock_guard lock(mutex_);
  return samples_;
}

size_t SinkCapture::size() const {
  std::lock_guard lock(mutex_);
  return samples_.size();
}

void SinkCapture::Clear() {
  std::lock_guard lock(mutex_);
  samples_.clear();
  segments_.clear();
}

double StreamTimeMs(const SinkCapture::Segment& segment, size_t sample, int rate) {
  const double firstMs =
      (static_cast<double>(std::max<int64_t>(segment.firstPts, 0)) - segment.start) / 1e6;
  const double sinceMs = static_cast<double>(sample - segment.samplesBefore) / 2 * 1000.0 / rate;
  return static_cast<double>(segment.time) / 1e6 + (firstMs + sinceMs) * segment.appliedRate;
}

double Distance(const std::vector<int16_t>& a, const std::vector<int16_t>& b) {
  if (a.size() != b.size() || b.empty()) return 1e9;
  double error = 0;
  double level = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    const double d = static_cast<double>(a[i]) - b[i];
    error += d * d;
    level += static_cast<double>(b[i]) * b[i];
  }
  return level > 0 ? std::sqrt(error / level) : 1e9;
}

std::vector<int16_t> Channel(const std::vector<int16_t>& stereo, int channel, size_t from) {
  std::vector<int16_t> out;
  for (size_t i = from * 2 + static_cast<size_t>(channel); i < stereo.size(); i += 2) {
    out.push_back(stereo[i]);
  }
  return out;
}

double ToneFrequency(const std::vector<int16_t>& mono, int rate) {
  int crossings = 0;
  size_t first = 0;
  size_t last = 0;
  for (size_t i = 1; i < mono.size(); ++i) {
    if (mono[i - 1] < 0 && mono[i] >= 0) {
      if (crossings == 0) first = i;
      last = i;
      ++crossings;
    }
  }
  if (crossings < 2) return 0.0;
  return (crossings - 1) * static_cast<double>(rate) / static_cast<double>(last - first);
}

int Peak(const std::vector<int16_t>& mono) {
  int peak = 0;
  for (int16_t s : mono)
    peak = std::max(peak, std::abs(static_cast<int>(s)));
  return peak;
}

std::vector<double> OnsetsMs(const std::vector<int16_t>& stereo, int rate, int level,
                             double quietMs) {
  std::vector<double> onsets;
  const auto quietFrames = static_cast<size_t>(quietMs * rate / 1000);
  size_t quiet = 0;
  bool armed = true;  // the start counts as quiet
  for (size_t i = 0; i + 1 < stereo.size(); i += 2) {
    const int magnitude = std::max(std::abs(int{stereo[i]}), std::abs(int{stereo[i + 1]}));
    if (magnitude < level / 2) {
      if (++quiet >= quietFrames) armed = true;
      continue;
    }
    quiet = 0;
    // A sound that rises slowly through level / 2 counts where it reaches level.
    if (armed && magnitude >= level) {
      onsets.push_back(static_cast<double>(i / 2) * 1000.0 / rate);
      armed = false;
    }
  }
  return onsets;
}

bool EventRecorder::event(QEvent* e) {
  if (e->type() >= QEvent::User) {
    received.push_back({e->type(), QThread::currentThread()});
    return true;
  }
  return QObject::event(e);
}

}  // namespace lyrovox::testing

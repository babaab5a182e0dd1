#include "media/media_graph.h"

#include <gst/app/gstappsink.h>

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <chrono>
#include <cmath>
#include <string>
#include <thread>

#include "lyrics/hresult.h"
#include "media/media_sinks.h"
#include "media/soundfont.h"

namespace lyrovox {

namespace {

// Bounds of the state waits: building and prerolling a file, and the other state changes.
constexpr int kPrerollTimeoutMs = 10000;
constexpr int kStateTimeoutMs = 5000;
constexpr int kPollMs = 10;
constexpr int kSeekSettleMs = 2000;

constexpr double kMinRate = 0.5;
constexpr double kMaxRate = 2.0;
constexpr double kRateStep = 0.05;

const char* StructureName(GstPad* pad) {
  gst::CapsPtr caps(gst_pad_get_current_caps(pad));
  if (!caps) caps.reset(gst_pad_query_caps(pad, nullptr));
  if (!caps || gst_caps_get_size(caps.get()) == 0) return "";
  // Structure names are interned: they outlive the caps.
  return g_intern_string(gst_structure_get_name(gst_caps_get_structure(caps.get(), 0)));
}

GstFlowReturn OnNewSample(GstAppSink* sink, gpointer frames) {
  gst::SamplePtr sample(gst_app_sink_pull_sample(sink));
  if (sample) static_cast<VideoFrameHolder*>(frames)->Push(sample.get());
  return GST_FLOW_OK;
}

GstFlowReturn OnNewPreroll(GstAppSink* sink, gpointer frames) {
  gst::SamplePtr sample(gst_app_sink_pull_preroll(sink));
  if (sample) static_cast<VideoFrameHolder*>(frames)->Push(sample.get());
  return GST_FLOW_OK;
}

}  // namespace

MediaGraph::MediaGraph(int eventType, VidAudioSampleGrabber* grabber,
                       std::shared_ptr<VideoFrameHolder> frames)
    : eventType_(eventType), grabber_(grabber), frames_(std::move(frames)), events_(eventType) {}

MediaGraph::~MediaGraph() {
  Destroy();
}

bool MediaGraph::Create() {
  Destroy();
  if (!gst::EnsureInitialized()) return false;
  pipeline_ = gst::AdoptElement(gst_pipeline_new(nullptr));
  if (!pipeline_) return false;
  g_signal_connect(pipeline_.get(), "deep-element-added", G_CALLBACK(&MediaGraph::OnElementAdded),
                   nullptr);
  rate_ = 1.0;
  streamIndex_ = 0;
  audioTrack_ = 0;
  automatic_ = false;
  hasFile_ = false;
  if (frames_) frames_->Clear();
  return true;
}

bool MediaGraph::AddLiveVideoSource(gst::ElementPtr source) {
  if (!pipeline_ || !source) return false;
  GstElement* element = source.get();
  if (!gst_bin_add(GST_BIN(pipeline_.get()), element)) return false;
  gst::PadPtr out(gst_element_get_static_pad(element, "src"));
  std::lock_guard lock(mutex_);
  gst::PadPtr in(out ? PicturePathPad() : nullptr);
  if (!in || GST_PAD_LINK_FAILED(gst_pad_link(out.get(), in.get()))) return false;
  pictureLinked_ = true;
  return true;
}

bool MediaGraph::AddFile(const QString& path, bool automatic, Paths paths) {
  if (!pipeline_ || hasFile_) return false;
  paths_ = paths;
  GstBin* bin = GST_BIN(pipeline_.get());
  GstElement* decoder = nullptr;
  if (automatic) {
    gst::ElementPtr source = gst::MakeElement("uridecodebin");
    if (!source) return false;
    const QByteArray uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded();
    g_object_set(source.get(), "uri", uri.constData(), nullptr);
    decoder = source.get();
    if (!gst_bin_add(bin, decoder)) return false;
  } else {
    gst::ElementPtr source = gst::MakeElement("filesrc");
    gst::ElementPtr decodebin = gst::MakeElement("decodebin");
    if (!source || !decodebin) return false;
    const QByteArray local = QFile::encodeName(path);
    g_object_set(source.get(), "location", local.constData(), nullptr);
    decoder = decodebin.get();
    gst_bin_add_many(bin, source.get(), decoder, nullptr);
    if (!gst_element_link(source.get(), decoder)) return false;
  }
  g_signal_connect(decoder, "pad-added", G_CALLBACK(&MediaGraph::OnPadAdded), this);
  automatic_ = automatic;
  hasFile_ = true;
  return true;
}

void MediaGraph::OnPadAdded(GstElement*, GstPad* pad, gpointer self) {
  static_cast<MediaGraph*>(self)->LinkStream(pad);
}

void MediaGraph::OnElementAdded(GstBin*, GstBin*, GstElement* element, gpointer) {
  // MIDI files are synthesised with the installed General MIDI soundfont.
  GstElementFactory* factory = gst_element_get_factory(element);
  if (factory == nullptr ||
      std::string_view(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory))) != "fluiddec") {
    return;
  }
  const std::string& soundfont = GeneralMidiSoundfont();
  if (!soundfont.empty()) g_object_set(element, "soundfont", soundfont.c_str(), nullptr);
}

void MediaGraph::LinkStream(GstPad* pad) {
  const std::string_view name = StructureName(pad);
  std::lock_guard lock(mutex_);
  Stream stream;
  if (name.starts_with("audio/")) stream.kind = StreamKind::kAudio;
  if (name.starts_with("video/")) stream.kind = StreamKind::kVideo;

  bool linked = false;
  if (stream.kind == StreamKind::kAudio && paths_.audio) {
    if (GstPad* in = AudioPathPad()) {
      linked = !GST_PAD_LINK_FAILED(gst_pad_link(pad, in));
      if (linked) {
        stream.selectorPad.reset(in);
      } else {
        gst_element_release_request_pad(selector_, in);
        gst_object_unref(in);
      }
    }
  } else if (stream.kind == StreamKind::kVideo && paths_.video && !pictureLinked_) {
    if (gst::PadPtr in{PicturePathPad()}) {
      linked = !GST_PAD_LINK_FAILED(gst_pad_link(pad, in.get()));
      pictureLinked_ = linked;
    }
  }
  if (!linked) LinkToOwnSink(pad);
  streams_.push_back(std::move(stream));
}

GstPad* MediaGraph::AudioPathPad() {
  if (selector_ == nullptr) {
    std::vector<gst::ElementPtr> chain;
    chain.push_back(gst::MakeElement("input-selector"));
    chain.push_back(gst::MakeElement("audioconvert"));
    chain.push_back(gst::MakeElement("audioresample"));
    GstElement* resample = chain.back().get();
    chain.push_back(gst::MakeElement("capsfilter"));
    GstElement* pcm = chain.back().get();
    // Keeps the pitch at other rates; without it a rate change also changes the pitch.
    if (gst::ElementPtr tempo = gst::MakeElement("scaletempo")) chain.push_back(std::move(tempo));
    GstElement* beforeKey = chain.back().get();
    chain.push_back(gst::MakeElement("audioconvert"));
    GstElement* afterKey = chain.back().get();
    // The sink gets the same 16-bit PCM whatever effects are in the path.
    chain.push_back(gst::MakeElement("capsfilter"));
    GstElement* out = chain.back().get();
    chain.push_back(gst::MakeElement("volume"));
    GstElement* volume = chain.back().get();
    chain.push_back(MakeAudioSink());
    gst::CapsPtr caps(gst_caps_from_string(
        "audio/x-raw, format=(string)S16LE, layout=(string)interleaved, channels=(int)2"));
    for (GstElement* filter : {pcm, out}) {
      if (filter != nullptr) g_object_set(filter, "caps", caps.get(), nullptr);
    }
    if (!AddAndSync(chain)) return nullptr;
    if (grabber_ != nullptr) {
      gst::PadPtr decoded(gst_element_get_static_pad(pcm, "src"));
      grabber_->Attach(decoded.get());
    }
    selector_ = chain.front().get();
    volume_ = volume;
    positionSink_ = chain.back().get();
    ApplyVolume();
    effects_.Attach(GST_BIN(pipeline_.get()), {.beforeVocals = resample,
                                               .afterVocals = pcm,
                                               .beforeKey = beforeKey,
                                               .afterKey = afterKey});
  }
  return gst_element_request_pad_simple(selector_, "sink_%u");
}

GstPad* MediaGraph::PicturePathPad() {
  std::vector<gst::ElementPtr> chain;
  chain.push_back(gst::MakeElement("videoconvert"));
  gst::ElementPtr sink = MakeVideoSinkOverride();
  if (!sink && frames_) {
    sink = gst::MakeElement("appsink");
    if (sink) {
      gst::CapsPtr caps(gst_caps_from_string("video/x-raw, format=(string)BGRx"));
      g_object_set(sink.get(), "caps", caps.get(), "sync", TRUE, "max-buffers", 1, "drop", TRUE,
                   "enable-last-sample", FALSE, "qos", TRUE, nullptr);
      GstAppSinkCallbacks callbacks{};
      callbacks.new_sample = &OnNewSample;
      callbacks.new_preroll = &OnNewPreroll;
      gst_app_sink_set_callbacks(GST_APP_SINK(sink.get()), &callbacks, frames_.get(), nullptr);
    }
  }
  chain.push_back(std::move(sink));
  if (!AddAndSync(chain)) return nullptr;
  if (positionSink_ == nullptr) positionSink_ = chain.back().get();
  return gst_element_get_static_pad(chain.front().get(), "sink");
}

bool MediaGraph::LinkToOwnSink(GstPad* pad) {
  std::vector<gst::ElementPtr> chain;
  chain.push_back(gst::MakeElement("fakesink"));
  if (!chain[0]) return false;
  // Keeps time like the other sinks (the pipeline's position is the furthest sink's) but takes no
  // part in the preroll, which a sparse stream could hold up.
  g_object_set(chain[0].get(), "sync", TRUE, "async", FALSE, nullptr);
  if (!AddAndSync(chain)) return false;
  gst::PadPtr in(gst_element_get_static_pad(chain[0].get(), "sink"));
  return !GST_PAD_LINK_FAILED(gst_pad_link(pad, in.get()));
}

// Adds the elements to the pipeline, links them in order and brings them to the pipeline's
// state, the downstream ones first. False, adding nothing, when an element is missing.
bool MediaGraph::AddAndSync(const std::vector<gst::ElementPtr>& chain) {
  if (!pipeline_) return false;
  for (const gst::ElementPtr& e : chain) {
    if (!e) return false;
  }
  GstBin* bin = GST_BIN(pipeline_.get());
  for (const gst::ElementPtr& e : chain)
    gst_bin_add(bin, e.get());
  for (size_t i = 1; i < chain.size(); ++i) {
    if (!gst_element_link(chain[i - 1].get(), chain[i].get())) return false;
  }
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    gst_element_sync_state_with_parent(it->get());
  }
  return true;
}

int32_t MediaGraph::Start(QObject* receiver) {
  if (!pipeline_) return kFail;
  gst::BusPtr bus(gst_element_get_bus(pipeline_.get()));
  gst_bus_set_flushing(bus.get(), FALSE);
  events_.Attach(bus.get(), receiver);
  if (!ChangeState(GST_STATE_PAUSED, kPrerollTimeoutMs)) {
    Close();
    return kFail;
  }
  controls_ = true;
  state_ = kStateReady;
  return kOk;
}

bool MediaGraph::hasPicture() const {
  std::lock_guard lock(mutex_);
  return pictureLinked_;
}

bool MediaGraph::WaitForState(GstState wanted, int timeoutMs) const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    GstState current = GST_STATE_VOID_PENDING;
    GstState pending = GST_STATE_VOID_PENDING;
    const GstStateChangeReturn r =
        gst_element_get_state(pipeline_.get(), &current, &pending, kPollMs * GST_MSECOND);
    if (r == GST_STATE_CHANGE_FAILURE || events_.errorSeen()) return false;
    if (r != GST_STATE_CHANGE_ASYNC && current == wanted) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
  }
}

bool MediaGraph::ChangeState(GstState wanted, int timeoutMs) {
  if (!pipeline_) return false;
  if (gst_element_set_state(pipeline_.get(), wanted) == GST_STATE_CHANGE_FAILURE) return false;
  return WaitForState(wanted, timeoutMs);
}

bool MediaGraph::Play() {
  if (state_ == kStateNoGraph || !ChangeState(GST_STATE_PLAYING, kStateTimeoutMs)) return false;
  state_ = kStateRunning;
  return true;
}

bool MediaGraph::Pause() {
  if (state_ == kStateNoGraph || !ChangeState(GST_STATE_PAUSED, kStateTimeoutMs)) return false;
  state_ = kStatePaused;
  return true;
}

bool MediaGraph::Stop() {
  if (state_ == kStateNoGraph || !ChangeState(GST_STATE_READY, kStateTimeoutMs)) return false;
  state_ = kStateReady;
  return true;
}

void MediaGraph::Close() {
  events_.Detach();
  effects_.Detach();
  // Stopping joins the streaming threads, so nothing touches the frame holder afterwards.
  if (pipeline_) {
    gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
    // Without a handler the bus keeps what is posted, and the pipeline's own messages hold the
    // pipeline: they are dropped, or the pipeline would never be freed.
    gst::BusPtr bus(gst_element_get_bus(pipeline_.get()));
    gst_bus_set_flushing(bus.get(), TRUE);
  }
  controls_ = false;
  state_ = kStateNoGraph;
}

void MediaGraph::Destroy() {
  Close();
  {
    std::lock_guard lock(mutex_);
    streams_.clear();
    selector_ = nullptr;
    volume_ = nullptr;
    positionSink_ = nullptr;
    pictureLinked_ = false;
  }
  pipeline_.reset();
  hasFile_ = false;
}

uint32_t MediaGraph::GetPositionMs() const {
  gint64 ns = 0;
  if (!controls_ || !QueryPosition(&ns) || ns < 0) return 0;
  return static_cast<uint32_t>(ns / 1000000);
}

// The position of the sound, else of the picture: a pipeline answers with its furthest sink,
// which may be a sink of an unused stream.
bool MediaGraph::QueryPosition(gint64* ns) const {
  std::lock_guard lock(mutex_);
  GstElement* clock = positionSink_ != nullptr ? positionSink_ : pipeline_.get();
  return gst_element_query_position(clock, GST_FORMAT_TIME, ns);
}

uint32_t MediaGraph::GetDurationMs() const {
  gint64 ns = 0;
  if (!controls_ || !gst_element_query_duration(pipeline_.get(), GST_FORMAT_TIME, &ns) || ns < 0) {
    return 0;
  }
  return static_cast<uint32_t>(ns / 1000000);
}

void MediaGraph::SetVolume(int32_t level) {
  gain_ = level <= -10000 ? 0.0 : std::pow(10.0, std::min(level, 0) / 2000.0);
  ApplyVolume();
}

void MediaGraph::ApplyVolume() {
  if (volume_ != nullptr) g_object_set(volume_, "volume", gain_, nullptr);
}

double MediaGraph::ChangeRate(bool faster) {
  if (!controls_) return 0.0;
  if (faster) {
    if (rate_ < kMaxRate) rate_ += kRateStep;
  } else if (rate_ > kMinRate) {
    rate_ -= kRateStep;
  }
  gint64 position = 0;
  if (!QueryPosition(&position)) position = 0;
  Seek(position, GST_SEEK_FLAG_ACCURATE);
  return rate_;
}

void MediaGraph::SeekTo(int64_t hundredNanoseconds) {
  if (!controls_) return;
  Seek(std::max<int64_t>(hundredNanoseconds, 0) * 100, GST_SEEK_FLAG_KEY_UNIT);
}

// A flushing seek of the current position at the current rate, the stop position left alone.
// Waits (bounded) until the pipeline has settled, so that the next position or seek sees it.
void MediaGraph::Seek(int64_t nanoseconds, GstSeekFlags accuracy) {
  const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | accuracy);
  const uint64_t settled = events_.asyncDoneCount();
  if (!gst_element_seek(pipeline_.get(), rate_, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET,
                        nanoseconds, GST_SEEK_TYPE_NONE, GST_CLOCK_TIME_NONE)) {
    return;
  }
  // The flush makes the sinks preroll again; the pipeline says when they have.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kSeekSettleMs);
  while (events_.asyncDoneCount() == settled && !events_.errorSeen() &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

bool MediaGraph::SetKey(int semitones) {
  return controls_ && effects_.SetKey(semitones);
}

bool MediaGraph::SetVocalReduction(bool on) {
  return controls_ && effects_.SetVocalReduction(on);
}

bool MediaGraph::SwitchAudioStream() {
  if (!controls_) return false;
  std::lock_guard lock(mutex_);
  if (selector_ == nullptr) return false;
  const int n = static_cast<int>(streams_.size());
  if (streamIndex_ >= n) return false;
  gst::PadPtr active;
  {
    GstPad* raw = nullptr;
    g_object_get(selector_, "active-pad", &raw, nullptr);
    active.reset(raw);
  }
  // Walk back from the stream last enabled, wrapping from the first to the last, to the first
  // audio stream on the audio path.
  for (int i = streamIndex_ - 1;; --i) {
    if (i < 0) i = n - 1;
    if (i == streamIndex_) return false;
    const Stream& stream = streams_[i];
    if (stream.kind != StreamKind::kAudio || !stream.selectorPad) continue;
    // The stream already playing is no other track (a file with one audio stream after its
    // picture would otherwise "switch" to the same sound).
    if (stream.selectorPad.get() == active.get()) return false;
    g_object_set(selector_, "active-pad", stream.selectorPad.get(), nullptr);
    streamIndex_ = i;
    audioTrack_ ^= 1;
    return true;
  }
}

}  // namespace lyrovox

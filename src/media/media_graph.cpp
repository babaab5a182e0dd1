#include "media/media_graph.h"

#include <gst/app/gstappsink.h>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <cmath>
#include <string>
#include <utility>

#include "lyrics/hresult.h"
#include "media/graph_retirement.h"
#include "media/media_sinks.h"
#include "media/midi_source.h"

namespace lyrovox {

namespace {

// The bound of a start: building and prerolling a file, then reaching the playing state.
constexpr int kStartTimeoutMs = 10000;
// How long a flushing seek counts as on its way (its target is the position meanwhile).
constexpr int kSeekSettleMs = 2000;
// How long a picture handed over may go on showing while the next graph starts.
constexpr int kHandOverMs = 5000;

constexpr double kMinRate = 0.5;
constexpr double kMaxRate = 2.0;
constexpr double kRateStep = 0.05;

const char* const kPipelineKey = "lyrovox-graph";

const char* StructureName(GstPad* pad) {
  gst::CapsPtr caps(gst_pad_get_current_caps(pad));
  if (!caps) caps.reset(gst_pad_query_caps(pad, nullptr));
  if (!caps || gst_caps_get_size(caps.get()) == 0) return "";
  // Structure names are interned: they outlive the caps.
  return g_intern_string(gst_structure_get_name(gst_caps_get_structure(caps.get(), 0)));
}

int64_t MonotonicMs() {
  return static_cast<int64_t>(g_get_monotonic_time() / 1000);
}

}  // namespace

struct MediaGraph::Pipeline {
  enum class StreamKind { kOther, kAudio, kVideo };
  struct Stream {
    StreamKind kind = StreamKind::kOther;
    gst::PadPtr selectorPad;  // the input-selector pad of a stream on the audio path
  };

  MediaGraph* owner = nullptr;    // outlives the pipeline: it waits for its retired pipelines
  GstElement* element = nullptr;  // the pipeline that owns this
  std::shared_ptr<VideoFrameHolder> frames;
  std::shared_ptr<PictureWindow> window;  // outlives the sinks that call it
  uint64_t windowPath = 0;                // the picture path following the window
  VidAudioSampleGrabber* grabber = nullptr;
  std::atomic<uint64_t> source{0};  // the frame holder's source of its frames

  // Shared with the streaming threads that add decoded streams.
  mutable std::mutex mutex;
  std::vector<Stream> streams;         // in the order the file's streams appear
  GstElement* selector = nullptr;      // owned by the pipeline
  GstElement* volume = nullptr;        // owned by the pipeline
  GstElement* positionSink = nullptr;  // the sound's sink, else the picture's
  bool pictureLinked = false;
  Paths paths;
  double gain = 1.0;
  bool hasFile = false;
  bool automatic = false;
  QString file;

  ~Pipeline() {
    if (window && windowPath != 0) window->DropPath(windowPath);
  }

  static Pipeline* Of(GstElement* pipeline) {
    return static_cast<Pipeline*>(g_object_get_data(G_OBJECT(pipeline), kPipelineKey));
  }

  // Links a decoded stream to its path, its kind told by its caps.
  void LinkStream(GstPad* pad);
  void LinkStream(GstPad* pad, StreamKind kind);
  GstPad* AudioPathPad();    // an input-selector sink pad, building the path at first use
  GstPad* PicturePathPad();  // the picture path's sink pad
  GstPad* WindowPathPad();   // the same through the window's sink; null when it cannot be built
  bool LinkToOwnSink(GstPad* pad);
  bool AddAndSync(const std::vector<gst::ElementPtr>& chain);
  void ApplyGain() {
    if (volume != nullptr) g_object_set(volume, "volume", gain, nullptr);
  }
  void Mute() {
    std::lock_guard lock(mutex);
    gain = 0.0;
    ApplyGain();
  }

  static GstFlowReturn OnNewSample(GstAppSink* sink, gpointer self) {
    gst::SamplePtr sample(gst_app_sink_pull_sample(sink));
    auto* p = static_cast<Pipeline*>(self);
    if (sample) p->frames->Push(sample.get(), p->source.load());
    return GST_FLOW_OK;
  }
  // Each frame the window's sink is handed counts as the picture shown; its native size is that
  // of the frames going into the scaler.
  static GstPadProbeReturn OnWindowFrame(GstPad* /*pad*/, GstPadProbeInfo* /*info*/,
                                         gpointer self) {
    auto* p = static_cast<Pipeline*>(self);
    if (p->window) p->window->OnSinkFrame(p->windowPath);
    if (p->frames && p->nativeCaps) {
      gst::CapsPtr caps(gst_pad_get_current_caps(p->nativeCaps.get()));
      p->frames->NoteShown(caps.get(), p->source.load());
    }
    return GST_PAD_PROBE_OK;
  }
  gst::PadPtr nativeCaps;  // the scaler's sink pad

  static GstFlowReturn OnNewPreroll(GstAppSink* sink, gpointer self) {
    gst::SamplePtr sample(gst_app_sink_pull_preroll(sink));
    auto* p = static_cast<Pipeline*>(self);
    if (sample) p->frames->Push(sample.get(), p->source.load());
    return GST_FLOW_OK;
  }
};

MediaGraph::MediaGraph(int eventType, VidAudioSampleGrabber* grabber,
                       std::shared_ptr<VideoFrameHolder> frames)
    : eventType_(eventType), grabber_(grabber), frames_(std::move(frames)), events_(eventType) {
  events_.SetFilter([this](int32_t code) { return OnGraphEvent(code); });
  startBound_.setSingleShot(true);
  QObject::connect(&startBound_, &QTimer::timeout, &events_, [this] { StartTimedOut(); });
  outgoingBound_.setSingleShot(true);
  QObject::connect(&outgoingBound_, &QTimer::timeout, &events_, [this] { ReleaseOutgoing(); });
}

MediaGraph::~MediaGraph() {
  // The retired pipelines' streaming threads use the grabber and the frames until they stop.
  TakeDownAll();
}

void MediaGraph::TakeDownAll() {
  Destroy();
  ReleaseOutgoing();
  DiscardParked();
  DrainRetiredGraphs();
}

void MediaGraph::NewPipeline() {
  pipeline_ = gst::AdoptElement(gst_pipeline_new(nullptr));
  lastPosition_ = 0;
  if (!pipeline_) return;
  auto* p = new Pipeline;
  p->owner = this;
  p->element = pipeline_.get();
  p->frames = frames_;
  if (window_ && window_->usable()) p->window = window_;
  p->grabber = grabber_;
  p->gain = gain_;
  if (frames_) p->source = frames_->BeginSource();
  g_object_set_data_full(G_OBJECT(pipeline_.get()), kPipelineKey, p,
                         [](gpointer data) { delete static_cast<Pipeline*>(data); });
  std::lock_guard lock(effectsMutex_);
  current_ = p;
}

bool MediaGraph::Create() {
  Destroy();
  if (!gst::EnsureInitialized()) return false;
  NewPipeline();
  if (!pipeline_) return false;
  rate_ = 1.0;
  streamIndex_ = 0;
  audioTrack_ = 0;
  seek_ = PendingSeek{};
  return true;
}

bool MediaGraph::hasFile() const {
  return current_ != nullptr && current_->hasFile;
}

bool MediaGraph::renderedAutomatically() const {
  return current_ != nullptr && current_->automatic;
}

bool MediaGraph::AddLiveVideoSource(gst::ElementPtr source) {
  if (!pipeline_ || !source) return false;
  GstElement* element = source.get();
  if (!gst_bin_add(GST_BIN(pipeline_.get()), element)) return false;
  gst::PadPtr out(gst_element_get_static_pad(element, "src"));
  Pipeline* p = current_;
  std::lock_guard lock(p->mutex);
  gst::PadPtr in(out ? p->PicturePathPad() : nullptr);
  if (!in || GST_PAD_LINK_FAILED(gst_pad_link(out.get(), in.get()))) return false;
  p->pictureLinked = true;
  return true;
}

bool MediaGraph::AddFile(const QString& path, bool automatic, Paths paths) {
  if (!pipeline_ || current_->hasFile) return false;
  Pipeline* p = current_;
  {
    std::lock_guard lock(p->mutex);
    p->paths = paths;
  }
  GstBin* bin = GST_BIN(pipeline_.get());
  const QByteArray local = QFile::encodeName(path);
  if (IsMidiFile(local.toStdString())) {
    // MIDI songs are synthesised from our own reading of the file, on the lyrics' clock.
    gst::ElementPtr source = MakeMidiSource(local.toStdString());
    if (!source || !gst_bin_add(bin, source.get())) return false;
    gst::PadPtr pad(gst_element_get_static_pad(source.get(), "src"));
    if (!pad) return false;
    p->LinkStream(pad.get(), Pipeline::StreamKind::kAudio);
    p->hasFile = true;
    p->automatic = automatic;
    p->file = path;
    return true;
  }
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
    g_object_set(source.get(), "location", local.constData(), nullptr);
    decoder = decodebin.get();
    gst_bin_add_many(bin, source.get(), decoder, nullptr);
    if (!gst_element_link(source.get(), decoder)) return false;
  }
  g_signal_connect(decoder, "pad-added", G_CALLBACK(&MediaGraph::OnPadAdded), p);
  p->automatic = automatic;
  p->hasFile = true;
  p->file = path;
  return true;
}

bool MediaGraph::AdoptParked(const QString& path) {
  if (!pipeline_ || started_ || current_->hasFile || !parked_ || parkedFile_ != path ||
      !parkedReady_ || !parkedReady_->load()) {
    return false;
  }
  // The parked pipeline's frames are this graph's source from now on.
  const uint64_t source = current_->source.load();
  pipeline_ = std::move(parked_);
  parkedFile_.clear();
  parkedReady_.reset();
  Pipeline* p = Pipeline::Of(pipeline_.get());
  p->source = source;
  {
    std::lock_guard lock(p->mutex);
    p->gain = gain_;
    p->ApplyGain();
  }
  std::lock_guard lock(effectsMutex_);
  current_ = p;
  return true;
}

void MediaGraph::DiscardParked() {
  if (parked_) GraphRetirement::Instance().Retire(std::move(parked_));
  parkedFile_.clear();
  parkedReady_.reset();
}

void MediaGraph::OnPadAdded(GstElement*, GstPad* pad, gpointer pipeline) {
  static_cast<Pipeline*>(pipeline)->LinkStream(pad);
}

void MediaGraph::Pipeline::LinkStream(GstPad* pad) {
  const std::string_view name = StructureName(pad);
  StreamKind kind = StreamKind::kOther;
  if (name.starts_with("audio/")) kind = StreamKind::kAudio;
  if (name.starts_with("video/")) kind = StreamKind::kVideo;
  LinkStream(pad, kind);
}

void MediaGraph::Pipeline::LinkStream(GstPad* pad, StreamKind kind) {
  std::lock_guard lock(mutex);
  Stream stream;
  stream.kind = kind;

  bool linked = false;
  if (stream.kind == StreamKind::kAudio && paths.audio) {
    if (GstPad* in = AudioPathPad()) {
      linked = !GST_PAD_LINK_FAILED(gst_pad_link(pad, in));
      if (linked) {
        stream.selectorPad.reset(in);
      } else {
        gst_element_release_request_pad(selector, in);
        gst_object_unref(in);
      }
    }
  } else if (stream.kind == StreamKind::kVideo && paths.video && !pictureLinked) {
    if (gst::PadPtr in{PicturePathPad()}) {
      linked = !GST_PAD_LINK_FAILED(gst_pad_link(pad, in.get()));
      pictureLinked = linked;
    }
  }
  if (!linked) LinkToOwnSink(pad);
  streams.push_back(std::move(stream));
}

GstPad* MediaGraph::Pipeline::AudioPathPad() {
  if (selector == nullptr) {
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
    GstElement* gainElement = chain.back().get();
    chain.push_back(MakeAudioSink());
    gst::CapsPtr caps(gst_caps_from_string(
        "audio/x-raw, format=(string)S16LE, layout=(string)interleaved, channels=(int)2"));
    for (GstElement* filter : {pcm, out}) {
      if (filter != nullptr) g_object_set(filter, "caps", caps.get(), nullptr);
    }
    if (!AddAndSync(chain)) return nullptr;
    if (grabber != nullptr) {
      gst::PadPtr decoded(gst_element_get_static_pad(pcm, "src"));
      grabber->Attach(decoded.get());
    }
    selector = chain.front().get();
    volume = gainElement;
    positionSink = chain.back().get();
    ApplyGain();
    owner->AttachEffects(this, {.beforeVocals = resample,
                                .afterVocals = pcm,
                                .beforeKey = beforeKey,
                                .afterKey = afterKey});
  }
  return gst_element_request_pad_simple(selector, "sink_%u");
}

GstPad* MediaGraph::Pipeline::WindowPathPad() {
  PictureWindow::Path path = window->MakePath(frames && frames->stretch());
  if (!path.sink) return nullptr;
  // Converted to what the sink shows first, then scaled, as a plain pipeline into the same sink
  // does (converting after scaling up to full screen costs more); the lyrics are written at the
  // window's own pixels. The sink's own pixel order reaches the converter through the scaler.
  std::vector<gst::ElementPtr> chain;
  const auto take = [&chain](const gst::ElementPtr& e) {
    chain.push_back(gst::ElementPtr(GST_ELEMENT(gst_object_ref(e.get()))));
  };
  chain.push_back(gst::MakeElement("videoconvert"));
  take(path.pixels);
  take(path.scaler);
  take(path.filter);
  take(path.overlay);
  take(path.sink);
  GstElement* sink = path.sink.get();
  nativeCaps.reset(gst_element_get_static_pad(path.scaler.get(), "sink"));
  if (!AddAndSync(chain)) return nullptr;
  if (gst::PadPtr in{gst_element_get_static_pad(sink, "sink")}) {
    gst_pad_add_probe(in.get(), GST_PAD_PROBE_TYPE_BUFFER, &Pipeline::OnWindowFrame, this, nullptr);
  }
  windowPath = window->AddPath(std::move(path));
  if (positionSink == nullptr) positionSink = sink;
  return gst_element_get_static_pad(chain.front().get(), "sink");
}

GstPad* MediaGraph::Pipeline::PicturePathPad() {
  if (window) {
    if (GstPad* pad = WindowPathPad()) return pad;
  }
  std::vector<gst::ElementPtr> chain;
  chain.push_back(gst::MakeElement("videoconvert"));
  gst::ElementPtr sink = MakeVideoSinkOverride();
  if (!sink && frames) {
    sink = gst::MakeElement("appsink");
    if (sink) {
      gst::CapsPtr caps(gst_caps_from_string("video/x-raw, format=(string)BGRx"));
      g_object_set(sink.get(), "caps", caps.get(), "sync", TRUE, "max-buffers", 1, "drop", TRUE,
                   "enable-last-sample", FALSE, "qos", TRUE, nullptr);
      GstAppSinkCallbacks callbacks{};
      callbacks.new_sample = &Pipeline::OnNewSample;
      callbacks.new_preroll = &Pipeline::OnNewPreroll;
      gst_app_sink_set_callbacks(GST_APP_SINK(sink.get()), &callbacks, this, nullptr);
    }
  }
  chain.push_back(std::move(sink));
  if (!AddAndSync(chain)) return nullptr;
  if (positionSink == nullptr) positionSink = chain.back().get();
  return gst_element_get_static_pad(chain.front().get(), "sink");
}

bool MediaGraph::Pipeline::LinkToOwnSink(GstPad* pad) {
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
bool MediaGraph::Pipeline::AddAndSync(const std::vector<gst::ElementPtr>& chain) {
  for (const gst::ElementPtr& e : chain) {
    if (!e) return false;
  }
  GstBin* bin = GST_BIN(element);
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

void MediaGraph::AttachEffects(Pipeline* owner, const SoundEffects::Places& places) {
  // A pipeline on its way out builds its sound path without the singer's effects.
  std::lock_guard lock(effectsMutex_);
  if (owner == current_) effects_.Attach(GST_BIN(owner->element), places);
}

int32_t MediaGraph::Start(QObject* receiver) {
  if (!pipeline_) return kFail;
  gst::BusPtr bus(gst_element_get_bus(pipeline_.get()));
  gst_bus_set_flushing(bus.get(), FALSE);
  events_.Attach(bus.get(), pipeline_.get(), receiver);
  started_ = true;
  effects_.Hold();
  const GstStateChangeReturn r = gst_element_set_state(pipeline_.get(), GST_STATE_PAUSED);
  if (r == GST_STATE_CHANGE_FAILURE) {
    Close();
    return kFail;
  }
  controls_ = true;
  state_ = kStateReady;
  starting_ = true;
  prerolled_ = false;
  playWanted_ = false;
  startBound_.start(kStartTimeoutMs);
  // A live source, or a pipeline prerolled already (a parked one), is ready at once.
  if (r != GST_STATE_CHANGE_ASYNC) {
    prerolled_ = true;
    if (prerollCheck_ && !prerollCheck_()) {
      Close();
      return kFail;
    }
    effects_.Release();
  }
  return kOk;
}

bool MediaGraph::hasPicture() const {
  if (current_ == nullptr) return false;
  std::lock_guard lock(current_->mutex);
  return current_->pictureLinked;
}

bool MediaGraph::OnGraphEvent(int32_t code) {
  switch (code) {
    case kGraphEventAsyncDone:
      if (starting_ && !prerolled_) OnPrerolled();
      // The stream's format has come through: effects asked for meanwhile can go in (also when
      // the start was given up; a failed start has closed the graph, and nothing is held).
      effects_.Release();
      return false;
    case kGraphEventPlaying:
      if (starting_ && playWanted_) {
        starting_ = false;
        startBound_.stop();
        state_ = kStateRunning;
        // The picture of the graph before has been replaced by this one's.
        ReleaseOutgoing();
        events_.Deliver(events_.receiver(), kGraphEventStarted);
      }
      return false;
    case kGraphEventErrorAbort:
      if (!starting_) return true;
      // The player may build the file another way, once; else the start failed.
      if (const std::function<bool()> fallback = std::exchange(startFallback_, nullptr)) {
        // Building it again closes this graph.
        QObject* receiver = events_.receiver();
        const bool play = playWanted_;
        const int state = state_;
        if (!fallback()) {
          Close();
          events_.Deliver(receiver, kGraphEventStartFailed);
          return false;
        }
        if (Start(receiver) == kOk) {
          state_ = state;
          if (play) Play();
          return false;
        }
        events_.Deliver(receiver, kGraphEventStartFailed);
        return false;
      }
      StartFailed();
      return false;
    default:
      // The end of the stream or an abort: the receiver's, once the graph plays.
      return !starting_;
  }
}

void MediaGraph::OnPrerolled() {
  prerolled_ = true;
  if (prerollCheck_ && !prerollCheck_()) {
    StartFailed();
    return;
  }
  if (!playWanted_) {
    // Opened and cued: nothing more was asked for.
    starting_ = false;
    startBound_.stop();
    return;
  }
  if (gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
    StartFailed();
  }
}

void MediaGraph::StartFailed() {
  QObject* receiver = events_.receiver();
  Close();
  events_.Deliver(receiver, kGraphEventStartFailed);
}

void MediaGraph::StartTimedOut() {
  if (starting_) StartFailed();
}

bool MediaGraph::Play() {
  if (state_ == kStateNoGraph || !pipeline_) return false;
  playWanted_ = true;
  // Before the preroll, playing waits for it.
  if (starting_ && !prerolled_) return true;
  if (gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
    return false;
  }
  GstState current = GST_STATE_VOID_PENDING;
  GstState pending = GST_STATE_VOID_PENDING;
  gst_element_get_state(pipeline_.get(), &current, &pending, 0);
  if (!starting_ || (current == GST_STATE_PLAYING && pending == GST_STATE_VOID_PENDING)) {
    // Playing already: the outcome is known now.
    const bool started = starting_;
    starting_ = false;
    startBound_.stop();
    state_ = kStateRunning;
    if (started) ReleaseOutgoing();
  }
  return true;
}

bool MediaGraph::Pause() {
  if (state_ == kStateNoGraph || !pipeline_) return false;
  playWanted_ = false;
  if ((!starting_ || prerolled_) &&
      gst_element_set_state(pipeline_.get(), GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
    return false;
  }
  state_ = kStatePaused;
  return true;
}

bool MediaGraph::Stop() {
  if (state_ == kStateNoGraph || !pipeline_) return false;
  playWanted_ = false;
  if (starting_) {
    // A start given up: no outcome comes for it.
    starting_ = false;
    startBound_.stop();
  }
  current_->Mute();
  // A picture on the screen goes on moving, silent, until the next graph has one; anything
  // else pauses at once. Either way the pipeline is taken down when the graph closes.
  if (!(frames_ && frames_->Showing(current_->source.load()))) {
    gst_element_set_state(pipeline_.get(), GST_STATE_PAUSED);
  }
  state_ = kStateReady;
  return true;
}

void MediaGraph::Close() {
  events_.Detach();
  {
    std::lock_guard lock(effectsMutex_);
    effects_.Detach();
  }
  starting_ = false;
  startBound_.stop();
  controls_ = false;
  state_ = kStateNoGraph;
  if (started_) ReleasePipeline();
}

void MediaGraph::Destroy() {
  Close();
  // A pipeline never started holds no threads: it goes here.
  pipeline_.reset();
  std::lock_guard lock(effectsMutex_);
  current_ = nullptr;
}

void MediaGraph::ReleasePipeline() {
  started_ = false;
  if (!pipeline_) return;
  Pipeline* p = current_;
  {
    std::lock_guard lock(effectsMutex_);
    current_ = nullptr;
  }
  p->Mute();
  if (frames_ && frames_->Showing(p->source.load())) {
    // Its picture is on the screen: it goes on showing until the next graph has a picture, the
    // next start ends, or no next graph comes in this turn of the event loop.
    ReleaseOutgoing();
    outgoing_ = std::move(pipeline_);
    outgoingBound_.start(kHandOverMs);
    QTimer::singleShot(0, &events_, [this] {
      if (!starting_) ReleaseOutgoing();
    });
    return;
  }
  GraphRetirement::Instance().Retire(std::move(pipeline_));
}

void MediaGraph::ReleaseOutgoing() {
  outgoingBound_.stop();
  if (!outgoing_) return;
  const Pipeline* out = Pipeline::Of(outgoing_.get());
  // A background video that gave way to a song with sound waits, paused at its start, for the
  // song to give the screen back.
  bool park = false;
  if (current_ != nullptr && state_ == kStateRunning) {
    std::scoped_lock lock(out->mutex, current_->mutex);
    park = out->hasFile && !out->paths.audio && out->paths.video && current_->paths.audio;
  }
  if (park) {
    DiscardParked();
    parkedFile_ = out->file;
    parkedReady_ = std::make_shared<std::atomic<bool>>(false);
    parked_ = gst::ElementPtr(GST_ELEMENT(gst_object_ref(outgoing_.get())));
    GraphRetirement::Instance().Park(std::move(outgoing_), parkedReady_);
    return;
  }
  GraphRetirement::Instance().Retire(std::move(outgoing_));
}

uint32_t MediaGraph::GetPositionMs() const {
  gint64 ns = 0;
  if (!controls_ || !QueryPosition(&ns) || ns < 0) return 0;
  return static_cast<uint32_t>(ns / 1000000);
}

// The position of the sound, else of the picture: a pipeline answers with its furthest sink,
// which may be a sink of an unused stream. While a flushing seek settles, its target.
bool MediaGraph::QueryPosition(gint64* ns) const {
  if (seek_.active) {
    if (events_.asyncDoneCount() == seek_.settledCount && !events_.errorSeen() &&
        MonotonicMs() < seek_.untilMs) {
      *ns = seek_.target;
      lastPosition_ = *ns;
      return true;
    }
    seek_.active = false;
  }
  if (current_ == nullptr) return false;
  std::lock_guard lock(current_->mutex);
  GstElement* clock = current_->positionSink != nullptr ? current_->positionSink : pipeline_.get();
  if (!gst_element_query_position(clock, GST_FORMAT_TIME, ns)) return false;
  lastPosition_ = *ns;
  return true;
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
  if (current_ == nullptr) return;
  std::lock_guard lock(current_->mutex);
  current_->gain = gain_;
  current_->ApplyGain();
}

double MediaGraph::ChangeRate(bool faster) {
  if (!controls_) return 0.0;
  if (faster) {
    if (rate_ < kMaxRate) rate_ += kRateStep;
  } else if (rate_ > kMinRate) {
    rate_ -= kRateStep;
  }
  gint64 position = 0;
  if (!QueryPosition(&position)) position = lastPosition_;
  Seek(position, GST_SEEK_FLAG_ACCURATE);
  return rate_;
}

void MediaGraph::SeekTo(int64_t hundredNanoseconds) {
  if (!controls_) return;
  Seek(std::max<int64_t>(hundredNanoseconds, 0) * 100, GST_SEEK_FLAG_KEY_UNIT);
}

// A flushing seek of the current position at the current rate, the stop position left alone.
// The sinks preroll again on their own threads; until the pipeline says they have, the position
// is the seek's target, so that the next position or seek sees it.
void MediaGraph::Seek(int64_t nanoseconds, GstSeekFlags accuracy) {
  const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | accuracy);
  const uint64_t settled = events_.asyncDoneCount();
  if (!gst_element_seek(pipeline_.get(), rate_, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET,
                        nanoseconds, GST_SEEK_TYPE_NONE, GST_CLOCK_TIME_NONE)) {
    return;
  }
  seek_ = PendingSeek{true, nanoseconds, settled, MonotonicMs() + kSeekSettleMs};
}

bool MediaGraph::SetKey(int semitones) {
  return controls_ && effects_.SetKey(semitones);
}

bool MediaGraph::SetVocalReduction(bool on) {
  return controls_ && effects_.SetVocalReduction(on);
}

bool MediaGraph::SwitchAudioStream() {
  if (!controls_ || current_ == nullptr) return false;
  Pipeline& p = *current_;
  std::lock_guard lock(p.mutex);
  if (p.selector == nullptr) return false;
  const int n = static_cast<int>(p.streams.size());
  if (streamIndex_ >= n) return false;
  gst::PadPtr active;
  {
    GstPad* raw = nullptr;
    g_object_get(p.selector, "active-pad", &raw, nullptr);
    active.reset(raw);
  }
  // Walk back from the stream last enabled, wrapping from the first to the last, to the first
  // audio stream on the audio path.
  for (int i = streamIndex_ - 1;; --i) {
    if (i < 0) i = n - 1;
    if (i == streamIndex_) return false;
    const Pipeline::Stream& stream = p.streams[i];
    if (stream.kind != Pipeline::StreamKind::kAudio || !stream.selectorPad) continue;
    // The stream already playing is no other track (a file with one audio stream after its
    // picture would otherwise "switch" to the same sound).
    if (stream.selectorPad.get() == active.get()) return false;
    g_object_set(p.selector, "active-pad", stream.selectorPad.get(), nullptr);
    streamIndex_ = i;
    audioTrack_ ^= 1;
    return true;
  }
}

}  // namespace lyrovox

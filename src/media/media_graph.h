#pragma once

// The GStreamer pipeline behind both players: a file decoded by decodebin, a MIDI file played by
// our own sequencer (midi_source.h), or a live picture source; its audio streams behind an
// input-selector into the channel grabber, tempo, volume and the audio sink (vocal reduction and
// key change spliced in while on), its first video stream into the picture path (a sink drawing
// into the video area's window with the lyrics composed over the picture, see picture_window.h,
// else an appsink that fills the frame holder), and every other stream into a sink of its own.
// Controls, positions, rate, seeking, the audio stream walk and the graph events live here; the
// players add their rules.
//
// Nothing here waits for the pipeline on the caller's thread. Start begins the preroll and Play
// asks for the playing state; the pipeline gets there on its own threads, and the outcome comes
// back as a graph event: kGraphEventStarted once it plays, kGraphEventStartFailed (the graph then
// closed) when it could not start within its bound. A pipeline that is done with is taken down on
// a worker thread (GraphRetirement). A picture pipeline whose frames are on the screen goes on
// playing, silent, until the graph after it shows a picture (or the start of that one ends), so
// that the picture never stands still between two graphs; a background video handed over to a
// video song is parked at its start for when the song gives the screen back.

#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "media/graph_events.h"
#include "media/gst_handles.h"
#include "media/picture_window.h"
#include "media/sample_grabber.h"
#include "media/sound_effects.h"
#include "media/video_frame_holder.h"

namespace lyrovox {

class MediaGraph {
 public:
  // The paths a file's streams may take; streams without one go to a sink of their own.
  struct Paths {
    bool audio = true;
    bool video = false;
  };

  // eventType: the private event posted for graph events. grabber: rewrites the audio path's
  // samples (may be null). frames: receives the picture path's frames (may be null).
  MediaGraph(int eventType, VidAudioSampleGrabber* grabber,
             std::shared_ptr<VideoFrameHolder> frames);
  ~MediaGraph();
  MediaGraph(const MediaGraph&) = delete;
  MediaGraph& operator=(const MediaGraph&) = delete;

  // A new, empty pipeline in place of any earlier one.
  bool Create();
  bool exists() const { return pipeline_ != nullptr; }

  // Adds a live picture source (a camera) joined to the picture path.
  bool AddLiveVideoSource(gst::ElementPtr source);
  // Adds the decoding of a file: by URI (automatic) or from a plain file source (explicit).
  // Once per pipeline: false when a file was added already.
  bool AddFile(const QString& path, bool automatic, Paths paths);
  bool hasFile() const;
  // Takes the parked pipeline of this file in place of the new, empty one; false when none is
  // parked (or it is not ready yet).
  bool AdoptParked(const QString& path);
  // Lets the parked pipeline go.
  void DiscardParked();

  // What the player checks once the pipeline has prerolled: false fails the start.
  void SetPrerollCheck(std::function<bool()> check) { prerollCheck_ = std::move(check); }
  // What the player does when the pipeline fails while starting: true when it built another
  // pipeline for the same file (Create and AddFile), which then starts in its place.
  void SetStartFallback(std::function<bool()> fallback) { startFallback_ = std::move(fallback); }

  // Starts delivering graph events to receiver and begins the preroll. 0 when it is on its way,
  // or a failure code after which the graph is closed again.
  int32_t Start(QObject* receiver);
  // A video stream reached the picture path (or a live source is present).
  bool hasPicture() const;
  // A start is on its way: its outcome has not come yet.
  bool starting() const { return starting_; }

  bool Play();
  bool Pause();
  bool Stop();
  int state() const { return state_; }
  // Stops delivering events and releases the controls and the pipeline (taken down off this
  // thread): state 0. A pipeline not yet started stays until Destroy or the next Create.
  void Close();
  void Destroy();
  // Destroy, and also the pipeline still showing its picture, the parked one and those being
  // taken down: none is left once it returns (before the window they draw into goes).
  void TakeDownAll();

  uint32_t GetPositionMs() const;
  uint32_t GetDurationMs() const;
  // Hundredths of a decibel: gain 10^(v/2000); -10000 and below is silence.
  void SetVolume(int32_t hundredthsOfDecibel);
  double ChangeRate(bool faster);
  void SeekTo(int64_t hundredNanoseconds);
  // The singer's effects on the sound path; false without one.
  bool SetKey(int semitones);
  bool SetVocalReduction(bool on);
  const SoundEffects& effects() const { return effects_; }
  bool SwitchAudioStream();
  int audioTrack() const { return audioTrack_; }
  bool GetEvent(int32_t& code) { return events_.GetEvent(code); }
  // Why the graph's last start or run failed (GraphEvents::failure).
  std::string failure() const { return events_.failure(); }

  // Where the picture path's frames go (may be null).
  const std::shared_ptr<VideoFrameHolder>& frames() const { return frames_; }
  // A window that pipelines built from now on show their picture in themselves, with the lyrics
  // composed over it, while it is usable (null: the frame holder gets the frames).
  void SetPictureWindow(std::shared_ptr<PictureWindow> window) { window_ = std::move(window); }
  // For diagnostics and tests: the pipeline (may be null) and the file source's kind.
  GstElement* pipeline() const { return pipeline_.get(); }
  bool renderedAutomatically() const;

 private:
  // What belongs to one pipeline; owned by the pipeline, so that the streaming threads of a
  // pipeline being taken down only ever touch their own.
  struct Pipeline;

  static void OnPadAdded(GstElement* decoder, GstPad* pad, gpointer pipeline);
  void NewPipeline();
  void AttachEffects(Pipeline* owner, const SoundEffects::Places& places);
  // The user-interface thread's look at each graph event: false keeps it from the receiver.
  bool OnGraphEvent(int32_t code);
  void OnPrerolled();
  void StartFailed();
  void StartTimedOut();
  // The current pipeline goes: handed over (its picture on the screen) or taken down.
  void ReleasePipeline();
  // The pipeline handed over goes: parked for the graph playing now, or taken down.
  void ReleaseOutgoing();
  bool QueryPosition(gint64* ns) const;
  void Seek(int64_t nanoseconds, GstSeekFlags accuracy);

  const int eventType_;
  VidAudioSampleGrabber* const grabber_;
  std::shared_ptr<VideoFrameHolder> frames_;
  std::shared_ptr<PictureWindow> window_;
  GraphEvents events_;
  SoundEffects effects_;
  std::mutex effectsMutex_;      // which pipeline the effects belong to
  Pipeline* current_ = nullptr;  // of pipeline_, guarded by effectsMutex_ for the effects

  gst::ElementPtr pipeline_;
  bool started_ = false;  // events attached, a preroll asked for
  int state_ = kStateNoGraph;
  bool controls_ = false;  // controls obtained (state above 0)
  bool starting_ = false;
  bool prerolled_ = false;
  bool playWanted_ = false;
  QTimer startBound_;
  std::function<bool()> prerollCheck_;
  std::function<bool()> startFallback_;
  double rate_ = 1.0;
  double gain_ = 1.0;
  int streamIndex_ = 0;
  int audioTrack_ = 0;
  // A flushing seek not yet settled: the position is its target until it is.
  struct PendingSeek {
    bool active = false;
    gint64 target = 0;
    uint64_t settledCount = 0;
    int64_t untilMs = 0;
  };
  mutable PendingSeek seek_;
  // The position last read: a speed change while the pipeline cannot say (flushing under load)
  // goes on from there rather than from the song's start.
  mutable gint64 lastPosition_ = 0;

  // The picture pipeline handed over, still showing, and the background parked at its start.
  gst::ElementPtr outgoing_;
  QTimer outgoingBound_;
  gst::ElementPtr parked_;
  QString parkedFile_;
  std::shared_ptr<std::atomic<bool>> parkedReady_;
};

}  // namespace lyrovox

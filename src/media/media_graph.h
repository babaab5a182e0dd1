#pragma once

// The GStreamer pipeline behind both players: a file decoded by decodebin (or a live picture
// source), its audio streams behind an input-selector into the channel grabber, tempo, volume and
// the audio sink (vocal reduction and key change spliced in while on), its first video stream into
// the picture path (an appsink that fills the frame holder), and every other stream into a sink of
// its own. Controls, state waits, positions, rate, seeking, the audio stream walk and the graph
// events live here; the players add their rules.

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "media/graph_events.h"
#include "media/gst_handles.h"
#include "media/sample_grabber.h"
#include "media/sound_effects.h"
#include "media/video_frame_holder.h"

namespace lyrovox {

// Player states.
inline constexpr int kStateNoGraph = 0;
inline constexpr int kStateReady = 1;
inline constexpr int kStatePaused = 2;
inline constexpr int kStateRunning = 3;

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
  bool hasFile() const { return hasFile_; }

  // Starts delivering graph events to receiver and prerolls (bounded wait). 0, or a failure code
  // after which the graph is closed again.
  int32_t Start(QObject* receiver);
  // A video stream reached the picture path (or a live source is present).
  bool hasPicture() const;

  bool Play();
  bool Pause();
  bool Stop();
  int state() const { return state_; }
  // Stops delivering events and releases the controls: state 0. The pipeline stays until
  // Destroy or the next Create.
  void Close();
  void Destroy();

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

  // Where the picture path's frames go (may be null).
  const std::shared_ptr<VideoFrameHolder>& frames() const { return frames_; }
  // For diagnostics and tests: the pipeline (may be null) and the file source's kind.
  GstElement* pipeline() const { return pipeline_.get(); }
  bool renderedAutomatically() const { return automatic_; }

 private:
  enum class StreamKind { kOther, kAudio, kVideo };
  struct Stream {
    StreamKind kind = StreamKind::kOther;
    gst::PadPtr selectorPad;  // the input-selector pad of a stream on the audio path
  };

  static void OnPadAdded(GstElement* decoder, GstPad* pad, gpointer self);
  static void OnElementAdded(GstBin* bin, GstBin* sub, GstElement* element, gpointer);
  void LinkStream(GstPad* pad);
  GstPad* AudioPathPad();    // an input-selector sink pad, building the path at first use
  GstPad* PicturePathPad();  // the picture path's sink pad, or null when it is taken
  bool LinkToOwnSink(GstPad* pad);
  bool AddAndSync(const std::vector<gst::ElementPtr>& chain);
  bool WaitForState(GstState wanted, int timeoutMs) const;
  bool ChangeState(GstState wanted, int timeoutMs);
  void ApplyVolume();
  bool QueryPosition(gint64* ns) const;
  void Seek(int64_t nanoseconds, GstSeekFlags accuracy);

  const int eventType_;
  VidAudioSampleGrabber* const grabber_;
  std::shared_ptr<VideoFrameHolder> frames_;
  GraphEvents events_;
  SoundEffects effects_;

  gst::ElementPtr pipeline_;
  int state_ = kStateNoGraph;
  bool controls_ = false;  // controls obtained (state above 0)
  bool automatic_ = false;
  bool hasFile_ = false;
  Paths paths_;
  double rate_ = 1.0;
  double gain_ = 1.0;
  int streamIndex_ = 0;
  int audioTrack_ = 0;

  // Shared with the streaming threads that add decoded streams.
  mutable std::mutex mutex_;
  std::vector<Stream> streams_;         // in the order the file's streams appear
  GstElement* selector_ = nullptr;      // owned by the pipeline
  GstElement* volume_ = nullptr;        // owned by the pipeline
  GstElement* positionSink_ = nullptr;  // the sound's sink, else the picture's
  bool pictureLinked_ = false;
};

}  // namespace lyrovox

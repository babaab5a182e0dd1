#pragma once

// The operations both players share, over their graph and their channel grabber.

#include <memory>

#include "media/media_graph.h"
#include "media/sample_grabber.h"
#include "media/video_frame_holder.h"

namespace lyrovox {

template <class Interface>
class PlayerControls : public Interface {
 public:
  // eventType: the private event of graph events; frames: where pictures go (may be null).
  PlayerControls(int eventType, std::shared_ptr<VideoFrameHolder> frames)
      : graph_(eventType, &grabber_, std::move(frames)) {}

  bool Play() override { return graph_.Play(); }
  bool Pause() override { return graph_.Pause(); }
  bool Stop() override { return graph_.Stop(); }
  int State() const override { return graph_.state(); }
  QString FailureReason() const override { return QString::fromStdString(graph_.failure()); }
  uint32_t GetPositionMs() override { return graph_.GetPositionMs(); }
  uint32_t GetDurationMs() override { return graph_.GetDurationMs(); }
  void SetVolume(int32_t hundredthsOfDecibel) override { graph_.SetVolume(hundredthsOfDecibel); }
  double ChangeRate(bool faster) override { return graph_.ChangeRate(faster); }
  bool SwitchAudioStream() override { return graph_.SwitchAudioStream(); }
  int GetAudioTrack() const override { return graph_.audioTrack(); }
  void SetChannelBoth() override { grabber_.SetChannelMode(kChannelBoth); }
  void SetChannelLeft() override { grabber_.SetChannelMode(kChannelLeft); }
  void SetChannelRight() override { grabber_.SetChannelMode(kChannelRight); }
  void SetChannelReverse() override { grabber_.SetChannelMode(kChannelReverse); }
  bool SetKey(int semitones) override { return graph_.SetKey(semitones); }
  bool SetVocalReduction(bool on) override { return graph_.SetVocalReduction(on); }
  bool GetEvent(int32_t& code) override { return graph_.GetEvent(code); }
  void Close() override { graph_.Close(); }
  void Destroy() override { graph_.Destroy(); }

  // For diagnostics and tests.
  MediaGraph& graph() { return graph_; }

 protected:
  VidAudioSampleGrabber grabber_;  // before the graph, which keeps a pointer to it
  MediaGraph graph_;
};

}  // namespace lyrovox

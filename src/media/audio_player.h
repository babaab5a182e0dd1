#pragma once

// The audio song player: MIDI karaoke (synthesised), MP3, WMA, KYM and any other file decodebin
// reads, with the channel rewrite, volume, tempo and audio stream switching. Its graph events go
// to the receiver given to Open as kAudioGraphEvent.

#include <QString>

#include "controller/ports.h"
#include "media/media_graph.h"
#include "media/sample_grabber.h"

namespace lyrovox {

class CAudioPlayer final : public IAudioPlayer {
 public:
  CAudioPlayer();
  ~CAudioPlayer() override;

  bool CreateGraph() override { return graph_.Create(); }
  void SetFileName(const QString& path) override { fileName_ = path; }
  int32_t Open(QObject* eventReceiver) override;
  bool Play() override { return graph_.Play(); }
  bool Pause() override { return graph_.Pause(); }
  bool Stop() override { return graph_.Stop(); }
  int State() const override { return graph_.state(); }
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
  bool GetEvent(int32_t& code) override { return graph_.GetEvent(code); }
  void Close() override { graph_.Close(); }
  void Destroy() override { graph_.Destroy(); }

  const QString& fileName() const { return fileName_; }
  MediaGraph& graph() { return graph_; }

 private:
  VidAudioSampleGrabber grabber_;
  MediaGraph graph_;
  QString fileName_;
};

}  // namespace lyrovox

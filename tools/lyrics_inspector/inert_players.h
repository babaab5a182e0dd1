#pragma once

// Players that never build a graph: the lyric inspector runs the song-opening logic with them,
// so that it makes exactly the decisions of the player without playing anything.

#include "controller/ports.h"

namespace lyrovox {

template <class Interface>
class InertPlayer : public Interface {
 public:
  bool CreateGraph() override { return false; }
  bool Play() override { return false; }
  bool Pause() override { return false; }
  bool Stop() override { return false; }
  int State() const override { return 0; }
  uint32_t GetPositionMs() override { return 0; }
  uint32_t GetDurationMs() override { return 0; }
  void SetVolume(int32_t) override {}
  double ChangeRate(bool) override { return 0.0; }
  bool SwitchAudioStream() override { return false; }
  int GetAudioTrack() const override { return 0; }
  void SetChannelBoth() override {}
  void SetChannelLeft() override {}
  void SetChannelRight() override {}
  void SetChannelReverse() override {}
  bool SetKey(int) override { return false; }
  bool SetVocalReduction(bool) override { return false; }
  bool GetEvent(int32_t&) override { return false; }
  QString FailureReason() const override { return {}; }
  void Close() override {}
  void Destroy() override {}
  int32_t Open(QObject*) override { return -1; }
};

class InertAudioPlayer : public InertPlayer<IAudioPlayer> {
 public:
  void SetFileName(const QString&) override {}
};

class InertVideoPlayer : public InertPlayer<IVideoPlayer> {
 public:
  void SetFileName(const QString&, bool) override {}
  void SetSourceKind(int) override {}
  void SetStretchVideo(bool) override {}
  void SeekTo(int64_t) override {}
  void Rewind() override {}
  void SetAudioTrack(int) override {}
};

}  // namespace lyrovox

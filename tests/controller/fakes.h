#pragma once

// Stand-ins for the screen, the control panel and the players, recording what the controller
// asks of them.

#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

#include "controller/ports.h"

namespace lyrovox::testing {

class FakeScreen final : public ILyricScreen {
 public:
  void SetLyricMode(int mode) override { lyricMode = mode; }
  int LyricMode() const override { return lyricMode; }
  void SetLineTimed(bool on) override { lineTimed = on; }
  void SetSongTitle(const QString& title) override { songTitle = title; }
  QString SongTitle() const override { return songTitle; }
  void SetSongArtist(const QString& artist) override { songArtist = artist; }
  void ResetLyrics() override {
    ++resets;
    songTitle.clear();
    songArtist.clear();
  }
  void SetPlayState(int state) override { playState = state; }
  void ClearTypedNumber() override { ++typedNumberClears; }
  void ApplyFontSettings(int language) override { fontLanguage = language; }
  void LoadCdgFile(const QString& path) override { cdgFile = path; }
  void ShowMessage(const QString& text) override { messages << text; }

  int lyricMode = -1;
  bool lineTimed = false;
  int playState = -1;
  int fontLanguage = -1;
  int resets = 0;
  int typedNumberClears = 0;
  QString songTitle;
  QString songArtist;
  QString cdgFile;
  QStringList messages;
};

class FakePanel final : public IControlPanel {
 public:
  void SetSongTitle(const QString& title) override { songTitle = title; }
  void SetSeekable(bool on) override { seekable = on; }
  void SetVolumeDisplay(int percent) override { volume = percent; }
  void ShowChannel(int mode) override { channel = mode; }
  void ShowAudioTrack(int t) override { track = t; }
  void ShowRate(double r) override { rate = r; }

  QString songTitle;
  int seekable = -1;
  int volume = -1;
  int channel = -1;
  int track = -1;
  double rate = -1;
};

class FakeMessages final : public IMessagePort {
 public:
  void ShowMessageBox(const QString& text) override { shown << text; }
  QStringList shown;
};

// Records calls as short words ("graph", "open", "pause", "play", "stop", "close", "destroy").
template <class Interface>
class FakePlayer : public Interface {
 public:
  bool CreateGraph() override {
    calls << "graph";
    return graphWorks;
  }
  bool Play() override {
    calls << "play";
    if (!playWorks) return false;
    state = 3;
    return true;
  }
  bool Pause() override {
    calls << "pause";
    if (state != 0) state = 2;
    return state != 0;
  }
  bool Stop() override {
    calls << "stop";
    if (state != 0) state = 1;
    return state != 0;
  }
  int State() const override { return state; }
  uint32_t GetPositionMs() override { return 0; }
  uint32_t GetDurationMs() override { return 0; }
  void SetVolume(int32_t level) override { volume = level; }
  double ChangeRate(bool faster) override {
    if (state == 0) return 0.0;
    rate += faster ? 0.05 : -0.05;
    return rate;
  }
  // Switches while otherTracks is above 0, flipping the track like a two-track file.
  bool SwitchAudioStream() override {
    calls << "switch";
    if (otherTracks <= 0) return false;
    audioTrack ^= 1;
    return true;
  }
  int GetAudioTrack() const override { return audioTrack; }
  bool GetEvent(int32_t& code) override {
    if (events.empty()) return false;
    code = events.front();
    events.pop_front();
    return true;
  }
  void SetChannelBoth() override { channel = 0; }
  void SetChannelLeft() override { channel = 1; }
  void SetChannelRight() override { channel = 2; }
  void SetChannelReverse() override { channel = 3; }
  void Close() override {
    calls << "close";
    state = 0;
  }
  void Destroy() override {
    calls << "destroy";
    state = 0;
  }
  int32_t Open(QObject* receiver) override {
    calls << "open";
    eventReceiver = receiver;
    if (!openWorks) return -1;
    state = 1;
    return 0;
  }

  QStringList calls;
  bool graphWorks = true;
  bool openWorks = true;
  bool playWorks = true;
  int state = 0;
  int channel = -1;
  int32_t volume = 1;
  double rate = 1.0;
  int otherTracks = 0;
  int audioTrack = 0;
  std::deque<int32_t> events;
  QObject* eventReceiver = nullptr;
};

class FakeAudioPlayer final : public FakePlayer<IAudioPlayer> {
 public:
  void SetFileName(const QString& path) override { fileName = path; }
  QString fileName;
};

class FakeVideoPlayer final : public FakePlayer<IVideoPlayer> {
 public:
  void SetFileName(const QString& path, bool only) override {
    fileName = path;
    videoOnly = only;
  }
  void SetSourceKind(int kind) override { sourceKind = kind; }
  void SetStretchVideo(bool on) override { stretch = on; }
  void SeekTo(int64_t t) override { seeks.push_back(t); }
  void Rewind() override {
    calls << "rewind";
    seeks.push_back(0);
  }
  void SetAudioTrack(int track) override {
    requestedTrack = track;
    if (track != audioTrack) SwitchAudioStream();
  }

  QString fileName;
  bool videoOnly = false;
  int sourceKind = -1;
  bool stretch = false;
  int requestedTrack = -1;
  std::vector<int64_t> seeks;
};

}  // namespace lyrovox::testing

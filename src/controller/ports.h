#pragma once

// The narrow interfaces through which the controller reaches the lyrics screen, the control panel
// and the two media players. The real windows and players implement them; tests stand in for them.

#include <QString>
#include <cstdint>

class QObject;

namespace lyrovox {

// Lyric modes of the controller and the screen.
inline constexpr int kLyricModeNone = 0;
inline constexpr int kLyricModeText = 1;
inline constexpr int kLyricModeCdg = 2;

// Private events: the audio player's graph events to the main frame, the picture player's to the
// video window. The receiver drains the events with GetEvent.
inline constexpr int kAudioGraphEvent = 0x466;
inline constexpr int kVideoGraphEvent = 0x464;

// Play states of the lyrics screen.
inline constexpr int kPlayStateIdle = 0;
inline constexpr int kPlayStateLoaded = 1;
inline constexpr int kPlayStateSinging = 2;

class ILyricScreen {
 public:
  virtual ~ILyricScreen() = default;
  virtual void SetLyricMode(int mode) = 0;
  virtual int LyricMode() const = 0;
  // 1: lyrics are timed by whole lines, so a line is wiped evenly over its duration.
  virtual void SetLineTimed(bool lineTimed) = 0;
  virtual void SetSongTitle(const QString& title) = 0;
  virtual QString SongTitle() const = 0;
  virtual void SetSongArtist(const QString& artist) = 0;
  virtual void ResetLyrics() = 0;
  virtual void SetPlayState(int state) = 0;
  virtual void ClearTypedNumber() = 0;
  virtual void ApplyFontSettings(int language) = 0;
  virtual void LoadCdgFile(const QString& path) = 0;
  // The on-screen message ("Audio Track 2", "Left Audio Channel"); screens without one ignore it.
  virtual void ShowMessage(const QString& /*text*/) {}
};

class IControlPanel {
 public:
  virtual ~IControlPanel() = default;
  virtual void SetSongTitle(const QString& title) = 0;
  virtual void SetSeekable(bool seekable) = 0;
  virtual void SetVolumeDisplay(int percent) = 0;
  // Audio channel mode 0 both, 1 left, 2 right, 3 reverse stereo.
  virtual void ShowChannel(int mode) = 0;
  // The audio track of the playing file, 0 the first.
  virtual void ShowAudioTrack(int track) = 0;
  // The playback rate, 1.0 normal.
  virtual void ShowRate(double rate) = 0;
};

// Message boxes with the program's fixed texts.
class IMessagePort {
 public:
  virtual ~IMessagePort() = default;
  virtual void ShowMessageBox(const QString& text) = 0;
};

// Operations both players share. States: 0 no graph, 1 ready or stopped, 2 paused, 3 running.
class IMediaPlayer {
 public:
  virtual ~IMediaPlayer() = default;
  virtual bool CreateGraph() = 0;
  virtual bool Play() = 0;
  virtual bool Pause() = 0;
  virtual bool Stop() = 0;
  virtual int State() const = 0;
  virtual uint32_t GetPositionMs() = 0;
  virtual uint32_t GetDurationMs() = 0;
  virtual void SetVolume(int32_t hundredthsOfDecibel) = 0;
  virtual double ChangeRate(bool faster) = 0;
  virtual bool SwitchAudioStream() = 0;
  virtual int GetAudioTrack() const = 0;
  virtual void SetChannelBoth() = 0;
  virtual void SetChannelLeft() = 0;
  virtual void SetChannelRight() = 0;
  virtual void SetChannelReverse() = 0;
  // The next graph event code (1 end, 2 user abort, 3 error), without waiting; false when none.
  virtual bool GetEvent(int32_t& code) = 0;
  virtual void Close() = 0;
  virtual void Destroy() = 0;
};

class IAudioPlayer : public IMediaPlayer {
 public:
  virtual void SetFileName(const QString& path) = 0;
  // Builds the graph for the file; kAudioGraphEvent is posted to eventReceiver for each graph
  // event. 0 on success.
  virtual int32_t Open(QObject* eventReceiver) = 0;
};

class IVideoPlayer : public IMediaPlayer {
 public:
  virtual void SetFileName(const QString& path, bool videoOnly) = 0;
  // 0 a video file, 1 the first camera, 2 a solid colour (plays the file).
  virtual void SetSourceKind(int kind) = 0;
  virtual void SetStretchVideo(bool stretch) = 0;
  // Builds the picture graph; kVideoGraphEvent is posted to eventReceiver for each graph event.
  // 0 on success.
  virtual int32_t Open(QObject* eventReceiver) = 0;
  virtual void SeekTo(int64_t hundredNanoseconds) = 0;
  virtual void Rewind() = 0;
  virtual void SetAudioTrack(int track) = 0;
};

}  // namespace lyrovox

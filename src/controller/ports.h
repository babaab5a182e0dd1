#pragma once

// The narrow interfaces through which the controller reaches the lyrics screen and its surfaces,
// the video window, the control panel and the two media players. The real windows and players
// implement them; tests stand in for them.

#include <QRect>
#include <QSize>
#include <QString>
#include <cstdint>

#include "screen/lyric_feed.h"

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

// The lyrics screen as the controller sees it: the lyric feed's operations, the song's state from
// song opening, and what the main loop and the video start need.
class ILyricScreen : public ILyricFeedScreen {
 public:
  virtual void SetLyricMode(int mode) = 0;
  virtual int LyricMode() const = 0;
  // 1: lyrics are timed by whole lines, so a line is wiped evenly over its duration.
  virtual void SetLineTimed(bool lineTimed) = 0;
  virtual void SetSongTitle(const QString& title) = 0;
  virtual QString SongTitle() const = 0;
  virtual void SetSongArtist(const QString& artist) = 0;
  virtual void ClearTypedNumber() = 0;
  virtual void ApplyFontSettings(int language) = 0;
  virtual void LoadCdgFile(const QString& path) = 0;
  // The on-screen message ("Audio Track 2", "Left Audio Channel").
  virtual void ShowMessage(const QString& text) = 0;

  // Player kind 0 nothing yet, 1 audio song, 2 video song: it decides the frame's background.
  virtual void SetPlayerKind(int kind) = 0;
  // The layout surface (0, 0, width, height); the target becomes the same.
  virtual void SetScreenSize(int width, int height) = 0;
  // Where the frame is shown on the surfaces (right and bottom exclusive).
  virtual void SetTargetRect(int left, int top, int right, int bottom) = 0;
  virtual void SetFullScreen(bool on) = 0;
  // On in the last 30 to 20 seconds of a song.
  virtual void SetNextSongBanner(bool on) = 0;
  // Advances the CD+G picture to the song's position in hundredths of a second.
  virtual void UpdateCdg(int32_t centiseconds) = 0;
  // Composes the next frame; once per lyric tick, after the lyric feed.
  virtual void Compose() = 0;
};

// The display surfaces the lyrics screen's frames are presented through.
class IScreenSurfaces {
 public:
  virtual ~IScreenSurfaces() = default;
  // Makes the surfaces the size of the primary display: 0, or a failure code with ErrorText()
  // the message for the user.
  virtual int32_t Create() = 0;
  virtual QString ErrorText() const = 0;
  // The primary display's size, known once Create succeeded.
  virtual QSize ScreenSize() const = 0;
  // Whether a picture player's video shows through the key colour.
  virtual void SetVideoShown(bool shown) = 0;
  // Renders the screen's frame and shows it; a frame that cannot be shown is dropped.
  virtual void Present() = 0;
  virtual void Release() = 0;
};

// The window in which the video and the lyrics frame are seen.
class IVideoWindow {
 public:
  virtual ~IVideoWindow() = default;
  // The video area, in the coordinates of the surfaces' frames.
  virtual QRect GetVideoRect() const = 0;
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
  // The playing song's position and duration in milliseconds (0 without a song), written by
  // the lyric timer on every tick and read back for the next-song banner.
  virtual void SetPosition(int32_t ms) = 0;
  virtual void SetDuration(int32_t ms) = 0;
  virtual int32_t Position() const = 0;
  virtual int32_t Duration() const = 0;
};

// Message boxes with the program's fixed texts.
class IMessagePort {
 public:
  virtual ~IMessagePort() = default;
  virtual void ShowMessageBox(const QString& text) = 0;
  // A box titled "Error" with a stop icon.
  virtual void ShowErrorBox(const QString& text) = 0;
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

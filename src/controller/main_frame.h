#pragma once

// The playback controller: opens songs, chooses their lyric source, hands them to the players and
// runs the main loop (two 30 ms timers that feed the lyrics screen and present its frames). It
// reaches the screen, the control panel and the players only through the interfaces of ports.h,
// so that its logic runs without a display.

#include <QBasicTimer>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "controller/ports.h"
#include "controller/settings.h"
#include "lyrics/lyric_store.h"
#include "screen/lyric_feed.h"

namespace lyrovox {

// Player kinds: nothing opened yet, an audio song over the background, a video song.
inline constexpr int kPlayerKindNone = 0;
inline constexpr int kPlayerKindAudio = 1;
inline constexpr int kPlayerKindVideo = 2;

// The main loop's timers, both 30 ms, running exactly while a video graph runs.
inline constexpr int kNumberEntryTimer = 1020;
inline constexpr int kLyricTimer = 1023;
inline constexpr int kMainLoopPeriodMs = 30;

// Ticks of the number entry timer before a typed song number is taken.
inline constexpr int kNumberEntryTicks = 200;

// Volume percent as hundredths of a decibel: -(1 - percent/100)^4 x 10000, truncated.
int32_t VolumeLevel(int percent);

class CMainFrame : public QObject {
  Q_OBJECT

 public:
  struct Parts {
    ILyricScreen* screen = nullptr;
    // The lyrics screen's display surfaces, made when a video graph starts.
    IScreenSurfaces* surfaces = nullptr;
    // The video area the frames are shown in (the target of the screen); null: the whole screen.
    IVideoWindow* videoArea = nullptr;
    IControlPanel* panel = nullptr;
    IVideoPlayer* videoPlayer = nullptr;
    IMessagePort* messages = nullptr;
    // Receives the picture player's graph events (the video window); null: the main frame
    // handles them itself, as the video window would.
    QObject* videoWindow = nullptr;
    // Writes a setting of section "Setup" back to the profile.
    std::function<void(const QString& key, const QString& value)> writeSetting;
    // Makes the audio player at the first audio song; it is kept for every later one.
    std::function<std::unique_ptr<IAudioPlayer>()> makeAudioPlayer;
  };

  CMainFrame(Parts parts, Settings settings, QObject* parent = nullptr);
  ~CMainFrame() override;

  // Song opening.
  bool PlaySong(const QString& path);
  bool PlayAudioSong(const QString& path);
  int32_t PlayZipSong(const QString& path);
  void LoadSongLyrics(const QString& path);
  void LoadLyricsForKind(const QString& path, int kind);
  int LanguageFromPath(const QString& path) const;
  void ApplyLanguage(int index);
  void CloseAudioSong();

  // Video playback: the video player's graph with the main loop's timers.
  bool StartVideoPlayback();
  void StopVideoPlayback();
  void StartBackgroundVideo();
  void RestartBackgroundVideo();
  // Channel mode of the settings applied to both players and shown on the control panel.
  void ApplyChannelMode();

  // The main loop and the players' events. Timer 1020: the number entry's countdown, then a
  // present. Timer 1023: positions to the control panel, the lyric feed or the CD+G picture,
  // the next-song banner, then the next frame is composed.
  void OnTimer(int id);
  // The audio player's graph events: 1 when one of them ended the song.
  int OnGraphEvent();
  // The picture player's graph events, handled as the video window does.
  void OnVideoGraphEvent();
  void OnVideoEnded();

  // Commands: one of the ids of commands.h, as the accelerator keys give them. False for an id
  // without an operation.
  bool OnCommand(int id);
  void StopSong();
  // Play: the current song from its start (there is no pause).
  void ReplaySong();
  void PlayNextSong();
  void PlayPreviousSong();
  void PlayNextReserved();
  void CycleAudio();
  void VolumeUp();
  void VolumeDown();
  // Output volume in percent, given to the player of the current kind.
  void SetVolume(int percent);
  void SpeedUp();
  void SlowDown();
  void SeekVideoSong(int ms);
  // The window is going away: the video graph and the audio song stop.
  void OnDestroy();

  int playerKind() const { return playerKind_; }
  int lyricMode() const { return lyricMode_; }
  bool isPlaying() const { return isPlaying_; }
  int syllableCursor() const { return feed_.syllableCursor(); }
  const LyricFeed& lyricFeed() const { return feed_; }
  int volume() const { return volume_; }
  bool timersRunning() const { return numberEntryTimer_.isActive() && lyricTimer_.isActive(); }
  int numberEntryCountdown() const { return numberEntryCountdown_; }
  void setNumberEntryCountdown(int ticks) { numberEntryCountdown_ = ticks; }
  const QString& pendingTitle() const { return pendingTitle_; }
  void setPendingTitle(const QString& title) { pendingTitle_ = title; }
  const QString& currentSongPath() const { return currentSongPath_; }
  const QString& currentSongTitle() const { return currentSongTitle_; }
  const QString& tempFolder() const { return tempFolder_; }
  void setTempFolder(const QString& folder) { tempFolder_ = folder; }
  const QString& defaultBackgroundVideo() const { return defaultBackgroundVideo_; }
  void setDefaultBackgroundVideo(const QString& path) { defaultBackgroundVideo_ = path; }
  int lastSongNumber() const { return lastSongNumber_; }
  void setLastSongNumber(int n) { lastSongNumber_ = n; }
  LyricStore& lyricStore() { return *lyricStore_; }
  const Settings& settings() const { return settings_; }
  IAudioPlayer* audioPlayer() const { return audioPlayer_.get(); }

 signals:
  // The playing song's end event arrived (and the next song, if any, was started).
  void SongEnded();

 protected:
  bool event(QEvent* e) override;
  void timerEvent(QTimerEvent* e) override;

 private:
  void SetLyricMode(int mode);
  void SetPlayerKind(int kind);
  void RunLyricTick();
  void ShowOnScreen(const QString& text);
  // The player of the current kind: the audio player for audio songs, else the video player.
  IMediaPlayer* CurrentPlayer() const;
  void ChangeRate(bool faster);

  Parts parts_;
  Settings settings_;
  std::unique_ptr<LyricStore> lyricStore_;  // about half a megabyte: kept off the stack
  std::unique_ptr<IAudioPlayer> audioPlayer_;
  LyricFeed feed_;  // its cursor is the song's syllable cursor

  int playerKind_ = kPlayerKindNone;
  int lyricMode_ = kLyricModeNone;
  bool isPlaying_ = false;
  int volume_ = 100;
  int lastSongNumber_ = 0;
  int numberEntryCountdown_ = kNumberEntryTicks;
  QBasicTimer numberEntryTimer_;
  QBasicTimer lyricTimer_;
  QString pendingTitle_;
  QString currentSongPath_;
  QString currentSongTitle_;
  QString tempFolder_;
  QString defaultBackgroundVideo_;
};

}  // namespace lyrovox

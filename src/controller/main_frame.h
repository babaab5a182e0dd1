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
#include "controller/settings_store.h"
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

// Keys of the number entry besides the digits.
inline constexpr int kSongKeyEnter = 13;
inline constexpr char16_t kBackspaceChar = 8;

// The song number typed as six digits: 1..99999 a song list row + 1, 100000..999999 a file in a
// songs folder whose name holds the digits, else a MIDI DVD song.
inline constexpr int kSongNumberDigits = 6;
inline constexpr int kFirstFolderSongNumber = 100000;
// DVD lookups give a number above this when the song exists.
inline constexpr int kDvdSongNumberFloor = 200000;

// How long the screen says that Escape removed the last reserved song, and that a song could not
// be played.
inline constexpr int kRemovedNoticeMs = 2000;
inline constexpr int kCantPlayNoticeMs = 4000;

// Volume percent as hundredths of a decibel: -(1 - percent/100)^4 x 10000, truncated.
int32_t VolumeLevel(int percent);

class CMainFrame : public QObject {
  Q_OBJECT

 public:
  // What the frame is made with.
  struct Parts {
    ILyricScreen* screen = nullptr;
    // The lyrics screen's display surfaces, made when a video graph starts.
    IScreenSurfaces* surfaces = nullptr;
    IVideoPlayer* videoPlayer = nullptr;
    IMessagePort* messages = nullptr;
    // Makes the audio player at the first audio song; it is kept for every later one.
    std::function<std::unique_ptr<IAudioPlayer>()> makeAudioPlayer;
    // The private folder zip and MIDI DVD songs are extracted into, ending in "/"; empty when
    // none could be made (such songs then do not play).
    QString tempFolder;
  };

  // The floating windows and dialogs, attached once they exist (they call back into the frame,
  // so they are made after it). Any of them may be missing.
  struct Windows {
    IControlPanel* panel = nullptr;
    // The window the video and the frames are shown in (the screen's target); null: the whole
    // screen.
    IVideoWindow* videoWindow = nullptr;
    // Receives the picture player's graph events (the video window); null: the main frame
    // handles them itself, as the video window would.
    QObject* videoEvents = nullptr;
    ISongList* songList = nullptr;
    IReservedList* reservedList = nullptr;
    IFileDialogs* fileDialogs = nullptr;
    ISetupSheet* setupSheet = nullptr;
  };

  CMainFrame(Parts parts, SettingsStore& settings, QObject* parent = nullptr);
  ~CMainFrame() override;

  void Attach(const Windows& windows);

  // Song opening.
  bool PlaySong(const QString& path);
  bool PlayAudioSong(const QString& path);
  int32_t PlayZipSong(const QString& path);
  void LoadSongLyrics(const QString& path);
  void LoadLyricsForKind(const QString& path, int kind);
  int LanguageFromPath(const QString& path) const;
  void ApplyLanguage(int index);
  // The screen's lyric font made again for a language (face, size and character set of the
  // settings); the size it keeps becomes the setting.
  void ApplyLyricFont(int language);
  void CloseAudioSong();

  // Video playback: the video player's graph with the main loop's timers.
  bool StartVideoPlayback();
  void StopVideoPlayback();
  void StartBackgroundVideo();
  void RestartBackgroundVideo();
  // Ctrl+F11: video and camera background swapped (in memory), then ReselectBackground.
  void ToggleBackground();
  // The background restarts with its settings, when an audio song (or none) plays over it.
  void ReselectBackground();
  // Channel mode of the settings applied to both players and shown on the control panel.
  void ApplyChannelMode();
  // The control panel's channel spots: 0 both, 1 left, 2 right, in memory and to both players.
  void SetAudioChannel(int mode);
  // The control panel's track spots: the video player's audio track; a second track is a whole
  // mix, so the channel goes back to both.
  void SelectAudioTrack(int track);

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
  void PlayNextInPlayList();
  void PlayPreviousInPlayList();
  // Plays a song list row: its title (after the number) shown when the song has none, the row
  // marked while the reserved list is off.
  void PlaySongListItem(int row);
  // The next-song banner and the reserved summary from the first rows of the reserved list.
  void RefreshNextSongBanner();
  void CycleAudio();
  void VolumeUp();
  void VolumeDown();
  // Output volume in percent, given to the player of the current kind.
  void SetVolume(int percent);
  void SpeedUp();
  void SlowDown();
  void SeekVideoSong(int ms);

  // For singers, on the playing song only, and back to normal at every song. The key a semitone
  // up or down (-6..6), the tempo kept; "Key: +2" on the control panel.
  void KeyUp() { SetKey(key_ + 1); }
  void KeyDown() { SetKey(key_ - 1); }
  void SetKey(int semitones);
  int key() const { return key_; }
  // Vocal reduction on or off: "Vocal Reduction: On" on the control panel.
  void ToggleVocalReduction();
  bool vocalReduction() const { return vocalReduction_; }
  // The playing song's speed (1.0 without a song).
  double rate() const { return rate_; }

  // Number entry: a typed character (digits, Backspace), Enter, Escape.
  void OnSongNumberChar(QChar ch);
  void OnSongKey(int key);
  void OnEscapeKey();

  // Song numbers and the reserved list.
  void PreviewTypedNumber();
  // Enter (atFront false) or Ctrl+F10 (true).
  void CommitTypedNumber(bool atFront);
  void ReserveTypedNumberFirst() { CommitTypedNumber(true); }
  void ReserveSongByNumber(int number, bool atFront);
  void ReserveNumberedSong(const QString& path, int number, bool atFront);
  void ReserveTitledSong(const QString& path, const QString& title, bool atFront);
  void ReserveSong(const QString& path, bool atFront);
  // The reserved-list mode switched by the reserved list window (written to the settings).
  void SetReservedListEnable(bool on);
  bool reservedListEnabled() const { return settings_.values().reservedListEnable != 0; }

  // The Load button: the chosen songs (list files stand for theirs) play, the first at once. A
  // song list holding other songs is replaced by them only when the user agrees; else they join
  // its end. False when cancelled or when nothing chosen gave a song.
  bool OpenKaraokeFile(QObject* owner);
  // Appends the songs of an M3U list file to the song list.
  void ReadPlayListFile(const QString& path);
  // Files given to the program (its command line, another start): queued in the reserved list
  // when it is on; else the first plays and the rest join the song list.
  void OpenFiles(const QStringList& paths);

  // The setup sheet and what its OK changes.
  void ApplySetup(QObject* owner);
  // The MIDI DVD data file of the DVD folder: HOTDOG00.DAT, else NEWTON00.DAT, else none.
  void UpdateDvdDataFile();
  const QString& dvdDataFile() const { return dvdDataFile_; }

  // Exit: the song and the video stop, then QuitRequested.
  void Quit();
  int ScreenPlayState() const;

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
  const QString& tempFolder() const { return parts_.tempFolder; }
  const QString& defaultBackgroundVideo() const { return defaultBackgroundVideo_; }
  void setDefaultBackgroundVideo(const QString& path) { defaultBackgroundVideo_ = path; }
  int lastSongNumber() const { return lastSongNumber_; }
  void setLastSongNumber(int n) { lastSongNumber_ = n; }
  int escapeCount() const { return escapeCount_; }
  LyricStore& lyricStore() { return *lyricStore_; }
  const Settings& settings() const { return settings_.values(); }
  SettingsStore& settingsStore() { return settings_; }
  IAudioPlayer* audioPlayer() const { return audioPlayer_.get(); }
  // The player of the current kind: the audio player for audio songs, else the video player.
  IMediaPlayer* CurrentPlayer() const;
  const Windows& windows() const { return windows_; }

 signals:
  // The playing song's end event arrived (and the next song, if any, was started).
  void SongEnded();
  // A song was opened with PlaySong.
  void SongStarted(const QString& path);
  // Exit was chosen: the program closes.
  void QuitRequested();

 protected:
  bool event(QEvent* e) override;
  void timerEvent(QTimerEvent* e) override;

 private:
  void SetLyricMode(int mode);
  void SetPlayerKind(int kind);
  void RunLyricTick();
  void ShowOnScreen(const QString& text);
  // What a key did to the playing song: on the screen and in the control panel's title band.
  void ShowStatus(const QString& text);
  void ChangeRate(bool faster);
  // The songs folders' file whose name holds the digits; kind -1 when none.
  int FindSongInFolders(const QString& digits, QString& path) const;
  // The reserve operations' shared end: plays at once when nothing plays and nothing is
  // reserved, else inserts the row.
  void ReserveRow(const QString& path, const QString& text, bool atFront, bool playNow);
  void SetPreview(const QString& text);
  // player: the one that failed (null: none was reached).
  void SongFailedToStart(const IMediaPlayer* player);
  // "Can't play <title>: <reason>" on the screen and in the control panel's title band.
  void SayCantPlay(const IMediaPlayer* player);
  // What follows once a player runs: the audio song's volume; the picture's volume, audio track
  // and the main loop. A picture that could not start goes as one that failed at once.
  void AudioSongRunning();
  void VideoRunning();
  void VideoFailedToStart();
  void StartMainLoop();
  // A new song (or none) plays at its own key and speed, without vocal reduction.
  void ResetSingerEffects();

  Parts parts_;
  Windows windows_;
  SettingsStore& settings_;
  std::unique_ptr<LyricStore> lyricStore_;  // about half a megabyte: kept off the stack
  std::unique_ptr<IAudioPlayer> audioPlayer_;
  LyricFeed feed_;  // its cursor is the song's syllable cursor

  int playerKind_ = kPlayerKindNone;
  int lyricMode_ = kLyricModeNone;
  bool isPlaying_ = false;
  int volume_ = 100;
  int key_ = 0;
  bool vocalReduction_ = false;
  double rate_ = 1.0;
  int lastSongNumber_ = 0;
  int numberEntryCountdown_ = kNumberEntryTicks;
  int escapeCount_ = 0;
  bool nextAfterFailure_ = false;  // a skip past a song that did not start is on its way
  // A player's start is on its way: its outcome comes as a graph event.
  bool audioStarting_ = false;
  bool videoStarting_ = false;
  QString dvdDataFile_;
  QBasicTimer numberEntryTimer_;
  QBasicTimer lyricTimer_;
  QString pendingTitle_;
  QString currentSongPath_;
  QString openingPath_;        // the song PlaySong was last given
  QString openingTitle_;       // and the title its opening gave it
  bool saidCantPlay_ = false;  // its failure was said
  QString currentSongTitle_;
  QString defaultBackgroundVideo_;
};

}  // namespace lyrovox

#pragma once

// The narrow interfaces through which the controller reaches the lyrics screen and its surfaces,
// the video window, the control panel and the two media players. The real windows and players
// implement them; tests stand in for them.

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

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

// Graph event codes: the end of the stream, a user abort, an error; and the end of a start that
// was on its way (Play answered before the player ran): the player runs now, or it could not
// start and its graph is closed.
inline constexpr int32_t kGraphEventComplete = 1;
inline constexpr int32_t kGraphEventUserAbort = 2;
inline constexpr int32_t kGraphEventErrorAbort = 3;
inline constexpr int32_t kGraphEventStarted = 0x100;
inline constexpr int32_t kGraphEventStartFailed = 0x101;

// Player states (IMediaPlayer::State).
inline constexpr int kStateNoGraph = 0;
inline constexpr int kStateReady = 1;
inline constexpr int kStatePaused = 2;
inline constexpr int kStateRunning = 3;

// The key colour of the lyrics frame (0x00BBGGRR): the picture shows through where the screen
// paints it.
inline constexpr uint32_t kKeyColor = 0x100C0E;

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
  // A notice in the message's place, for ms milliseconds ("Removed: Hello", "Can't play ...").
  virtual void ShowNotice(const QString& text, int ms) = 0;
  // What a key did to the playing song ("Volume: 80%", "Key: +2"), small at the top right of
  // the frame, away from the lyric lines, until kStatusMs after the last change.
  virtual void ShowStatus(const QString& text) = 0;

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

  // The screen draws with the settings store's values as they are at each frame (font face and
  // size, singer colours, shadow, reserved-list mode, background): a change needs no call, but
  // the fonts are made again only by ApplyFontSettings.
  // The font size setting after the screen's correction into its range, for writing back.
  virtual int DefaultFontSizeValue() const = 0;

  // Number entry: six digits, "000000" when cleared.
  virtual void TypeDigit(QChar digit) = 0;
  virtual void EraseDigit() = 0;
  virtual QString GetTypedNumberText() const = 0;
  virtual int GetTypedNumber() const = 0;
  // The preview line under the typed number.
  virtual void SetTypedSongTitle(const QString& title) = 0;
  virtual QString TypedSongTitle() const = 0;
  // The typed number is taken: it is shown flying away.
  virtual void ShowChosenNumber() = 0;

  // The reserved songs' summary and the next-song banner's title.
  virtual void SetReservedCount(int count) = 0;
  virtual void SetReservedNumbers(const QString& numbers) = 0;
  virtual void SetNextSongTitle(const QString& title) = 0;
  virtual QString NextSongTitle() const = 0;
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
  // Full screen on the screen the window is on, or back to its place.
  virtual void SetFullScreen(bool on) = 0;
  virtual bool IsFullScreen() const = 0;
};

class IControlPanel {
 public:
  virtual ~IControlPanel() = default;
  virtual void SetSongTitle(const QString& title) = 0;
  // No song: position, duration and seek knob 0, the title "Please select a song".
  virtual void ResetSongDisplay() = 0;
  virtual void SetSeekable(bool seekable) = 0;
  virtual void SetVolumeDisplay(int percent) = 0;
  // Audio channel mode 0 both, 1 left, 2 right, 3 reverse stereo.
  virtual void ShowChannel(int mode) = 0;
  // The audio track of the playing file, 0 the first.
  virtual void ShowAudioTrack(int track) = 0;
  // The playback rate, 1.0 normal.
  virtual void ShowRate(double rate) = 0;
  // Any other status text ("Key: +2"), shown in the title band as the volume and speed are.
  virtual void ShowStatusText(const QString& text) = 0;
  // A notice shown in the title band in place of the title for ms milliseconds.
  virtual void ShowNotice(const QString& text, int ms) = 0;
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
  // A question with Yes and No, No the default: true for Yes.
  virtual bool AskYesNo(const QString& text) = 0;
};

// One file dialog: its title, its filters ("Karaoke Files (*.kar *.mid)"; names match whatever
// their case), the initial file name, and the window it belongs to (null: none).
struct FileDialogRequest {
  QString title;
  QStringList filters;
  QString initialName;
  bool multiple = false;
  QObject* owner = nullptr;
};

// The common dialogs. Each returns nothing when cancelled.
class IFileDialogs {
 public:
  virtual ~IFileDialogs() = default;
  // Existing files, in the order the dialog gives them.
  virtual QStringList OpenFiles(const FileDialogRequest& request) = 0;
  virtual QString SaveFile(const FileDialogRequest& request) = 0;
  virtual QString ChooseFolder(const QString& title, QObject* owner) = 0;
  // Colours are 0x00BBGGRR.
  virtual std::optional<uint32_t> ChooseColor(uint32_t initial, QObject* owner) = 0;
};

// The song list of the play list window: rows of a title ("%06d - %s" or a bare name) and a
// full path. Row r is song number r + 1.
class ISongList {
 public:
  virtual ~ISongList() = default;
  virtual int Count() const = 0;
  virtual QString Title(int row) const = 0;
  virtual QString Path(int row) const = 0;
  // Inserts a row at position with the title "%06d - %s" of position + 1 and name.
  virtual void AddSong(const QString& name, const QString& path, int position) = 0;
  virtual void ClearSongList() = 0;
  // The row last played from the list (drawn marked), -1 for none.
  virtual int PlayPosition() const = 0;
  virtual void SetPlayPosition(int row) = 0;
  // Empties the search box, which shows the whole song list again.
  virtual void ClearSearch() = 0;
  // The caption follows the reserved-list mode; the marked row may have changed.
  virtual void Redraw() = 0;
  // Appends the songs of an M3U list file; the list takes the file's name. False when the file
  // cannot be read.
  virtual bool ReadSongListFile(const QString& path) = 0;
  // The file the list is kept in between runs: read at start-up, written at exit.
  virtual void SetDefaultListPath(const QString& path) = 0;
};

// The values the setup sheet edits, filled from the settings before it opens and taken back
// after OK. Colours are 0x00BBGGRR.
// The "Audio/Video" page's group of the setup values.
struct AudioVideoValues {
  int background = 0;  // 0 video, 1 camera, 2 solid colour
  uint32_t solidColor = 0xFF0000;
  QString backgroundVideo;
  bool aspect = false;
  bool useOriginalVideo = true;
  bool fullScreen = false;
  int audioChannel = 0;
  int audioTrack = 0;

  bool operator==(const AudioVideoValues&) const = default;
};

struct SetupValues : AudioVideoValues {
  // Display
  int codePage = 0;  // language index 0..17
  QString fontName;
  int fontSize = 70;
  uint32_t maleColor = 0xEE0000;
  uint32_t femaleColor = 0x1E1EFF;
  uint32_t duetColor = 0xFF32FF;
  bool shadow = true;
  // Audio/Video: the AudioVideoValues it derives from
  // Songs Locations and MIDI DVD
  QString songsFolders[3];
  QString dvdFolder;

  bool operator==(const SetupValues&) const = default;
};

// The setup sheet: shown modally over owner; true when closed with OK (values then hold what the
// pages hold), false when cancelled (values unchanged).
class ISetupSheet {
 public:
  virtual ~ISetupSheet() = default;
  virtual bool Run(SetupValues& values, QObject* owner) = 0;
};

// The reserved list: the queue of songs to be sung next, rows of a display text and a path.
class IReservedList {
 public:
  virtual ~IReservedList() = default;
  virtual int Count() const = 0;
  virtual QString Title(int row) const = 0;
  virtual QString Path(int row) const = 0;
  // Inserts a row at position (0 the front, Count() the end).
  virtual void InsertSong(int position, const QString& title, const QString& path) = 0;
  virtual void DeleteSong(int row) = 0;
  virtual void ClearSongs() = 0;
  virtual void Redraw() = 0;
};

// The largest key change either way, in semitones.
inline constexpr int kMaxKeySemitones = 6;

// Operations both players share. States (kState*): no graph, ready or stopped, paused, running.
// Open, Pause and Play do not wait for the media framework: Open builds the graph and starts its
// preroll, Play asks for it to run. When Play leaves the player below state 3, the start is on its
// way and its outcome comes as a graph event (kGraphEventStarted or kGraphEventStartFailed).
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
  // The key in semitones (-6..6, 0 the song's own), the tempo kept. False without sound.
  virtual bool SetKey(int semitones) = 0;
  // Takes the centre of a stereo mix (where a full mix has its lead voice) out, or puts it back.
  // False without sound.
  virtual bool SetVocalReduction(bool on) = 0;
  // The next graph event code (1 end, 2 user abort, 3 error, or a start's outcome), without
  // waiting; false when none.
  virtual bool GetEvent(int32_t& code) = 0;
  // Why the last file could not be played, in the user's words ("damaged", "not a song file",
  // "no decoder for its format (missing GStreamer element: ...)"); empty when nothing was said.
  virtual QString FailureReason() const = 0;
  virtual void Close() = 0;
  virtual void Destroy() = 0;
};

class IAudioPlayer : public IMediaPlayer {
 public:
  virtual void SetFileName(const QString& path) = 0;
  // Builds the graph for the file; kAudioGraphEvent is posted to eventReceiver for each graph
  // event. 0 when built and on its way (a file that turns out unplayable fails the start).
  virtual int32_t Open(QObject* eventReceiver) = 0;
};

class IVideoPlayer : public IMediaPlayer {
 public:
  virtual void SetFileName(const QString& path, bool videoOnly) = 0;
  // 0 a video file, 1 the first camera, 2 a solid colour (plays the file).
  virtual void SetSourceKind(int kind) = 0;
  virtual void SetStretchVideo(bool stretch) = 0;
  // Builds the picture graph; kVideoGraphEvent is posted to eventReceiver for each graph event.
  // 0 when built and on its way (a file without a picture fails the start).
  virtual int32_t Open(QObject* eventReceiver) = 0;
  virtual void SeekTo(int64_t hundredNanoseconds) = 0;
  virtual void Rewind() = 0;
  virtual void SetAudioTrack(int track) = 0;
};

}  // namespace lyrovox

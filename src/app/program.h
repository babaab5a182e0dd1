#pragma once

// The program put together: the settings store, the lyrics screen and its surfaces, the players,
// the controller and the floating windows, made in the start-up order, attached to each other,
// and taken down again at the end. `lyrovox` and the tools that play songs all run this.

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "controller/settings_store.h"

class QWidget;

namespace lyrovox {

class AcceleratorFilter;
class CFilePlayer;
class CLyricScreen;
class CMainFrame;
class CPlayerDlg;
class CScreenSurfaces;
class CSplashDlg;
class CVideoArea;
class CVideoDlg;
class MessageBoxes;
class MprisService;
class PlayListDlg;
class QtFileDialogs;
class QuitSignals;
class RequestService;
class ReservedListDlg;
class SetupSheetPort;
class VideoAreaSink;
class PictureWindow;

struct ProgramOptions {
  // The settings profile; empty keeps the defaults in memory and writes nothing.
  QString profilePath = SettingsStore::DefaultProfilePath();
  // The per-user data folder holding "TuneWell/lyrovox.m3u"; empty: no default song list.
  QString dataFolder;
  // Where the default background video is looked for first; empty: the executable's folder.
  QString programFolder;
  // The system's temporary folder, under which the private one is made; empty: QDir::tempPath().
  QString systemTemp;
  bool splash = true;
  // Only the video window is shown (tools that play one song in a window).
  bool videoWindowOnly = false;
  // The video window's size and full screen, instead of the settings'.
  std::optional<QSize> videoWindowSize;
  bool fullScreen = false;
  // Test hook: the lyrics screen cannot be made, as on a system without a display surface.
  bool failScreenCreation = false;
  // Whether Ctrl counts as held at start-up; nullopt asks the keyboard.
  std::optional<bool> ctrlHeld;
  // The program is offered on the session bus as a media player (media keys, sound menus).
  bool mediaBus = false;
  // Test hook: the song requests' room code instead of a new random one.
  std::optional<QString> requestRoomCode;
};

// The options of the program itself: the user's profile, data and temporary folders.
ProgramOptions DesktopProgramOptions();

// Where the program keeps and finds its files, as the desktop options give them (the temporary
// folder is the one the program would use; nothing is made).
struct ProgramPaths {
  QString profile;
  QString songList;
  QString temporary;
  QString backgroundVideo;  // empty when there is none
};
ProgramPaths DesktopProgramPaths();

// Floating windows place themselves, which Wayland does not let clients do: on a Wayland desktop
// the program runs on X11 (XWayland) when it can. Call before the application object is made;
// an explicit QT_QPA_PLATFORM wins.
void PreferX11Platform();

class Program final : public QObject {
  Q_OBJECT

 public:
  static constexpr int kSplashMinimumMs = 1500;

  explicit Program(ProgramOptions options, QObject* parent = nullptr);
  ~Program() override;

  // The start-up steps, in order. False only when nothing at all could be made; a program
  // without a lyrics screen still runs (no background, no timers).
  bool Start();
  // Files to open once start-up is done (after the splash).
  void OpenWhenStarted(const QStringList& files);
  // Shows the program's windows above the others (another start, the media bus's Raise).
  void RaiseWindows();
  // Stops the players and takes the windows down; they write their settings and the song list.
  // Safe to call more than once.
  void Shutdown();

  bool started() const { return startupDone_; }
  // Start has made the controller and the windows (and Shutdown has not taken them down).
  bool created() const { return frame_ != nullptr; }
  bool screenCreated() const { return screen_ != nullptr; }
  SettingsStore& settings() { return settings_; }
  CMainFrame& frame() { return *frame_; }
  CLyricScreen* screen() { return screen_.get(); }
  CScreenSurfaces* surfaces() { return surfaces_.get(); }
  CFilePlayer& videoPlayer() { return *videoPlayer_; }
  // Where a video sink draws the picture (null: the video area draws it).
  PictureWindow* pictureWindow() { return pictureWindow_.get(); }
  QWidget& videoWindow();
  CVideoDlg& videoDialog() { return *videoWindow_; }
  CPlayerDlg& panel() { return *panel_; }
  CSplashDlg* splash() { return splash_.get(); }
  // The media bus service; null when it is not offered (or not registered).
  MprisService* mediaBus() { return mpris_.get(); }
  // Song requests from phones (on or off as the settings say).
  RequestService* requests() { return requests_.get(); }
  ReservedListDlg& reservedList() { return *reservedList_; }
  PlayListDlg& songList() { return *songList_; }
  const QString& tempFolder() const { return tempFolder_; }
  const QString& defaultListPath() const { return defaultListPath_; }
  // The file the reserved list is kept in, beside the default song list.
  const QString& reservedListPath() const { return reservedListPath_; }
  // Milliseconds the splash was shown for (once it closed).
  qint64 splashShownMs() const { return splashShownMs_; }
  // Called after every frame presented into the video window.
  void SetPresentedHook(std::function<void()> hook);

 signals:
  // Start-up is done: the splash closed and the given files were opened.
  void Started();
  // Exit was chosen (or a quit signal arrived): the program is closing.
  void QuitRequested();

 private:
  void CreateWindows();
  bool CreateScreen();
  void ShowSplash();
  void ReadDefaultSongList();
  void CloseSplash();
  void AttachWindows();
  // The About box: the splash window, shown modally over owner.
  void ShowAbout(QWidget* owner);
  // Exit: the song list and the reserved list are written now; a song list that cannot be
  // written is said, and the user may save it elsewhere.
  void SaveListsBeforeExit(QWidget* owner);
  // Every floating window stays above the others, or stops doing so.
  void SetAlwaysOnTop(bool on);

  ProgramOptions options_;
  SettingsStore settings_;
  bool ctrlHeld_ = false;
  QString tempFolder_;
  QString defaultListPath_;
  QString reservedListPath_;
  QStringList filesToOpen_;
  bool startupDone_ = false;
  bool shutDown_ = false;
  QElapsedTimer splashClock_;
  qint64 splashShownMs_ = 0;

  std::unique_ptr<CLyricScreen> screen_;
  std::unique_ptr<CFilePlayer> videoPlayer_;
  std::unique_ptr<VideoAreaSink> sink_;
  // Where a video sink draws the picture with the lyrics composed over it (null: the area draws).
  std::shared_ptr<PictureWindow> pictureWindow_;
  std::unique_ptr<CScreenSurfaces> surfaces_;
  std::unique_ptr<MessageBoxes> messages_;
  std::unique_ptr<QtFileDialogs> fileDialogs_;
  std::unique_ptr<SetupSheetPort> setupSheet_;
  // In the start-up order: the control panel, the reserved list, the play list, the video window.
  std::unique_ptr<CPlayerDlg> panel_;
  std::unique_ptr<ReservedListDlg> reservedList_;
  std::unique_ptr<PlayListDlg> songList_;
  std::unique_ptr<CVideoDlg> videoWindow_;
  CVideoArea* videoArea_ = nullptr;  // the video window's child
  std::unique_ptr<CSplashDlg> splash_;
  std::unique_ptr<CMainFrame> frame_;
  std::unique_ptr<AcceleratorFilter> accelerators_;
  std::unique_ptr<QuitSignals> quitSignals_;
  std::unique_ptr<MprisService> mpris_;
  std::unique_ptr<RequestService> requests_;
};

// For measuring start-up: at the first presented frame that shows the background video, prints
// "firstFrameEpochNs: N" (the wall clock) and "rssKb: N", then quits.
void QuitAtFirstVideoFrame(Program& program);

}  // namespace lyrovox

#include "app/program.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <vector>

#include <malloc.h>
#include <unistd.h>

#include "app/accelerators.h"
#include "app/file_dialogs.h"
#include "app/message_boxes.h"
#include "app/mpris.h"
#include "app/quit_signals.h"
#include "app/request_service.h"
#include "app/splash_dlg.h"
#include "app/video_area_sink.h"
#include "controller/main_frame.h"
#include "controller/temp_folder.h"
#include "media/audio_player.h"
#include "media/background_video.h"
#include "media/file_player.h"
#include "media/picture_window.h"
#include "media/video_area.h"
#include "media/video_dlg.h"
#include "media/video_frame_holder.h"
#include "screen/lyric_screen.h"
#include "screen/screen_surfaces.h"
#include "ui/lists/play_list_dlg.h"
#include "ui/lists/reserved_list_dlg.h"
#include "ui/panel/panel_geometry.h"
#include "ui/panel/player_dlg.h"
#include "ui/setup/setup_sheet.h"

namespace lyrovox {

namespace {

// The desktop's screens, the primary one first.
std::vector<ScreenArea> DesktopScreens() {
  std::vector<ScreenArea> screens;
  const QScreen* primary = QGuiApplication::primaryScreen();
  if (primary != nullptr) screens.push_back({primary->geometry(), primary->availableGeometry()});
  for (const QScreen* screen : QGuiApplication::screens()) {
    if (screen != primary) screens.push_back({screen->geometry(), screen->availableGeometry()});
  }
  if (screens.empty()) screens.push_back({QRect(0, 0, 1024, 768), QRect(0, 0, 1024, 768)});
  return screens;
}

// The windows open at the sizes their places are worked out for.
static_assert(kPanelWidth == kPanelWindowSize.width() && kPanelHeight == kPanelWindowSize.height());
static_assert(ReservedListDlg::kWidth == kReservedListWindowSize.width() &&
              ReservedListDlg::kHeightOn == kReservedListWindowSize.height());
static_assert(PlayListDlg::kWidth == kPlayListWindowSize.width() &&
              PlayListDlg::kHeight == kPlayListWindowSize.height());

}  // namespace

void PreferX11Platform() {
  if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return;
  if (!qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "xcb");
}

ProgramOptions DesktopProgramOptions() {
  ProgramOptions options;
  options.profilePath = SettingsStore::DefaultProfilePath();
  options.dataFolder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  options.programFolder = QCoreApplication::applicationDirPath();
  options.systemTemp = QDir::tempPath();
  options.mediaBus = true;
  return options;
}

ProgramPaths DesktopProgramPaths() {
  const ProgramOptions options = DesktopProgramOptions();
  ProgramPaths paths;
  paths.profile = options.profilePath;
  paths.songList = options.dataFolder + QStringLiteral("/TuneWell/lyrovox.m3u");
  paths.temporary = options.systemTemp + QStringLiteral("/lyrovox-%1/").arg(geteuid());
  paths.backgroundVideo = FindDefaultBackgroundVideo(options.programFolder);
  return paths;
}

void QuitAtFirstVideoFrame(Program& program) {
  program.SetPresentedHook([&program] {
    static bool done = false;
    const auto frames = program.videoPlayer().frames();
    if (done || frames == nullptr || frames->serial() == 0) return;
    done = true;
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    long rss = -1;
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
      for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) rss = line.mid(6).trimmed().split(' ').front().toLong();
      }
    }
    std::printf(
        "firstFrameEpochNs: %lld\nrssKb: %ld\n",
        static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()),
        rss);
    std::fflush(stdout);
    program.frame().Quit();
  });
}

Program::Program(ProgramOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)), settings_(options_.profilePath) {}

Program::~Program() {
  Shutdown();
}

QWidget& Program::videoWindow() {
  return *videoWindow_;
}

void Program::SetPresentedHook(std::function<void()> hook) {
  if (sink_) sink_->SetPresentedHook(std::move(hook));
}

bool Program::Start() {
  // The settings, with the window places corrected for the display; Ctrl held puts every window
  // at its default place.
  ctrlHeld_ = options_.ctrlHeld.value_or(
      (QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier) != 0);
  settings_.ReadAtStartUp(DesktopScreens(), ctrlHeld_);
  Settings& values = settings_.values();
  if (options_.videoWindowSize) {
    values.videoWidth = options_.videoWindowSize->width();
    values.videoHeight = options_.videoWindowSize->height();
  }
  if (options_.fullScreen) values.fullScreen = 1;

  CreateWindows();
  const bool screenMade = CreateScreen();
  // Songs are extracted into a private folder, and only its own left-overs are cleaned.
  tempFolder_ = PrivateTempFolder(options_.systemTemp);
  DeleteLeftOverKarFiles(tempFolder_);

  // The controller, then the windows attached to it.
  CMainFrame::Parts parts;
  parts.screen = screen_.get();
  parts.surfaces = surfaces_.get();
  parts.videoPlayer = videoPlayer_.get();
  parts.messages = messages_.get();
  parts.makeAudioPlayer = [] { return std::make_unique<CAudioPlayer>(); };
  parts.tempFolder = tempFolder_;
  frame_ = std::make_unique<CMainFrame>(std::move(parts), settings_);
  CMainFrame::Windows windows;
  windows.panel = panel_.get();
  windows.videoWindow = videoWindow_.get();
  windows.videoEvents = videoWindow_.get();
  windows.songList = songList_.get();
  windows.reservedList = reservedList_.get();
  windows.fileDialogs = fileDialogs_.get();
  windows.setupSheet = setupSheet_.get();
  frame_->Attach(windows);
  AttachWindows();
  connect(frame_.get(), &CMainFrame::QuitRequested, this, &Program::QuitRequested);
  // Songs come and go all evening, and a MIDI song's instruments alone are tens of MB: what the
  // last one freed goes back to the system rather than staying in the heap's free lists.
  connect(frame_.get(), &CMainFrame::SongStarted, this, [] { malloc_trim(0); });
  quitSignals_ = std::make_unique<QuitSignals>();
  connect(quitSignals_.get(), &QuitSignals::Received, this, [this] { frame_->Quit(); });
  if (options_.mediaBus) {
    MprisService::Hooks hooks;
    hooks.raise = [this] { RaiseWindows(); };
    hooks.open = [this](const QStringList& files) { OpenWhenStarted(files); };
    mpris_ = std::make_unique<MprisService>(*frame_, std::move(hooks));
    // Without a session bus the program runs on; the media keys then work only in its windows.
    if (!mpris_->Register()) mpris_.reset();
  }

  // Without a lyrics screen the program runs on without the rest: no splash, no background.
  if (!screenMade) {
    startupDone_ = true;
    return true;
  }
  ShowSplash();
  ReadDefaultSongList();
  // Song requests, once the song list is there to be searched.
  requests_ = std::make_unique<RequestService>(
      *frame_, settings_, screen_.get(), songList_->songList().rows(), options_.requestRoomCode);
  connect(requests_.get(), &RequestService::Failed, this,
          [this](const QString& text) { messages_->ShowMessageBox(text); });
  if (!requests_->Apply()) {
    const QString text = requests_->errorText();
    QTimer::singleShot(0, this, [this, text] { messages_->ShowMessageBox(text); });
  }
  frame_->setDefaultBackgroundVideo(FindDefaultBackgroundVideo(
      options_.programFolder.isEmpty() ? QCoreApplication::applicationDirPath()
                                       : options_.programFolder));
  frame_->StartBackgroundVideo();
  if (!ctrlHeld_ && values.fullScreen != 0) videoWindow_->SetFullScreen(true);

  accelerators_ =
      std::make_unique<AcceleratorFilter>([this](int command) { frame_->OnCommand(command); });
  qApp->installEventFilter(accelerators_.get());
  frame_->UpdateDvdDataFile();

  // The splash stays up at least its minimum time; the program runs meanwhile.
  const qint64 rest = splash_ ? kSplashMinimumMs - splashClock_.elapsed() : 0;
  QTimer::singleShot(std::max<qint64>(rest, 0), this, [this] { CloseSplash(); });
  return true;
}

void Program::CreateWindows() {
  const Settings& values = settings_.values();
  messages_ = std::make_unique<MessageBoxes>(nullptr);
  fileDialogs_ = std::make_unique<QtFileDialogs>();
  setupSheet_ = std::make_unique<SetupSheetPort>(*fileDialogs_, *messages_);
  // In the start-up order: the control panel at its place, the reserved list below it, the play
  // list, then the video window holding the video area.
  panel_ = std::make_unique<CPlayerDlg>(settings_);
  if (!options_.videoWindowOnly) panel_->show();
  reservedList_ = std::make_unique<ReservedListDlg>(settings_);
  reservedList_->move(values.playerLeft, values.playerTop + kReservedListDrop);
  if (!options_.videoWindowOnly) reservedList_->show();
  songList_ = std::make_unique<PlayListDlg>(settings_);
  if (!options_.videoWindowOnly && values.playListShow != 0) songList_->show();
  videoWindow_ = std::make_unique<CVideoDlg>(settings_);
  videoArea_ = new CVideoArea;
  videoWindow_->SetVideoArea(videoArea_);
  videoWindow_->show();
  // On X the picture is drawn by a video sink into the area's own window, with the lyrics
  // composed over it in the pipeline: the frames never pass through this thread. Elsewhere, or
  // when no such sink starts, the area draws the frames itself.
  if (QGuiApplication::platformName() == QLatin1String("xcb")) {
    if (std::string sink = ChooseProgramWindowSink(); !sink.empty()) {
      pictureWindow_ = std::make_shared<PictureWindow>(std::move(sink));
      std::weak_ptr<PictureWindow> window = pictureWindow_;
      videoArea_->SetPictureInWindow(
          [window](uintptr_t handle, QSize size) {
            if (auto w = window.lock()) w->SetWindow(handle, size);
          },
          [window] {
            if (auto w = window.lock()) w->Expose();
          });
    }
  }
}

void Program::AttachWindows() {
  CVideoDlg::Peers videoPeers;
  videoPeers.panel = panel_.get();
  videoPeers.playList = songList_.get();
  videoPeers.reservedList = reservedList_.get();
  videoWindow_->Attach(*frame_, screen_.get(), videoPeers);
  songList_->Attach(*frame_, *fileDialogs_, *messages_);
  songList_->SetDockPanel(panel_.get());
  reservedList_->Attach(*frame_, *messages_);
  // The play list's close spot clears the control panel's toggle.
  connect(songList_.get(), &PlayListDlg::HiddenByCloseSpot, panel_.get(),
          [this] { panel_->SetPlayListShow(0); });
  CPlayerDlg::Peers panelPeers;
  panelPeers.reservedList = reservedList_.get();
  panelPeers.playList = songList_.get();
  panelPeers.playListDock = &songList_->dockState();
  panelPeers.videoWindow = videoWindow_.get();
  panelPeers.videoDock = &videoWindow_->dock();
  panelPeers.messages = messages_.get();
  panelPeers.showAbout = [this](QWidget* owner) { ShowAbout(owner); };
  panelPeers.setAlwaysOnTop = [this](bool on) { SetAlwaysOnTop(on); };
  panelPeers.beforeExit = [this](QWidget* owner) { SaveListsBeforeExit(owner); };
  panel_->Attach(*frame_, panelPeers);
}

void Program::SaveListsBeforeExit(QWidget* owner) {
  reservedList_->WriteList();
  if (songList_->WriteDefaultList()) return;
  // Said as Save says it, and the list may be kept elsewhere before the program closes.
  QString path = defaultListPath_;
  while (messages_->AskYesNo(QStringLiteral("Can't save the songlist to %1.\n"
                                            "Do you want to save it somewhere else?")
                                 .arg(path))) {
    FileDialogRequest request;
    request.title = QStringLiteral("Save songlist");
    request.filters = {QStringLiteral("M3U songlist (*.m3u)")};
    request.initialName = QStringLiteral("*.m3u");
    request.owner = owner;
    path = fileDialogs_->SaveFile(request);
    if (path.isEmpty() || songList_->WriteSongListFile(path)) return;
  }
}

void Program::ShowAbout(QWidget* owner) {
  CSplashDlg about(true, owner);
  about.exec();
}

void Program::SetAlwaysOnTop(bool on) {
  for (QWidget* window :
       {static_cast<QWidget*>(panel_.get()), static_cast<QWidget*>(reservedList_.get()),
        static_cast<QWidget*>(songList_.get()), static_cast<QWidget*>(videoWindow_.get())}) {
    if (window == nullptr) continue;
    const bool shown = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    // Changing a window's flags hides it.
    if (shown) window->show();
  }
}

bool Program::CreateScreen() {
  videoPlayer_ = std::make_unique<CFilePlayer>();
  videoPlayer_->SetPictureWindow(pictureWindow_);
  if (options_.failScreenCreation || QGuiApplication::primaryScreen() == nullptr) return false;
  screen_ = std::make_unique<CLyricScreen>(settings_.values());
  sink_ = std::make_unique<VideoAreaSink>(*videoArea_, *screen_, videoPlayer_->frames(),
                                          pictureWindow_);
  surfaces_ = std::make_unique<CScreenSurfaces>(*screen_, sink_.get());
  return true;
}

void Program::ShowSplash() {
  splashClock_.start();
  if (!options_.splash) return;
  splash_ = std::make_unique<CSplashDlg>();
  splash_->show();
  splash_->SetStatusText(QString());
}

void Program::ReadDefaultSongList() {
  if (options_.dataFolder.isEmpty()) return;
  const QString folder = options_.dataFolder + QStringLiteral("/TuneWell");
  QDir().mkpath(folder);
  defaultListPath_ = folder + QStringLiteral("/lyrovox.m3u");
  songList_->SetDefaultListPath(defaultListPath_);
  if (QFileInfo::exists(defaultListPath_)) songList_->ReadSongListFile(defaultListPath_);
  // The reserved songs of the last run come back, waiting for their turn.
  reservedListPath_ = folder + QStringLiteral("/reserved.m3u");
  reservedList_->SetListPath(reservedListPath_);
  if (settings_.values().reservedListEnable != 0 && reservedList_->RestoreList()) {
    reservedList_->Redraw();
    frame_->RefreshNextSongBanner();
  }
}

void Program::CloseSplash() {
  if (splash_) {
    splashShownMs_ = splashClock_.elapsed();
    splash_->close();
    splash_.reset();
  }
  startupDone_ = true;
  if (!filesToOpen_.isEmpty()) frame_->OpenFiles(std::exchange(filesToOpen_, {}));
  emit Started();
}

void Program::OpenWhenStarted(const QStringList& files) {
  if (startupDone_ && frame_) {
    frame_->OpenFiles(files);
  } else {
    filesToOpen_ += files;
  }
}

void Program::RaiseWindows() {
  if (!videoWindow_) return;
  // Back in front as the program shows them: the video window under the floating windows, and
  // the control panel, which carries the taskbar entry, with the focus.
  std::vector<QWidget*> shown = {videoWindow_.get()};
  if (!options_.videoWindowOnly) {
    if (songList_->isVisible()) shown.push_back(songList_.get());
    shown.push_back(reservedList_.get());
    shown.push_back(panel_.get());
  }
  for (QWidget* window : shown) {
    if (window->isMinimized()) {
      window->showNormal();
    } else {
      window->show();
    }
    window->raise();
  }
  shown.back()->activateWindow();
}

void Program::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  mpris_.reset();
  // No request reaches the controller once it begins to go.
  requests_.reset();
  if (accelerators_) qApp->removeEventFilter(accelerators_.get());
  splash_.reset();
  if (frame_) frame_->OnDestroy();
  // Every picture pipeline goes before the window its sink draws into.
  if (videoPlayer_) videoPlayer_->graph().TakeDownAll();
  // Nothing presents any more: the surfaces go before the window they draw into.
  surfaces_.reset();
  sink_.reset();
  // The windows write their settings and the song list as they go; the control panel first, as
  // it watches the others.
  panel_.reset();
  videoWindow_.reset();
  songList_.reset();
  reservedList_.reset();
  frame_.reset();
  videoPlayer_.reset();
  screen_.reset();
}

}  // namespace lyrovox

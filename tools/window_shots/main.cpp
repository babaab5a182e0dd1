// lyrovox-window-shots: starts the whole program (splash, control panel, video window) on a
// fresh profile and saves its windows as PNG files along the way:
//
//   splash.png            the splash window during start-up
//   panel-idle.png        the control panel with no song
//   panel-pressed.png     the same with the Play button held down
//   panel-playing.png     SONG playing, its long title part way through its scroll
//   video-window.png      the video window with SONG's lyrics over the background
//   desktop.png           the whole screen with every window
//   video-fullscreen.png  the video window in full screen
//   key-notice.png        the video window just after the key went a semitone up
//   size-100-fitted.png   SONG again at the biggest font size, its lines fitted to the screen
//   cant-play.png         the video window when a song whose file is gone was chosen
//   cant-play-panel.png   the control panel then
//
//   lyrovox-window-shots OUT_DIR SONG [SECONDS]
//
// SECONDS (default 8) is how long SONG plays before the playing shots. With --first-start it
// starts on an empty profile and an empty song list, as a newcomer does, and saves
//
//   NAME.png              the whole screen once start-up is done (default NAME: first-start)
//   about.png             the About box
//
//   lyrovox-window-shots --first-start OUT_DIR [NAME]
//
// Run it under a display (tools/make_window_screenshots runs it under Xvfb); the program's own
// profile is not touched.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "app/program.h"
#include "app/splash_dlg.h"
#include "controller/main_frame.h"
#include "media/video_dlg.h"
#include "ui/panel/player_dlg.h"
#include "ui/panel/skin_buttons.h"

namespace {

using lyrovox::Program;

// Saves a shot as OUT_DIR/NAME and prints its path; false (and a complaint) when it cannot.
bool WriteShot(const QPixmap& pixmap, const QString& outDir, const QString& name) {
  const QString path = QDir(outDir).filePath(name);
  if (pixmap.isNull() || !pixmap.save(path, "PNG")) {
    std::fprintf(stderr, "lyrovox-window-shots: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  std::fflush(stdout);
  return true;
}

// One step of the run: after waitMs, do the work.
struct Step {
  int waitMs;
  std::function<void()> work;
};

class ShotRun {
 public:
  ShotRun(Program& program, QString outDir, QString song, int playMs)
      : program_(program), out_(std::move(outDir)), song_(std::move(song)), playMs_(playMs) {}

  // The splash is up while the program starts; the rest follows once it has started.
  void Begin() {
    QTimer::singleShot(500, [this] {
      if (lyrovox::CSplashDlg* splash = program_.splash()) Save(*splash, "splash.png");
    });
    QObject::connect(&program_, &Program::Started, [this] { Run(Steps(), 0); });
  }

  int status() const { return status_; }

 private:
  std::vector<Step> Steps() {
    lyrovox::CPlayerDlg& panel = program_.panel();
    lyrovox::CVideoDlg& video = program_.videoDialog();
    return {
        {300, [this, &panel] { Save(panel, "panel-idle.png"); }},
        {100,
         [this, &panel] {
           lyrovox::COwnerDrawButton* play = panel.button(lyrovox::kCommandPlay);
           play->setDown(true);
           Save(panel, "panel-pressed.png");
           play->setDown(false);
           program_.frame().PlaySong(song_);
         }},
        {playMs_,
         [this, &panel, &video] {
           Save(panel, "panel-playing.png");
           Save(video, "video-window.png");
           SaveDesktop("desktop.png");
           video.SetFullScreen(true);
         }},
        {1500,
         [this, &video] {
           Save(video, "video-fullscreen.png");
           video.SetFullScreen(false);
           program_.frame().KeyUp();
         }},
        {400, [this, &video] { Save(video, "key-notice.png"); }},
        {100,
         [this] {
           // The biggest lyric font: the song's lines are wider than the screen.
           program_.settings().values().defaultFontSizeValue = 100;
           program_.frame().PlaySong(song_);
         }},
        {4600, [this, &video] { Save(video, "size-100-fitted.png"); }},
        {100,
         [this] {
           program_.settings().values().defaultFontSizeValue = 70;
           program_.frame().PlaySong(
               QFileInfo(song_).dir().filePath(QStringLiteral("Gone Song.mp3")));
         }},
        {600,
         [this, &panel, &video] {
           Save(video, "cant-play.png");
           Save(panel, "cant-play-panel.png");
         }},
        {300, [] { QCoreApplication::quit(); }},
    };
  }

  void Run(std::vector<Step> steps, size_t next) {
    if (next >= steps.size()) return;
    const int wait = steps[next].waitMs;
    QTimer::singleShot(wait, [this, steps = std::move(steps), next]() mutable {
      steps[next].work();
      Run(std::move(steps), next + 1);
    });
  }

  void Save(QWidget& window, const char* name) {
    window.repaint();
    QPixmap pixmap;
    if (QScreen* screen = window.screen()) pixmap = screen->grabWindow(window.winId());
    if (pixmap.isNull()) pixmap = window.grab();
    Write(pixmap, name);
  }

  void SaveDesktop(const char* name) {
    QScreen* screen = QGuiApplication::primaryScreen();
    Write(screen != nullptr ? screen->grabWindow(0) : QPixmap(), name);
  }

  void Write(const QPixmap& pixmap, const char* name) {
    if (!WriteShot(pixmap, out_, QString::fromLatin1(name))) status_ = 1;
  }

  Program& program_;
  QString out_;
  QString song_;
  int playMs_;
  int status_ = 0;
};

// A newcomer's first start: the screen once the program has started, then the About box.
class FirstStartRun {
 public:
  FirstStartRun(Program& program, QString outDir, QString name)
      : program_(program), out_(std::move(outDir)), name_(std::move(name)) {}

  void Begin() {
    QObject::connect(&program_, &Program::Started, [this] {
      QTimer::singleShot(800, [this] {
        QScreen* screen = QGuiApplication::primaryScreen();
        Write(screen != nullptr ? screen->grabWindow(0) : QPixmap(), name_ + ".png");
        about_ = std::make_unique<lyrovox::CSplashDlg>(true);
        about_->show();
        QTimer::singleShot(500, [this] {
          about_->repaint();
          QPixmap pixmap = about_->screen()->grabWindow(about_->winId());
          if (pixmap.isNull()) pixmap = about_->grab();
          Write(pixmap, QStringLiteral("about.png"));
          about_.reset();
          QCoreApplication::quit();
        });
      });
    });
  }

  int status() const { return status_; }

 private:
  void Write(const QPixmap& pixmap, const QString& name) {
    if (!WriteShot(pixmap, out_, name)) status_ = 1;
  }

  Program& program_;
  QString out_;
  QString name_;
  std::unique_ptr<lyrovox::CSplashDlg> about_;
  int status_ = 0;
};

// The program on an empty profile and song list in a folder of its own.
int RunFirstStart(const QStringList& args) {
  if (args.size() < 1 || args.size() > 2) {
    std::fprintf(stderr, "usage: lyrovox-window-shots --first-start OUT_DIR [NAME]\n");
    return 2;
  }
  if (!QDir().mkpath(args[0])) {
    std::fprintf(stderr, "lyrovox-window-shots: no folder %s\n", qPrintable(args[0]));
    return 1;
  }
  QTemporaryDir home;
  lyrovox::ProgramOptions options;
  options.profilePath = home.filePath(QStringLiteral("LyroVox.conf"));
  options.dataFolder = home.path();
  options.programFolder = QCoreApplication::applicationDirPath();
  options.systemTemp = home.path();
  options.ctrlHeld = false;
  Program program(options);
  FirstStartRun run(program, args[0], args.size() > 1 ? args[1] : QStringLiteral("first-start"));
  run.Begin();
  if (!program.Start()) return 1;
  QApplication::exec();
  program.Shutdown();
  return run.status();
}

}  // namespace

int main(int argc, char** argv) {
  lyrovox::PreferX11Platform();
  QApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("Lyrovox"));
  QApplication::setQuitOnLastWindowClosed(false);
  const QStringList args = QCoreApplication::arguments().mid(1);
  if (!args.isEmpty() && args.front() == u"--first-start") return RunFirstStart(args.mid(1));
  bool secondsOk = true;
  const int seconds = args.size() > 2 ? args[2].toInt(&secondsOk) : 8;
  if (args.size() < 2 || args.size() > 3 || !secondsOk || seconds < 1) {
    std::fprintf(stderr, "usage: lyrovox-window-shots OUT_DIR SONG [SECONDS]\n");
    return 2;
  }
  const QString outDir = args[0];
  if (!QDir().mkpath(outDir) || !QFileInfo(args[1]).isFile()) {
    std::fprintf(stderr, "lyrovox-window-shots: no folder %s or no song %s\n", qPrintable(outDir),
                 qPrintable(args[1]));
    return 1;
  }

  // A fresh profile, with the video window a little larger than its first-run size so the
  // lyrics read in the shots: its picture is 800 x 600.
  QTemporaryDir home;
  const QString profile = home.filePath(QStringLiteral("LyroVox.conf"));
  {
    QFile file(profile);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write("[Setup]\nVideo_Width=808\nVideo_Height=646\n") < 0) {
      std::fprintf(stderr, "lyrovox-window-shots: cannot write %s\n", qPrintable(profile));
      return 1;
    }
  }
  lyrovox::ProgramOptions options;
  options.profilePath = profile;
  options.dataFolder = home.path();
  options.programFolder = QCoreApplication::applicationDirPath();
  options.systemTemp = home.path();
  options.ctrlHeld = false;

  Program program(options);
  ShotRun run(program, outDir, QFileInfo(args[1]).absoluteFilePath(), seconds * 1000);
  run.Begin();
  if (!program.Start()) return 1;
  QApplication::exec();
  program.Shutdown();
  return run.status();
}

// lyrovox: the karaoke player.
//
//   lyrovox [FILE...]     start, then play FILE (or queue the files in the reserved list); with
//                         the program already running, hand the files to it and end
//   lyrovox --help | --version | --paths
//
// Everything is put together in Program (src/app/program.h); this only reads the command line.

#include <QApplication>
#include <QFileInfo>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/program.h"
#include "app/single_instance.h"
#include "controller/main_frame.h"

namespace {

constexpr const char* kUsage =
    "usage: lyrovox [FILE...]\n"
    "Starts the karaoke player. Each FILE (a song or an .m3u list) is queued in the\n"
    "reserved list, the first one playing at once when nothing plays; with the reserved\n"
    "list off, the first plays and the others join the song list. When Lyrovox runs\n"
    "already, the files go to it and this start ends.\n"
    "  --measure-startup  print when the first frame of the background video was shown\n"
    "             (firstFrameEpochNs: nanoseconds since 1970) and the memory then, and exit\n"
    "  --paths    where the settings, the song list, the temporary folder and the\n"
    "             default background video are, then exit\n"
    "  --help     this text\n"
    "  --version  the version\n";

// The options that answer without a window: 0 or 2 to exit with, -1 to start the program.
int AnswerWithoutWindows(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(arg, "--version") == 0) {
      std::printf("lyrovox %s\n", LYROVOX_VERSION);
      return 0;
    }
    if (std::strcmp(arg, "--paths") == 0) {
      QCoreApplication app(argc, argv);
      const lyrovox::ProgramPaths paths = lyrovox::DesktopProgramPaths();
      std::printf("profile: %s\nsongList: %s\ntemporary: %s\nbackgroundVideo: %s\n",
                  qUtf8Printable(paths.profile), qUtf8Printable(paths.songList),
                  qUtf8Printable(paths.temporary), qUtf8Printable(paths.backgroundVideo));
      return 0;
    }
    if (std::strcmp(arg, "--measure-startup") == 0) continue;
    if (std::strncmp(arg, "--", 2) == 0) {
      std::fprintf(stderr, "lyrovox: unknown option %s (see lyrovox --help)\n", arg);
      return 2;
    }
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (const int status = AnswerWithoutWindows(argc, argv); status >= 0) return status;

  lyrovox::PreferX11Platform();
  QApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("Lyrovox"));
  QCoreApplication::setApplicationVersion(QStringLiteral(LYROVOX_VERSION));
  QGuiApplication::setDesktopFileName(QStringLiteral("lyrovox"));
  QStringList files;
  bool measureStartup = false;
  for (const QString& arg : QCoreApplication::arguments().mid(1)) {
    if (arg == u"--measure-startup") {
      measureStartup = true;
    } else {
      files << QFileInfo(arg).absoluteFilePath();
    }
  }

  // One program per user and profile: the running one takes the files (or only comes to the
  // front). A start-up measurement runs on its own.
  lyrovox::SingleInstance instance(lyrovox::DefaultInstanceFolder(),
                                   lyrovox::SettingsStore::DefaultProfilePath());
  const auto role = measureStartup ? lyrovox::SingleInstance::Role::kAlone : instance.Claim(files);
  if (role == lyrovox::SingleInstance::Role::kHandedOver) return 0;
  if (role == lyrovox::SingleInstance::Role::kNoAnswer) {
    std::fprintf(stderr, "lyrovox: the running Lyrovox did not take the files\n");
    return 1;
  }

  QApplication::setQuitOnLastWindowClosed(false);
  lyrovox::Program program(lyrovox::DesktopProgramOptions());
  QObject::connect(&instance, &lyrovox::SingleInstance::FilesReceived, &program,
                   [&program](const QStringList& handed) {
                     program.OpenWhenStarted(handed);
                     program.RaiseWindows();
                   });
  QObject::connect(&program, &lyrovox::Program::QuitRequested, &app, &QCoreApplication::quit,
                   Qt::QueuedConnection);
  // The end of the desktop session closes the program as Exit does.
  QObject::connect(&app, &QGuiApplication::commitDataRequest, &program,
                   [&program] { program.frame().Quit(); });
  QObject::connect(&app, &QCoreApplication::aboutToQuit, &program,
                   [&program] { program.Shutdown(); });
  program.OpenWhenStarted(files);
  if (!program.Start()) return 1;
  if (measureStartup) lyrovox::QuitAtFirstVideoFrame(program);
  return QApplication::exec();
}

// lyrovox: the karaoke player.
//
//   lyrovox [FILE...]     start, then play FILE (or queue the files in the reserved list); with
//                         the program already running, hand the files to it and end
//   lyrovox --help | --version
//
// Everything is put together in Program (src/app/program.h); this only reads the command line.

#include <QApplication>
#include <QFileInfo>
#include <cstdio>

#include "app/program.h"
#include "app/single_instance.h"
#include "controller/main_frame.h"

int main(int argc, char** argv) {
  lyrovox::PreferX11Platform();
  QApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("Lyrovox"));
  QCoreApplication::setApplicationVersion(QStringLiteral(LYROVOX_VERSION));
  QGuiApplication::setDesktopFileName(QStringLiteral("lyrovox"));
  QStringList files;
  const QStringList args = QCoreApplication::arguments().mid(1);
  for (const QString& arg : args) {
    if (arg == u"--help" || arg == u"-h") {
      std::printf(
          "usage: lyrovox [FILE...]\n"
          "Starts the karaoke player. Each FILE (a song or an .m3u list) is queued in the\n"
          "reserved list, the first one playing at once when nothing plays; with the reserved\n"
          "list off, the first plays and the others join the song list. When Lyrovox runs\n"
          "already, the files go to it and this start ends.\n"
          "  --help     this text\n"
          "  --version  the version\n");
      return 0;
    }
    if (arg == u"--version") {
      std::printf("lyrovox %s\n", LYROVOX_VERSION);
      return 0;
    }
    if (arg.startsWith(u"--")) {
      std::fprintf(stderr, "lyrovox: unknown option %s (see lyrovox --help)\n",
                   qUtf8Printable(arg));
      return 2;
    }
    files << QFileInfo(arg).absoluteFilePath();
  }

  // One program per user: the running one takes the files (or only comes to the front).
  lyrovox::SingleInstance instance(lyrovox::DefaultInstanceFolder());
  switch (instance.Claim(files)) {
    case lyrovox::SingleInstance::Role::kHandedOver:
      return 0;
    case lyrovox::SingleInstance::Role::kNoAnswer:
      std::fprintf(stderr, "lyrovox: the running Lyrovox did not take the files\n");
      return 1;
    case lyrovox::SingleInstance::Role::kFirst:
    case lyrovox::SingleInstance::Role::kAlone:
      break;
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
  return QApplication::exec();
}

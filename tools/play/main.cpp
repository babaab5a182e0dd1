// lyrovox-play: plays one song in a window, the way the player does: the background video, the
// song's music or video, its lyrics coloured in time, and the program's keys.
//
//   lyrovox-play FILE [--size WxH] [--fullscreen] [--measure] [--quit-at-end]
//                     [--at SECONDS... --png OUT]
//
// Options and output are described in the README ("Playing a song: lyrovox-play").

#include <QApplication>
#include <cstdio>
#include <iostream>

#include "play/play_session.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("Lyrovox"));
  QStringList args = QCoreApplication::arguments();
  args.removeFirst();
  if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
    std::printf(
        "usage: lyrovox-play FILE [--size WxH] [--fullscreen] [--measure] [--quit-at-end]\n"
        "                         [--at SECONDS... --png OUT]\n"
        "keys: Ctrl+Alt+End stop, Ctrl+Alt+Insert play again, Ctrl+Up/Down volume,\n"
        "      Ctrl+Left/Right speed, Ctrl+F12 audio track or channel, double click full screen\n");
    return 0;
  }
  lyrovox::PlayOptions options;
  QString error;
  if (!lyrovox::ParsePlayArgs(args, options, error)) {
    std::cerr << "lyrovox-play: " << error.toStdString() << "\n(see lyrovox-play --help)\n";
    return 2;
  }
  lyrovox::PlaySession session(options, std::cout, std::cerr);
  if (!session.Start()) return 1;
  app.exec();
  session.Close();
  return session.exitStatus();
}

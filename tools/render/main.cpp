// lyrovox-render: draws a song's lyrics screen without a display and writes frames as PNG files.
//
//   lyrovox-render SONG [--size WxH] [--target WxH] [--fullscreen] [--at SECONDS]... --png OUT
//   lyrovox-render SONG [...] --frames DIR --from SECONDS --to SECONDS
//
// Options and output are described in the README ("Looking at the lyrics screen").

#include <QGuiApplication>
#include <cstdio>
#include <iostream>

#include "render/render_session.h"

int main(int argc, char** argv) {
  // Frames are drawn off screen; no display is needed unless one is asked for.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QStringList args = QCoreApplication::arguments();
  args.removeFirst();
  if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
    std::printf(
        "usage: lyrovox-render SONG [--size WxH] [--target WxH] [--fullscreen]\n"
        "         [--background COLOR] [--duration S] [--reserved ROW]... [--type DIGITS]\n"
        "         [--typed-title TEXT] [--language N]\n"
        "         (--at S... --png OUT | --frames DIR --from S --to S)\n");
    return 0;
  }
  lyrovox::RenderOptions options;
  QString error;
  if (!lyrovox::ParseRenderArgs(args, options, error)) {
    std::cerr << "lyrovox-render: " << error.toStdString() << "\n(see lyrovox-render --help)\n";
    return 2;
  }
  return lyrovox::RunRender(options, std::cout, std::cerr);
}

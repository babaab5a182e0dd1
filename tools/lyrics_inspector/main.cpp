// lyrovox-lyrics: shows what the player reads from songs' lyrics.
//
//   lyrovox-lyrics [--json] [--language N] FILE...
//
// The output format is described in the README ("Checking a song's lyrics").

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <iostream>

#include "common/tool_args.h"
#include "lyrics_inspector/inspector.h"

namespace {

// The usage goes to standard output when asked for, else with the error to standard error.
int Usage(const char* program, std::FILE* to = stderr) {
  std::fprintf(to, "usage: %s [--json] [--language N] FILE...\n", program);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  bool json = false;
  int language = 0;
  QStringList files;
  for (qsizetype i = 1; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a == u"--json") {
      json = true;
    } else if (a == u"--language") {
      QString error;
      if (!lyrovox::TakeLanguage(args, i, language, error)) return Usage(argv[0]);
    } else if (a == u"--help" || a == u"-h") {
      Usage(argv[0], stdout);
      return 0;
    } else if (a.startsWith(u"--")) {
      return Usage(argv[0]);
    } else {
      files << a;
    }
  }
  if (files.isEmpty()) return Usage(argv[0]);

  int status = 0;
  bool first = true;
  for (const QString& file : files) {
    const lyrovox::LyricReport report = lyrovox::InspectSong(file, language);
    if (!report.exists) {
      std::cerr << argv[0] << ": cannot open " << file.toStdString() << '\n';
      status = 1;
      continue;
    }
    if (const std::string damage = lyrovox::FormatDamage(report); !damage.empty()) {
      std::cerr << argv[0] << ": " << damage << '\n';
    }
    if (json) {
      std::cout << lyrovox::FormatReportJson(report) << '\n';
    } else {
      if (!first) std::cout << '\n';
      std::cout << lyrovox::FormatReportText(report);
    }
    first = false;
  }
  return status;
}

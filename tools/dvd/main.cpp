// lyrovox-dvd: takes one song out of a MIDI karaoke DVD data file, as the player does for a
// song number that no songs folder holds.
//
//   lyrovox-dvd DATAFILE NUMBER --out DIR [--plain | --head-only] [--code-page CP]
//
// Writes DIR/NUMBER.lpd and DIR/NUMBER.kar and prints the song's title (UTF-8), or -1 when the
// number names no valid song. The lyric blocks are read as the player reads them, in the reading
// that gives the data file's songs; --plain and --head-only choose the reading instead.

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "archive/zip_archive.h"
#include "lyrics/dvd_extract.h"

namespace {

// The usage goes to standard output when asked for, else with the error to standard error.
int Usage(const char* program, std::FILE* to = stderr) {
  std::fprintf(to, "usage: %s DATAFILE NUMBER --out DIR [--plain | --head-only] [--code-page CP]\n",
               program);
  return 2;
}

bool ParseInt(const char* text, long& value) {
  char* end = nullptr;
  value = std::strtol(text, &end, 10);
  return end != text && *end == 0 && value >= 0 && value <= 0x7FFFFFFF;
}

}  // namespace

int main(int argc, char** argv) {
  std::string dataFile;
  long number = -1;
  std::string out;
  std::optional<lyrovox::DvdReading> reading;
  long codePage = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--out" && i + 1 < argc) {
      out = argv[++i];
    } else if (a == "--plain") {
      reading = lyrovox::DvdReading::kPlain;
    } else if (a == "--head-only") {
      reading = lyrovox::DvdReading::kHeadOnly;
    } else if (a == "--code-page" && i + 1 < argc) {
      if (!ParseInt(argv[++i], codePage)) return Usage(argv[0]);
    } else if (a == "--help" || a == "-h") {
      Usage(argv[0], stdout);
      return 0;
    } else if (a.rfind("--", 0) == 0) {
      return Usage(argv[0]);
    } else if (dataFile.empty()) {
      dataFile = a;
    } else if (number < 0) {
      if (!ParseInt(a.c_str(), number)) return Usage(argv[0]);
    } else {
      return Usage(argv[0]);
    }
  }
  if (dataFile.empty() || number < 0 || out.empty()) return Usage(argv[0]);

  std::u16string title;
  if (!reading) {
    reading = lyrovox::DetectDvdReading(dataFile, static_cast<int32_t>(number),
                                        static_cast<int32_t>(codePage));
  }
  const lyrovox::DvdDescrambler& step = lyrovox::DescramblerFor(*reading);
  const int32_t result = lyrovox::ExtractDvdSong(static_cast<int32_t>(number), out, dataFile,
                                                 static_cast<int32_t>(codePage), title, step);
  if (result == lyrovox::kDvdNoSong) {
    std::printf("-1\n");
    return 1;
  }
  std::printf("%s\n", lyrovox::Utf8FromUtf16(title).c_str());
  return 0;
}

// lyrovox-dvd: takes one song out of a MIDI karaoke DVD data file, as the player does for a
// song number that no songs folder holds.
//
//   lyrovox-dvd DATAFILE NUMBER --out DIR [--plain] [--code-page CP]
//
// Writes DIR/NUMBER.lpd and DIR/NUMBER.kar and prints the song's title (UTF-8), or -1 when the
// number names no valid song. --plain reads lyric blocks stored unscrambled.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "archive/zip_archive.h"
#include "lyrics/dvd_extract.h"

namespace {

// The usage goes to standard output when asked for, else with the error to standard error.
int Usage(const char* program, std::FILE* to = stderr) {
  std::fprintf(to, "usage: %s DATAFILE NUMBER --out DIR [--plain] [--code-page CP]\n", program);
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
  bool plain = false;
  long codePage = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--out" && i + 1 < argc) {
      out = argv[++i];
    } else if (a == "--plain") {
      plain = true;
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
  const lyrovox::DvdDescrambler& step =
      plain ? lyrovox::PlainDvdDescrambler() : lyrovox::ShippedDvdDescrambler();
  const int32_t result = lyrovox::ExtractDvdSong(static_cast<int32_t>(number), out, dataFile,
                                                 static_cast<int32_t>(codePage), title, step);
  if (result == lyrovox::kDvdNoSong) {
    std::printf("-1\n");
    return 1;
  }
  std::printf("%s\n", lyrovox::Utf8FromUtf16(title).c_str());
  return 0;
}

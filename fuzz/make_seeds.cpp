// Writes seed files for the fuzzing corpora into a folder.
//
//   lyrovox-fuzz-seeds DIR

#include <cstdio>
#include <string>

#include "common/smf_builder.h"

namespace {

using lyrovox::smf::File;
using lyrovox::smf::Utf16Le;

void WriteKarSeeds(const std::string& dir) {
  File ansi(1, 480);
  ansi.AddTrack().Tempo(0, 500000).Tempo(960, 400000);
  ansi.AddTrack()
      .Text(0, "@TTitle")
      .Text(0, "@TArtist")
      .Text(480, "\\Hel")
      .Text(480, "lo ")
      .Text(960, "\r")
      .Text(960, "world")
      .Text(1440, "/next\r")
      .Lyric(1500, "x")
      .SysEx(1600, "\x7E\xF7");
  ansi.AddTrack()
      .UseRunningStatus()
      .Program(0, 0, 5)
      .Note(0, 100, 0, 60, 90)
      .Note(50, 100, 0, 62, 90);
  ansi.Write(dir + "/ansi.kar");

  File wide(1, 480);
  wide.AddTrack()
      .Text(0, Utf16Le(u"@CODE=UNICODE"))
      .Text(0, Utf16Le(u"@T\u6B4C"))
      .Lyric(480, Utf16Le(u"\u4F60"))
      .Lyric(960, Utf16Le(u"/"))
      .Lyric(1440, Utf16Le(u"\u597D"));
  wide.Write(dir + "/wide.kar");

  File smpte(0, static_cast<uint16_t>((0xE7 << 8) | 40));
  smpte.AddTrack().Text(0, "one").Text(1000, "two");
  smpte.Write(dir + "/smpte.kar");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  WriteKarSeeds(std::string(argv[1]) + "/kar");
  return 0;
}

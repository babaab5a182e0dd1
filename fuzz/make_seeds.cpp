// Writes seed files for the fuzzing corpora into a folder.
//
//   lyrovox-fuzz-seeds DIR

#include <cstdio>
#include <fstream>
#include <string>

#include "common/kym_builder.h"
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

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// LRC seeds serve both readings: the first byte of an 8-bit seed also picks the code page.
void WriteLrcSeeds(const std::string& dir) {
  const std::string lines =
      "[ti:Title]\r\n[ar:Artist]\r\n[offset:-250]\r\n[la:ignored]\r\n"
      "[00:01.10]First line, long enough to be split near its middle\r\n"
      "[00:03.20][00:40.00]Chorus\r\n"
      "\r\n"
      "[00:05.5]Hello<00:06.25>world\r\n"
      "[01:02]whole seconds\n[1.25]relative\n[0.5]again\n"
      "[00:08.345]third digit\n"
      "[00:09.00]no line feed at the end";
  WriteBytes(dir + "/ascii.lrc", lines);
  WriteBytes(dir + "/korean.lrc",
             "\x04[ti:\xB3\xEB\xB7\xA1]\n[00:01.00]\xBF\xEC\xB8\xAE \xC7\xD4\xB2\xB2\n");
  WriteBytes(dir + "/broken.lrc", "[00:01.00]a\n[AR:upper]\n[]\n[offset:x]\n");
  std::u16string wide = u"\uFEFF[ti:\u6B4C]\r\n[00:01.00]\u4F60\u597D<00:01.50>\u554A\r\n";
  wide += std::u16string(lines.begin(), lines.end());
  WriteBytes(dir + "/wide.lrc", Utf16Le(wide));
}

void WriteXmlSeeds(const std::string& dir) {
  WriteBytes(dir + "/duet.xml",
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<data>\n"
             "<line s=\"m\"><w va=\"0:01:50\">Hel</w><w va=\"0:02:00\">lo</w></line>\n"
             "<line s=\"f\"><w va=\"0:00:00\">zero</w><w va=\"1:02:35\">x</w></line>\n"
             "<line><w va=\"1:02\">two</w></line><line s=\"x\"/>\n"
             "<line s=\"d\"><w va=\"0:03:00\"><![CDATA[c<d]]> &amp; <b>e</b></w></line>\n"
             "</data>\n");
  WriteBytes(dir + "/cp1251.xml",
             "<?xml version='1.0' encoding='windows-1251'?><data><l s='m'>"
             "<w va='0:01:00'>\xCF\xF0\xE8</w></l></data>");
  WriteBytes(dir + "/wide.xml",
             Utf16Le(u"\uFEFF<data><l s=\"f\"><w va=\"0:01:00\">\u4F60</w></l></data>"));
}

void WriteKymSeeds(const std::string& dir) {
  lyrovox::kym::File song;
  song.Line("\xBF\xEC\xB8\xAE \xC7\xD4\xB2\xB2")
      .Line("\xB3\xEB\xB7\xA1\xC7\xD8\xBF\xE4")
      .AddWord({1000, 0, 4, 0})
      .AddWord({1500, 0, 0, 0})
      .AddWord({2000, 5, 4, 0})
      .AddWord({3500, 0, 8, 1})
      .AddWord({3600, 20, 9, 1})
      .Title("\xB3\xEB\xB7\xA1")
      .Artist("\xB0\xA1\xBC\xF6");
  song.Write(dir + "/song.kym");
  song.ItagRecord(false);
  song.Write(dir + "/itag_in_word.kym");
  lyrovox::kym::File lines;
  lines.Line("ABCDEFGHIJKLMNOPQRSTUVWX").Line("ab").LinesOnly();
  lines.Write(dir + "/lines_only.kym");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  WriteKarSeeds(dir + "/kar");
  WriteLrcSeeds(dir + "/lrc");
  WriteXmlSeeds(dir + "/xml");
  WriteKymSeeds(dir + "/kym");
  return 0;
}

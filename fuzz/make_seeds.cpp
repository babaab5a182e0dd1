// Writes seed files for the fuzzing corpora into a folder.
//
//   lyrovox-fuzz-seeds DIR

#include <cstdio>
#include <fstream>
#include <string>

#include "common/cdg_builder.h"
#include "common/dvd_builder.h"
#include "common/kym_builder.h"
#include "common/smf_builder.h"
#include "common/zip_builder.h"

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

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void WriteCdgSeeds(const std::string& dir) {
  namespace cdg = lyrovox::cdg;
  const cdg::TileRows rows = {0x3F, 0x21, 0x21, 0x2D, 0x2D, 0x21, 0x21, 0x3F, 0, 0x0C, 0x12, 0x3F};
  std::string s = cdg::MemoryPreset(2) + cdg::MemoryPreset(2, 1) + cdg::BorderPreset(5) +
                  cdg::LoadTable(false, {0x000, 0xF00, 0x0F0, 0x00F, 0xFF0, 0x0FF, 0xF0F, 0xFFF}) +
                  cdg::LoadTable(true, {0x111, 0x222, 0x333, 0x444, 0x555, 0x666, 0x777, 0x888});
  s += cdg::Tile(1, 3, 0, 0, rows) + cdg::Tile(4, 6, 17, 49, rows, true) +
       cdg::Tile(7, 8, 18, 50, rows) + cdg::Tile(1, 2, 3, 3, rows, false, 4) +
       cdg::Tile(1, 2, 3, 4, rows, false, 12);
  s += cdg::Scroll(false, 3, 1, 2, 2, 5) + cdg::Scroll(true, 0, 2, 0, 1, 11) +
       cdg::Scroll(true, 0, 3, 0, 0, 0) + cdg::Scroll(false, 9, 0, 7, 0, 13);
  s += cdg::Packet(28, {1, 2, 3}) + cdg::Empty() + std::string(10, '\x09');
  WriteFile(dir + "/instructions.cdg", s);
  WriteFile(dir + "/song.cdg", cdg::SongStream(600));
}

void WriteZipSeeds(const std::string& dir) {
  namespace zt = lyrovox::ziptest;
  zt::Entry song{"song.mp3", std::string(300, 'm')};
  zt::Entry side{"song.cdg", std::string(96, '\x09')};
  side.deflate = false;
  zt::WriteZip(dir + "/song.zip", {song, side});

  zt::Entry climb{"..\\..\\Windows\\x.mp3", "x"};
  zt::Entry drive{"C:\\a\\b.kar", "k"};
  zt::Entry dots{"../a/..", "d"};
  zt::Entry folder{"songs/", ""};
  folder.externalAttributes = 0x10;
  zt::Entry link{"link", "/etc/passwd"};
  link.madeBy = zt::kMadeByUnix;
  link.externalAttributes = zt::UnixAttributes(0120777);
  zt::Entry stamped{"songs/a.mp3", "abc"};
  stamped.madeBy = zt::kMadeByUnix;
  stamped.externalAttributes = zt::UnixAttributes(0100444);
  stamped.utWrite = 1600000000;
  stamped.utAccess = 1600000100;
  zt::WriteZip(dir + "/hostile.zip", {climb, drive, dots, folder, link, stamped});

  zt::Entry locked{"locked.kar", std::string(200, 'k')};
  locked.password = "qedr";
  zt::Entry stored{"stored.mp3", "plain text"};
  stored.password = "qedr";
  stored.deflate = false;
  zt::WriteZip(dir + "/encrypted.zip", {locked, stored});
}

void WriteDvdSeeds(const std::string& dir) {
  namespace dvd = lyrovox::dvd;
  const std::array<uint8_t, 4> head = {0x12, 0x34, 0x56, 0x78};
  std::vector<dvd::Unit> units = {dvd::Char(u'A', 10), dvd::Char(0xC4E3, 20), dvd::LineEnd(30),
                                  dvd::Char(u'{', 30), dvd::Char(0x3041, 300)};
  std::vector<dvd::Note> notes = {{0, 20, 0, 60, 100}, {200, 10, 0xC1, 5, 0}, {5, 5, 20, 0, 0},
                                  {5, 5, 0xF0, 1, 2},  {9, 9, 0xB0, 7, 90},   {0, 255, 9, 36, 127}};
  std::vector<dvd::Song> songs;
  dvd::Song a;
  a.songIndex = 1;
  a.lyricBlock = dvd::LyricBlock(head, dvd::TitleUnits("Seed \xC4\xE3"), units);
  a.notes = notes;
  songs.push_back(a);
  dvd::Song b = a;
  b.songIndex = 300;
  b.lyricBlock = dvd::LyricBlock(head, dvd::WideTitleUnits(u"\u6B4C", true), units);
  songs.push_back(b);
  std::string file = dvd::DataFile(songs);
  // The header bytes choose the song: index, band, plain blocks.
  for (int band = 0; band < 8; ++band) {
    file[0] = 1;
    file[1] = 0;
    file[2] = static_cast<char>(band);
    file[3] = 0;
    WriteFile(dir + "/band" + std::to_string(band) + ".dat", file);
  }
  file[0] = static_cast<char>(300 & 0xFF);
  file[1] = static_cast<char>(300 >> 8);
  file[2] = 7;
  WriteFile(dir + "/wide.dat", file);
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
  WriteFile(dir + "/ascii.lrc", lines);
  WriteFile(dir + "/korean.lrc",
            "\x04[ti:\xB3\xEB\xB7\xA1]\n[00:01.00]\xBF\xEC\xB8\xAE \xC7\xD4\xB2\xB2\n");
  WriteFile(dir + "/broken.lrc", "[00:01.00]a\n[AR:upper]\n[]\n[offset:x]\n");
  std::u16string wide = u"\uFEFF[ti:\u6B4C]\r\n[00:01.00]\u4F60\u597D<00:01.50>\u554A\r\n";
  wide += std::u16string(lines.begin(), lines.end());
  WriteFile(dir + "/wide.lrc", Utf16Le(wide));
}

void WriteXmlSeeds(const std::string& dir) {
  WriteFile(dir + "/duet.xml",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<data>\n"
            "<line s=\"m\"><w va=\"0:01:50\">Hel</w><w va=\"0:02:00\">lo</w></line>\n"
            "<line s=\"f\"><w va=\"0:00:00\">zero</w><w va=\"1:02:35\">x</w></line>\n"
            "<line><w va=\"1:02\">two</w></line><line s=\"x\"/>\n"
            "<line s=\"d\"><w va=\"0:03:00\"><![CDATA[c<d]]> &amp; <b>e</b></w></line>\n"
            "</data>\n");
  WriteFile(dir + "/cp1251.xml",
            "<?xml version='1.0' encoding='windows-1251'?><data><l s='m'>"
            "<w va='0:01:00'>\xCF\xF0\xE8</w></l></data>");
  WriteFile(dir + "/wide.xml",
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

// A literal's bytes, zeros included.
template <size_t N>
std::string Bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

// The first byte chooses the mark the fuzzer puts before the rest: 0 none, 1 UTF-16LE, 2 UTF-8.
void WriteM3uSeeds(const std::string& dir) {
  WriteFile(dir + "/utf8.m3u",
            Bytes("\x00#EXTM3U\r\n#EXTINF:1,x\r\nsongs\\a.kar\r\n/k/Ho\xC3\xA0.mp3\n"
                  "file:///a%20b.kar\nabc\n\n"));
  WriteFile(dir + "/cp1252.m3u", Bytes("\x00/k/Ho\xE0 B\xECnh.kar\r\nx.mid\r\n"));
  std::string wide("\x01", 1);
  for (char16_t c : std::u16string(u"#EXTM3U\r\n/k/\u6708\u4EAE.mp3\r\nfile:///x%0Ay.kar\r\n")) {
    wide += static_cast<char>(c & 0xFF);
    wide += static_cast<char>(c >> 8);
  }
  WriteFile(dir + "/utf16.m3u", wide);
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  WriteKarSeeds(dir + "/kar");
  WriteCdgSeeds(dir + "/cdg");
  WriteZipSeeds(dir + "/zip");
  WriteDvdSeeds(dir + "/dvd");
  WriteLrcSeeds(dir + "/lrc");
  WriteXmlSeeds(dir + "/xml");
  WriteKymSeeds(dir + "/kym");
  WriteM3uSeeds(dir + "/m3u");
  return 0;
}

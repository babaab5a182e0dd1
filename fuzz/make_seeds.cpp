// Writes seed files for the fuzzing corpora into a folder.
//
//   lyrovox-fuzz-seeds DIR

#include <cstdio>
#include <fstream>
#include <string>

#include "common/cdg_builder.h"
#include "common/dvd_builder.h"
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

}  // namespace

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
  return 0;
}

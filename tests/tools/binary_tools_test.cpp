// The command-line tools for CD+G files, zip songs and MIDI DVD data files, run as users run
// them, on files the tests generate.

#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/cdg_builder.h"
#include "common/dvd_builder.h"
#include "common/zip_builder.h"
#include "support/temp_dir.h"

namespace lyrovox {
namespace {

namespace fs = std::filesystem;

struct ToolRun {
  int exitCode = -1;
  std::string out;
};

ToolRun RunTool(const char* tool, const QStringList& args) {
  QProcess process;
  process.start(QString::fromUtf8(tool), args);
  process.waitForFinished(30000);
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          process.readAllStandardOutput().toStdString()};
}

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

class BinaryToolsTest : public ::testing::Test {
 protected:
  testing::TempDir dir;
};

TEST_F(BinaryToolsTest, CdgToolWritesTheFrameOfAMomentAsPng) {
  const cdg::TileRows full = {0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F,
                              0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F};
  std::string stream = cdg::LoadTable(false, {0x000, 0xF00, 0x0F0, 0x00F, 0, 0, 0, 0}) +
                       cdg::MemoryPreset(3) + cdg::BorderPreset(2);
  // Packet 300 onwards (one second in): a red tile that the frame at 0.5 s does not show yet.
  while (stream.size() < 300 * 24)
    stream += cdg::Empty();
  stream += cdg::Tile(0, 1, 5, 5, full);
  const std::string song = dir.Write("song.cdg", stream);

  const ToolRun early =
      RunTool(LYROVOX_CDG_TOOL, {Q(song), "--at", "0.5", "--png", Q(dir.File("a.png"))});
  ASSERT_EQ(early.exitCode, 0);
  EXPECT_EQ(early.out, dir.File("a.png") + ": 151 packets, 300x216\n");
  QImage a(Q(dir.File("a.png")));
  ASSERT_EQ(a.size(), QSize(300, 216));
  EXPECT_EQ(a.pixel(0, 0) & 0xFFFFFF, 0x00FF00u);    // border, colour 2
  EXPECT_EQ(a.pixel(33, 63) & 0xFFFFFF, 0x0E0C10u);  // preset colour: the key colour

  const ToolRun late = RunTool(
      LYROVOX_CDG_TOOL, {Q(song), "--at", "1", "--png", Q(dir.File("b.png")), "--size", "600x432"});
  ASSERT_EQ(late.exitCode, 0);
  QImage b(Q(dir.File("b.png")));
  ASSERT_EQ(b.size(), QSize(600, 432));
  EXPECT_EQ(b.pixel(2 * 33, 2 * 65) & 0xFFFFFF, 0xFF0000u);  // inside the tile
  EXPECT_EQ(b.pixel(300, 300) & 0xFFFFFF, 0x0E0C10u);

  EXPECT_EQ(RunTool(LYROVOX_CDG_TOOL,
                    {Q(dir.File("none.cdg")), "--at", "1", "--png", Q(dir.File("c.png"))})
                .exitCode,
            1);
  EXPECT_EQ(RunTool(LYROVOX_CDG_TOOL, {Q(song), "--at", "x", "--png", "o.png"}).exitCode, 2);
  EXPECT_EQ(RunTool(LYROVOX_CDG_TOOL, {Q(song), "--at", "1"}).exitCode, 2);
}

TEST_F(BinaryToolsTest, ZipToolListsAndExtractsLikeThePlayer) {
  ziptest::Entry song("..\\..\\Songs\\a.mp3", "music");
  song.utWrite = 1600000000;
  song.externalAttributes = 0x21;
  ziptest::Entry locked("b.kar", "karaoke");
  locked.password = "qedr";
  locked.utWrite = 1600000060;
  ASSERT_TRUE(ziptest::WriteZip(dir.File("s.zip"), {song, locked}));

  const ToolRun list = RunTool(LYROVOX_ZIP_TOOL, {Q(dir.File("s.zip"))});
  EXPECT_EQ(list.exitCode, 0);
  const std::string head = "archive: " + dir.File("s.zip") + "\nentries: 2\n";
  EXPECT_EQ(list.out, head +
                          "0\tR---A\t7\t5\t2020-09-13T12:26:40Z\t2020-09-13T12:26:40Z\t"
                          "2020-09-13T12:26:40Z\tSongs/a.mp3\n"
                          "1\t----A\t21\t7\t2020-09-13T12:27:40Z\t2020-09-13T12:27:40Z\t"
                          "2020-09-13T12:27:40Z\tb.kar\n");

  const std::string out = dir.File("out");
  const ToolRun extract = RunTool(LYROVOX_ZIP_TOOL, {Q(dir.File("s.zip")), "--to", Q(out)});
  EXPECT_EQ(extract.exitCode, 0);
  EXPECT_NE(extract.out.find("extract\t0\t0x0\tSongs/a.mp3\n"), std::string::npos);
  EXPECT_NE(extract.out.find("extract\t1\t0x0\tb.kar\n"), std::string::npos);
  EXPECT_EQ(ReadAll(out + "/Songs/a.mp3"), "music");
  EXPECT_EQ(ReadAll(out + "/b.kar"), "karaoke");
  EXPECT_FALSE(fs::exists(dir.File("Songs")));

  const ToolRun wrong =
      RunTool(LYROVOX_ZIP_TOOL, {Q(dir.File("s.zip")), "--to", Q(out), "--password", "nope"});
  EXPECT_EQ(wrong.exitCode, 1);
  EXPECT_NE(wrong.out.find("extract\t1\t0x1000\tb.kar\n"), std::string::npos);

  EXPECT_EQ(RunTool(LYROVOX_ZIP_TOOL, {Q(dir.File("none.zip"))}).exitCode, 1);
  EXPECT_EQ(RunTool(LYROVOX_ZIP_TOOL, {}).exitCode, 2);
}

TEST_F(BinaryToolsTest, DvdToolExtractsOneSongAndPrintsItsTitle) {
  dvd::Song song;
  song.songIndex = 1;
  song.lyricBlock =
      dvd::LyricBlock({1, 2, 3, 4}, dvd::WideTitleUnits(u"\u6B4C"), {dvd::Char(u'\u6B4C', 31)});
  song.notes = {{0, 31, 0, 60, 90}};
  const std::string data = dir.Write("HOTDOG00.DAT", dvd::DataFile({song}));
  const std::string out = dir.File("out");
  fs::create_directories(out);

  // The blocks of this data file are plain, and read so as the player reads them.
  for (const char* reading : {"", "--plain"}) {
    QStringList args = {Q(data), "800002", "--out", Q(out)};
    if (*reading != 0) args << reading;
    const ToolRun plain = RunTool(LYROVOX_DVD_TOOL, args);
    EXPECT_EQ(plain.exitCode, 0) << reading;
    EXPECT_EQ(plain.out, "\xE6\xAD\x8C\n") << reading;
    EXPECT_EQ(fs::file_size(out + "/800002.lpd"), song.lyricBlock.size()) << reading;
    EXPECT_TRUE(fs::exists(out + "/800002.kar"));
  }

  // The head-only reading keeps the head bytes only: no title, no lyrics. It is the one a data
  // file with scrambled blocks gets.
  const ToolRun headOnly =
      RunTool(LYROVOX_DVD_TOOL, {Q(data), "800002", "--out", Q(out), "--head-only"});
  EXPECT_EQ(headOnly.exitCode, 0);
  EXPECT_EQ(headOnly.out, "\n");
  EXPECT_EQ(fs::file_size(out + "/800002.lpd"), 4u);
  song.lyricBlock = dvd::Scrambled(song.lyricBlock);
  const std::string scrambled = dir.Write("NEWTON00.DAT", dvd::DataFile({song}));
  const ToolRun detected = RunTool(LYROVOX_DVD_TOOL, {Q(scrambled), "800002", "--out", Q(out)});
  EXPECT_EQ(detected.exitCode, 0);
  EXPECT_EQ(detected.out, "\n");
  EXPECT_EQ(fs::file_size(out + "/800002.lpd"), 4u);

  const ToolRun missing = RunTool(LYROVOX_DVD_TOOL, {Q(data), "800003", "--out", Q(out)});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.out, "-1\n");
  EXPECT_EQ(RunTool(LYROVOX_DVD_TOOL, {Q(data), "abc", "--out", Q(out)}).exitCode, 2);
}

}  // namespace
}  // namespace lyrovox

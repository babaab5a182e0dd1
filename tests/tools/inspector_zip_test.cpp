// lyrovox-lyrics on a zip song: the archive is extracted into the player's private folder under
// the temporary folder (TMPDIR), as the player does, and the chosen song is inspected.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QString>
#include <filesystem>

#include "common/smf_builder.h"
#include "common/zip_builder.h"
#include "lyrics_inspector/inspector.h"
#include "support/temp_dir.h"

namespace lyrovox {
namespace {

class InspectorZipTest : public ::testing::Test {
 protected:
  InspectorZipTest() : oldTmp(qgetenv("TMPDIR")) {
    qputenv("TMPDIR", QByteArray::fromStdString(tmp.path()));
  }
  ~InspectorZipTest() override {
    if (oldTmp.isNull()) {
      qunsetenv("TMPDIR");
    } else {
      qputenv("TMPDIR", oldTmp);
    }
  }

  testing::TempDir songs;
  testing::TempDir tmp;
  QByteArray oldTmp;
};

TEST_F(InspectorZipTest, AZipSongIsExtractedIntoTmpdirAndItsSongInspected) {
  smf::File kar(1, 480);
  kar.AddTrack().Text(0, "@TIn a zip").Text(480, "\\Hel").Text(960, "lo");
  ziptest::Entry song("inner/song.kar", kar.Encode());
  song.password = "qedr";
  ASSERT_TRUE(ziptest::WriteZip(songs.File("song.zip"), {ziptest::Entry("cover.txt", "x"), song}));
  const LyricReport report = InspectSong(QString::fromStdString(songs.File("song.zip")), 0);
  ASSERT_TRUE(report.exists);
  EXPECT_EQ(report.kind, 1);
  EXPECT_EQ(report.lyricMode, 1);
  EXPECT_EQ(report.title, "In a zip");
  ASSERT_EQ(report.syllables.size(), 2u);
  EXPECT_EQ(report.syllables[1].timeMs, 1000);
  const std::string extracted = "lyrovox-" + std::to_string(geteuid()) + "/";
  EXPECT_TRUE(std::filesystem::exists(tmp.File(extracted + "inner/song.kar")));
  EXPECT_TRUE(std::filesystem::exists(tmp.File(extracted + "cover.txt")));
}

TEST_F(InspectorZipTest, AnArchiveWithoutASongReportsNoLyrics) {
  ASSERT_TRUE(ziptest::WriteZip(songs.File("empty.zip"), {ziptest::Entry("a.txt", "x")}));
  const LyricReport report = InspectSong(QString::fromStdString(songs.File("empty.zip")), 0);
  EXPECT_TRUE(report.exists);
  EXPECT_EQ(report.lyricMode, 0);
  EXPECT_TRUE(report.syllables.empty());
}

}  // namespace
}  // namespace lyrovox

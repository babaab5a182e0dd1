#include "lyrics_inspector/inspector.h"

#include <gtest/gtest.h>

#include <QString>

#include "common/smf_builder.h"
#include "support/temp_dir.h"

namespace lyrovox {
namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

class InspectorTest : public ::testing::Test {
 protected:
  testing::TempDir dir;
};

TEST_F(InspectorTest, PrintsTheHeadingAndOneLinePerSyllable) {
  smf::File f(1, 480);
  f.AddTrack()
      .Text(0, "@TTitle")
      .Text(0, "@TArtist")
      .Text(480, "\\Hel")
      .Text(960, "lo\t")
      .Text(1440, "/x\\y");
  const LyricReport report = InspectSong(Q(dir.Write("a.kar", f.Encode())), 0);
  ASSERT_TRUE(report.exists);
  const std::string expected = "path: " + dir.File("a.kar") +
                               "\n"
                               "kind: 1\n"
                               "lyricMode: 1\n"
                               "lineTimed: 0\n"
                               "codePage: 0\n"
                               "language: 0\n"
                               "title: Title\n"
                               "artist: Artist\n"
                               "syllables: 3\n"
                               "0\t500\t2\t0\tHel\n"
                               "1\t1000\t0\t0\tlo\\t\n"
                               "2\t1500\t1\t0\tx\\\\y\n";
  EXPECT_EQ(FormatReportText(report), expected);
}

TEST_F(InspectorTest, JsonEscapesTextAndKeepsUtf8) {
  smf::File f(1, 480);
  f.AddTrack()
      .Text(0, smf::Utf16Le(u"@CODE=UNICODE"))
      .Text(0, smf::Utf16Le(u"@T\"Q\"\\"))
      .Lyric(480, smf::Utf16Le(u"\u6211"))
      .Lyric(960, smf::Utf16Le(u"\u0001"));
  const LyricReport report = InspectSong(Q(dir.Write("u.kar", f.Encode())), 0);
  EXPECT_EQ(FormatReportJson(report),
            "{\"path\":\"" + dir.File("u.kar") +
                "\",\"kind\":1,\"lyricMode\":1,\"lineTimed\":0,\"codePage\":0,\"language\":0,"
                "\"title\":\"\\\"Q\\\"\\\\\",\"artist\":\"\",\"syllables\":["
                "{\"timeMs\":500,\"lineBreak\":2,\"shown\":0,\"text\":\"\xE6\x88\x91\"},"
                "{\"timeMs\":1000,\"lineBreak\":0,\"shown\":0,\"text\":\"\\u0001\"}]}");
}

TEST_F(InspectorTest, TheLanguageOptionActsLikeTheCodePageSetting) {
  smf::File f(1, 480);
  f.AddTrack().Text(0, "@T\xCF\xF0\xE8").Text(480, "x");
  const QString song = Q(dir.Write("Chinese/c.kar", f.Encode()));
  const LyricReport byFolder = InspectSong(song, 0);
  EXPECT_EQ(byFolder.language, 2);
  EXPECT_EQ(byFolder.codePage, 936);
  const LyricReport forced = InspectSong(song, 8);
  EXPECT_EQ(forced.language, 8);
  EXPECT_EQ(forced.codePage, 1251);
  EXPECT_EQ(forced.title, QString::fromUtf8("\xD0\x9F\xD1\x80\xD0\xB8"));
}

TEST_F(InspectorTest, SideFilesDecideTheModeAndMissingFilesAreReported) {
  dir.Write("s.mp3", "x");
  dir.Write("S.CDG", "");
  const LyricReport cdg = InspectSong(Q(dir.File("s.mp3")), 0);
  EXPECT_EQ(cdg.kind, 2);
  EXPECT_EQ(cdg.lyricMode, 2);
  EXPECT_TRUE(cdg.syllables.empty());

  const LyricReport missing = InspectSong(Q(dir.File("none.kar")), 0);
  EXPECT_FALSE(missing.exists);
}

TEST_F(InspectorTest, VideoSongsGetTheirLyricsDecisionToo) {
  dir.Write("clip.mpg", "x");
  const LyricReport report = InspectSong(Q(dir.File("clip.mpg")), 0);
  EXPECT_EQ(report.kind, 2);
  EXPECT_EQ(report.lyricMode, 0);
}

}  // namespace
}  // namespace lyrovox

#include "lyrics_inspector/inspector.h"

#include <gtest/gtest.h>

#include <QProcess>
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

TEST_F(InspectorTest, UnmarkedUtf8TextShowsAsReadWithUtf8) {
  smf::File f(1, 480);
  f.AddTrack().Text(0, "@TH\xC3\xA1t").Text(480, "c\xC3\xB9ng");
  const LyricReport report = InspectSong(Q(dir.Write("u8.kar", f.Encode())), 0);
  EXPECT_EQ(report.codePage, 65001);
  EXPECT_EQ(report.language, 0);
  EXPECT_EQ(report.title, QString::fromUtf8("H\xC3\xA1t"));
  // The same bytes under a chosen language keep that language's code page.
  const LyricReport chosen = InspectSong(Q(dir.File("u8.kar")), 10);
  EXPECT_EQ(chosen.codePage, 1252);
  EXPECT_EQ(chosen.title, QString::fromUtf8("H\xC3\x83\xC2\xA1t"));
}

TEST_F(InspectorTest, ADamagedMidiFileIsReportedOnStandardErrorWithWhereReadingStopped) {
  // Header (14 bytes), chunk header (8), a lyric event (6), then at byte 28 a bad status byte.
  const std::string bytes = std::string("MThd\0\0\0\x06\0\x01\0\x01\0\x60", 14) + "MTrk" +
                            std::string("\0\0\0\x08\0\xFF\x05\x02la\x10\xF4", 12);
  const std::string path = dir.Write("bad.kar", bytes);
  const LyricReport report = InspectSong(Q(path), 0);
  ASSERT_EQ(report.syllables.size(), 1u);  // what came before the fault is kept
  EXPECT_EQ(FormatDamage(report),
            path + ": damaged MIDI file: reading stopped at byte 28 in track 1 (0x8004022F)");
  EXPECT_EQ(FormatDamage(InspectSong(Q(dir.Write("cut.kar", bytes.substr(0, 11))), 0)),
            dir.File("cut.kar") +
                ": damaged MIDI file: reading stopped at byte 8 in the header (0x80004005)");

  smf::File clean(1, 480);
  clean.AddTrack().Text(480, "x");
  EXPECT_EQ(FormatDamage(InspectSong(Q(dir.Write("ok.kar", clean.Encode())), 0)), "");

  // The command says it on standard error; its standard output is the usual report.
  QProcess command;
  command.start(QString::fromUtf8(LYROVOX_LYRICS_BIN), {Q(path)});
  ASSERT_TRUE(command.waitForFinished(30000));
  EXPECT_EQ(command.exitCode(), 0);
  EXPECT_EQ(command.readAllStandardError().toStdString(),
            std::string(LYROVOX_LYRICS_BIN) + ": " + path +
                ": damaged MIDI file: reading stopped at byte 28 in track 1 (0x8004022F)\n");
  EXPECT_EQ(command.readAllStandardOutput().toStdString(), FormatReportText(report));
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

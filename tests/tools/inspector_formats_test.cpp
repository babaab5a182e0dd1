// The lyric inspector on every text lyric format and every code page: what `lyrovox-lyrics`
// prints for generated LRC (8-bit and UTF-16), XML, KYM and MIDI karaoke files.

#include <gtest/gtest.h>

#include <QString>
#include <cstdio>
#include <string>

#include "common/kym_builder.h"
#include "common/smf_builder.h"
#include "lyrics/text_encoding.h"
#include "lyrics_inspector/inspector.h"
#include "support/code_page_samples.h"
#include "support/temp_dir.h"

namespace lyrovox {
namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

std::string Utf8(const std::u16string& s) {
  return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size())).toStdString();
}

class InspectorFormatsTest : public ::testing::Test {
 protected:
  std::string Text(const std::string& song, int language = 0) {
    return FormatReportText(InspectSong(Q(song), language));
  }
  testing::TempDir dir;
};

constexpr char kLrc[] =
    "[ti:Twinkle]\r\n"
    "[ar:Jane Taylor]\r\n"
    "[offset:-100]\r\n"
    "[00:01.10]Twinkle, twinkle,\r\n"
    "[00:03.10]little star\r\n"
    "\r\n"
    "[00:05.10]How I<00:06.10>wonder\r\n"
    "[00:08.10]what you are, up above the world so high, like a diamond\r\n"
    "[00:12.10]\r\n";

constexpr char kLrcReport[] =
    "kind: 2\n"
    "lyricMode: 1\n"
    "lineTimed: 1\n"
    "codePage: 0\n"
    "language: 0\n"
    "title: Twinkle\n"
    "artist: Jane Taylor\n"
    "syllables: 7\n"
    "0\t1000\t1\t0\tTwinkle, twinkle, \n"
    "1\t3000\t1\t0\tlittle star \n"
    "2\t5000\t2\t0\tHow I\n"
    "3\t6000\t0\t0\twonder \n"
    // Split at the comma nearest the middle; the second half's time is proportional.
    "4\t8000\t1\t0\twhat you are, up above the world so high, \n"
    "5\t10947\t1\t0\tlike a diamond \n"
    "6\t12000\t1\t0\t  \n";

TEST_F(InspectorFormatsTest, An8BitLrcBesideTheSong) {
  dir.Write("twinkle.mp3", "x");
  dir.Write("Twinkle.LRC", kLrc);
  EXPECT_EQ(Text(dir.File("twinkle.mp3")), "path: " + dir.File("twinkle.mp3") + "\n" + kLrcReport);
}

TEST_F(InspectorFormatsTest, AUtf16LrcBesideTheSong) {
  dir.Write("twinkle.wma", "x");
  const std::string lrc(kLrc);
  dir.Write("twinkle.lrc", smf::Utf16Le(u"\uFEFF" + std::u16string(lrc.begin(), lrc.end())));
  EXPECT_EQ(Text(dir.File("twinkle.wma")), "path: " + dir.File("twinkle.wma") + "\n" + kLrcReport);
}

TEST_F(InspectorFormatsTest, AnXmlBesideTheSong) {
  dir.Write("duet.mp3", "x");
  dir.Write("duet.xml",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<data>\n"
            "  <line s=\"m\"><s va=\"0:01:50\">Twin</s><s va=\"0:02:00\">kle</s></line>\n"
            "  <line s=\"f\"><s va=\"0:03:00\">lit</s><s va=\"0:03:25\">tle</s>"
            "<s va=\"0:03:50\">star</s></line>\n"
            "  <line s=\"mf\"><s va=\"0:00:00\">how</s><s va=\"1:02:35\">I</s></line>\n"
            "</data>\n");
  dir.Write("duet.lrc", "[00:01.00]not read\n");
  EXPECT_EQ(Text(dir.File("duet.mp3")), "path: " + dir.File("duet.mp3") +
                                            "\n"
                                            "kind: 2\n"
                                            "lyricMode: 1\n"
                                            "lineTimed: 0\n"
                                            "codePage: 0\n"
                                            "language: 0\n"
                                            "title: \n"
                                            "artist: \n"
                                            "syllables: 6\n"
                                            "0\t1500\t1\t0\tM: Twin \n"
                                            "1\t2000\t0\t0\tkle\n"
                                            "2\t3000\t1\t0\tF: lit \n"
                                            "3\t3250\t0\t0\ttle \n"
                                            "4\t3500\t0\t0\tstar\n"
                                            "5\t62350\t0\t0\tD: I\n");
}

TEST_F(InspectorFormatsTest, AnXmlOrLrcThatYieldsNothingStopsTheSearch) {
  dir.Write("a.mp3", "x");
  dir.Write("a.xml", "<Data/>");
  dir.Write("a.lrc", "[00:01.00]x\n");
  dir.Write("a.cdg", "");
  const LyricReport xml = InspectSong(Q(dir.File("a.mp3")), 0);
  EXPECT_EQ(xml.lyricMode, 0);
  EXPECT_TRUE(xml.syllables.empty());
  dir.Write("b.mp3", "x");
  dir.Write("b.lrc", "Lyrics to come\n");  // no timed line for either reader
  dir.Write("b.cdg", "");
  const LyricReport lrc = InspectSong(Q(dir.File("b.mp3")), 0);
  EXPECT_EQ(lrc.lyricMode, 0);
  EXPECT_FALSE(lrc.lineTimed);
}

kym::File KoreanKym() {
  kym::File f;
  f.Line("\xBF\xEC\xB8\xAE \xC7\xD4\xB2\xB2")    // 우리 함께
      .Line("\xB3\xEB\xB7\xA1\xC7\xD8\xBF\xE4")  // 노래해요
      .AddWord({1200, 0, 4, 0})
      .AddWord({2400, 5, 4, 0})
      .AddWord({4000, 0, 8, 1})
      .Title("\xB3\xEB\xB7\xA1")        // 노래
      .Artist("\xB0\xA1\xBC\xF6 Kim");  // 가수 Kim
  return f;
}

constexpr char kKymReport[] =
    "kind: 3\n"
    "lyricMode: 1\n"
    "lineTimed: 0\n"
    "codePage: 949\n"
    "language: 0\n"
    "title: \xEB\x85\xB8\xEB\x9E\x98\n"
    "artist: \xEA\xB0\x80\xEC\x88\x98 Kim\n"
    "syllables: 3\n"
    "0\t0\t1\t0\t\xEC\x9A\xB0\xEB\xA6\xAC \n"
    "1\t1200\t0\t0\t\xED\x95\xA8\xEA\xBB\x98\n"
    "2\t2400\t1\t0\t\xEB\x85\xB8\xEB\x9E\x98\xED\x95\xB4\xEC\x9A\x94\n";

TEST_F(InspectorFormatsTest, AKymSong) {
  const std::string path = dir.File("song.KYM");
  ASSERT_TRUE(KoreanKym().Write(path));
  EXPECT_EQ(Text(path), "path: " + path + "\n" + kKymReport);
  // The language setting does not change the KYM code page.
  const LyricReport forced = InspectSong(Q(path), 8);
  EXPECT_EQ(forced.codePage, 949);
  EXPECT_EQ(forced.language, 8);
}

TEST_F(InspectorFormatsTest, TheSongsFolderChoosesTheCodePage) {
  dir.Write("Korean/k.mp3", "x");
  dir.Write("Korean/k.lrc", "[ti:\xB3\xEB\xB7\xA1]\n[00:01.00]\xBF\xEC\xB8\xAE\n");
  const LyricReport report = InspectSong(Q(dir.File("Korean/k.mp3")), 0);
  EXPECT_EQ(report.language, 14);
  EXPECT_EQ(report.codePage, 949);
  EXPECT_EQ(report.title, QString::fromUtf16(u"\uB178\uB798"));
  ASSERT_EQ(report.syllables.size(), 1u);
  EXPECT_EQ(report.syllables[0].text, u"\uC6B0\uB9AC ");
}

// Every language index through the inspector's --language option: MIDI karaoke files get the
// code page and the letter conversion, LRC files the code page only.
TEST_F(InspectorFormatsTest, EveryCodePageThroughKarAndLrc) {
  for (const testing::CodePageSample& s : testing::CodePageSamples()) {
    SCOPED_TRACE(s.name);
    ASSERT_FALSE(s.bytes.empty());
    const std::string name = "song" + std::to_string(s.language);
    smf::File f(1, 480);
    f.AddTrack().Text(0, "@T" + s.bytes).Text(0, "@TSinger").Lyric(960, s.bytes);
    const std::string kar = dir.Write(name + ".kar", f.Encode());
    const LyricReport karReport = InspectSong(Q(kar), s.language);
    EXPECT_EQ(karReport.language, s.language);
    // Indexes 4 and 5 leave the code page as it was: 0 in a fresh player.
    EXPECT_EQ(karReport.codePage, CodePageForLanguage(s.language).value_or(0));
    EXPECT_EQ(karReport.title.toStdString(), Utf8(s.text));
    ASSERT_EQ(karReport.syllables.size(), 1u);
    EXPECT_EQ(karReport.syllables[0].text, s.text);
    EXPECT_EQ(karReport.syllables[0].timeMs, 1000);
    EXPECT_EQ(karReport.syllables[0].lineBreak, 2);

    dir.Write(name + ".mp3", "x");
    dir.Write(name + ".lrc", "[ti:" + s.bytes + "]\n[00:02.00]" + s.bytes + "\n[00:03.00]x\n");
    const LyricReport lrcReport = InspectSong(Q(dir.File(name + ".mp3")), s.language);
    EXPECT_EQ(lrcReport.codePage, karReport.codePage);
    EXPECT_TRUE(lrcReport.lineTimed);
    EXPECT_EQ(lrcReport.title.toStdString(), Utf8(s.lrcText));
    ASSERT_EQ(lrcReport.syllables.size(), 2u);
    EXPECT_EQ(lrcReport.syllables[0].text, s.lrcText + u" ");
    EXPECT_EQ(lrcReport.syllables[0].timeMs, 2000);
    EXPECT_EQ(lrcReport.syllables[0].lineBreak, 1);
  }
}

// The installed command itself, on one file of every format.
TEST_F(InspectorFormatsTest, TheCommandPrintsEveryFormat) {
  dir.Write("a.mp3", "x");
  dir.Write("a.lrc", kLrc);
  dir.Write("b.mp3", "x");
  const std::string lrc(kLrc);
  dir.Write("b.lrc", smf::Utf16Le(u"\uFEFF" + std::u16string(lrc.begin(), lrc.end())));
  dir.Write("c.mp3", "x");
  dir.Write("c.xml", "<data><l s=\"f\"><w va=\"0:01:00\">la</w></l></data>");
  ASSERT_TRUE(KoreanKym().Write(dir.File("d.kym")));
  const std::string command = std::string(LYROVOX_LYRICS_BIN) + " '" + dir.File("a.mp3") + "' '" +
                              dir.File("b.mp3") + "' '" + dir.File("c.mp3") + "' '" +
                              dir.File("d.kym") + "'";
  FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string out;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
    out.append(buffer, n);
  EXPECT_EQ(::pclose(pipe), 0);
  EXPECT_EQ(out, "path: " + dir.File("a.mp3") + "\n" + kLrcReport + "\n" +  //
                     "path: " + dir.File("b.mp3") + "\n" + kLrcReport + "\n" +
                     "path: " + dir.File("c.mp3") +
                     "\nkind: 2\nlyricMode: 1\nlineTimed: 0\ncodePage: 0\nlanguage: 0\n"
                     "title: \nartist: \nsyllables: 1\n0\t1000\t1\t0\tF: la\n\n" +
                     "path: " + dir.File("d.kym") + "\n" + kKymReport);
}

}  // namespace
}  // namespace lyrovox

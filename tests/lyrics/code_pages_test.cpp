// Real lyric text in every code page of the language list, through a MIDI
// karaoke file and through an LRC file: the bytes a file in that script holds decode to the
// expected UTF-16 text.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/smf_builder.h"
#include "lyrics/lyric_store.h"
#include "lyrics/text_buffer.h"
#include "lyrics/text_encoding.h"
#include "support/code_page_samples.h"
#include "support/store_fixture.h"

namespace lyrovox {
namespace {

using testing::CodePageSample;
using testing::CodePageSamples;
using testing::DecodeText;
using testing::EncodeText;

class CodePageTest : public testing::StoreFixture<::testing::TestWithParam<CodePageSample>> {
 protected:
  // The store as song opening leaves it for the language (ApplyLanguage).
  void ApplyLanguage(int language) {
    store.language = language;
    if (const auto cp = CodePageForLanguage(language)) store.codePage = *cp;
  }
};

TEST_P(CodePageTest, TheSampleIsWritable) {
  const CodePageSample& s = GetParam();
  ASSERT_FALSE(s.bytes.empty()) << "no bytes for " << s.name;
  // LRC text must not hold the grammar's own characters.
  EXPECT_EQ(s.bytes.find_first_of("[]<>\n\r"), std::string::npos);
  EXPECT_NE(s.bytes[0], '/');
  EXPECT_NE(s.bytes[0], '\\');
}

TEST_P(CodePageTest, ThroughAMidiKaraokeFile) {
  const CodePageSample& s = GetParam();
  smf::File f(1, 480);
  f.AddTrack().Text(0, "@T" + s.bytes).Text(0, "@TSinger").Lyric(480, s.bytes).Lyric(960, "x");
  ApplyLanguage(s.language);
  store.Clear();
  store.LoadKar(dir.Write("song.kar", f.Encode()));
  EXPECT_EQ(std::u16string(TextView(store.title)), s.text);
  ASSERT_EQ(store.count, 2);
  EXPECT_EQ(Text(0), s.text);
  EXPECT_EQ(store.syllables[0].timeMs, 500);
}

TEST_P(CodePageTest, ThroughAnLrcFile) {
  const CodePageSample& s = GetParam();
  ApplyLanguage(s.language);
  store.LoadLrc(dir.Write("song.lrc", "[ti:" + s.bytes + "]\n[ar:" + s.bytes + "]\n[00:01.50]" +
                                          s.bytes + "\n[00:03.00]x\n"));
  EXPECT_EQ(std::u16string(TextView(store.title)), s.lrcText);
  EXPECT_EQ(std::u16string(TextView(store.artist)), s.lrcText);
  ASSERT_EQ(store.count, 2);
  EXPECT_EQ(Text(0), s.lrcText + u" ");
  EXPECT_EQ(store.syllables[0].timeMs, 1500);
}

// With the language at Autodetect (0) a file whose text is UTF-8 reads as UTF-8; text in any
// other code page keeps the reading it has always had there, Windows-1252.
class AutodetectTest : public CodePageTest {
 protected:
  void SetUp() override { ApplyLanguage(0); }
  // The text the song shows, read through a MIDI karaoke file and through an LRC file.
  void LoadBoth(const std::string& bytes, std::u16string& kar, std::u16string& lrc) {
    smf::File f(1, 480);
    f.AddTrack().Text(0, "@T" + bytes).Text(0, "@TSinger").Lyric(480, bytes).Lyric(960, "x");
    store.LoadKar(dir.Write("song.kar", f.Encode()));
    kar = Text(0);
    EXPECT_EQ(Title(), kar);
    store.LoadLrc(dir.Write("song.lrc", "[ti:" + bytes + "]\n[00:01.50]" + bytes + "\n"));
    lrc = Title();
  }
};

TEST_P(AutodetectTest, Utf8TextReadsAsUtf8) {
  const CodePageSample& s = GetParam();
  std::u16string kar, lrc;
  LoadBoth(EncodeText(s.lrcText, "UTF-8"), kar, lrc);
  EXPECT_EQ(kar, s.lrcText);
  EXPECT_EQ(lrc, s.lrcText);
  EXPECT_TRUE(store.utf8Text);
  EXPECT_EQ(store.codePage, 0);  // the language's code page stays for the next song
}

TEST_P(AutodetectTest, TextInItsCodePageKeepsTheWindows1252Reading) {
  const CodePageSample& s = GetParam();
  std::u16string kar, lrc;
  LoadBoth(s.bytes, kar, lrc);
  // The UTF-8 sample is the one that is read as UTF-8.
  const bool utf8 = s.language == 17;
  const std::u16string expected = utf8 ? s.text : DecodeText(s.bytes, "windows-1252");
  EXPECT_EQ(kar, expected);
  EXPECT_EQ(lrc, expected);
  EXPECT_EQ(store.utf8Text, utf8);
  // Western text reads right; the Vietnamese bytes as they did before their letter repair.
  if (s.language == 10) {
    EXPECT_EQ(kar, s.text);
  }
  if (s.language == 4 || s.language == 5) {
    EXPECT_EQ(kar, s.lrcText);
  }
}

TEST_F(CodePageTest, OneTextThatIsNotUtf8DecidesForTheWholeFile) {
  ApplyLanguage(0);
  smf::File f(1, 480);
  f.AddTrack().Lyric(480, "H\xC3\xA1t").Lyric(960, "caf\xE9");
  store.LoadKar(dir.Write("song.kar", f.Encode()));
  EXPECT_EQ(Text(0), u"H\u00C3\u00A1t");
  EXPECT_EQ(Text(1), u"caf\u00E9");
  EXPECT_FALSE(store.utf8Text);
  // ASCII alone is no evidence: it reads the same either way.
  store.LoadLrc(dir.Write("song.lrc", "[00:01.00]plain\n"));
  EXPECT_FALSE(store.utf8Text);
  // A language other than Autodetect keeps its code page even for UTF-8 text.
  ApplyLanguage(8);
  store.LoadLrc(dir.Write("song.lrc", "[00:01.00]H\xC3\xA1t\n"));
  EXPECT_EQ(Text(0), u"H\u0413\u040Et ");
  EXPECT_FALSE(store.utf8Text);
}

INSTANTIATE_TEST_SUITE_P(EveryLanguage, AutodetectTest, ::testing::ValuesIn(CodePageSamples()),
                         [](const ::testing::TestParamInfo<CodePageSample>& param) {
                           return std::to_string(param.param.language) + "_" + param.param.name;
                         });

INSTANTIATE_TEST_SUITE_P(EveryLanguage, CodePageTest, ::testing::ValuesIn(CodePageSamples()),
                         [](const ::testing::TestParamInfo<CodePageSample>& param) {
                           return std::to_string(param.param.language) + "_" + param.param.name;
                         });

}  // namespace
}  // namespace lyrovox

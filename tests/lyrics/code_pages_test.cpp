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

INSTANTIATE_TEST_SUITE_P(EveryLanguage, CodePageTest, ::testing::ValuesIn(CodePageSamples()),
                         [](const ::testing::TestParamInfo<CodePageSample>& param) {
                           return std::to_string(param.param.language) + "_" + param.param.name;
                         });

}  // namespace
}  // namespace lyrovox

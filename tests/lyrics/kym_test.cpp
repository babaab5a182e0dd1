// KYM lyrics: the LTAG/STAG/ITAG walk, word records, the trailer, code page 949.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/kym_builder.h"
#include "lyrics/lyric_store.h"
#include "lyrics/text_buffer.h"
#include "support/store_fixture.h"

namespace lyrovox {
namespace {

using kym::Word;

// 우리 함께 노래해요 ("we sing together") in code page 949.
const std::string kWe = "\xBF\xEC\xB8\xAE";                    // 우리
const std::string kTogether = "\xC7\xD4\xB2\xB2";              // 함께
const std::string kSing = "\xB3\xEB\xB7\xA1\xC7\xD8\xBF\xE4";  // 노래해요

class LoadKymTest : public testing::StoreFixture<> {
 protected:
  void Load(const kym::File& f) { LoadBytes(f.Encode()); }
  void LoadBytes(const std::string& bytes) {
    store.Clear();
    store.LoadKym(dir.Write("song.kym", bytes));
  }
};

kym::File Song() {
  kym::File f;
  f.Line(kWe + " " + kTogether)  // 9 bytes
      .Line(kSing)
      .AddWord({1000, 0, 4, 0})
      .AddWord({2000, 5, 4, 0})
      .AddWord({3500, 0, 8, 1})
      .Title("\xB3\xEB\xB7\xA1")      // 노래
      .Artist("\xB0\xA1\xBC\xF6 A");  // 가수 A
  return f;
}

TEST_F(LoadKymTest, WordsTimesLineStartsAndHeading) {
  store.codePage = 1251;
  Load(Song());
  EXPECT_EQ(store.codePage, 949);
  ASSERT_EQ(store.count, 3);
  EXPECT_EQ(Text(0), u"\uC6B0\uB9AC ");  // a space follows the word in its line
  EXPECT_EQ(Time(0), 0);                 // the first word starts the song
  EXPECT_EQ(Break(0), 1);                // offset 0 opens a line
  EXPECT_EQ(Text(1), u"\uD568\uAED8");   // the line's last word: no space
  EXPECT_EQ(Time(1), 1000);              // the time of the record before
  EXPECT_EQ(Break(1), 0);
  EXPECT_EQ(Text(2), u"\uB178\uB798\uD574\uC694");
  EXPECT_EQ(Time(2), 2000);
  EXPECT_EQ(Break(2), 1);
  EXPECT_EQ(Title(), u"\uB178\uB798");
  EXPECT_EQ(Artist(), u"\uAC00\uC218 A");
  for (int i = 0; i < store.count; ++i)
    EXPECT_EQ(store.syllables[i].shown, 0);
}

TEST_F(LoadKymTest, Utf8TextReadsAsUtf8WhenTheLanguageIsAutodetect) {
  // "Hát cùng" in UTF-8: "Hát" is bytes 0-3, "cùng" bytes 5-9.
  kym::File f;
  f.Line("H\xC3\xA1t c\xC3\xB9ng")
      .AddWord({1000, 0, 4, 0})
      .AddWord({2000, 5, 5, 0})
      .Title("B\xC3\xA0i")
      .Artist("Ca s\xC4\xA9");
  store.language = 0;
  Load(f);
  ASSERT_EQ(store.count, 2);
  EXPECT_EQ(Text(0), u"H\u00E1t ");
  EXPECT_EQ(Text(1), u"c\u00F9ng");
  EXPECT_EQ(Title(), u"B\u00E0i");
  EXPECT_EQ(Artist(), u"Ca s\u0129");
  EXPECT_TRUE(store.utf8Text);
  EXPECT_EQ(store.codePage, 949);
  // Another language keeps code page 949, and so does Korean text at Autodetect (above).
  store.language = 14;
  Load(f);
  EXPECT_FALSE(store.utf8Text);
  EXPECT_NE(Text(0), u"H\u00E1t ");
}

TEST_F(LoadKymTest, TheWalkMayEndWithItagInsideTheLastWordRecord) {
  kym::File f = Song();
  f.ItagRecord(false);
  Load(f);
  ASSERT_EQ(store.count, 3);
  EXPECT_EQ(Title(), u"\uB178\uB798");
  EXPECT_EQ(Artist(), u"\uAC00\uC218 A");
}

TEST_F(LoadKymTest, ARecordWithoutAWordStillPassesItsTimeOn) {
  kym::File f;
  f.Line("one two")
      .AddWord({100, 0, 3, 0})
      .AddWord({700, 0, 0, 0})  // start 0, length 0
      .AddWord({900, 4, 3, 0});
  Load(f);
  ASSERT_EQ(store.count, 2);
  EXPECT_EQ(Text(0), u"one ");
  EXPECT_EQ(Text(1), u"two");
  EXPECT_EQ(Time(1), 700);
  EXPECT_EQ(Break(1), 0);  // offset 4 continues the line
}

TEST_F(LoadKymTest, RecordsPointingPastTheirLineOrTheLinesAreSkipped) {
  kym::File f;
  f.Line("abc")
      .AddWord({100, 0, 3, 0})
      .AddWord({200, 20, 5, 0})  // past the line's 24 bytes
      .AddWord({300, 0, 3, 7})   // no line 7
      .AddWord({400, 255, 255, 0})
      .AddWord({500, 0, 1, 0});
  Load(f);
  ASSERT_EQ(store.count, 2);
  EXPECT_EQ(Text(1), u"a");
  EXPECT_EQ(Time(1), 400);  // the skipped records still passed their times on
}

TEST_F(LoadKymTest, AWordMayFillItsWholeLineAndIsCutTo23Units) {
  kym::File f;
  f.Line("abcdefghijklmnopqrstuvwx").Line("yz").AddWord({10, 0, 24, 0}).AddWord({20, 0, 2, 1});
  Load(f);
  ASSERT_EQ(store.count, 2);
  // 24 bytes end at the line's end: no byte after it is looked at, and 23 units are kept.
  EXPECT_EQ(Text(0), u"abcdefghijklmnopqrstuvw");
  EXPECT_EQ(Text(1), u"yz");
}

TEST_F(LoadKymTest, ATitleOfExactly24BytesIsReadFromItsBytesOnly) {
  kym::File f = Song();
  // Twelve Korean characters in 24 bytes, and the bytes after them are not zero.
  std::string title;
  for (int i = 0; i < 12; ++i)
    title += "\xB0\xA1";  // 가
  f.Title(title);
  std::string bytes = f.Encode();
  const size_t trailer = bytes.rfind("ITAG");
  for (size_t i = trailer + 34; i < trailer + 130; ++i)
    bytes[i] = 'Z';
  LoadBytes(bytes);
  EXPECT_EQ(Title(), std::u16string(12, u'\uAC00'));
  EXPECT_EQ(Artist(), u"\uAC00\uC218 A");
  // 24 one-byte characters keep 23 units; 20 of the singer keep 19.
  f.Title("ABCDEFGHIJKLMNOPQRSTUVWX").Artist("abcdefghijklmnopqrst");
  Load(f);
  EXPECT_EQ(Title(), u"ABCDEFGHIJKLMNOPQRSTUVW");
  EXPECT_EQ(Artist(), u"abcdefghijklmnopqrs");
}

TEST_F(LoadKymTest, StagIsLookedForInsideItsRecordOnly) {
  // A first line of 24 bytes without a zero: the "STAG" right behind it is the next record's.
  kym::File f;
  f.Line("ABCDEFGHIJKLMNOPQRSTUVWX").AddWord({50, 0, 4, 0}).AddWord({60, 4, 4, 0});
  Load(f);
  ASSERT_EQ(store.count, 2);
  EXPECT_EQ(Text(0), u"ABCD");
  EXPECT_EQ(Text(1), u"EFGH");
  // "STAG" after a zero byte of a record is not seen, as the text search ends there.
  kym::File g;
  g.Line(std::string("ab\0STAG", 7)).Line("cd").AddWord({50, 0, 2, 1});
  Load(g);
  ASSERT_EQ(store.count, 1);
  EXPECT_EQ(Text(0), u"cd");
}

TEST_F(LoadKymTest, ItagIsLookedForInsideItsRecordOnly) {
  kym::File f;
  f.Line("abcd");
  // A record of 23 bytes without a zero byte that ends in "IT" (start 1, length 1, line 127: it
  // adds nothing), followed by a record whose time bytes begin with "AG" (start 0, length 2,
  // line 0). Read past its end, the first would show "ITAG" and end the walk.
  const std::string r1 = std::string("\x01\x01\x01\x01\x01\x01xxxx\x7F", 11) + "xxxxxxxx" + "xxIT";
  const std::string r2 = std::string("AG\x01\x01\x00\x02", 6) + std::string(17, '\0');
  ASSERT_EQ(r1.size(), 23u);
  f.AddWord({5, 0, 2, 0}).RawWord(r1).RawWord(r2).AddWord({9, 2, 2, 0});
  Load(f);
  ASSERT_EQ(store.count, 3);
  EXPECT_EQ(Text(0), u"ab");
  EXPECT_EQ(Text(1), u"ab");
  EXPECT_EQ(Time(1), 0x01010101);
  EXPECT_EQ(Text(2), u"cd");
  EXPECT_EQ(Time(2), 0x01014741);
}

TEST_F(LoadKymTest, AtMost300LinesThenTheWordsFollow) {
  std::string bytes = "audio LTAG";
  for (int i = 0; i < 300; ++i) {
    std::string line = "line" + std::to_string(i);
    line.resize(24, '\0');
    bytes += line;
  }
  // No "STAG": the word records start right after line 299.
  std::string word(23, '\0');
  word[0] = 100;
  word[4] = 0;
  word[5] = 7;
  word[10] = static_cast<char>(299 % 256);  // line 43
  bytes += word;
  std::string itag(23, '\0');
  itag.replace(0, 4, "ITAG");
  bytes += itag + std::string(200, '\0');
  LoadBytes(bytes);
  ASSERT_EQ(store.count, 1);
  EXPECT_EQ(Text(0), u"line43");
}

TEST_F(LoadKymTest, BlocksThatRunPastTheBytesRead) {
  kym::File lines;
  lines.Line("abc").Line("def").LinesOnly();
  Load(lines);  // lines to the end, no "STAG"
  EXPECT_EQ(store.count, 0);
  // Words to the end without "ITAG": the words are kept, there is no heading.
  std::string bytes = Song().Encode();
  bytes.resize(bytes.rfind("ITAG"));
  LoadBytes(bytes + "xyz");
  EXPECT_EQ(store.count, 3);
  EXPECT_EQ(Title(), u"");
  // A trailer cut short: the title is read from the bytes there are.
  std::string title;
  for (int i = 0; i < 12; ++i)
    title += "\xB0\xA1";  // 가
  kym::File f = Song();
  bytes = f.Title(title).Encode();
  bytes.resize(bytes.rfind("ITAG") + 30);
  LoadBytes(bytes);
  EXPECT_EQ(store.count, 3);
  EXPECT_EQ(Title(), std::u16string(10, u'\uAC00'));
  EXPECT_EQ(Artist(), u"");
  // An "ITAG" record itself cut short ends the walk without a trailer.
  bytes.resize(bytes.rfind("ITAG") + 12);
  LoadBytes(bytes);
  EXPECT_EQ(store.count, 3);
  EXPECT_EQ(Title(), u"");
}

TEST_F(LoadKymTest, OnlyTheLast20000BytesAreSearched) {
  kym::File f = Song();
  f.Audio(std::string(30000, 'a'));
  Load(f);
  EXPECT_EQ(store.count, 3);
  // The block starts 20001 bytes before the end: no "LTAG" in the bytes read.
  std::string bytes = Song().Encode();
  const size_t block = bytes.size() - bytes.find("LTAG");
  bytes += std::string(20001 - block, 'a');
  LoadBytes(bytes);
  EXPECT_EQ(store.count, 0);
  EXPECT_EQ(Title(), u"");
  EXPECT_EQ(store.codePage, 949);
}

TEST_F(LoadKymTest, MissingFilesAndFilesWithoutLtag) {
  store.LoadKym(dir.File("missing.kym"));
  EXPECT_EQ(store.count, 0);
  EXPECT_EQ(store.codePage, 949);
  LoadBytes("no lyrics here");
  EXPECT_EQ(store.count, 0);
}

// 20000 bytes hold at most 869 word records, so the store's 3000 syllables are never reached.
TEST_F(LoadKymTest, AsManyWordsAsTheLastBytesHoldAndTimesHeldInRange) {
  kym::File f;
  f.Line("la la");
  for (int i = 0; i < 800; ++i)
    f.AddWord({static_cast<uint32_t>(i + 1) * 10, 0, 2, 0});
  f.AddWord({0xFFFFFFFFu, 3, 2, 0}).AddWord({1, 0, 2, 0});
  Load(f);
  ASSERT_EQ(store.count, 802);
  EXPECT_EQ(Time(799), 7990);
  EXPECT_EQ(Text(800), u"la");
  EXPECT_EQ(Time(800), 8000);
  EXPECT_EQ(Text(801), u"la ");
  EXPECT_EQ(Time(801), INT32_MAX);  // the time of the record before, 0xFFFFFFFF, held
  EXPECT_EQ(Break(801), 1);
}

}  // namespace
}  // namespace lyrovox

// LRC side files: the grammar, the time patterns, the readers' results and the store.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "common/smf_builder.h"
#include "lyrics/lrc_file.h"
#include "lyrics/lyric_store.h"
#include "lyrics/text_buffer.h"
#include "support/store_fixture.h"

namespace lyrovox {
namespace {

LrcFile Parse(std::string_view text, HResult* result = nullptr) {
  LrcFile file;
  const HResult r = ParseLrc(text, file);
  if (result != nullptr) *result = r;
  return file;
}

// ---------------------------------------------------------------------------------------------
// The grammar

TEST(LrcGrammar, HeadingOffsetAndOneLine) {
  HResult result = -1;
  const LrcFile f = Parse("[ti:Song]\n[ar:Singer]\n[offset:500]\n[00:12.34]First line\n", &result);
  EXPECT_EQ(result, kLrcParsed);
  EXPECT_EQ(f.title, "Song");
  EXPECT_EQ(f.artist, "Singer");
  ASSERT_EQ(f.entries.size(), 1u);
  EXPECT_EQ(f.entries[0].text, "First line ");
  EXPECT_EQ(f.entries[0].timeMs, 12840);
  EXPECT_EQ(f.entries[0].lineBreak, 0);
}

struct Entry {
  std::string text;
  int32_t timeMs;
  int32_t lineBreak;
  bool operator==(const Entry&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Entry& e) {
  return os << "{\"" << e.text << "\", " << e.timeMs << ", " << e.lineBreak << "}";
}

std::vector<Entry> Entries(const LrcFile& f) {
  std::vector<Entry> out;
  for (const LrcEntry& e : f.entries)
    out.push_back({e.text, e.timeMs, e.lineBreak});
  return out;
}

TEST(LrcGrammar, RepeatedTimeTagsGiveTheLineAtEachTimeInTimeOrder) {
  EXPECT_EQ(Entries(Parse("[00:12.00][00:45.00]Chorus\n")),
            (std::vector<Entry>{{"Chorus ", 12000, 0}, {"Chorus ", 45000, 1}}));
  // Every time of a repeated line starts a line once the entries are in time order.
  EXPECT_EQ(Entries(Parse("[00:12.00][00:45.00]Chorus\n[00:20.00]Verse\n[00:30.00]Bridge\n")),
            (std::vector<Entry>{{"Chorus ", 12000, 0},
                                {"Verse ", 20000, 1},
                                {"Bridge ", 30000, 1},
                                {"Chorus ", 45000, 1}}));
  // A relative tag right after a time counts from that time, as from a stored entry.
  EXPECT_EQ(Entries(Parse("[00:01.00]a\n[00:10.00][0.50]b\n")),
            (std::vector<Entry>{{"a ", 1000, 0}, {"b ", 10000, 1}, {"b ", 10500, 1}}));
  // A file without repeated tags keeps its order.
  EXPECT_EQ(Entries(Parse("[00:05.00]b\n[00:01.00]a\n")),
            (std::vector<Entry>{{"b ", 5000, 0}, {"a ", 1000, 1}}));
  // A long line with thousands of times is not copied to each (it would take gigabytes): the
  // times keep an empty segment each, as a time followed by any other tag does.
  std::string many;
  for (int i = 0; i < 20000; ++i)
    many += "[0:1]";
  const LrcFile f = Parse(many + std::string(100000, 'x') + "\n");
  ASSERT_EQ(f.entries.size(), 20000u);
  EXPECT_EQ(f.entries[0].text, " ");
  EXPECT_EQ(f.entries[19999].text.size(), 100001u);
  // A time followed by a tag that is not a time keeps its empty segment.
  EXPECT_EQ(Entries(Parse("[00:12.00][ti:T]\n[00:13.00]x\n")),
            (std::vector<Entry>{{" ", 12000, 0}, {"x ", 13000, 0}}));
}

TEST(LrcGrammar, WordTimesInsideALine) {
  const LrcFile f = Parse("[00:10.00]Hello<00:11.50>world\n");
  ASSERT_EQ(f.entries.size(), 2u);
  EXPECT_EQ(f.entries[0].text, "Hello");
  EXPECT_EQ(f.entries[0].timeMs, 10000);
  EXPECT_EQ(f.entries[1].text, "world ");
  EXPECT_EQ(f.entries[1].timeMs, 11500);
  EXPECT_EQ(f.entries[1].lineBreak, 0);
}

TEST(LrcGrammar, LineBreakValues) {
  const LrcFile f = Parse(
      "[00:01.00]one\n"
      "[00:02.00]two\n"
      "\n"
      "[00:03.00]three\n"
      "[la:ignored]\n"
      "[00:04.00]four\n"
      "  \t[00:05.00]five\n");
  ASSERT_EQ(f.entries.size(), 5u);
  EXPECT_EQ(f.entries[0].lineBreak, 0);  // the first entry of a file
  EXPECT_EQ(f.entries[1].lineBreak, 1);
  EXPECT_EQ(f.entries[2].lineBreak, 2);  // after an empty line
  EXPECT_EQ(f.entries[3].lineBreak, 2);  // after a tag-only line
  EXPECT_EQ(f.entries[4].lineBreak, 1);  // leading blanks are skipped
}

TEST(LrcGrammar, TheFiveTimePatterns) {
  const LrcFile f = Parse(
      "[01:02]a\n"
      "[01:02.3]b\n"
      "[1.25]c\n"
      "[01:02.345]d\n"
      "[0.5]e\n");
  ASSERT_EQ(f.entries.size(), 5u);
  EXPECT_EQ(f.entries[0].timeMs, 62000);
  EXPECT_EQ(f.entries[1].timeMs, 62300);
  EXPECT_EQ(f.entries[2].timeMs, 63550);  // relative to the entry before
  EXPECT_EQ(f.entries[3].timeMs, 62340);  // the third fraction digit is ignored
  EXPECT_EQ(f.entries[4].timeMs, 62840);
}

TEST(LrcGrammar, ScanfRulesInsideTimeTags) {
  const LrcFile f = Parse("[ 1: 2. 5]a\n[+0:07.25xyz]b\n<00:08.00>c\n");
  ASSERT_EQ(f.entries.size(), 3u);
  EXPECT_EQ(f.entries[0].timeMs, 62500);  // "%d" and "%1d" skip white space
  EXPECT_EQ(f.entries[1].timeMs, 7250);   // characters after the last field do not matter
  EXPECT_EQ(f.entries[2].timeMs, 8000);   // "<" and ">" work like "[" and "]"
}

TEST(LrcGrammar, ARelativeTimeBeforeAnyEntryCountsFromMinusOne) {
  const LrcFile f = Parse("[1.25]x\n");
  ASSERT_EQ(f.entries.size(), 1u);
  EXPECT_EQ(f.entries[0].timeMs, 1249);
}

TEST(LrcGrammar, OffsetAppliesToEveryTimeAndNegativeTimesBecomeZero) {
  const LrcFile f = Parse("[offset:-1000]\n[00:00.50]x\n[00:03.00]y\n[0.25]z\n[-1:00]w\n");
  ASSERT_EQ(f.entries.size(), 4u);
  EXPECT_EQ(f.entries[0].timeMs, 0);
  EXPECT_EQ(f.entries[1].timeMs, 2000);
  EXPECT_EQ(f.entries[2].timeMs, 1250);  // 2000 + 250 - 1000
  EXPECT_EQ(f.entries[3].timeMs, 0);
}

TEST(LrcGrammar, HugeTimesStayInRange) {
  const LrcFile f = Parse("[99999999999:00]x\n[offset:99999999999]\n[00:01]y\n");
  ASSERT_EQ(f.entries.size(), 2u);
  EXPECT_EQ(f.entries[0].timeMs, INT32_MAX);
  EXPECT_EQ(f.entries[1].timeMs, INT32_MAX);
}

TEST(LrcGrammar, AMalformedItemEndsOnlyItsOwnLine) {
  struct Case {
    const char* text;
    std::vector<Entry> entries;
  };
  const Case cases[] = {
      // An uppercase key: not an ID tag, and no time. The line counts as a tag-only line.
      {"[00:01.00]a\n[AR:Singer]\n[00:02.00]b\n", {{"a ", 1000, 0}, {"b ", 2000, 2}}},
      {"[00:01.00]a\n[]\n[00:02.00]b\n", {{"a ", 1000, 0}, {"b ", 2000, 2}}},
      {"[00:01.00]a\n[xx]\n[00:02.00]b\n", {{"a ", 1000, 0}, {"b ", 2000, 2}}},
      // The comment some tools write: no offset is read from it.
      {"[00:01.00]a\n[offset:+/- Overall timestamp adjustment in milliseconds]\n"
       "[00:02.00]b\n",
       {{"a ", 1000, 0}, {"b ", 2000, 2}}},
      // A stray character takes its whole line with it.
      {"[00:01.00]a\nx[00:02.00]b\n[00:03.00]c\n", {{"a ", 1000, 0}, {"c ", 3000, 2}}},
      // An untimed text line.
      {"Chorus:\n[00:01.00]a\n", {{"a ", 1000, 0}}},
      {"\xFF\xFE[\0", {}},  // UTF-16 given to the 8-bit reader
  };
  for (const Case& c : cases) {
    HResult result = -1;
    const LrcFile f = Parse(c.text, &result);
    EXPECT_EQ(result, kLrcStopped) << c.text;
    EXPECT_EQ(Entries(f), c.entries) << c.text;
  }
}

TEST(LrcGrammar, AnItemInsideATextThatIsNoTimeIsDroppedAloneAndTheLineReadsOn) {
  struct Case {
    const char* text;
    std::vector<Entry> entries;
  };
  const Case cases[] = {
      // Reading annotations after each character, as Japanese and Chinese files write them.
      {"[00:14.45] \xE6\xBC\xA2<\xE3\x81\x8B\xE3\x82\x93>\xE5\xAD\x97<\xE3\x81\x98>"
       "\xE3\x81\xAE \xE6\xAD\x8C<\xE3\x81\x86\xE3\x81\x9F>\n",
       {{" \xE6\xBC\xA2\xE5\xAD\x97\xE3\x81\xAE \xE6\xAD\x8C ", 14450, 0}}},
      {"[00:01.00]Hello <reading>world\n[00:02.00]next\n",
       {{"Hello world ", 1000, 0}, {"next ", 2000, 1}}},
      {"[00:01.00][chorus]a[x]b<>c\n", {{"abc ", 1000, 0}}},
      // A time after an annotation still ends the segment; an annotation before the time of a
      // word is dropped with it.
      {"[00:01.00]a<r><00:02.00>b<r>\n", {{"a", 1000, 0}, {"b ", 2000, 0}}},
      // An ID tag inside a text is no annotation: it ends the text as it always did.
      {"[00:12.00][ti:T]\n[00:13.00]x\n", {{" ", 12000, 0}, {"x ", 13000, 0}}},
  };
  for (const Case& c : cases) {
    HResult result = -1;
    const LrcFile f = Parse(c.text, &result);
    EXPECT_EQ(result, kLrcParsed) << c.text;
    EXPECT_EQ(Entries(f), c.entries) << c.text;
  }
  LrcFileWide wide;
  EXPECT_EQ(ParseLrcWide(u"[00:14.45]\u6F22<\u304B\u3093>\u5B57<\u3058>\u306E\n", wide),
            kLrcParsed);
  ASSERT_EQ(wide.entries.size(), 1u);
  EXPECT_EQ(wide.entries[0].text, u"\u6F22\u5B57\u306E ");
}

TEST(LrcGrammar, ASegmentOpenAtTheEndIsStoredAsIfALineFeedFollowed) {
  HResult result = -1;
  EXPECT_EQ(Entries(Parse("[00:01.00]a\n[00:02.00]b", &result)),
            (std::vector<Entry>{{"a ", 1000, 0}, {"b ", 2000, 1}}));
  EXPECT_EQ(result, kLrcParsed);
  EXPECT_EQ(Entries(Parse("[00:01.00]a\n[00:02.00]")),
            (std::vector<Entry>{{"a ", 1000, 0}, {"  ", 2000, 1}}));
  // An unfinished tag holds no text.
  EXPECT_EQ(Entries(Parse("[00:01.00]a\n[00:0")), (std::vector<Entry>{{"a ", 1000, 0}}));
}

TEST(LrcGrammar, TheUtf8MarkIsSkippedAndNoted) {
  HResult result = -1;
  const LrcFile f = Parse("\xEF\xBB\xBF[ti:T]\n[00:01.00]a\n", &result);
  EXPECT_EQ(result, kLrcParsed);
  EXPECT_TRUE(f.utf8);
  EXPECT_EQ(f.title, "T");
  EXPECT_EQ(Entries(f), (std::vector<Entry>{{"a ", 1000, 0}}));
  EXPECT_FALSE(Parse("[00:01.00]a\n").utf8);
}

TEST(LrcGrammar, CarriageReturnsAreSkippedEverywhere) {
  const LrcFile f = Parse("[ti:T\r]\r\n[00:01.00]a\rb\r\n\r\n[00:02.00]c\r\n");
  EXPECT_EQ(f.title, "T");
  ASSERT_EQ(f.entries.size(), 2u);
  EXPECT_EQ(f.entries[0].text, "ab ");
  EXPECT_EQ(f.entries[1].text, "c ");
  EXPECT_EQ(f.entries[1].lineBreak, 2);
}

TEST(LrcGrammar, EmptySegmentsAndHeadings) {
  const std::string longTitle(300, 't');
  const LrcFile f = Parse("[ti:" + longTitle + "]\n[ti:Second]\n[ar:]\n[00:01.00]\n[by:x:y]\n");
  EXPECT_EQ(f.title, "Second");  // the last "ti" tag
  EXPECT_EQ(f.artist, "");
  ASSERT_EQ(f.entries.size(), 1u);
  EXPECT_EQ(f.entries[0].text, "  ");  // a single space, then the line's space
  const LrcFile g = Parse("[ti:" + longTitle + "]\n");
  EXPECT_EQ(g.title, std::string(255, 't'));
  // A cut never splits a character: a UTF-8 sequence straddling the 255th byte, or a UTF-16
  // surrogate pair straddling the 255th unit, is left out whole.
  const std::string kanji = "\xE6\xBC\xA2";
  for (size_t before : {252u, 253u, 254u}) {
    const LrcFile u = Parse("[ti:" + std::string(before, 'a') + kanji + "xyz]\n");
    EXPECT_EQ(u.title, std::string(before, 'a') + (before == 252 ? kanji : "")) << before;
  }
  LrcFileWide w;
  ParseLrcWide(u"[ti:" + std::u16string(254, u'a') + u"\U0001F3A4]\n", w);
  EXPECT_EQ(w.title, std::u16string(254, u'a'));
}

TEST(LrcGrammar, TheWideParseSkipsOneByteOrderMark) {
  LrcFileWide f;
  EXPECT_EQ(ParseLrcWideBytes({}, f), kLrcParsed);
  const std::string bytes = smf::Utf16Le(u"\uFEFF[ti:\u6B4C]\n[00:01.00]\u4F60\u597D\n") + "x";
  EXPECT_EQ(ParseLrcWideBytes({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}, f),
            kLrcParsed);
  EXPECT_EQ(f.title, u"\u6B4C");
  ASSERT_EQ(f.entries.size(), 1u);
  EXPECT_EQ(f.entries[0].text, u"\u4F60\u597D ");
  // A second mark is a stray character.
  LrcFileWide g;
  const std::string twice = smf::Utf16Le(u"\uFEFF\uFEFF[00:01.00]x\n");
  EXPECT_EQ(ParseLrcWideBytes({reinterpret_cast<const uint8_t*>(twice.data()), twice.size()}, g),
            kLrcStopped);
  EXPECT_TRUE(g.entries.empty());
}

// ---------------------------------------------------------------------------------------------
// Reading files

class LrcFileTest : public ::testing::Test {
 protected:
  testing::TempDir dir;
};

TEST_F(LrcFileTest, ResultCodes) {
  HResult result = -1;
  ReadLrcFile(dir.Write("ok.lrc", "[00:01.00]a\n"), &result);
  EXPECT_EQ(result, kLrcParsed);
  ReadLrcFile(dir.Write("bad.lrc", "[00:01.00]a\n?"), &result);
  EXPECT_EQ(result, kLrcStopped);
  const LrcFile missing = ReadLrcFile(dir.File("missing.lrc"), &result);
  EXPECT_EQ(result, HResultFromErrno(ENOENT));
  EXPECT_TRUE(missing.entries.empty());
  ReadLrcFileWide(dir.path(), &result);
  EXPECT_EQ(result, HResultFromErrno(EISDIR));
  ReadLrcFileWide(dir.Write("w.lrc", smf::Utf16Le(u"\uFEFF[00:01.00]a\n")), &result);
  EXPECT_EQ(result, kLrcParsed);
}

// ---------------------------------------------------------------------------------------------
// Into the lyric store

class LoadLrcTest : public testing::StoreFixture<> {
 protected:
  void Load(std::string_view text) { store.LoadLrc(dir.Write("song.lrc", text)); }
  void LoadWide(std::u16string_view text) {
    store.LoadLrcWide(dir.Write("song.lrc", smf::Utf16Le(text)));
  }
};

TEST_F(LoadLrcTest, FillsHeadingAndSyllables) {
  Load(
      "[ti:Song]\n[ar:Singer]\n[offset:500]\n[00:12.34]First line\n[00:14.00]Second\n\n"
      "[00:15.00]Third<00:16.00>part\n");
  EXPECT_EQ(std::u16string(TextView(store.title)), u"Song");
  EXPECT_EQ(std::u16string(TextView(store.artist)), u"Singer");
  ASSERT_EQ(store.count, 4);
  EXPECT_EQ(Text(0), u"First line ");
  EXPECT_EQ(Time(0), 12840);
  EXPECT_EQ(Break(0), 1);  // the first syllable starts a line
  EXPECT_EQ(Text(1), u"Second ");
  EXPECT_EQ(Break(1), 1);
  EXPECT_EQ(Text(2), u"Third");
  EXPECT_EQ(Break(2), 2);
  EXPECT_EQ(Text(3), u"part ");
  EXPECT_EQ(Time(3), 16500);
  EXPECT_EQ(Break(3), 0);
  for (int i = 0; i < store.count; ++i)
    EXPECT_EQ(store.syllables[i].shown, 0);
}

TEST_F(LoadLrcTest, ClearsTheStoreEvenWhenTheFileIsMissing) {
  Load("[00:01.00]a\n");
  ASSERT_EQ(store.count, 1);
  store.codePage = 1251;
  store.LoadLrc(dir.File("missing.lrc"));
  EXPECT_EQ(store.count, 0);
  EXPECT_EQ(store.title[0], 0);
  EXPECT_EQ(store.codePage, 1251);
}

TEST_F(LoadLrcTest, AMalformedItemKeepsTheOtherLines) {
  Load("[ti:T]\n[00:01.00]a\n[00:02.00]b\n[AR:Singer]\n[00:03.00]c\n");
  ASSERT_EQ(store.count, 3);
  EXPECT_EQ(Text(1), u"b ");
  EXPECT_EQ(Text(2), u"c ");
  EXPECT_EQ(Break(2), 2);
}

TEST_F(LoadLrcTest, AFileWithTheUtf8MarkReadsAsUtf8WhateverTheCodePage) {
  store.language = 2;
  store.codePage = 936;
  Load("\xEF\xBB\xBF[ti:Caf\xC3\xA9]\n[00:01.00]\xE4\xBD\xA0\xE5\xA5\xBD\n[00:02.00]end");
  EXPECT_EQ(Title(), u"Caf\u00E9");
  ASSERT_EQ(store.count, 2);
  EXPECT_EQ(Text(0), u"\u4F60\u597D ");
  EXPECT_EQ(Text(1), u"end ");
  EXPECT_TRUE(store.utf8Text);
  EXPECT_EQ(store.codePage, 936);
}

TEST_F(LoadLrcTest, AFileWithoutTheMarkIsUtf8WhenItsWholeTextIs) {
  // The title runs past its 255 bytes with a character across the cut: the file is UTF-8 all
  // the same, and the title keeps its whole characters.
  const std::string kanji = "\xE6\xBC\xA2";
  for (size_t before : {253u, 254u}) {
    SCOPED_TRACE(before);
    Load("[ti:" + std::string(before, 'a') + kanji + "]\n[00:01.00]" + kanji + "\n");
    EXPECT_TRUE(store.utf8Text);
    EXPECT_EQ(Title(), std::u16string(before, u'a'));
    ASSERT_EQ(store.count, 1);
    EXPECT_EQ(Text(0), u"\u6F22 ");
  }
  // Bytes that are not UTF-8 anywhere in the file, even in a line the parse skips, make it a
  // Windows-1252 file.
  Load("[00:01.00]" + kanji + "\n[xx]\xE9\n");
  EXPECT_FALSE(store.utf8Text);
  EXPECT_EQ(Text(0), u"\u00E6\u00BC\u00A2 ");
}

TEST_F(LoadLrcTest, SplitsALongLineOnceTheNextTimeIsKnown) {
  // 60 characters with a comma right at the middle (index 30).
  const std::string first = "This very first line is long, but the first entry never splits";
  const std::string line = "abcdefghijklmnopqrstuvwxyzabcd, efghijklmnopqrstuvwxyzabcdefg";
  ASSERT_EQ(line.size(), 61u);
  Load("[00:00.00]" + first + "\n[00:10.00]" + line + "\n[00:20.00]end\n[00:30.00]" + line + "\n");
  ASSERT_EQ(store.count, 5);
  EXPECT_EQ(Text(0), std::u16string(first.begin(), first.end()) + u" ");
  // The first half keeps the text up to the cut, the second loses the separators in front.
  EXPECT_EQ(Text(1), u"abcdefghijklmnopqrstuvwxyzabcd, ");
  EXPECT_EQ(Time(1), 10000);
  EXPECT_EQ(Text(2), u"efghijklmnopqrstuvwxyzabcdefg ");
  EXPECT_EQ(Break(2), 1);
  // The cut after the comma and its space is at 32 of 62 units: 10000 + 32 * 10000 / 62.
  EXPECT_EQ(Time(2), 10000 + 32 * 10000 / 62);
  EXPECT_EQ(Text(3), u"end ");
  EXPECT_EQ(Text(4).size(), 62u);  // the last entry of a file is never split
}

TEST_F(LoadLrcTest, AFullStoreIsNeverWrittenPastItsLastSyllable) {
  // 3002 lines of 45 characters: every line would split in two.
  std::string text;
  for (int i = 0; i < 3002; ++i) {
    char line[80];
    std::snprintf(line, sizeof line,
                  "[%02d:%02d.00]line %04d with words enough to split it in two\n", i / 60, i % 60,
                  i);
    text += line;
  }
  Load(text);
  // A canary right behind the syllables: `count` itself. Splitting syllable 2999 would write
  // syllable 3000, which is past the array.
  EXPECT_EQ(store.count, kMaxSyllables);
  EXPECT_EQ(Text(2999), u"line 3001 with words enough to split it in two ");
  EXPECT_EQ(Time(2999), (3001 / 60 * 60 + 3001 % 60) * 1000);
  // The syllables before stay as the split left them.
  EXPECT_EQ(Break(2998), 1);
}

TEST_F(LoadLrcTest, SplitLongLineRefusesTheLastSlot) {
  for (int i = 0; i < kMaxSyllables; ++i) {
    CopyText(store.syllables[i].text, u"a line of more than forty units, which would split");
    store.syllables[i].timeMs = i;
  }
  store.count = kMaxSyllables;
  EXPECT_EQ(store.SplitLongLine(2999, 5000), 0);
  EXPECT_EQ(store.SplitLongLine(2998, 5000), 1);
}

TEST_F(LoadLrcTest, UnicodeFilesGoToTheWideReader) {
  const std::u16string text = u"\uFEFF[ti:\u6B4C]\n[ar:\u6B4C\u624B]\n[00:01.00]\u4F60\u597D\n";
  LoadWide(text);
  EXPECT_EQ(std::u16string(TextView(store.title)), u"\u6B4C");
  EXPECT_EQ(std::u16string(TextView(store.artist)), u"\u6B4C\u624B");
  ASSERT_EQ(store.count, 1);
  EXPECT_EQ(Text(0), u"\u4F60\u597D ");
  EXPECT_EQ(Break(0), 1);
  // The 8-bit reader stops at the byte-order mark and stores nothing.
  store.LoadLrc(dir.File("song.lrc"));
  EXPECT_EQ(store.count, 0);
}

TEST_F(LoadLrcTest, TextIsCutToTheSyllableField) {
  using namespace std::literals;
  LoadWide(u"[00:01.00]" + std::u16string(100, u'x') + u"\n[00:02.00]a\u0000b\n"s);
  ASSERT_EQ(store.count, 2);
  // The first syllable is never split; its 101 units are cut to 79.
  EXPECT_EQ(Text(0).size(), 79u);
  EXPECT_EQ(Text(1), u"a");
}

}  // namespace
}  // namespace lyrovox

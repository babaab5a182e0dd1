#include "lyrics/lyric_store.h"

#include <gtest/gtest.h>

#include "support/store_fixture.h"

#include <memory>
#include <string>

#include "lyrics/text_buffer.h"

namespace lyrovox {
namespace {

class LyricStoreTest : public testing::StoreFixture<> {
 protected:
  // Adds a syllable at the end the way readers do.
  void Add(std::u16string_view text, int lineBreak, int timeMs, uint8_t shown = 0) {
    LyricSyllable& s = store.syllables[store.AppendSlot()];
    CopyText(s.text, text);
    s.lineBreak = lineBreak;
    s.timeMs = timeMs;
    s.shown = shown;
    store.CountAppended();
  }
  std::u16string Take(int i) {
    char16_t line[kLineUnits] = {};
    store.TakeLine(i, line, kLineUnits);
    return std::u16string(TextView(line));
  }
};

TEST_F(LyricStoreTest, ClearEmptiesLyricsAndHeadingButKeepsCodePageAndLanguage) {
  store.codePage = 1251;
  store.language = 8;
  CopyText(store.title, u"Title");
  CopyText(store.artist, u"Artist");
  Add(u"a", 1, 10, 1);
  store.Clear();
  EXPECT_EQ(store.count, 0);
  EXPECT_EQ(store.title[0], 0);
  EXPECT_EQ(store.artist[0], 0);
  EXPECT_EQ(store.syllables[0].text[0], 0);
  EXPECT_FALSE(store.IsShown(0));
  EXPECT_EQ(store.codePage, 1251);
  EXPECT_EQ(store.language, 8);
  store.Init();
  EXPECT_EQ(store.codePage, 0);
  EXPECT_EQ(store.language, 0);
}

TEST_F(LyricStoreTest, NextLineStartTimeSkipsShownLinesAndEndsAtCount) {
  Add(u"one ", 2, 100);
  Add(u"two ", 0, 200);
  Add(u"three ", 1, 300);
  Add(u"four ", 1, 400);
  EXPECT_EQ(store.NextLineStartTime(0), 100);
  EXPECT_EQ(store.NextLineStartTime(1), 300);
  store.syllables[2].shown = 1;
  EXPECT_EQ(store.NextLineStartTime(1), 400);
  store.syllables[3].shown = 1;
  EXPECT_EQ(store.NextLineStartTime(1), 0);
  EXPECT_EQ(store.NextLineStartTime(4), 0);
  EXPECT_EQ(store.NextLineStartTime(5000), 0);
}

TEST_F(LyricStoreTest, TakeLineTakesLeadingSyllablesThenOneLineAndMarksThemShown) {
  Add(u"a", 1, 0);
  Add(u"b", 0, 10);
  Add(u"c", 0, 20);
  Add(u"D", 1, 30);
  Add(u"e", 0, 40);
  Add(u"F", 2, 50);
  // From the middle of line one: b and c are not a line start but are taken with line D.
  EXPECT_EQ(Take(1), u"bcDe");
  EXPECT_FALSE(store.IsShown(0));
  EXPECT_TRUE(store.IsShown(1));
  EXPECT_TRUE(store.IsShown(4));
  EXPECT_FALSE(store.IsShown(5));
  // The next call takes the following line; shown syllables do not stop the walk.
  EXPECT_EQ(Take(1), u"F");
  EXPECT_EQ(Take(1), u"");
  EXPECT_EQ(Take(0), u"a");
  EXPECT_EQ(Take(7), u"");
}

TEST_F(LyricStoreTest, TakeLineDropsWhatDoesNotFitInTheLine) {
  const std::u16string chunk(60, u'x');
  Add(chunk, 1, 0);
  for (int i = 0; i < 4; ++i)
    Add(chunk, 0, 10 + i);
  const std::u16string line = Take(0);
  EXPECT_EQ(line.size(), 255u);
  EXPECT_TRUE(store.IsShown(4));
}

TEST_F(LyricStoreTest, TextsAreCutAtTheirCapacity) {
  Add(std::u16string(200, u'y'), 1, 0);
  EXPECT_EQ(Text(0).size(), 79u);
  char16_t small[4];
  LyricStore::CopyTail(small, 4, u"@Tabcdef", 2);
  EXPECT_EQ(std::u16string(small), u"abc");
  LyricStore::CopyTail(small, 4, u"ab", 5);
  EXPECT_EQ(std::u16string(small), u"");
}

TEST_F(LyricStoreTest, SplitLeavesShortLinesAndTheFirstSyllableAlone) {
  Add(std::u16string(60, u'a'), 1, 0);
  Add(std::u16string(40, u'b'), 1, 1000);
  EXPECT_EQ(store.SplitLongLine(0, 5000), 0);
  EXPECT_EQ(store.SplitLongLine(1, 5000), 0);
  EXPECT_EQ(Text(0).size(), 60u);
  EXPECT_EQ(store.SplitLongLine(-1, 5000), 0);
}

TEST_F(LyricStoreTest, SplitWithoutPunctuationOrSpacesKeepsTheTextAndAddsAnEmptyLine) {
  Add(u"x", 1, 0);
  Add(std::u16string(41, u'b'), 1, 1000);
  ASSERT_EQ(store.SplitLongLine(1, 5100), 1);
  EXPECT_EQ(Text(1).size(), 41u);
  EXPECT_EQ(Text(2), u"");
  EXPECT_EQ(store.syllables[2].lineBreak, 1);
  EXPECT_EQ(store.syllables[2].timeMs, 5100);
  EXPECT_EQ(store.syllables[2].shown, 0);
}

TEST_F(LyricStoreTest, SplitAtACommaNearTheMiddleDropsTheSeparatorsBehindIt) {
  // 20 letters, a comma at index 20, two spaces, 20 letters: 43 units, middle 21.
  const std::u16string text = std::u16string(20, u'a') + u",  " + std::u16string(20, u'b');
  Add(u"x", 1, 0);
  Add(text, 1, 1000);
  ASSERT_EQ(store.SplitLongLine(1, 1000 + 4300), 1);
  EXPECT_EQ(Text(1), std::u16string(20, u'a') + u",  ");  // the second half drops them
  EXPECT_EQ(Text(2), std::u16string(20, u'b'));
  // Cut at 23 of 43 units over a span of 4300 ms.
  EXPECT_EQ(store.syllables[2].timeMs, 1000 + 23 * 4300 / 43);
}

TEST_F(LyricStoreTest, SplitPrefersTheMiddleMostPunctuationAndTheEarlierOnATie) {
  // Commas at 10 and 30 around the middle 20 of a 41-unit text: equal distance, 10 wins.
  std::u16string text(41, u'a');
  text[10] = u',';
  text[30] = u',';
  Add(u"x", 1, 0);
  Add(text, 1, 0);
  ASSERT_EQ(store.SplitLongLine(1, 4100), 1);
  EXPECT_EQ(Text(1).size(), 11u);
  EXPECT_EQ(store.syllables[2].timeMs, 11 * 4100 / 41);
}

TEST_F(LyricStoreTest, SplitFallsBackToTheMiddleSpaceWhenPunctuationIsNearTheStart) {
  // A comma at index 2 (below len/4) does not count; four spaces: cut after the third.
  const std::u16string text = u"ab,cdefgh ijklmnop qrstuvwx yzabcdef ghijklm";
  ASSERT_GE(text.size(), 41u);
  Add(u"x", 1, 0);
  Add(text, 1, 0);
  ASSERT_EQ(store.SplitLongLine(1, 1000), 1);
  EXPECT_EQ(Text(1), u"ab,cdefgh ijklmnop qrstuvwx ");
  EXPECT_EQ(Text(2), u"yzabcdef ghijklm");
}

TEST_F(LyricStoreTest, AFullStoreKeepsItsCountAndOverwritesTheLastSyllable) {
  for (int i = 0; i < kMaxSyllables + 1; ++i) {
    Add(i == kMaxSyllables ? u"last" : u"s", 0, i);
  }
  EXPECT_EQ(store.count, kMaxSyllables);
  EXPECT_EQ(Text(kMaxSyllables - 1), u"last");
  EXPECT_EQ(store.syllables[kMaxSyllables - 1].timeMs, kMaxSyllables);
  // No room for a second half: the last syllable is never split.
  CopyText(store.syllables[kMaxSyllables - 1].text, std::u16string(60, u'z'));
  EXPECT_EQ(store.SplitLongLine(kMaxSyllables - 1, 99999), 0);
  EXPECT_EQ(store.count, kMaxSyllables);
}

}  // namespace
}  // namespace lyrovox

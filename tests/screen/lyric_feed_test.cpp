#include "screen/lyric_feed.h"

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include "screen_rig.h"

namespace lyrovox {
namespace {

using testing::Q;
using testing::ScreenRig;

// Records the feed's calls as short words, for the order and arguments of what it asks.
class RecordingScreen final : public ILyricFeedScreen {
 public:
  void SetNextLine(std::u16string_view text) override {
    calls << QStringLiteral("next:%1").arg(ToQString(text));
  }
  void StartSungText(std::u16string_view text) override {
    calls << QStringLiteral("start:%1").arg(ToQString(text));
  }
  void AppendSungText(std::u16string_view text) override {
    calls << QStringLiteral("append:%1").arg(ToQString(text));
  }
  void SetSyllableDuration(int32_t ms) override { calls << QStringLiteral("duration:%1").arg(ms); }
  void FlipSingingLine() override { calls << QStringLiteral("flip"); }
  void ResetLyrics() override { calls << QStringLiteral("reset"); }
  void SetPlayState(int state) override {
    playState = state;
    calls << QStringLiteral("state:%1").arg(state);
  }
  int GetPlayState() const override { return playState; }

  QStringList Take() { return std::exchange(calls, {}); }

  QStringList calls;
  int playState = 1;
};

class LyricFeedTest : public ::testing::Test {
 protected:
  LyricFeedTest() { rig.screen.SetPlayState(1); }
  ScreenRig rig;
};

TEST_F(LyricFeedTest, TheFirstLineGoesUpInTheUpperLineOneAndAHalfSecondsAhead) {
  rig.Fill({{5000, 2, u"Hel"}, {5500, 0, u"lo "}, {6000, 0, u"you"}, {9000, 1, u"Next"}});
  rig.RunTo(0, 3480);
  EXPECT_EQ(rig.screen.UpperLine(), "");
  EXPECT_EQ(rig.screen.GetPlayState(), 1);
  rig.Tick(3510);
  EXPECT_EQ(rig.screen.UpperLine(), "Hello you");
  EXPECT_EQ(rig.screen.LowerLine(), "");
  EXPECT_EQ(rig.screen.GetPlayState(), 2);
  EXPECT_EQ(rig.screen.SungText(), "");
}

TEST_F(LyricFeedTest, ASongWhoseFirstSyllableIsAtOneSecondShowsItsLineFromTheFirstTick) {
  rig.Fill({{1000, 2, u"Hello"}});
  rig.Tick(0);
  EXPECT_EQ(rig.screen.UpperLine(), "Hello");
}

TEST_F(LyricFeedTest, LinesAlternateAndTheFreeLineWaitsUntilFourSecondsBeforeItsLine) {
  rig.Fill({{1000, 2, u"One "}, {1500, 0, u"two"}, {3000, 1, u"Three"}, {9000, 1, u"Four"}});
  rig.Tick(990);
  rig.Tick(1020);
  // Line 1 is sung in the upper line; line 2 already waits below (it starts within 4 s).
  EXPECT_FALSE(rig.screen.SingingLowerLine());
  EXPECT_EQ(rig.screen.SungText(), "One ");
  EXPECT_EQ(rig.screen.UpperLine(), "One two");
  EXPECT_EQ(rig.screen.LowerLine(), "Three");

  rig.RunTo(1050, 3030);
  EXPECT_TRUE(rig.screen.SingingLowerLine());
  EXPECT_EQ(rig.screen.SungText(), "Three");
  EXPECT_EQ(rig.screen.UpperLine(), "");
  rig.RunTo(3060, 4980);
  EXPECT_EQ(rig.screen.UpperLine(), "");
  rig.Tick(5010);
  EXPECT_EQ(rig.screen.UpperLine(), "Four");

  rig.RunTo(5040, 9030);
  EXPECT_FALSE(rig.screen.SingingLowerLine());
  EXPECT_EQ(rig.screen.SungText(), "Four");
  EXPECT_EQ(rig.screen.LowerLine(), "");
}

TEST_F(LyricFeedTest, AtMostOneSyllableIsTakenPerTick) {
  rig.Fill({{100, 2, u"a"}, {110, 0, u"b"}, {120, 0, u"c"}});
  rig.Tick(300);
  EXPECT_EQ(rig.screen.SungText(), "a");
  rig.Tick(330);
  EXPECT_EQ(rig.screen.SungText(), "ab");
  rig.Tick(360);
  EXPECT_EQ(rig.screen.SungText(), "abc");
  EXPECT_EQ(rig.feed.syllableCursor(), 3);
  rig.Tick(390);
  EXPECT_EQ(rig.screen.SungText(), "abc");
}

TEST_F(LyricFeedTest, EachSyllableGivesItsDurationOnceInTheTickAfterItWasTaken) {
  RecordingScreen screen;
  rig.Fill({{1000, 2, u"Hel"}, {1600, 0, u"lo"}, {2500, 1, u"You"}});
  rig.feed.Step(*rig.store, 0, false, screen);
  EXPECT_EQ(screen.Take(), QStringList({"state:2", "next:Hello"}));
  rig.feed.Step(*rig.store, 1010, false, screen);
  EXPECT_EQ(screen.Take(), QStringList({"start:Hel", "flip", "next:", "next:You"}));
  rig.feed.Step(*rig.store, 1040, false, screen);
  EXPECT_EQ(screen.Take(), QStringList({"duration:600"}));
  rig.feed.Step(*rig.store, 1070, false, screen);
  EXPECT_EQ(screen.Take(), QStringList());
  rig.feed.Step(*rig.store, 1610, false, screen);
  EXPECT_EQ(screen.Take(), QStringList({"append:lo"}));
  rig.feed.Step(*rig.store, 1640, false, screen);
  EXPECT_EQ(screen.Take(), QStringList({"duration:900"}));
}

TEST_F(LyricFeedTest, WithoutLyricsTheTitleIsClearedAfterSixSeconds) {
  RecordingScreen screen;
  rig.Fill({});
  rig.feed.Step(*rig.store, 6000, false, screen);
  EXPECT_EQ(screen.Take(), QStringList());
  rig.feed.Step(*rig.store, 6030, false, screen);
  EXPECT_EQ(screen.Take(), QStringList({"reset"}));
  // On the video player's clock the screen also returns to idle.
  rig.feed.Step(*rig.store, 6030, true, screen);
  EXPECT_EQ(screen.Take(), QStringList({"reset", "state:0"}));
}

TEST_F(LyricFeedTest, AFirstSyllableWithoutALineStartIsStillSungInTheLineItWentUpIn) {
  rig.Fill({{1000, 0, u"Hel"}, {1500, 0, u"lo"}});
  rig.RunTo(0, 1020);
  EXPECT_EQ(rig.screen.UpperLine(), "Hello");
  EXPECT_FALSE(rig.screen.SingingLowerLine());
  EXPECT_EQ(rig.screen.SungText(), "Hel");
}

TEST_F(LyricFeedTest, ResetStartsTheNextSongWithoutALineLeftPending) {
  rig.Fill({{1000, 2, u"A"}, {9000, 1, u"B"}});
  rig.RunTo(0, 1020);
  EXPECT_TRUE(rig.feed.nextLinePending());
  rig.feed.Reset();
  EXPECT_EQ(rig.feed.syllableCursor(), 0);
  EXPECT_FALSE(rig.feed.nextLinePending());

  rig.screen.ResetLyrics();
  rig.Fill({{1000, 2, u"C"}, {2000, 1, u"D"}});
  rig.Tick(0);
  EXPECT_EQ(rig.screen.UpperLine(), "C");
  EXPECT_EQ(rig.screen.LowerLine(), "");
}

TEST_F(LyricFeedTest, TimesAtTheEndsOfTheRangeNeitherWrapNorStall) {
  rig.Fill({{INT32_MIN, 2, u"early"}, {-5, 0, u"x"}, {INT32_MAX - 100, 1, u"late"}});
  rig.Tick(0);
  rig.Tick(30);
  EXPECT_EQ(rig.screen.SungText(), "earlyx");
  // 4 s before a line near the end of the range is still a time in the past, not a wrapped one.
  EXPECT_EQ(rig.screen.LowerLine(), "");
  rig.feed.Step(*rig.store, INT32_MAX, false, rig.screen);
  EXPECT_EQ(rig.screen.SungText(), "late");
  EXPECT_EQ(rig.feed.syllableCursor(), 3);
  rig.feed.Step(*rig.store, INT32_MAX, false, rig.screen);
  EXPECT_EQ(rig.feed.syllableCursor(), 3);
}

}  // namespace
}  // namespace lyrovox

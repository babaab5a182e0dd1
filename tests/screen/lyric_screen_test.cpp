#include "screen/lyric_screen.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <cmath>

#include "screen/text_sprites.h"
#include "screen_rig.h"

namespace lyrovox {
namespace {

using testing::ScreenRig;

// Frames advance the screen's animations: in full screen at each Compose.
void Frames(CLyricScreen& screen, int n) {
  for (int i = 0; i < n; ++i)
    screen.Compose();
}

class LyricScreenTest : public ::testing::Test {
 protected:
  LyricScreenTest() { rig.screen.SetFullScreen(true); }
  ScreenRig rig;
  CLyricScreen& screen = rig.screen;
};

// --- Fonts and line positions ---

TEST_F(LyricScreenTest, TheFontSizeBecomesPixelsAtTheDisplaysDpiAndPlacesTheLines) {
  // The offscreen display has 96 dots per inch: 70 points are 93 pixels.
  EXPECT_EQ(screen.FontPixels(), 93);
  EXPECT_EQ(screen.LowerLineOffset(), 163);
  EXPECT_EQ(screen.UpperLineOffset(), 266);
  EXPECT_EQ(screen.LyricFont().pixelSize(), 93);
  EXPECT_EQ(screen.NumberFont().pixelSize(), 126);
  EXPECT_EQ(screen.SmallFont().pixelSize(), 46);
  EXPECT_TRUE(screen.LyricFont().bold());
  // "Arial" and an unset face resolve to the metric-compatible Liberation Sans.
  EXPECT_EQ(QFontInfo(screen.LyricFont()).family(), "Liberation Sans");
  rig.settings.defaultFontName = QStringLiteral("Times New Roman");
  screen.ApplyFontSettings(0);
  EXPECT_EQ(QFontInfo(screen.LyricFont()).family(), "Liberation Serif");
}

TEST_F(LyricScreenTest, TheFontSizeIsHeldBetween50And100AndTheCorrectionIsKept) {
  rig.settings.defaultFontSizeValue = 30;
  screen.ApplyFontSettings(0);
  EXPECT_EQ(screen.DefaultFontSizeValue(), 50);
  EXPECT_EQ(screen.FontPixels(), 67);
  rig.settings.defaultFontSizeValue = 120;
  screen.ApplyFontSettings(0);
  EXPECT_EQ(screen.DefaultFontSizeValue(), 100);
  EXPECT_EQ(screen.FontPixels(), 133);
  EXPECT_EQ(screen.LowerLineOffset(), 203);
  EXPECT_EQ(screen.UpperLineOffset(), 346);
}

TEST_F(LyricScreenTest, TheLanguageChoosesTheCharacterSetAndKoreanIsSixPixelsSmaller) {
  const struct {
    int language;
    int charset;
    int pixels;
  } cases[] = {{1, 136, 93}, {2, 134, 93}, {3, 163, 93}, {14, 129, 87}, {8, 0, 93}, {0, 0, 93}};
  for (const auto& c : cases) {
    screen.ApplyFontSettings(c.language);
    EXPECT_EQ(screen.Charset(), c.charset) << c.language;
    EXPECT_EQ(screen.FontPixels(), c.pixels) << c.language;
    EXPECT_EQ(screen.LyricFont().pixelSize(), c.pixels) << c.language;
    // The offsets come from the size before the Korean correction.
    EXPECT_EQ(screen.LowerLineOffset(), 163) << c.language;
  }
}

TEST_F(LyricScreenTest, WithoutALayoutTheLineOffsetsKeepTheirValues) {
  const Settings settings;
  CLyricScreen fresh(settings);
  fresh.ApplyFontSettings(0);
  EXPECT_EQ(fresh.LowerLineOffset(), 175);
  EXPECT_EQ(fresh.UpperLineOffset(), 265);
}

TEST_F(LyricScreenTest, RebuildingTheFontsReturnsTheSungColourToTheMaleColour) {
  rig.settings.lyricColorMale = 0x123456;
  screen.StartSungText(u"F:Hi!");
  Frames(screen, 1);
  EXPECT_EQ(screen.SungColor(), 0x1E1EFFu);
  screen.RebuildFonts(QStringLiteral("Arial"), 60, 0);
  EXPECT_EQ(screen.SungColor(), 0x123456u);
  EXPECT_EQ(screen.LyricFont().pixelSize(), 60);
  // A size that makes no font gives the system font.
  screen.RebuildFonts(QStringLiteral("Arial"), -4, 0);
  EXPECT_GT(QFontInfo(screen.LyricFont()).pixelSize(), 0);
}

// --- Lines, marks and colours ---

TEST_F(LyricScreenTest, LinesAreCentredOnceWithTheirMarkLeftOut) {
  screen.SetNextLine(u"F:Hello");
  EXPECT_EQ(screen.UpperLineX(), -1);
  EXPECT_EQ(screen.UpperLine(), "F:Hello");
  Frames(screen, 1);
  const int width = TextExtent(QStringLiteral("Hello"), screen.LyricFont());
  EXPECT_EQ(screen.UpperLineX(), 960 - width / 2);
  // The first frame drew the line and dropped its mark.
  EXPECT_EQ(screen.UpperLine(), "Hello");
}

TEST_F(LyricScreenTest, ALineWiderThanTheScreenIsCentredAllTheSame) {
  const std::u16string wide(60, u'W');
  screen.SetNextLine(wide);
  Frames(screen, 1);
  const int width = TextExtent(ToQString(wide), screen.LyricFont());
  ASSERT_GT(width, 1920);
  EXPECT_EQ(screen.UpperLineX(), 960 - width / 2);
  EXPECT_LT(screen.UpperLineX(), 0);
}

TEST_F(LyricScreenTest, AMarkSetsTheSungColourForThisAndTheFollowingLines) {
  screen.SetPlayState(2);
  screen.SetNextLine(u"F:Hello");
  screen.FlipSingingLine();
  screen.StartSungText(u"F:Hel");
  Frames(screen, 1);
  EXPECT_EQ(screen.SungColor(), 0x1E1EFFu);
  EXPECT_EQ(screen.SungText(), "Hel");
  screen.StartSungText(u"Next line");
  Frames(screen, 1);
  EXPECT_EQ(screen.SungColor(), 0x1E1EFFu);
  screen.StartSungText(u"D:Both");
  Frames(screen, 1);
  EXPECT_EQ(screen.SungColor(), 0xFF32FFu);
  screen.StartSungText(u"M: He");
  Frames(screen, 1);
  EXPECT_EQ(screen.SungColor(), 0xEE0000u);
  EXPECT_EQ(screen.SungText(), " He");
}

TEST_F(LyricScreenTest, AnUnknownMarkKeepsItsTextAndTheColour) {
  rig.settings.lyricColorFemale = 0x000011;
  screen.StartSungText(u"F:a");
  Frames(screen, 1);
  screen.StartSungText(u"X:yz");
  screen.SetNextLine(u"X:yz");
  Frames(screen, 3);
  EXPECT_EQ(screen.SungText(), "X:yz");
  EXPECT_EQ(screen.UpperLine(), "X:yz");
  EXPECT_EQ(screen.SungColor(), 0x000011u);
}

TEST_F(LyricScreenTest, TextsAreCutAtTheirFieldsWithoutSplittingACharacter) {
  std::u16string longLine(300, u'a');
  screen.SetNextLine(longLine);
  EXPECT_EQ(screen.UpperLine().size(), 255);
  std::u16string pairAtTheCut(254, u'a');
  pairAtTheCut += u"\U0001F600tail";
  screen.StartSungText(pairAtTheCut);
  EXPECT_EQ(screen.SungText().size(), 254);
  screen.AppendSungText(u"more");
  EXPECT_EQ(screen.SungText().size(), 255);
  screen.ShowMessage(QString(40, QLatin1Char('m')));
  screen.SetSongTitle(QString(400, QLatin1Char('t')));
  EXPECT_EQ(screen.SongTitle().size(), 255);
}

TEST_F(LyricScreenTest, ResetLyricsEmptiesTheTextsButKeepsThePlayState) {
  screen.SetPlayState(2);
  screen.SetSongTitle(QStringLiteral("T"));
  screen.SetSongArtist(QStringLiteral("A"));
  screen.SetNextLine(u"up");
  screen.FlipSingingLine();
  screen.SetNextLine(u"down");
  screen.StartSungText(u"u");
  screen.ResetLyrics();
  EXPECT_EQ(screen.UpperLine(), "");
  EXPECT_EQ(screen.LowerLine(), "");
  EXPECT_EQ(screen.SungText(), "");
  EXPECT_EQ(screen.SongTitle(), "");
  EXPECT_TRUE(screen.SingingLowerLine());
  EXPECT_FALSE(screen.TitleAnimating());
  EXPECT_EQ(screen.GetPlayState(), 2);
}

// --- The wipe of line-timed lyrics ---

class WipeTest : public LyricScreenTest {
 protected:
  // A sung line (upper) with the given duration; returns its width.
  int StartLine(const std::u16string& text, int durationMs) {
    screen.SetLineTimed(true);
    screen.SetPlayState(2);
    screen.SetNextLine(text);
    screen.FlipSingingLine();
    screen.StartSungText(text);
    screen.SetSyllableDuration(durationMs);
    return TextExtent(ToQString(text), screen.LyricFont());
  }
};

TEST_F(WipeTest, TheEdgeMovesByTheStepEachFrameAndStopsAtTheEndOfTheText) {
  const int width = StartLine(u"Twinkle, twinkle, little", 4000);
  Frames(screen, 1);
  const int x0 = screen.UpperLineX();
  const float step = static_cast<float>(width * 34) / 4000.0f;
  ASSERT_GE(step, 2.0f);
  EXPECT_EQ(screen.SungWidth(), width);
  EXPECT_FLOAT_EQ(screen.WipeStep(), step);
  EXPECT_EQ(screen.WipeX(), x0 + static_cast<int>(step));
  Frames(screen, 9);
  EXPECT_EQ(screen.WipeFrames(), 10);
  EXPECT_EQ(screen.WipeX(), x0 + static_cast<int>(step * 10));
  const int framesToEnd = static_cast<int>(std::ceil(width / step));
  Frames(screen, framesToEnd - 11);
  EXPECT_LT(screen.WipeX(), x0 + width);
  Frames(screen, 1);
  EXPECT_EQ(screen.WipeX(), x0 + width);
  Frames(screen, 50);
  EXPECT_EQ(screen.WipeX(), x0 + width);
}

TEST_F(WipeTest, AStepBelowTwoPixelsBecomesFive) {
  const int width = StartLine(u"Hi", 4000);
  ASSERT_LT(width * 34 / 4000.0, 2.0);
  Frames(screen, 1);
  EXPECT_FLOAT_EQ(screen.WipeStep(), 5.0f);
  const int frames = (width + 4) / 5;
  Frames(screen, frames - 2);
  EXPECT_LT(screen.WipeX(), screen.UpperLineX() + width);
  Frames(screen, 1);
  EXPECT_EQ(screen.WipeX(), screen.UpperLineX() + width);
}

TEST_F(WipeTest, FramesCountFromTheLineStartSoAnAppendedPieceMayJumpToTheEnd) {
  StartLine(u"First half of a long line", 1000);
  Frames(screen, 40);
  screen.AppendSungText(u" and more");
  screen.SetSyllableDuration(1000);
  Frames(screen, 1);
  const int width =
      TextExtent(QStringLiteral("First half of a long line and more"), screen.LyricFont());
  EXPECT_EQ(screen.WipeFrames(), 41);
  EXPECT_EQ(screen.WipeX(), screen.UpperLineX() + width);
  // A new line starts the count again.
  screen.StartSungText(u"Next");
  EXPECT_EQ(screen.WipeFrames(), 0);
  EXPECT_EQ(screen.WipeX(), 0);
}

TEST_F(WipeTest, AZeroOrNegativeDurationHoldsTheEdge) {
  StartLine(u"Hold", 0);
  Frames(screen, 5);
  EXPECT_EQ(screen.WipeFrames(), 0);
  EXPECT_EQ(screen.WipeX(), 0);
  screen.SetSyllableDuration(-300);
  Frames(screen, 5);
  EXPECT_EQ(screen.WipeFrames(), 0);
}

// --- Title slide ---

TEST_F(LyricScreenTest, TheTitleSlidesInVerticallyThenOutAndTheDirectionFlipsAtIdle) {
  screen.SetSongTitle(QStringLiteral("Title"));
  screen.SetPlayState(1);
  EXPECT_FALSE(screen.SlideHorizontal());
  EXPECT_EQ(screen.TitleOffset(), 600);
  Frames(screen, 1);
  EXPECT_EQ(screen.TitleOffset(), 566);
  Frames(screen, 16);
  EXPECT_EQ(screen.TitleOffset(), 22);
  Frames(screen, 1);
  EXPECT_EQ(screen.TitleOffset(), 0);
  Frames(screen, 5);
  EXPECT_EQ(screen.TitleOffset(), 0);

  // Singing: the slide-out starts where the title stands, 25 pixels a frame, 49 frames.
  screen.SetPlayState(2);
  EXPECT_EQ(screen.TitleOffset(), 0);
  Frames(screen, 48);
  EXPECT_EQ(screen.TitleOffset(), 1200);
  EXPECT_TRUE(screen.TitleAnimating());
  Frames(screen, 1);
  EXPECT_EQ(screen.TitleOffset(), 1225);
  EXPECT_FALSE(screen.TitleAnimating());
  Frames(screen, 3);
  EXPECT_EQ(screen.TitleOffset(), 1225);

  screen.SetPlayState(0);
  EXPECT_TRUE(screen.SlideHorizontal());
  screen.SetPlayState(1);
  Frames(screen, 1);
  EXPECT_EQ(screen.TitleOffset(), 560);
  Frames(screen, 14);
  EXPECT_EQ(screen.TitleOffset(), 0);
  screen.SetPlayState(2);
  Frames(screen, 40);
  EXPECT_EQ(screen.TitleOffset(), 1200);
  Frames(screen, 1);
  EXPECT_FALSE(screen.TitleAnimating());
  screen.SetPlayState(0);
  EXPECT_FALSE(screen.SlideHorizontal());
}

TEST_F(LyricScreenTest, InAWindowTheAnimationsAdvanceAtEachPresentInstead) {
  screen.SetFullScreen(false);
  screen.SetTargetRect(0, 0, 800, 600);
  screen.SetPlayState(1);
  Frames(screen, 3);
  EXPECT_EQ(screen.TitleOffset(), 600);
  rig.surfaces.Present();
  EXPECT_EQ(screen.TitleOffset(), 566);
}

// --- Number entry ---

TEST_F(LyricScreenTest, TypedDigitsShiftInFromTheRightAndEraseShiftsThemBack) {
  EXPECT_EQ(screen.GetTypedNumberText(), "000000");
  screen.TypeDigit(QLatin1Char('1'));
  EXPECT_EQ(screen.GetTypedNumberText(), "000001");
  screen.TypeDigit(QLatin1Char('2'));
  screen.TypeDigit(QLatin1Char('3'));
  EXPECT_EQ(screen.GetTypedNumberText(), "000123");
  EXPECT_EQ(screen.GetTypedNumber(), 123);
  screen.EraseDigit();
  EXPECT_EQ(screen.GetTypedNumberText(), "000012");
  for (QChar c : QStringLiteral("1234567"))
    screen.TypeDigit(c);
  EXPECT_EQ(screen.GetTypedNumberText(), "234567");
  screen.TypeDigit(QLatin1Char('x'));
  EXPECT_EQ(screen.GetTypedNumberText(), "234567");
  screen.SetTypedSongTitle(QStringLiteral("A Song"));
  screen.ClearTypedNumber();
  EXPECT_EQ(screen.GetTypedNumberText(), "000000");
  EXPECT_EQ(screen.GetTypedNumber(), 0);
  EXPECT_EQ(screen.TypedSongTitle(), "");
}

TEST_F(LyricScreenTest, ALongerNumberGrowsToItsLengthAndEraseKeepsIt) {
  screen.SetNumberLength(8);
  screen.TypeDigit(QLatin1Char('9'));
  EXPECT_EQ(screen.GetTypedNumberText(), "0000009");
  screen.TypeDigit(QLatin1Char('8'));
  screen.TypeDigit(QLatin1Char('7'));
  EXPECT_EQ(screen.GetTypedNumberText(), "00000987");
  screen.EraseDigit();
  EXPECT_EQ(screen.GetTypedNumberText(), "00000098");
  screen.SetNumberLength(1000);
  for (int i = 0; i < 20; ++i)
    screen.TypeDigit(QLatin1Char('9'));
  EXPECT_EQ(screen.GetTypedNumber(), 999999999);
}

TEST_F(LyricScreenTest, TheNumberShowsLargeWhileSingingAndSmallWhileTheTitleShows) {
  screen.SetPlayState(2);
  Frames(screen, 1);
  EXPECT_EQ(screen.NumberShown(), 0);
  screen.TypeDigit(QLatin1Char('5'));
  Frames(screen, 1);
  EXPECT_EQ(screen.NumberShown(), 1);
  screen.SetTypedSongTitle(QStringLiteral("Five"));
  Frames(screen, 1);
  EXPECT_EQ(screen.NumberShown(), 2);
  screen.SetPlayState(1);
  Frames(screen, 1);
  EXPECT_EQ(screen.NumberShown(), 1);
}

TEST_F(LyricScreenTest, TheChosenNumberFillsTwoRowsAFrameFor71Frames) {
  for (QChar c : QStringLiteral("000042"))
    screen.TypeDigit(c);
  screen.ShowChosenNumber();
  screen.ClearTypedNumber();
  EXPECT_TRUE(screen.ChosenAnimating());
  Frames(screen, 1);
  EXPECT_EQ(screen.ChosenRows(), 2);
  Frames(screen, 69);
  EXPECT_EQ(screen.ChosenRows(), 140);
  EXPECT_TRUE(screen.ChosenAnimating());
  Frames(screen, 1);
  EXPECT_EQ(screen.ChosenRows(), 0);
  EXPECT_FALSE(screen.ChosenAnimating());
  Frames(screen, 1);
  EXPECT_EQ(screen.ChosenRows(), 0);
}

// --- Message ---

TEST_F(LyricScreenTest, AMessageLivesFor100Frames) {
  screen.ShowMessage(QStringLiteral("Audio Track 2"));
  EXPECT_EQ(screen.MessageFrames(), 100);
  Frames(screen, 99);
  EXPECT_EQ(screen.MessageFrames(), 1);
  Frames(screen, 1);
  EXPECT_EQ(screen.MessageFrames(), 0);
  Frames(screen, 1);
  EXPECT_EQ(screen.MessageFrames(), 0);
}

TEST_F(LyricScreenTest, TheBackgroundIsTheKeyColourUnlessAnAudioSongHasASolidColour) {
  EXPECT_EQ(screen.BackgroundColor(), 0x100C0Eu);
  rig.settings.background = 2;
  rig.settings.backGroundVideoColor = 0x00FF00;
  EXPECT_EQ(screen.BackgroundColor(), 0x00FF00u);
  screen.SetPlayerKind(2);
  EXPECT_EQ(screen.BackgroundColor(), 0x100C0Eu);
  screen.SetPlayerKind(0);
  EXPECT_EQ(screen.BackgroundColor(), 0x100C0Eu);
  screen.SetPlayerKind(1);
  rig.settings.background = 1;
  EXPECT_EQ(screen.BackgroundColor(), 0x100C0Eu);
}

}  // namespace
}  // namespace lyrovox

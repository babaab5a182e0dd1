// What rendered frames show at known places: colours of sung and unsung text, the key colour where
// nothing is drawn, the wipe edge, the message, the banner, the number entry.

#include <gtest/gtest.h>

#include <QPainter>
#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "requests/qr_code.h"
#include "screen/text_sprites.h"
#include "screen_rig.h"

namespace lyrovox {
namespace {

using testing::ScreenRig;

const QRgb kKey = qRgb(14, 12, 16);
const QRgb kMaleBlue = qRgb(0, 0, 238);
const QRgb kUnsung = qRgb(238, 238, 238);
const QRgb kMessageGreen = qRgb(0, 255, 0);
const QRgb kBannerMagenta = qRgb(242, 32, 205);
const QRgb kChosenOrange = qRgb(250, 166, 0);
const QRgb kReservedText = qRgb(8, 0, 172);
const QRgb kWhite = qRgb(255, 255, 255);

int Count(const QImage& image, QRect area, QRgb color) {
  area &= image.rect();
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = area.left(); x <= area.right(); ++x)
      n += (row[x] | 0xFF000000u) == color;
  }
  return n;
}

int CountOther(const QImage& image, QRect area, QRgb color) {
  area &= image.rect();
  return area.width() * area.height() - Count(image, area, color);
}

// Right-most column holding the colour in the area, or -1.
int LastColumn(const QImage& image, QRect area, QRgb color) {
  area &= image.rect();
  for (int x = area.right(); x >= area.left(); --x) {
    if (Count(image, QRect(x, area.top(), 1, area.height()), color) > 0) return x;
  }
  return -1;
}

// Left-most column holding the colour in the area, or -1.
int FirstColumn(const QImage& image, QRect area, QRgb color) {
  area &= image.rect();
  for (int x = area.left(); x <= area.right(); ++x) {
    if (Count(image, QRect(x, area.top(), 1, area.height()), color) > 0) return x;
  }
  return -1;
}

class FramePixelsTest : public ::testing::Test {
 protected:
  const QImage& Present() {
    rig.surfaces.Present();
    return rig.sink.last;
  }
  QRect UpperBand() const { return QRect(0, 1080 - 266, 1920, 120); }

  ScreenRig rig;
  CLyricScreen& screen = rig.screen;
};

TEST_F(FramePixelsTest, WhereNothingIsDrawnTheFrameHasTheKeyColour) {
  rig.settings.reservedListEnable = 0;
  const QImage& frame = Present();
  ASSERT_EQ(frame.size(), QSize(1920, 1080));
  EXPECT_EQ(CountOther(frame, frame.rect(), kKey), 0);
}

TEST_F(FramePixelsTest, IdleShowsThePromptInTheMaleColourUnlessANumberIsTyped) {
  const QRect prompt(0, 540 - 36, 1920, 110);
  EXPECT_GT(Count(Present(), prompt, kMaleBlue), 1000);
  // Outside the prompt nothing.
  EXPECT_EQ(CountOther(rig.sink.last, QRect(0, 0, 1920, 480), kKey), 0);
  screen.TypeDigit(QLatin1Char('7'));
  EXPECT_EQ(Count(Present(), prompt, kMaleBlue), 0);
  screen.ClearTypedNumber();
  rig.settings.reservedListEnable = 0;
  EXPECT_EQ(Count(Present(), prompt, kMaleBlue), 0);
}

TEST_F(FramePixelsTest, SungSyllablesAreInTheSungColourAndTheRestInTheLineColour) {
  rig.Fill({{1000, 2, u"HHHHH"}, {1500, 0, u"HHHHH"}});
  rig.RunTo(0, 1020);
  ASSERT_EQ(screen.SungText(), "HHHHH");
  const QImage& frame = rig.sink.last;
  const int edge = screen.UpperLineX() + TextExtent(QStringLiteral("HHHHH"), screen.LyricFont());
  const QRect band = UpperBand();
  const QRect sung(band.left(), band.top(), edge - band.left(), band.height());
  const QRect unsung(edge, band.top(), band.right() - edge, band.height());
  EXPECT_GT(Count(frame, sung, kMaleBlue), 2000);
  EXPECT_EQ(Count(frame, unsung, kMaleBlue), 0);
  EXPECT_GT(Count(frame, unsung, kUnsung), 2000);
  // The lower line is empty, and the key colour shows above the lines.
  EXPECT_EQ(Count(frame, QRect(0, 0, 1920, 700), kKey), 1920 * 700);

  rig.RunTo(1050, 1530);
  EXPECT_GT(Count(rig.sink.last, unsung, kMaleBlue), 2000);
}

TEST_F(FramePixelsTest, TheWipeColoursTheLineUpToTheEdgeInFullScreenAndInAWindow) {
  for (bool fullScreen : {true, false}) {
    ScreenRig r;
    r.screen.SetFullScreen(fullScreen);
    if (!fullScreen) r.screen.SetTargetRect(100, 50, 900, 650);
    r.screen.SetLineTimed(true);
    r.Fill({{1000, 1, u"MMMMMMMMMMMMMMMM"}, {9000, 1, u"end"}});
    r.RunTo(0, 2010);  // the line starts at 1020, its duration arrives at 1050
    const int wipeX = r.screen.WipeX();
    const int x0 = r.screen.UpperLineX();
    ASSERT_GT(wipeX, x0 + 20) << fullScreen;
    ASSERT_LT(wipeX, x0 + r.screen.SungWidth()) << fullScreen;
    const QImage& frame = r.sink.last;
    const int edge = fullScreen ? wipeX : static_cast<int>(100 + 800.0 * wipeX / 1920);
    const QRect band = fullScreen ? QRect(0, 1080 - 266, 1920, 120) : QRect(100, 400, 800, 120);
    const int last = LastColumn(frame, band, kMaleBlue);
    EXPECT_LT(last, edge) << fullScreen;
    EXPECT_GE(last, edge - (fullScreen ? 3 : 2)) << fullScreen;
    EXPECT_GT(Count(frame, QRect(edge, band.top(), 200, band.height()), kUnsung), 100)
        << fullScreen;
  }
}

// Hebrew is sung from the right: half-way through a line its right half is in the sung colour
// and its left half is not, whole syllables and pixel wipe alike.
TEST_F(FramePixelsTest, AHebrewLineIsColouredFromItsRightEnd) {
  for (bool lineTimed : {false, true}) {
    SCOPED_TRACE(lineTimed ? "pixel wipe" : "syllables");
    ScreenRig r;
    r.screen.SetLineTimed(lineTimed);
    // Four syllables of three letters each ("alef bet gimel ..."), then the next line.
    r.Fill({{1000, 2, u"\u05D0\u05D1\u05D2 "},
            {1500, 0, u"\u05D3\u05D4\u05D5 "},
            {2000, 0, u"\u05D6\u05D7\u05D8 "},
            {2500, 0, u"\u05D9\u05DB\u05DC"},
            {9000, 1, u"\u05DE\u05E0"}});
    if (lineTimed) {
      // One timed line of 8 s, wiped from 1.02 s: at 4.5 s a little less than half is coloured.
      r.Fill({{1000, 2,
               u"\u05D0\u05D1\u05D2 \u05D3\u05D4\u05D5 \u05D6\u05D7\u05D8 \u05D9\u05DB\u05DC"},
              {9000, 1, u"\u05DE\u05E0"}});
      r.RunTo(0, 4500);
    } else {
      r.RunTo(0, 1530);  // two of the four syllables sung
    }
    const int x0 = r.screen.UpperLineX();
    const int width = TextExtent(r.screen.UpperLine(), r.screen.LyricFont());
    ASSERT_GT(width, 300);
    const QRect band = UpperBand();
    const QImage& frame = r.sink.last;
    const QRect leftPart(x0, band.top(), width * 45 / 100, band.height());
    const QRect rightPart(x0 + width * 55 / 100, band.top(), width * 45 / 100, band.height());
    EXPECT_EQ(Count(frame, leftPart, kMaleBlue), 0);
    EXPECT_GT(Count(frame, leftPart, kUnsung), 1000);
    EXPECT_GT(Count(frame, rightPart, kMaleBlue), 1000);
    // The sung colour reaches the line's right end.
    EXPECT_GE(LastColumn(frame, band, kMaleBlue), x0 + width - 12);
    if (lineTimed) {
      // And starts at the wipe's edge.
      EXPECT_GE(FirstColumn(frame, band, kMaleBlue), r.screen.WipeX());
      EXPECT_LE(FirstColumn(frame, band, kMaleBlue), r.screen.WipeX() + 40);
    }
  }
}

TEST_F(FramePixelsTest, InAWindowTheFrameIsScaledIntoTheTargetAndTheRestIsBackground) {
  screen.SetTargetRect(100, 50, 900, 650);
  rig.Fill({{1000, 2, u"Hello"}});
  rig.RunTo(0, 990);
  const QImage& frame = rig.sink.last;
  // The line sits near the bottom of the target: 1080 - 266 layout rows scaled by 600 / 1080.
  const int top = 50 + (1080 - 266) * 600 / 1080;
  EXPECT_GT(Count(frame, QRect(100, top, 800, 70), kUnsung), 500);
  EXPECT_EQ(Count(frame, QRect(0, 0, 1920, 50), kKey), 1920 * 50);
  EXPECT_EQ(Count(frame, QRect(900, 0, 1020, 1080), kKey), 1020 * 1080);
  EXPECT_EQ(Count(frame, QRect(0, 650, 1920, 430), kKey), 1920 * 430);
}

TEST_F(FramePixelsTest, AFullScreenFrameIsTheWindowedFrameAtFullSize) {
  ScreenRig windowed;
  ScreenRig full;
  full.screen.SetFullScreen(true);
  for (ScreenRig* r : {&windowed, &full}) {
    r->screen.SetSongTitle(QStringLiteral("The Title"));
    r->screen.SetSongArtist(QStringLiteral("The Artist"));
    r->screen.SetPlayState(1);
    r->Fill({{3000, 2, u"Twin"}, {3500, 0, u"kle"}});
    r->screen.ShowMessage(QStringLiteral("Left Audio Channel"));
    r->RunTo(0, 3600);
  }
  EXPECT_EQ(windowed.sink.last, full.sink.last);
}

TEST_F(FramePixelsTest, LeavingFullScreenShowsNothingOfTheFullSizeFrame) {
  // In a window the frame starts from the fill it keeps: what full screen drew into it must go.
  rig.Fill({{1000, 2, u"Hello"}, {3000, 1, u"World"}});
  screen.SetFullScreen(true);
  rig.RunTo(0, 1200);
  ASSERT_GT(CountOther(rig.sink.last, QRect(0, 700, 1920, 380), kKey), 1000);
  screen.SetFullScreen(false);
  screen.ResetLyrics();
  rig.Tick(1230);
  EXPECT_EQ(CountOther(rig.sink.last, rig.sink.last.rect(), kKey), 0);

  // And the fill is renewed when its colour changes.
  rig.settings.background = 2;
  rig.settings.backGroundVideoColor = 0x0000FF;
  rig.Tick(1260);
  EXPECT_EQ(Count(rig.sink.last, rig.sink.last.rect(), qRgb(255, 0, 0)), 1920 * 1080);
}

// Only the text of the frame before is wiped, in a window and in full screen. Whatever happens on
// the screen, each frame must be the frame drawn whole from the fill, and must differ from the
// frame before only where its damage says, and hold other colours than the key only where its
// damage says.
TEST(FramePixels, AFrameWipedWhereItsTextWasIsTheFrameDrawnWhole) {
  for (const bool fullScreen : {false, true}) {
    SCOPED_TRACE(fullScreen ? "full screen" : "windowed");
    ScreenRig rig;
    ScreenRig whole;
    const std::vector<testing::Syllable> song = {
        {1000, 2, u"Twin"}, {1400, 0, u"kle "}, {1800, 0, u"twin"}, {2200, 0, u"kle"},
        {2800, 1, u"Lit"},  {3100, 0, u"tle "}, {3400, 0, u"star"}, {4200, 2, u"How"},
        {4600, 0, u" I"},   {5000, 0, u" won"}, {5300, 0, u"der"}};
    // Steps at times in milliseconds, on both screens.
    const std::vector<std::pair<int, std::function<void(ScreenRig&)>>> steps = {
        {0,
         [](ScreenRig& r) {
           CLyricScreen& s = r.screen;
           s.SetSongTitle(QStringLiteral("Twinkle"));
           s.SetSongArtist(QStringLiteral("Traditional"));
           s.SetPlayState(1);
         }},
        {900, [](ScreenRig& r) { r.screen.ShowMessage(QStringLiteral("Volume: 80")); }},
        {1500,
         [](ScreenRig& r) {
           CLyricScreen& s = r.screen;
           for (QChar c : QStringLiteral("12"))
             s.TypeDigit(c);
         }},
        {2500, [](ScreenRig& r) { r.screen.ClearTypedNumber(); }},
        {3000,
         [](ScreenRig& r) {
           CLyricScreen& s = r.screen;
           s.SetReservedCount(1);
           s.SetReservedNumbers(QStringLiteral("  000012"));
           s.SetNextSongTitle(QStringLiteral("Next One"));
           s.SetNextSongBanner(true);
         }},
        {3900, [](ScreenRig& r) { r.screen.SetNextSongBanner(false); }},
        {4400,
         [](ScreenRig& r) {
           r.settings.background = 2;
           r.settings.backGroundVideoColor = 0x336699;
         }},
        {4700, [](ScreenRig& r) { r.settings.background = 0; }},
        {5100, [](ScreenRig& r) { r.screen.SetTargetRect(40, 30, 840, 630); }},
        // Out of full screen and back: the frame is drawn whole again.
        {5400, [fullScreen](ScreenRig& r) { r.screen.SetFullScreen(!fullScreen); }},
        {5700, [fullScreen](ScreenRig& r) { r.screen.SetFullScreen(fullScreen); }},
    };
    for (ScreenRig* r : {&rig, &whole}) {
      r->screen.SetFullScreen(fullScreen);
      r->screen.SetTargetRect(100, 50, 900, 650);
      r->Fill(song);
    }
    size_t next = 0;
    QImage before;
    for (int t = 0; t <= 6000; t += 30) {
      for (; next < steps.size() && steps[next].first <= t; ++next) {
        steps[next].second(rig);
        steps[next].second(whole);
      }
      rig.Tick(t);
      whole.screen.ForgetRendered();
      whole.Tick(t);
      const QImage& frame = rig.sink.last;
      const QRect target = rig.screen.FullScreen() ? frame.rect() : rig.screen.TargetRect();
      ASSERT_EQ(frame.copy(target), whole.sink.last.copy(target)) << t;

      const FrameDamage& damage = rig.sink.lastDamage;
      if (!before.isNull()) {
        QPainter patch(&before);
        patch.setCompositionMode(QPainter::CompositionMode_Source);
        for (const QRect& r : damage.changed)
          patch.drawImage(r.topLeft(), frame, r);
        patch.end();
        ASSERT_EQ(before.copy(target), frame.copy(target)) << t;
      }
      QImage uncovered = frame.copy();
      {
        QPainter cover(&uncovered);
        for (const QRect& r : damage.covered)
          cover.fillRect(r, QColor::fromRgb(kKey));
      }
      const bool keyFill = Count(frame, QRect(target.topLeft(), QSize(1, 1)), kKey) == 1;
      if (keyFill) {
        ASSERT_EQ(CountOther(uncovered, target, kKey), 0) << t;
      }
      before = frame.copy();
    }
    // The lines came up and were sung; the solid colour came and went.
    EXPECT_GT(rig.sink.frames, 150);
  }
}

TEST_F(FramePixelsTest, AnAudioSongWithASolidBackgroundShowsTheColourAndAVideoSongTheKey) {
  rig.settings.reservedListEnable = 0;
  rig.settings.background = 2;
  rig.settings.backGroundVideoColor = 0xFF0000;
  Present();
  EXPECT_EQ(Count(Present(), QRect(0, 0, 1920, 1080), qRgb(0, 0, 255)), 1920 * 1080);
  // The fill is made when the frame is composed.
  screen.SetPlayerKind(2);
  screen.Compose();
  EXPECT_EQ(Count(Present(), QRect(0, 0, 1920, 1080), kKey), 1920 * 1080);
}

TEST_F(FramePixelsTest, TheMessageShowsInGreenFor100Frames) {
  rig.settings.reservedListEnable = 0;
  screen.ShowMessage(QStringLiteral("Audio Track 2"));
  const QRect area(0, 40, 700, 80);
  EXPECT_GT(Count(Present(), area, kMessageGreen), 500);
  for (int i = 0; i < 98; ++i)
    rig.surfaces.Present();
  EXPECT_GT(Count(Present(), area, kMessageGreen), 500);
  EXPECT_EQ(Count(Present(), area, kMessageGreen), 0);
}

TEST_F(FramePixelsTest, TheRequestInvitationShowsItsCodeAddressAndRoomCodeAtTheTopRight) {
  rig.settings.reservedListEnable = 0;
  const std::string address = "http://192.168.1.20:8080/";
  const QrCode qr = EncodeQr(address);
  ASSERT_GE(qr.size, 21);
  RequestInvite invite;
  invite.address = QString::fromStdString(address);
  invite.roomCode = QStringLiteral("4821");
  invite.qrSize = qr.size;
  invite.qrModules = qr.dark;
  screen.SetRequestInvite(invite);
  const QRect corner(1200, 0, 720, 480);
  EXPECT_EQ(CountOther(Present(), corner, kKey), 0);  // not shown yet
  screen.SetRequestInviteShown(true);
  const QImage& frame = Present();
  // The code fills a square a quarter of the frame high, 24 pixels in from the right and 80 from
  // the top, with four light modules around it.
  const int side = 1080 / 4;
  const int modules = qr.size + 8;
  auto at = [&](int mx, int my) {
    return frame.pixel(1920 - 24 - side + (mx + 4) * side / modules + side / modules / 2,
                       80 + (my + 4) * side / modules + side / modules / 2);
  };
  const QRgb black = qRgb(0, 0, 0);
  const QRgb white = qRgb(255, 255, 255);
  // Every QR code has its three finder patterns: a dark ring, a light ring, a dark centre, each
  // with a light separator, at three corners; and a light quiet zone.
  for (auto [fx, fy] : {std::pair{0, 0}, std::pair{qr.size - 7, 0}, std::pair{0, qr.size - 7}}) {
    EXPECT_EQ(at(fx, fy), black);
    EXPECT_EQ(at(fx + 6, fy + 6), black);
    EXPECT_EQ(at(fx + 1, fy + 1), white);
    EXPECT_EQ(at(fx + 3, fy + 3), black);
  }
  EXPECT_EQ(at(7, 7), white);
  EXPECT_EQ(at(-2, -2), white);
  EXPECT_EQ(at(qr.size + 1, qr.size + 1), white);
  // The address and the room code in white under it.
  EXPECT_GT(Count(frame, QRect(1200, 80 + side + 4, 720, 90), white), 300);
  screen.SetRequestInviteShown(false);
  EXPECT_EQ(CountOther(Present(), corner, kKey), 0);
  // No address: nothing, whether shown or not.
  screen.SetRequestInvite({});
  screen.SetRequestInviteShown(true);
  EXPECT_EQ(CountOther(Present(), corner, kKey), 0);
}

TEST_F(FramePixelsTest, ANoticeShowsInTheMessagesPlaceForItsTime) {
  rig.settings.reservedListEnable = 0;
  // Longer than a message may be; 2 s is 67 frames of 30 ms.
  screen.ShowNotice(QStringLiteral("Removed: A Rather Long Song Title Here"), 2000);
  const QRect area(0, 40, 1920, 80);
  EXPECT_GT(LastColumn(Present(), area, kMessageGreen), 900);
  for (int i = 0; i < 65; ++i)
    rig.surfaces.Present();
  EXPECT_GT(Count(Present(), area, kMessageGreen), 500);
  EXPECT_EQ(Count(Present(), area, kMessageGreen), 0);
}

TEST_F(FramePixelsTest, AStatusShowsSmallAtTheTopRightAwayFromTheLyrics) {
  rig.settings.reservedListEnable = 0;
  rig.Fill({{1000, 2, u"HHHHH"}, {1500, 0, u"HHHHH"}});
  rig.RunTo(0, 1020);
  const QImage before = rig.sink.last.copy();
  screen.ShowStatus(QStringLiteral("Key: +2"));
  const QImage& frame = Present();
  // White text ending near the right edge, within the top band, in the small font.
  const QRect top(960, 0, 960, 120);
  EXPECT_GT(Count(frame, top, kWhite), 300);
  const int right = LastColumn(frame, top, kWhite);
  EXPECT_GT(right, 1920 - 40);
  EXPECT_LE(right, 1920 - 20);
  EXPECT_EQ(Count(frame, QRect(0, 0, 960, 120), kWhite), 0);
  // The lyric lines are untouched.
  const QRect lyrics(0, 500, 1920, 580);
  EXPECT_EQ(frame.copy(lyrics), before.copy(lyrics));
  // 1.5 s after the last change (50 frames) it is gone.
  for (int i = 0; i < 48; ++i)
    rig.surfaces.Present();
  EXPECT_GT(Count(Present(), top, kWhite), 300);
  EXPECT_EQ(Count(Present(), top, kWhite), 0);
}

// A line that fits is drawn as the text's own picture at its place; one wider than the frame is
// drawn whole, smaller, inside it, and the wipe colours the same share of it.
TEST_F(FramePixelsTest, ALineWiderThanTheFrameIsFittedAndOneThatFitsIsUnchanged) {
  for (const int size : {70, 100}) {
    ScreenRig r;
    r.settings.defaultFontSizeValue = size;
    r.screen.ApplyFontSettings(0);
    r.settings.reservedListEnable = 0;
    r.screen.SetFullScreen(true);
    const std::u16string fits = u"Fits in";
    r.Fill({{1000, 1, fits}, {5000, 1, u"end"}});
    r.RunTo(0, 120);  // the first line is up, nothing sung yet
    // What the line is: the outlined text's own picture at the line's place on the key colour.
    QImage expected(1920, 1080, QImage::Format_RGB32);
    expected.fill(kKey);
    {
      TextSprites sprites;
      const TextSprite& sprite =
          sprites.SingleLine(QString::fromStdU16String(fits), r.screen.LyricFont(),
                             TextLook{TextShape::kOutlined, true, kUnsung, qRgb(20, 20, 20)}, 1, 1);
      QPainter p(&expected);
      p.drawImage(QPoint(r.screen.UpperLineX(), 1080 - r.screen.UpperLineOffset()) + sprite.offset,
                  sprite.image);
    }
    EXPECT_EQ(r.sink.last.convertToFormat(QImage::Format_RGB32), expected) << size;
  }

  // At size 100 a long line is far wider than the frame.
  ScreenRig r;
  r.settings.defaultFontSizeValue = 100;
  r.screen.ApplyFontSettings(0);
  r.screen.SetFullScreen(true);
  r.screen.SetLineTimed(true);
  const std::u16string wide(40, u'M');
  const int width = TextExtent(QString::fromStdU16String(wide), r.screen.LyricFont());
  ASSERT_GT(width, 2 * 1920);
  r.Fill({{1000, 1, wide}, {9000, 1, u"end"}});
  r.RunTo(0, 4950);  // about half-way through the line, before the next one is put up
  const QImage& frame = r.sink.last;
  const QRect band(0, 1080 - r.screen.UpperLineOffset() - 20, 1920, 220);
  const int first =
      std::min(FirstColumn(frame, band, kMaleBlue), FirstColumn(frame, band, kUnsung));
  const int last = std::max(LastColumn(frame, band, kMaleBlue), LastColumn(frame, band, kUnsung));
  // The whole line is inside the frame, and fills its width.
  EXPECT_GT(first, 0);
  EXPECT_LT(last, 1919);
  EXPECT_GT(last - first, 1800);
  // Drawn at half the height or less, as it is scaled by the same factor.
  int topRow = -1;
  int bottomRow = -1;
  for (int y = 0; y < 1080; ++y) {
    if (Count(frame, QRect(0, y, 1920, 1), kUnsung) +
            Count(frame, QRect(0, y, 1920, 1), kMaleBlue) ==
        0)
      continue;
    if (topRow < 0) topRow = y;
    bottomRow = y;
  }
  EXPECT_LT(bottomRow - topRow, r.screen.FontPixels() / 2);
  // The sung colour reaches the same share of the drawn line as the wipe's edge of the text.
  const double share = static_cast<double>(r.screen.WipeX() - r.screen.UpperLineX()) / width;
  ASSERT_GT(share, 0.3);
  ASSERT_LT(share, 0.7);
  const int sungEnd = LastColumn(frame, band, kMaleBlue);
  EXPECT_NEAR(static_cast<double>(sungEnd - first) / (last - first), share, 0.02);
}

TEST_F(FramePixelsTest, TheBannerShowsOnlyWithAReservedSongAndATitle) {
  const QRect label(0, 540 - 158, 1920, 110);
  screen.SetNextSongBanner(true);
  screen.SetReservedCount(1);
  EXPECT_EQ(Count(Present(), label, kBannerMagenta), 0);
  screen.SetNextSongTitle(QStringLiteral("Yesterday Once More"));
  EXPECT_GT(Count(Present(), label, kBannerMagenta), 1000);
  EXPECT_GT(Count(rig.sink.last, QRect(0, 500, 1920, 110), qRgb(255, 138, 20)), 1000);
  screen.SetReservedCount(0);
  EXPECT_EQ(Count(Present(), label, kBannerMagenta), 0);
  screen.SetReservedCount(1);
  screen.SetNextSongBanner(false);
  EXPECT_EQ(Count(Present(), label, kBannerMagenta), 0);
}

TEST_F(FramePixelsTest, ATypedNumberShowsLargeInTheMiddleOrSmallAtTheTopLeft) {
  screen.SetPlayState(2);
  for (QChar c : QStringLiteral("123456"))
    screen.TypeDigit(c);
  screen.SetTypedSongTitle(QStringLiteral("My Song"));
  const QRect middle(0, 540 - 182, 1920, 150);
  const QRect corner(0, 0, 600, 70);
  EXPECT_GT(Count(Present(), middle, kWhite), 3000);
  EXPECT_GT(Count(rig.sink.last, QRect(0, 480, 1920, 120), qRgb(255, 138, 20)), 1000);
  EXPECT_EQ(Count(rig.sink.last, corner, kWhite), 0);

  // With the banner up the number moves to the top left.
  screen.SetNextSongBanner(true);
  screen.SetReservedCount(1);
  screen.SetNextSongTitle(QStringLiteral("Next"));
  EXPECT_EQ(Count(Present(), QRect(0, 540 - 182, 1920, 20), kWhite), 0);
  EXPECT_GT(Count(rig.sink.last, corner, kWhite), 300);
}

TEST_F(FramePixelsTest, TheChosenNumberFillsWithOrangeFromTheTop) {
  screen.SetFullScreen(true);
  for (QChar c : QStringLiteral("424242"))
    screen.TypeDigit(c);
  screen.ShowChosenNumber();
  screen.ClearTypedNumber();
  screen.SetPlayState(2);
  rig.surfaces.Present();  // makes the full-screen frame
  const int y = 540 - 182;
  for (int frame = 1; frame <= 30; ++frame) {
    screen.Compose();
    rig.surfaces.Present();
    const QImage& image = rig.sink.last;
    EXPECT_EQ(Count(image, QRect(0, 0, 1920, y), kChosenOrange), 0) << frame;
    EXPECT_EQ(Count(image, QRect(0, y + 2 * frame, 1920, 400), kChosenOrange), 0) << frame;
    if (frame == 30) {
      EXPECT_GT(Count(image, QRect(0, y, 1920, 60), kChosenOrange), 500);
    }
  }
}

TEST_F(FramePixelsTest, TheReservedSummaryShowsAtTheTopLeftWithADiagonalShadow) {
  screen.SetReservedCount(2);
  screen.SetReservedNumbers(QStringLiteral("  000012  000345"));
  const QImage& frame = Present();
  EXPECT_GT(Count(frame, QRect(0, 0, 900, 70), kReservedText), 300);
  EXPECT_GT(Count(frame, QRect(0, 0, 900, 70), qRgb(220, 220, 220)), 100);
  EXPECT_EQ(CountOther(frame, QRect(0, 80, 1920, 400), kKey), 0);
}

TEST_F(FramePixelsTest, CdgModeLeavesOutEverythingButTheMessageAndTheNumberEntry) {
  screen.SetLyricMode(2);
  screen.SetSongTitle(QStringLiteral("Title"));
  screen.SetPlayState(1);
  // In a window the frame is the CD+G picture alone; a picture with nothing drawn yet shows the
  // key colour everywhere, and no title.
  const QImage windowed = Present();
  const QRect target = screen.TargetRect();
  EXPECT_EQ(CountOther(windowed, target, kKey), 0);

  screen.SetFullScreen(true);
  screen.ShowMessage(QStringLiteral("Right Audio Channel"));
  Present();
  screen.Compose();
  const QImage& frame = Present();
  EXPECT_GT(Count(frame, QRect(0, 40, 700, 80), kMessageGreen), 500);
  EXPECT_EQ(Count(frame, QRect(0, 300, 1920, 500), qRgb(255, 138, 20)), 0);
  EXPECT_EQ(screen.TitleOffset(), 600);
}

TEST_F(FramePixelsTest, AScreenWithoutASizeDrawsNothingAndDoesNotFail) {
  const Settings settings;
  CLyricScreen empty(settings);
  empty.SetNextLine(u"x");
  empty.StartSungText(u"x");
  empty.SetLineTimed(true);
  empty.SetPlayState(2);
  empty.SetSyllableDuration(100);
  QImage image(64, 64, QImage::Format_RGB32);
  image.fill(Qt::black);
  for (bool full : {false, true}) {
    empty.SetFullScreen(full);
    empty.Compose();
    QPainter painter(&image);
    empty.Render(painter);
  }
  EXPECT_EQ(Count(image, image.rect(), qRgb(0, 0, 0)), 64 * 64);
  empty.SetTargetRect(10, 10, 0, 0);  // right and bottom before left and top
  empty.SetScreenSize(-5, 100000);
  empty.Compose();
  QPainter painter(&image);
  empty.Render(painter);
}

TEST(ScreenSurfacesTest, PresentHandsEachFrameToTheSinkOrDropsIt) {
  const Settings settings;
  CLyricScreen screen(settings);
  testing::KeepFrame sink;
  CScreenSurfaces surfaces(screen);
  EXPECT_EQ(surfaces.Create(QSize(0, 0)), kFail);
  EXPECT_EQ(surfaces.ErrorText(), "GetSurfaceDesc() failed to get surface width & height");
  surfaces.Present();
  EXPECT_EQ(surfaces.framesDropped(), 1);

  screen.SetScreenSize(320, 240);
  ASSERT_EQ(surfaces.Create(QSize(320, 240)), kOk);
  surfaces.Present();
  EXPECT_EQ(surfaces.framesDropped(), 2);
  surfaces.SetSink(&sink);
  surfaces.Present();
  EXPECT_EQ(surfaces.framesPresented(), 1);
  EXPECT_EQ(sink.last.size(), QSize(320, 240));
  sink.works = false;
  surfaces.Present();
  EXPECT_EQ(surfaces.framesDropped(), 3);
  surfaces.Release();
  surfaces.Present();
  EXPECT_EQ(sink.frames, 2);
}

}  // namespace
}  // namespace lyrovox

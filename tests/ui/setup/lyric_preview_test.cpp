// The Display page's sample of the lyric look, read back pixel by pixel: each sample's text in
// its singer colour, the light outline around it and the black shadow 3 px below and right.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QImage>
#include <QRect>
#include <algorithm>
#include <climits>

#include "controller/fakes.h"
#include "setup_rig.h"
#include "ui/setup/color_swatch.h"
#include "ui/setup/display_setup.h"
#include "ui/setup/lyric_preview.h"
#include "ui/setup/setup_sheet.h"

namespace lyrovox {
namespace {

// The colours of the look, worked out from the stored 0x00BBGGRR values by hand.
const QRgb kGreyFill = qRgb(192, 192, 192);
const QRgb kOutline = qRgb(238, 238, 238);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kMale = qRgb(0, 0, 238);      // 0xEE0000
const QRgb kFemale = qRgb(255, 30, 30);  // 0x1E1EFF
const QRgb kDuet = qRgb(255, 50, 255);   // 0xFF32FF

struct Sample {
  int top;  // the text cell's top, 24 px high
  QRgb color;
};
const Sample kSamples[3] = {{4, kMale}, {42, kFemale}, {82, kDuet}};

// The rows of a sample: from its cell's top to the next cell's.
QRect Band(int i) {
  const int bottom = i < 2 ? kSamples[i + 1].top : LyricPreview::kHeight;
  return QRect(0, kSamples[i].top, LyricPreview::kWidth, bottom - kSamples[i].top);
}

// The bounds of the pixels that pass a test within an area; empty when none does.
template <class Test>
QRect Extent(const QImage& image, const QRect& area, Test test) {
  int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      if (!test(image.pixel(x, y))) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

QRect Extent(const QImage& image, const QRect& area, QRgb color) {
  return Extent(image, area, [color](QRgb p) { return p == color; });
}

// Edges are smoothed, so a copy of the text covers its edge pixels only in part. These say whether
// at least half of a pixel is the outline's light grey, or the shadow's black, over the grey fill.
bool MostlyOutline(QRgb p) {
  return qRed(p) == qGreen(p) && qGreen(p) == qBlue(p) && qRed(p) >= (192 + 238 + 1) / 2;
}
bool MostlyShadow(QRgb p) {
  return qRed(p) <= 96 && qGreen(p) <= 96 && qBlue(p) <= 96;
}

int CountDark(const QImage& image) {
  int dark = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x)
      dark += MostlyShadow(image.pixel(x, y)) ? 1 : 0;
  }
  return dark;
}

class LyricPreviewTest : public ::testing::Test {
 protected:
  LyricPreviewTest() {
    SetupValues v;
    v.fontName = "Liberation Sans";
    sheet.SetValues(v);
    sheet.show();
  }
  QImage Grab() const {
    return sheet.display().preview()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  }

  testing::ScriptedDialogs dialogs;
  testing::FakeMessages messages;
  CSetupSheet sheet{dialogs, messages};
};

TEST_F(LyricPreviewTest, EachSampleIsItsColourInsideTheOutlineOnGrey) {
  const QImage image = Grab();
  ASSERT_EQ(image.size(), QSize(284, 114));
  EXPECT_EQ(image.pixel(0, 0), kGreyFill);
  EXPECT_EQ(image.pixel(283, 113), kGreyFill);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const QRect text = Extent(image, Band(i), kSamples[i].color);
    ASSERT_FALSE(text.isEmpty());
    // The text sits in its 24 px cell, starting 10 px into the area.
    EXPECT_GE(text.top(), kSamples[i].top);
    EXPECT_LT(text.bottom(), kSamples[i].top + 24);
    EXPECT_GE(text.left(), 10);
    EXPECT_LE(text.left(), 14);

    // Across the middle of the sample, the outline comes before the first pixel of its colour.
    const int middle = text.center().y();
    bool outlined = false;
    int x = 0;
    for (; x < image.width() && image.pixel(x, middle) != kSamples[i].color; ++x) {
      outlined |= MostlyOutline(image.pixel(x, middle));
    }
    EXPECT_LT(x, image.width());
    EXPECT_TRUE(outlined);
  }
}

TEST_F(LyricPreviewTest, TheShadowIsBlackThreePixelsBelowAndRightAndGoesWithTheCheckBox) {
  ASSERT_TRUE(sheet.display().shadowBox()->isChecked());
  const QImage shadowed = Grab();
  sheet.display().shadowBox()->click();
  EXPECT_FALSE(sheet.display().shadow);
  const QImage plain = Grab();

  // No black in any of the three samples without the shadow.
  EXPECT_EQ(CountDark(plain), 0);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    // The shadow is the outlined text moved 3 px right and down: past the outline's right and
    // bottom edges it shows by exactly that much.
    const QRect outline = Extent(plain, Band(i), MostlyOutline);
    const QRect shadow = Extent(shadowed, Band(i), MostlyShadow);
    ASSERT_FALSE(outline.isEmpty());
    ASSERT_FALSE(shadow.isEmpty());
    EXPECT_EQ(shadow.right(), outline.right() + 3);
    EXPECT_EQ(shadow.bottom(), outline.bottom() + 3);
    EXPECT_FALSE(Extent(shadowed, Band(i), kBlack).isEmpty());
    // The text itself does not move.
    EXPECT_EQ(Extent(shadowed, Band(i), kSamples[i].color),
              Extent(plain, Band(i), kSamples[i].color));
  }

  sheet.display().shadowBox()->click();
  EXPECT_EQ(Grab(), shadowed);
}

TEST_F(LyricPreviewTest, AChosenColourRedrawsItsSample) {
  dialogs.colors = {0x00FF00};
  sheet.display().colorButton(1)->click();
  const QImage image = Grab();
  EXPECT_TRUE(Extent(image, Band(1), kFemale).isEmpty());
  EXPECT_FALSE(Extent(image, Band(1), qRgb(0, 255, 0)).isEmpty());
  EXPECT_FALSE(Extent(image, Band(0), kMale).isEmpty());
}

}  // namespace
}  // namespace lyrovox

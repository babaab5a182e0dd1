#include <gtest/gtest.h>

#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <vector>

#include "skin/skin_catalogue.h"
#include "ui/panel/panel_geometry.h"
#include "ui/panel/skin_buttons.h"
#include "ui/panel/skin_drawing.h"

namespace lyrovox {
namespace {

QImage Resource(int id, bool twice = false) {
  return QImage(QString::fromStdString(SkinResourcePath(id, twice)))
      .convertToFormat(QImage::Format_ARGB32);
}

QImage Pixels(const QPixmap& pixmap) {
  return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

QPixmap Solid(QColor colour, QSize size = QSize(10, 10)) {
  QPixmap pixmap(size);
  pixmap.fill(colour);
  return pixmap;
}

// The bitmaps the windows draw, with the sizes their layouts are made for.
struct Expected {
  int id;
  int width;
  int height;
};
const Expected kSizes[] = {
    {133, 416, 181}, {134, 416, 181}, {163, 416, 13}, {165, 1, 7},    {162, 12, 13},
    {174, 62, 12},   {175, 12, 12},   {178, 114, 11}, {179, 20, 11},  {176, 20, 11},
    {177, 20, 11},   {180, 20, 11},   {2, 20, 11},    {170, 20, 22},  {141, 1, 22},
    {146, 41, 22},   {150, 12, 12},   {147, 15, 22},  {151, 1, 36},   {171, 50, 14},
    {135, 83, 33},   {136, 83, 33},   {186, 415, 15}, {187, 415, 15}, {159, 578, 294},
};

TEST(Skin, EveryBitmapIsBuiltInAtItsSizeAndAtTwiceIt) {
  ASSERT_EQ(std::size(kSizes), kSkinBitmaps.size());
  for (const Expected& e : kSizes) {
    SCOPED_TRACE(e.id);
    ASSERT_NE(FindSkinBitmap(e.id), nullptr);
    EXPECT_EQ(Resource(e.id).size(), QSize(e.width, e.height));
    EXPECT_EQ(Resource(e.id, true).size(), QSize(2 * e.width, 2 * e.height));
  }
  EXPECT_EQ(SkinResourcePath(159, true), ":/skin/159@2x.png");
}

TEST(Skin, ResourceBitmapsLoadForTheScreensDensityAndMissingOnesLeaveNothing) {
  CGdiPlusBitmapResource plain;
  ASSERT_TRUE(plain.Load(133, 1.0));
  EXPECT_EQ(plain.size(), QSize(416, 181));
  EXPECT_EQ(plain.pixmap().size(), QSize(416, 181));

  CGdiPlusBitmapResource dense;
  ASSERT_TRUE(dense.Load(133, 2.0));
  EXPECT_EQ(dense.size(), QSize(416, 181));
  EXPECT_EQ(dense.pixmap().size(), QSize(832, 362));
  EXPECT_EQ(dense.pixmap().devicePixelRatio(), 2.0);

  EXPECT_FALSE(dense.Load(4242));
  EXPECT_TRUE(dense.IsEmpty());
  EXPECT_TRUE(CGdiPlusBitmapResource(4242).IsEmpty());
}

TEST(CutBitmap, GivesTheRectanglesSizeAndPixelsAtEitherDensity) {
  const QPixmap source = CGdiPlusBitmapResource(135, 1.0).pixmap();
  const QPixmap minus = CutBitmap(source, 46, 0, 83, 33);
  EXPECT_EQ(minus.size(), QSize(37, 33));
  const QImage from = Pixels(source);
  const QImage cut = Pixels(minus);
  for (QPoint p : {QPoint(0, 0), QPoint(18, 16), QPoint(36, 32)}) {
    EXPECT_EQ(cut.pixel(p), from.pixel(p + QPoint(46, 0))) << p.x() << "," << p.y();
  }

  const QPixmap dense = CutBitmap(CGdiPlusBitmapResource(135, 2.0).pixmap(), 46, 0, 83, 33);
  EXPECT_EQ(dense.size(), QSize(74, 66));
  EXPECT_EQ(dense.deviceIndependentSize().toSize(), QSize(37, 33));

  // Beyond the source the cut stays transparent; an empty rectangle cuts nothing.
  const QImage over = Pixels(CutBitmap(Solid(Qt::red), 5, 5, 15, 15));
  EXPECT_EQ(over.size(), QSize(10, 10));
  EXPECT_EQ(over.pixel(0, 0), QColor(Qt::red).rgba());
  EXPECT_EQ(qAlpha(over.pixel(9, 9)), 0);
  EXPECT_TRUE(CutBitmap(source, 10, 10, 10, 20).isNull());
}

// Every button's normal and pressed images are its rectangle of 133 and 134, and the two images
// differ only inside the buttons and the play list toggle, so a cut holds the whole button.
TEST(PanelImages, EveryButtonIsWhollyInsideItsRectangleInBothLooks) {
  const QImage normal = Resource(133);
  const QImage pressed = Resource(134);
  std::vector<Edges> parts{kPlayListToggleRect};
  for (const PanelButton& b : kPanelButtons)
    parts.push_back(b.rect);
  const QPixmap normalPixmap = QPixmap::fromImage(normal);
  const QPixmap pressedPixmap = QPixmap::fromImage(pressed);
  for (const Edges& e : parts) {
    SCOPED_TRACE(e.left);
    const QImage up = Pixels(CutBitmap(normalPixmap, e.left, e.top, e.right, e.bottom));
    const QImage down = Pixels(CutBitmap(pressedPixmap, e.left, e.top, e.right, e.bottom));
    ASSERT_EQ(up.size(), QSize(e.width(), e.height()));
    EXPECT_EQ(up, normal.copy(e.rect()));
    EXPECT_EQ(down, pressed.copy(e.rect()));
    EXPECT_NE(up, down);
  }
  int outside = 0;
  for (int y = 0; y < normal.height(); ++y) {
    for (int x = 0; x < normal.width(); ++x) {
      if (normal.pixel(x, y) == pressed.pixel(x, y)) continue;
      bool inside = false;
      for (const Edges& e : parts)
        inside = inside || e.rect().contains(x, y);
      if (!inside) ++outside;
    }
  }
  EXPECT_EQ(outside, 0);
}

TEST(RoundedRegion, CutsTheCornersAndKeepsTheEdges) {
  const QRegion region = RoundedRegion(QSize(416, 181), 16);
  for (QPoint in : {QPoint(208, 0), QPoint(0, 90), QPoint(415, 90), QPoint(208, 180), QPoint(4, 4),
                    QPoint(411, 176)}) {
    EXPECT_TRUE(region.contains(in)) << in.x() << "," << in.y();
  }
  for (QPoint out : {QPoint(0, 0), QPoint(1, 1), QPoint(415, 0), QPoint(0, 180), QPoint(415, 180),
                     QPoint(416, 90)}) {
    EXPECT_FALSE(region.contains(out)) << out.x() << "," << out.y();
  }
  EXPECT_EQ(RoundedRegion(QSize(40, 30), 0), QRegion(0, 0, 40, 30));
  EXPECT_TRUE(RoundedRegion(QSize(0, 30), 16).isEmpty());
}

TEST(CMemDC, AllZerosDrawsOverTheWholeTargetElseOnlyTheRectangle) {
  QImage image(20, 10, QImage::Format_RGB32);
  image.fill(Qt::black);
  {
    CMemDC dc(&image, QRect(0, 0, 0, 0));
    EXPECT_EQ(dc.rect(), QRect(0, 0, 20, 10));
    dc.fillRect(image.rect(), Qt::red);
  }
  EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(19, 9), qRgb(255, 0, 0));
  {
    CMemDC dc(&image, QRect(2, 3, 4, 5));
    dc.fillRect(image.rect(), Qt::green);
  }
  EXPECT_EQ(image.pixel(2, 3), qRgb(0, 255, 0));
  EXPECT_EQ(image.pixel(5, 7), qRgb(0, 255, 0));
  EXPECT_EQ(image.pixel(6, 7), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(2, 8), qRgb(255, 0, 0));
}

TEST(COwnerDrawButton, ShowsThePressedImageOnlyWhileTheMouseButtonIsHeldOnIt) {
  COwnerDrawButton button;
  button.SetImages(Solid(Qt::red), Solid(Qt::blue));
  button.resize(button.sizeHint());
  button.show();
  QSignalSpy clicks(&button, &QAbstractButton::clicked);
  auto shown = [&] { return Pixels(button.grab()).pixel(5, 5); };
  EXPECT_EQ(shown(), QColor(Qt::red).rgba());
  QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(shown(), QColor(Qt::blue).rgba());
  QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(shown(), QColor(Qt::red).rgba());
  EXPECT_EQ(clicks.count(), 1);

  // Held but moved off the button: the normal image, and no click on release.
  QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseMove(&button, QPoint(40, 40));
  EXPECT_EQ(shown(), QColor(Qt::red).rgba());
  QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(40, 40));
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_EQ(button.focusPolicy(), Qt::NoFocus);
}

TEST(CMyButton, FillsItsFaceWithItsColourStartingBlue) {
  CMyButton swatch;
  swatch.resize(30, 12);
  EXPECT_EQ(swatch.color(), QColor(0, 0, 255));
  EXPECT_EQ(Pixels(swatch.grab()).pixel(29, 11), qRgb(0, 0, 255));
  swatch.SetColor(QColor(10, 200, 30));
  const QImage face = Pixels(swatch.grab());
  EXPECT_EQ(face.pixel(0, 0), qRgb(10, 200, 30));
  EXPECT_EQ(face.pixel(29, 11), qRgb(10, 200, 30));
}

}  // namespace
}  // namespace lyrovox

#include "media/video_dlg.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <memory>

#include "controller/frame_rig.h"
#include "ui/panel/skin_drawing.h"

namespace lyrovox {
namespace {

TEST(VideoPictureRect, KeepsTheRatioWithStripsBesideOrAboveAndBelow) {
  // Available 400 x 300: 1.33 x 300 = 399 < 400, so the picture is as high as the area.
  EXPECT_EQ(VideoPictureRect(QSize(408, 346)), QRect(0, 27, 399, 300));
  // Twice as wide: black strips left and right.
  EXPECT_EQ(VideoPictureRect(QSize(808, 346)), QRect(200, 27, 399, 300));
  // Available 400 x 400: as wide as the area, 400 / 1.33 = 300.75 high, centred.
  EXPECT_EQ(VideoPictureRect(QSize(408, 446)), QRect(4, 74, 400, 300));
  EXPECT_TRUE(VideoPictureRect(QSize(8, 46)).isEmpty());
}

TEST(VideoFrameTarget, TheAreasSizeShrunkToFitTheFrame) {
  EXPECT_EQ(VideoFrameTarget(QSize(399, 300), QSize(1280, 720)), QRect(0, 0, 399, 300));
  EXPECT_EQ(VideoFrameTarget(QSize(1920, 1080), QSize(1280, 720)), QRect(0, 0, 1280, 720));
  EXPECT_EQ(VideoFrameTarget(QSize(1920, 1200), QSize(1280, 720)), QRect(0, 0, 1152, 720));
  EXPECT_EQ(VideoFrameTarget(QSize(640, 480), QSize()), QRect(0, 0, 640, 480));
  EXPECT_TRUE(VideoFrameTarget(QSize(), QSize(1280, 720)).isEmpty());
}

class VideoWindowTest : public testing::FrameRig {
 protected:
  void SetUp() override {
    Settings s;
    s.videoLeft = 100;
    s.videoTop = 150;
    s.videoWidth = 408;
    s.videoHeight = 346;
    MakeFrame(s);
    panelWindow.setGeometry(0, 0, 416, 181);
    area = new QWidget;
    area->setAutoFillBackground(true);
    QPalette red;
    red.setColor(QPalette::Window, Qt::red);
    area->setPalette(red);
    dlg = std::make_unique<CVideoDlg>(*store);
    dlg->SetVideoArea(area);
    dlg->Attach(*frame, &screen, {&panelWindow, nullptr, nullptr});
  }

  void Send(QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, QPointF(at), QPointF(dlg->pos() + at),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(dlg.get(), &event);
  }

  QWidget panelWindow;
  QWidget* area = nullptr;  // owned by the window
  std::unique_ptr<CVideoDlg> dlg;
};

TEST_F(VideoWindowTest, StartsAtItsPlaceWithTheAreaAndTheLyricsOnThePicture) {
  EXPECT_EQ(dlg->geometry(), QRect(100, 150, 408, 346));
  EXPECT_EQ(area->parentWidget(), dlg.get());
  EXPECT_EQ(area->geometry(), QRect(0, 27, 399, 300));
  EXPECT_EQ(dlg->GetVideoRect(), QRect(0, 0, 399, 300));
  EXPECT_EQ(screen.targetRect, QRect(0, 0, 399, 300));
  EXPECT_EQ(dlg->mask(), RoundedRegion(QSize(408, 346), 16));

  dlg->show();
  dlg->resize(408, 446);
  EXPECT_EQ(area->geometry(), QRect(4, 74, 400, 300));
  dlg->resize(808, 346);
  EXPECT_EQ(area->geometry(), QRect(200, 27, 399, 300));
  EXPECT_EQ(screen.targetRect, QRect(0, 0, 399, 300));
  EXPECT_EQ(dlg->mask(), RoundedRegion(QSize(808, 346), 16));

  // The caption strip, black strips beside the picture, the picture's area.
  const QImage shown = dlg->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QImage caption = CGdiPlusBitmapResource(141, 1.0).pixmap().toImage();
  EXPECT_EQ(shown.pixel(60, 10), caption.pixel(0, 10) | 0xFF000000u);
  EXPECT_EQ(shown.pixel(100, 150), qRgb(0, 0, 0));
  EXPECT_EQ(shown.pixel(400, 150), qRgb(255, 0, 0));
  EXPECT_EQ(shown.pixel(700, 150), qRgb(0, 0, 0));
}

TEST_F(VideoWindowTest, FullScreenTwiceReturnsToTheSamePlace) {
  dlg->show();
  const QRect before = dlg->geometry();
  QTest::mouseDClick(dlg.get(), Qt::LeftButton, {}, QPoint(200, 100));
  EXPECT_TRUE(dlg->IsFullScreen());
  EXPECT_EQ(dlg->geometry(), QRect(0, 0, 1280, 720));
  EXPECT_EQ(area->geometry(), QRect(0, 0, 1280, 720));
  EXPECT_TRUE(screen.fullScreen);
  EXPECT_EQ(screen.targetRect, QRect(0, 0, 1280, 720));
  EXPECT_TRUE(dlg->mask().isEmpty());
  EXPECT_TRUE(dlg->activityFlag());
  EXPECT_EQ(dlg->savedRect(), before);

  QTest::mouseDClick(dlg.get(), Qt::LeftButton, {}, QPoint(200, 100));
  EXPECT_FALSE(dlg->IsFullScreen());
  EXPECT_EQ(dlg->geometry(), before);
  EXPECT_EQ(area->geometry(), QRect(0, 27, 399, 300));
  EXPECT_FALSE(screen.fullScreen);
  EXPECT_EQ(screen.targetRect, QRect(0, 0, 399, 300));
  EXPECT_EQ(dlg->mask(), RoundedRegion(before.size(), 16));
}

TEST_F(VideoWindowTest, FullScreenFillsTheScreenTheWindowIsOn) {
  ASSERT_EQ(QGuiApplication::screens().size(), 2);
  dlg->move(1500, 100);
  dlg->show();
  dlg->SetFullScreen(true);
  EXPECT_EQ(dlg->geometry(), QRect(1280, 0, 1920, 1080));
  // The frames are as large as the primary screen: the lyrics are laid out on the whole frame
  // and scaled up to the larger screen.
  EXPECT_EQ(dlg->GetVideoRect(), QRect(0, 0, 1280, 720));
  dlg->SetFullScreen(false);
  EXPECT_EQ(dlg->geometry(), QRect(1500, 100, 408, 346));
}

TEST_F(VideoWindowTest, SnapsToThePanelAt5PixelsAndNotAt11) {
  dlg->MoveTo(QPoint(416 + 5, 50));
  EXPECT_EQ(dlg->pos(), QPoint(415, 50));
  EXPECT_TRUE(dlg->dock().docked);
  EXPECT_EQ(dlg->dock().offset, QPoint(415, 50));
  dlg->MoveTo(QPoint(416 + 11, 50));
  EXPECT_EQ(dlg->pos(), QPoint(427, 50));
  EXPECT_FALSE(dlg->dock().docked);
  dlg->MoveTo(QPoint(30, 181 + 5));
  EXPECT_EQ(dlg->pos(), QPoint(30, 180));
  EXPECT_TRUE(dlg->dock().docked);
  dlg->MoveTo(QPoint(30, 181 - 11));
  EXPECT_EQ(dlg->pos(), QPoint(30, 170));
  EXPECT_FALSE(dlg->dock().docked);

  // Dragged from the client area.
  dlg->move(600, 300);
  Send(QEvent::MouseButtonPress, {200, 100});
  Send(QEvent::MouseMove, {200 - 600 + 420, 100 - 300 + 60});
  EXPECT_EQ(dlg->pos(), QPoint(415, 60));
  EXPECT_TRUE(dlg->dock().docked);
  Send(QEvent::MouseButtonRelease, {20, 100});
}

TEST_F(VideoWindowTest, TheBottomRightCornerResizesAndRightClickClearsTheActivity) {
  Send(QEvent::MouseButtonPress, {400, 340});
  Send(QEvent::MouseMove, {450, 380});
  Send(QEvent::MouseButtonRelease, {450, 380});
  EXPECT_EQ(dlg->geometry(), QRect(100, 150, 458, 386));
  EXPECT_TRUE(dlg->activityFlag());
  Send(QEvent::MouseButtonPress, {200, 100}, Qt::RightButton);
  EXPECT_FALSE(dlg->activityFlag());
  EXPECT_EQ(dlg->pos(), QPoint(100, 150));
}

TEST_F(VideoWindowTest, WritesItsPlaceWhenDestroyedExceptInFullScreen) {
  dlg->setGeometry(60, 70, 500, 400);
  dlg.reset();
  EXPECT_EQ(Profile("Video_Left"), "60");
  EXPECT_EQ(Profile("Video_Top"), "70");
  EXPECT_EQ(Profile("Video_Width"), "500");
  EXPECT_EQ(Profile("Video_Height"), "400");

  dlg = std::make_unique<CVideoDlg>(*store);
  dlg->show();
  dlg->move(90, 90);
  dlg->SetFullScreen(true);
  dlg.reset();
  EXPECT_EQ(Profile("Video_Left"), "60");
  EXPECT_EQ(Profile("Video_Width"), "500");
}

TEST_F(VideoWindowTest, ForwardsSongNumberKeysAndSwallowsAltF4) {
  QTest::keyClick(dlg.get(), Qt::Key_4);
  QTest::keyClick(dlg.get(), Qt::Key_2);
  EXPECT_EQ(screen.typedNumber, "000042");
  QTest::keyClick(dlg.get(), Qt::Key_Escape);
  EXPECT_EQ(screen.typedNumber, "000000");
  dlg->show();
  QTest::keyClick(dlg.get(), Qt::Key_F4, Qt::AltModifier);
  EXPECT_TRUE(dlg->isVisible());
}

TEST_F(VideoWindowTest, ThePicturePlayersEventsReachTheController) {
  frame->StartBackgroundVideo();
  frame->PlaySong(Song("clip.mpg"));
  ASSERT_EQ(frame->playerKind(), kPlayerKindVideo);
  video.events = {14, 1};
  QCoreApplication::postEvent(dlg.get(), new QEvent(static_cast<QEvent::Type>(kVideoGraphEvent)));
  QCoreApplication::processEvents();
  EXPECT_TRUE(video.events.empty());
  EXPECT_EQ(panel.seekable, 1);  // the video song ended
}

}  // namespace
}  // namespace lyrovox

#include "ui/panel/player_dlg.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFontMetrics>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <memory>

#include "controller/frame_rig.h"
#include "ui/panel/skin_buttons.h"
#include "ui/panel/skin_drawing.h"

namespace lyrovox {
namespace {

QImage Pixels(const QPixmap& pixmap) {
  return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

QImage Skin(int id) {
  return Pixels(CGdiPlusBitmapResource(id, 1.0).pixmap());
}

// --- Where presses land: each element at its edges ---

struct HitCase {
  QPoint at;
  PanelHit hit;
  int spot;
};

TEST(PanelHitTest, EveryElementAtItsEdges) {
  using H = PanelHit;
  const HitCase cases[] = {
      // The close spot counts its edges.
      {{388, 2}, H::kClose, -1},
      {{402, 16}, H::kClose, -1},
      {{387, 9}, H::kDrag, -1},
      {{403, 9}, H::kDrag, -1},
      {{395, 1}, H::kDrag, -1},
      {{395, 17}, H::kDrag, -1},
      // Everything else is strictly inside.
      {{9, 1}, H::kMenu, -1},
      {{27, 21}, H::kMenu, -1},
      {{8, 10}, H::kDrag, -1},
      {{28, 10}, H::kDrag, -1},
      {{15, 0}, H::kDrag, -1},
      {{15, 22}, H::kDrag, -1},
      {{370, 21}, H::kPlayListToggle, -1},
      {{392, 43}, H::kPlayListToggle, -1},
      {{369, 30}, H::kDrag, -1},
      {{393, 30}, H::kDrag, -1},
      {{15, 114}, H::kSeekTrack, -1},
      {{403, 125}, H::kSeekTrack, -1},
      {{14, 120}, H::kDrag, -1},
      {{404, 120}, H::kDrag, -1},
      {{200, 113}, H::kDrag, -1},
      {{200, 126}, H::kDrag, -1},
      {{261, 145}, H::kVolumeTrack, -1},
      {{321, 155}, H::kVolumeTrack, -1},
      {{260, 150}, H::kDrag, -1},
      {{322, 150}, H::kDrag, -1},
      {{297, 97}, H::kChannelSpot, 0},
      {{315, 106}, H::kChannelSpot, 0},
      {{316, 100}, H::kDrag, -1},
      {{319, 100}, H::kChannelSpot, 1},
      {{341, 100}, H::kChannelSpot, 2},
      {{359, 106}, H::kChannelSpot, 2},
      {{360, 100}, H::kDrag, -1},
      {{300, 96}, H::kDrag, -1},
      {{300, 107}, H::kDrag, -1},
      {{369, 97}, H::kTrackSpot, 0},
      {{387, 106}, H::kTrackSpot, 0},
      {{388, 100}, H::kDrag, -1},
      {{391, 97}, H::kTrackSpot, 1},
      {{409, 106}, H::kTrackSpot, 1},
      {{410, 100}, H::kDrag, -1},
  };
  for (const HitCase& c : cases) {
    const PanelHitResult r = HitTestPanel(c.at);
    EXPECT_EQ(r.hit, c.hit) << c.at.x() << "," << c.at.y();
    EXPECT_EQ(r.spot, c.spot) << c.at.x() << "," << c.at.y();
  }
}

// --- The sliders' arithmetic ---

TEST(PanelArithmetic, VolumeKnobAndPercent) {
  const std::pair<int, int> percentToKnob[] = {{100, 50}, {0, 0},   {50, 25}, {1, 0},
                                               {57, 28},  {99, 49}, {-5, 0},  {120, 50}};
  for (auto [percent, knob] : percentToKnob)
    EXPECT_EQ(VolumeKnobForPercent(percent), knob) << percent;
  // 29 / 50 in single precision is 0.57999998: x 100 falls just short of 58; 1 / 50 likewise.
  const std::pair<int, int> knobToPercent[] = {{0, 0}, {25, 50}, {29, 57}, {50, 100}, {1, 1}};
  for (auto [knob, percent] : knobToPercent)
    EXPECT_EQ(VolumePercentForKnob(knob), percent) << knob;
  const std::pair<int, int> xToKnob[] = {{100, 0},  {259, 0},  {260, 0}, {285, 25},
                                         {310, 50}, {311, 50}, {500, 50}};
  for (auto [x, knob] : xToKnob)
    EXPECT_EQ(VolumeKnobForX(x), knob) << x;
}

TEST(PanelArithmetic, SeekMappingAtBothEnds) {
  const std::pair<int, int> xToKnob[] = {{15, 0},    {20, 0},    {21, 1},
                                         {209, 189}, {398, 378}, {403, 378}};
  for (auto [x, knob] : xToKnob)
    EXPECT_EQ(SeekKnobForX(x), knob) << x;
  EXPECT_EQ(SeekMsForKnob(0, 240000), 0);
  EXPECT_EQ(SeekMsForKnob(378, 240000), 240000);
  EXPECT_EQ(SeekMsForKnob(189, 240001), 120000);  // 120000.5, cut
  EXPECT_EQ(SeekKnobForPosition(0, 240000), 0);
  EXPECT_EQ(SeekKnobForPosition(120000, 240000), 189);
  EXPECT_EQ(SeekKnobForPosition(240000, 240000), 378);
  EXPECT_EQ(SeekKnobForPosition(480000, 240000), 378);
  EXPECT_EQ(SeekKnobForPosition(1000, 0), -1);
}

TEST(PanelArithmetic, TimeTextDropsTheHour) {
  EXPECT_EQ(PanelTimeText(3723000, 4000000), "02:03 / 06:40");
  EXPECT_EQ(PanelTimeText(0, 59999), "00:00 / 00:59");
  EXPECT_EQ(PanelTimeText(61000, 3600000), "01:01 / 00:00");
}

// A title 400 pixels wide overflows the band by 20: the text moves left one pixel a tick, rests
// with its end at the band's right side, turns, moves back and rests at the left side.
TEST(Marquee, TurnsAtBothEnds) {
  Marquee m;
  EXPECT_EQ(m.Step(400), 0);  // the first step still draws at the old offset
  EXPECT_EQ(m.offset, -1);
  for (int i = 0; i < 29; ++i)
    EXPECT_EQ(m.Step(400), -2);
  EXPECT_EQ(m.offset, -30);
  EXPECT_EQ(m.direction, 0);
  // The left turn.
  EXPECT_EQ(m.Step(400), -2);
  EXPECT_EQ(m.direction, 1);
  EXPECT_EQ(m.offset, -20);
  for (int i = 0; i < 18; ++i)
    EXPECT_EQ(m.Step(400), -2);
  EXPECT_EQ(m.offset, -2);
  EXPECT_EQ(m.Step(400), -2);  // offset -1: drawn at the previous offset
  EXPECT_EQ(m.Step(400), -1);
  for (int i = 0; i < 38; ++i)
    m.Step(400);
  EXPECT_EQ(m.offset, 38);
  EXPECT_EQ(m.direction, 1);
  // The right turn.
  EXPECT_EQ(m.Step(400), 18);
  EXPECT_EQ(m.direction, 0);
  EXPECT_EQ(m.offset, 28);
}

// --- The panel on a real controller ---

class PanelTest : public testing::FrameRig {
 protected:
  void SetUp() override {
    Settings s;
    s.playerLeft = 100;
    s.playerTop = 50;
    MakeFrame(s);
    dlg = std::make_unique<CPlayerDlg>(*store);
    CMainFrame::Windows windows = frame->windows();
    windows.panel = dlg.get();
    frame->Attach(windows);
    peers.messages = &messages;
    peers.reservedList = &reservedWindow;
    peers.playList = &playListWindow;
    peers.playListDock = &playDock;
    peers.videoWindow = &videoWindow;
    peers.videoDock = &videoDock;
    peers.showAbout = [this](QWidget* owner) { aboutOwner = owner; };
    peers.setAlwaysOnTop = [this](bool on) { onTop.push_back(on); };
    peers.openUrl = [this](const QString& url) { urls << url; };
    dlg->Attach(*frame, peers);
  }

  void Send(QEvent::Type type, QPoint at, Qt::MouseButtons held = Qt::LeftButton) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), QPointF(dlg->pos() + at), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(dlg.get(), &event);
  }
  void Click(QPoint at) {
    Send(QEvent::MouseButtonPress, at);
    Send(QEvent::MouseButtonRelease, at, Qt::NoButton);
  }
  void PlayVideoSong() {
    frame->StartBackgroundVideo();
    frame->PlaySong(Song("clip.mpg"));
    ASSERT_EQ(frame->playerKind(), kPlayerKindVideo);
  }
  // What the panel shows in a rectangle.
  QImage Shown(const Edges& e) { return Pixels(dlg->grab(e.rect())); }

  QWidget reservedWindow;
  QWidget playListWindow;
  QWidget videoWindow;
  DockState playDock;
  DockState videoDock;
  CPlayerDlg::Peers peers;
  QWidget* aboutOwner = nullptr;
  std::vector<bool> onTop;
  QStringList urls;
  std::unique_ptr<CPlayerDlg> dlg;
};

TEST_F(PanelTest, StartsAtItsPlaceWithTheNoSongTitleCentred) {
  EXPECT_EQ(dlg->geometry(), QRect(100, 50, 416, 181));
  EXPECT_EQ(dlg->songTitle(), "Please select a song");
  EXPECT_EQ(dlg->statusText(), "Volume : 100%");
  EXPECT_EQ(dlg->volumeKnob(), 50);
  EXPECT_EQ(dlg->bandText(), "Please select a song");
  EXPECT_EQ(dlg->bandX(), (418 - dlg->titleWidth()) / 2);
  EXPECT_TRUE(dlg->timeText().isEmpty());
  EXPECT_EQ(dlg->shownSeekKnob(), -1);
  EXPECT_EQ(dlg->playListShow(), kPlayListShown);
  EXPECT_EQ(dlg->mask(), RoundedRegion(QSize(416, 181), 16));
  EXPECT_TRUE(dlg->windowFlags() & Qt::FramelessWindowHint);
}

TEST_F(PanelTest, AStatusTextShowsForOneTickThenTheTitleReturns) {
  dlg->SetSongTitle("Hello");
  dlg->ShowRate(1.05);
  EXPECT_EQ(dlg->statusText(), "Speed: 1.05X");
  EXPECT_EQ(dlg->statusCounter(), 2);
  dlg->Tick();
  EXPECT_EQ(dlg->bandText(), "Speed: 1.05X");
  EXPECT_EQ(dlg->bandX(),
            208 - QFontMetrics(dlg->titleFont()).horizontalAdvance("Speed: 1.05X") / 2);
  EXPECT_EQ(dlg->statusCounter(), 0);
  dlg->Tick();
  EXPECT_EQ(dlg->bandText(), "Hello");

  dlg->SetVolumeDisplay(57);
  EXPECT_EQ(dlg->statusText(), "Volume: 57%");
  EXPECT_EQ(dlg->volumeKnob(), 28);
  dlg->Tick();
  EXPECT_EQ(dlg->bandText(), "Volume: 57%");
  dlg->Tick();
  EXPECT_EQ(dlg->bandText(), "Hello");
  dlg->ShowRate(0.5);
  EXPECT_EQ(dlg->statusText(), "Speed: 0.50X");
  // The singer's key, shown the same way.
  dlg->Tick();
  dlg->ShowStatusText("Key: +2");
  dlg->Tick();
  EXPECT_EQ(dlg->bandText(), "Key: +2");
  dlg->Tick();
  EXPECT_EQ(dlg->bandText(), "Hello");

  // A notice stays over the title for its time: centred when short, scrolled when long.
  dlg->ShowNotice("Can't play X: damaged", 600);
  for (int tick = 0; tick < 2; ++tick) {
    dlg->Tick();
    EXPECT_EQ(dlg->bandText(), "Can't play X: damaged");
  }
  EXPECT_EQ(dlg->bandX(),
            (418 - QFontMetrics(dlg->titleFont()).horizontalAdvance("Can't play X: damaged")) / 2);
  QTest::qWait(700);
  dlg->Tick();
  EXPECT_EQ(dlg->bandText(), "Hello");
  const QString longNotice = "Can't play " + QString(40, 'M') + ": file not found";
  dlg->ShowNotice(longNotice, 1000);
  dlg->Tick();
  const int first = dlg->bandX();
  dlg->Tick();
  EXPECT_EQ(dlg->bandText(), longNotice);
  EXPECT_LT(dlg->bandX(), first + 1);  // it moves left, as a long title does
}

// A title of exactly `width` pixels in the title font: wide letters, then two kinds of letter to
// make up the rest.
QString TitleOfWidth(const QFont& font, int width) {
  const QFontMetrics metrics(font);
  const QString letters = QStringLiteral("Mabcdefghijklmnopqrstuvwxyz .,-");
  QString base;
  while (metrics.horizontalAdvance(base + 'M') < width - 40)
    base += 'M';
  for (QChar first : letters) {
    for (QChar second : letters) {
      for (int i = 0; i < 12; ++i) {
        for (int j = 0; j < 12; ++j) {
          const QString text = base + QString(i, first) + QString(j, second);
          if (metrics.horizontalAdvance(text) == width) return text;
        }
      }
    }
  }
  return QString();
}

TEST_F(PanelTest, ATitleOf380PixelsStaysStillAnd381Scrolls) {
  const QString still = TitleOfWidth(dlg->titleFont(), 380);
  const QString moving = TitleOfWidth(dlg->titleFont(), 381);
  ASSERT_FALSE(still.isEmpty());
  ASSERT_FALSE(moving.isEmpty());
  dlg->SetSongTitle(still);
  EXPECT_EQ(dlg->titleWidth(), 380);
  for (int i = 0; i < 5; ++i) {
    dlg->Tick();
    EXPECT_EQ(dlg->bandX(), 19);
  }
  EXPECT_EQ(dlg->marquee().offset, 0);
  dlg->SetSongTitle(moving);
  dlg->Tick();
  dlg->Tick();
  EXPECT_EQ(dlg->marquee().offset, -2);
  EXPECT_EQ(dlg->bandX(), 17);  // one pixel over: it rests with its end at the right side
}

TEST_F(PanelTest, TimeAndSeekTrackShowOnlyWithADuration) {
  dlg->SetSeekable(true);
  dlg->SetPosition(3723000);
  dlg->Tick();
  EXPECT_TRUE(dlg->timeText().isEmpty());
  EXPECT_EQ(dlg->shownSeekKnob(), -1);

  dlg->SetDuration(4000000);
  dlg->Tick();
  EXPECT_EQ(dlg->timeText(), "02:03 / 06:40");
  EXPECT_EQ(dlg->timeColour(), QColor(178, 209, 255));
  EXPECT_EQ(dlg->shownSeekKnob(), 351);  // 3723 / 4000 x 378 = 351.8

  dlg->SetSeekable(false);
  EXPECT_EQ(dlg->shownSeekKnob(), -1);
  EXPECT_EQ(dlg->timeText(), "02:03 / 06:40");
  dlg->ResetSongDisplay();
  dlg->Tick();
  EXPECT_TRUE(dlg->timeText().isEmpty());
  EXPECT_EQ(dlg->bandText(), "Please select a song");
}

TEST_F(PanelTest, SeekingDragsTheKnobAndSeeksOnReleaseOnlyWhileSeekable) {
  PlayVideoSong();
  EXPECT_TRUE(dlg->seekable());
  dlg->SetDuration(240000);
  Send(QEvent::MouseButtonPress, {15, 120});
  EXPECT_TRUE(dlg->seekDragging());
  EXPECT_EQ(dlg->seekKnob(), 0);
  EXPECT_EQ(dlg->timeText(), "00:00 / 04:00");
  EXPECT_EQ(dlg->timeColour(), QColor(232, 94, 242));
  Send(QEvent::MouseMove, {403, 120});
  EXPECT_EQ(dlg->seekKnob(), 378);
  EXPECT_EQ(dlg->shownSeekKnob(), 378);
  EXPECT_EQ(dlg->timeText(), "04:00 / 04:00");
  Send(QEvent::MouseButtonRelease, {403, 120}, Qt::NoButton);
  EXPECT_FALSE(dlg->seekDragging());
  EXPECT_EQ(video.seeks, std::vector<int64_t>({int64_t{240000} * 10000}));
  EXPECT_EQ(dlg->timeColour(), QColor(178, 209, 255));

  dlg->SetSeekable(false);
  Click({200, 120});
  EXPECT_FALSE(dlg->seekDragging());
  EXPECT_EQ(video.seeks.size(), 1u);
  EXPECT_EQ(dlg->pos(), QPoint(100, 50));  // not dragged either
}

TEST_F(PanelTest, TheVolumeFollowsTheMouseWhileDragged) {
  Send(QEvent::MouseButtonPress, {289, 150});
  EXPECT_TRUE(dlg->volumeDragging());
  EXPECT_EQ(dlg->volumeKnob(), 29);
  EXPECT_EQ(frame->volume(), 57);
  EXPECT_EQ(dlg->bandText(), "Volume: 57%");  // at once, not a tick later
  Send(QEvent::MouseMove, {250, 150});
  EXPECT_EQ(frame->volume(), 0);
  Send(QEvent::MouseMove, {400, 150});
  EXPECT_EQ(frame->volume(), 100);
  Send(QEvent::MouseButtonRelease, {285, 150}, Qt::NoButton);
  EXPECT_FALSE(dlg->volumeDragging());
  EXPECT_EQ(dlg->volumeKnob(), 25);
  EXPECT_EQ(frame->volume(), 50);
}

TEST_F(PanelTest, SpotsSwitchTheChannelAndTheTrackAndLightTheirImage) {
  PlayVideoSong();
  Click({320, 100});
  EXPECT_EQ(frame->settings().audioChannel, 1);
  EXPECT_EQ(dlg->channel(), 1);
  EXPECT_EQ(Shown(kChannelSpots[1]), Skin(176));
  EXPECT_EQ(Shown(kChannelSpots[0]), Skin(178).copy(0, 0, 20, 11));
  Click({392, 100});
  EXPECT_EQ(video.requestedTrack, 1);
  EXPECT_EQ(dlg->track(), 1);
  EXPECT_EQ(Shown(kTrackSpots[1]), Skin(2));

  // Reverse stereo, set in the setup sheet, lights no channel spot.
  dlg->ShowChannel(3);
  EXPECT_EQ(Pixels(dlg->grab(QRect(296, 96, 64, 11))), Skin(178).copy(0, 0, 64, 11));
}

TEST_F(PanelTest, EveryButtonShowsItsPressedImageOnlyWhileHeldAndRunsItsCommand) {
  const QPixmap normal = CGdiPlusBitmapResource(133).pixmap();
  const QPixmap pressed = CGdiPlusBitmapResource(134).pixmap();
  for (const PanelButton& spec : kPanelButtons) {
    SCOPED_TRACE(spec.name);
    COwnerDrawButton* button = dlg->button(spec.id);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->geometry(), spec.rect.rect());
    const Edges& e = spec.rect;
    const QImage up = Pixels(CutBitmap(normal, e.left, e.top, e.right, e.bottom));
    const QImage down = Pixels(CutBitmap(pressed, e.left, e.top, e.right, e.bottom));
    const QPoint middle = button->rect().center();
    EXPECT_EQ(Pixels(button->grab()), up);
    QTest::mousePress(button, Qt::LeftButton, {}, middle);
    EXPECT_EQ(Pixels(button->grab()), down);
    QTest::mouseRelease(button, Qt::LeftButton, {}, middle);
    EXPECT_EQ(Pixels(button->grab()), up);
  }
  EXPECT_EQ(frame->playerKind(), kPlayerKindAudio);  // Stop
  EXPECT_EQ(dialogs.requests.size(), 1u);            // Load
  EXPECT_EQ(dialogs.requests[0].owner, dlg.get());
  EXPECT_EQ(sheet.shown.size(), 1u);  // Setup
}

TEST_F(PanelTest, TheMenuHoldsItsItemsInOrderAndRunsThem) {
  std::unique_ptr<QMenu> menu = dlg->MakeMenu();
  QStringList texts;
  for (QAction* action : menu->actions())
    texts << (action->isSeparator() ? QString("-") : action->text());
  // One About item, no placeholder web pages.
  EXPECT_EQ(texts, QStringList({"About Lyrovox...", "-", "Help", "Setup...", "Always On Top", "-",
                                "Exit"}));
  QAction* onTopItem = menu->actions()[4];
  EXPECT_TRUE(onTopItem->isCheckable());
  EXPECT_FALSE(onTopItem->isChecked());
  onTopItem->trigger();
  EXPECT_TRUE(dlg->alwaysOnTop());
  EXPECT_EQ(dlg->MakeMenu()->actions()[4]->isChecked(), true);
  dlg->OnCommand(kCommandAlwaysOnTop);
  EXPECT_EQ(onTop, std::vector<bool>({true, false}));

  menu->actions()[0]->trigger();
  EXPECT_EQ(aboutOwner, dlg.get());
  menu->actions()[2]->trigger();
  ASSERT_EQ(urls.size(), 1);
  // Help is the user's guide (here the build's), readable without a network.
  ASSERT_TRUE(urls[0].startsWith("file:///") && urls[0].endsWith("/guide.html"))
      << urls[0].toStdString();
  QFile guide{QUrl(urls[0]).toLocalFile()};
  ASSERT_TRUE(guide.open(QIODevice::ReadOnly));
  EXPECT_TRUE(guide.readAll().contains("<h1>Lyrovox user's guide</h1>"));
  menu->actions()[3]->trigger();
  EXPECT_EQ(sheet.shown.size(), 1u);
  EXPECT_FALSE(dlg->OnCommand(4242));
}

TEST_F(PanelTest, QuittingAsksOnlyWhileASongPlays) {
  QSignalSpy quits(frame.get(), &CMainFrame::QuitRequested);
  screen.playState = kPlayStateSinging;
  messages.answer = false;
  Click({395, 9});  // the close spot
  EXPECT_EQ(messages.asked, QStringList({"Song is playing.  Are you sure you want to quit?"}));
  EXPECT_EQ(quits.count(), 0);
  messages.answer = true;
  dlg->OnCommand(kCommandExit);
  EXPECT_EQ(quits.count(), 1);

  screen.playState = kPlayStateIdle;
  messages.asked.clear();
  Click({388, 2});
  EXPECT_TRUE(messages.asked.isEmpty());
  EXPECT_EQ(quits.count(), 2);
}

TEST_F(PanelTest, TheToggleShowsAndHidesThePlayListAndFollowsItsOwnHiding) {
  playListWindow.show();
  const QImage lit = Pixels(CutBitmap(CGdiPlusBitmapResource(134).pixmap(), 369, 20, 393, 44));
  const QImage unlit = Pixels(CutBitmap(CGdiPlusBitmapResource(133).pixmap(), 369, 20, 393, 44));
  EXPECT_EQ(Shown(kPlayListToggleRect), lit);
  Click({380, 30});
  EXPECT_FALSE(playListWindow.isVisible());
  EXPECT_EQ(dlg->playListShow(), kPlayListHidden);
  EXPECT_EQ(Shown(kPlayListToggleRect), unlit);
  Click({380, 30});
  EXPECT_TRUE(playListWindow.isVisible());
  EXPECT_EQ(dlg->playListShow(), kPlayListShown);

  // The play list hides itself (its close mark): the toggle goes out.
  playListWindow.hide();
  QCoreApplication::processEvents();
  EXPECT_EQ(dlg->playListShow(), kPlayListHidden);
  // The setting is the toggle: the store has it at once, the profile at the end.
  EXPECT_EQ(store->values().playListShow, kPlayListHidden);
}

TEST_F(PanelTest, DraggingCarriesTheReservedListAndTheDockedWindows) {
  playDock = {true, QPoint(415, 0)};
  videoDock = {false, QPoint(0, 180)};
  videoWindow.move(700, 600);
  Send(QEvent::MouseButtonPress, {200, 40});
  Send(QEvent::MouseMove, {230, 60});
  EXPECT_EQ(dlg->pos(), QPoint(130, 70));
  EXPECT_EQ(reservedWindow.pos(), QPoint(130, 250));
  EXPECT_EQ(playListWindow.pos(), QPoint(545, 70));
  EXPECT_EQ(videoWindow.pos(), QPoint(700, 600));
  videoDock.docked = true;
  Send(QEvent::MouseMove, {210, 40});
  EXPECT_EQ(videoWindow.pos(), dlg->pos() + QPoint(0, 180));
  Send(QEvent::MouseButtonRelease, {210, 40}, Qt::NoButton);
  const QPoint released = dlg->pos();
  Send(QEvent::MouseMove, {300, 40}, Qt::NoButton);
  EXPECT_EQ(dlg->pos(), released);
}

TEST_F(PanelTest, SongNumberKeysGoToTheController) {
  QTest::keyClick(dlg.get(), Qt::Key_1);
  QTest::keyClick(dlg.get(), Qt::Key_2);
  EXPECT_EQ(screen.typedNumber, "000012");
  QTest::keyClick(dlg.get(), Qt::Key_Backspace);
  EXPECT_EQ(screen.typedNumber, "000001");
  QTest::keyClick(dlg.get(), Qt::Key_Escape);
  EXPECT_EQ(screen.typedNumber, "000000");
  const int clears = screen.typedNumberClears;
  QTest::keyClick(dlg.get(), Qt::Key_Return);
  EXPECT_EQ(screen.typedNumberClears, clears + 1);
  // Shortcuts are not typing.
  QTest::keyClick(dlg.get(), Qt::Key_3, Qt::ControlModifier);
  EXPECT_EQ(screen.typedNumber, "000000");
}

TEST_F(PanelTest, WritesItsPlaceAndThePlayListStateWhenDestroyed) {
  dlg->move(321, 123);
  dlg->SetPlayListShow(0);
  dlg.reset();
  EXPECT_EQ(Profile("Player_Left"), "321");
  EXPECT_EQ(Profile("Player_Top"), "123");
  EXPECT_EQ(Profile("PlayList_Show"), "0");
}

// Collects the regions the panel repaints.
class PaintRecorder : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
    return false;
  }
  QRegion painted;
};

TEST_F(PanelTest, EachTickRepaintsOnlyWhatChanged) {
  dlg->SetSeekable(true);
  dlg->SetDuration(240000);
  dlg->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
  dlg->Tick();
  QCoreApplication::processEvents();
  PaintRecorder recorder;
  dlg->installEventFilter(&recorder);

  // Nothing changed: nothing repainted.
  dlg->Tick();
  QCoreApplication::processEvents();
  EXPECT_TRUE(recorder.painted.isEmpty());

  // A second on: the time and the seek knob only.
  dlg->SetPosition(1000);
  dlg->Tick();
  QCoreApplication::processEvents();
  EXPECT_FALSE(recorder.painted.isEmpty());
  const QRegion timeAndSeek = QRegion(0, 88, 416, 38);
  EXPECT_TRUE((recorder.painted - timeAndSeek).isEmpty());
  EXPECT_LT(recorder.painted.boundingRect().height(), 40);

  // A long title scrolling: the band only.
  dlg->SetSongTitle(QString(60, 'W'));
  dlg->Tick();
  QCoreApplication::processEvents();
  recorder.painted = QRegion();
  dlg->Tick();
  QCoreApplication::processEvents();
  EXPECT_EQ(recorder.painted, QRegion(kTitleBandRect.rect()));
}

}  // namespace
}  // namespace lyrovox

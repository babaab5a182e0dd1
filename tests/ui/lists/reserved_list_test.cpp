// The reserved list window: switching the mode with its question, its two heights, and moving
// and deleting queued songs, on a real main frame.

#include <gtest/gtest.h>

#include <QMouseEvent>

#include "list_rig.h"
#include "ui/lists/list_commands.h"

namespace lyrovox::testing {
namespace {

class ReservedListTest : public ListRig {
 protected:
  void DoubleClickHeader(QPoint at) {
    QMouseEvent click(QEvent::MouseButtonDblClick, at, reserved->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(reserved.get(), &click);
  }
  void Queue(std::initializer_list<const char*> titles) {
    for (const char* title : titles)
      reserved->InsertSong(reserved->Count(), title, QString("/k/%1.kar").arg(title));
  }
};

constexpr char kQuestion[] =
    "Can't disable reserved list when not empty.\nDo you want to clear the reserved list and "
    "disable it?";

TEST_F(ReservedListTest, SwitchingOnGrowsTheWindowAndUnmarksThePlayList) {
  Make(false);
  AddSongs({"a", "b"});
  playList->SetPlayPosition(1);
  EXPECT_EQ(reserved->height(), 18);
  EXPECT_EQ(playList->CaptionText(), "PLAYLIST");
  DoubleClickHeader(QPoint(208, 8));
  EXPECT_TRUE(reserved->modeOn());
  EXPECT_EQ(reserved->size(), QSize(416, 190));
  EXPECT_EQ(playList->PlayPosition(), -1);
  EXPECT_EQ(playList->CaptionText(), "SONGLIST");
  EXPECT_EQ(Profile("ReservedListEnable"), "1");
  EXPECT_TRUE(messages.asked.isEmpty());
}

TEST_F(ReservedListTest, SwitchingOffAnEmptyQueueAsksNothing) {
  EXPECT_EQ(reserved->height(), 190);
  DoubleClickHeader(QPoint(208, 8));
  EXPECT_FALSE(reserved->modeOn());
  EXPECT_EQ(reserved->size(), QSize(416, 18));
  EXPECT_EQ(playList->CaptionText(), "PLAYLIST");
  EXPECT_EQ(Profile("ReservedListEnable"), "0");
  EXPECT_TRUE(messages.asked.isEmpty());
}

TEST_F(ReservedListTest, SwitchingOffAQueueAsksFirst) {
  // One queued song is a queue as much as two.
  for (int songs : {1, 2}) {
    SCOPED_TRACE(songs);
    Make(true);
    messages.asked.clear();
    Queue({"000001 - a", "000002 - b"});
    if (songs == 1) reserved->DeleteSong(1);
    frame->RefreshNextSongBanner();
    EXPECT_EQ(screen.nextSongTitle, " a");

    messages.answer = false;
    DoubleClickHeader(QPoint(208, 8));
    EXPECT_EQ(messages.asked, QStringList({kQuestion}));
    EXPECT_TRUE(reserved->modeOn());
    EXPECT_EQ(reserved->Count(), songs);
    EXPECT_EQ(reserved->height(), 190);

    messages.answer = true;
    DoubleClickHeader(QPoint(208, 8));
    EXPECT_EQ(messages.asked.size(), 2);
    EXPECT_FALSE(reserved->modeOn());
    EXPECT_EQ(reserved->Count(), 0);
    EXPECT_EQ(reserved->height(), 18);
    EXPECT_EQ(screen.nextSongTitle, "");
    EXPECT_EQ(Profile("ReservedListEnable"), "0");
  }
}

TEST_F(ReservedListTest, OnlyTheHeadersMiddleSwitches) {
  for (QPoint at : {QPoint(155, 8), QPoint(261, 8), QPoint(208, 1), QPoint(208, 17)}) {
    DoubleClickHeader(at);
    EXPECT_TRUE(reserved->modeOn()) << at.x() << "," << at.y();
  }
  DoubleClickHeader(QPoint(156, 2));
  EXPECT_FALSE(reserved->modeOn());
  DoubleClickHeader(QPoint(260, 16));
  EXPECT_TRUE(reserved->modeOn());
}

TEST_F(ReservedListTest, MoveToFirstAndDeleteTakeTheSelectedSong) {
  Queue({"000001 - a", "000002 - b", "000003 - c"});
  auto menu = [this](int id) {
    pick = id;
    emit reserved->list().customContextMenuRequested({});
  };
  menu(kCmdMoveReservedToFirst);  // nothing selected: nothing moves
  EXPECT_EQ(menuTexts,
            QStringList({"Move Song to First Reserved", "Delete Selected Reserved Song"}));
  EXPECT_EQ(ReservedTitles(), QStringList({"000001 - a", "000002 - b", "000003 - c"}));

  reserved->list().selectRow(2);
  menu(kCmdMoveReservedToFirst);
  EXPECT_EQ(ReservedTitles(), QStringList({"000003 - c", "000001 - a", "000002 - b"}));
  EXPECT_EQ(reserved->Path(0), "/k/000003 - c.kar");
  EXPECT_EQ(screen.nextSongTitle, " c");
  EXPECT_EQ(screen.reservedNumbers, "  000003  000001  000002");

  reserved->list().selectRow(1);
  menu(kCmdDeleteReserved);
  EXPECT_EQ(ReservedTitles(), QStringList({"000003 - c", "000002 - b"}));
  EXPECT_EQ(screen.reservedCount, 2);

  // The only entry moved to the front: the same queue, the banner rebuilt all the same.
  reserved->ClearSongs();
  Queue({"000009 - z"});
  screen.nextSongTitle = "stale";
  reserved->list().selectRow(0);
  menu(kCmdMoveReservedToFirst);
  EXPECT_EQ(ReservedTitles(), QStringList({"000009 - z"}));
  EXPECT_EQ(screen.nextSongTitle, " z");
}

TEST_F(ReservedListTest, ASongsSingerShowsInItsRowAndTheMenuPausesOrRemovesThem) {
  reserved->InsertSong(0, ReservedSong{"000001 - a", "/k/a.kar", "Mai", 0, false});
  reserved->InsertSong(1, ReservedSong{"000002 - b", "/k/b.kar", "Lan", 0, false});
  reserved->InsertSong(2, ReservedSong{"000003 - c", "/k/c.kar", "Mai", 0, false});
  frame->RefreshNextSongBanner();
  auto singer = [this](int row) {
    return reserved->list().rows().index(row, kColumnTitle).data(kSingerRole).toString();
  };
  EXPECT_EQ(ReservedTitles(), QStringList({"000001 - a", "000002 - b", "000003 - c"}));
  EXPECT_EQ(singer(0), "Mai");
  EXPECT_EQ(singer(1), "Lan");
  auto menu = [this](int id) {
    pick = id;
    emit reserved->list().customContextMenuRequested({});
  };
  reserved->list().selectRow(0);
  menu(kCmdPauseReservedSinger);
  EXPECT_EQ(menuTexts,
            QStringList({"Move Song to First Reserved", "Delete Selected Reserved Song", "",
                         "Pause Singer \"Mai\"", "Remove Singer \"Mai\" and Their Songs"}));
  EXPECT_EQ(ReservedTitles(), QStringList({"000002 - b", "000001 - a", "000003 - c"}));
  EXPECT_EQ(singer(1), "Mai (paused)");
  EXPECT_EQ(screen.nextSongTitle, " b");
  // The selection went with the song.
  EXPECT_EQ(reserved->list().FirstSelectedRow(), 1);
  menu(kCmdRemoveReservedSinger);
  EXPECT_EQ(menuTexts.at(3), "Resume Singer \"Mai\"");
  EXPECT_EQ(ReservedTitles(), QStringList({"000002 - b"}));
  EXPECT_EQ(screen.reservedCount, 1);
}

}  // namespace
}  // namespace lyrovox::testing

// The reserved list window: switching the mode with its question, its two heights, and moving
// and deleting queued songs, on a real main frame.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>

#include "list_rig.h"
#include "ui/lists/list_commands.h"
#include "ui/lists/list_file_keeper.h"

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

TEST_F(ReservedListTest, TheQueueIsKeptInItsOwnFileSoonAfterEveryChangeAndComesBack) {
  const QString path = Folder() + "/TuneWell/reserved.m3u";
  reserved->SetListPath(path);
  Queue({"000001 - a", "000002 - b"});
  reserved->InsertSong(2, "c", "/k/line\nbreak.kar");  // a bare name, a path a line cannot hold
  // Written in the background within two seconds, whole: "#EXTINF" lines keep the shown titles,
  // and a reader that takes only paths still reads the songs.
  const std::string expected =
      "\xFF\xFE" + Le(u"#EXTM3U\r\n#EXTINF:-1,000001 - a\r\n/k/000001 - a.kar\r\n"
                      u"#EXTINF:-1,000002 - b\r\n/k/000002 - b.kar\r\n"
                      u"#EXTINF:-1,c\r\nfile:///k/line%0Abreak.kar\r\n");
  EXPECT_TRUE(WaitFor([&] { return FileBytes(path).toStdString() == expected; }, 2000))
      << FileBytes(path).toStdString();
  // The writer hears that it got there.
  EXPECT_TRUE(WaitFor([&] { return !reserved->keeper().pending(); }, 500));

  // A new start brings the queue back, titles and paths, and plays nothing.
  Make(true);
  reserved->SetListPath(path);
  ASSERT_TRUE(reserved->RestoreList());
  EXPECT_EQ(ReservedTitles(), QStringList({"000001 - a", "000002 - b", "c"}));
  EXPECT_EQ(reserved->Path(2), "/k/line\nbreak.kar");
  EXPECT_TRUE(played.isEmpty());
  EXPECT_FALSE(reserved->keeper().pending());  // read back, not written again

  // Escape twice takes the last song off, says so for two seconds, and the file follows.
  frame->OnEscapeKey();
  frame->OnEscapeKey();
  EXPECT_EQ(screen.notices, QStringList({"2000 Removed: c"}));
  frame->OnEscapeKey();
  frame->OnEscapeKey();
  EXPECT_EQ(screen.notices.back(), "2000 Removed: b");  // the text after the number
  reserved.reset();  // the window going writes what is due at once
  EXPECT_EQ(FileBytes(path).toStdString(),
            "\xFF\xFE" + Le(u"#EXTM3U\r\n#EXTINF:-1,000001 - a\r\n/k/000001 - a.kar\r\n"));

  // A list file of the older kind (paths only): the rows show the files' names.
  dir.Write("TuneWell/reserved.m3u", "/k/x.kar\n/k/y.mp3\n");
  Make(true);
  reserved->SetListPath(path);
  ASSERT_TRUE(reserved->RestoreList());
  EXPECT_EQ(ReservedTitles(), QStringList({"x", "y"}));
}

TEST_F(ReservedListTest, AKeeperThatCannotWriteSaysSo) {
  // The list's folder is a file: nothing can be written there, whoever runs the test.
  dir.Write("not-a-folder", "x");
  reserved->SetListPath(Folder() + "/not-a-folder/reserved.m3u");
  bool failed = false;
  QObject::connect(&reserved->keeper(), &ListFileKeeper::Written, [&](bool ok) { failed = !ok; });
  Queue({"000001 - a"});
  EXPECT_TRUE(WaitFor([&] { return failed; }, 2500));
  EXPECT_TRUE(reserved->keeper().failed());
  EXPECT_TRUE(reserved->keeper().pending());
  EXPECT_FALSE(reserved->WriteList());
  EXPECT_EQ(FileBytes(Folder() + "/not-a-folder"), "x");
}

}  // namespace
}  // namespace lyrovox::testing

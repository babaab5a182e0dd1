// The play list window on a real main frame: list files in and out, the export, removing and
// renumbering, adding files and folders, the search, double-clicks and queueing with the reserved
// list on and off, drops, the close spot, the menus, docking and the default list at exit.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>
#include <fstream>
#include <sstream>

#include "list_rig.h"
#include "ui/lists/list_commands.h"
#include "ui/lists/skin_art.h"

namespace lyrovox::testing {
namespace {

class PlayListTest : public ListRig {
 protected:
  std::string Bytes(const QString& path) const {
    std::ifstream f(path.toStdString(), std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
  }
  QString ListFile(const std::string& name, std::u16string_view lines) {
    return QString::fromStdString(dir.Write(name, "\xFF\xFE" + Le(lines)));
  }
  void Click(QWidget& target, QPoint at) {
    QMouseEvent press(QEvent::MouseButtonPress, at, target.mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, target.mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &release);
  }
  // Drags the URLs onto the window and drops them; true when the drop was taken.
  bool Drop(const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    const QPoint at(200, 200);
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    enter.ignore();
    QApplication::sendEvent(playList.get(), &enter);
    if (!enter.isAccepted() || enter.dropAction() != Qt::CopyAction) return false;
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    drop.ignore();
    QApplication::sendEvent(playList.get(), &drop);
    return drop.isAccepted();
  }
};

TEST_F(PlayListTest, ReadingAListFileNumbersItsSongsAndNamesTheList) {
  AddSongs({"first"});
  const QString list =
      ListFile("lists/Lyrovox.m3u", u"#EXTM3U\r\nsongs\\Hoà Bình.kar\r\n/k/x.mp3\r\n");
  ASSERT_TRUE(playList->ReadSongListFile(list));
  EXPECT_EQ(SongTitles(), QStringList({"000001 - first", "000002 - Hoà Bình", "000003 - x"}));
  EXPECT_EQ(playList->Path(1), Folder() + "/lists/songs/Hoà Bình.kar");
  EXPECT_EQ(playList->listName(), "Lyrovox");
  EXPECT_EQ(playList->CaptionText(), "SONGLIST - Lyrovox");

  ASSERT_TRUE(playList->ReadSongListFile(ListFile("lyrovox.m3u", u"/k/y.kar\r\n")));
  EXPECT_EQ(playList->listName(), "DEFAULT");
  Make(false);
  ASSERT_TRUE(playList->ReadSongListFile(ListFile("x.m3u", u"/k/y.kar\r\n")));
  EXPECT_EQ(playList->CaptionText(), "PLAYLIST");  // a one-letter name is not shown

  // A file that cannot be read adds nothing and keeps the name.
  EXPECT_FALSE(playList->ReadSongListFile(Folder() + "/missing.m3u"));
  EXPECT_EQ(playList->Count(), 1);
  EXPECT_EQ(playList->listName(), "x");
}

TEST_F(PlayListTest, SavingWritesTheProgramsListFormat) {
  const QString empty = Folder() + "/empty.m3u";
  ASSERT_TRUE(playList->WriteSongListFile(empty));
  EXPECT_EQ(Bytes(empty), std::string("\xFF\xFE#\0E\0X\0T\0M\0"
                                      "3\0U\0\r\0\n\0",
                                      20));

  AddSongs({"a", "b"});
  dialogs.saveFile = Folder() + "/saved.m3u";
  playList->OnCommand(kCmdSaveSongList);
  ASSERT_EQ(dialogs.requests.size(), 1u);
  EXPECT_EQ(dialogs.requests[0].title, "Save songlist");
  EXPECT_EQ(dialogs.requests[0].filters, QStringList({"M3U songlist (*.m3u)"}));
  EXPECT_EQ(Bytes(dialogs.saveFile),
            "\xFF\xFE" + Le(u"#EXTM3U\r\n" + (Folder() + "/a.mp3\r\n").toStdU16String() +
                            (Folder() + "/b.mp3\r\n").toStdU16String()));

  // A save that fails is told, not passed over.
  dialogs.saveFile = Folder() + "/no/such/folder/x.m3u";
  playList->OnCommand(kCmdSaveSongList);
  EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(PlayListTest, ExportWritesNumberTabAndTheTitleAfterTheDash) {
  for (int i = 0; i < 11; ++i)
    playList->AddSong(QString("song %1").arg(i), "/k/s.mp3", i);
  playList->AddSong("Hello", "/k/hello.mp3", 11);
  playList->songList().InsertSong("Dropped", "/k/d.mp3", 1);   // no number: no line
  playList->songList().InsertSong("000099 -", "/k/e.mp3", 2);  // nothing after the dash
  dialogs.saveFile = Folder() + "/export.txt";
  playList->OnCommand(kCmdExportSongList);
  EXPECT_EQ(dialogs.requests.back().title, "Export songlist");
  EXPECT_EQ(dialogs.requests.back().filters, QStringList({"Text Files (*.txt)"}));
  EXPECT_EQ(dialogs.requests.back().initialName, "*.txt");
  std::u16string expected;
  const int positions[] = {1, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
  for (int i = 0; i < 11; ++i) {
    expected +=
        QString("%1\t song %2\r\n").arg(positions[i], 6, 10, QChar('0')).arg(i).toStdU16String();
  }
  expected += u"000014\t Hello\r\n";
  EXPECT_EQ(Bytes(dialogs.saveFile), "\xFF\xFE" + Le(expected));
}

TEST_F(PlayListTest, RemoveTakesTheFirstSelectedRowAndRenumbersTheRest) {
  AddSongs({"a", "b", "c", "d", "e"});
  playList->songList().InsertSong("Dropped", "/k/d.mp3", 5);
  playList->SetPlayPosition(3);
  Select(playList->songList(), {1, 2});
  pick = kCmdRemoveSelected;
  playList->removeButton().click();
  EXPECT_EQ(menuTexts, QStringList({"Remove selected", "Clear songlist"}));
  EXPECT_EQ(SongTitles(),
            QStringList({"000001 - a", "000002 - c", "000003 - d", "000004 - e", "Dropped"}));
  EXPECT_EQ(playList->PlayPosition(), 2);  // still "d"

  Select(playList->songList(), {2});
  playList->OnCommand(kCmdRemoveSelected);
  EXPECT_EQ(playList->PlayPosition(), -1);

  playList->songList().clearSelection();
  playList->OnCommand(kCmdRemoveSelected);  // nothing selected: nothing removed
  EXPECT_EQ(playList->Count(), 4);

  pick = kCmdClearSongList;
  playList->removeButton().click();
  EXPECT_EQ(playList->Count(), 0);
}

TEST_F(PlayListTest, AddFolderWalksSubfoldersWhereTheyStandAndNumbersByFinalPosition) {
  AddSongs({"first"});
  const std::string top = dir.path() + "/top";
  for (const char* name :
       {"a.mp3", "b/c.kar", "b/d.MID", "b/deeper/f.vob", "b/clip.mp4", "e.mkv", "x.mp3.lrc",
        ".hidden.mp3", ".folder/g.mp3", "notes.txt", "song10.avi", "song9.avi", "list.m3u"})
    dir.Write("top/" + std::string(name), "x");
  dialogs.folder = QString::fromStdString(top);
  pick = kCmdAddFolder;
  playList->addButton().click();
  EXPECT_EQ(menuTexts, QStringList({"Add file(s)", "Add folder"}));
  // Titles as every other way of adding songs (and a restart) gives them.
  EXPECT_EQ(SongTitles(), QStringList({"000001 - first", "000002 - a", "000003 - c",
                                       "000004 - clip", "000005 - d", "000006 - f", "000007 - e",
                                       "000008 - song9", "000009 - song10"}));
  EXPECT_EQ(playList->Path(4), QString::fromStdString(top) + "/b/d.MID");
  EXPECT_EQ(playList->Path(3), QString::fromStdString(top) + "/b/clip.mp4");
}

// The folder walk, drops and "Add file(s)" take the same kinds of file, whatever the case of
// their extensions, and name them alike.
TEST_F(PlayListTest, EveryWayOfAddingTakesEverySongKindInEitherCase) {
  const char* const kinds[] = {"kar", "mid", "mp3", "kym", "wma", "mpg",  "avi", "dat", "mkv",
                               "mp4", "vob", "wmv", "flv", "zip", "webm", "mov", "m4v"};
  QStringList files;
  QStringList expected;
  for (const char* kind : kinds) {
    for (const QString& ext : {QString(kind), QString(kind).toUpper()}) {
      const QString name = QString("%1-%2").arg(kind, ext == kind ? "lower" : "upper");
      files << Song("kinds/" + (name + "." + ext).toStdString());
      expected << name;
    }
  }
  Song("kinds/notes.txt");
  Song("kinds/cover.jpg");
  Song("kinds/song.lrc");
  Song("kinds/sub/clip.MP4");
  files.sort();
  const auto names = [this] {
    QStringList found;
    for (int r = 0; r < playList->Count(); ++r)
      found << playList->Title(r).mid(9);
    found.sort();
    return found;
  };
  QStringList all = expected + QStringList{"clip"};
  all.sort();

  dialogs.folder = Folder() + "/kinds";
  playList->OnCommand(kCmdAddFolder);
  EXPECT_EQ(names(), all);

  playList->ClearSongList();
  QList<QUrl> urls;
  for (const QString& file : files)
    urls << QUrl::fromLocalFile(file);
  urls << QUrl::fromLocalFile(Folder() + "/kinds/notes.txt")
       << QUrl::fromLocalFile(Folder() + "/kinds/sub");
  EXPECT_TRUE(Drop(urls));
  EXPECT_EQ(names(), all);

  playList->ClearSongList();
  dialogs.openFiles = files;
  playList->OnCommand(kCmdAddFiles);
  expected.sort();
  EXPECT_EQ(names(), expected);
  EXPECT_EQ(playList->Title(0).left(9), "000001 - ");
  EXPECT_EQ(playList->Title(playList->Count() - 1).left(9),
            QString("%1 - ").arg(playList->Count(), 6, 10, QChar('0')));
}

TEST_F(PlayListTest, AddFilesTakesSongsAndListFiles) {
  const QString list = ListFile("more.m3u", u"/k/y.kar\r\n");
  dialogs.openFiles = {Song("one.kar"), list, Song("long.mpeg"), Song("ab.mp3")};
  playList->OnCommand(kCmdAddFiles);
  ASSERT_EQ(dialogs.requests.size(), 1u);
  const FileDialogRequest& request = dialogs.requests[0];
  EXPECT_EQ(request.title, "Add file(s) to songlist");
  EXPECT_EQ(request.filters,
            QStringList({"Karaoke Files (*.kar *.mid)", "MP3 and WMA Files (*.mp3 *.wma)",
                         "Play List (*.m3u)", "Zip files (*.zip)"}));
  // The dialog opens showing every kind of song and the list files.
  EXPECT_EQ(request.initialName,
            "*.kar *.mid *.mp3 *.kym *.wma *.mpg *.avi *.dat *.mkv *.mp4 *.vob *.wmv *.flv "
            "*.zip *.webm *.mov *.m4v *.m3u");
  EXPECT_TRUE(request.multiple);
  EXPECT_EQ(SongTitles(),
            QStringList({"000001 - one", "000002 - y", "000003 - long", "000004 - ab"}));
  EXPECT_EQ(playList->listName(), "more");

  dialogs.openFiles.clear();  // cancelled
  playList->OnCommand(kCmdAddFiles);
  EXPECT_EQ(playList->Count(), 4);
}

TEST_F(PlayListTest, LoadReplacesTheListAndShowsItsName) {
  AddSongs({"old"});
  dialogs.openFiles = {ListFile("Party.m3u", u"/k/a.kar\r\n/k/b.kar\r\n")};
  pick = kCmdLoadSongList;
  Click(*playList, QPoint(10, 5));  // the menu icon
  EXPECT_EQ(menuTexts, QStringList({"Load songlist...", "Save songlist...", "Export songlist..."}));
  EXPECT_EQ(dialogs.requests.back().title, "Open songlist");
  EXPECT_EQ(SongTitles(), QStringList({"000001 - a", "000002 - b"}));
  EXPECT_EQ(playList->CaptionText(), "SONGLIST - Party");

  // Files that give no song leave the list as it was, and say so: an empty file, one of only
  // comments, a song taken for a list, bytes that are text in no encoding.
  std::string binary = "MThd\0\0\0\x06\0\x01";
  for (int i = 0; i < 256; ++i)
    binary += static_cast<char>(i);
  const QString notLists[] = {QString::fromStdString(dir.Write("empty.m3u", "")),
                              QString::fromStdString(dir.Write("notes.m3u", "#EXTM3U\n# a\n")),
                              QString::fromStdString(dir.Write("song.m3u", binary)),
                              QString::fromStdString(dir.Write("utf16.m3u", "\xFF\xFE" + binary))};
  for (const QString& file : notLists) {
    messages.shown.clear();
    dialogs.openFiles = {file};
    Click(*playList, QPoint(10, 5));
    EXPECT_EQ(messages.shown, QStringList({file + " is not a song list."}));
    EXPECT_EQ(SongTitles(), QStringList({"000001 - a", "000002 - b"}));
    EXPECT_EQ(playList->CaptionText(), "SONGLIST - Party");
  }
}

TEST_F(PlayListTest, SearchShowsMatchesThenTheWholeListAgain) {
  // Empty, the list says how to fill it; a search without a match says so.
  EXPECT_EQ(playList->songList().emptyText(),
            "No songs yet: press + or drop song files and folders here");
  EXPECT_EQ(playList->searchResults().emptyText(), "No song matches");
  AddSongs({"Hello", "Đêm Đông", "Hoà Bình", "hòa"});
  playList->show();
  playList->searchBox().setText("hoa");
  EXPECT_FALSE(playList->songList().isVisible());
  EXPECT_FALSE(playList->addButton().isVisible());
  EXPECT_TRUE(playList->searchResults().isVisible());
  const SongRowsModel& results = playList->searchResults().rows();
  ASSERT_EQ(results.count(), 2);
  EXPECT_EQ(results.row(0).title, "000003 - Hoà Bình");
  EXPECT_EQ(results.row(1).path, playList->Path(3));

  playList->searchBox().setText("HOÀ");
  EXPECT_EQ(results.count(), 0);
  EXPECT_TRUE(playList->searchResults().isVisible());

  // Songs added while results show join them.
  playList->searchBox().setText("hoa");
  AddSongs({"Hoa Sữa"});
  QApplication::processEvents();
  EXPECT_EQ(results.count(), 3);

  playList->ClearSearch();
  EXPECT_TRUE(playList->songList().isVisible());
  EXPECT_TRUE(playList->addButton().isVisible());
  EXPECT_TRUE(playList->removeButton().isVisible());
  EXPECT_FALSE(playList->searchResults().isVisible());
}

TEST_F(PlayListTest, DoubleClicksWithTheReservedListOff) {
  Make(false);
  AddSongs({"alpha", "beta", "gamma"});
  emit playList->songList().RowDoubleClicked(1);
  EXPECT_EQ(played, QStringList({playList->Path(1)}));
  EXPECT_EQ(screen.songTitle, " beta");
  EXPECT_EQ(playList->PlayPosition(), 1);
  EXPECT_EQ(playList->songList().markedRow(), 1);

  // A search result plays without moving the marked row; one without a number does nothing.
  playList->songList().InsertSong("Dropped gamma", "/k/dropped.mp3", 3);
  playList->searchBox().setText("gamma");
  ASSERT_EQ(playList->searchResults().rows().count(), 2);
  emit playList->searchResults().RowDoubleClicked(0);
  EXPECT_EQ(played.back(), playList->Path(2));
  EXPECT_EQ(screen.songTitle, " gamma");
  EXPECT_EQ(playList->PlayPosition(), 1);
  emit playList->searchResults().RowDoubleClicked(1);
  EXPECT_EQ(played.size(), 2);

  // No queueing menus while the reserved list is off.
  menuTexts = {"none"};
  emit playList->songList().customContextMenuRequested({});
  EXPECT_EQ(menuTexts, QStringList({"none"}));
  Select(playList->songList(), {0});
  playList->OnCommand(kCmdQueueSelectedSongs);
  EXPECT_EQ(reserved->Count(), 0);
}

TEST_F(PlayListTest, DoubleClicksAndTheMenusQueueWithTheReservedListOn) {
  AddSongs({"a", "b", "c", "d"});
  playList->songList().rows().Remove(1);          // "000003 - c" now stands at row 1
  emit playList->songList().RowDoubleClicked(0);  // nothing plays, nothing queued: plays now
  EXPECT_EQ(played.size(), 1);
  emit playList->songList().RowDoubleClicked(1);
  EXPECT_EQ(ReservedTitles(), QStringList({"000002 - c"}));  // its position, not its title
  EXPECT_EQ(playList->PlayPosition(), -1);

  Select(playList->songList(), {2, 0});
  pick = kCmdQueueSelectedSongs;
  emit playList->songList().customContextMenuRequested({});
  EXPECT_EQ(menuTexts, QStringList({"Add Selected Song to Reserved List"}));
  EXPECT_EQ(ReservedTitles(), QStringList({"000002 - c", "000001 - a", "000003 - d"}));

  // Search results queue with the number their title shows.
  reserved->ClearSongs();
  playList->songList().InsertSong("Dropped d", "/k/dropped.mp3", 3);
  playList->searchBox().setText("d");
  ASSERT_EQ(playList->searchResults().rows().count(), 2);
  emit playList->searchResults().RowDoubleClicked(0);
  EXPECT_EQ(ReservedTitles(), QStringList({"000004 - d"}));
  Select(playList->searchResults(), {0, 1});
  pick = kCmdQueueSelectedResults;
  emit playList->searchResults().customContextMenuRequested({});
  EXPECT_EQ(ReservedTitles(), QStringList({"000004 - d", "000004 - d"}));
  EXPECT_EQ(played.size(), 1);
}

TEST_F(PlayListTest, DroppedFilesAndListFilesJoinTheEnd) {
  AddSongs({"first"});
  // A list the program saved itself (UTF-16) loads when dropped.
  const QString saved = Folder() + "/saved.m3u";
  {
    PlayListDlg other(*store);
    other.AddSong("x", "/k/Hoà.kar", 0);
    other.AddSong("y", "/k/y.mid", 1);
    ASSERT_TRUE(other.WriteSongListFile(saved));
  }
  const QList<QUrl> urls = {QUrl::fromLocalFile(Song("My.Songs/a.mp3")),
                            QUrl::fromLocalFile(Song("b.wma")),
                            QUrl::fromLocalFile(saved),
                            QUrl::fromLocalFile(Song("c.zip")),
                            QUrl("https://example.com/d.mp3"),
                            QUrl::fromLocalFile(Song("e.MP4")),
                            QUrl::fromLocalFile(Song("f.txt"))};
  EXPECT_TRUE(Drop(urls));
  // Numbered and named as after a restart, whichever way they came.
  EXPECT_EQ(SongTitles(), QStringList({"000001 - first", "000002 - a", "000003 - b", "000004 - Hoà",
                                       "000005 - y", "000006 - c", "000007 - e"}));
  EXPECT_EQ(playList->Path(3), "/k/Hoà.kar");
  EXPECT_EQ(playList->listName(), "");  // a dropped list does not name the list

  // Dropped folders are walked as Add folder walks them.
  dir.Write("dropped/z.kar", "x");
  EXPECT_TRUE(Drop({QUrl::fromLocalFile(Folder() + "/dropped")}));
  EXPECT_EQ(SongTitles().back(), "000008 - z");

  // Text drops are not taken.
  QMimeData text;
  text.setText("hello");
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  enter.ignore();
  QApplication::sendEvent(playList.get(), &enter);
  EXPECT_FALSE(enter.isAccepted());
}

TEST_F(PlayListTest, TheCloseSpotHidesTheWindowAndTellsThePanel) {
  playList->show();
  int told = 0;
  QObject::connect(playList.get(), &PlayListDlg::HiddenByCloseSpot, [&told] { ++told; });
  const int w = playList->width();
  Click(*playList, QPoint(w - 29, 8));  // the edges are outside
  Click(*playList, QPoint(w - 12, 8));
  Click(*playList, QPoint(w - 20, 17));
  EXPECT_TRUE(playList->isVisible());
  Click(*playList, QPoint(w - 28, 2));
  EXPECT_FALSE(playList->isVisible());
  EXPECT_EQ(told, 1);
}

TEST_F(PlayListTest, DraggingNearThePanelDocksTheWindow) {
  QWidget panelWindow(nullptr, Qt::Tool | Qt::FramelessWindowHint);
  panelWindow.setGeometry(100, 100, 416, 181);
  playList->SetDockPanel(&panelWindow);
  playList->move(700, 300);
  auto dragBy = [this](QPoint from, QPoint to) {
    const QPoint local(200, 10);
    QMouseEvent press(QEvent::MouseButtonPress, local, from, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(playList.get(), &press);
    QMouseEvent move(QEvent::MouseMove, local, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(playList.get(), &move);
    QMouseEvent release(QEvent::MouseButtonRelease, local, to, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(playList.get(), &release);
  };
  // Left edge 6 pixels right of the panel's right edge (516): snaps to 515.
  dragBy(QPoint(900, 310), QPoint(900 - 700 + 522, 310 - 300 + 150));
  EXPECT_EQ(playList->pos(), QPoint(515, 150));
  EXPECT_TRUE(playList->dockState().docked);
  EXPECT_EQ(playList->dockState().offset, QPoint(415, 50));
  // Far away: undocked.
  dragBy(QPoint(715, 160), QPoint(1000, 600));
  EXPECT_FALSE(playList->dockState().docked);
}

TEST_F(PlayListTest, TheDefaultListIsWrittenAtExitOnlyWhenItChanged) {
  const QString path = Folder() + "/TuneWell/lyrovox.m3u";
  // Nothing changed: the file is not touched.
  const std::string original = "\xFF\xFE" + Le(u"#EXTM3U\r\n/k/a.kar\r\n");
  dir.Write("TuneWell/lyrovox.m3u", original);
  playList->SetDefaultListPath(path);
  ASSERT_TRUE(playList->ReadSongListFile(path));
  EXPECT_EQ(playList->CaptionText(), "SONGLIST - DEFAULT");
  playList.reset();
  EXPECT_EQ(Bytes(path), original);
  EXPECT_EQ(Profile("PlayList_Left"), "417");

  // Changed: written whole.
  Make(true);
  playList->SetDefaultListPath(path);
  ASSERT_TRUE(playList->ReadSongListFile(path));
  AddSongs({"b"});
  playList.reset();
  EXPECT_EQ(Bytes(path), original + Le((Folder() + "/b.mp3\r\n").toStdU16String()));
}

TEST_F(PlayListTest, TheDefaultListIsWrittenSoonAfterEveryChange) {
  const QString path = Folder() + "/TuneWell/lyrovox.m3u";
  playList->SetDefaultListPath(path);
  AddSongs({"a"});
  const auto listOf = [this](std::initializer_list<const char*> names) {
    std::u16string text = u"#EXTM3U\r\n";
    for (const char* name : names)
      text += (Folder() + "/" + name + ".mp3\r\n").toStdU16String();
    return "\xFF\xFE" + Le(text);
  };
  EXPECT_TRUE(WaitFor([&] { return FileBytes(path).toStdString() == listOf({"a"}); }, 2000));
  AddSongs({"b", "c"});
  EXPECT_TRUE(WaitFor(
      [&] {
        return FileBytes(path).toStdString() == listOf({"a", "b", "c"});
      },
      2000));
  // Removing the last song is the user emptying the list: the empty list is kept.
  for (int i = 0; i < 3; ++i) {
    playList->songList().selectRow(0);
    playList->OnCommand(kCmdRemoveSelected);
  }
  EXPECT_TRUE(WaitFor([&] { return FileBytes(path).toStdString() == listOf({}); }, 2000));
}

TEST_F(PlayListTest, AnEmptyListReplacesKeptSongsOnlyWhenTheUserEmptiedIt) {
  const QString path = Folder() + "/lyrovox.m3u";
  const std::string original = "\xFF\xFE" + Le(u"#EXTM3U\r\n/k/a.kar\r\n");
  dir.Write("lyrovox.m3u", original);
  playList->SetDefaultListPath(path);
  ASSERT_TRUE(playList->ReadSongListFile(path));
  playList->ClearSongList();  // not the user's doing (the Load button's replacing, say)
  EXPECT_TRUE(playList->WriteDefaultList());
  playList.reset();
  EXPECT_EQ(Bytes(path), original);

  Make(true);
  playList->SetDefaultListPath(path);
  ASSERT_TRUE(playList->ReadSongListFile(path));
  playList->OnCommand(kCmdClearSongList);
  playList.reset();
  EXPECT_EQ(Bytes(path), "\xFF\xFE" + Le(u"#EXTM3U\r\n"));
}

TEST_F(PlayListTest, ADefaultListThatCannotBeReadIsNeverReplacedByAccident) {
  const QString path = Folder() + "/lyrovox.m3u";
  ASSERT_EQ(::mkfifo(path.toUtf8().constData(), 0600), 0);  // there, but not readable as a list
  playList->SetDefaultListPath(path);
  EXPECT_FALSE(playList->ReadSongListFile(path));
  playList.reset();  // nothing changed: nothing written
  struct stat info {};
  ASSERT_EQ(::stat(path.toUtf8().constData(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));

  // A list made after all replaces it, and the old file is kept aside.
  Make(true);
  playList->SetDefaultListPath(path);
  EXPECT_FALSE(playList->ReadSongListFile(path));
  AddSongs({"new"});
  playList.reset();
  ASSERT_EQ(::stat((path + ".bak").toUtf8().constData(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
  EXPECT_EQ(Bytes(path),
            "\xFF\xFE" + Le(("#EXTM3U\r\n" + Folder() + "/new.mp3\r\n").toStdU16String()));
}

TEST_F(PlayListTest, AWriteThatFailsKeepsThePreviousFile) {
  const QString path = Folder() + "/lyrovox.m3u";
  const std::string original = "\xFF\xFE" + Le(u"#EXTM3U\r\n/k/a.kar\r\n");
  dir.Write("lyrovox.m3u", original);
  playList->SetDefaultListPath(path);
  ASSERT_TRUE(playList->ReadSongListFile(path));
  for (int i = 0; i < 50; ++i)
    playList->AddSong("song", "/k/a rather long path to make the file big.kar", i);
  // Files may not grow past 200 bytes: the new list cannot be written whole.
  rlimit old{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 200;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = playList->WriteSongListFile(path);
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(written);
  EXPECT_EQ(Bytes(path), original);
}

TEST(SkinArtTest, TheSkinsBitmapsAreBuiltIn) {
  const QSize sizes[] = {{83, 33}, {83, 33}, {1, 22},   {15, 22}, {1, 36},
                         {20, 22}, {50, 14}, {415, 15}, {415, 15}};
  const int ids[] = {135, 136, 141, 147, 151, 170, 171, 186, 187};
  for (int i = 0; i < 9; ++i) {
    EXPECT_TRUE(QFile::exists(QString(":/skin/%1.png").arg(ids[i]))) << ids[i];
    EXPECT_EQ(LoadSkinBitmap(ids[i]).deviceIndependentSize().toSize(), sizes[i]) << ids[i];
  }
  EXPECT_EQ(CutBitmap(LoadSkinBitmap(135), 46, 0, 83, 33).size(), QSize(37, 33));
}

}  // namespace
}  // namespace lyrovox::testing

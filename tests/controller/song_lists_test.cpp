// The controller's side of the song list and the reserved list: walking the song list with the
// reserved list off, the Load button, M3U files, files given to the program, the mode switch and
// the setup sheet's values.

#include <gtest/gtest.h>

#include "common/smf_builder.h"
#include "controller/main_frame.h"
#include "frame_rig.h"

namespace lyrovox {
namespace {

std::string Kar() {
  smf::File f(1, 480);
  f.AddTrack().Text(480, "\\La").Note(0, 960, 0, 60, 90);
  return f.Encode();
}

class SongListTest : public testing::FrameRig {
 protected:
  SongListTest() {
    Settings off;
    off.reservedListEnable = 0;
    MakeFrame(off);
  }
  void AddRows(int n) {
    for (int i = 0; i < n; ++i) {
      songList.AddSong(QString("Song %1").arg(i + 1), Song("s" + std::to_string(i) + ".kar", Kar()),
                       i);
    }
  }
};

TEST_F(SongListTest, NextAndPreviousWalkTheSongListAndStopAtItsEnds) {
  AddRows(3);
  frame->PlayPreviousSong();  // nothing played yet: no row before -1
  EXPECT_TRUE(frame->currentSongPath().isEmpty());
  for (int row : {0, 1, 2}) {
    frame->PlayNextSong();
    EXPECT_EQ(songList.playPosition, row);
    EXPECT_TRUE(frame->currentSongPath().endsWith(QString("s%1.kar").arg(row)));
    EXPECT_EQ(screen.songTitle, QString(" Song %1").arg(row + 1));
  }
  EXPECT_EQ(songList.searchClears, 3);
  frame->PlayNextSong();  // the last row: nothing further
  EXPECT_EQ(songList.playPosition, 2);
  EXPECT_FALSE(frame->isPlaying());  // Next closed the song all the same
  frame->PlayPreviousSong();
  frame->PlayPreviousSong();
  EXPECT_EQ(songList.playPosition, 0);
  frame->PlayPreviousSong();  // row 0: nothing before it
  EXPECT_EQ(songList.playPosition, 0);
}

TEST_F(SongListTest, LoadReplacesTheSongListWithTheChosenFilesAndPlaysTheFirst) {
  AddRows(2);
  dialogs.openFiles = {};
  EXPECT_FALSE(frame->OpenKaraokeFile(nullptr));
  EXPECT_EQ(songList.rows.size(), 2u);
  ASSERT_EQ(dialogs.requests.size(), 1u);
  EXPECT_EQ(dialogs.requests[0].title, "Select Karaoke file");
  EXPECT_TRUE(dialogs.requests[0].multiple);
  // Every kind of song, and list files.
  EXPECT_EQ(dialogs.requests[0].filters,
            QStringList({"Karaoke Files (*.kar *.mid *.mp3 *.kym *.wma *.mpg *.avi *.dat *.mkv "
                         "*.mp4 *.vob *.wmv *.flv *.zip *.webm *.mov *.m4v *.m3u)"}));

  const QString list =
      Song("lists/x.m3u", "#EXTM3U\r\nsongs\\a.kar\r\n/abs/b.mp3\r\nabc\r\n# comment\r\n");
  const QString first = Song("First.kar", Kar());
  const QString longName = Song("Long.name.mpeg", "x");
  const QString folder = QString::fromStdString(dir.path());
  const std::vector<testing::Row> loaded = {{"000001 - First", first},
                                            {"000002 - a", folder + "/lists/songs/a.kar"},
                                            {"000003 - b", "/abs/b.mp3"},
                                            {"000004 - Long.name", longName}};
  const std::vector<testing::Row> kept = songList.rows;

  // The list holds other songs: the host is asked. No keeps the list, the loaded songs join its
  // end, and the first of them plays.
  dialogs.openFiles = {first, list, longName};
  messages.answer = false;
  EXPECT_TRUE(frame->OpenKaraokeFile(nullptr));
  EXPECT_EQ(messages.asked,
            QStringList({"Replace the song list (2 songs) with the loaded files?"}));
  ASSERT_EQ(songList.rows.size(), 6u);
  EXPECT_EQ(std::vector<testing::Row>(songList.rows.begin(), songList.rows.begin() + 2), kept);
  EXPECT_EQ(songList.rows[2], (testing::Row{"000003 - First", first}));
  EXPECT_EQ(songList.rows[5], (testing::Row{"000006 - Long.name", longName}));
  EXPECT_EQ(frame->currentSongPath(), first);
  EXPECT_EQ(songList.playPosition, 2);

  // Yes: the loaded songs are the list.
  messages.answer = true;
  EXPECT_TRUE(frame->OpenKaraokeFile(nullptr));
  EXPECT_EQ(messages.asked.size(), 2);
  EXPECT_EQ(songList.rows, loaded);
  EXPECT_EQ(frame->currentSongPath(), first);
  EXPECT_EQ(screen.songTitle, " First");

  // A list of only the loaded songs is replaced without a question.
  EXPECT_TRUE(frame->OpenKaraokeFile(nullptr));
  EXPECT_EQ(messages.asked.size(), 2);
  EXPECT_EQ(songList.rows, loaded);

  // A list file that gives no song says so and changes nothing.
  const QString empty = Song("empty.m3u", "");
  dialogs.openFiles = {empty};
  EXPECT_FALSE(frame->OpenKaraokeFile(nullptr));
  EXPECT_EQ(messages.shown, QStringList({empty + " is not a song list."}));
  EXPECT_EQ(songList.rows, loaded);
}

TEST_F(SongListTest, FilesGivenToTheProgramPlayTheFirstAndJoinTheSongList) {
  AddRows(1);
  const QString a = Song("a.kar", Kar());
  const QString b = Song("b.mp3", "x");
  const QString list = Song("l.m3u", "c.kar\n");
  frame->OpenFiles({a, Song("missing-dir/../nothing.kar", "") + ".gone", b, list});
  EXPECT_EQ(frame->currentSongPath(), a);
  ASSERT_EQ(songList.rows.size(), 3u);
  EXPECT_EQ(songList.rows[1], (testing::Row{"000002 - b", b}));
  EXPECT_EQ(songList.rows[2].path, QString::fromStdString(dir.path()) + "/c.kar");
}

TEST_F(SongListTest, FilesGivenWithTheReservedListOnAreQueued) {
  MakeFrame(Settings{});
  const QString a = Song("a.kar", Kar());
  const QString b = Song("b.kar", Kar());
  frame->OpenFiles({a, b});
  EXPECT_EQ(frame->currentSongPath(), a);
  EXPECT_EQ(reserved.Titles(), QStringList({"b"}));
}

TEST_F(SongListTest, SwitchingTheReservedListWritesTheSettingAndUnmarksTheSongList) {
  AddRows(2);
  frame->PlayNextSong();
  ASSERT_EQ(songList.playPosition, 0);
  frame->SetReservedListEnable(true);
  EXPECT_EQ(songList.playPosition, -1);
  EXPECT_EQ(Profile("ReservedListEnable"), "1");
  frame->SetReservedListEnable(false);
  EXPECT_EQ(Profile("ReservedListEnable"), "0");
  EXPECT_FALSE(frame->reservedListEnabled());
}

TEST_F(SongListTest, TheSetupSheetsOkWritesTheValuesAndRestartsOnlyWhatChanged) {
  frame->StartBackgroundVideo();
  frame->PlaySong(Song("a.kar", Kar()));
  const int graphs = video.calls.count("graph");

  sheet.ok = false;
  frame->ApplySetup(nullptr);
  EXPECT_EQ(Profile("CodePage"), "<none>");  // Cancel writes nothing

  sheet.ok = true;
  frame->ApplySetup(nullptr);
  ASSERT_EQ(sheet.shown.size(), 2u);
  EXPECT_EQ(sheet.shown[1].fontSize, 70);
  EXPECT_EQ(sheet.shown[1].maleColor, 0xEE0000u);
  EXPECT_EQ(Profile("CodePage"), "0");  // OK writes the same values back
  EXPECT_EQ(Profile("LyricColorDuet"), QString::number(0xFF32FF));
  EXPECT_EQ(video.calls.count("graph"), graphs);  // and restarts nothing

  sheet.change = [](SetupValues& v) {
    v.codePage = 14;
    v.fontSize = 30;  // corrected into 50..100 by the screen, and written corrected
    v.songsFolders[0] = "/music";
    v.background = 2;
  };
  frame->ApplySetup(nullptr);
  EXPECT_EQ(Profile("CodePage"), "14");
  EXPECT_EQ(frame->lyricStore().codePage, 949);
  EXPECT_EQ(Profile("DefaultFontSizeValue"), "50");
  EXPECT_EQ(Profile("SongsLocation1"), "/music");
  EXPECT_EQ(video.sourceKind, 2);
  EXPECT_GT(video.calls.count("graph"), graphs);  // the background restarted

  const int restarted = video.calls.count("graph");
  const QString custom = Song("custom.mpg", "x");
  sheet.change = [&](SetupValues& v) { v.backgroundVideo = custom; };
  frame->ApplySetup(nullptr);
  EXPECT_EQ(Profile("BackgroundVideo"), custom);
  EXPECT_GT(video.calls.count("graph"), restarted);
}

}  // namespace
}  // namespace lyrovox

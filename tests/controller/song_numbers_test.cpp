// Typed song numbers end to end on the controller: the preview line, Enter and the countdown,
// Escape, the songs folders and the MIDI DVD, the reserved list and the play-at-once rule.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>

#include "common/dvd_builder.h"
#include "common/smf_builder.h"
#include "controller/main_frame.h"
#include "frame_rig.h"
#include "lyrics/dvd_extract.h"

namespace lyrovox {
namespace {

using testing::Row;

std::string Kar(const std::string& title) {
  smf::File f(1, 480);
  f.AddTrack().Text(0, "@T" + title).Text(480, "\\La").Note(0, 960, 0, 60, 90);
  return f.Encode();
}

class SongNumberTest : public testing::FrameRig {
 protected:
  SongNumberTest() { MakeFrame(Settings{}); }

  void Type(const QString& keys) {
    for (QChar c : keys)
      frame->OnSongNumberChar(c);
  }
  void Enter() { frame->OnSongKey(kSongKeyEnter); }
  // A songs folder in the test's folder, named by the first songs setting.
  QString Folder(const std::string& name) {
    const QString folder = QString::fromStdString(dir.path() + "/" + name);
    QDir().mkpath(folder);
    return folder;
  }
  QString Put(const QString& folder, const std::string& name, const std::string& bytes = "x") {
    const QString path = folder + "/" + QString::fromStdString(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return path;
  }
  void AddRows(int n) {
    for (int i = 0; i < n; ++i) {
      songList.AddSong(QString("Song %1").arg(i + 1), Song("s" + std::to_string(i) + ".kar"), i);
    }
  }
  // The frame plays a song: the next one reserved waits for its end.
  void PlaySomething() {
    frame->PlaySong(Song("playing.kar", Kar("Playing")));
    ASSERT_TRUE(frame->isPlaying());
  }
};

TEST_F(SongNumberTest, DigitsBuildTheNumberOnlyWhileTheReservedListIsOn) {
  Type("123");
  EXPECT_EQ(screen.typedNumber, "000123");
  EXPECT_EQ(frame->numberEntryCountdown(), kNumberEntryTicks);
  Type(QString(QChar(kBackspaceChar)));
  EXPECT_EQ(screen.typedNumber, "000012");
  Type("x");  // other characters change nothing but still restart the countdown
  EXPECT_EQ(screen.typedNumber, "000012");

  Settings off;
  off.reservedListEnable = 0;
  MakeFrame(off);
  screen.ClearTypedNumber();
  AddRows(3);
  Type("000001");
  Enter();
  EXPECT_EQ(screen.typedNumber, "000000");
  EXPECT_FALSE(frame->isPlaying());
  EXPECT_TRUE(reserved.rows.empty());
}

TEST_F(SongNumberTest, SongListNumbersPreviewTheirRowsTitle) {
  AddRows(10);
  songList.rows[3].title = "Bare name";  // no number: the whole text
  songList.rows[4].title = "000005 - ";  // the title is the blank after the hyphen
  QFile::remove(songList.rows[6].path);  // a song gone from the disk since it was listed
  const std::pair<const char*, const char*> cases[] = {
      {"000010", " Song 10"},      {"000011", "NOT FOUND"}, {"000000", "NOT FOUND"},
      {"000004", "Bare name"},     {"000005", " "},         {"000001", " Song 1"},
      {"000007", "File not found"}};
  for (const auto& [digits, preview] : cases) {
    Type(digits);
    EXPECT_EQ(screen.typedTitle, preview) << digits;
  }
}

TEST_F(SongNumberTest, FolderSongsAreFoundByAnySixDigitsOfTheirName) {
  Settings settings;
  settings.songsLocation1 = Folder("empty");
  settings.songsLocation2 = Folder("songs");
  MakeFrame(settings);
  const QString songs = settings.songsLocation2;
  Put(songs, "KTV 123456 Love.lrc", "[ti:Wrong]\n[00:01.00]x\n");
  const QString mp3 = Put(songs, "KTV 123456 Love.mp3");
  Put(songs, "KTV 123456 Love.LRC", "[ti:Love Song]\n[00:01.00]Hello\n");
  Put(songs, "Other 654321.mp3");
  Put(songs, "777777.kar", Kar("Seven Title"));
  Put(songs, "888888.kar", Kar("Ab"));
  Put(songs, "999999 clip.mpg");

  const std::pair<const char*, const char*> cases[] = {
      {"123456", "Love Song"},  // the LRC side file's title
      {"234567", "NOT FOUND"},  // no folder file, no DVD
      {"654321", "File found, but no lyrics"},
      {"777777", "Seven Title"},  // a MIDI karaoke file's own title
      {"888888", "888888"},       // a title under 4 characters: the file's name
      {"999999", "File found, but no lyrics"}};
  for (const auto& [digits, preview] : cases) {
    Type(digits);
    EXPECT_EQ(screen.typedTitle, preview) << digits;
  }

  // Enter plays the found file at once: nothing plays and nothing is reserved.
  Type("123456");
  Enter();
  EXPECT_EQ(frame->currentSongPath(), mp3);
  EXPECT_EQ(screen.chosen, QStringList({"123456"}));
  EXPECT_EQ(screen.typedNumber, "000000");
}

TEST_F(SongNumberTest, AnEmptyFirstSongsFolderEndsTheSearch) {
  Settings settings;
  settings.songsLocation2 = Folder("songs");
  MakeFrame(settings);
  Put(settings.songsLocation2, "123456.kar", Kar("Found"));
  Type("123456");
  EXPECT_EQ(screen.typedTitle, "NOT FOUND");
}

TEST_F(SongNumberTest, EnterAppendsWhileASongPlaysAndCtrlF10PutsFirst) {
  AddRows(5);
  PlaySomething();
  Type("000002");
  Enter();
  Type("000003");
  Enter();
  Type("000004");
  frame->OnCommand(32799);  // Ctrl+F10
  EXPECT_EQ(reserved.Titles(), QStringList({"000004 - s3", "000002 - s1", "000003 - s2"}));
  EXPECT_EQ(screen.chosen, QStringList({"000002", "000003"}));  // Ctrl+F10 shows nothing
  EXPECT_EQ(screen.reservedCount, 3);
  EXPECT_EQ(screen.reservedNumbers, "  000004  000002  000003");
  EXPECT_EQ(screen.nextSongTitle, " s3");

  // Ctrl+F10 with nothing typed does nothing; Enter on "NOT FOUND" only clears.
  frame->OnCommand(32799);
  Type("000099");
  EXPECT_EQ(screen.typedTitle, "NOT FOUND");
  Enter();
  EXPECT_EQ(reserved.rows.size(), 3u);
  EXPECT_EQ(screen.typedNumber, "000000");

  // The summary names the first six reserved songs; the count is the whole list's.
  for (int number = 10; number < 15; ++number)
    frame->ReserveNumberedSong(Song("more" + std::to_string(number) + ".kar"), number, false);
  EXPECT_EQ(screen.reservedCount, 8);
  EXPECT_EQ(screen.reservedNumbers, "  000004  000002  000003  000010  000011  000012");
  EXPECT_EQ(screen.nextSongTitle, " s3");
}

TEST_F(SongNumberTest, TheCountdownTakesTheNumberOnceItHasRunOut) {
  AddRows(2);
  PlaySomething();
  Type("000002");
  // 200 after the key: 199 ticks bring it to 1, the next one takes the number.
  for (int tick = 0; tick < 199; ++tick)
    frame->OnTimer(kNumberEntryTimer);
  EXPECT_TRUE(reserved.rows.empty());
  EXPECT_EQ(frame->numberEntryCountdown(), 1);
  frame->OnTimer(kNumberEntryTimer);
  EXPECT_EQ(reserved.Titles(), QStringList({"000002 - s1"}));
  EXPECT_EQ(frame->numberEntryCountdown(), 0);
  for (int tick = 0; tick < 300; ++tick)
    frame->OnTimer(kNumberEntryTimer);
  EXPECT_EQ(reserved.rows.size(), 1u);  // it rests at 0 until the next key
}

TEST_F(SongNumberTest, EscapeClearsTheNumberThenTwiceRemovesTheLastReservedSong) {
  AddRows(4);
  PlaySomething();
  for (const char* digits : {"000001", "000002", "000003"}) {
    Type(digits);
    Enter();
  }
  Type("000004");
  frame->OnEscapeKey();
  EXPECT_EQ(screen.typedNumber, "000000");
  EXPECT_EQ(frame->lastSongNumber(), 0);
  EXPECT_EQ(reserved.rows.size(), 3u);
  frame->OnEscapeKey();
  frame->OnEscapeKey();
  EXPECT_EQ(reserved.Titles(), QStringList({"000001 - s0", "000002 - s1"}));
  frame->OnEscapeKey();
  frame->OnEscapeKey();
  frame->OnEscapeKey();
  frame->OnEscapeKey();
  EXPECT_TRUE(reserved.rows.empty());
  EXPECT_EQ(screen.nextSongTitle, "");

  // With an empty list the count keeps growing: the next Escape after a song is reserved
  // removes it at once.
  frame->OnEscapeKey();
  Type("000001");
  Enter();
  EXPECT_EQ(reserved.rows.size(), 1u);
  frame->OnEscapeKey();
  EXPECT_EQ(reserved.rows.size(), 1u);  // a typed key reset the count
  frame->OnEscapeKey();
  EXPECT_TRUE(reserved.rows.empty());
}

TEST_F(SongNumberTest, TheNextReservedSongTakesItsTitleFromItsRow) {
  AddRows(3);
  PlaySomething();
  frame->ReserveTitledSong(Song("dvd.kar", Kar("")), "DVD Title", false);
  Type("000003");
  Enter();
  frame->ReserveSong(Song("plain.kar", Kar("")), false);
  ASSERT_EQ(reserved.Titles(), QStringList({"dvd - DVD Title", "000003 - s2", "plain"}));
  EXPECT_EQ(screen.nextSongTitle, "");  // "dvd - ..." has no number before its hyphen
  EXPECT_EQ(screen.reservedNumbers, "  000003");

  frame->PlayNextSong();  // the first row: its text has no number, so no title of its own
  EXPECT_TRUE(frame->currentSongPath().endsWith("dvd.kar"));
  EXPECT_EQ(screen.songTitle, "dvd");
  frame->PlayNextSong();
  EXPECT_TRUE(frame->currentSongPath().endsWith("s2.kar"));
  EXPECT_EQ(screen.songTitle, " s2");
  frame->PlayNextSong();
  EXPECT_EQ(screen.songTitle, "plain");
  EXPECT_TRUE(reserved.rows.empty());
}

TEST_F(SongNumberTest, DvdSongsAreLookedUpExtractedAndReservedInTheReadingTheFileNeeds) {
  // 500002 is song 1 of the 8-bit band. The data file's blocks are stored plain or scrambled;
  // hand-made blocks that read as text neither way are played without lyrics like scrambled
  // ones.
  const std::vector<uint8_t> plain =
      dvd::LyricBlock({0x12, 0x34, 0x56, 0x78}, dvd::TitleUnits("Dvd Song"), {dvd::Char(u'a', 31)});
  std::vector<uint8_t> unreadable = {0x12, 0x34, 0x56, 0x78};
  unreadable.resize(64, 0);
  unreadable.insert(unreadable.end(), {'D', 0x01, 'v', 0x02, '\r', '\n', 0, 0});
  unreadable.resize(240, 0x1B);
  const struct {
    const char* what;
    std::vector<uint8_t> block;
    QString preview;
    QString row;
    int syllables;
  } cases[] = {
      {"plain", plain, "Dvd Song", "500002 - Dvd Song", 1},
      {"scrambled", dvd::Scrambled(plain), "File found, but no lyrics", "500002 - 500002", 0},
      {"unreadable either way", unreadable, "File found, but no lyrics", "500002 - 500002", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    dvd::Song song;
    song.songIndex = 1;
    song.lyricBlock = c.block;
    song.notes = {{0, 31, 0, 60, 90}};
    const QString dvdFolder = Folder("dvd");
    Put(dvdFolder, "hotdog00.dat", dvd::DataFile({song}));
    Settings settings;
    settings.custom1DvdLocation = dvdFolder;
    MakeFrame(settings);
    QDir(frame->tempFolder()).removeRecursively();
    QDir().mkpath(frame->tempFolder());
    frame->UpdateDvdDataFile();
    ASSERT_TRUE(frame->dvdDataFile().endsWith("hotdog00.dat"));
    screen.ClearTypedNumber();

    PlaySomething();
    Type("150000");  // a number without a DVD song
    EXPECT_EQ(screen.typedTitle, "NOT FOUND");
    Type("500002");
    EXPECT_EQ(screen.typedTitle, c.preview);
    EXPECT_EQ(frame->lastSongNumber(), 500002);
    Enter();
    const QString kar = frame->tempFolder() + "500002.kar";
    EXPECT_TRUE(QFile::exists(kar));
    EXPECT_EQ(reserved.Titles(), QStringList({c.row}));

    // Extracted before: Ctrl+F10 takes the file as it is, at the front, under its bare name.
    Type("500002");
    frame->OnCommand(32799);
    EXPECT_EQ(reserved.Titles(), QStringList({"500002", c.row}));

    // The song plays under the title of its row.
    reserved.rows.erase(reserved.rows.begin());
    frame->PlayNextSong();
    EXPECT_EQ(frame->currentSongPath(), kar);
    EXPECT_EQ(screen.songTitle, c.row.mid(8));
    EXPECT_EQ(frame->lyricStore().count, c.syllables);
    reserved.rows.clear();
  }
}

TEST_F(SongNumberTest, WithoutTheDvdFileAFolderlessNumberIsNotFound) {
  Type("500002");
  EXPECT_EQ(screen.typedTitle, "NOT FOUND");
  EXPECT_EQ(frame->lastSongNumber(), 0);
  frame->OnCommand(32799);  // Ctrl+F10 commits even so, and says why it cannot
  EXPECT_EQ(messages.shown, QStringList({"Can't find the proper files to use custom MIDI DVD."}));
}

TEST_F(SongNumberTest, ASongThatDoesNotStartIsSkippedForTheNextReservedOne) {
  AddRows(2);
  PlaySomething();
  Type("000001");
  Enter();
  Type("000002");
  Enter();
  ASSERT_EQ(reserved.rows.size(), 2u);
  audio->playWorks = false;  // the next song cannot start
  frame->PlayNextSong();
  EXPECT_FALSE(frame->isPlaying());
  audio->playWorks = true;
  QCoreApplication::processEvents();
  EXPECT_TRUE(frame->isPlaying());
  EXPECT_TRUE(frame->currentSongPath().endsWith("s1.kar"));
  EXPECT_TRUE(reserved.rows.empty());
}

}  // namespace
}  // namespace lyrovox

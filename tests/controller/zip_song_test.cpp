#include "controller/zip_song.h"

#include <gtest/gtest.h>

#include <QString>
#include <filesystem>
#include <memory>

#include "archive/zip_archive.h"
#include "common/cdg_builder.h"
#include "common/smf_builder.h"
#include "common/zip_builder.h"
#include "controller/main_frame.h"
#include "fakes.h"
#include "support/temp_dir.h"

namespace lyrovox {
namespace {

namespace fs = std::filesystem;
using testing::FakeAudioPlayer;
using testing::FakePanel;
using testing::FakeScreen;
using testing::FakeVideoPlayer;
using ziptest::Entry;

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

std::string Kar() {
  smf::File f(1, 480);
  f.AddTrack().Text(0, "@TZipped").Text(480, "\\la");
  return f.Encode();
}

class ZipSongTest : public ::testing::Test {
 protected:
  ZipSongTest() { frame = MakeFrame(Settings{}); }

  std::unique_ptr<CMainFrame> MakeFrame(const Settings& settings) {
    CMainFrame::Parts parts;
    parts.screen = &screen;
    parts.videoPlayer = &video;
    parts.makeAudioPlayer = [this]() -> std::unique_ptr<IAudioPlayer> {
      auto p = std::make_unique<FakeAudioPlayer>();
      audio = p.get();
      return p;
    };
    parts.tempFolder = Q(temp.path() + "/");
    frame.reset();  // it holds the store
    store = std::make_unique<SettingsStore>(QString());
    store->values() = settings;
    auto made = std::make_unique<CMainFrame>(std::move(parts), *store);
    CMainFrame::Windows windows;
    windows.panel = &panel;
    made->Attach(windows);
    made->setDefaultBackgroundVideo("/opt/lyrovox/video.mpg");
    return made;
  }

  QString Archive(const std::vector<Entry>& entries) {
    const std::string path = songs.File("song.zip");
    EXPECT_TRUE(ziptest::WriteZip(path, entries));
    return Q(path);
  }

  testing::TempDir songs;
  testing::TempDir temp;
  FakeScreen screen;
  FakePanel panel;
  FakeVideoPlayer video;
  FakeAudioPlayer* audio = nullptr;
  std::unique_ptr<SettingsStore> store;
  std::unique_ptr<CMainFrame> frame;  // made last: it holds the fakes above
};

TEST_F(ZipSongTest, AnMp3WithItsCdgSideFilePlaysWithCdgGraphics) {
  const QString zip = Archive({Entry("a.mp3", "music"), Entry("a.cdg", cdg::MemoryPreset(1))});
  EXPECT_TRUE(frame->PlaySong(zip));
  EXPECT_EQ(frame->playerKind(), kPlayerKindAudio);
  ASSERT_NE(audio, nullptr);
  EXPECT_EQ(audio->fileName, Q(temp.File("a.mp3")));
  EXPECT_EQ(frame->currentSongPath(), Q(temp.File("a.mp3")));
  EXPECT_EQ(frame->lyricMode(), kLyricModeCdg);
  EXPECT_EQ(screen.cdgFile, Q(temp.File("a.cdg")));
  EXPECT_TRUE(fs::exists(temp.File("a.cdg")));
}

TEST_F(ZipSongTest, TheSecondEntryWinsAndLaterEntriesAreNotLookedAt) {
  const QString zip =
      Archive({Entry("x.kar", Kar()), Entry("y.mp3", "music"), Entry("z.kar", Kar())});
  EXPECT_EQ(frame->PlayZipSong(zip), 3);
  EXPECT_EQ(audio->fileName, Q(temp.File("y.mp3")));
  EXPECT_TRUE(fs::exists(temp.File("x.kar")));
  EXPECT_FALSE(fs::exists(temp.File("z.kar")));
}

TEST_F(ZipSongTest, AKarSongInAFolderOfTheArchiveReadsItsLyrics) {
  Entry song("songs/Hello.KAR", Kar());
  song.password = kSongArchivePassword;
  const QString zip = Archive({Entry("readme.txt", "hi"), song});
  EXPECT_EQ(frame->PlayZipSong(zip), 2);
  EXPECT_EQ(audio->fileName, Q(temp.File("songs/Hello.KAR")));
  EXPECT_EQ(frame->lyricMode(), kLyricModeText);
  EXPECT_EQ(frame->lyricStore().count, 1);
  EXPECT_EQ(screen.songTitle, "Zipped");
}

TEST_F(ZipSongTest, ArchivesWithoutASongPlayNothingAndChangeNothing) {
  EXPECT_EQ(frame->PlayZipSong(Archive({Entry("a.txt", "x"), Entry("b.cdg", "")})), 2);
  EXPECT_EQ(audio, nullptr);
  EXPECT_EQ(frame->playerKind(), kPlayerKindNone);
  EXPECT_EQ(frame->PlayZipSong(Q(songs.Write("broken.zip", "not a zip"))), 0);
  EXPECT_EQ(frame->PlayZipSong(Q(songs.File("missing.zip"))), 0);
  EXPECT_EQ(frame->playerKind(), kPlayerKindNone);
}

TEST_F(ZipSongTest, ClimbingNamesAreExtractedAndPlayedInsideTheTemporaryFolder) {
  const QString zip = Archive({Entry("../../../evil.mp3", "music")});
  frame->PlayZipSong(zip);
  EXPECT_EQ(audio->fileName, Q(temp.File("evil.mp3")));
  EXPECT_TRUE(fs::exists(temp.File("evil.mp3")));
}

TEST_F(ZipSongTest, AZipSongAfterAVideoSongBringsBackTheBackground) {
  Settings settings;
  settings.useOriginalVideo = 1;
  CMainFrame& withVideo = *(frame = MakeFrame(settings));
  withVideo.PlaySong(Q(songs.Write("clip.mpg", "v")));
  EXPECT_EQ(withVideo.playerKind(), kPlayerKindVideo);
  withVideo.PlaySong(Archive({Entry("a.mp3", "music")}));
  EXPECT_EQ(withVideo.playerKind(), kPlayerKindAudio);
  EXPECT_EQ(video.fileName, "/opt/lyrovox/video.mpg");
}

TEST(ExtractZipSong, ReturnsTheCountAndTheChosenSong) {
  testing::TempDir dir;
  ASSERT_TRUE(ziptest::WriteZip(dir.File("s.zip"), {Entry("A.Mp3", "m")}));
  const ZipSong song = ExtractZipSong(Q(dir.File("s.zip")), Q(dir.File("out") + "/"));
  EXPECT_EQ(song.entryCount, 1);
  EXPECT_EQ(song.songFile, Q(dir.File("out/A.Mp3")));
}

}  // namespace
}  // namespace lyrovox

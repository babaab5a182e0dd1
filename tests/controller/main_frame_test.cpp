#include "controller/main_frame.h"

#include <gtest/gtest.h>

#include <QString>
#include <memory>

#include "common/smf_builder.h"
#include "controller/song_paths.h"
#include "frame_rig.h"
#include "lyrics/text_buffer.h"
#include "support/temp_dir.h"

namespace lyrovox {
namespace {

using testing::FakeAudioPlayer;
using testing::FakePanel;
using testing::FakeScreen;
using testing::FakeVideoPlayer;

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

std::string KarBytes(const std::string& title) {
  smf::File f(1, 480);
  auto& t = f.AddTrack();
  if (!title.empty()) t.Text(0, "@T" + title).Text(0, "@TThe Singer");
  t.Text(480, "\\Hel").Text(960, "lo ").Text(1440, "/world");
  return f.Encode();
}

class MainFrameTest : public testing::FrameRig {
 protected:
  MainFrameTest() { Make(Settings{}); }
  void Make(const Settings& settings) { MakeFrame(settings); }
};

TEST_F(MainFrameTest, AKarSongPlaysInTheAudioPlayerWithItsLyricsAndHeading) {
  const QString song = Song("songs/hello.kar", KarBytes("Hello Song"));
  EXPECT_TRUE(frame->PlaySong(song));

  EXPECT_EQ(frame->playerKind(), kPlayerKindAudio);
  EXPECT_TRUE(frame->isPlaying());
  EXPECT_EQ(frame->lyricMode(), kLyricModeText);
  EXPECT_EQ(screen.lyricMode, kLyricModeText);
  EXPECT_FALSE(screen.lineTimed);
  EXPECT_EQ(frame->lyricStore().count, 3);
  EXPECT_EQ(frame->lyricStore().syllables[1].timeMs, 1000);
  EXPECT_EQ(screen.songTitle, "Hello Song");
  EXPECT_EQ(screen.songArtist, "The Singer");
  EXPECT_EQ(screen.playState, kPlayStateLoaded);
  EXPECT_EQ(screen.typedNumberClears, 1);
  EXPECT_EQ(panel.songTitle, "Hello Song");
  EXPECT_EQ(panel.seekable, 0);
  EXPECT_EQ(frame->currentSongPath(), song);
  EXPECT_EQ(frame->currentSongTitle(), "Hello Song");

  ASSERT_NE(audio, nullptr);
  EXPECT_EQ(audio->fileName, song);
  EXPECT_EQ(audio->calls, QStringList({"graph", "open", "pause", "play"}));
  EXPECT_EQ(audio->eventReceiver, frame.get());
  EXPECT_EQ(audio->state, 3);
  EXPECT_EQ(panel.volume, 100);
  EXPECT_EQ(audio->volume, 0);
}

TEST_F(MainFrameTest, TheAudioPlayerIsMadeOnceAndEachSongClosesTheLastOne) {
  frame->PlaySong(Song("a.kar", KarBytes("A")));
  frame->PlaySong(Song("b.kar", KarBytes("B")));
  EXPECT_EQ(audioPlayersMade, 1);
  EXPECT_EQ(audio->calls, QStringList({"graph", "open", "pause", "play", "stop", "close", "graph",
                                       "open", "pause", "play"}));
  EXPECT_EQ(screen.songTitle, "B");
}

TEST_F(MainFrameTest, TheTitleFallsBackToThePendingTitleThenToTheFileName) {
  frame->PlaySong(Song("My Song.kar", KarBytes("")));
  EXPECT_EQ(screen.songTitle, "My Song");

  frame->setPendingTitle(" My Song");  // as taken from a row "000012 - My Song"
  frame->PlaySong(Song("x.kar", KarBytes("")));
  EXPECT_EQ(screen.songTitle, " My Song");
  EXPECT_TRUE(frame->pendingTitle().isEmpty());

  frame->setPendingTitle("ab");  // two characters are not a title
  frame->PlaySong(Song("y.kar", KarBytes("")));
  EXPECT_EQ(screen.songTitle, "y");

  // A song with its own title still uses up the pending one, so that it cannot label a later
  // song.
  frame->setPendingTitle(" Other");
  frame->PlaySong(Song("z.kar", KarBytes("Own")));
  EXPECT_EQ(screen.songTitle, "Own");
  frame->PlaySong(Song("w.kar", KarBytes("")));
  EXPECT_EQ(screen.songTitle, "w");
}

TEST_F(MainFrameTest, KarAnywhereInThePathMeansMidiKaraokeLyrics) {
  frame->PlaySong(Song("Song.kar.mp3", KarBytes("Inside")));
  EXPECT_EQ(frame->lyricMode(), kLyricModeText);
  EXPECT_EQ(screen.songTitle, "Inside");
  EXPECT_EQ(audio->fileName, Q(dir.File("Song.kar.mp3")));
}

TEST_F(MainFrameTest, AnExistingXmlFileDecidesEvenWhenItYieldsNothing) {
  const QString song = Song("Song.mp3");
  dir.Write("Song.xml", "<notdata/>");
  dir.Write("Song.lrc", "[00:01.00]never read\n");
  dir.Write("Song.cdg", "");
  frame->PlaySong(song);
  EXPECT_EQ(frame->lyricMode(), kLyricModeNone);
  EXPECT_EQ(screen.lyricMode, kLyricModeNone);
  EXPECT_TRUE(screen.cdgFile.isEmpty());
  EXPECT_EQ(frame->lyricStore().count, 0);
  EXPECT_EQ(screen.songTitle, "Song");
}

TEST_F(MainFrameTest, ACdgSideFileOfAnyCaseSelectsGraphics) {
  const QString song = Song("Song.mp3");
  const std::string cdg = dir.Write("SONG.CDG", std::string(24 * 4, '\0'));
  frame->PlaySong(song);
  EXPECT_EQ(frame->lyricMode(), kLyricModeCdg);
  EXPECT_EQ(screen.lyricMode, kLyricModeCdg);
  EXPECT_EQ(screen.cdgFile, Q(cdg));
}

TEST_F(MainFrameTest, WithoutSideFilesTheSongPlaysWithoutLyrics) {
  frame->PlaySong(Song("Plain.wma"));
  EXPECT_EQ(frame->lyricMode(), kLyricModeNone);
  EXPECT_EQ(screen.songTitle, "Plain");
  EXPECT_EQ(screen.playState, kPlayStateLoaded);
  EXPECT_EQ(audio->state, 3);
}

TEST_F(MainFrameTest, AVideoSongReplacesTheBackgroundAndAnAudioSongBringsItBack) {
  const QString clip = Song("clip.MPG");
  frame->PlaySong(clip);
  EXPECT_EQ(frame->playerKind(), kPlayerKindVideo);
  EXPECT_TRUE(frame->isPlaying());
  EXPECT_EQ(video.fileName, clip);
  EXPECT_FALSE(video.videoOnly);
  EXPECT_EQ(video.sourceKind, 0);
  EXPECT_EQ(panel.seekable, 1);
  EXPECT_EQ(video.calls, QStringList({"graph", "open", "pause", "play"}));
  EXPECT_TRUE(frame->timersRunning());
  EXPECT_EQ(screen.songTitle, "clip");
  EXPECT_EQ(audioPlayersMade, 0);

  video.calls.clear();
  frame->PlaySong(Song("next.kar", KarBytes("Next")));
  EXPECT_EQ(frame->playerKind(), kPlayerKindAudio);
  EXPECT_EQ(video.fileName, "/opt/lyrovox/video.mpg");
  EXPECT_TRUE(video.videoOnly);
  EXPECT_EQ(video.calls, QStringList({"stop", "destroy", "graph", "open", "pause", "play"}));
  EXPECT_EQ(audio->state, 3);
}

TEST_F(MainFrameTest, AVideoSongAfterAnAudioSongClosesTheAudioSong) {
  frame->PlaySong(Song("a.kar", KarBytes("A")));
  frame->PlaySong(Song("b.avi"));
  EXPECT_EQ(frame->playerKind(), kPlayerKindVideo);
  EXPECT_EQ(audio->state, 0);
  EXPECT_TRUE(audio->calls.endsWith("close"));
}

TEST_F(MainFrameTest, VideoFilesPlayAsAudioWhenOriginalVideosAreOff) {
  Settings settings;
  settings.useOriginalVideo = 0;
  Make(settings);
  const QString clip = Song("clip.mp4");
  frame->PlaySong(clip);
  EXPECT_EQ(frame->playerKind(), kPlayerKindAudio);
  ASSERT_NE(audio, nullptr);
  EXPECT_EQ(audio->fileName, clip);
  EXPECT_TRUE(video.fileName.isEmpty());
}

TEST_F(MainFrameTest, TheFolderChoosesTheLanguageUnlessTheSettingForcesOne) {
  frame->PlaySong(Song("Korean/a.kar", KarBytes("A")));
  EXPECT_EQ(frame->lyricStore().language, 14);
  EXPECT_EQ(frame->lyricStore().codePage, 949);
  EXPECT_EQ(screen.fontLanguage, 14);
  // TCVN keeps the code page of the song before.
  frame->PlaySong(Song("Vietnamese/abc.mp3"));
  EXPECT_EQ(frame->lyricStore().language, 4);
  EXPECT_EQ(frame->lyricStore().codePage, 949);
  frame->PlaySong(Song("other/b.kar", KarBytes("B")));
  EXPECT_EQ(frame->lyricStore().language, 0);
  EXPECT_EQ(frame->lyricStore().codePage, 0);

  Settings settings;
  settings.codePage = 8;
  Make(settings);
  frame->PlaySong(Song("Korean/c.kar", KarBytes("C")));
  EXPECT_EQ(frame->lyricStore().language, 8);
  EXPECT_EQ(frame->lyricStore().codePage, 1251);

  Make(Settings{});
  frame->setLastSongNumber(300001);  // a DVD song
  frame->PlaySong(Song("Chinese/d.kar", KarBytes("D")));
  EXPECT_EQ(frame->lyricStore().language, 0);
}

TEST_F(MainFrameTest, ASongThatDoesNotStartKeepsItsTitleButIsNotPlaying) {
  frame->PlaySong(Song("a.kar", KarBytes("A")));
  audio->openWorks = false;
  frame->PlaySong(Song("broken.kar", KarBytes("Broken")));
  EXPECT_FALSE(frame->isPlaying());
  EXPECT_EQ(screen.songTitle, "Broken");
  EXPECT_EQ(screen.playState, kPlayStateLoaded);

  audio->openWorks = true;
  audio->playWorks = false;
  audio->calls.clear();
  frame->PlaySong(Song("c.kar", KarBytes("C")));
  EXPECT_FALSE(frame->isPlaying());
  EXPECT_EQ(audio->calls, QStringList({"graph", "open", "pause", "play", "destroy"}));
}

TEST_F(MainFrameTest, ASongThatCannotBePlayedSaysWhy) {
  // The reasons the players give, and the ones the files themselves give.
  frame->PlaySong(Song("a.kar", KarBytes("A")));  // the audio player is made
  screen.notices.clear();
  audio->playWorks = false;
  audio->failureReason = "damaged";
  frame->setPendingTitle(" Shown Title");
  frame->PlaySong(Song("bad.kar", KarBytes("")));
  frame->PlaySong(Song("empty.mp3", ""));
  frame->PlaySong(QString::fromStdString(dir.path()) + "/gone.mp3");
  frame->PlaySong(Song("nothing.zip", "not an archive"));
  EXPECT_EQ(screen.notices, QStringList({"4000 Can't play Shown Title: damaged",
                                         "4000 Can't play empty: not a song file",
                                         "4000 Can't play gone: file not found",
                                         "4000 Can't play nothing: not a song file"}));
  EXPECT_EQ(panel.notices, screen.notices);
  EXPECT_EQ(panel.songTitle, "Please select a song");
}

TEST_F(MainFrameTest, WithoutAnAudioPlayerTheLyricsAreStillRead) {
  audioWorks = false;
  Make(Settings{});
  frame->PlaySong(Song("a.kar", KarBytes("A")));
  EXPECT_EQ(screen.songTitle, "A");
  EXPECT_FALSE(frame->isPlaying());
}

TEST_F(MainFrameTest, CloseAudioSongStopsThePlayerAndIdlesTheScreen) {
  frame->PlaySong(Song("a.kar", KarBytes("A")));
  frame->CloseAudioSong();
  EXPECT_FALSE(frame->isPlaying());
  EXPECT_EQ(screen.playState, kPlayStateIdle);
  EXPECT_TRUE(screen.songTitle.isEmpty());
  EXPECT_EQ(audio->state, 0);
  EXPECT_TRUE(audio->calls.endsWith("close"));
}

TEST_F(MainFrameTest, TheChannelSettingReachesThePlayersAndThePanel) {
  Settings settings;
  settings.audioChannel = 3;
  Make(settings);
  frame->PlaySong(Song("a.kar", KarBytes("A")));
  EXPECT_EQ(audio->channel, 3);
  EXPECT_EQ(video.channel, 3);
  EXPECT_EQ(panel.channel, 3);
}

TEST(VolumeLevel, MapsPercentToHundredthsOfADecibel) {
  EXPECT_EQ(VolumeLevel(100), 0);
  EXPECT_EQ(VolumeLevel(50), -625);
  EXPECT_EQ(VolumeLevel(0), -10000);
  EXPECT_EQ(VolumeLevel(90), -1);
  // -(1 - p/100)^4 x 10000 cut toward zero, where rounding would give another value:
  // 1 % is -9605.9601, 7 % -7480.5201, 91 % -0.6561.
  EXPECT_EQ(VolumeLevel(1), -9605);
  EXPECT_EQ(VolumeLevel(7), -7480);
  EXPECT_EQ(VolumeLevel(91), 0);
}

}  // namespace
}  // namespace lyrovox

// The main loop: what each tick of the two 30 ms timers does, and in which order, with the video
// graph's surfaces and the lyric feed.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <memory>

#include "common/smf_builder.h"
#include "controller/commands.h"
#include "controller/main_frame.h"
#include "frame_rig.h"
#include "support/temp_dir.h"

namespace lyrovox {
namespace {

using testing::FakeAudioPlayer;
using testing::FakeMessages;
using testing::FakePanel;
using testing::FakePlayer;
using testing::FakeScreen;
using testing::FakeSurfaces;
using testing::FakeVideoPlayer;
using testing::FakeVideoWindow;

// Three syllables at 500, 1000 and 1500 ms: "Hel" starts a paragraph, "lo " goes on, "world"
// starts the second line.
std::string KarBytes(const std::string& title) {
  smf::File f(1, 480);
  f.AddTrack().Text(0, "@T" + title).Text(480, "\\Hel").Text(960, "lo ").Text(1440, "/world");
  return f.Encode();
}

class MainLoopTest : public testing::FrameRig {
 protected:
  MainLoopTest() { Make(Settings{}); }
  void Make(const Settings& settings) { MakeFrame(settings, true); }

  // The background runs and an audio song plays over it, at the given position.
  void PlayAudioSong(const std::string& name = "song.kar",
                     const std::string& bytes = KarBytes("Song")) {
    frame->StartBackgroundVideo();
    frame->PlaySong(Song(name, bytes));
    ASSERT_NE(audio, nullptr);
    ASSERT_EQ(audio->state, 3);
  }

  // One lyric tick at the playing player's position.
  void TickAt(FakePlayer<IAudioPlayer>& player, uint32_t ms) {
    player.position = ms;
    frame->OnTimer(kLyricTimer);
  }
  void TickAt(FakePlayer<IVideoPlayer>& player, uint32_t ms) {
    player.position = ms;
    frame->OnTimer(kLyricTimer);
  }
};

TEST_F(MainLoopTest, TheNumberEntryTimerCountsDownThenPresents) {
  frame->StartBackgroundVideo();
  calls.clear();
  frame->setNumberEntryCountdown(2);
  frame->OnTimer(kNumberEntryTimer);
  EXPECT_EQ(frame->numberEntryCountdown(), 1);
  frame->OnTimer(kNumberEntryTimer);
  frame->OnTimer(kNumberEntryTimer);
  EXPECT_EQ(frame->numberEntryCountdown(), 0);
  EXPECT_EQ(calls, QStringList({"present", "present", "present"}));
}

TEST_F(MainLoopTest, TheLyricTickCopiesTimesFeedsJudgesTheBannerAndComposesInThatOrder) {
  PlayAudioSong();
  audio->duration = 60000;
  calls.clear();
  TickAt(*audio, 501);
  EXPECT_EQ(calls, QStringList({"position 501", "duration 60000", "state 2", "line Hello ",
                                "sing Hel", "line ", "line world", "banner 0", "compose"}));
  EXPECT_EQ(panel.position, 501);
  EXPECT_EQ(panel.duration, 60000);
  // Presenting is the other timer's work.
  EXPECT_EQ(surfaces.presents, 1);  // the background's start; none since
}

TEST_F(MainLoopTest, TheBannerIsUpOnlyStrictlyBetween30And20SecondsFromTheEnd) {
  PlayAudioSong();
  audio->duration = 100000;
  const std::pair<uint32_t, bool> cases[] = {{69999, false}, {70000, false}, {70001, true},
                                             {75000, true},  {79999, true},  {80000, false},
                                             {90000, false}};
  for (const auto& [position, on] : cases) {
    TickAt(*audio, position);
    EXPECT_EQ(screen.banner, on) << position;
  }
  // Without a control panel the banner is left as it is.
  CMainFrame::Parts parts;
  parts.screen = &screen;
  SettingsStore defaults{QString()};
  CMainFrame bare(std::move(parts), defaults);
  screen.banner = true;
  bare.OnTimer(kLyricTimer);
  EXPECT_TRUE(screen.banner);
}

TEST_F(MainLoopTest, TheFeedTakesOneSyllablePerTickOnTheAudioClock) {
  PlayAudioSong();
  TickAt(*audio, 0);  // 1.5 s ahead of the first syllable: the first line goes up
  EXPECT_EQ(screen.upperLine, "Hello ");
  EXPECT_EQ(frame->syllableCursor(), 0);
  TickAt(*audio, 2000);  // all three are due, one is taken per tick
  EXPECT_EQ(frame->syllableCursor(), 1);
  EXPECT_EQ(screen.sungText, "Hel");
  TickAt(*audio, 2030);
  EXPECT_EQ(screen.sungText, "Hello ");
  TickAt(*audio, 2060);
  EXPECT_EQ(screen.sungText, "world");
  EXPECT_EQ(frame->syllableCursor(), 3);
}

TEST_F(MainLoopTest, EverySongStartsTheFeedAgain) {
  PlayAudioSong("first.kar", KarBytes("First"));
  TickAt(*audio, 2000);
  TickAt(*audio, 2030);
  ASSERT_EQ(frame->syllableCursor(), 2);

  frame->PlaySong(Song("second.kar", KarBytes("Second")));
  EXPECT_EQ(frame->syllableCursor(), 0);
  EXPECT_FALSE(frame->lyricFeed().nextLinePending());
  screen.upperLine.clear();
  TickAt(*audio, 0);
  EXPECT_EQ(screen.upperLine, "Hello ");  // the second song's first line, from its start
}

TEST_F(MainLoopTest, AStoppedSongDoesNotPutItsLyricsBackOnTheIdleScreen) {
  PlayAudioSong();
  frame->StopSong();
  ASSERT_EQ(screen.playState, kPlayStateIdle);
  calls.clear();
  frame->OnTimer(kLyricTimer);
  frame->OnTimer(kLyricTimer);
  EXPECT_EQ(screen.playState, kPlayStateIdle);
  EXPECT_TRUE(screen.upperLine.isEmpty());
  // The panel's times return to 0 and a frame is still composed.
  EXPECT_EQ(calls.mid(0, 4), QStringList({"position 0", "duration 0", "banner 0", "compose"}));
}

TEST_F(MainLoopTest, ACdgSongGetsItsPositionInHundredthsOfASecond) {
  dir.Write("pic.cdg", std::string(24 * 300, '\0'));
  PlayAudioSong("pic.mp3", "x");
  ASSERT_EQ(frame->lyricMode(), kLyricModeCdg);
  TickAt(*audio, 12345);
  TickAt(*audio, 9);
  EXPECT_EQ(screen.cdgPositions, std::vector<int32_t>({1234, 0}));
}

TEST_F(MainLoopTest, AVideoSongWithACdgFileGetsNoCdgPicture) {
  dir.Write("clip.cdg", std::string(24 * 300, '\0'));
  frame->StartBackgroundVideo();
  frame->PlaySong(Song("clip.mpg", "x"));
  ASSERT_EQ(frame->playerKind(), kPlayerKindVideo);
  ASSERT_EQ(frame->lyricMode(), kLyricModeCdg);
  TickAt(video, 5000);
  EXPECT_TRUE(screen.cdgPositions.empty());
}

TEST_F(MainLoopTest, AVideoSongWithoutTextLyricsClearsTheTitleAfterSixSeconds) {
  frame->StartBackgroundVideo();
  frame->PlaySong(Song("clip.mpg", "x"));
  video.duration = 200000;
  ASSERT_EQ(screen.songTitle, "clip");
  calls.clear();
  TickAt(video, 6000);
  EXPECT_EQ(calls, QStringList({"position 6000", "duration 200000", "banner 0", "compose"}));
  EXPECT_EQ(screen.songTitle, "clip");
  calls.clear();
  TickAt(video, 6001);
  EXPECT_EQ(calls, QStringList({"position 6001", "duration 200000", "reset", "state 2", "banner 0",
                                "compose"}));
  EXPECT_TRUE(screen.songTitle.isEmpty());
}

TEST_F(MainLoopTest, AVideoSongWithTextLyricsIsFedOnTheVideoClock) {
  // ".KAR" anywhere in the path makes the MIDI reader read the lyrics; the video plays the file.
  frame->StartBackgroundVideo();
  frame->PlaySong(Song("clip.kar.mpg", KarBytes("Clip")));
  ASSERT_EQ(frame->playerKind(), kPlayerKindVideo);
  ASSERT_EQ(frame->lyricMode(), kLyricModeText);
  TickAt(video, 501);
  EXPECT_EQ(screen.sungText, "Hel");
  EXPECT_EQ(screen.playState, kPlayStateSinging);
}

TEST_F(MainLoopTest, StartingTheVideoMakesTheSurfacesSizesTheScreenAndPresentsBeforePlaying) {
  window.rect = QRect(10, 20, 640, 360);
  surfaces.size = QSize(2560, 1440);
  frame->StartBackgroundVideo();
  EXPECT_EQ(calls, QStringList({"create", "video shown 1", "present", "play"}));
  EXPECT_EQ(screen.screenSize, QSize(2560, 1440));
  EXPECT_EQ(screen.targetRect, QRect(10, 20, 640, 360));
  EXPECT_TRUE(frame->timersRunning());

  // Stopping: no video shows any more, and that is presented once.
  calls.clear();
  frame->StopVideoPlayback();
  EXPECT_EQ(calls, QStringList({"video shown 0", "present"}));
  EXPECT_FALSE(frame->timersRunning());
  EXPECT_EQ(video.state, 0);
}

TEST_F(MainLoopTest, SurfacesThatCannotBeMadeStopPlaybackWithAnErrorBox) {
  surfaces.createWorks = false;
  frame->StartBackgroundVideo();
  EXPECT_EQ(messages.errors, QStringList({"CreateSurface(BackBuffer) failed"}));
  EXPECT_FALSE(frame->timersRunning());
  EXPECT_EQ(video.calls, QStringList({"graph", "destroy"}));
  EXPECT_EQ(surfaces.presents, 0);
}

TEST_F(MainLoopTest, EachPresentFollowsTheLyricTickOfTheSamePeriod) {
  PlayAudioSong();
  calls.clear();
  QElapsedTimer clock;
  clock.start();
  while (calls.size() < 40 && clock.elapsed() < 5000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  frame->StopVideoPlayback();
  QStringList order;
  for (const QString& call : calls) {
    if (call == "compose" || call == "present") order << call;
  }
  ASSERT_GE(order.size(), 10);
  for (qsizetype i = 0; i + 1 < order.size(); i += 2) {
    EXPECT_EQ(order[i], "compose") << i;
    EXPECT_EQ(order[i + 1], "present") << i;
  }
}

TEST_F(MainLoopTest, ThePlayerKindIsMirroredOnTheScreen) {
  PlayAudioSong();
  EXPECT_EQ(screen.playerKind, kPlayerKindAudio);
  frame->PlaySong(Song("clip.mpg", "x"));
  EXPECT_EQ(screen.playerKind, kPlayerKindVideo);
  frame->StopSong();
  EXPECT_EQ(screen.playerKind, kPlayerKindAudio);
}

TEST_F(MainLoopTest, TheEndOfASongIsSignalled) {
  int ended = 0;
  QObject::connect(frame.get(), &CMainFrame::SongEnded, [&ended] { ++ended; });
  PlayAudioSong();
  audio->events = {1};
  QCoreApplication::postEvent(frame.get(), new QEvent(static_cast<QEvent::Type>(kAudioGraphEvent)));
  QCoreApplication::processEvents();
  EXPECT_EQ(ended, 1);
  EXPECT_FALSE(frame->isPlaying());

  // The background's end only loops it.
  video.events = {1};
  frame->OnVideoGraphEvent();
  EXPECT_EQ(ended, 1);
  frame->PlaySong(Song("clip.mpg", "x"));
  video.events = {1};
  frame->OnVideoGraphEvent();
  EXPECT_EQ(ended, 2);
  EXPECT_EQ(frame->playerKind(), kPlayerKindAudio);
}

TEST_F(MainLoopTest, CommandsReachTheirOperations) {
  PlayAudioSong();
  EXPECT_TRUE(frame->OnCommand(kCommandVolumeDown));
  EXPECT_EQ(frame->volume(), 99);
  EXPECT_TRUE(frame->OnCommand(kCommandVolumeUp));
  EXPECT_EQ(frame->volume(), 100);
  EXPECT_TRUE(frame->OnCommand(kCommandSpeedUp));
  EXPECT_DOUBLE_EQ(panel.rate, 1.05);
  EXPECT_TRUE(frame->OnCommand(kCommandSlowDown));
  EXPECT_DOUBLE_EQ(panel.rate, 1.0);
  EXPECT_TRUE(frame->OnCommand(kCommandCycleAudio));
  EXPECT_EQ(screen.messages.last(), "Left Audio Channel");
  EXPECT_TRUE(frame->OnCommand(kCommandStopSong));
  EXPECT_FALSE(frame->isPlaying());
  EXPECT_TRUE(frame->OnCommand(kCommandReplaySong));
  EXPECT_TRUE(frame->isPlaying());
  EXPECT_TRUE(frame->OnCommand(kCommandPlayPreviousSong));
  EXPECT_TRUE(frame->isPlaying());  // the reserved list has no history: the song again
  EXPECT_TRUE(frame->OnCommand(kCommandPlayNextSong));
  EXPECT_FALSE(frame->isPlaying());  // nothing reserved
  EXPECT_FALSE(frame->OnCommand(kCommandNone));
  EXPECT_FALSE(frame->OnCommand(0));
}

TEST_F(MainLoopTest, ReplayStartsTheSongAgainUnderTheTitleItWasShownWith) {
  frame->StartBackgroundVideo();
  frame->setPendingTitle(" My Song");
  frame->PlaySong(Song("untitled.mp3", "x"));
  ASSERT_EQ(frame->currentSongTitle(), " My Song");
  frame->StopSong();
  audio->calls.clear();
  frame->ReplaySong();
  EXPECT_EQ(audio->calls, QStringList({"graph", "open", "pause", "play"}));
  EXPECT_EQ(screen.songTitle, " My Song");
  EXPECT_EQ(panel.songTitle, " My Song");

  // Nothing was played yet: nothing to replay.
  Make(Settings{});
  frame->ReplaySong();
  EXPECT_EQ(audio, nullptr);
}

TEST_F(MainLoopTest, DestroyingStopsBothPlayersAndReleasesTheSurfaces) {
  PlayAudioSong();
  frame->OnDestroy();
  EXPECT_FALSE(frame->timersRunning());
  EXPECT_EQ(video.state, 0);
  EXPECT_EQ(audio->state, 0);
  EXPECT_TRUE(audio->calls.endsWith("destroy"));
  EXPECT_EQ(surfaces.releases, 1);
}

}  // namespace
}  // namespace lyrovox

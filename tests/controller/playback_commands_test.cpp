// The main frame's playback commands and its handling of the players' graph events.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
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
using testing::FakeScreen;
using testing::FakeVideoPlayer;

std::string KarBytes() {
  smf::File f(1, 480);
  f.AddTrack().Text(0, "@TSong").Text(480, "\\La");
  return f.Encode();
}

class PlaybackTest : public testing::FrameRig {
 protected:
  PlaybackTest() { Make(Settings{}); }
  void Make(const Settings& settings) { MakeFrame(settings); }

  // The background runs and an audio song plays over it.
  void PlayAudioSong() {
    frame->StartBackgroundVideo();
    frame->PlaySong(QString::fromStdString(dir.Write("song.kar", KarBytes())));
    ASSERT_NE(audio, nullptr);
  }

  void PlayVideoSong() {
    frame->StartBackgroundVideo();
    frame->PlaySong(QString::fromStdString(dir.Write("clip.mpg", "x")));
  }

  void Post(int type) {
    QCoreApplication::postEvent(frame.get(), new QEvent(static_cast<QEvent::Type>(type)));
    QCoreApplication::processEvents();
  }
};

TEST_F(PlaybackTest, TheBackgroundStartsTheMainLoopAndStoppingItStopsTheLoop) {
  frame->StartBackgroundVideo();
  EXPECT_EQ(video.fileName, "/opt/lyrovox/video.mpg");
  EXPECT_TRUE(video.videoOnly);
  EXPECT_EQ(video.sourceKind, 0);
  EXPECT_TRUE(video.stretch);  // Aspect 0
  EXPECT_EQ(video.calls, QStringList({"graph", "open", "pause", "play"}));
  EXPECT_EQ(video.eventReceiver, frame.get());
  EXPECT_EQ(video.requestedTrack, 0);
  EXPECT_EQ(panel.track, 0);
  EXPECT_TRUE(frame->timersRunning());

  frame->StopVideoPlayback();
  EXPECT_FALSE(frame->timersRunning());
  EXPECT_TRUE(video.calls.endsWith("destroy"));
  EXPECT_EQ(video.state, 0);
}

TEST_F(PlaybackTest, TheNumberEntryTimerCountsDownEvery30Milliseconds) {
  frame->StartBackgroundVideo();
  frame->setNumberEntryCountdown(5);
  QElapsedTimer clock;
  clock.start();
  while (frame->numberEntryCountdown() > 0 && clock.elapsed() < 2000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  EXPECT_EQ(frame->numberEntryCountdown(), 0);
  EXPECT_GE(clock.elapsed(), 4 * 30 - 10);
  frame->OnTimer(kNumberEntryTimer);  // stays at 0
  EXPECT_EQ(frame->numberEntryCountdown(), 0);
}

TEST_F(PlaybackTest, CtrlF11SwapsVideoAndCameraButRestartsOnlyUnderAnAudioSong) {
  frame->StartBackgroundVideo();
  const int started = video.calls.count("play");
  frame->OnCommand(32795);  // nothing played yet: the change waits for the next restart
  EXPECT_EQ(frame->settings().background, 1);
  EXPECT_EQ(video.calls.count("play"), started);

  PlayAudioSong();  // (which starts the background again)
  const int underSong = video.calls.count("play");
  frame->OnCommand(32795);
  EXPECT_EQ(frame->settings().background, 0);
  EXPECT_EQ(video.sourceKind, 0);
  EXPECT_EQ(video.calls.count("play"), underSong + 1);
  frame->OnCommand(32795);
  EXPECT_EQ(video.sourceKind, 1);              // the camera
  EXPECT_EQ(Profile("Background"), "<none>");  // in memory only

  PlayVideoSong();
  const QString song = video.fileName;
  frame->OnCommand(32795);
  EXPECT_EQ(video.fileName, song);  // a video song keeps the picture
}

TEST_F(PlaybackTest, ABackgroundThatCannotStartLeavesTheLoopStopped) {
  video.openWorks = false;
  frame->StartBackgroundVideo();
  EXPECT_FALSE(frame->timersRunning());
  EXPECT_TRUE(video.calls.endsWith("destroy"));
}

TEST_F(PlaybackTest, AMissingCustomVideoIsReportedOnceAndForgotten) {
  Settings settings;
  settings.backgroundVideo = QString::fromStdString(dir.File("gone.mpg"));
  Make(settings);
  frame->StartBackgroundVideo();
  EXPECT_EQ(messages.shown,
            QStringList({"Can't find custom video.  Using original background video."}));
  EXPECT_EQ(Profile("BackgroundVideo"), "");
  EXPECT_TRUE(frame->settings().backgroundVideo.isEmpty());
  EXPECT_EQ(video.fileName, "/opt/lyrovox/video.mpg");
  frame->RestartBackgroundVideo();
  EXPECT_EQ(messages.shown.size(), 1);

  // An existing one is used; the solid colour background always plays the default video.
  settings.backgroundVideo = QString::fromStdString(dir.Write("mine.mpg", "x"));
  settings.aspect = 1;
  Make(settings);
  frame->StartBackgroundVideo();
  EXPECT_EQ(video.fileName, settings.backgroundVideo);
  EXPECT_FALSE(video.stretch);
  settings.background = 2;
  Make(settings);
  frame->StartBackgroundVideo();
  EXPECT_EQ(video.fileName, "/opt/lyrovox/video.mpg");
  EXPECT_EQ(video.sourceKind, 2);
}

TEST_F(PlaybackTest, TheSecondTrackOfAVideoPlaysBothChannels) {
  Settings settings;
  settings.audioTrack = 1;
  settings.audioChannel = 2;
  Make(settings);
  video.otherTracks = 1;
  PlayVideoSong();
  EXPECT_EQ(video.GetAudioTrack(), 1);
  EXPECT_EQ(video.channel, 0);
  EXPECT_EQ(panel.track, 1);
  EXPECT_EQ(frame->settings().audioChannel, 2);  // the setting keeps its value
}

TEST_F(PlaybackTest, AnyEndOfTheAudioSongMovesOnToTheNextSong) {
  for (int32_t code : {1, 2, 3}) {
    PlayAudioSong();
    EXPECT_TRUE(frame->isPlaying());
    audio->events = {14, code};  // other events are skipped
    Post(kAudioGraphEvent);
    EXPECT_FALSE(frame->isPlaying()) << code;
    EXPECT_EQ(audio->state, 0);
    EXPECT_TRUE(audio->events.empty());
  }
}

TEST_F(PlaybackTest, EventsOfAnAudioPlayerThatIsNotRunningAreIgnored) {
  PlayAudioSong();
  audio->state = 2;
  audio->events = {1};
  EXPECT_EQ(frame->OnGraphEvent(), 0);
  EXPECT_TRUE(frame->isPlaying());
  audio->state = 3;
  audio->events = {14};
  EXPECT_EQ(frame->OnGraphEvent(), 0);
  audio->events = {1};
  EXPECT_EQ(frame->OnGraphEvent(), 1);
}

TEST_F(PlaybackTest, TheBackgroundLoopsWhenItEnds) {
  PlayAudioSong();
  video.events = {1};
  Post(kVideoGraphEvent);
  EXPECT_TRUE(video.calls.endsWith("rewind"));
  EXPECT_TRUE(frame->isPlaying());
  EXPECT_EQ(frame->playerKind(), kPlayerKindAudio);
}

TEST_F(PlaybackTest, AVideoSongThatEndsGivesTheScreenBackToTheBackground) {
  PlayVideoSong();
  ASSERT_EQ(frame->playerKind(), kPlayerKindVideo);
  video.calls.clear();
  video.events = {1};
  Post(kVideoGraphEvent);
  EXPECT_EQ(frame->playerKind(), kPlayerKindAudio);
  EXPECT_EQ(video.fileName, "/opt/lyrovox/video.mpg");
  EXPECT_TRUE(video.videoOnly);
  EXPECT_EQ(video.calls, QStringList({"stop", "destroy", "graph", "open", "pause", "play"}));
  EXPECT_EQ(panel.songTitle, "Please select a song");
  EXPECT_TRUE(frame->timersRunning());
}

TEST_F(PlaybackTest, AVideoErrorStopsVideoPlayback) {
  PlayVideoSong();
  video.events = {3};
  Post(kVideoGraphEvent);
  EXPECT_FALSE(frame->timersRunning());
  EXPECT_EQ(video.state, 0);
}

TEST_F(PlaybackTest, StopReturnsAVideoSongToTheBackgroundAndClosesAnAudioSong) {
  PlayVideoSong();
  frame->StopSong();
  EXPECT_EQ(frame->playerKind(), kPlayerKindAudio);
  EXPECT_FALSE(frame->isPlaying());
  EXPECT_TRUE(video.videoOnly);
  EXPECT_TRUE(frame->timersRunning());
  EXPECT_EQ(panel.seekable, 0);

  PlayAudioSong();
  frame->StopSong();
  EXPECT_EQ(audio->state, 0);
  EXPECT_FALSE(frame->isPlaying());
  EXPECT_EQ(screen.playState, kPlayStateIdle);
}

TEST_F(PlaybackTest, CycleAudioSwitchesTracksOrStepsTheChannels) {
  PlayAudioSong();
  frame->CycleAudio();
  EXPECT_EQ(screen.messages, QStringList({"Audio Track 1", "Left Audio Channel"}));
  EXPECT_EQ(audio->channel, 1);
  EXPECT_EQ(video.channel, 1);
  EXPECT_EQ(panel.channel, 1);
  screen.messages.clear();
  frame->CycleAudio();
  frame->CycleAudio();
  EXPECT_EQ(screen.messages, QStringList({"Audio Track 1", "Right Audio Channel", "Audio Track 1",
                                          "Both Audio Channel"}));
  EXPECT_EQ(frame->settings().audioChannel, 0);

  // A video with a second track switches it, on the video player.
  PlayVideoSong();
  video.otherTracks = 1;
  screen.messages.clear();
  frame->CycleAudio();
  EXPECT_EQ(screen.messages, QStringList({"Audio Track 2"}));
  EXPECT_EQ(frame->settings().audioChannel, 0);
}

TEST_F(PlaybackTest, VolumeStepsStayWithinTheirRangeAndReachThePlayer) {
  PlayAudioSong();
  frame->VolumeUp();
  EXPECT_EQ(frame->volume(), 100);
  EXPECT_EQ(audio->volume, 0);
  for (int i = 0; i < 50; ++i)
    frame->VolumeDown();
  EXPECT_EQ(panel.volume, 50);
  EXPECT_EQ(audio->volume, -625);
  for (int i = 0; i < 60; ++i)
    frame->VolumeDown();
  EXPECT_EQ(frame->volume(), 0);
  EXPECT_EQ(audio->volume, -10000);

  PlayVideoSong();
  frame->VolumeUp();
  EXPECT_EQ(video.volume, -9605);  // 1 %: -(0.99^4) x 10000, cut toward zero
}

TEST_F(PlaybackTest, WhatTheKeysDidShowsOnTheScreenToo) {
  PlayAudioSong();
  frame->VolumeDown();
  frame->SpeedUp();
  frame->KeyUp();
  frame->ToggleVocalReduction();
  EXPECT_EQ(screen.statuses,
            QStringList({"Volume: 99%", "Speed: 1.05X", "Key: +1", "Vocal Reduction: On"}));
}

TEST_F(PlaybackTest, SpeedChangesTheCurrentPlayersRateAndShowsIt) {
  PlayAudioSong();
  frame->SpeedUp();
  EXPECT_DOUBLE_EQ(panel.rate, 1.05);
  EXPECT_DOUBLE_EQ(audio->rate, 1.05);
  frame->SlowDown();
  frame->SlowDown();
  EXPECT_DOUBLE_EQ(panel.rate, 0.95);
  EXPECT_DOUBLE_EQ(video.rate, 1.0);

  // A closed player has no rate to show.
  frame->StopSong();
  panel.rate = -1;
  frame->SpeedUp();
  EXPECT_EQ(panel.rate, -1);
}

TEST_F(PlaybackTest, TheKeyStepsWithinSixSemitonesOnThePlayingSongAndShows) {
  PlayAudioSong();
  ASSERT_TRUE(frame->OnCommand(kCommandKeyUp));
  ASSERT_TRUE(frame->OnCommand(kCommandKeyUp));
  EXPECT_EQ(audio->key, 2);
  EXPECT_EQ(panel.statusTexts.back(), "Key: +2");
  for (int i = 0; i < 10; ++i)
    frame->KeyDown();
  EXPECT_EQ(frame->key(), -6);
  EXPECT_EQ(audio->key, -6);
  EXPECT_EQ(panel.statusTexts.back(), "Key: -6");
  frame->SetKey(0);
  EXPECT_EQ(panel.statusTexts.back(), "Key: 0");

  // A video song: its own player; every new song starts at its own key.
  frame->KeyUp();
  PlayVideoSong();
  EXPECT_EQ(frame->key(), 0);
  frame->KeyDown();
  EXPECT_EQ(video.key, -1);
  EXPECT_EQ(panel.statusTexts.back(), "Key: -1");

  // Nothing plays: no key to change.
  frame->StopSong();
  EXPECT_EQ(frame->key(), 0);
  panel.statusTexts.clear();
  frame->KeyUp();
  EXPECT_EQ(frame->key(), 0);
  EXPECT_TRUE(panel.statusTexts.isEmpty());
}

TEST_F(PlaybackTest, VocalReductionTogglesOnThePlayingSongAndIsOffAtTheNextSong) {
  PlayAudioSong();
  ASSERT_TRUE(frame->OnCommand(kCommandVocalReduction));
  EXPECT_TRUE(audio->vocalReduction);
  EXPECT_EQ(panel.statusTexts.back(), "Vocal Reduction: On");
  frame->ToggleVocalReduction();
  EXPECT_FALSE(audio->vocalReduction);
  EXPECT_EQ(panel.statusTexts.back(), "Vocal Reduction: Off");
  frame->ToggleVocalReduction();
  frame->ReplaySong();
  EXPECT_FALSE(frame->vocalReduction());
  // A player without sound to change leaves it off.
  audio->state = 0;
  frame->ToggleVocalReduction();
  EXPECT_FALSE(frame->vocalReduction());
}

TEST_F(PlaybackTest, TheRateShownIsThePlayingSongsAndNormalAtTheNextSong) {
  PlayAudioSong();
  EXPECT_DOUBLE_EQ(frame->rate(), 1.0);
  frame->SpeedUp();
  frame->SpeedUp();
  EXPECT_DOUBLE_EQ(frame->rate(), 1.1);
  PlayVideoSong();
  EXPECT_DOUBLE_EQ(frame->rate(), 1.0);
}

TEST_F(PlaybackTest, OnlyVideoSongsCanBeSought) {
  PlayAudioSong();
  frame->SeekVideoSong(5000);
  EXPECT_TRUE(video.seeks.empty());
  PlayVideoSong();
  frame->SeekVideoSong(5000);
  EXPECT_EQ(video.seeks, std::vector<int64_t>({50000000}));
}

TEST_F(PlaybackTest, AVideoWindowReceivesThePictureEventsWhenThereIsOne) {
  QObject videoDialog;
  CMainFrame::Parts parts;
  parts.videoPlayer = &video;
  SettingsStore defaults{QString()};
  CMainFrame withWindow(std::move(parts), defaults);
  CMainFrame::Windows windows;
  windows.videoEvents = &videoDialog;
  withWindow.Attach(windows);
  withWindow.StartBackgroundVideo();
  EXPECT_EQ(video.eventReceiver, &videoDialog);
}

}  // namespace
}  // namespace lyrovox

namespace lyrovox {
namespace {

// Players whose starts finish later, as the real ones do: the frame goes on, and takes its
// decisions when the outcome arrives.
class LaterStartTest : public PlaybackTest {
 protected:
  LaterStartTest() {
    audioStartsLater = true;
    video.startsLater = true;
    Settings settings;
    settings.reservedListEnable = 1;
    Make(settings);
  }

  QString Kar(const std::string& name) {
    return QString::fromStdString(dir.Write(name, KarBytes()));
  }
  QString Clip(const std::string& name) { return QString::fromStdString(dir.Write(name, "x")); }
  void Reserve(const QString& path, const QString& title) {
    reserved.InsertSong(reserved.Count(), title, path);
  }
  // The background's start finishes: the main loop runs over it.
  void RunBackground() {
    frame->StartBackgroundVideo();
    video.FinishStart(true);
    QCoreApplication::processEvents();
  }
};

TEST_F(LaterStartTest, AnAudioSongPlaysOnceItsPlayerRuns) {
  RunBackground();
  panel.volume = -1;
  frame->PlaySong(Kar("a.kar"));
  // Handed to the player, which is on its way: the song counts as playing already.
  EXPECT_TRUE(frame->isPlaying());
  EXPECT_EQ(audio->calls, QStringList({"graph", "open", "pause", "play"}));
  EXPECT_EQ(audio->state, 2);
  EXPECT_EQ(panel.volume, -1);
  audio->FinishStart(true);
  QCoreApplication::processEvents();
  EXPECT_EQ(panel.volume, 100);
  EXPECT_EQ(audio->volume, 0);
  EXPECT_TRUE(frame->isPlaying());
  // Its end then moves on as ever.
  audio->events = {1};
  Post(kAudioGraphEvent);
  EXPECT_FALSE(frame->isPlaying());
}

TEST_F(LaterStartTest, ASongWhoseStartFailsIsSkippedForTheNextReservedOne) {
  RunBackground();
  for (const bool video_song : {false, true}) {
    SCOPED_TRACE(video_song ? "video song" : "audio song");
    Reserve(video_song ? Clip("first.mpg") : Kar("first.kar"), "000001 - First");
    Reserve(Kar("second.kar"), "000002 - Second");
    frame->PlayNextSong();
    ASSERT_TRUE(frame->currentSongPath().contains("first"));
    EXPECT_TRUE(frame->isPlaying());
    EXPECT_TRUE(frame->timersRunning());  // frames go on while the picture starts
    screen.notices.clear();
    panel.notices.clear();
    if (video_song) {
      video.failureReason = "no decoder for its format (missing GStreamer element: X decoder)";
      video.FinishStart(false);
    } else {
      audio->failureReason = "damaged";
      audio->FinishStart(false);
    }
    QCoreApplication::processEvents();  // the outcome
    // Said on the screen and in the panel's title band for 4 s; the panel shows no title then.
    const QString said = video_song ? "4000 Can't play First: no decoder for its format (missing "
                                      "GStreamer element: X decoder)"
                                    : "4000 Can't play Song: damaged";  // the file's own title
    EXPECT_EQ(screen.notices, QStringList({said}));
    EXPECT_EQ(panel.notices, QStringList({said}));
    EXPECT_EQ(panel.songTitle, "Please select a song");
    QCoreApplication::processEvents();  // the skip it queued
    EXPECT_TRUE(frame->currentSongPath().endsWith("second.kar"));
    EXPECT_TRUE(frame->isPlaying());
    EXPECT_TRUE(reserved.rows.empty());
    if (video_song) {
      // The picture that failed went; the background came back, and the loop with it.
      EXPECT_TRUE(video.calls.contains("destroy"));
      EXPECT_TRUE(video.videoOnly);
      video.FinishStart(true);
      QCoreApplication::processEvents();
      EXPECT_TRUE(frame->timersRunning());
    }
    audio->FinishStart(true);
    QCoreApplication::processEvents();
    frame->StopSong();
  }
}

TEST_F(LaterStartTest, AVideoSongGetsItsTrackOnceItRuns) {
  Settings settings;
  settings.audioTrack = 1;
  settings.audioChannel = 2;
  Make(settings);
  RunBackground();
  video.otherTracks = 1;
  video.requestedTrack = -1;
  panel.track = -1;
  frame->PlaySong(Clip("two tracks.mpg"));
  EXPECT_TRUE(frame->timersRunning());
  // Its streams are not known before it runs.
  EXPECT_EQ(video.requestedTrack, -1);
  EXPECT_EQ(panel.track, -1);
  video.FinishStart(true);
  QCoreApplication::processEvents();
  EXPECT_EQ(video.requestedTrack, 1);
  EXPECT_EQ(video.GetAudioTrack(), 1);
  EXPECT_EQ(video.channel, 0);
  EXPECT_EQ(panel.track, 1);
}

TEST_F(LaterStartTest, AStartGivenUpHasNoSay) {
  RunBackground();
  panel.volume = -1;
  frame->PlaySong(Kar("a.kar"));
  frame->StopSong();
  audio->FinishStart(true);  // an outcome that was already on its way
  QCoreApplication::processEvents();
  EXPECT_FALSE(frame->isPlaying());
  EXPECT_EQ(panel.volume, -1);

  // A background whose start fails leaves the loop stopped, as one that fails at once.
  frame->RestartBackgroundVideo();
  EXPECT_TRUE(frame->timersRunning());
  video.FinishStart(false);
  QCoreApplication::processEvents();
  EXPECT_FALSE(frame->timersRunning());
  EXPECT_TRUE(video.calls.endsWith("destroy"));
  EXPECT_FALSE(frame->isPlaying());
}

}  // namespace
}  // namespace lyrovox

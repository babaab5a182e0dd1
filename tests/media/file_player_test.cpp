#include "media/file_player.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QThread>

#include "lyrics/hresult.h"
#include "media/camera.h"
#include "media/graph_retirement.h"
#include "media_fixtures.h"
#include "support/temp_dir.h"

namespace lyrovox {
namespace {

using testing::EventRecorder;
using testing::SinkCapture;
using testing::WaitUntil;

class FilePlayerTest : public ::testing::Test {
 protected:
  // Builds and starts the graph the way the controller does.
  bool Start(const std::string& path, bool videoOnly) {
    player.SetFileName(QString::fromStdString(path), videoOnly);
    player.SetSourceKind(kSourceVideo);
    if (!player.CreateGraph()) return false;
    if (player.Open(&window) != kOk) return false;
    capture.Attach(player.graph().pipeline());
    player.Pause();
    const bool started = player.Play() && testing::AwaitStart(player, window) == kGraphEventStarted;
    hasSound = capture.attached();
    return started;
  }

  // The code of the next graph event, waiting for its notice; 0 when none came.
  int32_t NextEvent(int timeoutMs) {
    const size_t seen = window.received.size();
    if (!WaitUntil([&] { return window.received.size() > seen; }, timeoutMs)) return 0;
    int32_t code = 0;
    return player.GetEvent(code) ? code : -1;
  }

  double ToneAfter(size_t from) {
    return testing::ToneFrequency(testing::Channel(capture.Samples(), 0, from), 44100);
  }

  testing::TempDir dir;
  // Declared first, gone last: the player's streaming threads write into it until they stop.
  SinkCapture capture;
  CFilePlayer player;
  EventRecorder window;
  bool hasSound = false;
};

TEST_F(FilePlayerTest, AnMpgVideoSongPlaysItsPictureAndSoundAndEnds) {
  const std::string clip = dir.File("clip.mpg");
  ASSERT_TRUE(testing::MakeMpg(clip, 1.5, 660));
  player.SetStretchVideo(false);
  ASSERT_TRUE(Start(clip, false));
  QElapsedTimer clock;
  clock.start();
  EXPECT_TRUE(hasSound);
  EXPECT_EQ(player.State(), kStateRunning);
  EXPECT_NEAR(player.GetDurationMs(), 1500, 150);
  testing::Spin(600);
  EXPECT_NEAR(player.GetPositionMs(), static_cast<double>(clock.elapsed()), 250);

  // Frames reach the holder the video area draws from.
  const uint64_t serial = player.frames()->serial();
  testing::Spin(200);
  EXPECT_GT(player.frames()->serial(), serial + 2);
  const QImage frame = player.frames()->Frame();
  EXPECT_EQ(frame.size(), QSize(320, 240));
  int w = 0, h = 0, ax = 0, ay = 0;
  player.GetNativeVideoSize(&w, &h, &ax, &ay);
  EXPECT_EQ(w, 320);
  EXPECT_EQ(h, 240);
  EXPECT_EQ(ax * 3, ay * 4);
  EXPECT_FALSE(player.frames()->stretch());
  // The tone, past the decoder's first frame.
  EXPECT_NEAR(ToneAfter(4410), 660, 15);

  ASSERT_EQ(NextEvent(5000), 1);
  EXPECT_EQ(window.received.back().type, kVideoGraphEvent);
  EXPECT_EQ(window.received.back().thread, QThread::currentThread());
}

TEST_F(FilePlayerTest, ABackgroundVideoWithSoundPlaysSilentlyAndLoopsThroughRewind) {
  const std::string clip = dir.File("background.mpg");
  ASSERT_TRUE(testing::MakeMpg(clip, 1.0, 440));
  ASSERT_TRUE(Start(clip, true));
  EXPECT_FALSE(hasSound);  // no sound path at all
  for (int loop = 0; loop < 2; ++loop) {
    ASSERT_EQ(NextEvent(4000), 1) << "loop " << loop;
    EXPECT_GT(player.GetPositionMs(), 800u);
    player.Rewind();
    EXPECT_LT(player.GetPositionMs(), 200u);
    const uint64_t serial = player.frames()->serial();
    testing::Spin(300);
    EXPECT_GT(player.frames()->serial(), serial) << "pictures again after the rewind";
  }
}

// Graph after graph as the controller changes them (Stop, Destroy, then the next one).
TEST_F(FilePlayerTest, ThePictureStaysUpFromGraphToGraphAndTheBackgroundWaitsForTheSong) {
  const std::string background = dir.File("background.mpg");
  const std::string song = dir.File("song.mpg");
  ASSERT_TRUE(testing::MakeMpg(background, 4.0, 0));
  ASSERT_TRUE(testing::MakeMpg(song, 4.0, 440));
  auto open = [&](const std::string& path, bool videoOnly) {
    player.Stop();
    player.Destroy();
    player.SetFileName(QString::fromStdString(path), videoOnly);
    EXPECT_TRUE(player.CreateGraph());
    EXPECT_EQ(player.Open(&window), kOk);
    player.Pause();
    EXPECT_TRUE(player.Play());
  };
  ASSERT_TRUE(Start(background, true));
  testing::Spin(300);

  // The song's graph starts while the background's picture goes on: never a blank picture.
  open(song, false);
  EXPECT_FALSE(player.frames()->Frame().isNull());
  EXPECT_NE(player.State(), kStateRunning);  // on its way
  ASSERT_EQ(testing::AwaitStart(player, window), kGraphEventStarted);
  testing::Spin(300);
  DrainRetiredGraphs();  // the background is parked at its start meanwhile

  // The song gives the screen back: the background plays again at once, from its start.
  open(background, true);
  EXPECT_EQ(player.State(), kStateRunning);
  EXPECT_LT(player.GetPositionMs(), 200u);
  EXPECT_FALSE(player.frames()->Frame().isNull());
  const uint64_t serial = player.frames()->serial();
  testing::Spin(300);
  EXPECT_GT(player.frames()->serial(), serial + 2);

  // Only the same file is taken back; another background is built anew.
  open(song, false);
  ASSERT_EQ(testing::AwaitStart(player, window), kGraphEventStarted);
  DrainRetiredGraphs();
  const std::string other = dir.File("other.mpg");
  ASSERT_TRUE(testing::MakeMpg(other, 1.0, 0));
  open(other, true);
  EXPECT_NE(player.State(), kStateRunning);
  EXPECT_EQ(testing::AwaitStart(player, window), kGraphEventStarted);
}

TEST_F(FilePlayerTest, AudioStreamsSwitchBackwardsThroughTheFilesStreams) {
  // Streams: picture, tone A, tone B. From stream 0 the first switch goes to B, then A, then B.
  const std::string clip = dir.File("two.mkv");
  ASSERT_TRUE(testing::MakeTwoTrackMkv(clip, 4.0, 440, 880));
  ASSERT_TRUE(Start(clip, false));
  testing::Spin(300);
  EXPECT_NEAR(ToneAfter(0), 440, 10);
  EXPECT_EQ(player.GetAudioTrack(), 0);
  int expectedTrack = 0;
  for (int expected : {880, 440, 880}) {
    ASSERT_TRUE(player.SwitchAudioStream());
    expectedTrack ^= 1;
    EXPECT_EQ(player.GetAudioTrack(), expectedTrack);
    testing::Spin(250);
    const size_t from = capture.size() / 2;
    testing::Spin(300);
    EXPECT_NEAR(ToneAfter(from), expected, 10);
  }
}

TEST_F(FilePlayerTest, SetAudioTrackSwitchesUnlessTheNameMarksReversedTracks) {
  const std::string plain = dir.File("two.mkv");
  ASSERT_TRUE(testing::MakeTwoTrackMkv(plain, 3.0, 440, 880));
  ASSERT_TRUE(Start(plain, false));
  player.SetAudioTrack(1);
  EXPECT_TRUE(player.trackSwitched());
  EXPECT_EQ(player.GetAudioTrack(), 1);
  testing::Spin(200);
  size_t from = capture.size() / 2;
  testing::Spin(300);
  EXPECT_NEAR(ToneAfter(from), 880, 10);

  const std::string marked = dir.File("two!!.mkv");
  ASSERT_TRUE(testing::MakeTwoTrackMkv(marked, 3.0, 440, 880));
  capture.Clear();
  ASSERT_TRUE(Start(marked, false));
  player.SetAudioTrack(1);  // only seeks to where it is
  EXPECT_EQ(player.GetAudioTrack(), 0);
  testing::Spin(200);
  from = capture.size() / 2;
  testing::Spin(300);
  EXPECT_NEAR(ToneAfter(from), 440, 10);
  player.SetAudioTrack(0);
  EXPECT_EQ(player.GetAudioTrack(), 1);
  testing::Spin(200);
  from = capture.size() / 2;
  testing::Spin(300);
  EXPECT_NEAR(ToneAfter(from), 880, 10);
}

TEST_F(FilePlayerTest, AFileWithOneAudioStreamHasNoOtherTrack) {
  const std::string clip = dir.File("one.mpg");
  ASSERT_TRUE(testing::MakeMpg(clip, 1.0, 440));
  ASSERT_TRUE(Start(clip, false));
  EXPECT_FALSE(player.SwitchAudioStream());
  EXPECT_EQ(player.GetAudioTrack(), 0);
  // A background video has no sound to switch.
  ASSERT_TRUE(Start(clip, true));
  EXPECT_FALSE(player.SwitchAudioStream());
  player.SetAudioTrack(1);
  EXPECT_EQ(player.GetAudioTrack(), 0);
}

TEST_F(FilePlayerTest, SpecialFilesAreBuiltFromAPlainFileSource) {
  const std::string clip = dir.File("SPECIALFILE.mpg");
  ASSERT_TRUE(testing::MakeMpg(clip, 0.5, 0));
  ASSERT_TRUE(Start(clip, true));
  EXPECT_FALSE(player.graph().renderedAutomatically());
  const std::string plain = dir.File("plain.mpg");
  ASSERT_TRUE(testing::MakeMpg(plain, 0.5, 0));
  ASSERT_TRUE(Start(plain, true));
  EXPECT_TRUE(player.graph().renderedAutomatically());
}

TEST_F(FilePlayerTest, FilesWithoutAPictureOrWithoutANameDoNotStart) {
  // Found out once the file has prerolled: the start fails and the graph closes.
  const std::string song = dir.File("tone.mp3");
  ASSERT_TRUE(testing::MakeToneFile(song, 0.5, 440, "lamemp3enc"));
  player.SetFileName(QString::fromStdString(song), true);
  ASSERT_TRUE(player.CreateGraph());
  ASSERT_EQ(player.Open(&window), kOk);
  player.Pause();
  EXPECT_TRUE(player.Play());
  EXPECT_EQ(testing::AwaitStart(player, window), kGraphEventStartFailed);
  EXPECT_EQ(player.State(), kStateNoGraph);

  player.SetFileName(QString(), true);
  ASSERT_TRUE(player.CreateGraph());
  EXPECT_EQ(player.Open(&window), kFail);

  // Neither the automatic build nor the explicit one reads it.
  player.SetFileName(QString::fromStdString(dir.Write("broken.mpg", std::string(9000, 'x'))),
                     false);
  ASSERT_TRUE(player.CreateGraph());
  if (player.Open(&window) == kOk) {
    player.Pause();
    EXPECT_TRUE(player.Play());
    EXPECT_EQ(testing::AwaitStart(player, window), kGraphEventStartFailed);
  }
  EXPECT_EQ(player.State(), kStateNoGraph);
  EXPECT_FALSE(player.Play());
}

TEST_F(FilePlayerTest, WithoutACameraTheGraphIsMadeButHasNoPicture) {
  if (OpenFirstCamera().source) GTEST_SKIP() << "this machine has a camera";
  player.SetSourceKind(kSourceCamera);
  EXPECT_TRUE(player.CreateGraph());
  EXPECT_TRUE(player.deviceName().empty());
  EXPECT_EQ(player.Open(&window), kFail);
  EXPECT_FALSE(player.Pause());
  EXPECT_FALSE(player.Play());
  EXPECT_EQ(player.GetPositionMs(), 0u);
  player.Stop();
  player.Destroy();
  EXPECT_EQ(player.State(), kStateNoGraph);
}

}  // namespace
}  // namespace lyrovox

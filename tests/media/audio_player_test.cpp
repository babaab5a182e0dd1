#include "media/audio_player.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <cmath>
#include <map>

#include "lyrics/hresult.h"
#include "media/graph_retirement.h"
#include "media_fixtures.h"
#include "support/temp_dir.h"

namespace lyrovox {
namespace {

using testing::EventRecorder;
using testing::SinkCapture;
using testing::WaitUntil;

class AudioPlayerTest : public ::testing::Test {
 protected:
  // Builds and starts the graph the way the controller does.
  bool Start(const std::string& path) {
    player.SetFileName(QString::fromStdString(path));
    if (!player.CreateGraph()) return false;
    if (player.Open(&receiver) != kOk) return false;
    capture.Attach(player.graph().pipeline());
    player.Pause();
    return player.Play() && testing::AwaitStart(player, receiver) == kGraphEventStarted;
  }

  // Waits for the end event and drains it.
  int32_t WaitForEnd(int timeoutMs) {
    if (!WaitUntil([&] { return !receiver.received.empty(); }, timeoutMs)) return 0;
    int32_t code = 0;
    return player.GetEvent(code) ? code : -1;
  }

  testing::TempDir dir;
  // Declared first, gone last: the player's streaming threads write into it until they stop.
  SinkCapture capture;
  CAudioPlayer player;
  EventRecorder receiver;
};

// Plays a file of about 1.5 s: the position follows the clock, the duration is right, and the end
// arrives on the UI thread as the audio player's private event with code 1 (up to `releaseMs`
// later for a MIDI song, whose last notes are let die away).
void ExpectPlaysInRealTime(AudioPlayerTest& t, CAudioPlayer& player, EventRecorder& receiver,
                           uint32_t expectedMs, int releaseMs = 0) {
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(player.State(), kStateRunning);
  EXPECT_NEAR(player.GetDurationMs(), expectedMs, 150);
  testing::Spin(600);
  const auto elapsed = static_cast<double>(clock.elapsed());
  EXPECT_NEAR(player.GetPositionMs(), elapsed, 250);
  int32_t code = 0;
  ASSERT_TRUE(WaitUntil([&] { return !receiver.received.empty(); }, 5000));
  EXPECT_GT(clock.elapsed(), expectedMs - 500);
  EXPECT_LT(clock.elapsed(), expectedMs + 500 + releaseMs);
  EXPECT_EQ(receiver.received[0].type, kAudioGraphEvent);
  EXPECT_EQ(receiver.received[0].thread, QThread::currentThread());
  ASSERT_TRUE(player.GetEvent(code));
  EXPECT_EQ(code, 1);
  EXPECT_FALSE(player.GetEvent(code));
  (void)t;
}

TEST_F(AudioPlayerTest, AnMp3PlaysInRealTimeAndEnds) {
  const std::string song = dir.File("tone.mp3");
  ASSERT_TRUE(testing::MakeToneFile(song, 1.5, 440, "lamemp3enc ! xingmux ! id3v2mux"));
  ASSERT_TRUE(Start(song));
  ExpectPlaysInRealTime(*this, player, receiver, 1500);
}

TEST_F(AudioPlayerTest, AWmaPlaysInRealTimeAndEnds) {
  const std::string song = dir.File("tone.wma");
  ASSERT_TRUE(testing::MakeToneFile(song, 1.5, 440, "avenc_wmav2 ! asfmux"));
  ASSERT_TRUE(Start(song));
  ExpectPlaysInRealTime(*this, player, receiver, 1500);
}

TEST_F(AudioPlayerTest, AMidiFilePlaysWithSoundAndEnds) {
  const std::string song = dir.File("notes.kar");
  ASSERT_TRUE(testing::MakeMidi(song, 1.5));
  ASSERT_TRUE(Start(song));
  ExpectPlaysInRealTime(*this, player, receiver, 1500, 2000);
  EXPECT_GT(testing::Peak(testing::Channel(capture.Samples(), 0)), 1000);
}

// Descriptors of the process: every pipeline has a bus with a pair of its own.
int OpenDescriptors() {
  return static_cast<int>(QDir("/proc/self/fd").entryList(QDir::AllEntries | QDir::System).size());
}

TEST_F(AudioPlayerTest, SongAfterSongLeavesNothingBehind) {
  const std::string mp3 = dir.File("short.mp3");
  const std::string midi = dir.File("short.kar");
  ASSERT_TRUE(testing::MakeToneFile(mp3, 0.5, 440, "lamemp3enc"));
  ASSERT_TRUE(testing::MakeMidi(midi, 0.5));
  int first = 0;
  for (int song = 0; song < 6; ++song) {
    ASSERT_TRUE(Start(song % 2 == 0 ? mp3 : midi));
    testing::Spin(150);
    player.Stop();
    player.Close();
    ASSERT_TRUE(player.CreateGraph());  // as the next song does: the old pipeline goes
    DrainRetiredGraphs();               // the old pipeline is taken down off this thread
    if (song == 1) first = OpenDescriptors();
  }
  EXPECT_EQ(OpenDescriptors(), first);
}

}  // namespace
}  // namespace lyrovox

namespace lyrovox {
namespace {

// A WAV file with a constant left and right sample, so that every frame at the sink can be
// compared exactly.
std::string ConstantStereoWav(const testing::TempDir& dir, double seconds) {
  const std::string path = dir.File("constant.wav");
  const int frames = static_cast<int>(seconds * 44100);
  testing::WriteStereoWav(
      path, 44100, frames, [](int) { return int16_t{0x1234}; },
      [](int) { return int16_t{0x5678}; });
  return path;
}

// Every frame that reached the sink is (left, right).
::testing::AssertionResult AllFramesAre(const std::vector<int16_t>& stereo, int16_t left,
                                        int16_t right) {
  if (stereo.size() < 2000) return ::testing::AssertionFailure() << "too little sound";
  for (size_t i = 0; i + 1 < stereo.size(); i += 2) {
    if (stereo[i] != left || stereo[i + 1] != right) {
      return ::testing::AssertionFailure()
             << "frame " << i / 2 << " is " << stereo[i] << ", " << stereo[i + 1];
    }
  }
  return ::testing::AssertionSuccess();
}

TEST_F(AudioPlayerTest, ChannelModesRewriteEverySampleThatReachesTheSink) {
  const std::string song = ConstantStereoWav(dir, 0.4);
  struct Case {
    void (CAudioPlayer::*set)();
    int16_t left;
    int16_t right;
  };
  const Case cases[] = {{&CAudioPlayer::SetChannelBoth, 0x1234, 0x5678},
                        {&CAudioPlayer::SetChannelLeft, 0x1234, 0x1234},
                        {&CAudioPlayer::SetChannelRight, 0x5678, 0x5678},
                        {&CAudioPlayer::SetChannelReverse, 0x5678, 0x1234}};
  for (const Case& c : cases) {
    capture.Clear();
    receiver.received.clear();
    (player.*c.set)();
    ASSERT_TRUE(Start(song));
    ASSERT_EQ(WaitForEnd(3000), 1);
    EXPECT_TRUE(AllFramesAre(capture.Samples(), c.left, c.right));
    player.Stop();
    player.Close();
  }
}

TEST_F(AudioPlayerTest, ReverseStereoSwapsALeftAndARightToneWhilePlaying) {
  const std::string song = dir.File("tones.wav");
  const int rate = 44100;
  testing::WriteStereoWav(
      song, rate, rate * 2,
      [&](int i) { return static_cast<int16_t>(8000 * std::sin(2 * M_PI * 440 * i / rate)); },
      [&](int i) { return static_cast<int16_t>(8000 * std::sin(2 * M_PI * 1000 * i / rate)); });
  ASSERT_TRUE(Start(song));
  testing::Spin(500);
  auto samples = capture.Samples();
  EXPECT_NEAR(testing::ToneFrequency(testing::Channel(samples, 0), rate), 440, 5);
  EXPECT_NEAR(testing::ToneFrequency(testing::Channel(samples, 1), rate), 1000, 5);

  // The mode is read once per buffer: the change shows from a later buffer on.
  player.SetChannelReverse();
  testing::Spin(200);
  const size_t from = capture.size() / 2;
  testing::Spin(500);
  samples = capture.Samples();
  EXPECT_NEAR(testing::ToneFrequency(testing::Channel(samples, 0, from), rate), 1000, 5);
  EXPECT_NEAR(testing::ToneFrequency(testing::Channel(samples, 1, from), rate), 440, 5);
}

TEST_F(AudioPlayerTest, VolumeReachesTheSinkAsGain) {
  const std::string song = dir.File("loud.wav");
  const int rate = 44100;
  auto tone = [&](int i) {
    return static_cast<int16_t>(20000 * std::sin(2 * M_PI * 500 * i / rate));
  };
  testing::WriteStereoWav(song, rate, rate * 2, tone, tone);
  ASSERT_TRUE(Start(song));
  testing::Spin(300);
  EXPECT_NEAR(testing::Peak(testing::Channel(capture.Samples(), 0)), 20000, 100);

  struct Case {
    int32_t level;
    double gain;
  };
  for (const Case c : {Case{-625, 0.4870}, Case{-10000, 0.0}, Case{0, 1.0}}) {
    player.SetVolume(c.level);
    testing::Spin(150);  // buffers on their way keep the old gain
    const size_t from = capture.size() / 2;
    testing::Spin(250);
    EXPECT_NEAR(testing::Peak(testing::Channel(capture.Samples(), 0, from)), 20000 * c.gain, 120)
        << "level " << c.level;
  }
}

TEST_F(AudioPlayerTest, FasterRateEndsSoonerWithThePitchKept) {
  const std::string song = dir.File("tone.mp3");
  ASSERT_TRUE(testing::MakeToneFile(song, 3.0, 440, "lamemp3enc"));
  ASSERT_TRUE(Start(song));
  QElapsedTimer clock;
  clock.start();
  double rate = 0;
  for (int i = 0; i < 10; ++i)
    rate = player.ChangeRate(true);
  EXPECT_NEAR(rate, 1.5, 1e-9);
  testing::Spin(300);
  const size_t from = capture.size() / 2;
  ASSERT_EQ(WaitForEnd(5000), 1);
  EXPECT_NEAR(static_cast<double>(clock.elapsed()), 2000, 350);
  // Same tone, played in two thirds of the time.
  const auto left = testing::Channel(capture.Samples(), 0, from);
  EXPECT_NEAR(testing::ToneFrequency(left, 44100), 440, 15);
}

TEST_F(AudioPlayerTest, RateStepsStopAtTheirLimits) {
  const std::string song = dir.File("tone.mp3");
  ASSERT_TRUE(testing::MakeToneFile(song, 1.0, 440, "lamemp3enc"));
  EXPECT_EQ(player.ChangeRate(true), 0.0);  // no graph, no rate
  player.SetFileName(QString::fromStdString(song));
  ASSERT_TRUE(player.CreateGraph());
  ASSERT_EQ(player.Open(&receiver), kOk);
  double rate = 0;
  for (int i = 0; i < 20; ++i)
    rate = player.ChangeRate(true);
  EXPECT_NEAR(rate, 2.0, 1e-9);
  EXPECT_EQ(player.ChangeRate(true), rate);
  for (int i = 0; i < 30; ++i)
    rate = player.ChangeRate(false);
  EXPECT_NEAR(rate, 0.5, 1e-9);
  EXPECT_EQ(player.ChangeRate(false), rate);
  // Leave the old graph at 0.75, away from both normal speed and the limits.
  for (int i = 0; i < 5; ++i)
    rate = player.ChangeRate(true);
  EXPECT_NEAR(rate, 0.75, 1e-9);
  // A new graph starts at normal speed: one step down from 1.0 gives 0.95 (0.7 from a rate
  // kept from the old graph).
  ASSERT_TRUE(player.CreateGraph());
  ASSERT_EQ(player.Open(&receiver), kOk);
  EXPECT_NEAR(player.ChangeRate(false), 0.95, 1e-9);
}

TEST_F(AudioPlayerTest, EventsOfAGraphClosedBeforeTheyAreReadAreDropped) {
  const std::string song = ConstantStereoWav(dir, 0.2);
  ASSERT_TRUE(Start(song));
  // The end arrives while the UI thread is busy; the song is closed before it looks.
  QThread::msleep(700);
  player.Stop();
  player.Close();
  testing::Spin(200);
  EXPECT_TRUE(receiver.received.empty());
  int32_t code = 0;
  EXPECT_FALSE(player.GetEvent(code));
}

TEST_F(AudioPlayerTest, BrokenFilesFailToStartWithoutHanging) {
  const std::string garbage = dir.Write("broken.mp3", std::string(5000, '\x5a'));
  const std::string empty = dir.Write("empty.wma", "");
  // Why each could not be played, as GStreamer's errors tell it.
  const std::map<std::string, QString> reasons = {{garbage, "not a song file"},
                                                  {empty, "not a song file"},
                                                  {dir.File("missing.mp3"), "file not found"}};
  for (const std::string& path : {garbage, empty, dir.File("missing.mp3")}) {
    QElapsedTimer clock;
    clock.start();
    player.SetFileName(QString::fromStdString(path));
    ASSERT_TRUE(player.CreateGraph());
    // Refused at once, or found out while the file prerolls: the start then fails.
    if (player.Open(&receiver) == kOk) {
      player.Pause();
      EXPECT_TRUE(player.Play());
      EXPECT_EQ(player.State(), kStatePaused);  // on its way, not running
      EXPECT_EQ(testing::AwaitStart(player, receiver), kGraphEventStartFailed) << path;
      EXPECT_EQ(player.FailureReason(), reasons.at(path)) << path;
    }
    EXPECT_EQ(player.State(), kStateNoGraph);
    EXPECT_FALSE(player.Play());
    EXPECT_EQ(player.GetPositionMs(), 0u);
    EXPECT_LT(clock.elapsed(), 10000);
  }
  // No file at all.
  player.SetFileName(QString());
  ASSERT_TRUE(player.CreateGraph());
  EXPECT_EQ(player.Open(&receiver), kFail);
  // Nothing of the failed graphs arrives later.
  testing::Spin(200);
  int32_t code = 0;
  EXPECT_FALSE(player.GetEvent(code));
}

}  // namespace
}  // namespace lyrovox

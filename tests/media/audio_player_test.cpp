#include "media/audio_player.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QThread>
#include <cmath>

#include "lyrics/hresult.h"
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
    if (!player.CreateGraph() || player.Open(&receiver) != kOk) return false;
    capture.Attach(player.graph().pipeline());
    player.Pause();
    return player.Play();
  }

  // Waits for the end event and drains it.
  int32_t WaitForEnd(int timeoutMs) {
    if (!WaitUntil([&] { return !receiver.received.empty(); }, timeoutMs)) return 0;
    int32_t code = 0;
    return player.GetEvent(code) ? code : -1;
  }

  testing::TempDir dir;
  CAudioPlayer player;
  EventRecorder receiver;
  SinkCapture capture;
};

// Plays a file of about 1.5 s: the position follows the clock, the duration is right, and the end
// arrives on the UI thread as the audio player's private event with code 1.
void ExpectPlaysInRealTime(AudioPlayerTest& t, CAudioPlayer& player, EventRecorder& receiver,
                           uint32_t expectedMs) {
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(player.State(), kStateRunning);
  EXPECT_NEAR(player.GetDurationMs(), expectedMs, 150);
  testing::Spin(600);
  const auto elapsed = static_cast<double>(clock.elapsed());
  EXPECT_NEAR(player.GetPositionMs(), elapsed, 250);
  int32_t code = 0;
  ASSERT_TRUE(WaitUntil([&] { return !receiver.received.empty(); }, 5000));
  EXPECT_NEAR(static_cast<double>(clock.elapsed()), expectedMs, 500);
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
  ExpectPlaysInRealTime(*this, player, receiver, 1500);
  EXPECT_GT(testing::Peak(testing::Channel(capture.Samples(), 0)), 1000);
}

}  // namespace
}  // namespace lyrovox

// The singer's effects measured on the sound that reaches the sink: the key change moves a tone by
// the equal-tempered factor and keeps its length, also at another speed; vocal reduction takes out
// a tone in the middle of the stereo picture and keeps one at a side. Audio and video songs alike.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "lyrics/hresult.h"
#include "media/audio_player.h"
#include "media/file_player.h"
#include "media_fixtures.h"
#include "support/temp_dir.h"

namespace lyrovox {
namespace {

using testing::Channel;
using testing::EventRecorder;
using testing::SinkCapture;
using testing::Spin;
using testing::WaitUntil;

constexpr int kRate = 44100;

enum class Kind { kAudio, kVideo };

const char* Name(Kind kind) {
  return kind == Kind::kAudio ? "audio song" : "video song";
}

class SoundEffectsTest : public ::testing::Test {
 protected:
  // A tone file of the kind: a stereo WAV for the audio player (left and right amplitudes given),
  // an MPEG with a (centred) MPEG audio tone for the picture player.
  std::string ToneSong(Kind kind, double seconds, int hz, int left = 12000, int right = 12000) {
    if (kind == Kind::kVideo) {
      const std::string path = dir.File("tone.mpg");
      return testing::MakeMpg(path, seconds, hz) ? path : std::string();
    }
    const std::string path = dir.File("tone.wav");
    auto wave = [hz](int amplitude) {
      return [hz, amplitude](int i) {
        return static_cast<int16_t>(amplitude * std::sin(2 * M_PI * hz * i / kRate));
      };
    };
    const int frames = static_cast<int>(seconds * kRate);
    return testing::WriteStereoWav(path, kRate, frames, wave(left), wave(right)) ? path
                                                                                 : std::string();
  }

  // Builds and starts the graph the way the controller does; whileStarting runs between the
  // opening and the play.
  IMediaPlayer* Start(Kind kind, const std::string& path,
                      const std::function<bool(IMediaPlayer&)>& whileStarting = {}) {
    IMediaPlayer* player = nullptr;
    MediaGraph* graph = nullptr;
    if (kind == Kind::kAudio) {
      audio.SetFileName(QString::fromStdString(path));
      if (!audio.CreateGraph() || audio.Open(&receiver) != kOk) return nullptr;
      player = &audio;
      graph = &audio.graph();
    } else {
      video.SetFileName(QString::fromStdString(path), false);
      if (!video.CreateGraph() || video.Open(&receiver) != kOk) return nullptr;
      player = &video;
      graph = &video.graph();
    }
    capture.Attach(graph->pipeline());
    if (whileStarting && !whileStarting(*player)) return nullptr;
    player->Pause();
    if (!player->Play() || testing::AwaitStart(*player, receiver) != kGraphEventStarted) {
      return nullptr;
    }
    return capture.attached() ? player : nullptr;
  }

  bool WaitForEnd(IMediaPlayer& player, int timeoutMs) {
    for (;;) {
      if (!WaitUntil([&] { return !receiver.received.empty(); }, timeoutMs)) return false;
      receiver.received.clear();
      int32_t code = 0;
      while (player.GetEvent(code)) {
        if (code == 1) return true;
      }
    }
  }

  // The tone's frequency on the left channel over the sound that reached the sink from frame
  // `from` on, at most `frames` of it (the end of a song fades into dithered silence).
  double ToneFrom(size_t from, size_t frames = SIZE_MAX) {
    std::vector<int16_t> left = Channel(capture.Samples(), 0, from);
    left.resize(std::min(left.size(), frames));
    return testing::ToneFrequency(left, kRate);
  }
  int PeakFrom(int channel, size_t from) {
    return testing::Peak(Channel(capture.Samples(), channel, from));
  }
  size_t Frames() const { return capture.size() / 2; }

  testing::TempDir dir;
  // Declared first, gone last: the players' streaming threads write into it until they stop.
  SinkCapture capture;
  CAudioPlayer audio;
  CFilePlayer video;
  EventRecorder receiver;
};

// 440 Hz a whole tone up is 440 x 2^(2/12) = 493.88 Hz; the rest of the song lasts what is left
// of its 3 s divided by the speed, as without the key change.
TEST_F(SoundEffectsTest, AKeyChangeMovesTheToneAndKeepsTheSongsLength) {
  constexpr double kSeconds = 3.0;
  struct Case {
    Kind kind;
    int speedSteps;  // 0.05 each
    int key;
    double hz;
  };
  const Case cases[] = {
      {Kind::kAudio, 0, 2, 493.88}, {Kind::kAudio, 10, 2, 493.88}, {Kind::kAudio, 0, -3, 369.99},
      {Kind::kVideo, 0, 2, 493.88}, {Kind::kVideo, 10, 2, 493.88},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << Name(c.kind) << ", " << c.speedSteps << " speed steps, key " << c.key);
    capture.Clear();
    receiver.received.clear();
    const std::string song = ToneSong(c.kind, kSeconds, 440);
    ASSERT_FALSE(song.empty());
    IMediaPlayer* player = Start(c.kind, song);
    ASSERT_NE(player, nullptr);
    for (int i = 0; i < c.speedSteps; ++i)
      player->ChangeRate(true);
    const double speed = 1.0 + 0.05 * c.speedSteps;
    QElapsedTimer clock;
    clock.start();
    const size_t keyFrom = Frames();
    const double left = (kSeconds - player->GetPositionMs() / 1000.0) / speed;
    ASSERT_TRUE(player->SetKey(c.key));
    Spin(400);
    const size_t from = Frames();
    ASSERT_TRUE(WaitForEnd(*player, 8000));
    const double elapsed = static_cast<double>(clock.elapsed()) / 1000;
    EXPECT_NEAR(ToneFrom(from, kRate), c.hz, c.hz * 0.01);
    // Length: by the clock, and by the sound that reached the sink once the key changed.
    EXPECT_NEAR(elapsed, left, 0.2);
    EXPECT_NEAR(static_cast<double>(Frames() - keyFrom) / kRate, left, 0.1);
    player->Stop();
    player->Close();
  }
}

TEST_F(SoundEffectsTest, TheKeyChangesWhileTheSongPlaysAndReturnsToTheSongsOwn) {
  IMediaPlayer* player = Start(Kind::kAudio, ToneSong(Kind::kAudio, 4.0, 440));
  ASSERT_NE(player, nullptr);
  struct Step {
    int key;
    double hz;
  };
  // 440 x 2^(k/12): +1 466.16, +6 622.25, -6 311.13.
  for (const Step s : {Step{1, 466.16}, Step{6, 622.25}, Step{-6, 311.13}, Step{0, 440.0}}) {
    ASSERT_TRUE(player->SetKey(s.key));
    Spin(250);
    const size_t from = Frames();
    Spin(400);
    EXPECT_NEAR(ToneFrom(from), s.hz, s.hz * 0.01) << "key " << s.key;
  }
  // Beyond six semitones the key stays at six.
  ASSERT_TRUE(player->SetKey(9));
  Spin(250);
  const size_t from = Frames();
  Spin(400);
  EXPECT_NEAR(ToneFrom(from), 622.25, 6.2);
}

TEST_F(SoundEffectsTest, VocalReductionTakesOutTheCentreAndKeepsTheSides) {
  struct Case {
    Kind kind;
    int left;
    int right;
    bool kept;  // the left channel keeps its level
  };
  // A 1 kHz tone, well above the low band the effect leaves in the middle.
  const Case cases[] = {{Kind::kAudio, 12000, 12000, false},
                        {Kind::kAudio, 12000, 0, true},
                        {Kind::kVideo, 0, 0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << Name(c.kind) << " " << c.left << "/" << c.right);
    capture.Clear();
    const std::string song = ToneSong(c.kind, 3.0, 1000, c.left, c.right);
    ASSERT_FALSE(song.empty());
    IMediaPlayer* player = Start(c.kind, song);
    ASSERT_NE(player, nullptr);
    Spin(300);
    const int before = PeakFrom(0, Frames() / 2);
    ASSERT_GT(before, 3000);
    ASSERT_TRUE(player->SetVocalReduction(true));
    Spin(250);
    size_t from = Frames();
    Spin(400);
    const int reduced = PeakFrom(0, from);
    if (c.kept) {
      EXPECT_NEAR(reduced, before, before * 0.1);
    } else {
      EXPECT_LT(reduced, before / 10);
    }
    // And back.
    ASSERT_TRUE(player->SetVocalReduction(false));
    Spin(250);
    from = Frames();
    Spin(400);
    EXPECT_NEAR(PeakFrom(0, from), before, before * 0.02);
    player->Stop();
    player->Close();
  }
}

// A singer's key pressed as the song starts: the effects are asked for as soon as the sound path
// exists, while the file still prerolls. The song starts and plays with both (a tone on the left
// only, which vocal reduction keeps, two semitones up). Several rounds, as what goes wrong here
// depends on where the streaming thread is.
TEST_F(SoundEffectsTest, EffectsAskedForWhileTheSongStartsReachItOnceItPlays) {
  // The key up a whole tone, or down one: 440 x 2^(-2/12) = 392.00 Hz.
  for (int round = 0; round < 10; ++round) {
    SCOPED_TRACE(::testing::Message() << "round " << round);
    const int key = round % 2 == 0 ? 2 : -2;
    const double hz = round % 2 == 0 ? 493.88 : 392.00;
    const auto askEarly = [key](IMediaPlayer& player) {
      return WaitUntil([&] { return player.SetKey(key) && player.SetVocalReduction(true); }, 5000);
    };
    capture.Clear();
    receiver.received.clear();
    IMediaPlayer* player =
        Start(Kind::kAudio, ToneSong(Kind::kAudio, 1.5, 440, 12000, 0), askEarly);
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(audio.graph().effects().key(), key);
    EXPECT_TRUE(audio.graph().effects().vocalReduction());
    Spin(250);
    const size_t from = Frames();
    Spin(400);
    EXPECT_NEAR(ToneFrom(from), hz, 4.9);
    EXPECT_GT(PeakFrom(0, from), 3000);
    player->Stop();
    player->Close();
  }
}

TEST_F(SoundEffectsTest, WithoutSoundThereIsNothingToChange) {
  // No graph yet.
  EXPECT_FALSE(audio.SetKey(2));
  EXPECT_FALSE(audio.SetVocalReduction(true));
  // A background video plays without its sound.
  const std::string clip = ToneSong(Kind::kVideo, 1.0, 440);
  video.SetFileName(QString::fromStdString(clip), true);
  ASSERT_TRUE(video.CreateGraph());
  ASSERT_EQ(video.Open(&receiver), kOk);
  EXPECT_FALSE(video.SetKey(2));
  EXPECT_FALSE(video.SetVocalReduction(true));
  video.Close();
  // A new graph starts at the song's own key.
  IMediaPlayer* player = Start(Kind::kAudio, ToneSong(Kind::kAudio, 2.0, 440));
  ASSERT_NE(player, nullptr);
  ASSERT_TRUE(player->SetKey(3));
  player->Stop();
  player->Close();
  ASSERT_TRUE(Start(Kind::kAudio, ToneSong(Kind::kAudio, 2.0, 440)));
  EXPECT_EQ(audio.graph().effects().key(), 0);
  Spin(500);
  EXPECT_NEAR(ToneFrom(Frames() / 2), 440, 4.4);
}

}  // namespace
}  // namespace lyrovox

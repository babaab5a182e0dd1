// MIDI songs through the real audio player: the sound path after the sequencer, into a WAV file or
// the test's capture sink. Songs are built with the MIDI file writer; every time a note must
// sound at is worked out by hand from its tempo map.

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/smf_builder.h"
#include "common/smf_damage.h"
#include "lyrics/hresult.h"
#include "lyrics/lyric_store.h"
#include "media/audio_player.h"
#include "media/graph_retirement.h"
#include "media_fixtures.h"
#include "support/temp_dir.h"

namespace lyrovox {
namespace {

using testing::WaitUntil;

constexpr int kRate = 44100;
constexpr uint8_t kDrums = 9;
constexpr uint8_t kWoodBlock = 76;
constexpr uint8_t kClaves = 75;
constexpr double kOnsetToleranceMs = 10.0;
// At another speed scaletempo cuts the sound into stretches of 30 ms and lays each where it
// overlaps best within 14 ms either way of its place, and its attack is smoothed, so a lower
// level finds it. Where it starts (at a song's start or after a change) the stretches begin off
// the clock by up to about 40 ms of heard time, early or late: a WAV song of the same strokes
// lands the same. The tolerance is in heard time.
constexpr double kScaledOnsetToleranceMs = 45.0;
constexpr int kScaledOnsetLevel = 600;

// Fifteen wood block strokes, one a beat from beat 1 at 480 ticks a beat (none at the very start,
// where scaletempo fades its first stretch in), each with its syllable. The
// conductor (track 0) plays at 500000 us a beat and goes to 375000 at beat 4; the drum track
// (track 1) changes the tempo itself to 750000 at beat 8 and to 600000 at beat 12.
std::string TempoSong() {
  smf::File f(1, 480);
  f.AddTrack().Tempo(0, 500000).Tempo(4 * 480, 375000);
  auto& drums = f.AddTrack().Tempo(8 * 480, 750000).Tempo(12 * 480, 600000);
  auto& words = f.AddTrack().Text(0, "@TStrokes");
  for (uint32_t beat = 1; beat < 16; ++beat) {
    drums.Note(beat * 480, 30, kDrums, kWoodBlock, 127);
    words.Lyric(beat * 480, beat % 4 == 1 ? "\\tock " : "tock ");
  }
  return f.Encode();
}
// By hand: beats 0 to 4 are 500 ms apart, 4 to 8 375 ms, 8 to 12 750 ms, 12 to 15 600 ms.
const std::vector<double> kTempoSongOnsetsMs = {500,  1000, 1500, 2000, 2375, 2750, 3125, 3500,
                                                4250, 5000, 5750, 6500, 7100, 7700, 8300};

::testing::AssertionResult OnsetsAt(const std::vector<double>& onsets,
                                    const std::vector<double>& expected,
                                    double tolerance = kOnsetToleranceMs) {
  if (onsets.size() != expected.size()) {
    auto failure = ::testing::AssertionFailure()
                   << onsets.size() << " onsets, " << expected.size() << " expected:";
    for (double t : onsets)
      failure << ' ' << t;
    return failure;
  }
  for (size_t i = 0; i < onsets.size(); ++i) {
    if (std::abs(onsets[i] - expected[i]) > tolerance) {
      return ::testing::AssertionFailure()
             << "onset " << i << " at " << onsets[i] << " ms, expected " << expected[i];
    }
  }
  return ::testing::AssertionSuccess();
}

class MidiSongTest : public ::testing::Test {
 protected:
  void TearDown() override {
    player.Close();
    DrainRetiredGraphs();
    setenv("LYROVOX_AUDIO_SINK", "fakesink name=capture sync=true", 1);
  }

  // Opens the song as the controller does; `before` runs once the graph is open. The capture
  // is attached first: a MIDI song's sound path is built, and its sound flows, at once.
  bool Open(const std::string& path, const std::function<void()>& before = {}) {
    player.SetFileName(QString::fromStdString(path));
    if (!player.CreateGraph()) return false;
    capture.Attach(player.graph().pipeline());
    if (player.Open(&receiver) != kOk) return false;
    player.Pause();
    if (before) before();
    return player.Play() && testing::AwaitStart(player, receiver) == kGraphEventStarted;
  }
  // The next graph event code after the start, 0 when none came in time.
  int32_t NextEvent(int timeoutMs) {
    if (!WaitUntil([&] { return !receiver.received.empty(); }, timeoutMs)) return 0;
    int32_t code = 0;
    return player.GetEvent(code) ? code : -1;
  }
  // Plays a song to its end into a WAV file (as fast as it renders) and gives its samples.
  std::vector<int16_t> PlayIntoWav(const std::string& song,
                                   const std::function<void()>& before = {}) {
    const std::string wav = dir.File("out.wav");
    setenv("LYROVOX_AUDIO_SINK", ("wavenc ! filesink location=\"" + wav + "\"").c_str(), 1);
    EXPECT_TRUE(Open(song, before));
    EXPECT_EQ(NextEvent(30000), kGraphEventComplete);
    player.Close();
    DrainRetiredGraphs();  // the file is complete once its pipeline is down
    int rate = 0;
    int channels = 0;
    std::vector<int16_t> samples = testing::ReadWav(wav, &rate, &channels);
    EXPECT_EQ(rate, kRate);
    EXPECT_EQ(channels, 2);
    return samples;
  }

  testing::TempDir dir;
  testing::SinkCapture capture;
  CAudioPlayer player;
  testing::EventRecorder receiver;
};

TEST_F(MidiSongTest, NotesSoundOnTheirTimesAndOnTheirSyllablesThroughTempoChanges) {
  const std::string song = dir.Write("strokes.kar", TempoSong());
  const std::vector<int16_t> pcm = PlayIntoWav(song);
  const std::vector<double> onsets = testing::OnsetsMs(pcm, kRate);
  EXPECT_TRUE(OnsetsAt(onsets, kTempoSongOnsetsMs));

  // Every syllable is shown at its stroke.
  auto store = std::make_unique<LyricStore>();
  store->LoadKar(song);
  ASSERT_EQ(store->count, 15);
  std::vector<double> sung;
  for (int i = 0; i < store->count; ++i)
    sung.push_back(store->syllables[i].timeMs);
  EXPECT_TRUE(OnsetsAt(onsets, sung));
  // The song ends once the last stroke has died away, well within two seconds.
  const double endMs = static_cast<double>(pcm.size() / 2) * 1000.0 / kRate;
  EXPECT_GT(endMs, 8330.0);
  EXPECT_LT(endMs, 8330.0 + 2000.0);
}

TEST_F(MidiSongTest, AtSpeedOneAndAHalfTheNotesSoundOnTheScaledTimes) {
  const std::string song = dir.Write("strokes.kar", TempoSong());
  const std::vector<int16_t> pcm = PlayIntoWav(song, [this] {
    // Once cued at its start, as a speed change before the song runs finds it.
    gst_element_get_state(player.graph().pipeline(), nullptr, nullptr, 5 * GST_SECOND);
    for (int i = 0; i < 10; ++i)
      player.ChangeRate(true);
  });
  std::vector<double> scaled;
  for (double t : kTempoSongOnsetsMs)
    scaled.push_back(t / 1.5);
  EXPECT_TRUE(
      OnsetsAt(testing::OnsetsMs(pcm, kRate, kScaledOnsetLevel), scaled, kScaledOnsetToleranceMs));
}

TEST_F(MidiSongTest, ASpeedChangeInTheMiddleKeepsTheNotesOnTheirTimes) {
  const std::string song = dir.Write("strokes.kar", TempoSong());
  ASSERT_TRUE(Open(song));
  ASSERT_TRUE(WaitUntil([&] { return player.GetPositionMs() > 2200; }, 5000));
  for (int i = 0; i < 10; ++i)
    player.ChangeRate(true);
  ASSERT_EQ(NextEvent(15000), kGraphEventComplete);
  // Each sample is placed in the song by the segment it came in and the time of the first
  // buffer after that segment. Sound already past the sink when the speed changed, from beyond
  // the place the song goes on from, is heard only once: as it comes again.
  const std::vector<int16_t> pcm = capture.Samples();
  const std::vector<testing::SinkCapture::Segment> segments = capture.Segments();
  ASSERT_GE(segments.size(), 2u);
  EXPECT_DOUBLE_EQ(segments.back().appliedRate, 1.5);
  std::vector<double> songTimes;
  for (double t : testing::OnsetsMs(pcm, kRate, kScaledOnsetLevel)) {
    const auto sample = static_cast<size_t>(t * kRate / 1000.0) * 2;
    size_t s = 0;
    while (s + 1 < segments.size() && segments[s + 1].samplesBefore <= sample)
      ++s;
    const double songMs = testing::StreamTimeMs(segments[s], sample, kRate);
    if (s + 1 < segments.size() &&
        songMs >= testing::StreamTimeMs(segments[s + 1], segments[s + 1].samplesBefore, kRate)) {
      continue;
    }
    songTimes.push_back(songMs);
  }
  EXPECT_TRUE(OnsetsAt(songTimes, kTempoSongOnsetsMs, 1.5 * kScaledOnsetToleranceMs));
}

TEST_F(MidiSongTest, StopInTheMiddleOfALongNoteIsSilentWithinFiftyMilliseconds) {
  smf::File f(0, 480);
  f.AddTrack().Program(0, 0, 19).Note(0, 480 * 20, 0, 60, 110).Note(0, 480 * 20, 0, 67, 110);
  ASSERT_TRUE(Open(dir.Write("organ.kar", f.Encode())));
  ASSERT_TRUE(WaitUntil([&] { return player.GetPositionMs() > 1000; }, 5000));
  const size_t atStop = capture.size();
  player.Stop();
  testing::Spin(400);
  const std::vector<int16_t> pcm = capture.Samples();
  EXPECT_GT(testing::Peak({pcm.begin() + static_cast<std::ptrdiff_t>(atStop) - 4410,
                           pcm.begin() + static_cast<std::ptrdiff_t>(atStop)}),
            1000);
  const size_t silentFrom = atStop + 2 * kRate * 50 / 1000;
  if (pcm.size() > silentFrom) {
    EXPECT_EQ(testing::Peak({pcm.begin() + static_cast<std::ptrdiff_t>(silentFrom), pcm.end()}), 0);
  }
}

TEST_F(MidiSongTest, TheNextSongStartsWithTheDefaultProgramsAndControllers) {
  // A piano A at 440 Hz, alone.
  smf::File plain(0, 500);
  plain.AddTrack().Note(100, 900, 0, 69, 100);
  const std::string plainSong = dir.Write("plain.kar", plain.Encode());
  auto playPlain = [&] {
    capture.Clear();
    EXPECT_TRUE(Open(plainSong));
    EXPECT_EQ(NextEvent(10000), kGraphEventComplete);
    player.Close();
    return testing::Channel(capture.Samples(), 0);
  };
  const std::vector<int16_t> reference = playPlain();

  // An organ bent down, quiet, with the pedal down, stopped while it sounds.
  smf::File messy(0, 500);
  messy.AddTrack()
      .Program(0, 0, 19)
      .Controller(0, 0, 7, 30)
      .Controller(0, 0, 64, 127)
      .Raw(0, std::string("\xE0\x00\x20", 3))
      .Note(10, 8000, 0, 69, 120);
  ASSERT_TRUE(Open(dir.Write("messy.kar", messy.Encode())));
  testing::Spin(600);
  player.Stop();
  player.Close();

  const std::vector<int16_t> after = playPlain();
  // The same piano note as before the organ, at the same level and pitch.
  const size_t frames = std::min<size_t>({after.size(), reference.size(), size_t{kRate}});
  EXPECT_LT(testing::Distance(
                {after.begin(), after.begin() + static_cast<std::ptrdiff_t>(frames)},
                {reference.begin(), reference.begin() + static_cast<std::ptrdiff_t>(frames)}),
            testing::kSameSound);
}

// A song of short strokes for the damaged files: 500 ticks a beat at the default tempo, so one
// tick is a millisecond. Track 0 the conductor, track 1 a wood block every 500 ms from 0 to 3500,
// track 2 the words, track 3 claves every 500 ms from 250 to 3750: the last chunk.
smf::File StrokesForDamage() {
  smf::File f(1, 500);
  f.AddTrack().Tempo(0, 500000);
  auto& block = f.AddTrack();
  f.AddTrack().Text(0, "@TDamaged").Lyric(0, "\\one ").Lyric(1000, "two ").Lyric(2000, "three");
  auto& claves = f.AddTrack();
  for (uint32_t t = 0; t < 4000; t += 500) {
    block.Note(t, 30, kDrums, kWoodBlock, 110);
    claves.Note(t + 250, 30, kDrums, kClaves, 110);
  }
  return f;
}

std::vector<double> Every500(double from, double until) {
  std::vector<double> v;
  for (double t = from; t < until; t += 500)
    v.push_back(t);
  return v;
}

std::vector<double> Merged(std::vector<double> a, const std::vector<double>& b) {
  a.insert(a.end(), b.begin(), b.end());
  std::sort(a.begin(), a.end());
  return a;
}

struct DamagedCase {
  const char* name;
  std::string bytes;
  bool plays;                    // false: nothing to play, the start fails
  std::vector<double> onsetsMs;  // what the salvaged part sounds
};

std::vector<DamagedCase> DamagedCases() {
  const smf::File song = StrokesForDamage();
  // The claves chunk, written without running status, from its end: the end of track is 4
  // bytes, a release 4 (a one-byte delta of 30), a stroke 5 (a two-byte delta of 470). Cutting
  // 24 bytes leaves the strokes up to 2750 and breaks the release at 2780.
  // Songs last some seconds: lyrovox-play takes a song that ends before it sees it run (a
  // fraction of a second into a sink that does not keep time) for one that did not play.
  smf::File front(1, 500);
  auto& frontTrack = front.AddTrack().Tempo(0, 500000);
  for (uint32_t t = 0; t < 4000; t += 500)
    frontTrack.Note(t, 30, kDrums, kWoodBlock, 110);
  std::string endless = front.Encode() + std::string("MTrk\xFF\xFF\xFF\xFF", 8);
  endless[11] = 2;  // two tracks announced
  smf::File quiet(1, 500);
  quiet.AddTrack().Tempo(0, 500000).Lyric(0, "\\la");
  std::string nothing = quiet.Encode() + std::string("MTrk\xFF\xFF\xFF\xFF", 8);
  nothing[11] = 2;
  return {
      {"BadEvent", smf::WithBadEvent(song, 1, 2100), true,
       Merged(Every500(0, 2100), Every500(250, 4000))},
      {"StrayDataByte", smf::WithStrayDataByte(song, 3, 2300), true,
       Merged(Every500(0, 4000), Every500(250, 2300))},
      {"Truncated", smf::Truncated(song, 24), true, Merged(Every500(0, 4000), Every500(250, 2800))},
      {"JunkAfterTheTracks", smf::WithMoreTracksAnnounced(song, 6, "JUNKJUNKJUNKJUNK"), true,
       Merged(Every500(0, 4000), Every500(250, 4000))},
      {"EndlessTrack", endless, true, Every500(0, 4000)},
      {"NothingToPlay", nothing, false, {}},
  };
}

class DamagedMidiTest : public ::testing::TestWithParam<int> {
 protected:
  testing::TempDir dir;
};

// lyrovox-play plays the file to its end and quits, 20 times, four at a time: never a crash, a
// hang or a leftover process, and every time the salvaged part sounds on its times.
TEST_P(DamagedMidiTest, TheSalvagedPartPlaysAndTheProgramEndsCleanlyEveryTime) {
  const DamagedCase c = DamagedCases()[static_cast<size_t>(GetParam())];
  const std::string song = dir.Write(std::string(c.name) + ".kar", c.bytes);
  constexpr int kPlays = 20;
  constexpr int kAtOnce = 4;
  for (int round = 0; round < kPlays / kAtOnce; ++round) {
    std::vector<std::unique_ptr<QProcess>> plays;
    std::vector<std::string> wavs;
    for (int i = 0; i < kAtOnce; ++i) {
      const std::string run = dir.path() + "/run" + std::to_string(i);
      QDir().mkpath(QString::fromStdString(run + "/runtime"));
      wavs.push_back(run + "/out.wav");
      std::remove(wavs.back().c_str());
      QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
      env.insert("QT_QPA_PLATFORM", "offscreen");
      env.insert("XDG_RUNTIME_DIR", QString::fromStdString(run + "/runtime"));
      env.insert("LYROVOX_AUDIO_SINK",
                 QString::fromStdString("wavenc ! filesink location=\"" + wavs.back() + "\""));
      auto process = std::make_unique<QProcess>();
      process->setProcessEnvironment(env);
      process->start(LYROVOX_PLAY_EXECUTABLE, {QString::fromStdString(song), "--quit-at-end"});
      plays.push_back(std::move(process));
    }
    for (int i = 0; i < kAtOnce; ++i) {
      QProcess& p = *plays[static_cast<size_t>(i)];
      const bool ended = p.waitForFinished(30000);
      if (!ended) p.kill();
      ASSERT_TRUE(ended) << c.name << ": play " << round * kAtOnce + i << " did not end";
      ASSERT_EQ(p.exitStatus(), QProcess::NormalExit) << c.name;
      EXPECT_EQ(p.exitCode(), c.plays ? 0 : 1)
          << c.name << ": " << p.readAllStandardError().toStdString();
      if (!c.plays) continue;
      const std::vector<int16_t> pcm = testing::ReadWav(wavs[static_cast<size_t>(i)]);
      EXPECT_TRUE(OnsetsAt(testing::OnsetsMs(pcm, kRate), c.onsetsMs))
          << c.name << ": play " << round * kAtOnce + i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedMidiTest, ::testing::Range(0, 6),
                         [](const ::testing::TestParamInfo<int>& param) {
                           return std::string(
                               DamagedCases()[static_cast<size_t>(param.param)].name);
                         });

}  // namespace
}  // namespace lyrovox

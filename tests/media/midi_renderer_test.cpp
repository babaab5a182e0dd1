// The sequencer and the synthesiser without GStreamer: real FluidSynth with the installed General
// MIDI soundfont, songs built with the MIDI file writer, times worked out by hand.

#include "media/midi_renderer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "common/smf_builder.h"
#include "media/midi_source.h"
#include "media_fixtures.h"

namespace lyrovox {
namespace {

constexpr int kRate = MidiSynth::kSampleRate;
constexpr uint8_t kDrums = 9;       // channel 10
constexpr uint8_t kWoodBlock = 76;  // a short, sharp drum-kit sound

std::shared_ptr<const MidiSequence> Song(const smf::File& file) {
  const std::string bytes = file.Encode();
  return std::make_shared<MidiSequence>(
      ReadMidiSequence({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}));
}

std::vector<int16_t> RenderAll(MidiRenderer& renderer, size_t block = 1024) {
  std::vector<int16_t> out;
  std::vector<int16_t> buffer(2 * block);
  while (size_t n = renderer.Render(buffer.data(), block)) {
    out.insert(out.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(2 * n));
  }
  return out;
}

std::vector<int16_t> Frames(const std::vector<int16_t>& stereo, size_t from, size_t count) {
  from = std::min(from, stereo.size() / 2);
  count = std::min(count, stereo.size() / 2 - from);
  return {stereo.begin() + static_cast<std::ptrdiff_t>(2 * from),
          stereo.begin() + static_cast<std::ptrdiff_t>(2 * (from + count))};
}

using testing::Distance;
using testing::kSameSound;

class MidiRendererTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(SharedMidiSynth()->hasSoundfont()) << "no General MIDI soundfont installed";
  }
  std::shared_ptr<MidiSynth> synth = SharedMidiSynth();
};

TEST_F(MidiRendererTest, NotesSoundAtTheirExactSampleWhateverTheBlocks) {
  // 96 ticks a quarter at 600000 us: a tick is 6.25 ms. Notes at ticks 16, 40 and 77: 100 ms,
  // 250 ms and 481.25 ms, that is samples 4410, 11025 and 21223.125.
  smf::File f(0, 96);
  auto& t = f.AddTrack().Tempo(0, 600000);
  for (uint32_t tick : {16u, 40u, 77u})
    t.Note(tick, 4, kDrums, kWoodBlock, 120);
  for (size_t block : {1024u, 100u, 7u}) {
    MidiRenderer renderer(Song(f), synth);
    const std::vector<double> onsets = testing::OnsetsMs(RenderAll(renderer, block), kRate);
    ASSERT_EQ(onsets.size(), 3u) << block;
    // The synthesiser starts voices on its 64-sample grid and the sample's attack rises.
    const double expected[] = {100.0, 250.0, 481.25};
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_GE(onsets[i], expected[i]) << block;
      EXPECT_LT(onsets[i], expected[i] + 4.0) << block;
    }
  }
}

TEST_F(MidiRendererTest, TheSongEndsOnceItsReleaseHasDiedAwayAndAtMostTwoSecondsAfterItsEnd) {
  // A wood block struck at 500 ms and let go at 530 ms dies away within a second.
  smf::File shortNote(0, 500);
  shortNote.AddTrack().Note(500, 30, kDrums, kWoodBlock, 100);
  MidiRenderer a(Song(shortNote), synth);
  EXPECT_EQ(a.endSample(), 530u * kRate / 1000);
  const size_t frames = RenderAll(a).size() / 2;
  EXPECT_GT(frames, a.endSample());
  EXPECT_LT(frames, a.endSample() + kRate);
  // An organ note that is never let go ends two seconds after the song's last event.
  smf::File hanging(0, 500);
  hanging.AddTrack().Program(0, 0, 19).Raw(100, std::string("\x90\x3C\x64", 3)).Lyric(1000, "end");
  MidiRenderer b(Song(hanging), synth);
  EXPECT_EQ(RenderAll(b).size() / 2, b.endSample() + MidiRenderer::kMaxReleaseFrames);
  EXPECT_EQ(b.endSample(), static_cast<uint64_t>(kRate));
}

TEST_F(MidiRendererTest, SeeksGoOnWithTheSameSoundOrStartAfreshFarAway) {
  // A sustained string chord and a melody over it, a note a second, 1 ms a tick.
  auto melody = [](smf::Track& t) {
    t.Program(0, 1, 73);
    for (uint32_t i = 0; i < 6; ++i)
      t.Note(i * 1000, 200, 1, static_cast<uint8_t>(72 + i), 100);
  };
  smf::File f(1, 500);
  auto& t = f.AddTrack().Program(0, 0, 48);
  t.Note(0, 6000, 0, 48, 90).Note(0, 6000, 0, 55, 90);
  melody(t);
  const auto song = Song(f);
  MidiRenderer straight(song, synth);
  const std::vector<int16_t> whole = RenderAll(straight);

  // Back over what was rendered (a speed change seeks to the position the sink plays), and
  // ahead within two seconds: the same sound, the chord not cut.
  MidiRenderer seeking(song, synth);
  std::vector<int16_t> first;
  std::vector<int16_t> block(2 * 1024);
  while (seeking.position() < 100000) {
    const size_t n = seeking.Render(block.data(), 1024);
    first.insert(first.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(2 * n));
  }
  const uint64_t back = seeking.position() - 30000;
  seeking.Seek(back);
  EXPECT_EQ(seeking.position(), back);
  std::vector<int16_t> again(2 * 50000);
  for (size_t done = 0; done < 50000;)
    done += seeking.Render(again.data() + 2 * done, 50000 - done);
  // The frames gone back over come out again as they were; the synthesis goes on after them.
  EXPECT_EQ(Frames(again, 0, 30000), Frames(first, back, 30000));
  EXPECT_LT(Distance(Frames(again, 30000, 20000), Frames(whole, back + 30000, 20000)), kSameSound);
  const uint64_t ahead = seeking.position() + 60000;
  seeking.Seek(ahead);
  seeking.Render(block.data(), 1024);
  EXPECT_LT(Distance(block, Frames(whole, ahead, 1024)), kSameSound);

  // Far away, the synthesiser starts afresh there with the song's programs: the melody's notes
  // after the place sound as they do in the song (its chord, struck before, does not).
  smf::File alone(1, 500);
  melody(alone.AddTrack());
  MidiRenderer melodyRenderer(Song(alone), synth);
  const std::vector<int16_t> melodyOnly = RenderAll(melodyRenderer);
  MidiRenderer far(song, synth);
  const uint64_t at = 4 * kRate;  // a note starts here
  far.Seek(at);
  std::vector<int16_t> after(2 * 4410);
  for (size_t done = 0; done < 4410;)
    done += far.Render(after.data() + 2 * done, 4410 - done);
  EXPECT_LT(Distance(after, Frames(melodyOnly, at, 4410)), kSameSound);
}

TEST_F(MidiRendererTest, ASongStartsFromTheDefaultStateWhateverTheSongBeforeLeft) {
  smf::File plain(0, 500);
  plain.AddTrack().Note(100, 400, 0, 69, 100).Note(600, 400, 0, 72, 100);
  MidiRenderer first(Song(plain), synth);
  const std::vector<int16_t> reference = RenderAll(first);

  // A song that changes the program, the volume, the bend, the pedal and the reverb, and is cut
  // off while its notes still sound, by the next song claiming the synthesiser.
  smf::File messy(0, 500);
  messy.AddTrack()
      .Program(0, 0, 19)
      .Controller(0, 0, 7, 20)
      .Controller(0, 0, 64, 127)
      .Controller(0, 0, 91, 127)
      .Raw(0, std::string("\xE0\x00\x70", 3))
      .Note(10, 5000, 0, 60, 127)
      .Note(10, 5000, kDrums, 49, 127);
  auto before = std::make_unique<MidiRenderer>(Song(messy), synth);
  std::vector<int16_t> block(2 * 1024);
  for (int i = 0; i < 30; ++i)
    before->Render(block.data(), 1024);
  MidiRenderer next(Song(plain), synth);
  EXPECT_EQ(before->Render(block.data(), 1024), 0u);  // the song before has lost its voice
  before.reset();
  // Up to the release, which ends where the dither lets it.
  const size_t frames = 1000 * kRate / 1000;
  EXPECT_LT(Distance(Frames(RenderAll(next), 0, frames), Frames(reference, 0, frames)), kSameSound);
}

TEST_F(MidiRendererTest, ResetMessagesBringBackTheDefaultProgramsAndControllers) {
  const std::string resets[] = {
      std::string("\x7E\x7F\x09\x01\xF7", 5),                       // General MIDI 1 on
      std::string("\x7E\x10\x09\x03\xF7", 5),                       // General MIDI 2 on
      std::string("\x41\x10\x42\x12\x40\x00\x7F\x00\x41\xF7", 10),  // GS reset
      std::string("\x43\x10\x4C\x00\x00\x7E\x00\xF7", 8),           // XG System On
      std::string("\x43\x10\x4C\x00\x00\x7F\x00\xF7", 8),           // XG all parameters: no reset
  };
  for (const std::string& reset : resets) {
    // The volume goes to 0; a note before the message is silent, a note after it sounds.
    smf::File f(0, 500);
    f.AddTrack()
        .Controller(0, 0, 7, 0)
        .Note(100, 300, 0, 69, 100)
        .SysEx(600, reset)
        .Note(700, 300, 0, 69, 100);
    MidiRenderer renderer(Song(f), synth);
    const std::vector<int16_t> out = RenderAll(renderer);
    const int before = testing::Peak(Frames(out, 0, 600 * kRate / 1000));
    const int after = testing::Peak(Frames(out, 700 * kRate / 1000, kRate / 2));
    const bool isReset = &reset != &resets[4];
    EXPECT_LT(before, 20) << testing::Peak(out);
    if (isReset) {
      EXPECT_GT(after, 1000) << static_cast<int>(reset[0]);
    } else {
      EXPECT_LT(after, 20);
    }
  }
}

TEST_F(MidiRendererTest, ChannelTenPlaysDrumsAndPitchBendMovesThePitch) {
  // An A at 440 Hz on an ocarina (a nearly pure tone), then bent up by the default two
  // semitones: 440 x 2^(2/12) = 493.9 Hz. The same key on channel 10 is a drum, no A at all.
  smf::File f(0, 500);
  f.AddTrack()
      .Program(0, 0, 79)
      .Note(0, 1000, 0, 69, 100)
      .Raw(1500, std::string("\xE0\x7F\x7F", 3))
      .Note(1500, 1000, 0, 69, 100)
      .Note(3000, 1000, kDrums, 69, 100);
  MidiRenderer renderer(Song(f), synth);
  const std::vector<int16_t> out = RenderAll(renderer);
  auto pitch = [&out](double fromMs) {
    return testing::ToneFrequency(
        testing::Channel(Frames(out, static_cast<size_t>(fromMs * 44.1), kRate / 2), 0), kRate);
  };
  EXPECT_NEAR(pitch(300), 440.0, 2.0);
  EXPECT_NEAR(pitch(1800), 493.9, 2.5);
  EXPECT_GT(std::abs(pitch(3050) - 440.0), 50.0);
  EXPECT_GT(testing::Peak(Frames(out, 3000 * 44 + 100, kRate / 4)), 500);
}

}  // namespace
}  // namespace lyrovox

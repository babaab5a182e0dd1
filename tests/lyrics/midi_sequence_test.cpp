#include "lyrics/midi_sequence.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "common/smf_builder.h"
#include "common/smf_damage.h"
#include "lyrics/karaoke_file.h"

namespace lyrovox {
namespace {

using smf::File;

std::span<const uint8_t> Span(const std::string& bytes) {
  return {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
}

std::string B(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes)
    s.push_back(static_cast<char>(b));
  return s;
}

// (milliseconds as the lyrics round them, status, data1, data2) of every event.
using Played = std::tuple<int64_t, int, int, int>;
std::vector<Played> PlayedEvents(const MidiSequence& song) {
  std::vector<Played> out;
  for (const MidiEvent& e : song.events)
    out.emplace_back(song.MsAt(e.time), e.status, e.data1, e.data2);
  return out;
}

// The note-ons that sound, by milliseconds.
std::vector<int64_t> Onsets(const MidiSequence& song) {
  std::vector<int64_t> out;
  for (const MidiEvent& e : song.events) {
    if ((e.status & 0xF0) == 0x90 && e.data2 > 0) out.push_back(song.MsAt(e.time));
  }
  return out;
}

TEST(MidiSequence, TempoChangesInAnyTrackTimeTheNotesAsTheyTimeTheLyrics) {
  // 480 ticks a quarter. The conductor (track 0) starts at 500000 us a quarter and goes to
  // 250000 at tick 960; the melody's own track changes to 1000000 at tick 1440 and to 333333 at
  // 1920. By hand: tick 480 is 500 ms, 960 is 1000 ms, 1440 is 1000 + 250 = 1250 ms, 1920 is
  // 1250 + 1000 = 2250 ms and 2400 is 2250 + 333.333 = 2583 1/3 ms.
  File f(1, 480);
  f.AddTrack().Tempo(0, 500000).Tempo(960, 250000);
  auto& melody = f.AddTrack();
  melody.Tempo(1440, 1000000).Tempo(1920, 333333);
  auto& words = f.AddTrack();
  const char* syllables[] = {"\\One", "two ", "three ", "four ", "five ", "six"};
  for (uint32_t i = 0; i < 6; ++i) {
    melody.Note(i * 480, 120, 9, 76, 100);
    words.Lyric(i * 480, syllables[i]);
  }
  const std::string bytes = f.Encode();
  const MidiSequence song = ReadMidiSequence(Span(bytes));
  ASSERT_EQ(song.outcome.result, kOk);
  EXPECT_TRUE(song.hasNotes);
  const std::vector<int64_t> expected = {0, 500, 1000, 1250, 2250, 2583};
  EXPECT_EQ(Onsets(song), expected);

  // The samples of a note are its exact time at the rate: 2583 1/3 ms x 44.1 is 113925.
  std::vector<uint64_t> samples;
  for (const MidiEvent& e : song.events) {
    if ((e.status & 0xF0) == 0x90 && e.data2 > 0) samples.push_back(song.SampleAt(e.time, 44100));
  }
  EXPECT_EQ(samples, (std::vector<uint64_t>{0, 22050, 44100, 55125, 99225, 113925}));

  // The lyric reader puts every syllable on the time of its note.
  HResult r;
  MemoryAnsiKaraokeFile lyrics(Span(bytes), &r);
  ASSERT_EQ(r, kOk);
  std::vector<int64_t> sung;
  lyrics.ForEachLyricEvent([&](const auto& e) { sung.push_back(lyrics.TickToMs(e.tick)); });
  EXPECT_EQ(sung, expected);
  // The song ends with its last note's release: 2583 1/3 + 120 ticks at 333333 us = 2666 2/3.
  EXPECT_EQ(song.MsAt(song.end), 2667);
}

TEST(MidiSequence, ChannelMessagesKeepTheirChannelThroughRunningStatus) {
  // 500 ticks a quarter at the default tempo: a tick is a millisecond.
  File f(0, 500);
  f.AddTrack()
      .Raw(0, B({0x93, 0x3C, 0x40}))   // note on, channel 4
      .Raw(10, B({0x3E, 0x41}))        // another by running status
      .Raw(20, B({0xC5, 0x07}))        // program change, channel 6
      .Raw(30, B({0x09}))              // another by running status: one data byte
      .Raw(40, B({0xE1, 0x00, 0x60}))  // pitch bend up, channel 2
      .Raw(50, B({0xD2, 0x55}))        // channel pressure
      .Raw(60, B({0xA2, 0x3C, 0x22}))  // key pressure
      .Raw(70, B({0xB2, 0x07, 0x64}))  // volume
      .Raw(80, B({0x92, 0x80, 0x40}))  // not MIDI data: left out, the track goes on
      .Raw(90, B({0x83, 0x3C, 0x00}));
  const MidiSequence song = ReadMidiSequence(Span(f.Encode()));
  ASSERT_EQ(song.outcome.result, kOk);
  const std::vector<Played> expected = {
      {0, 0x93, 0x3C, 0x40},  {10, 0x93, 0x3E, 0x41}, {20, 0xC5, 7, 0},
      {30, 0xC5, 9, 0},       {40, 0xE1, 0x00, 0x60}, {50, 0xD2, 0x55, 0},
      {60, 0xA2, 0x3C, 0x22}, {70, 0xB2, 7, 0x64},    {90, 0x83, 0x3C, 0}};
  EXPECT_EQ(PlayedEvents(song), expected);
}

TEST(MidiSequence, SystemExclusiveMessagesKeepTheirBytesAndEscapesAreLeftOut) {
  File f(0, 500);
  f.AddTrack()
      .SysEx(0, std::string("\x41\x10\x42\x12\x40\x00\x7F\x00\x41\xF7", 10))  // a GS reset
      .SysEx(5, std::string("\x7E\x7F\x09\x01", 4))                           // no closing 0xF7
      .Raw(7, B({0xF7, 0x02, 0x90, 0x40}))                                    // an escape
      .Note(10, 10, 0, 60, 90);
  const MidiSequence song = ReadMidiSequence(Span(f.Encode()));
  ASSERT_EQ(song.outcome.result, kOk);
  ASSERT_EQ(song.events.size(), 4u);
  auto bytes = [&song](const MidiEvent& e) {
    return song.sysex.substr(e.sysexOffset, e.sysexLength);
  };
  EXPECT_EQ(song.events[0].status, 0xF0);
  EXPECT_EQ(bytes(song.events[0]), std::string("\x41\x10\x42\x12\x40\x00\x7F\x00\x41", 9));
  EXPECT_EQ(bytes(song.events[1]), std::string("\x7E\x7F\x09\x01", 4));
  EXPECT_EQ(song.events[2].status, 0x90);
}

TEST(MidiSequence, EventsAtOneTimeStayInTrackOrderAndTheEndIsTheLastSungOrPlayedEvent) {
  File f(1, 500);
  f.AddTrack().Controller(100, 0, 7, 10).Raw(100, B({0xC0, 0x05}));
  f.AddTrack().Controller(100, 0, 7, 20).Note(50, 50, 0, 60, 90);
  // A lyric after the last note keeps the song going; an end-of-track mark far behind does not.
  f.AddTrack().Lyric(900, "end").Meta(60000, 0x06, "marker");
  const MidiSequence song = ReadMidiSequence(Span(f.Encode()));
  const std::vector<Played> expected = {{50, 0x90, 60, 90},
                                        {100, 0xB0, 7, 10},
                                        {100, 0xC0, 5, 0},
                                        {100, 0xB0, 7, 20},
                                        {100, 0x90, 60, 0}};
  EXPECT_EQ(PlayedEvents(song), expected);
  EXPECT_EQ(song.MsAt(song.end), 900);
}

TEST(MidiSequence, AFileWithoutNotesOrTimeHasNothingOrPlaysAtOnce) {
  File silent(1, 480);
  silent.AddTrack().Tempo(0, 400000).Program(0, 0, 5).Controller(10, 0, 7, 100).Lyric(480, "la");
  EXPECT_FALSE(ReadMidiSequence(Span(silent.Encode())).hasNotes);
  EXPECT_FALSE(ReadMidiSequence(Span(std::string("MThd\0\0\0\6", 8))).hasNotes);
  EXPECT_FALSE(ReadMidiSequence({}).hasNotes);
  // A division of 0 gives no time unit: everything sounds at once.
  File timeless(0, 0);
  timeless.AddTrack().Note(0, 480, 0, 60, 90).Note(960, 480, 0, 62, 90);
  const MidiSequence song = ReadMidiSequence(Span(timeless.Encode()));
  EXPECT_TRUE(song.hasNotes);
  EXPECT_EQ(song.unitsPerMs, 0u);
  for (const MidiEvent& e : song.events)
    EXPECT_EQ(song.SampleAt(e.time, 44100), 0u);
}

TEST(MidiSequence, DamagedFilesPlayWhatTheLyricReaderSalvagesAndReleaseTheCutNotes) {
  using smf::kWildBassTrack;
  using smf::kWildMelodyTrack;
  const File wild = smf::WildKaraokeSong();
  // The melody strikes a note every 250 ms from 0 to 4750 (each 200 ms long), the bass every
  // 500 ms from 0 to 4500 (each 400 ms long); one tick is one millisecond.
  auto melody = [](uint32_t until) {
    std::vector<int64_t> v;
    for (uint32_t t = 0; t < until && t < 5000; t += 250)
      v.push_back(t);
    return v;
  };
  auto bass = [](uint32_t until) {
    std::vector<int64_t> v;
    for (uint32_t t = 0; t < until && t < 5000; t += 500)
      v.push_back(t);
    return v;
  };
  // A header, then a melody track, then a chunk whose length says 0xFFFFFFFF and no data.
  File front(1, smf::kWildDivision);
  front.AddTrack().Tempo(0, 500000).Note(0, 100, 0, 60, 90).Note(300, 100, 0, 62, 90);
  const std::string endless = front.Encode() + std::string("MTrk\xFF\xFF\xFF\xFF", 8);
  std::string endlessHeader = endless;
  endlessHeader[11] = 2;  // two tracks announced

  struct Case {
    const char* what;
    std::string bytes;
    std::vector<int64_t> melody;  // channel 0 onsets
    std::vector<int64_t> bass;    // channel 1 onsets
  };
  const Case cases[] = {
      {"a bad event in the melody at 2600", smf::WithBadEvent(wild, kWildMelodyTrack, 2600),
       melody(2600), bass(5000)},
      {"a stray data byte in the bass at 3000",
       // The bass's note at 3000 comes before the damage added at the same tick.
       smf::WithStrayDataByte(wild, kWildBassTrack, 3000), melody(5000), bass(3001)},
      // The bass chunk's last 40 bytes, counted by hand from its end (running status: 4 bytes
      // for the end of track, 4 for a release 400 ticks after its note, 3 for a note 100 ticks
      // after a release), hold everything after the note at 2000 and cut the release at 2400.
      {"the last chunk cut short", smf::Truncated(wild, 40), melody(5000), bass(2001)},
      {"more tracks announced and junk after the last",
       smf::WithMoreTracksAnnounced(wild, 6, "JUNKJUNKJUNK"), melody(5000), bass(5000)},
      {"a track length of 0xFFFFFFFF with no data", endlessHeader, {0, 300}, {}},
  };
  for (const Case& c : cases) {
    const MidiSequence song = ReadMidiSequence(Span(c.bytes));
    HResult r;
    MemoryAnsiKaraokeFile lyrics(Span(c.bytes), &r);
    EXPECT_NE(song.outcome.result, kOk) << c.what;
    EXPECT_EQ(song.outcome.result, lyrics.outcome.result) << c.what;
    EXPECT_EQ(song.outcome.stopOffset, lyrics.outcome.stopOffset) << c.what;
    std::map<int, std::vector<int64_t>> onsets;
    std::map<std::pair<int, int>, int> sounding;
    for (const MidiEvent& e : song.events) {
      const int kind = e.status & 0xF0;
      const std::pair key{e.status & 0x0F, int{e.data1}};
      if (kind == 0x90 && e.data2 > 0) {
        onsets[e.status & 0x0F].push_back(song.MsAt(e.time));
        ++sounding[key];
      } else if (kind == 0x80 || kind == 0x90) {
        --sounding[key];
      }
    }
    EXPECT_EQ(onsets[0], c.melody) << c.what;
    EXPECT_EQ(onsets[1], c.bass) << c.what;
    for (const auto& [key, n] : sounding)
      EXPECT_EQ(n, 0) << c.what << ": a note left sounding on channel " << key.first;
  }
}

}  // namespace
}  // namespace lyrovox

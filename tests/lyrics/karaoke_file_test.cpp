#include "lyrics/karaoke_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/smf_builder.h"
#include "support/temp_dir.h"

namespace lyrovox {
namespace {

using smf::File;

std::span<const uint8_t> Span(const std::string& bytes) {
  return {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
}

HResult ParseResult(const std::string& bytes) {
  HResult r = 1;
  MemoryAnsiKaraokeFile file(Span(bytes), &r);
  return r;
}

// A header with any format, track count and division, followed by raw track bytes.
std::string Header(uint16_t format, uint16_t tracks, uint16_t division, uint32_t length = 6) {
  std::string h = "MThd";
  for (int i = 3; i >= 0; --i)
    h.push_back(static_cast<char>(length >> (8 * i)));
  h.push_back(static_cast<char>(format >> 8));
  h.push_back(static_cast<char>(format));
  h.push_back(static_cast<char>(tracks >> 8));
  h.push_back(static_cast<char>(tracks));
  h.push_back(static_cast<char>(division >> 8));
  h.push_back(static_cast<char>(division));
  return h;
}

std::string TrackChunk(const std::string& body) {
  std::string t = "MTrk";
  for (int i = 3; i >= 0; --i)
    t.push_back(static_cast<char>(body.size() >> (8 * i)));
  return t + body;
}

std::string S(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes)
    s.push_back(static_cast<char>(b));
  return s;
}

TEST(KaraokeFileFormat, RefusesBrokenHeadersAndChunksAsFormatErrors) {
  EXPECT_EQ(ParseResult("RIFF" + Header(1, 0, 480).substr(4)), kFormatError);
  EXPECT_EQ(ParseResult(Header(1, 0, 480, 5)), kFormatError);
  EXPECT_EQ(ParseResult(Header(2, 0, 480)), kFormatError);
  EXPECT_EQ(ParseResult(Header(1, 1, 480) + "MTrX" + S({0, 0, 0, 0})), kFormatError);
  EXPECT_EQ(ParseResult(Header(0, 0, 480)), kOk);
  EXPECT_EQ(ParseResult(Header(7, 0, 480)), kOk);  // unknown formats are read like 0 and 1
}

TEST(KaraokeFileFormat, RefusesBrokenEventsAsFormatErrors) {
  // A data byte with no running status.
  EXPECT_EQ(ParseResult(Header(0, 1, 96) + TrackChunk(S({0x00, 0x40, 0x40}))), kFormatError);
  // A status byte from F1 to FE other than F7.
  EXPECT_EQ(ParseResult(Header(0, 1, 96) + TrackChunk(S({0x00, 0xF8}))), kFormatError);
  // A tempo event whose length is not 3.
  EXPECT_EQ(ParseResult(Header(0, 1, 96) + TrackChunk(S({0x00, 0xFF, 0x51, 0x02, 1, 2}))),
            kFormatError);
  // A delta time of six bytes.
  EXPECT_EQ(ParseResult(Header(0, 1, 96) +
                        TrackChunk(S({0x81, 0x81, 0x81, 0x81, 0x81, 0x00, 0x90, 60, 1}))),
            kFormatError);
  // Five bytes are still a delta time.
  EXPECT_EQ(
      ParseResult(Header(0, 1, 96) + TrackChunk(S({0x81, 0x81, 0x81, 0x81, 0x00, 0x90, 60, 1}))),
      kOk);
}

TEST(KaraokeFileFormat, RunningStatusIsClearedBySystemExclusive) {
  File ok(0, 96);
  ok.AddTrack().Raw(0, S({0x90, 60, 100})).Raw(10, S({61, 100}));
  EXPECT_EQ(ParseResult(ok.Encode()), kOk);
  File broken(0, 96);
  broken.AddTrack().Raw(0, S({0x90, 60, 100})).SysEx(5, S({0x7E, 0xF7})).Raw(10, S({61, 100}));
  EXPECT_EQ(ParseResult(broken.Encode()), kFormatError);
}

TEST(KaraokeFileFormat, ProgramChangeRunningStatusTakesOneDataByte) {
  // C0 5, then running status 6 (one byte), then a text event: misreading the data length
  // would swallow the text event's delta and status.
  File f(0, 96);
  f.AddTrack().Raw(0, S({0xC0, 5})).Raw(0, S({6})).Lyric(10, "la");
  HResult r;
  MemoryAnsiKaraokeFile file(Span(f.Encode()), &r);
  ASSERT_EQ(r, kOk);
  ASSERT_EQ(file.tracks[0].size(), 1u);
  EXPECT_EQ(file.tracks[0][0].text, "la");
  EXPECT_EQ(file.tracks[0][0].tick, 10u);
}

TEST(KaraokeFileFormat, ShortReadsAndMissingFilesHaveTheirOwnCodes) {
  File f(0, 96);
  f.AddTrack().Lyric(0, "hello").Lyric(100, "world");
  const std::string whole = f.Encode();
  EXPECT_EQ(ParseResult(whole.substr(0, whole.size() - 6)), kFail);
  EXPECT_EQ(ParseResult(whole.substr(0, 10)), kFail);
  EXPECT_EQ(ParseResult(""), kFail);
  // A text length far beyond the file fails at the end of the data.
  EXPECT_EQ(ParseResult(Header(0, 1, 96) +
                        TrackChunk(S({0x00, 0xFF, 0x05, 0x8F, 0xFF, 0xFF, 0xFF, 0x7F, 'a'}))),
            kFail);

  HResult r = kOk;
  MyAnsiKaraokeFile missing("/nonexistent/lyrovox/song.kar", &r);
  EXPECT_EQ(static_cast<uint32_t>(r), 0x80070002u);
  testing::TempDir dir;
  MyKaraokeFile folder(dir.path(), &r);
  EXPECT_EQ(static_cast<uint32_t>(r) & 0xFFFF0000u, 0x80070000u);
}

TEST(KaraokeFileFormat, DamagedFilesKeepWhatWasReadAndTellWhereReadingStopped) {
  const std::string la = TrackChunk(S({0x00, 0xFF, 0x05, 0x02, 'l', 'a'}));  // bytes 14 to 27
  const std::string bc = TrackChunk(S({0x00, 0xFF, 0x05, 0x02, 'b', 'c'}));
  struct Case {
    const char* what;
    std::string bytes;
    HResult result;
    uint64_t stopOffset;
    int32_t stopTrack;
    std::vector<std::vector<std::string>> tracks;  // the texts kept, track by track
  };
  const Case cases[] = {
      {"a bad status byte ends its track; the next track is read",
       Header(1, 2, 96) +
           TrackChunk(
               S({0x00, 0xFF, 0x05, 0x02, 'l', 'a', 0x10, 0xF4, 0x00, 0xFF, 0x05, 0x01, 'x'})) +
           bc,
       kFormatError,
       28,
       0,
       {{"la"}, {"bc"}}},
      {"a stray data byte ends its track",
       Header(1, 2, 96) + bc + TrackChunk(S({0x05, 0x40, 0x40})),
       kFormatError,
       36,  // the second chunk starts at 28, its events at 36
       1,
       {{"bc"}, {}}},
      {"a chunk header cut short ends the file",
       Header(1, 2, 96) + la + std::string("MTrk\0\0", 6),
       kFail,
       28,
       1,
       {{"la"}, {}}},
      {"an event cut short ends the file",
       Header(1, 1, 96) +
           TrackChunk(S({0x00, 0xFF, 0x05, 0x02, 'l', 'a', 0x10, 0xFF, 0x05, 0x05, 'a', 'b'}))
               .substr(0, 22 + 9),
       kFail,
       28,
       0,
       {{"la"}}},
      {"more tracks announced than the file holds",
       Header(1, 3, 96) + la,
       kOk,
       0,
       -1,
       {{"la"}, {}, {}}},
      {"more tracks announced, junk after the last",
       Header(1, 3, 96) + la + "JUNKJUNK",
       kFormatError,
       28,
       1,
       {{"la"}, {}, {}}},
      {"a tempo event with SMPTE timing ends its track",
       Header(1, 1, 0xE728) + TrackChunk(S({0x00, 0xFF, 0x05, 0x01, 'a', 0x00, 0xFF, 0x51, 0x03,
                                            0x07, 0xA1, 0x20, 0x00, 0xFF, 0x05, 0x01, 'b'})),
       kFormatError,
       27,
       0,
       {{"a"}}},
      {"a header cut short", Header(1, 1, 96).substr(0, 11), kFail, 8, -1, {}},
  };
  for (const Case& c : cases) {
    HResult r = 1;
    MemoryAnsiKaraokeFile file(Span(c.bytes), &r);
    EXPECT_EQ(r, c.result) << c.what;
    EXPECT_EQ(file.outcome.result, c.result) << c.what;
    EXPECT_EQ(file.outcome.stopOffset, c.stopOffset) << c.what;
    EXPECT_EQ(file.outcome.stopTrack, c.stopTrack) << c.what;
    std::vector<std::vector<std::string>> texts;
    for (const auto& track : file.tracks) {
      texts.emplace_back();
      for (const auto& e : track)
        texts.back().push_back(e.text);
    }
    EXPECT_EQ(texts, c.tracks) << c.what;
    const MidiReadOutcome checked = CheckMidiBytes(Span(c.bytes));
    EXPECT_EQ(checked.result, c.result) << c.what;
    EXPECT_EQ(checked.stopOffset, c.stopOffset) << c.what;
  }
  // A lyric track is still chosen from what was read.
  HResult r;
  MemoryAnsiKaraokeFile first(Span(cases[0].bytes), &r);
  EXPECT_EQ(first.lyricTrack, 0);
  EXPECT_EQ(first.lyricType, 5u);
}

TEST(KaraokeFileFormat, EventsRunningPastTheTrackLengthAreReadOnToTheirEnd) {
  // The first track announces 4 bytes but its lyric event is longer: the reader finishes the
  // event and goes on with the next chunk right after it.
  std::string track = TrackChunk(S({0x00, 0xFF, 0x05, 0x03, 'a', 'b', 'c'}));
  track[7] = 4;
  File second(0, 96);
  second.AddTrack().Lyric(5, "x");
  const std::string bytes = Header(1, 2, 96) + track + second.Encode().substr(14);
  HResult r;
  MemoryAnsiKaraokeFile file(Span(bytes), &r);
  ASSERT_EQ(r, kOk);
  EXPECT_EQ(file.tracks[0][0].text, "abc");
  EXPECT_EQ(file.tracks[1][0].text, "x");
}

TEST(KaraokeFileTempo, WithoutTempoEventsTicksRunAt120BeatsPerMinute) {
  File f(1, 480);
  f.AddTrack().Lyric(0, "a").Lyric(4800, "b");
  HResult r;
  MemoryAnsiKaraokeFile file(Span(f.Encode()), &r);
  ASSERT_EQ(r, kOk);
  ASSERT_EQ(file.tempoMap.size(), 1u);
  EXPECT_EQ(file.TickToMs(480), 500);
  EXPECT_EQ(file.TickToMs(4800), 5000);
  // Beyond the end of every track the song's length comes back.
  EXPECT_EQ(file.TickToMs(100000), 5000);
}

TEST(KaraokeFileTempo, TempoEventsOfEveryTrackMergeInTickOrder) {
  File f(1, 100);
  f.AddTrack().Lyric(0, "x");  // a track with no tempo comes first
  f.AddTrack().Tempo(0, 1000000).Tempo(200, 500000).Lyric(400, "end");
  f.AddTrack().Tempo(0, 250000).Tempo(100, 2000000);
  HResult r;
  MemoryAnsiKaraokeFile file(Span(f.Encode()), &r);
  ASSERT_EQ(r, kOk);
  ASSERT_EQ(file.tempoMap.size(), 5u);  // four tempos and the end entry
  // At tick 0 the later track's tempo wins, as a player applies them: 100 ticks at 250000 us a
  // quarter of 100 ticks are 250 ms, then 2000000 from tick 100, 500000 from tick 200.
  EXPECT_EQ(file.TickToMs(100), 250);
  EXPECT_EQ(file.TickToMs(200), 250 + 2000);
  EXPECT_EQ(file.TickToMs(300), 2250 + 500);
  EXPECT_EQ(file.TickToMs(400), 2750 + 500);
  EXPECT_EQ(file.tempoMap.back().ms, 3250);
}

TEST(KaraokeFileTempo, ManyTempoChangesDoNotDrift) {
  // 251 tempo changes 7 ticks apart at 480 ticks a quarter, alternating 600001 and 400003 us:
  // 8.75001 and 5.83337 ms a step. Rounding each step would end 52 ms late.
  File f(1, 480);
  auto& conductor = f.AddTrack();
  for (uint32_t i = 0; i < 251; ++i)
    conductor.Tempo(7 * i, i % 2 == 0 ? 600001 : 400003);
  f.AddTrack().Lyric(7 * 251, "end");
  HResult r;
  MemoryAnsiKaraokeFile file(Span(f.Encode()), &r);
  ASSERT_EQ(r, kOk);
  // (7 x (63 x 600001 + 62 x 400003) + 3 x 400003) / 480000 = 915.42
  EXPECT_EQ(file.TickToMs(7 * 125 + 3), 915);
  // 7 x (126 x 600001 + 125 x 400003) / 480000 = 1831.67
  EXPECT_EQ(file.TickToMs(7 * 251), 1832);
}

TEST(KaraokeFileTempo, HalfMillisecondsRoundUp) {
  // One tick a quarter note at 1500 us, up to tick 9: every odd tick ends on half a millisecond.
  const std::vector<TempoMapEntry> map = BuildTempoMap({{1500, 0, 0, 0}}, 9, 1);
  TempoCursor cursor(map, 1);
  const std::pair<uint32_t, int32_t> times[] = {{1, 2}, {2, 3}, {3, 5}, {5, 8}, {9, 14}};
  for (const auto& [tick, ms] : times) {
    EXPECT_EQ(TempoMapMs(map, 1, tick), ms) << tick;
    EXPECT_EQ(cursor.Ms(tick), ms) << tick;
  }
  EXPECT_EQ(map.back().ms, 14);
}

TEST(KaraokeFileTempo, TheCursorGoesBackForAnEarlierTick) {
  File f(1, 100);
  f.AddTrack().Tempo(0, 250000).Tempo(100, 2000000).Tempo(200, 500000).Lyric(400, "end");
  HResult r;
  MemoryAnsiKaraokeFile file(Span(f.Encode()), &r);
  ASSERT_EQ(r, kOk);
  TempoCursor cursor(file.tempoMap, file.division);
  // Forward, back into an earlier tempo, back to the start, past the end.
  for (uint32_t tick : {50u, 150u, 350u, 120u, 250u, 99u, 0u, 399u, 30u, 500u, 210u}) {
    EXPECT_EQ(cursor.Ms(tick), TempoMapMs(file.tempoMap, file.division, tick)) << tick;
  }
  EXPECT_EQ(cursor.Ms(150), 250 + 1000);
  EXPECT_EQ(cursor.Ms(50), 125);
}

TEST(KaraokeFileTempo, ADamagedFileKeepsTheTempoMapOfWhatWasRead) {
  // A second of a quarter note at 480 ticks, then a track the reader stops in.
  File f(1, 480);
  f.AddTrack().Tempo(0, 1000000).Lyric(480, "a").Lyric(960, "b");
  const std::string bytes =
      Header(1, 2, 480) + f.Encode().substr(14) + TrackChunk(S({0x05, 0x40, 0x40}));
  HResult r;
  MemoryAnsiKaraokeFile file(Span(bytes), &r);
  ASSERT_EQ(r, kFormatError);
  ASSERT_EQ(file.outcome.stopTrack, 1);
  ASSERT_EQ(file.tempoMap.size(), 2u);
  EXPECT_EQ(file.TickToMs(480), 1000);
  EXPECT_EQ(file.TickToMs(960), 2000);
  EXPECT_EQ(file.TickToMs(5000), 2000);  // the end of what was read
}

TEST(KaraokeFileTempo, TicksBeforeTheFirstTempoUseTheDefaultTempo) {
  File f(1, 480);
  f.AddTrack().Tempo(960, 1000000).Lyric(1920, "x");
  HResult r;
  MemoryAnsiKaraokeFile file(Span(f.Encode()), &r);
  ASSERT_EQ(r, kOk);
  EXPECT_EQ(file.TickToMs(480), 500);
  EXPECT_EQ(file.TickToMs(1440), 1000 + 1000);
}

TEST(KaraokeFileTempo, SmpteDivisionCountsFramesAndRefusesTempoEvents) {
  // -25 frames per second, 40 ticks per frame: 1000 ticks per second.
  const uint16_t smpte = static_cast<uint16_t>((0xE7 << 8) | 40);
  File f(1, smpte);
  f.AddTrack().Lyric(0, "a").Lyric(12345, "b");
  HResult r;
  MemoryAnsiKaraokeFile file(Span(f.Encode()), &r);
  ASSERT_EQ(r, kOk);
  EXPECT_EQ(file.TickToMs(1), 1);
  EXPECT_EQ(file.TickToMs(777), 777);
  EXPECT_EQ(file.TickToMs(999999), 12345);

  // -30 frames, 80 ticks: 2400 ticks per second.
  File g(1, static_cast<uint16_t>((0xE2 << 8) | 80));
  g.AddTrack().Lyric(4800, "x");
  MemoryAnsiKaraokeFile thirty(Span(g.Encode()), &r);
  ASSERT_EQ(r, kOk);
  EXPECT_EQ(thirty.TickToMs(2400), 1000);

  File withTempo(1, smpte);
  withTempo.AddTrack().Tempo(0, 500000).Lyric(10, "x");
  EXPECT_EQ(ParseResult(withTempo.Encode()), kFormatError);
}

TEST(KaraokeFileLyricTrack, LyricEventsWinOnlyWhenMoreThanTwiceTheTextEvents) {
  for (int lyrics : {20, 21}) {
    File f(1, 96);
    auto& t = f.AddTrack();
    for (int i = 0; i < 10; ++i)
      t.Text(i * 10, "t");
    auto& l = f.AddTrack();
    for (int i = 0; i < lyrics; ++i)
      l.Lyric(i * 10, "l");
    HResult r;
    MemoryAnsiKaraokeFile file(Span(f.Encode()), &r);
    ASSERT_EQ(r, kOk);
    if (lyrics == 21) {
      EXPECT_EQ(file.lyricType, 5u);
      EXPECT_EQ(file.lyricTrack, 1);
    } else {
      EXPECT_EQ(file.lyricType, 1u);
      EXPECT_EQ(file.lyricTrack, 0);
    }
  }
}

TEST(KaraokeFileLyricTrack, TiesGoToTheLowerTrackAndEmptyOrTagTextsDoNotCount) {
  File f(1, 96);
  f.AddTrack().Text(0, "a").Text(1, "b").Text(2, "").Text(3, "");
  f.AddTrack().Text(0, "c").Text(1, "d");
  f.AddTrack().Text(0, "@Tx").Text(1, "@Ty").Text(2, "@Tz").Text(3, "e");
  HResult r;
  MemoryAnsiKaraokeFile file(Span(f.Encode()), &r);
  ASSERT_EQ(r, kOk);
  EXPECT_EQ(file.lyricTrack, 0);
  EXPECT_EQ(file.lyricType, 1u);
  EXPECT_EQ(file.tagLines.size(), 3u);

  File none(1, 96);
  none.AddTrack().Text(0, "@only tags");
  MemoryAnsiKaraokeFile empty(Span(none.Encode()), &r);
  ASSERT_EQ(r, kOk);
  EXPECT_EQ(empty.lyricTrack, -1);
}

TEST(KaraokeFileText, TheUtf16ReaderKeepsUnitsAndSeesOnlyUtf16TagLines) {
  File f(1, 96);
  f.AddTrack()
      .Text(0, smf::Utf16Le(u"@CODE=UNICODE"))
      .Text(0, "@T8-bit tag")
      .Lyric(10, smf::Utf16Le(u"\u4F60"))
      .Lyric(20, "odd");  // 3 bytes: one unit, the last byte dropped
  HResult r;
  MemoryKaraokeFile file(Span(f.Encode()), &r);
  ASSERT_EQ(r, kOk);
  ASSERT_EQ(file.tagLines.size(), 1u);
  EXPECT_EQ(file.tagLines[0].text, u"@CODE=UNICODE");
  ASSERT_EQ(file.tracks[0].size(), 3u);  // the 8-bit tag line is not a tag here
  EXPECT_EQ(file.tracks[0][1].text, u"\u4F60");
  EXPECT_EQ(file.tracks[0][2].text.size(), 1u);
  EXPECT_EQ(file.tracks[0][2].length, 3u);
}

}  // namespace
}  // namespace lyrovox

namespace lyrovox {
namespace {

// A reader over any byte stream: the parse runs through the virtual Read and Skip.
class StreamKaraokeFile final : public AnsiKaraokeFile {
 public:
  StreamKaraokeFile(std::string bytes, HResult* result) : bytes_(std::move(bytes)) {
    *result = Parse();
  }
  HResult Read(void* buffer, uint32_t n) override {
    if (bytes_.size() - pos_ < n) return kFail;
    std::memcpy(buffer, bytes_.data() + pos_, n);
    pos_ += n;
    return kOk;
  }
  HResult Skip(uint32_t n) override {
    pos_ = std::min<size_t>(bytes_.size(), pos_ + n);
    return kOk;
  }

 private:
  std::string bytes_;
  size_t pos_ = 0;
};

TEST(KaraokeFileReaders, DerivedReadersParseThroughReadAndSkip) {
  smf::File f(1, 480);
  f.AddTrack().Tempo(0, 1000000).Text(0, "@TT").SysEx(10, "\x01\xF7").Lyric(480, "a");
  HResult r = 1;
  StreamKaraokeFile file(f.Encode(), &r);
  ASSERT_EQ(r, kOk);
  EXPECT_EQ(file.tagLines.size(), 1u);
  EXPECT_EQ(file.TickToMs(480), 1000);
  EXPECT_EQ(file.lyricType, 5u);

  StreamKaraokeFile cut(f.Encode().substr(0, 30), &r);
  EXPECT_EQ(r, kFail);
}

}  // namespace
}  // namespace lyrovox

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "common/smf_builder.h"
#include "common/smf_damage.h"
#include "lyrics/karaoke_file.h"
#include "lyrics/lyric_store.h"
#include "lyrics/text_buffer.h"
#include "support/store_fixture.h"

namespace lyrovox {
namespace {

using smf::File;
using smf::Utf16Le;

using testing::Syllable;

class LoadKarTest : public testing::StoreFixture<> {
 protected:
  // Writes the file and loads it the way song opening does.
  void Load(const File& file) {
    const std::string path = dir.Write("song.kar", file.Encode());
    store.LoadKar(path);
  }
  std::vector<Syllable> Lyrics() const { return testing::Syllables(store); }
};

// 480 ticks per quarter at the default tempo: one tick is 500/480 ms; 96 ticks is 100 ms.
constexpr uint16_t kDivision = 480;

TEST_F(LoadKarTest, ReadsHeadingMarksAndTimes) {
  File f(1, kDivision);
  f.AddTrack()
      .Text(0, "@KMIDI KARAOKE FILE")
      .Text(0, "@TSong title")
      .Text(0, "@TThe singer")
      .Text(0, "@Tignored")
      .Text(960, "\\First ")
      .Text(1440, "line")
      .Text(1920, "/Second")
      .Text(2400, "\\Third");
  Load(f);
  EXPECT_EQ(std::u16string(TextView(store.title)), u"Song title");
  EXPECT_EQ(std::u16string(TextView(store.artist)), u"The singer");
  ASSERT_EQ(store.count, 4);
  EXPECT_EQ(Text(0), u"First ");
  EXPECT_EQ(Break(0), 2);
  EXPECT_EQ(Time(0), 1000);
  EXPECT_EQ(Text(1), u"line");
  EXPECT_EQ(Break(1), 0);
  EXPECT_EQ(Time(1), 1500);
  EXPECT_EQ(Text(2), u"Second");
  EXPECT_EQ(Break(2), 1);
  EXPECT_EQ(Text(3), u"Third");
  EXPECT_EQ(Break(3), 2);
  for (int i = 0; i < store.count; ++i)
    EXPECT_EQ(Shown(i), 0);
}

TEST_F(LoadKarTest, EventsAtOneInstantFormOneSyllable) {
  File f(1, kDivision);
  f.AddTrack().Text(480, "Hel").Text(480, "lo").Text(960, " you");
  Load(f);
  ASSERT_EQ(store.count, 2);
  EXPECT_EQ(Text(0), u"Hello");
  EXPECT_EQ(Text(1), u" you");
}

TEST_F(LoadKarTest, ALineBreakWaitsForTheNextSyllableToStartTheLine) {
  File f(1, kDivision);
  f.AddTrack().Text(0, "One").Text(480, "\r").Text(960, "Hel").Text(1440, "lo");
  Load(f);
  ASSERT_EQ(store.count, 3);
  EXPECT_EQ(Text(1), u"Hel");
  EXPECT_EQ(Break(1), 1);
  EXPECT_EQ(Time(1), 1000);
  EXPECT_EQ(Shown(1), 0);
  EXPECT_EQ(Text(2), u"lo");
}

TEST_F(LoadKarTest, ASyllableAtTheInstantOfALineBreakStillStartsTheLine) {
  // Break and first syllable at one tick, as many files write them: the syllable must take the
  // waiting line start instead of being appended to it and staying hidden.
  File f(1, kDivision);
  f.AddTrack().Text(0, "One").Text(480, "\n").Text(480, "Two").Text(960, " more");
  Load(f);
  ASSERT_EQ(store.count, 3);
  EXPECT_EQ(Text(1), u"Two");
  EXPECT_EQ(Break(1), 1);
  EXPECT_EQ(Shown(1), 0);
  EXPECT_EQ(Time(1), 500);
  EXPECT_EQ(Text(2), u" more");
}

TEST_F(LoadKarTest, TwoBreaksInARowKeepAnEmptyLine) {
  File f(1, kDivision);
  f.AddTrack().Text(0, "One").Text(480, "\r").Text(960, "\r");
  Load(f);
  ASSERT_EQ(store.count, 3);
  EXPECT_EQ(Text(1), u"");
  EXPECT_EQ(Break(1), 1);
  EXPECT_EQ(Shown(1), 0);  // an ordinary empty line start now
  EXPECT_EQ(Shown(2), 1);  // the last placeholder, never filled
}

TEST_F(LoadKarTest, ATextEndingInALineBreakIsFollowedByALineStart) {
  File f(1, kDivision);
  f.AddTrack().Text(0, "One").Text(480, "end\r\n").Text(960, "Next");
  Load(f);
  ASSERT_EQ(store.count, 3);
  EXPECT_EQ(Text(1), u"end\r\n");
  EXPECT_EQ(Break(1), 0);
  EXPECT_EQ(Text(2), u"Next");
  EXPECT_EQ(Break(2), 1);
  EXPECT_EQ(Time(2), 1000);
}

TEST_F(LoadKarTest, TagLinesInTheLyricTrackAreNotSyllables) {
  File f(1, kDivision);
  f.AddTrack().Text(0, "@LENGL").Text(0, "a").Text(480, "b");
  Load(f);
  ASSERT_EQ(store.count, 2);
  EXPECT_EQ(Text(0), u"a");
}

TEST_F(LoadKarTest, UsesTheLyricEventsWhenTheyAreTheMainSource) {
  File f(1, kDivision);
  auto& t = f.AddTrack();
  t.Text(0, "@TTitle").Text(0, "Sequenced by somebody");
  for (int i = 0; i < 5; ++i)
    t.Lyric(480 * (i + 1), std::string(1, static_cast<char>('a' + i)));
  Load(f);
  ASSERT_EQ(store.count, 5);
  EXPECT_EQ(Text(0), u"a");
  EXPECT_EQ(Break(0), 2);
  EXPECT_EQ(Text(4), u"e");
}

TEST_F(LoadKarTest, DecodesEightBitTextWithTheStoresCodePage) {
  File f(1, kDivision);
  // "Привет" in Windows-1251 and "café" in Windows-1252.
  f.AddTrack().Text(0, "@T\xCF\xF0\xE8\xE2\xE5\xF2").Text(0, "caf\xE9");
  store.codePage = 1251;
  Load(f);
  EXPECT_EQ(std::u16string(TextView(store.title)), u"\u041F\u0440\u0438\u0432\u0435\u0442");
  store.codePage = 0;
  Load(f);
  EXPECT_EQ(std::u16string(TextView(store.title)), u"\u00CF\u00F0\u00E8\u00E2\u00E5\u00F2");
  EXPECT_EQ(Text(0), u"caf\u00E9");
}

TEST_F(LoadKarTest, LongTextsAreCutAtTheirFields) {
  File f(1, kDivision);
  f.AddTrack().Text(0, "@T" + std::string(400, 'T')).Text(0, std::string(200, 's'));
  Load(f);
  EXPECT_EQ(TextView(store.title).size(), 253u);  // 255 units decoded, then "@T" dropped
  EXPECT_EQ(Text(0).size(), 79u);
}

TEST_F(LoadKarTest, ReadsUtf16FilesOneCharacterPerEvent) {
  File f(1, kDivision);
  f.AddTrack()
      .Text(0, Utf16Le(u"@CODE=UNICODE"))
      .Text(0, Utf16Le(u"@T\u6211\u7684\u6B4C"))
      .Text(0, Utf16Le(u"@T\u6B4C\u624B"))
      .Lyric(480, Utf16Le(u"\u4F60"))
      .Lyric(960, Utf16Le(u"\u597D\u5417"))  // only the first character counts
      .Lyric(1440, Utf16Le(u"/"))
      .Lyric(1920, Utf16Le(u"\u4E16"))
      .Lyric(2400, Utf16Le(u"\r"))
      .Lyric(2400, Utf16Le(u"\u754C"));
  // More than twice as many lyric events as text events are needed to pick the lyrics.
  auto& other = f.AddTrack();
  for (int i = 0; i < 2; ++i)
    other.Text(10 * i, Utf16Le(u"x"));
  Load(f);
  EXPECT_EQ(std::u16string(TextView(store.title)), u"\u6211\u7684\u6B4C");
  EXPECT_EQ(std::u16string(TextView(store.artist)), u"\u6B4C\u624B");
  ASSERT_EQ(store.count, 5);
  EXPECT_EQ(Text(0), u"\u4F60");
  EXPECT_EQ(Break(0), 2);
  EXPECT_EQ(Text(1), u"\u597D");
  EXPECT_EQ(Text(2), u"");  // "/" only marks the line
  EXPECT_EQ(Break(2), 1);
  EXPECT_EQ(Text(3), u"\u4E16");
  EXPECT_EQ(Time(3), 2000);
  EXPECT_EQ(Text(4), u"\u754C");
  EXPECT_EQ(Break(4), 1);
  EXPECT_EQ(Shown(4), 0);
}

TEST_F(LoadKarTest, AnEightBitUnicodeMarkerFallsBackToTheEightBitReading) {
  File f(1, kDivision);
  f.AddTrack().Text(0, "@CODE=UNICODE").Text(0, "@TPlain").Text(480, "word");
  Load(f);
  EXPECT_EQ(std::u16string(TextView(store.title)), u"Plain");
  ASSERT_EQ(store.count, 1);
  EXPECT_EQ(Text(0), u"word");
}

TEST_F(LoadKarTest, AFileThatFailsPartWayKeepsWhatCameBefore) {
  File f(1, kDivision);
  f.AddTrack().Text(0, "@TTitle").Text(0, "one").Text(480, "two").Raw(500, "\xF4");
  Load(f);
  EXPECT_EQ(Title(), u"Title");
  ASSERT_EQ(store.count, 2);
  EXPECT_EQ(Text(0), u"one");
  EXPECT_EQ(Break(0), 2);
  EXPECT_EQ(Text(1), u"two");
  EXPECT_EQ(Time(1), 500);

  store.LoadKar(dir.File("missing.kar"));
  EXPECT_EQ(store.count, 0);
  // Nothing to read without a track.
  store.LoadKar(dir.Write("header.kar", f.Encode().substr(0, 20)));
  EXPECT_EQ(store.count, 0);
  EXPECT_EQ(store.title[0], 0);
}

// The wild song's lyrics (one tick is one millisecond).
const std::vector<Syllable> kWildLyrics = {
    {u"Twin", 1000, 2}, {u"kle ", 1500, 0}, {u"twin", 2000, 0}, {u"kle ", 2500, 0},
    {u"lit", 3000, 1},  {u"tle ", 3500, 0}, {u"star", 4000, 0}};

TEST_F(LoadKarTest, DamageOutsideTheLyricsLosesNoSyllable) {
  using namespace smf;
  const std::vector<Syllable> firstFour(kWildLyrics.begin(), kWildLyrics.begin() + 4);
  struct Case {
    const char* what;
    std::string bytes;
    HResult result;
    int32_t stopTrack;
    std::vector<Syllable> lyrics;
  };
  const Case cases[] = {
      {"undamaged", WildKaraokeSong().Encode(), kOk, -1, kWildLyrics},
      {"a bad event in the melody", WithBadEvent(WildKaraokeSong(), kWildMelodyTrack, 2200),
       kFormatError, 1, kWildLyrics},
      {"a stray data byte in the bass", WithStrayDataByte(WildKaraokeSong(), kWildBassTrack, 1200),
       kFormatError, 3, kWildLyrics},
      {"the last chunk cut short", Truncated(WildKaraokeSong(), 10), kFail, 3, kWildLyrics},
      {"more tracks announced", WithMoreTracksAnnounced(WildKaraokeSong(), 6, ""), kOk, -1,
       kWildLyrics},
      {"more tracks announced and junk after the last",
       WithMoreTracksAnnounced(WildKaraokeSong(), 6, "\x01\x02garbage after the tracks"),
       kFormatError, 4, kWildLyrics},
      {"a bad event in the lyrics", WithBadEvent(WildKaraokeSong(), kWildLyricTrack, 2700),
       kFormatError, 2, firstFour},
  };
  for (const Case& c : cases) {
    const std::string path = dir.Write("wild.kar", c.bytes);
    const MidiReadOutcome outcome = CheckMidiFile(path);
    EXPECT_EQ(outcome.result, c.result) << c.what;
    EXPECT_EQ(outcome.stopTrack, c.stopTrack) << c.what;
    store.LoadKar(path);
    EXPECT_EQ(Title(), u"Twinkle Star") << c.what;
    EXPECT_EQ(Artist(), u"Jane Taylor") << c.what;
    EXPECT_EQ(Lyrics(), c.lyrics) << c.what;
  }
}

TEST_F(LoadKarTest, TempoChangesInALaterTrackMoveTheLaterSyllables) {
  smf::File song = smf::WildKaraokeSong();
  // The bass track halves the pace at tick 2000: each later tick takes 2 ms.
  song.TrackAt(smf::kWildBassTrack).Tempo(2000, 1000000);
  Load(song);
  const std::vector<Syllable> expected = {
      {u"Twin", 1000, 2}, {u"kle ", 1500, 0}, {u"twin", 2000, 0}, {u"kle ", 3000, 0},
      {u"lit", 4000, 1},  {u"tle ", 5000, 0}, {u"star", 6000, 0}};
  EXPECT_EQ(Lyrics(), expected);
}

TEST_F(LoadKarTest, ANewSongReplacesTheLastOnesLyrics) {
  File a(1, kDivision);
  a.AddTrack().Text(0, "@TFirst").Text(0, "a").Text(480, "b").Text(960, "c");
  Load(a);
  ASSERT_EQ(store.count, 3);
  File b(1, kDivision);
  b.AddTrack().Text(0, "z");
  Load(b);
  EXPECT_EQ(store.count, 1);
  EXPECT_EQ(store.title[0], 0);
  EXPECT_EQ(Text(1), u"");
}

TEST_F(LoadKarTest, AFullStoreOverwritesItsLastSyllable) {
  File f(1, kDivision);
  auto& t = f.AddTrack();
  for (int i = 0; i <= kMaxSyllables; ++i)
    t.Text(10 * i, i == kMaxSyllables ? "last" : "s");
  Load(f);
  EXPECT_EQ(store.count, kMaxSyllables);
  EXPECT_EQ(Text(kMaxSyllables - 1), u"last");
}

TEST_F(LoadKarTest, AFullStoreStillTakesWhatReachesItsLastTwoSyllables) {
  struct Event {
    uint32_t tick;
    std::string text;
  };
  struct Slot {
    std::u16string text;
    int32_t timeMs;
    int32_t lineBreak;
    int shown;
    bool operator==(const Slot&) const = default;
  };
  struct Case {
    const char* what;
    bool unicode;
    int base;  // syllables "s" 10 ticks apart (1 tick is 1 ms) before the events
    std::vector<Event> events;
    Slot beforeLast;  // syllable 2998
    Slot last;        // syllable 2999
  };
  const Case cases[] = {
      {"each later syllable overwrites the last",
       false,
       2999,
       {{30000, "/new"}, {30010, "more"}, {30020, "last"}},
       {u"s", 29980, 0, 0},
       {u"last", 30020, 0, 0}},
      {"a syllable at the instant of the one before the last joins it",
       false,
       2999,
       {{29980, "\r"}, {29980, "x"}, {30000, "y"}},
       {u"sx", 29980, 0, 0},
       {u"y", 30000, 0, 0}},
      {"a text ending in a line break leaves a line start last",
       false,
       2999,
       {{30000, "a\r"}},
       {u"s", 29980, 0, 0},
       {u"", 30000, 1, 1}},
      {"8-bit: two breaks keep an empty line, later syllables go last",
       false,
       2998,
       {{29980, "\r"}, {29990, "\r"}, {30000, "a"}, {30010, "b"}, {30020, "c"}},
       {u"", 29980, 1, 0},
       {u"c", 30020, 0, 0}},
      {"UTF-16: the waiting line start before the last takes the next syllable",
       true,
       2998,
       {{29980, "\r"}, {29990, "\r"}, {30000, "a"}, {30010, "b"}, {30020, "c"}},
       {u"a", 30000, 1, 0},
       {u"c", 30020, 0, 0}},
  };
  for (const Case& c : cases) {
    File f(1, 500);
    auto& t = f.AddTrack();
    auto text = [&c](const std::string& s) {
      return c.unicode ? Utf16Le(std::u16string(s.begin(), s.end())) : s;
    };
    if (c.unicode) t.Text(0, Utf16Le(u"@CODE=UNICODE"));
    for (int i = 0; i < c.base; ++i)
      t.Lyric(10 * static_cast<uint32_t>(i), text("s"));
    for (const Event& e : c.events)
      t.Lyric(e.tick, text(e.text));
    Load(f);
    EXPECT_EQ(store.count, kMaxSyllables) << c.what;
    const auto slot = [this](int i) { return Slot{Text(i), Time(i), Break(i), Shown(i)}; };
    EXPECT_EQ(slot(kMaxSyllables - 2), c.beforeLast) << c.what;
    EXPECT_EQ(slot(kMaxSyllables - 1), c.last) << c.what;
    EXPECT_EQ(slot(kMaxSyllables - 3), (Slot{u"s", 29970, 0, 0})) << c.what;
  }
}

TEST_F(LoadKarTest, BytesInMemoryReadLikeTheFile) {
  File f(1, kDivision);
  f.AddTrack().Text(0, "@TT").Text(0, "x").Text(480, "y");
  const std::string bytes = f.Encode();
  store.LoadKarBytes({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
  ASSERT_EQ(store.count, 2);
  EXPECT_EQ(Time(1), 500);
}

}  // namespace
}  // namespace lyrovox

#include "lyrics/dvd_extract.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "common/dvd_builder.h"
#include "lyrics/lyric_store.h"
#include "lyrics/text_buffer.h"
#include "support/store_fixture.h"
#include "support/temp_dir.h"

namespace lyrovox {
namespace {

namespace fs = std::filesystem;
using dvd::Char;
using dvd::LineEnd;

constexpr std::array<uint8_t, 4> kHead = {0x12, 0x34, 0x56, 0x78};

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values)
    s.push_back(static_cast<char>(v));
  return s;
}

// The track of a written .kar file, after its @CODE=UNICODE head when it has one.
std::string TrackBody(const std::string& kar) {
  std::string track = kar.substr(22);
  const std::string head = Bytes({0x00, 0xFF, 0x01, 0x1A});
  if (track.rfind(head, 0) == 0) track = track.substr(4 + 26);
  return track;
}

using testing::Syllable;

class DvdExtractTest : public ::testing::Test {
 protected:
  std::string WriteData(const std::vector<dvd::Song>& songs) {
    return dir.Write("NEWTON00.DAT", dvd::DataFile(songs));
  }
  // One song at `songIndex` with the given lyric units and note records.
  std::string WriteSong(uint32_t songIndex, std::string_view titleUnits,
                        const std::vector<dvd::Unit>& units, std::vector<dvd::Note> notes = {}) {
    dvd::Song song;
    song.songIndex = songIndex;
    song.lyricBlock = dvd::LyricBlock(kHead, titleUnits, units);
    song.notes = std::move(notes);
    return WriteData({song});
  }
  int32_t Extract(int32_t number, const std::string& data, int32_t codePage = 0,
                  const DvdDescrambler& step = PlainDvdDescrambler()) {
    return ExtractDvdSong(number, dir.path() + "/", data, codePage, title, step);
  }
  std::string Kar(int32_t number) { return ReadAll(dir.File(std::to_string(number) + ".kar")); }
  std::vector<Syllable> Lyrics(int32_t number) {
    auto store = std::make_unique<LyricStore>();
    store->LoadKar(dir.File(std::to_string(number) + ".kar"));
    return testing::Syllables(*store);
  }
  size_t FilesWritten() const {
    size_t n = 0;
    for (const auto& e : fs::directory_iterator(dir.path()))
      n += e.path().filename() != "NEWTON00.DAT";
    return n;
  }

  testing::TempDir dir;
  std::u16string title;
};

TEST(DvdSongNumbers, BandsGiveTheSongIndexAndMode) {
  EXPECT_FALSE(DvdSongForNumber(200001 - 100000).has_value());
  EXPECT_FALSE(DvdSongForNumber(100001).has_value());
  const auto first = DvdSongForNumber(200002);
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(first->songIndex, 1u);
  EXPECT_EQ(first->mode, 20);
  EXPECT_EQ(DvdSongForNumber(200001)->mode, 23);
  EXPECT_EQ(DvdSongForNumber(200001)->songIndex, 100000u);
  const std::pair<int32_t, int> modes[] = {{100002, 23}, {300002, 22}, {400002, 18}, {500002, 0},
                                           {600002, 3},  {700002, 18}, {800002, 19}, {999999, 19}};
  for (const auto& [number, mode] : modes)
    EXPECT_EQ(DvdSongForNumber(number)->mode, mode) << number;
  const auto far = DvdSongForNumber(500301);
  EXPECT_EQ(far->block(), 1u);
  EXPECT_EQ(far->slot(), 44u);
}

TEST_F(DvdExtractTest, NumbersWithoutABandOrSlotReturnMinusOneAndWriteNothing) {
  const std::string data = WriteSong(1, dvd::TitleUnits("x"), {Char(u'a', 31)});
  EXPECT_EQ(Extract(100001, data), -1);
  EXPECT_EQ(Extract(99999, data), -1);
  EXPECT_EQ(Extract(500003, data), -1);  // an empty slot (tag 0)
  // Song index 199998 lies in block 781, beyond the 256 block offsets.
  EXPECT_EQ(Extract(999999, data), -1);
  EXPECT_EQ(Extract(500002, dir.File("missing.dat")), -1);
  EXPECT_EQ(FilesWritten(), 0u);
  EXPECT_EQ(Extract(500002, data), 500002);
  EXPECT_EQ(FilesWritten(), 2u);
}

TEST_F(DvdExtractTest, SlotValidityFollowsTheRecordsLimits) {
  auto song = [](auto change) {
    dvd::Song s;
    s.songIndex = 300;  // block 1, slot 44
    s.lyricBlock = dvd::LyricBlock(kHead, dvd::TitleUnits("t"), {});
    change(s);
    return s;
  };
  const std::vector<std::pair<const char*, dvd::Song>> broken = {
      {"tag 0", song([](dvd::Song& s) { s.tag = 0; })},
      {"A below 257", song([](dvd::Song& s) { s.a = 256; })},
      {"A at 0x1FFFF", song([](dvd::Song& s) { s.a = 0x1FFFF; })},
      {"B not below A", song([](dvd::Song& s) { s.b = s.a = 300; })},
      {"B below 17", song([](dvd::Song& s) { s.b = 16; })},
      {"B above 16382", song([](dvd::Song& s) { s.b = 16383, s.a = 20000; })},
      {"no zero byte", song([](dvd::Song& s) {
         s.trailer = {0, 0, 9};
         s.notes = {{1, 1, 0x20, 0, 0}};
       })},
  };
  for (const auto& [what, s] : broken)
    EXPECT_EQ(Extract(500301, WriteData({s})), -1) << what;
  EXPECT_EQ(FilesWritten(), 0u);
  EXPECT_EQ(Extract(500301, WriteData({song([](dvd::Song&) {})})), 500301);
}

TEST_F(DvdExtractTest, ARecordTooShortForNotesHasNone) {
  dvd::Song s;
  s.songIndex = 1;
  // A long title makes the block long enough for a valid record length.
  s.lyricBlock = dvd::LyricBlock(kHead, dvd::TitleUnits(std::string(200, 't')), {Char(u'a', 31)});
  s.b = static_cast<int64_t>(s.lyricBlock.size()) - 4;
  s.a = s.b + 10;  // A < B + 15
  s.notes = {{0, 10, 0, 60, 100}};
  ASSERT_EQ(Extract(200002, WriteData({s})), 200002);
  // Only the lyric event and the end of the track.
  EXPECT_EQ(TrackBody(Kar(200002)), Bytes({0x1F, 0xFF, 0x05, 0x01, 'a', 0x00, 0xFF, 0x2F, 0x00}));
}

TEST_F(DvdExtractTest, WritesAFormatZeroFileWithTrueDeltaTimes) {
  // A 200-tick delta, an ignored record (b2 = 20) that does not advance the time, a system
  // byte record ignored alike, a note, and data bytes kept to 7 bits.
  const std::string data = WriteSong(1, dvd::TitleUnits("t"), {},
                                     {{200, 10, 0xC1, 5, 0},
                                      {10, 5, 20, 1, 1},
                                      {10, 5, 0xF5, 1, 1},
                                      {10, 5, 0xB0, 0x87, 0xFF},
                                      {0, 100, 2, 60, 90}});
  ASSERT_EQ(Extract(200002, data), 200002);
  const std::string kar = Kar(200002);
  EXPECT_EQ(kar.substr(0, 14), Bytes({'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 0x1F}));
  EXPECT_EQ(kar.substr(14, 4), "MTrk");
  const std::string track = Bytes({0x81, 0x48, 0xC1, 0x05,  // t 200: program change
                                   0x0A, 0xB0, 0x07, 0x7F,  // t 210: controller
                                   0x00, 0x92, 0x3C, 0x5A,  // t 210: note on
                                   0x64, 0x92, 0x3C, 0x00,  // t 310: note off
                                   0x00, 0xFF, 0x2F, 0x00});
  EXPECT_EQ(kar.substr(18, 4), Bytes({0, 0, 0, static_cast<int>(track.size())}));
  EXPECT_EQ(kar.substr(22), track);
}

TEST_F(DvdExtractTest, Mode0LyricsReadBackWithTheirTimesAndGapsOfAnyLength) {
  const std::string data = WriteSong(1, dvd::TitleUnits("Song Title"),
                                     {Char(u'H', 31), Char(u'i', 62), LineEnd(62), Char(u'Y', 93),
                                      Char(u'o', 124), Char(u'u', 100), Char(u'Z', 744)},
                                     {{0, 31, 0, 60, 90}});
  ASSERT_EQ(Extract(500002, data), 500002);
  EXPECT_EQ(title, u"Song Title");
  EXPECT_EQ(ReadAll(dir.File("500002.lpd")).size(),
            dvd::LyricBlock(kHead, dvd::TitleUnits("Song Title"), {}).size() + 7 * 4);
  // 31 ticks a quarter note at 120 beats a minute: 31 ticks are 500 ms. The unit out of time
  // ("u") joins the one before it; the 620-tick pause keeps its length.
  const std::vector<Syllable> expected = {
      {u"H", 500, 2}, {u"i", 1000, 0}, {u"Y", 1500, 1}, {u"ou", 2000, 0}, {u"Z", 12000, 0}};
  EXPECT_EQ(Lyrics(500002), expected);
}

TEST_F(DvdExtractTest, AUnitAtThePreviousUnitsTimeIsOutOfTimeAndStaysBehindIt) {
  // "Y" comes at the tick of the line end before it, so it is out of time as well and sorts
  // after the line end: it starts the new line. Counted as in time, it would sort before the
  // line end and join "i".
  const std::string data = WriteSong(1, dvd::TitleUnits("t"),
                                     {Char(u'H', 31), Char(u'i', 62), LineEnd(62), Char(u'Y', 62)});
  ASSERT_EQ(Extract(500002, data), 500002);
  const std::vector<Syllable> expected = {{u"H", 500, 2}, {u"i", 1000, 0}, {u"Y", 1000, 1}};
  EXPECT_EQ(Lyrics(500002), expected);
}

TEST_F(DvdExtractTest, Mode3MapsGbkCharactersAndMarksTheFileUnicode) {
  const std::string data = WriteSong(
      1, dvd::TitleUnits("\xC4\xE3\xBA\xC3"),
      {Char(0xE3C4, 31), Char(0xC3BA, 62), LineEnd(62), Char(u'A', 93), Char(0x3081, 124)});
  ASSERT_EQ(Extract(600002, data, 936), 600002);
  EXPECT_EQ(title, u"\u4F60\u597D");
  const std::string kar = Kar(600002);
  std::string head = Bytes({0x00, 0xFF, 0x01, 0x1A});
  for (char c : std::string("@CODE=UNICODE")) {
    head.push_back(c);
    head.push_back('\0');
  }
  EXPECT_EQ(kar.substr(22, head.size()), head);
  EXPECT_NE(kar.find(Bytes({0xFF, 0x05, 0x02, 0x60, 0x4F})), std::string::npos);
  EXPECT_NE(kar.find(Bytes({0xFF, 0x05, 0x02, 0x0A, 0x00})), std::string::npos);
  // A trail byte below 0x40 is not looked up: the character is written as it is.
  EXPECT_NE(kar.find(Bytes({0xFF, 0x05, 0x02, 0x81, 0x30})), std::string::npos);
  const std::vector<Syllable> expected = {
      {u"\u4F60", 500, 2}, {u"\u597D", 1000, 0}, {u"A", 1500, 1}, {u"\u3081", 2000, 0}};
  EXPECT_EQ(Lyrics(600002), expected);
}

TEST_F(DvdExtractTest, Mode19KeepsSixteenBitCharactersAndSkipsATitleTag) {
  const std::string data = WriteSong(1, dvd::WideTitleUnits(u"\u6B4C{x}", true),
                                     {Char(u'\u6B4C', 31), Char(u'{', 62), Char(u'^', 93)});
  ASSERT_EQ(Extract(800002, data), 800002);
  EXPECT_EQ(title, u"\u6B4C{x}");
  const std::vector<Syllable> expected = {{u"\u6B4C", 500, 2}, {u"{", 1000, 0}, {u"^", 1500, 0}};
  EXPECT_EQ(Lyrics(800002), expected);
}

TEST_F(DvdExtractTest, OtherModesWriteTheFirstCharacterByte) {
  ASSERT_EQ(Extract(300002, WriteSong(1, dvd::TitleUnits("t"), {Char(0x4241, 31)})), 300002);
  EXPECT_EQ(TrackBody(Kar(300002)), Bytes({0x1F, 0xFF, 0x05, 0x01, 'A', 0x00, 0xFF, 0x2F, 0x00}));
}

TEST_F(DvdExtractTest, TitlesAreCutAndConvertedWithTheCodePage) {
  const std::string longTitle(100, 'x');
  ASSERT_EQ(Extract(500002, WriteSong(1, dvd::TitleUnits(longTitle), {})), 500002);
  EXPECT_EQ(title, std::u16string(64, u'x'));
  ASSERT_EQ(Extract(500002, WriteSong(1, dvd::TitleUnits("Caf\xE9"), {}), 1252), 500002);
  EXPECT_EQ(title, u"Caf\u00E9");
}

TEST_F(DvdExtractTest, TheShippedStepLeavesAHeadOnlyBlockAndNoLyrics) {
  const std::string data =
      WriteSong(1, dvd::TitleUnits("Secret"), {Char(u'a', 31)}, {{0, 31, 0, 60, 90}});
  ASSERT_EQ(Extract(500002, data, 0, ShippedDvdDescrambler()), 500002);
  EXPECT_EQ(ReadAll(dir.File("500002.lpd")), Bytes({0x12, 0x34, 0x56, 0x78}));
  EXPECT_TRUE(title.empty());
  EXPECT_EQ(TrackBody(Kar(500002)),
            Bytes({0x00, 0x90, 0x3C, 0x5A, 0x1F, 0x90, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00}));
  EXPECT_TRUE(Lyrics(500002).empty());
}

TEST_F(DvdExtractTest, AStepThatBreaksItsContractCountsAsUnableToDescramble) {
  class Garbling final : public DvdDescrambler {
   public:
    void Descramble(std::span<const uint8_t> stored, int, int32_t,
                    std::vector<uint8_t>& plain) const override {
      plain.assign(stored.begin(), stored.end());
      plain[0] ^= 0xFF;
    }
  };
  ASSERT_EQ(Extract(500002, WriteSong(1, dvd::TitleUnits("t"), {}), 0, Garbling()), 500002);
  EXPECT_EQ(ReadAll(dir.File("500002.lpd")).size(), 4u);
}

TEST_F(DvdExtractTest, TheReadingIsTheOneThatGivesTheDataFilesSongsText) {
  const auto block = [](std::string_view name, char16_t c) {
    return dvd::LyricBlock(kHead, dvd::TitleUnits(name), {Char(c, 31), LineEnd(31)});
  };
  const auto songs = [](std::vector<std::vector<uint8_t>> blocks) {
    std::vector<dvd::Song> list;
    for (size_t i = 0; i < blocks.size(); ++i) {
      dvd::Song s;
      s.songIndex = static_cast<uint32_t>(i + 1);
      s.lyricBlock = std::move(blocks[i]);
      s.notes = {{0, 31, 0, 60, 90}};
      list.push_back(std::move(s));
    }
    return list;
  };
  const std::vector<uint8_t> one = block("One", u'a');
  const std::vector<uint8_t> two = block("Two", u'b');
  const std::vector<uint8_t> three = block("Three", u'c');
  // A title and lyrics with control characters, as no DVD stores them.
  std::vector<uint8_t> garbled(kHead.begin(), kHead.end());
  garbled.resize(64, 0);
  for (int b : {0x01, 0x9D, 0x7F, 0x05, 0x0D, 0x0A, 0x00, 0x00})
    garbled.push_back(static_cast<uint8_t>(b));
  garbled.resize(200, 0x02);
  const struct {
    const char* what;
    std::vector<std::vector<uint8_t>> blocks;
    DvdReading reading;
  } cases[] = {
      {"stored plain", {one, two, three}, DvdReading::kPlain},
      {"stored scrambled",
       {dvd::Scrambled(one), dvd::Scrambled(two, 7), dvd::Scrambled(three, 99)},
       DvdReading::kHeadOnly},
      {"mostly plain", {one, dvd::Scrambled(two), three}, DvdReading::kPlain},
      {"mostly scrambled",
       {dvd::Scrambled(one), two, dvd::Scrambled(three)},
       DvdReading::kHeadOnly},
      {"neither reading gives text", {garbled, garbled}, DvdReading::kHeadOnly},
      {"a title but no lyrics",
       {dvd::LyricBlock(kHead, dvd::TitleUnits("Only"), {})},
       DvdReading::kHeadOnly},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string data = WriteData(songs(c.blocks));
    // Decided for the file: the same for each of its songs.
    for (int32_t number : {500002, 500003, 500004})
      EXPECT_EQ(DetectDvdReading(data, number, 0), c.reading) << number;
    ASSERT_EQ(Extract(500002, data, 0, DescramblerFor(c.reading)), 500002);
    if (c.reading == DvdReading::kPlain) {
      EXPECT_EQ(title, u"One");
      EXPECT_EQ(Lyrics(500002).front().text, u"a");
    } else {
      EXPECT_TRUE(title.empty());
      EXPECT_TRUE(Lyrics(500002).empty());
      EXPECT_EQ(ReadAll(dir.File("500002.lpd")).size(), 4u);
    }
  }
  EXPECT_EQ(DetectDvdReading(dir.File("missing.dat"), 500002, 0), DvdReading::kHeadOnly);
  EXPECT_EQ(DetectDvdReading(WriteData(songs({one})), 100001, 0), DvdReading::kHeadOnly);
}

TEST_F(DvdExtractTest, TheReadingIsJudgedInTheFormatOfTheNumbersBand) {
  // 16-bit titles and lyrics read as text in their own format (800002 on) and in GBK's; the
  // first-byte formats see the title's zero bytes as its end and still find one letter a unit.
  dvd::Song song;
  song.songIndex = 1;
  song.lyricBlock = dvd::LyricBlock(kHead, dvd::WideTitleUnits(u"\u6B4C\u66F2"),
                                    {Char(u'\u6B4C', 31), Char(u'\u66F2', 62)});
  song.notes = {{0, 31, 0, 60, 90}};
  const std::string data = WriteData({song});
  EXPECT_EQ(DetectDvdReading(data, 800002, 0), DvdReading::kPlain);
  song.lyricBlock = dvd::Scrambled(song.lyricBlock);
  EXPECT_EQ(DetectDvdReading(WriteData({song}), 800002, 0), DvdReading::kHeadOnly);
}

TEST(DvdReadableText, ControlCharactersAndBrokenUnitsAreNotReadable) {
  EXPECT_TRUE(IsReadableLyricText(u"Hello, world!"));
  EXPECT_TRUE(IsReadableLyricText(u"\u6B4C\tX"));
  EXPECT_TRUE(IsReadableLyricText(u"\U0001F3A4"));  // a surrogate pair
  for (std::u16string_view bad :
       {std::u16string_view(), std::u16string_view(u"a\u0001"), std::u16string_view(u"\u0085"),
        std::u16string_view(u"x\u007F"), std::u16string_view(u"\uFFFD"),
        std::u16string_view(u"\uFFFF"), std::u16string_view(u"\xD800x"),
        std::u16string_view(u"\xDC00")}) {
    EXPECT_FALSE(IsReadableLyricText(bad)) << bad.size();
  }
}

TEST_F(DvdExtractTest, LookingUpATitleWritesOnlyTheLyricBlock) {
  const std::string data = WriteSong(1, dvd::TitleUnits("Only"), {Char(u'a', 31)});
  EXPECT_EQ(LookUpDvdSongTitle(500002, dir.path(), data, 0, title, PlainDvdDescrambler()), 500002);
  EXPECT_EQ(title, u"Only");
  EXPECT_TRUE(fs::exists(dir.File("500002.lpd")));
  EXPECT_FALSE(fs::exists(dir.File("500002.kar")));
  EXPECT_EQ(LookUpDvdSongTitle(100001, dir.path(), data, 0, title, PlainDvdDescrambler()), -1);
}

TEST_F(DvdExtractTest, AFolderThatCannotBeWrittenIsNotASuccess) {
  const std::string data = WriteSong(1, dvd::TitleUnits("t"), {});
  EXPECT_EQ(
      ExtractDvdSong(500002, dir.File("no/such/folder"), data, 0, title, PlainDvdDescrambler()),
      -1);
}

}  // namespace
}  // namespace lyrovox

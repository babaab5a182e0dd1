// A typed MIDI DVD number's preview: the reading chosen for the data file, then the song's title,
// beside the floor of looking the title up in a reading known beforehand.
//
// Data files are generated into the temporary folder at start: 300 songs of 400 lyric units and
// 2000 note records each (3.5 MB), stored plain, and the same stored scrambled.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/dvd_builder.h"
#include "lyrics/dvd_extract.h"

namespace {

namespace dvd = lyrovox::dvd;

constexpr int32_t kNumber = 500150;  // song 149 of the 8-bit band

std::string Folder() {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "lyrovox-bench-dvd";
  std::filesystem::create_directories(folder);
  return folder.string();
}

std::string MakeDataFile(bool scrambled) {
  std::vector<dvd::Song> songs;
  for (uint32_t i = 1; i <= 300; ++i) {
    std::vector<dvd::Unit> units;
    for (uint16_t k = 0; k < 400; ++k) {
      units.push_back(k % 20 == 19 ? dvd::LineEnd(31 * k)
                                   : dvd::Char(static_cast<char16_t>(u'a' + k % 26), 31 * k));
    }
    dvd::Song song;
    song.songIndex = i;
    song.lyricBlock =
        dvd::LyricBlock({1, 2, 3, 4}, dvd::TitleUnits("Song " + std::to_string(i)), units);
    if (scrambled) song.lyricBlock = dvd::Scrambled(song.lyricBlock, i);
    song.notes.assign(2000, dvd::Note{10, 10, 0, 60, 90});
    songs.push_back(std::move(song));
  }
  const std::string path = Folder() + (scrambled ? "/NEWTON00.DAT" : "/HOTDOG00.DAT");
  std::ofstream(path, std::ios::binary | std::ios::trunc) << dvd::DataFile(songs);
  return path;
}

const std::string& Plain() {
  static const std::string path = MakeDataFile(false);
  return path;
}
const std::string& Scrambled() {
  static const std::string path = MakeDataFile(true);
  return path;
}

void Preview(benchmark::State& state, const std::string& data) {
  std::u16string title;
  for (auto _ : state) {
    const lyrovox::DvdReading reading = lyrovox::DetectDvdReading(data, kNumber, 0);
    benchmark::DoNotOptimize(lyrovox::LookUpDvdSongTitle(kNumber, Folder(), data, 0, title,
                                                         lyrovox::DescramblerFor(reading)));
  }
}

void Floor(benchmark::State& state, const std::string& data, lyrovox::DvdReading reading) {
  std::u16string title;
  for (auto _ : state) {
    benchmark::DoNotOptimize(lyrovox::LookUpDvdSongTitle(kNumber, Folder(), data, 0, title,
                                                         lyrovox::DescramblerFor(reading)));
  }
}

void BM_DvdPreview_Plain(benchmark::State& s) {
  Preview(s, Plain());
}
void BM_Floor_DvdTitleKnownReading_Plain(benchmark::State& s) {
  Floor(s, Plain(), lyrovox::DvdReading::kPlain);
}
void BM_DvdPreview_Scrambled(benchmark::State& s) {
  Preview(s, Scrambled());
}
void BM_Floor_DvdTitleKnownReading_Scrambled(benchmark::State& s) {
  Floor(s, Scrambled(), lyrovox::DvdReading::kHeadOnly);
}

BENCHMARK(BM_DvdPreview_Plain)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Floor_DvdTitleKnownReading_Plain)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DvdPreview_Scrambled)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Floor_DvdTitleKnownReading_Scrambled)->Unit(benchmark::kMicrosecond);

}  // namespace

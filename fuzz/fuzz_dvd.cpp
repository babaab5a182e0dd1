// MIDI DVD data files: slot checks, note records and lyric units, the .lpd and .kar written
// from them, and the .kar read back by the karaoke reader. The data file's first bytes (its
// unused header) choose the song: bytes 0-1 the song index, byte 2 the band, byte 3 the
// reading (plain, head-only, or the one the file's songs show it needs).

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "lyrics/dvd_extract.h"
#include "lyrics/lyric_store.h"
#include "private_folder.h"

namespace fs = std::filesystem;

namespace {

const std::string& Root() {
  static const lyrovox::fuzzing::PrivateFolder root("lyrovox-fuzz-dvd");
  static const bool out = fs::create_directories(fs::path(root.path()) / "out");
  (void)out;
  return root.path();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto* store = new lyrovox::LyricStore();
  const fs::path root = Root();
  const fs::path dataFile = root / "in.dat";
  const fs::path out = root / "out";
  {
    std::ofstream f(dataFile, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  static constexpr int32_t kBandFirst[] = {100001, 200001, 300001, 400001,
                                           500001, 600001, 700001, 800001};
  const uint32_t index = size >= 2 ? (data[0] | (data[1] << 8)) % 1100 : 1;
  const int32_t number = kBandFirst[size >= 3 ? data[2] % 8 : 0] + static_cast<int32_t>(index);
  const int choice = size >= 4 ? data[3] % 3 : 0;
  const lyrovox::DvdReading reading =
      choice == 0   ? lyrovox::DvdReading::kPlain
      : choice == 1 ? lyrovox::DvdReading::kHeadOnly
                    : lyrovox::DetectDvdReading(dataFile.string(), number, 936);
  const lyrovox::DvdDescrambler& step = lyrovox::DescramblerFor(reading);
  std::u16string title;
  const int32_t result =
      lyrovox::ExtractDvdSong(number, out.string() + "/", dataFile.string(), 936, title, step);
  if (title.size() > 64) __builtin_trap();
  if (result != lyrovox::kDvdNoSong) {
    if (result != number) __builtin_trap();
    store->Clear();
    store->LoadKar((out / (std::to_string(number) + ".kar")).string());
    if (store->count < 0 || store->count > lyrovox::kMaxSyllables) __builtin_trap();
  }
  // Only the song's two files, and only in the folder given.
  size_t files = 0;
  for (const auto& entry : fs::directory_iterator(out)) {
    const std::string name = entry.path().filename().string();
    if (name != std::to_string(number) + ".lpd" && name != std::to_string(number) + ".kar") {
      __builtin_trap();
    }
    ++files;
  }
  if (files > 2 || (result == lyrovox::kDvdNoSong && files > 1)) __builtin_trap();
  for (const auto& entry : fs::directory_iterator(root)) {
    const std::string name = entry.path().filename().string();
    if (name != "in.dat" && name != "out") __builtin_trap();
  }
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(out))
    fs::remove(entry.path(), ignored);
  return 0;
}

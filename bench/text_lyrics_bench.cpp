// Loading LRC and KYM lyrics, each beside the floor of reading the same bytes from the file.
//
// Files are generated into the temporary folder at start:
//   LRC: 5000 timed lines (about 200 KB), a quarter of them long enough to be split; 8-bit with
//        code page 1252 and with code page 949 (Korean), and UTF-16
//   KYM: 2 MB of stand-in audio, then a lyric block of 299 lines and 500 words (code page 949),
//        18.8 KB, inside the 20000 bytes the reader looks at

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "common/kym_builder.h"
#include "common/smf_builder.h"
#include "lyrics/lyric_store.h"

namespace {

std::string TempPath(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// 5000 lines; every fourth is 50 characters with a comma, the rest short.
std::string LrcText(const std::string& word) {
  std::string text = "[ti:Benchmark song]\r\n[ar:Nobody]\r\n[offset:120]\r\n";
  char tag[32];
  for (int i = 0; i < 5000; ++i) {
    const int cs = i * 170;
    std::snprintf(tag, sizeof tag, "[%02d:%02d.%02d]", cs / 6000, cs / 100 % 60, cs % 100);
    text += tag;
    if (i % 4 == 0) {
      text += "line " + std::to_string(i) + " " + word + " " + word + ", and " + word + " " + word +
              " again";
    } else {
      text += word + " " + std::to_string(i);
    }
    if (i % 16 == 15) text += "\r\n";
    text += "\r\n";
  }
  return text;
}

const std::string& Lrc1252() {
  static const std::string path = [] {
    const std::string p = TempPath("lyrovox-bench-5000.lrc");
    WriteFile(p, LrcText("caf\xE9 na\xEFve"));
    return p;
  }();
  return path;
}

const std::string& Lrc949() {
  static const std::string path = [] {
    const std::string p = TempPath("lyrovox-bench-5000-949.lrc");
    WriteFile(p, LrcText("\xB3\xEB\xB7\xA1\xC7\xD8\xBF\xE4"));
    return p;
  }();
  return path;
}

const std::string& LrcWide() {
  static const std::string path = [] {
    const std::string p = TempPath("lyrovox-bench-5000-wide.lrc");
    const std::string text = LrcText("sing along");
    WriteFile(p, lyrovox::smf::Utf16Le(u"\uFEFF" + std::u16string(text.begin(), text.end())));
    return p;
  }();
  return path;
}

const std::string& Kym() {
  static const std::string path = [] {
    lyrovox::kym::File f;
    f.Audio(std::string(2 << 20, '\x33'));
    for (int i = 0; i < 299; ++i)
      f.Line("\xBF\xEC\xB8\xAE \xC7\xD4\xB2\xB2 \xB3\xEB\xB7\xA1\xC7\xD8\xBF\xE4");
    for (int i = 0; i < 500; ++i) {
      const uint8_t line = static_cast<uint8_t>(i / 2);
      switch (i % 3) {
        case 0:
          f.AddWord({static_cast<uint32_t>(i) * 400 + 400, 0, 4, line});
          break;
        case 1:
          f.AddWord({static_cast<uint32_t>(i) * 400 + 400, 5, 4, line});
          break;
        default:
          f.AddWord({static_cast<uint32_t>(i) * 400 + 400, 10, 8, line});
      }
    }
    f.Title("\xB3\xEB\xB7\xA1").Artist("\xB0\xA1\xBC\xF6");
    const std::string p = TempPath("lyrovox-bench.kym");
    f.Write(p);
    return p;
  }();
  return path;
}

// The floor: open the file, size it and read `tail` bytes from its end (all when 0) into a
// buffer that is kept between runs.
size_t ReadFloor(const std::string& path, size_t tail, std::vector<char>& buffer) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  struct stat info {};
  ::fstat(fd, &info);
  size_t size = static_cast<size_t>(info.st_size);
  off_t offset = 0;
  if (tail != 0 && size > tail) {
    offset = static_cast<off_t>(size - tail);
    size = tail;
  }
  if (buffer.size() < size) buffer.resize(size);
  size_t done = 0;
  while (done < size) {
    const ssize_t n =
        ::pread(fd, buffer.data() + done, size - done, offset + static_cast<off_t>(done));
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  ::close(fd);
  return done;
}

template <typename Load>
void LoadBench(benchmark::State& state, const std::string& path, int32_t codePage, Load load) {
  auto store = std::make_unique<lyrovox::LyricStore>();
  for (auto _ : state) {
    store->codePage = codePage;
    store->Clear();
    load(*store, path);
    benchmark::DoNotOptimize(store->count);
  }
  state.counters["syllables"] = store->count;
}

void Floor(benchmark::State& state, const std::string& path, size_t tail) {
  std::vector<char> buffer;
  size_t bytes = 0;
  for (auto _ : state) {
    bytes = ReadFloor(path, tail, buffer);
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}

void BM_LoadLrc_5000Lines_cp1252(benchmark::State& s) {
  LoadBench(s, Lrc1252(), 1252,
            [](lyrovox::LyricStore& st, const std::string& p) { st.LoadLrc(p); });
}
void BM_LoadLrc_5000Lines_cp949(benchmark::State& s) {
  LoadBench(s, Lrc949(), 949, [](lyrovox::LyricStore& st, const std::string& p) { st.LoadLrc(p); });
}
void BM_Floor_ReadFile_Lrc_5000Lines(benchmark::State& s) {
  Floor(s, Lrc1252(), 0);
}
void BM_LoadLrcWide_5000Lines(benchmark::State& s) {
  LoadBench(s, LrcWide(), 0,
            [](lyrovox::LyricStore& st, const std::string& p) { st.LoadLrcWide(p); });
}
void BM_Floor_ReadFile_LrcWide_5000Lines(benchmark::State& s) {
  Floor(s, LrcWide(), 0);
}
void BM_LoadKym(benchmark::State& s) {
  LoadBench(s, Kym(), 949, [](lyrovox::LyricStore& st, const std::string& p) { st.LoadKym(p); });
}
void BM_Floor_ReadTail_Kym(benchmark::State& s) {
  Floor(s, Kym(), 20000);
}

BENCHMARK(BM_LoadLrc_5000Lines_cp1252)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadLrc_5000Lines_cp949)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Floor_ReadFile_Lrc_5000Lines)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadLrcWide_5000Lines)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Floor_ReadFile_LrcWide_5000Lines)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadKym)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Floor_ReadTail_Kym)->Unit(benchmark::kMicrosecond);

}  // namespace

// Loading MIDI karaoke files, beside the floor of walking the same file's events.
//
//   build/bench/bench_lyrics [--benchmark_filter=...]
//
// Files are generated into the temporary folder at start:
//   1MB: 3000 syllables in a lyric track, 2000 tempo changes, 16 note tracks
//   5MB: a million events: 3000 lyric events and notes in 8 tracks
//   200k-1MB: 200 000 lyric events (one or two letters each) in one track, 500 tempo changes
//   200k-5MB: the same 200 000 lyric events beside notes in 8 tracks

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "common/smf_builder.h"
#include "lyrics/lyric_store.h"
#include "lyrics/mapped_file.h"

namespace {

using lyrovox::smf::File;

std::string TempPath(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

std::string MakeKar1Mb() {
  File f(1, 480);
  auto& conductor = f.AddTrack();
  for (int i = 0; i < 2000; ++i)
    conductor.Tempo(i * 240, 400000 + (i % 50) * 4000);
  auto& words = f.AddTrack();
  words.Text(0, "@TBenchmark song").Text(0, "@TNobody");
  for (int i = 0; i < 3000; ++i) {
    const std::string mark = i % 8 == 0 ? "/" : "";
    words.Text(i * 160, mark + "syl" + std::to_string(i) + " ");
  }
  for (int t = 0; t < 16; ++t) {
    auto& notes = f.AddTrack();
    for (int i = 0; i < 6000; ++i) {
      notes.Note(i * 240, 200, static_cast<uint8_t>(t), static_cast<uint8_t>(40 + (i + t) % 40),
                 90);
    }
  }
  const std::string path = TempPath("lyrovox-bench-1mb.kar");
  f.Write(path);
  return path;
}

std::string MakeKar5Mb() {
  File f(1, 480);
  auto& words = f.AddTrack();
  words.Text(0, "@TMillion");
  for (int i = 0; i < 3000; ++i)
    words.Lyric(i * 200, "la ");
  for (int t = 0; t < 8; ++t) {
    auto& notes = f.AddTrack();
    for (int i = 0; i < 62300; ++i) {
      notes.Note(i * 200, 150, static_cast<uint8_t>(t), static_cast<uint8_t>(30 + i % 60), 80);
    }
  }
  const std::string path = TempPath("lyrovox-bench-5mb.kar");
  f.Write(path);
  return path;
}

// 200 000 one- or two-letter lyric events, a line mark every eighth, tempo changes throughout.
void AddManyLyrics(File& f) {
  auto& conductor = f.AddTrack();
  for (int i = 0; i < 500; ++i)
    conductor.Tempo(static_cast<uint32_t>(i) * 24000, 400000 + (i % 50) * 4000);
  auto& words = f.AddTrack();
  words.Text(0, "@TMany lyrics").Text(0, "@TNobody");
  static const char* const kSyllables[] = {"/la", "a", "b ", "cd", "e", "fg", "h ", "i"};
  for (int i = 0; i < 200000; ++i)
    words.Lyric(static_cast<uint32_t>(i) * 60, kSyllables[i % 8]);
}

std::string MakeKar200k1Mb() {
  File f(1, 480);
  AddManyLyrics(f);
  const std::string path = TempPath("lyrovox-bench-200k-1mb.kar");
  f.Write(path);
  return path;
}

std::string MakeKar200k5Mb() {
  File f(1, 480);
  AddManyLyrics(f);
  for (int t = 0; t < 8; ++t) {
    auto& notes = f.AddTrack();
    for (int i = 0; i < 48000; ++i) {
      notes.Note(static_cast<uint32_t>(i) * 250, 150, static_cast<uint8_t>(t),
                 static_cast<uint8_t>(30 + i % 60), 80);
    }
  }
  const std::string path = TempPath("lyrovox-bench-200k-5mb.kar");
  f.Write(path);
  return path;
}

const std::string& Kar200k1Mb() {
  static const std::string path = MakeKar200k1Mb();
  return path;
}

const std::string& Kar200k5Mb() {
  static const std::string path = MakeKar200k5Mb();
  return path;
}

const std::string& Kar1Mb() {
  static const std::string path = MakeKar1Mb();
  return path;
}

const std::string& Kar5Mb() {
  static const std::string path = MakeKar5Mb();
  return path;
}

// The floor: map the file and walk every event (delta, status, data) without keeping anything.
uint64_t WalkEvents(const std::string& path) {
  lyrovox::MappedFile file(path);
  const auto bytes = file.bytes();
  const uint8_t* p = bytes.data();
  const uint8_t* end = p + bytes.size();
  auto vlq = [&] {
    uint64_t v = 0;
    while (p < end) {
      const uint8_t b = *p++;
      v = (v << 7) | (b & 0x7F);
      if ((b & 0x80) == 0) break;
    }
    return v;
  };
  uint64_t events = 0;
  const uint16_t tracks = static_cast<uint16_t>((p[10] << 8) | p[11]);
  p += 14;
  for (int t = 0; t < tracks && p + 8 <= end; ++t) {
    const uint32_t length = (uint32_t{p[4]} << 24) | (p[5] << 16) | (p[6] << 8) | p[7];
    p += 8;
    const uint8_t* trackEnd = p + length < end ? p + length : end;
    uint8_t running = 0;
    while (p < trackEnd) {
      vlq();
      uint8_t status = *p;
      if (status < 0x80) {
        status = running;
      } else {
        ++p;
      }
      if (status < 0xF0) {
        running = status;
        p += (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
      } else if (status == 0xFF) {
        ++p;
        p += vlq();
      } else {
        p += vlq();
      }
      ++events;
    }
    p = trackEnd;
  }
  return events;
}

void LoadKar(benchmark::State& state, const std::string& path) {
  auto store = std::make_unique<lyrovox::LyricStore>();
  for (auto _ : state) {
    store->LoadKar(path);
    benchmark::DoNotOptimize(store->count);
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<int64_t>(std::filesystem::file_size(path)));
  state.counters["syllables"] = store->count;
}

void Walk(benchmark::State& state, const std::string& path) {
  uint64_t events = 0;
  for (auto _ : state) {
    events = WalkEvents(path);
    benchmark::DoNotOptimize(events);
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<int64_t>(std::filesystem::file_size(path)));
  state.counters["events"] = static_cast<double>(events);
}

void BM_LoadKar_1MB(benchmark::State& s) {
  LoadKar(s, Kar1Mb());
}
void BM_Floor_WalkEvents_1MB(benchmark::State& s) {
  Walk(s, Kar1Mb());
}
void BM_LoadKar_5MB(benchmark::State& s) {
  LoadKar(s, Kar5Mb());
}
void BM_Floor_WalkEvents_5MB(benchmark::State& s) {
  Walk(s, Kar5Mb());
}

void BM_LoadKar_200kLyrics_1MB(benchmark::State& s) {
  LoadKar(s, Kar200k1Mb());
}
void BM_Floor_WalkEvents_200kLyrics_1MB(benchmark::State& s) {
  Walk(s, Kar200k1Mb());
}
void BM_LoadKar_200kLyrics_5MB(benchmark::State& s) {
  LoadKar(s, Kar200k5Mb());
}
void BM_Floor_WalkEvents_200kLyrics_5MB(benchmark::State& s) {
  Walk(s, Kar200k5Mb());
}

BENCHMARK(BM_LoadKar_1MB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Floor_WalkEvents_1MB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadKar_5MB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Floor_WalkEvents_5MB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadKar_200kLyrics_1MB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Floor_WalkEvents_200kLyrics_1MB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadKar_200kLyrics_5MB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Floor_WalkEvents_200kLyrics_5MB)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

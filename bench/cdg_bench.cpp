// CD+G decoding: a 10-minute stream (180000 packets at 300 a second) decoded end to end, one
// 30 ms lyric tick (about 9 packets and one picture), beside the floor of reading the file.
//
//   build/bench/bench_cdg [--benchmark_filter=...]
//
// The stream is generated into the temporary folder at start: a new page every 15 seconds
// (memory presets, border, two colour tables), tiles (normal and XOR) in two packets of three,
// empty packets between, and a scroll every 10 seconds.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "common/cdg_builder.h"
#include "lyrics/cdg_player.h"
#include "lyrics/mapped_file.h"

namespace {

constexpr int kPackets = 180000;

struct Stream {
  std::string bytes;
  std::string path;
};

const Stream& TenMinutes() {
  static const Stream stream = [] {
    Stream s;
    s.bytes = lyrovox::cdg::SongStream(kPackets);
    s.path = (std::filesystem::temp_directory_path() / "lyrovox-bench-10min.cdg").string();
    std::ofstream(s.path, std::ios::binary)
        .write(s.bytes.data(), static_cast<std::streamsize>(s.bytes.size()));
    return s;
  }();
  return stream;
}

std::span<const uint8_t> Bytes(const Stream& s) {
  return {reinterpret_cast<const uint8_t*>(s.bytes.data()), s.bytes.size()};
}

// Every packet of the stream, then one picture.
void BM_CdgDecode_10min(benchmark::State& state) {
  const Stream& s = TenMinutes();
  auto player = std::make_unique<lyrovox::CdgPlayer>();
  for (auto _ : state) {
    state.PauseTiming();
    player->LoadCdgBytes(Bytes(s));
    state.ResumeTiming();
    player->Update(kPackets / 3);
    benchmark::DoNotOptimize(player->FramePixels()[0]);
  }
  state.counters["packets/s"] =
      benchmark::Counter(kPackets, benchmark::Counter::kIsIterationInvariantRate);
}

// One lyric tick of playback: the position moves 30 ms (9 packets) and the picture is rendered.
void BM_CdgTick_30ms(benchmark::State& state) {
  const Stream& s = TenMinutes();
  auto player = std::make_unique<lyrovox::CdgPlayer>();
  player->LoadCdgBytes(Bytes(s));
  int32_t centiseconds = 0;
  for (auto _ : state) {
    centiseconds += 3;
    if (centiseconds * 3 > kPackets) {
      state.PauseTiming();
      player->LoadCdgBytes(Bytes(s));
      centiseconds = 3;
      state.ResumeTiming();
    }
    player->Update(centiseconds);
    benchmark::DoNotOptimize(player->FramePixels()[0]);
  }
}

// The whole song as the player meets it: the file loaded, then 20000 ticks of 30 ms.
void BM_CdgSong_LoadAndTicks_10min(benchmark::State& state) {
  const Stream& s = TenMinutes();
  auto player = std::make_unique<lyrovox::CdgPlayer>();
  for (auto _ : state) {
    player->LoadCdgFile(s.path);
    for (int32_t c = 3; c * 3 <= kPackets; c += 3)
      player->Update(c);
    benchmark::DoNotOptimize(player->FramePixels()[0]);
  }
  state.counters["packets/s"] =
      benchmark::Counter(kPackets, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_CdgLoadFile(benchmark::State& state) {
  const Stream& s = TenMinutes();
  auto player = std::make_unique<lyrovox::CdgPlayer>();
  for (auto _ : state) {
    player->LoadCdgFile(s.path);
    benchmark::DoNotOptimize(player->dataSize());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(s.bytes.size()));
}

// The floor: map the file and read every packet's command byte.
void BM_Floor_ReadFile(benchmark::State& state) {
  const Stream& s = TenMinutes();
  for (auto _ : state) {
    const lyrovox::MappedFile file(s.path);
    unsigned sum = 0;
    const auto bytes = file.bytes();
    for (size_t i = 0; i < bytes.size(); i += lyrovox::kCdgPacketSize)
      sum += bytes[i];
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(s.bytes.size()));
  state.counters["packets/s"] =
      benchmark::Counter(kPackets, benchmark::Counter::kIsIterationInvariantRate);
}

// The floor of a tick: copying one 300 x 216 picture.
void BM_Floor_CopyPicture(benchmark::State& state) {
  auto from = std::make_unique<uint32_t[]>(lyrovox::kCdgPixels);
  auto to = std::make_unique<uint32_t[]>(lyrovox::kCdgPixels);
  for (auto _ : state) {
    std::copy_n(from.get(), lyrovox::kCdgPixels, to.get());
    benchmark::DoNotOptimize(to[0]);
    benchmark::ClobberMemory();
  }
}

BENCHMARK(BM_CdgDecode_10min)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CdgTick_30ms)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CdgSong_LoadAndTicks_10min)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CdgLoadFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Floor_ReadFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Floor_CopyPicture)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

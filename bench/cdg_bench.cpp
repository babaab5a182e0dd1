// CD+G decoding: 10-minute streams (180000 packets at 300 a second) decoded end to end, beside
// FFmpeg's CD+G decoder fed the same packets in the same run; one 30 ms lyric tick (about 9
// packets and one picture); the floor of reading the file.
//
//   build/bench/bench_cdg [--benchmark_filter=...] [--benchmark_repetitions=5]
//
// Streams generated at start: "typical" has a new page every 15 seconds (memory presets, border,
// two colour tables), tiles (normal and XOR) in two packets of three, empty packets between, and a
// scroll every 10 seconds; "commands" is the same with a colour-table load in place of every
// empty packet, so that every packet is a command and a third of them load tables; "random" is
// every instruction in random order with random data (presets in changing colours and scrolls
// among them), for decoding only.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "common/cdg_builder.h"
#include "lyrics/cdg_player.h"
#include "lyrics/mapped_file.h"

#ifdef LYROVOX_HAVE_LIBAVCODEC
extern "C" {
#include <libavcodec/avcodec.h>
}
#endif

namespace {

constexpr int kPackets = 180000;

struct Stream {
  std::string bytes;
  std::string path;
};

const Stream& StreamOf(int kind) {
  static const Stream streams[3] = {
      {lyrovox::cdg::SongStream(kPackets), "lyrovox-bench-10min.cdg"},
      {lyrovox::cdg::CommandStream(kPackets), "lyrovox-bench-10min-commands.cdg"},
      {lyrovox::cdg::RandomStream(kPackets, 7), "lyrovox-bench-10min-random.cdg"},
  };
  static const bool written = [] {
    for (const Stream& s : streams) {
      std::ofstream((std::filesystem::temp_directory_path() / s.path).string(), std::ios::binary)
          .write(s.bytes.data(), static_cast<std::streamsize>(s.bytes.size()));
    }
    return true;
  }();
  (void)written;
  return streams[kind];
}

std::string PathOf(const Stream& s) {
  return (std::filesystem::temp_directory_path() / s.path).string();
}

const char* LabelOf(int kind) {
  static const char* const kLabels[] = {"typical", "commands", "random"};
  return kLabels[kind];
}

std::span<const uint8_t> Bytes(const Stream& s) {
  return {reinterpret_cast<const uint8_t*>(s.bytes.data()), s.bytes.size()};
}

void CountPackets(benchmark::State& state) {
  state.counters["packets/s"] =
      benchmark::Counter(kPackets, benchmark::Counter::kIsIterationInvariantRate);
  state.SetLabel(LabelOf(static_cast<int>(state.range(0))));
}

// Every packet of the stream, then one picture.
void BM_CdgDecode_10min(benchmark::State& state) {
  const Stream& s = StreamOf(static_cast<int>(state.range(0)));
  auto player = std::make_unique<lyrovox::CdgPlayer>();
  for (auto _ : state) {
    state.PauseTiming();
    player->LoadCdgBytes(Bytes(s));
    state.ResumeTiming();
    player->Update(kPackets / 3);
    benchmark::DoNotOptimize(player->FramePixels()[0]);
  }
  CountPackets(state);
}

#ifdef LYROVOX_HAVE_LIBAVCODEC
// The reference: FFmpeg's "cdgraphics" decoder through the send/receive loop, one 24-byte packet
// per call as FFmpeg's own CD+G demuxer hands them out (every packet of the file, in order).
// The packets refer to one buffer holding the stream, so no copying is counted on its side.
void BM_FfmpegDecode_10min(benchmark::State& state) {
  const Stream& s = StreamOf(static_cast<int>(state.range(0)));
  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_CDGRAPHICS);
  if (codec == nullptr) {
    state.SkipWithError("no cdgraphics decoder in libavcodec");
    return;
  }
  AVBufferRef* buffer = av_buffer_allocz(s.bytes.size() + AV_INPUT_BUFFER_PADDING_SIZE);
  std::copy(s.bytes.begin(), s.bytes.end(), buffer->data);
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  int64_t frames = 0;
  for (auto _ : state) {
    state.PauseTiming();
    AVCodecContext* context = avcodec_alloc_context3(codec);
    avcodec_open2(context, codec, nullptr);
    state.ResumeTiming();
    for (int i = 0; i < kPackets; ++i) {
      packet->buf = buffer;
      packet->data = buffer->data + static_cast<size_t>(i) * lyrovox::kCdgPacketSize;
      packet->size = static_cast<int>(lyrovox::kCdgPacketSize);
      packet->pts = packet->dts = i;
      if (avcodec_send_packet(context, packet) < 0) continue;
      while (avcodec_receive_frame(context, frame) == 0) {
        ++frames;
        av_frame_unref(frame);
      }
    }
    state.PauseTiming();
    avcodec_free_context(&context);
    state.ResumeTiming();
  }
  packet->buf = nullptr;  // the stream's buffer is freed once, below
  av_packet_free(&packet);
  av_frame_free(&frame);
  av_buffer_unref(&buffer);
  CountPackets(state);
  state.counters["frames"] =
      benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_FfmpegDecode_10min)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
#endif

// One lyric tick of playback: the position moves 30 ms (9 packets) and the picture is rendered.
void BM_CdgTick_30ms(benchmark::State& state) {
  const Stream& s = StreamOf(static_cast<int>(state.range(0)));
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
  state.SetLabel(LabelOf(static_cast<int>(state.range(0))));
}

// The whole song as the player meets it: the file loaded, then 20000 ticks of 30 ms.
void BM_CdgSong_LoadAndTicks_10min(benchmark::State& state) {
  const Stream& s = StreamOf(static_cast<int>(state.range(0)));
  const std::string path = PathOf(s);
  auto player = std::make_unique<lyrovox::CdgPlayer>();
  for (auto _ : state) {
    player->LoadCdgFile(path);
    for (int32_t c = 3; c * 3 <= kPackets; c += 3)
      player->Update(c);
    benchmark::DoNotOptimize(player->FramePixels()[0]);
  }
  CountPackets(state);
}

void BM_CdgLoadFile(benchmark::State& state) {
  const Stream& s = StreamOf(0);
  const std::string path = PathOf(s);
  auto player = std::make_unique<lyrovox::CdgPlayer>();
  for (auto _ : state) {
    player->LoadCdgFile(path);
    benchmark::DoNotOptimize(player->dataSize());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(s.bytes.size()));
}

// The floor: map the file and read every packet's command byte.
void BM_Floor_ReadFile(benchmark::State& state) {
  const Stream& s = StreamOf(0);
  const std::string path = PathOf(s);
  for (auto _ : state) {
    const lyrovox::MappedFile file(path);
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

BENCHMARK(BM_CdgDecode_10min)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CdgTick_30ms)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CdgSong_LoadAndTicks_10min)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CdgLoadFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Floor_ReadFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Floor_CopyPicture)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

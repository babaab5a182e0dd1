// The per-buffer and per-frame work of media playback, beside their floors: the channel rewrite
// of one audio buffer against copying it, and keying out the lyrics frame against converting it.

#include <benchmark/benchmark.h>

#include <QImage>
#include <cstring>
#include <vector>

#include "media/sample_grabber.h"
#include "media/video_area.h"

namespace {

// A typical decoded buffer: 1024 stereo frames of 16-bit samples.
std::vector<uint8_t> AudioBuffer() {
  std::vector<uint8_t> bytes(1024 * 4);
  for (size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<uint8_t>(i * 7);
  return bytes;
}

void BM_ChannelReverse(benchmark::State& state) {
  auto bytes = AudioBuffer();
  for (auto _ : state) {
    lyrovox::ApplyChannelMode(lyrovox::kChannelReverse, bytes.data(), bytes.size());
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ChannelReverse);

void BM_ChannelLeft(benchmark::State& state) {
  auto bytes = AudioBuffer();
  for (auto _ : state) {
    lyrovox::ApplyChannelMode(lyrovox::kChannelLeft, bytes.data(), bytes.size());
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ChannelLeft);

// Floor: copying the buffer once.
void BM_CopyAudioBufferFloor(benchmark::State& state) {
  auto bytes = AudioBuffer();
  std::vector<uint8_t> out(bytes.size());
  for (auto _ : state) {
    std::memcpy(out.data(), bytes.data(), bytes.size());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_CopyAudioBufferFloor);

// A 1280 x 720 lyrics frame: key colour with a band of text-coloured pixels.
QImage LyricsFrame() {
  QImage frame(1280, 720, QImage::Format_RGB32);
  frame.fill(0xFF0E0C10);
  for (int y = 300; y < 420; ++y) {
    auto* line = reinterpret_cast<QRgb*>(frame.scanLine(y));
    for (int x = 0; x < 1280; x += 3)
      line[x] = 0xFFFFFFFF;
  }
  return frame;
}

void BM_KeyOutLyricsFrame(benchmark::State& state) {
  const QImage frame = LyricsFrame();
  for (auto _ : state)
    benchmark::DoNotOptimize(lyrovox::KeyOutFrame(frame, 0x100C0E).bits());
}
BENCHMARK(BM_KeyOutLyricsFrame)->Unit(benchmark::kMillisecond);

// Floor: the format conversion alone, one pass over the frame.
void BM_ConvertLyricsFrameFloor(benchmark::State& state) {
  const QImage frame = LyricsFrame();
  for (auto _ : state) {
    benchmark::DoNotOptimize(frame.convertToFormat(QImage::Format_ARGB32_Premultiplied).bits());
  }
}
BENCHMARK(BM_ConvertLyricsFrameFloor)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// The lyrics screen's cost per lyric tick: the feed and Compose, then one Present, at a 1920 x 1080
// layout with two lines of 40 characters at the default font size, shadow on and a wipe running.
// Beside it the floor of each tick (the frame's fill and copies alone, on images made as the
// screen makes them) and the one-time cost of preparing a line's images.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "lyrics/lyric_store.h"
#include "lyrics/text_buffer.h"
#include "screen/lyric_feed.h"
#include "screen/lyric_screen.h"
#include "screen/paged_image.h"
#include "screen/screen_surfaces.h"
#include "screen/text_sprites.h"

namespace lyrovox {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

const char16_t* const kWords[] = {u"twinkle", u"little", u"star", u"how",  u"wonder",
                                  u"what",    u"you",    u"are",  u"up",   u"above",
                                  u"the",     u"world",  u"so",   u"high", u"like",
                                  u"diamond", u"in",     u"sky",  u"when", u"blazing"};

// A line of exactly 40 characters, different for each n.
std::u16string Line40(int n) {
  std::u16string line;
  for (char c : std::to_string(n))
    line += static_cast<char16_t>(c);
  line += u' ';
  for (int i = 0; line.size() < 40; ++i) {
    line += kWords[(n * 7 + i * 3 + n / 5) % 20];
    line += u' ';
  }
  line.resize(40);
  return line;
}

class NullSink final : public IFrameSink {
 public:
  bool ShowFrame(const QImage& frame, const FrameDamage&) override {
    benchmark::DoNotOptimize(frame.constBits());
    return true;
  }
};

struct Rig {
  explicit Rig(bool fullScreen) : surfaces(screen, &sink) {
    screen.SetScreenSize(kWidth, kHeight);
    screen.ApplyFontSettings(0);
    if (fullScreen) {
      screen.SetFullScreen(true);
    } else {
      screen.SetTargetRect(0, 0, 800, 600);
    }
    surfaces.Create(QSize(kWidth, kHeight));
    screen.SetPlayerKind(1);
    screen.SetLineTimed(true);
    screen.SetLyricMode(1);
    screen.SetSongTitle(QStringLiteral("A Song"));
    screen.SetPlayState(1);
  }
  // Line-timed lyrics: `lines` lines of 40 characters, one every `spacingMs`.
  void FillStore(int lines, int spacingMs) {
    store->Clear();
    for (int i = 0; i < lines && i < kMaxSyllables; ++i) {
      LyricSyllable& s = store->syllables[i];
      CopyText(s.text, Line40(i));
      s.lineBreak = 1;
      s.timeMs = 2000 + i * spacingMs;
      s.shown = 0;
      store->count = i + 1;
    }
  }
  // Syllable-timed lyrics: the same lines cut into 8 syllables of 5 characters, 375 ms apart.
  void FillSyllables(int lines, int spacingMs) {
    store->Clear();
    screen.SetLineTimed(false);
    for (int i = 0; i < lines && store->count + 8 <= kMaxSyllables; ++i) {
      const std::u16string line = Line40(i);
      for (int k = 0; k < 8; ++k) {
        LyricSyllable& s = store->syllables[store->count];
        CopyText(s.text, std::u16string_view(line).substr(static_cast<size_t>(k) * 5, 5));
        s.lineBreak = k == 0 ? 1 : 0;
        s.timeMs = 2000 + i * spacingMs + k * spacingMs / 8;
        s.shown = 0;
        ++store->count;
      }
    }
  }
  void Tick(int positionMs) {
    feed.Step(*store, positionMs, false, screen);
    screen.Compose();
    surfaces.Present();
  }

  const Settings settings;  // the defaults: face unset, size 70
  CLyricScreen screen{settings};
  NullSink sink;
  CScreenSurfaces surfaces;
  LyricFeed feed;
  std::unique_ptr<LyricStore> store = std::make_unique<LyricStore>();
};

// Wall time and the thread's CPU time of one tick: on a busy machine the wall time also holds the
// time the thread waited for a core.
struct TickClock {
  std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
  timespec cpu = Cpu();

  static timespec Cpu() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t;
  }
  void Stop(std::vector<double>& walls, std::vector<double>& cpus) const {
    walls.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall).count());
    const timespec end = Cpu();
    cpus.push_back((end.tv_sec - cpu.tv_sec) * 1e3 + (end.tv_nsec - cpu.tv_nsec) / 1e6);
  }
};

void Report(benchmark::State& state, std::vector<double>& walls, std::vector<double>& cpus) {
  if (walls.empty()) return;
  std::sort(walls.begin(), walls.end());
  std::sort(cpus.begin(), cpus.end());
  state.counters["median_ms"] = walls[walls.size() / 2];
  state.counters["worst_ms"] = walls.back();
  state.counters["median_cpu_ms"] = cpus[cpus.size() / 2];
  state.counters["worst_cpu_ms"] = cpus.back();
  state.counters["ticks"] = static_cast<double>(walls.size());
}

// Steady singing: both lines up, the wipe running through a long line.
void BM_Tick(benchmark::State& state) {
  Rig rig(state.range(0) != 0);
  rig.FillStore(3, 600000);
  int position = 0;
  // Up to the point where the first line is sung and the second is shown.
  for (; position < 2100; position += 30)
    rig.Tick(position);
  std::vector<double> walls;
  std::vector<double> cpus;
  for (auto _ : state) {
    const TickClock clock;
    rig.Tick(position);
    clock.Stop(walls, cpus);
    position += 30;
  }
  Report(state, walls, cpus);
  state.SetLabel(state.range(0) != 0 ? "full screen" : "window 800x600");
}
BENCHMARK(BM_Tick)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Every tick of a song of 40 lines, 3 s apart: line changes, title slide and all. The lines are
// wiped whole (arg 1 = 0) or coloured syllable by syllable (arg 1 = 1).
void BM_WholeSong(benchmark::State& state) {
  std::vector<double> walls;
  std::vector<double> cpus;
  for (auto _ : state) {
    Rig rig(state.range(0) != 0);
    if (state.range(1) != 0) {
      rig.FillSyllables(40, 3000);
    } else {
      rig.FillStore(40, 3000);
    }
    for (int position = 0; position < 2000 + 41 * 3000; position += 30) {
      const TickClock clock;
      rig.Tick(position);
      clock.Stop(walls, cpus);
    }
  }
  Report(state, walls, cpus);
  state.SetLabel(std::string(state.range(0) != 0 ? "full screen" : "window 800x600") +
                 (state.range(1) != 0 ? ", syllables" : ", line wipe"));
}
BENCHMARK(BM_WholeSong)
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// The one-time work when a line goes up: its images, with the glyphs already known (arg 1) or
// not (arg 0, the first line of a song).
void BM_PrepareLine(benchmark::State& state) {
  const Settings settings;
  CLyricScreen screen(settings);
  screen.SetScreenSize(kWidth, kHeight);
  screen.ApplyFontSettings(0);
  const bool warm = state.range(0) != 0;
  auto sprites = std::make_unique<TextSprites>();
  const TextLook look{TextShape::kOutlined, true, qRgb(238, 238, 238), qRgb(20, 20, 20)};
  int n = 0;
  for (auto _ : state) {
    if (!warm) {
      state.PauseTiming();
      sprites = std::make_unique<TextSprites>();
      state.ResumeTiming();
    }
    const std::u16string line = Line40(n++);
    const QString text(reinterpret_cast<const QChar*>(line.data()),
                       static_cast<qsizetype>(line.size()));
    benchmark::DoNotOptimize(sprites->SingleLine(text, screen.LyricFont(), look, 1.0, 1.0));
  }
  state.SetLabel(warm ? "glyphs known" : "glyphs new");
}
BENCHMARK(BM_PrepareLine)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The floor of BM_Tick with the same argument: the same two 1920 x 1080 images, allocated as the
// screen and its surfaces allocate theirs, and the same copy onto the back surface. In a window
// the fill stays from the tick before and the target's 800 x 600 is copied (a tick now wipes only
// where its text was, so it lies below this); in full screen the whole frame is filled and copied.
void BM_TickFloor(benchmark::State& state) {
  const bool fullScreen = state.range(0) != 0;
  QImage frame = MakePagedImage(QSize(kWidth, kHeight), QImage::Format_RGB32);
  QImage back = MakePagedImage(QSize(kWidth, kHeight), QImage::Format_RGB32);
  frame.fill(qRgb(14, 12, 16));
  back.fill(Qt::black);
  const QRect copied = fullScreen ? frame.rect() : QRect(0, 0, 800, 600);
  std::vector<double> walls;
  std::vector<double> cpus;
  for (auto _ : state) {
    const TickClock clock;
    if (fullScreen) frame.fill(qRgb(14, 12, 16));
    QPainter painter(&back);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(copied.topLeft(), frame, copied);
    painter.end();
    benchmark::DoNotOptimize(back.constBits());
    clock.Stop(walls, cpus);
  }
  Report(state, walls, cpus);
  state.SetLabel(fullScreen ? "full screen" : "window 800x600");
}
BENCHMARK(BM_TickFloor)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lyrovox

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

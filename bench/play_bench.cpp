// One period of the player's main loop as lyrovox-play runs it, without the media: the
// controller's lyric tick (positions, lyric feed, banner, Compose) and its present (Render onto
// the 1920 x 1080 back surface, the video area's part keyed out for drawing over the picture),
// through the bundled demo song on a simulated clock. In a 1280 x 720 window and in full screen.
// Beside it the floor: copying the video area's part of the frame once, between images allocated
// as the surfaces and the video area allocate theirs.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstring>
#include <memory>

#include "app/video_area_sink.h"
#include "controller/main_frame.h"
#include "media/video_area.h"
#include "render/simulated_parts.h"
#include "screen/lyric_screen.h"
#include "screen/paged_image.h"
#include "screen/screen_surfaces.h"

namespace lyrovox {
namespace {

constexpr QSize kScreen(1920, 1080);
constexpr QSize kWindow(1280, 720);
constexpr int kTickMs = 30;

struct Loop {
  explicit Loop(bool fullScreen)
      : settings(QString()),
        screen(settings.values()),
        window(fullScreen ? kScreen : kWindow),
        sink(area, screen, nullptr),
        surfaces(screen, &sink),
        video(clock) {
    screen.SetFullScreen(fullScreen);
    area.resize(fullScreen ? kScreen : kWindow);
    surfaces.SetFixedScreenSize(kScreen);
    CMainFrame::Parts parts;
    parts.screen = &screen;
    parts.surfaces = &surfaces;
    parts.videoPlayer = &video;
    parts.makeAudioPlayer = [this] { return std::make_unique<ClockAudioPlayer>(clock); };
    frame = std::make_unique<CMainFrame>(std::move(parts), settings);
    CMainFrame::Windows windows;
    windows.videoWindow = &window;
    frame->Attach(windows);
    frame->StartBackgroundVideo();
    Restart();
  }

  void Restart() {
    clock.positionMs = 0;
    frame->PlaySong(QStringLiteral(LYROVOX_DEMO_SONG));
  }

  // One 30 ms period: the lyric tick, then the present.
  void Period() {
    frame->OnTimer(kLyricTimer);
    frame->OnTimer(kNumberEntryTimer);
    clock.positionMs += kTickMs;
  }

  SettingsStore settings;  // the defaults, in memory
  SimulatedClock clock;
  CLyricScreen screen;
  CVideoArea area;
  FixedVideoArea window;
  VideoAreaSink sink;
  CScreenSurfaces surfaces;
  ClockVideoPlayer video;
  std::unique_ptr<CMainFrame> frame;
};

// The demo song is about 65 s long: its periods are run in turn, from its start again at the end.
void BM_MainLoopPeriod(benchmark::State& state) {
  Loop loop(state.range(0) != 0);
  for (auto _ : state) {
    loop.Period();
    if (loop.clock.positionMs > 66000) {
      state.PauseTiming();
      loop.Restart();
      state.ResumeTiming();
    }
  }
  state.SetLabel(state.range(0) != 0 ? "full screen 1920x1080" : "window 1280x720");
}
BENCHMARK(BM_MainLoopPeriod)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Floor of BM_MainLoopPeriod with the same argument: the video area's part of a 1920 x 1080 frame
// (1280 x 720 in the window, all of it in full screen) copied once.
void BM_CopyVideoAreaFloor(benchmark::State& state) {
  const QSize area = state.range(0) != 0 ? kScreen : kWindow;
  QImage frame = MakePagedImage(kScreen, QImage::Format_RGB32);
  frame.fill(0xFF0E0C10);
  QImage out = MakePagedImage(area, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    for (int y = 0; y < area.height(); ++y) {
      std::memcpy(out.scanLine(y), frame.constScanLine(y), size_t{4} * area.width());
    }
    benchmark::DoNotOptimize(out.constBits());
  }
  state.SetLabel(state.range(0) != 0 ? "full screen 1920x1080" : "window 1280x720");
}
BENCHMARK(BM_CopyVideoAreaFloor)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lyrovox

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

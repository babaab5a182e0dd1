#include "render/render_session.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <algorithm>
#include <memory>
#include <ostream>
#include <set>

#include "common/tool_args.h"
#include "controller/main_frame.h"
#include "render/simulated_parts.h"
#include "screen/lyric_screen.h"
#include "screen/screen_surfaces.h"
#include "screen/screen_text.h"

namespace lyrovox {

namespace {

constexpr int kTickMs = 30;

// Keeps the last frame presented.
class LastFrameSink final : public IFrameSink {
 public:
  bool ShowFrame(const QImage& frame, const FrameDamage&) override {
    last = &frame;
    return true;
  }
  const QImage* last = nullptr;
};

// The control panel's time fields, from which the main loop decides the next-song banner.
class TimesPanel final : public IControlPanel {
 public:
  void SetSongTitle(const QString&) override {}
  void ResetSongDisplay() override {}
  void SetSeekable(bool) override {}
  void SetVolumeDisplay(int) override {}
  void ShowChannel(int) override {}
  void ShowAudioTrack(int) override {}
  void ShowRate(double) override {}
  void ShowStatusText(const QString&) override {}
  void ShowNotice(const QString&, int) override {}
  void SetPosition(int32_t ms) override { position_ = ms; }
  void SetDuration(int32_t ms) override { duration_ = ms; }
  int32_t Position() const override { return position_; }
  int32_t Duration() const override { return duration_; }

 private:
  int32_t position_ = 0;
  int32_t duration_ = 0;
};

class ErrorsToStream final : public IMessagePort {
 public:
  explicit ErrorsToStream(std::ostream& err) : err_(err) {}
  void ShowMessageBox(const QString& text) override { ShowErrorBox(text); }
  void ShowErrorBox(const QString& text) override {
    err_ << "lyrovox-render: " << text.toStdString() << '\n';
  }
  bool AskYesNo(const QString&) override { return false; }

 private:
  std::ostream& err_;
};

// The reserved-list rows as the screen shows them: the count, the numbers of the first six rows
// and the title of the first one.
void GiveReservedRows(const QStringList& rows, CLyricScreen& screen) {
  screen.SetReservedCount(static_cast<int>(rows.size()));
  QString numbers;
  QString nextTitle;
  for (qsizetype i = 0; i < rows.size() && i < 6; ++i) {
    const QString& row = rows[i];
    const qsizetype p = row.indexOf(QStringLiteral(" - "));
    if (p <= 5) continue;
    if (i == 0 && row.size() > p + 2) nextTitle = row.mid(p + 2);
    numbers += QStringLiteral("  ") + row.left(p);
  }
  screen.SetReservedNumbers(numbers);
  screen.SetNextSongTitle(nextTitle);
}

QImage VideoArea(const QImage& frame, const CLyricScreen& screen,
                 const std::optional<QColor>& background) {
  const QRect area = screen.TargetRect() & frame.rect();
  QImage out = frame.copy(area.isEmpty() ? frame.rect() : area);
  if (background) {
    const QRgb key = RgbOf(kKeyColor);
    const QRgb fill = background->rgb();
    for (int y = 0; y < out.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
      for (int x = 0; x < out.width(); ++x) {
        if ((row[x] | 0xFF000000u) == key) row[x] = fill;
      }
    }
  }
  return out;
}

}  // namespace

bool ParseRenderArgs(const QStringList& args, RenderOptions& o, QString& error) {
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    QString v;
    if (a == u"--fullscreen") {
      o.fullScreen = true;
    } else if (a == u"--size") {
      if (!TakeSize(args, i, o.size, error)) return false;
    } else if (a == u"--target") {
      QSize size;
      if (!TakeSize(args, i, size, error)) return false;
      o.target = size;
    } else if (a == u"--from") {
      if (!TakeSeconds(args, i, o.fromMs, error)) return false;
    } else if (a == u"--to") {
      if (!TakeSeconds(args, i, o.toMs, error)) return false;
    } else if (a == u"--duration") {
      if (!TakeSeconds(args, i, o.durationMs, error)) return false;
    } else if (a == u"--frames") {
      if (!TakeValue(args, i, o.framesDir, error)) return false;
    } else if (a == u"--background") {
      if (!TakeValue(args, i, v, error)) return false;
      const QColor color = QColor::fromString(v);
      if (!color.isValid()) {
        error = QStringLiteral("--background wants a colour such as #102030, not %1").arg(v);
        return false;
      }
      o.background = color;
    } else if (a == u"--reserved") {
      if (!TakeValue(args, i, v, error)) return false;
      o.reserved << v;
    } else if (a == u"--type") {
      if (!TakeValue(args, i, v, error)) return false;
      for (QChar c : v) {
        if (!c.isDigit() || c.unicode() > '9') {
          error = QStringLiteral("--type wants digits, not %1").arg(v);
          return false;
        }
      }
      o.typedNumber = v;
    } else if (a == u"--language") {
      if (!TakeLanguage(args, i, o.language, error)) return false;
    } else if (a == u"--typed-title") {
      if (!TakeValue(args, i, o.typedTitle, error)) return false;
    } else if (!TakeSongOrShot(args, i, o, error)) {
      return false;
    }
  }
  if (!CheckSongAndShots(o, error)) return false;
  if (!o.framesDir.isEmpty() && (o.fromMs < 0 || o.toMs < o.fromMs)) {
    error = QStringLiteral("--frames needs --from S and --to S, from not after to");
    return false;
  }
  if (o.framesDir.isEmpty() && o.png.isEmpty()) {
    error = QStringLiteral("nothing to write: give --at S --png OUT or --frames DIR");
    return false;
  }
  return true;
}

int RunRender(const RenderOptions& o, std::ostream& out, std::ostream& err) {
  if (!QFileInfo(o.song).isFile()) {
    err << "lyrovox-render: cannot open " << o.song.toStdString() << '\n';
    return 1;
  }

  SettingsStore settings{QString()};  // the defaults; the user's profile is not read
  settings.values().codePage = o.language;
  CLyricScreen screen(settings.values());
  screen.SetFullScreen(o.fullScreen);

  LastFrameSink sink;
  CScreenSurfaces surfaces(screen, &sink);
  surfaces.SetFixedScreenSize(o.size);
  SimulatedClock clock;
  clock.durationMs = static_cast<uint32_t>(std::max(o.durationMs, 0));
  ClockVideoPlayer video(clock);
  TimesPanel panel;
  FixedVideoArea window(o.target.value_or(o.size));
  ErrorsToStream messages(err);

  CMainFrame::Parts parts;
  parts.screen = &screen;
  parts.surfaces = &surfaces;
  parts.videoPlayer = &video;
  parts.messages = &messages;
  parts.makeAudioPlayer = [&clock] { return std::make_unique<ClockAudioPlayer>(clock); };
  CMainFrame frame(std::move(parts), settings);
  CMainFrame::Windows windows;
  windows.videoWindow = &window;
  windows.panel = &panel;
  frame.Attach(windows);
  // As in the player: the background runs first (it makes the surfaces), then the song opens.
  frame.StartBackgroundVideo();
  if (!frame.timersRunning()) return 1;  // the surfaces could not be made (reported)
  frame.PlaySong(o.song);

  for (QChar c : o.typedNumber)
    screen.TypeDigit(c);
  // The number stays up: the frame's countdown would otherwise take it after 6 s, as Enter.
  if (!o.typedNumber.isEmpty()) frame.setNumberEntryCountdown(0);
  if (!o.typedTitle.isEmpty()) screen.SetTypedSongTitle(o.typedTitle);
  if (!o.reserved.isEmpty()) GiveReservedRows(o.reserved, screen);

  std::set<int> wanted;
  for (int ms : o.atMs)
    wanted.insert(ms / kTickMs);
  int lastTick = wanted.empty() ? -1 : *wanted.rbegin();
  if (!o.framesDir.isEmpty()) {
    lastTick = std::max(lastTick, o.toMs / kTickMs);
    if (!QDir().mkpath(o.framesDir)) {
      err << "lyrovox-render: cannot make " << o.framesDir.toStdString() << '\n';
      return 1;
    }
  }

  int status = 0;
  int frameIndex = 0;
  const int atCount = static_cast<int>(o.atMs.size());
  for (int tick = 0; tick <= lastTick; ++tick) {
    const int position = tick * kTickMs;
    clock.positionMs = static_cast<uint32_t>(position);
    // The main loop's two timers of this tick: the lyric tick composes, then the present.
    frame.OnTimer(kLyricTimer);
    frame.OnTimer(kNumberEntryTimer);

    auto write = [&](const QString& path) {
      if (sink.last == nullptr || !VideoArea(*sink.last, screen, o.background).save(path, "PNG")) {
        err << "lyrovox-render: cannot write " << path.toStdString() << '\n';
        status = 1;
        return;
      }
      out << path.toStdString() << '\t' << position << '\n';
    };
    for (int i = 0; i < atCount; ++i) {
      if (o.atMs[i] / kTickMs == tick) write(PngPathFor(o.png, i, atCount, o.atMs[i]));
    }
    if (!o.framesDir.isEmpty() && position >= o.fromMs && position <= o.toMs) {
      write(
          QDir(o.framesDir)
              .filePath(QStringLiteral("frame-%1.png").arg(frameIndex++, 6, 10, QLatin1Char('0'))));
    }
  }
  return status;
}

}  // namespace lyrovox

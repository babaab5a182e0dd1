#include "play/play_session.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <climits>
#include <functional>
#include <numeric>
#include <ostream>

#include "common/tool_args.h"
#include "media/file_player.h"
#include "media/graph_events.h"
#include "media/media_graph.h"
#include "media/picture_window.h"
#include "media/video_area.h"
#include "media/video_dlg.h"
#include "screen/lyric_screen.h"
#include "screen/screen_surfaces.h"

namespace lyrovox {

namespace {

// Without a size given, the window takes this share of the screen's width and height, so that
// the lyrics keep the proportions they are laid out in.
constexpr int kWindowShareNumerator = 2;
constexpr int kWindowShareDenominator = 3;

QSize DefaultWindowSize(const QScreen* screen) {
  if (screen == nullptr) return QSize(960, 540);
  const QSize full = screen->size();
  QSize size = full * kWindowShareNumerator / kWindowShareDenominator;
  const QSize room = screen->availableGeometry().size();
  if (size.width() > room.width() || size.height() > room.height()) {
    size = size.scaled(room, Qt::KeepAspectRatio);
  }
  return size.expandedTo(QSize(160, 90));
}

int32_t ClampMs(uint32_t ms) {
  return static_cast<int32_t>(std::min<uint32_t>(ms, INT32_MAX));
}

// Pictures of the background shown before the song is opened, and how long to wait for them.
constexpr int kSettledPictures = 10;
constexpr int kBackgroundWaitMs = 5000;
// How long a song may take to start playing.
constexpr int kSongStartWaitMs = 15000;

// Runs the event loop until done() or timeoutMs.
void RunEventsUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (done() || clock.elapsed() >= timeoutMs) loop.quit();
  });
  poll.start(5);
  if (!done()) loop.exec();
}

}  // namespace

bool ParsePlayArgs(const QStringList& args, PlayOptions& o, QString& error) {
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a == u"--fullscreen") {
      o.fullScreen = true;
    } else if (a == u"--measure") {
      o.measure = true;
    } else if (a == u"--quit-at-end") {
      o.quitAtEnd = true;
    } else if (a == u"--size") {
      QSize size;
      if (!TakeSize(args, i, size, error)) return false;
      o.windowSize = size;
    } else if (!TakeSongOrShot(args, i, o, error)) {
      return false;
    }
  }
  return CheckSongAndShots(o, error);
}

namespace {

// The program as lyrovox-play runs it: the defaults, not the user's profile or song list, and
// only the video window, sized as asked.
ProgramOptions PlayProgramOptions(const PlayOptions& o) {
  ProgramOptions program;
  program.profilePath.clear();
  program.programFolder =
      o.programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : o.programFolder;
  program.splash = false;
  program.videoWindowOnly = true;
  program.videoWindowSize =
      o.windowSize.value_or(DefaultWindowSize(QGuiApplication::primaryScreen()));
  program.fullScreen = o.fullScreen;
  program.ctrlHeld = false;
  return program;
}

}  // namespace

PlaySession::PlaySession(PlayOptions options, std::ostream& out, std::ostream& err)
    : options_(std::move(options)), out_(out), err_(err), program_(PlayProgramOptions(options_)) {
  // Screenshots in the order of their times; each keeps its own file name.
  shotOrder_.resize(options_.atMs.size());
  std::iota(shotOrder_.begin(), shotOrder_.end(), size_t{0});
  std::stable_sort(shotOrder_.begin(), shotOrder_.end(),
                   [this](size_t a, size_t b) { return options_.atMs[a] < options_.atMs[b]; });
}

PlaySession::~PlaySession() {
  Shutdown();
}

bool PlaySession::Start() {
  if (!QFileInfo(options_.song).isFile()) {
    err_ << "lyrovox-play: cannot open " << options_.song.toStdString() << '\n';
    return false;
  }
  // As in the player: the background first (it starts the main loop), then the song over it.
  program_.Start();
  CMainFrame& frame = program_.frame();
  QObject::connect(&frame, &CMainFrame::SongEnded, &frame, [this] { OnSongEnded(); });
  QObject::connect(
      &program_, &Program::QuitRequested, &program_, [this] { Close(); }, Qt::QueuedConnection);
  program_.SetPresentedHook([this] { OnPresented(); });
  if (auto* area = dynamic_cast<CVideoArea*>(program_.videoDialog().videoArea())) {
    area->SetPicturePaintedHook([this] {
      ++picturesShown_;
      measure_.OnPicture();
    });
  }
  if (!frame.timersRunning()) {
    err_ << "lyrovox-play: the background video does not play ("
         << (frame.defaultBackgroundVideo().isEmpty()
                 ? std::string("no video.mpg beside the program")
                 : frame.defaultBackgroundVideo().toStdString())
         << "); lyrics cannot be shown\n";
  } else {
    // The song is opened over a background that is already moving, as a singer would choose it.
    RunEventsUntil([this] { return picturesShown_ >= kSettledPictures; }, kBackgroundWaitMs);
  }
  // Measured from before the song is opened: its start is part of what the singer sees.
  measure_.Begin();
  if (PictureWindow* window = program_.pictureWindow()) {
    window->ResetOverlayDelays();
    window->ResetSinkFrames();
  }
  QElapsedTimer opening;
  opening.start();
  frame.PlaySong(options_.song);
  measure_.SetOpenMs(opening.elapsed());
  songKind_ = frame.playerKind();
  // The players start without holding up the loop; the song plays once its player runs.
  RunEventsUntil(
      [this, &frame] {
        IMediaPlayer* player = SongPlayer();
        return !frame.isPlaying() || (player != nullptr && player->State() == kStateRunning);
      },
      kSongStartWaitMs);
  IMediaPlayer* player = SongPlayer();
  const bool playing = frame.isPlaying() && player != nullptr && player->State() == kStateRunning;
  if (!playing) {
    err_ << "lyrovox-play: " << options_.song.toStdString() << " does not play\n";
    return false;
  }
  songStarted_ = true;
  return true;
}

void PlaySession::Close() {
  Shutdown();
  QCoreApplication::quit();
}

void PlaySession::Shutdown() {
  if (closed_) return;
  closed_ = true;
  const bool printed = !measure_.measuring();
  measure_.End();
  if (options_.measure && songStarted_ && !printed) PrintMeasurements();
  if (songStarted_ && nextShot_ < shotOrder_.size()) {
    err_ << "lyrovox-play: the song ended before " << options_.atMs[shotOrder_[nextShot_]] / 1000.0
         << " s\n";
    exitStatus_ = 1;
  }
  // The players stop; the program itself goes with the session.
  if (!program_.created()) return;
  program_.frame().OnDestroy();
  program_.videoWindow().hide();
}

IMediaPlayer* PlaySession::SongPlayer() {
  if (program_.frame().playerKind() == kPlayerKindVideo) return &program_.videoPlayer();
  if (program_.frame().playerKind() == kPlayerKindAudio) return program_.frame().audioPlayer();
  return nullptr;
}

void PlaySession::OnPresented() {
  const bool measuring = options_.measure && measure_.measuring();
  const bool shooting = songStarted_ && !songEnded_ && nextShot_ < shotOrder_.size();
  if (!measuring && !shooting) return;
  IMediaPlayer* player = SongPlayer();
  const int32_t position = player != nullptr ? ClampMs(player->GetPositionMs()) : 0;
  if (measuring) {
    const int32_t sung =
        program_.frame().lyricMode() == kLyricModeText ? program_.frame().syllableCursor() : 0;
    measure_.OnPresent(program_.frame().lyricStore(), sung, position);
  }
  bool shot = false;
  while (nextShot_ < shotOrder_.size() && position >= options_.atMs[shotOrder_[nextShot_]]) {
    TakeShot(shotOrder_[nextShot_++], position);
    shot = true;
  }
  if (shot && nextShot_ == shotOrder_.size() && !options_.measure && !options_.quitAtEnd) {
    // Done: leave the loop once this tick is over.
    QMetaObject::invokeMethod(
        &program_, [this] { Close(); }, Qt::QueuedConnection);
  }
}

void PlaySession::TakeShot(size_t index, int32_t positionMs) {
  // The frame just presented, painted now, as the display shows it.
  QWidget& window = program_.videoWindow();
  window.repaint();
  QPixmap pixmap;
  if (QScreen* screen = window.screen()) pixmap = screen->grabWindow(window.winId());
  if (pixmap.isNull()) pixmap = window.grab();
  const QString path = PngPathFor(options_.png, static_cast<int>(index),
                                  static_cast<int>(options_.atMs.size()), options_.atMs[index]);
  if (pixmap.isNull() || !pixmap.save(path, "PNG")) {
    err_ << "lyrovox-play: cannot write " << path.toStdString() << '\n';
    exitStatus_ = 1;
    return;
  }
  out_ << path.toStdString() << '\t' << positionMs << std::endl;
}

void PlaySession::OnSongEnded() {
  if (!songStarted_ || songEnded_) return;
  songEnded_ = true;
  measure_.SongEnded();
  if (options_.measure) {
    // The measurement goes on while the background comes back.
    QTimer::singleShot(PlayMeasure::kTailMs, &program_, [this] {
      measure_.End();
      PrintMeasurements();
      Close();
    });
  } else if (options_.quitAtEnd) {
    QMetaObject::invokeMethod(
        &program_, [this] { Close(); }, Qt::QueuedConnection);
  }
}

void PlaySession::PrintMeasurements() {
  out_ << "song: " << options_.song.toStdString() << '\n';
  out_ << "playerKind: " << songKind_ << '\n';
  out_ << "lyricMode: " << program_.frame().lyricMode() << '\n';
  out_ << "ended: " << (songEnded_ ? 1 : 0) << '\n';
  measure_.Print(out_);
  // Where a sink draws the picture, the lyrics reach the screen with its next frame: how long
  // each overlay waited for one, and the sinks' own count of frames drawn and dropped.
  const PictureWindow* window = program_.pictureWindow();
  out_ << "pictureSink: " << (window != nullptr ? window->sinkName() : std::string("area")) << '\n';
  if (window != nullptr) {
    const PictureWindow::OverlayDelays delays = window->overlayDelays();
    const PictureWindow::SinkFrames frames = window->sinkFrames();
    out_ << "overlays: " << delays.count << '\n';
    out_ << "overlayDelayMeanMs: "
         << static_cast<int>(delays.count > 0 ? delays.totalMs / delays.count + 0.5 : 0) << '\n';
    out_ << "overlayDelayWorstMs: " << static_cast<int>(delays.worstMs + 0.5) << '\n';
    out_ << "sinkRendered: " << frames.rendered << '\n';
    out_ << "sinkDropped: " << frames.dropped << '\n';
  }
  out_.flush();
}

}  // namespace lyrovox

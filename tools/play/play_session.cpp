#include "play/play_session.h"

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <climits>
#include <numeric>
#include <ostream>

#include "common/tool_args.h"
#include "media/file_player.h"
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
  if (!frame.timersRunning()) {
    err_ << "lyrovox-play: the background video does not play ("
         << (frame.defaultBackgroundVideo().isEmpty()
                 ? std::string("no video.mpg beside the program")
                 : frame.defaultBackgroundVideo().toStdString())
         << "); lyrics cannot be shown\n";
  }
  frame.PlaySong(options_.song);
  songKind_ = frame.playerKind();
  const bool playing =
      frame.isPlaying() && (songKind_ != kPlayerKindVideo || frame.timersRunning());
  if (!playing) {
    err_ << "lyrovox-play: " << options_.song.toStdString() << " does not play\n";
    return false;
  }
  songStarted_ = true;
  measure_.Begin();
  return true;
}

void PlaySession::Close() {
  Shutdown();
  QCoreApplication::quit();
}

void PlaySession::Shutdown() {
  if (closed_) return;
  closed_ = true;
  measure_.End();
  if (options_.measure && !songEnded_) PrintMeasurements();
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
  if (!songStarted_ || songEnded_) return;
  const bool measuring = options_.measure;
  const bool shooting = nextShot_ < shotOrder_.size();
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
  measure_.End();
  if (options_.measure) PrintMeasurements();
  if (options_.measure || options_.quitAtEnd) {
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
  out_.flush();
}

}  // namespace lyrovox

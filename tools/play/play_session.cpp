#include "play/play_session.h"

#include <QApplication>
#include <QFileInfo>
#include <QPixmap>
#include <QScreen>
#include <algorithm>
#include <climits>
#include <numeric>
#include <ostream>

#include "app/accelerators.h"
#include "app/message_boxes.h"
#include "app/video_area_sink.h"
#include "common/tool_args.h"
#include "media/audio_player.h"
#include "media/background_video.h"
#include "play/play_window.h"
#include "play/title_panel.h"
#include "screen/lyric_screen.h"
#include "screen/screen_settings.h"
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

PlaySession::PlaySession(PlayOptions options, std::ostream& out, std::ostream& err)
    : options_(std::move(options)),
      out_(out),
      err_(err),
      screen_(std::make_unique<CLyricScreen>()),
      window_(std::make_unique<PlayWindow>(*screen_)),
      videoPlayer_(std::make_unique<CFilePlayer>()) {
  ApplyScreenSettings(settings_.values(), *screen_);
  sink_ = std::make_unique<VideoAreaSink>(window_->area(), *screen_, videoPlayer_->frames());
  surfaces_ = std::make_unique<CScreenSurfaces>(*screen_, sink_.get());
  panel_ = std::make_unique<TitlePanel>(*window_);
  messages_ = std::make_unique<MessageBoxes>(window_.get());

  CMainFrame::Parts parts;
  parts.screen = screen_.get();
  parts.surfaces = surfaces_.get();
  parts.videoPlayer = videoPlayer_.get();
  parts.messages = messages_.get();
  parts.makeAudioPlayer = [] { return std::make_unique<CAudioPlayer>(); };
  frame_ = std::make_unique<CMainFrame>(std::move(parts), settings_);
  CMainFrame::Windows windows;
  windows.videoWindow = window_.get();
  windows.panel = panel_.get();
  frame_->Attach(windows);
  frame_->setDefaultBackgroundVideo(FindDefaultBackgroundVideo(
      options_.programFolder.isEmpty() ? QCoreApplication::applicationDirPath()
                                       : options_.programFolder));

  QObject::connect(frame_.get(), &CMainFrame::SongEnded, frame_.get(), [this] { OnSongEnded(); });
  sink_->SetPresentedHook([this] { OnPresented(); });
  window_->SetClosingHook([this] { Shutdown(); });
  InstallAccelerators(*window_, [this](int command) { frame_->OnCommand(command); });

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
  window_->resize(options_.windowSize.value_or(DefaultWindowSize(window_->screen())));
  if (options_.fullScreen) {
    window_->SetFullScreen(true);
  } else {
    window_->show();
  }

  // As in the player: the background first (it starts the main loop), then the song over it.
  frame_->StartBackgroundVideo();
  if (!frame_->timersRunning()) {
    err_ << "lyrovox-play: the background video does not play ("
         << (frame_->defaultBackgroundVideo().isEmpty()
                 ? std::string("no video.mpg beside the program")
                 : frame_->defaultBackgroundVideo().toStdString())
         << "); lyrics cannot be shown\n";
  }
  frame_->PlaySong(options_.song);
  songKind_ = frame_->playerKind();
  const bool playing =
      frame_->isPlaying() && (songKind_ != kPlayerKindVideo || frame_->timersRunning());
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
  window_->close();
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
  frame_->OnDestroy();
}

IMediaPlayer* PlaySession::SongPlayer() const {
  if (frame_->playerKind() == kPlayerKindVideo) return videoPlayer_.get();
  if (frame_->playerKind() == kPlayerKindAudio) return frame_->audioPlayer();
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
    const int32_t sung = frame_->lyricMode() == kLyricModeText ? frame_->syllableCursor() : 0;
    measure_.OnPresent(frame_->lyricStore(), sung, position);
  }
  bool shot = false;
  while (nextShot_ < shotOrder_.size() && position >= options_.atMs[shotOrder_[nextShot_]]) {
    TakeShot(shotOrder_[nextShot_++], position);
    shot = true;
  }
  if (shot && nextShot_ == shotOrder_.size() && !options_.measure && !options_.quitAtEnd) {
    // Done: leave the loop once this tick is over.
    QMetaObject::invokeMethod(
        window_.get(), [this] { Close(); }, Qt::QueuedConnection);
  }
}

void PlaySession::TakeShot(size_t index, int32_t positionMs) {
  // The frame just presented, painted now, as the display shows it.
  window_->repaint();
  QPixmap pixmap;
  if (QScreen* screen = window_->screen()) pixmap = screen->grabWindow(window_->winId());
  if (pixmap.isNull()) pixmap = window_->grab();
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
        window_.get(), [this] { Close(); }, Qt::QueuedConnection);
  }
}

void PlaySession::PrintMeasurements() {
  out_ << "song: " << options_.song.toStdString() << '\n';
  out_ << "playerKind: " << songKind_ << '\n';
  out_ << "lyricMode: " << frame_->lyricMode() << '\n';
  out_ << "ended: " << (songEnded_ ? 1 : 0) << '\n';
  measure_.Print(out_);
  out_.flush();
}

}  // namespace lyrovox

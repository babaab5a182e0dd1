#include "controller/main_frame.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QTimerEvent>
#include <algorithm>

#include "controller/lyric_source.h"
#include "controller/song_paths.h"
#include "controller/zip_song.h"
#include "lyrics/text_buffer.h"
#include "lyrics/text_encoding.h"

namespace lyrovox {

namespace {

QString ToQString(std::u16string_view text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

}  // namespace

int32_t VolumeLevel(int percent) {
  // (1 - p/100)^4 x 10000 in exact integers: (100 - p)^4 / 10000.
  const int64_t quiet = 100 - std::clamp(percent, 0, 100);
  return static_cast<int32_t>(-(quiet * quiet * quiet * quiet / 10000));
}

CMainFrame::CMainFrame(Parts parts, Settings settings, QObject* parent)
    : QObject(parent),
      parts_(std::move(parts)),
      settings_(std::move(settings)),
      lyricStore_(std::make_unique<LyricStore>()),
      tempFolder_(QDir::tempPath() + QLatin1Char('/')) {}

CMainFrame::~CMainFrame() = default;

bool CMainFrame::PlaySong(const QString& path) {
  if (parts_.screen != nullptr) {
    ApplyLanguage(LanguageFromPath(path));
    parts_.screen->ClearTypedNumber();
  }

  if (settings_.useOriginalVideo != 0 && IsVideoSongPath(path)) {
    if (playerKind_ == kPlayerKindAudio) CloseAudioSong();
    playerKind_ = kPlayerKindVideo;
    StopVideoPlayback();
    if (parts_.videoPlayer != nullptr) {
      if (parts_.panel != nullptr) parts_.panel->SetSeekable(true);
      isPlaying_ = true;
      parts_.videoPlayer->SetFileName(path, false);
      currentSongPath_ = path;
      parts_.videoPlayer->SetSourceKind(0);
      LoadSongLyrics(path);
    }
    StartVideoPlayback();
    return true;
  }

  if (parts_.panel != nullptr) parts_.panel->SetSeekable(false);
  if (IsZipPath(path)) {
    PlayZipSong(path);
    return true;
  }
  if (playerKind_ == kPlayerKindVideo) {
    StopVideoPlayback();
    RestartBackgroundVideo();
  }
  playerKind_ = kPlayerKindAudio;
  PlayAudioSong(path);
  return true;
}

bool CMainFrame::PlayAudioSong(const QString& path) {
  CloseAudioSong();
  LoadSongLyrics(path);
  if (!audioPlayer_) {
    if (parts_.makeAudioPlayer) audioPlayer_ = parts_.makeAudioPlayer();
    if (!audioPlayer_) return false;
  }
  audioPlayer_->SetFileName(path);
  currentSongPath_ = path;

  isPlaying_ = true;
  bool started = false;
  if (audioPlayer_->CreateGraph()) {
    ApplyChannelMode();
    if (audioPlayer_->Open(this) == 0) {
      audioPlayer_->Pause();
      if (audioPlayer_->Play()) {
        started = true;
        if (parts_.panel != nullptr) parts_.panel->SetVolumeDisplay(volume_);
        SetVolume(volume_);
      } else {
        audioPlayer_->Destroy();
      }
    }
  }
  // A song that does not start is not playing: the next chosen song may start at once.
  if (!started) isPlaying_ = false;
  return true;
}

int32_t CMainFrame::PlayZipSong(const QString& path) {
  const ZipSong zip = ExtractZipSong(path, tempFolder_);
  if (!zip.songFile.isEmpty()) {
    if (playerKind_ == kPlayerKindVideo) {
      StopVideoPlayback();
      RestartBackgroundVideo();
    }
    playerKind_ = kPlayerKindAudio;
    PlayAudioSong(zip.songFile);
  }
  return zip.entryCount;
}

void CMainFrame::LoadSongLyrics(const QString& path) {
  LoadLyricsForKind(path, LyricKindForPath(path));
  if (parts_.screen == nullptr) return;
  const QString title = parts_.screen->SongTitle();
  if (!title.isEmpty()) {
    if (parts_.panel != nullptr) parts_.panel->SetSongTitle(title);
    currentSongTitle_ = title;
  }
}

void CMainFrame::LoadLyricsForKind(const QString& path, int kind) {
  syllableCursor_ = 0;
  const LyricSource source = LoadLyricSource(path, kind, *lyricStore_);
  SetLyricMode(source.lyricMode);

  ILyricScreen* screen = parts_.screen;
  // The pending title belongs to this song alone, whether or not it is used.
  const QString pending = std::exchange(pendingTitle_, QString());
  if (screen == nullptr) return;
  screen->SetLineTimed(source.lineTimed);
  if (source.lyricMode == kLyricModeCdg) screen->LoadCdgFile(source.file);

  screen->ResetLyrics();
  const LyricStore& store = *lyricStore_;
  QString title = ToQString(TextView(store.title));
  if (title.isEmpty()) title = pending.size() > 2 ? pending : FileTitle(path);
  screen->SetSongTitle(title);
  screen->SetSongArtist(ToQString(TextView(store.artist)));
  screen->SetPlayState(kPlayStateLoaded);
}

int CMainFrame::LanguageFromPath(const QString& path) const {
  return lyrovox::LanguageFromPath(path, lastSongNumber_);
}

void CMainFrame::ApplyLanguage(int index) {
  if (settings_.codePage > 0) index = settings_.codePage;
  if (const auto codePage = CodePageForLanguage(index)) lyricStore_->codePage = *codePage;
  lyricStore_->language = index;
  if (parts_.screen != nullptr) parts_.screen->ApplyFontSettings(index);
}

void CMainFrame::CloseAudioSong() {
  isPlaying_ = false;
  if (parts_.screen != nullptr) {
    parts_.screen->ResetLyrics();
    parts_.screen->SetPlayState(kPlayStateIdle);
  }
  if (audioPlayer_ && audioPlayer_->State() != 0) {
    audioPlayer_->Stop();
    audioPlayer_->Close();
  }
}

void CMainFrame::SetVolume(int percent) {
  volume_ = percent;
  const int32_t level = VolumeLevel(percent);
  if (playerKind_ == kPlayerKindAudio) {
    if (audioPlayer_) audioPlayer_->SetVolume(level);
  } else if (parts_.videoPlayer != nullptr) {
    parts_.videoPlayer->SetVolume(level);
  }
}

void CMainFrame::ApplyChannelMode() {
  const int mode = settings_.audioChannel;
  IMediaPlayer* players[] = {audioPlayer_.get(), parts_.videoPlayer};
  for (IMediaPlayer* player : players) {
    if (player == nullptr) continue;
    switch (mode) {
      case 1:
        player->SetChannelLeft();
        break;
      case 2:
        player->SetChannelRight();
        break;
      case 3:
        player->SetChannelReverse();
        break;
      default:
        player->SetChannelBoth();
        break;
    }
  }
  if (parts_.panel != nullptr) parts_.panel->ShowChannel(mode);
}

bool CMainFrame::StartVideoPlayback() {
  IVideoPlayer* video = parts_.videoPlayer;
  if (video == nullptr || !video->CreateGraph()) return false;
  ApplyChannelMode();
  if (parts_.screen != nullptr) ApplyLanguage(0);
  QObject* window = parts_.videoWindow != nullptr ? parts_.videoWindow : this;
  if (video->Open(window) != 0 || !video->Pause() || !video->Play()) {
    video->Destroy();
    return false;
  }
  if (parts_.panel != nullptr) parts_.panel->SetVolumeDisplay(volume_);
  SetVolume(volume_);
  video->SetAudioTrack(settings_.audioTrack);
  // The second track of a two-track video is a whole mix: no channel is left out of it.
  if (video->GetAudioTrack() >= 1 && settings_.audioChannel > 0) video->SetChannelBoth();
  if (parts_.panel != nullptr) parts_.panel->ShowAudioTrack(video->GetAudioTrack());
  numberEntryTimer_.start(kMainLoopPeriodMs, Qt::PreciseTimer, this);
  lyricTimer_.start(kMainLoopPeriodMs, Qt::PreciseTimer, this);
  return true;
}

void CMainFrame::StopVideoPlayback() {
  numberEntryTimer_.stop();
  lyricTimer_.stop();
  IVideoPlayer* video = parts_.videoPlayer;
  if (video != nullptr && video->State() != 0) {
    video->Stop();
    video->Destroy();
  }
}

void CMainFrame::StartBackgroundVideo() {
  IVideoPlayer* video = parts_.videoPlayer;
  if (video == nullptr) return;
  video->SetStretchVideo(settings_.aspect == 0);
  video->SetSourceKind(settings_.background);
  QString file = defaultBackgroundVideo_;
  if ((settings_.background == 0 || settings_.background == 1) &&
      settings_.backgroundVideo.size() >= 5) {
    if (QFileInfo::exists(settings_.backgroundVideo)) {
      file = settings_.backgroundVideo;
    } else {
      if (parts_.messages != nullptr) {
        parts_.messages->ShowMessageBox(
            QStringLiteral("Can't find custom video.  Using original background video."));
      }
      // Said once: the setting is cleared, here and in the profile.
      settings_.backgroundVideo.clear();
      if (parts_.writeSetting) parts_.writeSetting(QStringLiteral("BackgroundVideo"), QString());
    }
  }
  video->SetFileName(file, true);
  StartVideoPlayback();
}

void CMainFrame::RestartBackgroundVideo() {
  StartBackgroundVideo();
}

void CMainFrame::OnTimer(int id) {
  // The number entry counts down here; the lyric tick's work (positions, lyric feed, banner,
  // composing) and presenting belong to the lyrics screen's loop.
  if (id == kNumberEntryTimer && numberEntryCountdown_ > 0) --numberEntryCountdown_;
}

void CMainFrame::timerEvent(QTimerEvent* e) {
  if (e->timerId() == numberEntryTimer_.timerId()) {
    OnTimer(kNumberEntryTimer);
  } else if (e->timerId() == lyricTimer_.timerId()) {
    OnTimer(kLyricTimer);
  } else {
    QObject::timerEvent(e);
  }
}

bool CMainFrame::event(QEvent* e) {
  if (e->type() == static_cast<QEvent::Type>(kAudioGraphEvent)) {
    OnGraphEvent();
    return true;
  }
  if (e->type() == static_cast<QEvent::Type>(kVideoGraphEvent)) {
    OnVideoGraphEvent();
    return true;
  }
  return QObject::event(e);
}

int CMainFrame::OnGraphEvent() {
  // Events of a player that is not running are ignored.
  if (!audioPlayer_ || audioPlayer_->State() != 3) return 0;
  int32_t code = 0;
  while (audioPlayer_->GetEvent(code)) {
    if (code == 1 || code == 2 || code == 3) {
      PlayNextSong();
      return 1;
    }
  }
  return 0;
}

void CMainFrame::OnVideoGraphEvent() {
  IVideoPlayer* video = parts_.videoPlayer;
  if (video == nullptr || video->State() != 3) return;
  int32_t code = 0;
  while (video->GetEvent(code)) {
    if (code == 1) {
      OnVideoEnded();
      return;
    }
    if (code == 2 || code == 3) {
      StopVideoPlayback();
      return;
    }
  }
}

void CMainFrame::OnVideoEnded() {
  if (playerKind_ != kPlayerKindVideo) {
    // The background loops.
    if (parts_.videoPlayer != nullptr) parts_.videoPlayer->Rewind();
    return;
  }
  if (parts_.panel != nullptr) parts_.panel->SetSeekable(true);
  PlayNextSong();
}

void CMainFrame::StopSong() {
  if (parts_.panel != nullptr) parts_.panel->SetSeekable(false);
  isPlaying_ = false;
  if (playerKind_ == kPlayerKindVideo) {
    StopVideoPlayback();
    RestartBackgroundVideo();
  } else {
    CloseAudioSong();
  }
  playerKind_ = kPlayerKindAudio;
}

void CMainFrame::PlayNextSong() {
  CloseAudioSong();
  // The song list's walk (reserved list off) belongs to the play list window.
  if (settings_.reservedListEnable != 0) PlayNextReserved();
}

void CMainFrame::PlayNextReserved() {
  // No song is reserved: a video song gives the screen back to the background.
  if (playerKind_ == kPlayerKindVideo) {
    StopVideoPlayback();
    playerKind_ = kPlayerKindAudio;
    RestartBackgroundVideo();
    if (parts_.panel != nullptr) parts_.panel->SetSongTitle(QStringLiteral("Please select a song"));
  }
}

void CMainFrame::CycleAudio() {
  IMediaPlayer* player = CurrentPlayer();
  bool switched = false;
  if (player != nullptr) {
    switched = player->SwitchAudioStream();
    ShowOnScreen(QStringLiteral("Audio Track %1").arg(player->GetAudioTrack() + 1));
  }
  if (switched) return;
  // One audio stream: step through the channels instead.
  int& mode = settings_.audioChannel;
  QString text;
  if (mode == 0) {
    mode = 1;
    text = QStringLiteral("Left Audio Channel");
  } else if (mode == 1) {
    mode = 2;
    text = QStringLiteral("Right Audio Channel");
  } else {
    mode = 0;
    text = QStringLiteral("Both Audio Channel");
  }
  ApplyChannelMode();
  ShowOnScreen(text);
}

void CMainFrame::VolumeUp() {
  if (volume_ < 100) ++volume_;
  if (parts_.panel != nullptr) parts_.panel->SetVolumeDisplay(volume_);
  SetVolume(volume_);
}

void CMainFrame::VolumeDown() {
  if (volume_ > 0) --volume_;
  if (parts_.panel != nullptr) parts_.panel->SetVolumeDisplay(volume_);
  SetVolume(volume_);
}

void CMainFrame::SpeedUp() {
  ChangeRate(true);
}

void CMainFrame::SlowDown() {
  ChangeRate(false);
}

void CMainFrame::ChangeRate(bool faster) {
  IMediaPlayer* player = CurrentPlayer();
  if (player == nullptr) return;
  const double rate = player->ChangeRate(faster);
  if (rate > 0 && parts_.panel != nullptr) parts_.panel->ShowRate(rate);
}

void CMainFrame::SeekVideoSong(int ms) {
  // Audio songs cannot be sought.
  if (playerKind_ != kPlayerKindVideo || parts_.videoPlayer == nullptr) return;
  parts_.videoPlayer->SeekTo(int64_t{ms} * 10000);
}

IMediaPlayer* CMainFrame::CurrentPlayer() const {
  if (playerKind_ == kPlayerKindAudio) return audioPlayer_.get();
  return parts_.videoPlayer;
}

void CMainFrame::ShowOnScreen(const QString& text) {
  if (parts_.screen != nullptr) parts_.screen->ShowMessage(text);
}

void CMainFrame::SetLyricMode(int mode) {
  lyricMode_ = mode;
  if (parts_.screen != nullptr) parts_.screen->SetLyricMode(mode);
}

}  // namespace lyrovox

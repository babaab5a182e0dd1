#include "controller/main_frame.h"

#include <QEvent>
#include <QFileInfo>
#include <QTimerEvent>
#include <algorithm>
#include <climits>

#include "controller/commands.h"
#include "controller/lyric_source.h"
#include "controller/qt_text.h"
#include "controller/song_library.h"
#include "controller/song_paths.h"
#include "controller/zip_song.h"
#include "lyrics/text_buffer.h"
#include "lyrics/text_encoding.h"

namespace lyrovox {

namespace {

// The players' unsigned milliseconds as the panel's and the feed's signed ones.
int32_t ToMs(uint32_t ms) {
  return static_cast<int32_t>(std::min<uint32_t>(ms, INT32_MAX));
}

// Drains the events of a player whose start is on its way, up to the start's outcome:
// kGraphEventStarted or kGraphEventStartFailed (starting is then false), else 0.
int32_t TakeStartOutcome(IMediaPlayer& player, bool& starting) {
  int32_t code = 0;
  while (starting && player.GetEvent(code)) {
    if (code == kGraphEventStarted || code == kGraphEventStartFailed) {
      starting = false;
      return code;
    }
  }
  return 0;
}

// The next-song banner shows while the song is between 30 and 20 seconds from its end.
constexpr int64_t kBannerFromMs = 30000;
constexpr int64_t kBannerToMs = 20000;
// The banner and the reserved summary name at most this many reserved songs.
constexpr int kBannerRows = 6;

}  // namespace

int32_t VolumeLevel(int percent) {
  // (1 - p/100)^4 x 10000 in exact integers: (100 - p)^4 / 10000.
  const int64_t quiet = 100 - std::clamp(percent, 0, 100);
  return static_cast<int32_t>(-(quiet * quiet * quiet * quiet / 10000));
}

CMainFrame::CMainFrame(Parts parts, SettingsStore& settings, QObject* parent)
    : QObject(parent),
      parts_(std::move(parts)),
      settings_(settings),
      lyricStore_(std::make_unique<LyricStore>()) {}

CMainFrame::~CMainFrame() = default;

void CMainFrame::Attach(const Windows& windows) {
  windows_ = windows;
}

bool CMainFrame::PlaySong(const QString& path) {
  ResetSingerEffects();
  openingPath_ = path;
  openingTitle_.clear();
  saidCantPlay_ = false;
  if (parts_.screen != nullptr) {
    ApplyLanguage(LanguageFromPath(path));
    parts_.screen->ClearTypedNumber();
  }

  if (settings_.values().useOriginalVideo != 0 && IsVideoSongPath(path)) {
    if (playerKind_ == kPlayerKindAudio) CloseAudioSong();
    SetPlayerKind(kPlayerKindVideo);
    StopVideoPlayback();
    if (parts_.videoPlayer != nullptr) {
      if (windows_.panel != nullptr) windows_.panel->SetSeekable(true);
      isPlaying_ = true;
      parts_.videoPlayer->SetFileName(path, false);
      currentSongPath_ = path;
      parts_.videoPlayer->SetSourceKind(0);
      LoadSongLyrics(path);
    }
    if (!StartVideoPlayback()) SongFailedToStart(parts_.videoPlayer);
    emit SongStarted(path);
    return true;
  }

  if (windows_.panel != nullptr) windows_.panel->SetSeekable(false);
  if (IsZipPath(path)) {
    // An archive without a song in it fails here; its song's own failure has been said.
    if ((PlayZipSong(path) == 0 || !isPlaying_) && !saidCantPlay_) SongFailedToStart(nullptr);
    emit SongStarted(path);
    return true;
  }
  if (playerKind_ == kPlayerKindVideo) {
    StopVideoPlayback();
    RestartBackgroundVideo();
  }
  SetPlayerKind(kPlayerKindAudio);
  PlayAudioSong(path);
  emit SongStarted(path);
  return true;
}

void CMainFrame::SongFailedToStart(const IMediaPlayer* player) {
  // A song that does not start is not playing, and no end event will come for it: it is skipped
  // as one that broke off would be, so that the reserved songs behind it are not held up.
  isPlaying_ = false;
  SayCantPlay(player);
  if (nextAfterFailure_) return;
  nextAfterFailure_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        nextAfterFailure_ = false;
        if (!isPlaying_) PlayNextSong();
      },
      Qt::QueuedConnection);
}

void CMainFrame::SayCantPlay(const IMediaPlayer* player) {
  saidCantPlay_ = true;
  const QString path = openingPath_;
  QString title = openingTitle_.trimmed();
  if (title.isEmpty()) title = pendingTitle_.trimmed();
  if (title.isEmpty()) title = FileTitle(path);
  QString reason;
  if (!QFileInfo(path).isFile()) {
    reason = QStringLiteral("file not found");
  } else if (QFileInfo(path).size() == 0) {
    reason = QStringLiteral("not a song file");
  } else if (player != nullptr) {
    reason = player->FailureReason();
  }
  if (reason.isEmpty()) reason = QStringLiteral("not a song file");
  const QString text = QStringLiteral("Can't play %1: %2").arg(title, reason);
  if (parts_.screen != nullptr) parts_.screen->ShowNotice(text, kCantPlayNoticeMs);
  // The title of a song that does not play is not shown.
  currentSongTitle_.clear();
  if (windows_.panel != nullptr) {
    windows_.panel->ResetSongDisplay();
    windows_.panel->ShowNotice(text, kCantPlayNoticeMs);
  }
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
  if (audioPlayer_->CreateGraph()) {
    ApplyChannelMode();
    if (audioPlayer_->Open(this) == 0) {
      audioPlayer_->Pause();
      if (audioPlayer_->Play()) {
        // The player runs now, or says so when it does (OnGraphEvent).
        audioStarting_ = audioPlayer_->State() != kStateRunning;
        if (!audioStarting_) AudioSongRunning();
        return true;
      }
      audioPlayer_->Destroy();
    }
  }
  SongFailedToStart(audioPlayer_.get());
  return true;
}

void CMainFrame::AudioSongRunning() {
  if (windows_.panel != nullptr) windows_.panel->SetVolumeDisplay(volume_);
  SetVolume(volume_);
}

int32_t CMainFrame::PlayZipSong(const QString& path) {
  const ZipSong zip = ExtractZipSong(path, parts_.tempFolder);
  if (!zip.songFile.isEmpty()) {
    if (playerKind_ == kPlayerKindVideo) {
      StopVideoPlayback();
      RestartBackgroundVideo();
    }
    SetPlayerKind(kPlayerKindAudio);
    PlayAudioSong(zip.songFile);
  }
  return zip.entryCount;
}

void CMainFrame::LoadSongLyrics(const QString& path) {
  LoadLyricsForKind(path, LyricKindForPath(path));
  if (parts_.screen == nullptr) return;
  const QString title = parts_.screen->SongTitle();
  if (!title.isEmpty()) {
    if (windows_.panel != nullptr) windows_.panel->SetSongTitle(title);
    currentSongTitle_ = title;
  }
}

void CMainFrame::LoadLyricsForKind(const QString& path, int kind) {
  feed_.Reset();
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
  openingTitle_ = title;
  screen->SetSongArtist(ToQString(TextView(store.artist)));
  screen->SetPlayState(kPlayStateLoaded);
}

int CMainFrame::LanguageFromPath(const QString& path) const {
  return lyrovox::LanguageFromPath(path, lastSongNumber_);
}

void CMainFrame::ApplyLanguage(int index) {
  if (settings_.values().codePage > 0) index = settings_.values().codePage;
  if (const auto codePage = CodePageForLanguage(index)) lyricStore_->codePage = *codePage;
  lyricStore_->language = index;
  ApplyLyricFont(index);
}

void CMainFrame::ApplyLyricFont(int language) {
  if (parts_.screen == nullptr) return;
  parts_.screen->ApplyFontSettings(language);
  // The screen keeps the font size in its range; the corrected size is the setting from now on.
  const int size = parts_.screen->DefaultFontSizeValue();
  if (size != settings_.values().defaultFontSizeValue) {
    settings_.WriteInt(SettingKey::kDefaultFontSizeValue, size);
  }
}

void CMainFrame::CloseAudioSong() {
  isPlaying_ = false;
  audioStarting_ = false;
  if (parts_.screen != nullptr) {
    parts_.screen->ResetLyrics();
    parts_.screen->SetPlayState(kPlayStateIdle);
  }
  if (audioPlayer_ && audioPlayer_->State() != kStateNoGraph) {
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
  const int mode = settings_.values().audioChannel;
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
  if (windows_.panel != nullptr) windows_.panel->ShowChannel(mode);
}

bool CMainFrame::StartVideoPlayback() {
  IVideoPlayer* video = parts_.videoPlayer;
  if (video == nullptr || !video->CreateGraph()) return false;
  ApplyChannelMode();

  ILyricScreen* screen = parts_.screen;
  IScreenSurfaces* surfaces = parts_.surfaces;
  if (surfaces != nullptr) {
    if (surfaces->Create() != 0) {
      // Without surfaces no frame can be shown: playback does not start.
      if (parts_.messages != nullptr) parts_.messages->ShowErrorBox(surfaces->ErrorText());
      video->Destroy();
      return false;
    }
    const QSize size = surfaces->ScreenSize();
    if (screen != nullptr) screen->SetScreenSize(size.width(), size.height());
  }
  if (screen != nullptr) ApplyLanguage(0);

  QObject* window = windows_.videoEvents != nullptr ? windows_.videoEvents : this;
  if (video->Open(window) != 0 || !video->Pause()) {
    video->Destroy();
    return false;
  }
  if (surfaces != nullptr) surfaces->SetVideoShown(true);
  if (screen != nullptr && windows_.videoWindow != nullptr) {
    const QRect area = windows_.videoWindow->GetVideoRect();
    screen->SetTargetRect(area.left(), area.top(), area.right() + 1, area.bottom() + 1);
  }
  if (surfaces != nullptr) surfaces->Present();
  if (!video->Play()) {
    video->Destroy();
    return false;
  }
  videoStarting_ = video->State() != kStateRunning;
  if (videoStarting_) {
    // Frames go on being presented while the picture starts; the rest follows when it runs
    // (OnVideoGraphEvent).
    StartMainLoop();
    return true;
  }
  VideoRunning();
  return true;
}

void CMainFrame::VideoRunning() {
  IVideoPlayer* video = parts_.videoPlayer;
  if (windows_.panel != nullptr) windows_.panel->SetVolumeDisplay(volume_);
  SetVolume(volume_);
  video->SetAudioTrack(settings_.values().audioTrack);
  // The second track of a two-track video is a whole mix: no channel is left out of it.
  if (video->GetAudioTrack() >= 1 && settings_.values().audioChannel > 0) video->SetChannelBoth();
  if (windows_.panel != nullptr) windows_.panel->ShowAudioTrack(video->GetAudioTrack());
  StartMainLoop();
}

void CMainFrame::VideoFailedToStart() {
  // As when the start fails at once: the graph goes, the timers stop, a video song is skipped.
  numberEntryTimer_.stop();
  lyricTimer_.stop();
  parts_.videoPlayer->Destroy();
  if (playerKind_ == kPlayerKindVideo) SongFailedToStart(parts_.videoPlayer);
}

void CMainFrame::StartMainLoop() {
  if (timersRunning()) return;
  // Equal periods keep the order the timers were started in, so each present comes right after
  // the lyric tick and shows the frame that tick composed.
  lyricTimer_.start(kMainLoopPeriodMs, Qt::PreciseTimer, this);
  numberEntryTimer_.start(kMainLoopPeriodMs, Qt::PreciseTimer, this);
}

void CMainFrame::StopVideoPlayback() {
  videoStarting_ = false;
  numberEntryTimer_.stop();
  lyricTimer_.stop();
  IVideoPlayer* video = parts_.videoPlayer;
  if (video != nullptr && video->State() != kStateNoGraph) {
    if (parts_.surfaces != nullptr) {
      parts_.surfaces->SetVideoShown(false);
      parts_.surfaces->Present();
    }
    video->Stop();
    video->Destroy();
  }
}

void CMainFrame::StartBackgroundVideo() {
  IVideoPlayer* video = parts_.videoPlayer;
  if (video == nullptr) return;
  video->SetStretchVideo(settings_.values().aspect == 0);
  video->SetSourceKind(settings_.values().background);
  QString file = defaultBackgroundVideo_;
  if ((settings_.values().background == 0 || settings_.values().background == 1) &&
      settings_.values().backgroundVideo.size() >= 5) {
    if (QFileInfo::exists(settings_.values().backgroundVideo)) {
      file = settings_.values().backgroundVideo;
    } else {
      if (parts_.messages != nullptr) {
        parts_.messages->ShowMessageBox(
            QStringLiteral("Can't find custom video.  Using original background video."));
      }
      // Said once: the setting is cleared, here and in the profile.
      settings_.WriteString(SettingKey::kBackgroundVideo, QString());
    }
  }
  video->SetFileName(file, true);
  StartVideoPlayback();
}

void CMainFrame::RestartBackgroundVideo() {
  StartBackgroundVideo();
}

void CMainFrame::ToggleBackground() {
  int& background = settings_.values().background;
  background = background == 0 ? 1 : 0;
  ReselectBackground();
}

void CMainFrame::ReselectBackground() {
  // A video song keeps the picture; the change shows when the background next starts.
  if (playerKind_ != kPlayerKindAudio) return;
  StopVideoPlayback();
  StartBackgroundVideo();
}

void CMainFrame::SetAudioChannel(int mode) {
  settings_.values().audioChannel = mode;
  ApplyChannelMode();
}

void CMainFrame::SelectAudioTrack(int track) {
  IVideoPlayer* video = parts_.videoPlayer;
  if (video != nullptr) video->SetAudioTrack(track);
  if (windows_.panel != nullptr) windows_.panel->ShowAudioTrack(track);
  const int playing = video != nullptr ? video->GetAudioTrack() : 0;
  if (playing >= 1 && settings_.values().audioChannel >= 1) SetAudioChannel(0);
}

void CMainFrame::OnTimer(int id) {
  if (id == kNumberEntryTimer) {
    // At 1 the typed number is taken as if Enter were pressed; the countdown then rests at 0
    // until the next typed character.
    if (numberEntryCountdown_ == 1) OnSongKey(kSongKeyEnter);
    if (numberEntryCountdown_ > 0) --numberEntryCountdown_;
    if (parts_.surfaces != nullptr) parts_.surfaces->Present();
  } else if (id == kLyricTimer) {
    RunLyricTick();
  }
}

void CMainFrame::RunLyricTick() {
  ILyricScreen* screen = parts_.screen;
  IControlPanel* panel = windows_.panel;
  // The playing player's clock. A closed player has none: a stopped or ended song must not put
  // its lyrics back on the idle screen.
  IMediaPlayer* player = nullptr;
  if (playerKind_ == kPlayerKindVideo) player = parts_.videoPlayer;
  if (playerKind_ == kPlayerKindAudio) player = audioPlayer_.get();
  if (player != nullptr) {
    const int32_t position = ToMs(player->GetPositionMs());
    if (panel != nullptr) {
      panel->SetPosition(position);
      panel->SetDuration(ToMs(player->GetDurationMs()));
    }
    if (screen != nullptr && player->State() != kStateNoGraph) {
      const bool video = playerKind_ == kPlayerKindVideo;
      if (lyricMode_ == kLyricModeText) {
        feed_.Step(*lyricStore_, position, video, *screen);
      } else if (video && position > LyricFeed::kNoLyricsClearMs) {
        // A video song without text lyrics: the title slides away and the video shows.
        screen->ResetLyrics();
        screen->SetPlayState(kPlayStateSinging);
      } else if (!video && lyricMode_ == kLyricModeCdg) {
        screen->UpdateCdg(position / 10);
      }
    }
  }
  if (panel != nullptr && screen != nullptr) {
    const int64_t remaining = int64_t{panel->Duration()} - panel->Position();
    screen->SetNextSongBanner(remaining > kBannerToMs && remaining < kBannerFromMs);
  }
  if (screen != nullptr) screen->Compose();
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
  if (!audioPlayer_) return 0;
  // A song on its way: it runs now, or it is skipped as one that did not start.
  switch (TakeStartOutcome(*audioPlayer_, audioStarting_)) {
    case kGraphEventStarted:
      AudioSongRunning();
      break;
    case kGraphEventStartFailed:
      audioPlayer_->Destroy();
      SongFailedToStart(audioPlayer_.get());
      return 0;
    default:
      break;
  }
  // Events of a player that is not running are ignored.
  if (audioPlayer_->State() != kStateRunning) return 0;
  int32_t code = 0;
  while (audioPlayer_->GetEvent(code)) {
    if (code == kGraphEventComplete || code == kGraphEventUserAbort ||
        code == kGraphEventErrorAbort) {
      // A song that breaks off with an error is said, as one that does not start is.
      if (code == kGraphEventErrorAbort) SayCantPlay(audioPlayer_.get());
      PlayNextSong();
      emit SongEnded();
      return 1;
    }
  }
  return 0;
}

void CMainFrame::OnVideoGraphEvent() {
  IVideoPlayer* video = parts_.videoPlayer;
  if (video == nullptr) return;
  switch (TakeStartOutcome(*video, videoStarting_)) {
    case kGraphEventStarted:
      VideoRunning();
      break;
    case kGraphEventStartFailed:
      VideoFailedToStart();
      return;
    default:
      break;
  }
  if (video->State() != kStateRunning) return;
  int32_t code = 0;
  while (video->GetEvent(code)) {
    if (code == kGraphEventComplete) {
      OnVideoEnded();
      return;
    }
    if (code == kGraphEventUserAbort || code == kGraphEventErrorAbort) {
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
  if (windows_.panel != nullptr) windows_.panel->SetSeekable(true);
  PlayNextSong();
  emit SongEnded();
}

void CMainFrame::StopSong() {
  ResetSingerEffects();
  if (windows_.panel != nullptr) windows_.panel->SetSeekable(false);
  isPlaying_ = false;
  if (playerKind_ == kPlayerKindVideo) {
    StopVideoPlayback();
    RestartBackgroundVideo();
  } else {
    CloseAudioSong();
  }
  SetPlayerKind(kPlayerKindAudio);
}

void CMainFrame::ReplaySong() {
  if (currentSongPath_.size() < 5) return;
  // Opening the song again gives it its own title; the one shown before (a reserved row's, a
  // DVD song's) is kept.
  const QString title = currentSongTitle_;
  const QString path = currentSongPath_;
  PlaySong(path);
  if (parts_.screen != nullptr) parts_.screen->SetSongTitle(title);
  if (windows_.panel != nullptr) windows_.panel->SetSongTitle(title);
  currentSongTitle_ = title;
}

void CMainFrame::PlayNextSong() {
  CloseAudioSong();
  if (reservedListEnabled()) {
    PlayNextReserved();
  } else {
    PlayNextInPlayList();
  }
  // Nothing follows: the panel shows no title of a song that is not playing.
  if (!isPlaying_ && windows_.panel != nullptr) windows_.panel->ResetSongDisplay();
}

void CMainFrame::PlayPreviousSong() {
  CloseAudioSong();
  // The reserved list keeps no history: the current song starts again.
  if (reservedListEnabled()) {
    ReplaySong();
  } else {
    PlayPreviousInPlayList();
  }
}

void CMainFrame::PlayNextReserved() {
  IReservedList* reserved = windows_.reservedList;
  if (reserved == nullptr || reserved->Count() == 0) {
    // No song is reserved: a video song gives the screen back to the background.
    if (playerKind_ == kPlayerKindVideo) {
      StopVideoPlayback();
      SetPlayerKind(kPlayerKindAudio);
      RestartBackgroundVideo();
      if (windows_.panel != nullptr) windows_.panel->ResetSongDisplay();
    }
  } else if (!isPlaying_) {
    const QString path = reserved->Path(0);
    if (const auto title = TitleAfterNumber(reserved->Title(0))) pendingTitle_ = *title;
    reserved->DeleteSong(0);
    PlaySong(path);
    reserved->Redraw();
  }
  RefreshNextSongBanner();
}

void CMainFrame::PlayNextInPlayList() {
  ISongList* list = windows_.songList;
  if (list == nullptr) return;
  const int next = list->PlayPosition() + 1;
  if (next < 0 || next >= list->Count()) return;
  list->ClearSearch();
  PlaySongListItem(next);
}

void CMainFrame::PlayPreviousInPlayList() {
  ISongList* list = windows_.songList;
  if (list == nullptr) return;
  const int current = list->PlayPosition();
  if (current < 1 || current >= list->Count()) return;
  PlaySongListItem(current - 1);
}

void CMainFrame::PlaySongListItem(int row) {
  ISongList* list = windows_.songList;
  if (list == nullptr || row < 0 || row >= list->Count()) return;
  const QString path = list->Path(row);
  const QString title = list->Title(row);
  if (NumberSeparator(title)) {
    if (const auto after = TitleAfterNumber(title)) pendingTitle_ = *after;
  } else {
    pendingTitle_ = title;
  }
  PlaySong(path);
  if (!reservedListEnabled()) list->SetPlayPosition(row);
  list->Redraw();
}

void CMainFrame::RefreshNextSongBanner() {
  ILyricScreen* screen = parts_.screen;
  IReservedList* reserved = windows_.reservedList;
  if (screen == nullptr) return;
  const int count = reserved != nullptr ? reserved->Count() : 0;
  screen->SetReservedCount(count);
  QString nextTitle;
  QString numbers;
  for (int row = 0; row < std::min(count, kBannerRows); ++row) {
    const QString text = reserved->Title(row);
    const auto separator = NumberSeparator(text);
    if (!separator) continue;
    if (row == 0) {
      if (const auto title = TitleAfterNumber(text)) nextTitle = *title;
    }
    numbers += QStringLiteral("  ") + text.left(*separator);
  }
  screen->SetNextSongTitle(nextTitle);
  screen->SetReservedNumbers(numbers);
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
  int& mode = settings_.values().audioChannel;
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
  if (windows_.panel != nullptr) windows_.panel->SetVolumeDisplay(volume_);
  SetVolume(volume_);
  if (parts_.screen != nullptr)
    parts_.screen->ShowStatus(QStringLiteral("Volume: %1%").arg(volume_));
}

void CMainFrame::VolumeDown() {
  if (volume_ > 0) --volume_;
  if (windows_.panel != nullptr) windows_.panel->SetVolumeDisplay(volume_);
  SetVolume(volume_);
  if (parts_.screen != nullptr)
    parts_.screen->ShowStatus(QStringLiteral("Volume: %1%").arg(volume_));
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
  if (rate > 0) rate_ = rate;
  if (rate > 0 && windows_.panel != nullptr) windows_.panel->ShowRate(rate);
  if (rate > 0 && parts_.screen != nullptr)
    parts_.screen->ShowStatus(QString::asprintf("Speed: %.02fX", rate));
}

bool CMainFrame::OnCommand(int id) {
  switch (id) {
    case kCommandPlayNextSong:
      PlayNextSong();
      return true;
    case kCommandPlayPreviousSong:
      PlayPreviousSong();
      return true;
    case kCommandStopSong:
      StopSong();
      return true;
    case kCommandReplaySong:
      ReplaySong();
      return true;
    case kCommandSlowDown:
      SlowDown();
      return true;
    case kCommandSpeedUp:
      SpeedUp();
      return true;
    case kCommandVolumeUp:
      VolumeUp();
      return true;
    case kCommandVolumeDown:
      VolumeDown();
      return true;
    case kCommandCycleAudio:
      CycleAudio();
      return true;
    case kCommandReserveTypedFirst:
      ReserveTypedNumberFirst();
      return true;
    case kCommandToggleBackground:
      ToggleBackground();
      return true;
    case kCommandKeyUp:
      KeyUp();
      return true;
    case kCommandKeyDown:
      KeyDown();
      return true;
    case kCommandVocalReduction:
      ToggleVocalReduction();
      return true;
    default:
      return false;
  }
}

void CMainFrame::OnDestroy() {
  StopVideoPlayback();
  isPlaying_ = false;
  if (audioPlayer_ && audioPlayer_->State() != kStateNoGraph) audioPlayer_->Stop();
  if (audioPlayer_) audioPlayer_->Destroy();
  if (parts_.surfaces != nullptr) parts_.surfaces->Release();
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

void CMainFrame::ShowStatus(const QString& text) {
  if (windows_.panel != nullptr) windows_.panel->ShowStatusText(text);
  if (parts_.screen != nullptr) parts_.screen->ShowStatus(text);
}

void CMainFrame::SetPlayerKind(int kind) {
  playerKind_ = kind;
  if (parts_.screen != nullptr) parts_.screen->SetPlayerKind(kind);
}

void CMainFrame::SetLyricMode(int mode) {
  lyricMode_ = mode;
  if (parts_.screen != nullptr) parts_.screen->SetLyricMode(mode);
}

}  // namespace lyrovox

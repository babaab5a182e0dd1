#include "app/mpris.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QUrl>
#include <algorithm>
#include <cmath>

#include "controller/main_frame.h"
#include "controller/qt_text.h"
#include "lyrics/text_buffer.h"

namespace lyrovox {

namespace {

constexpr double kRateStep = 0.05;
const QString kNoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");

// org.mpris.MediaPlayer2: the program itself.
class MprisRootAdaptor final : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
  Q_PROPERTY(bool CanQuit READ CanQuit)
  Q_PROPERTY(bool Fullscreen READ Fullscreen WRITE SetFullscreen)
  Q_PROPERTY(bool CanSetFullscreen READ CanSetFullscreen)
  Q_PROPERTY(bool CanRaise READ CanRaise)
  Q_PROPERTY(bool HasTrackList READ HasTrackList)
  Q_PROPERTY(QString Identity READ Identity)
  Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
  Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
  Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)

 public:
  explicit MprisRootAdaptor(MprisService& service) : QDBusAbstractAdaptor(&service), s_(service) {}

  bool CanQuit() const { return true; }
  bool Fullscreen() const { return s_.Fullscreen(); }
  void SetFullscreen(bool on) { s_.SetFullscreen(on); }
  bool CanSetFullscreen() const { return true; }
  bool CanRaise() const { return true; }
  bool HasTrackList() const { return false; }
  QString Identity() const { return QStringLiteral("Lyrovox"); }
  QString DesktopEntry() const { return QStringLiteral("lyrovox"); }
  QStringList SupportedUriSchemes() const { return {QStringLiteral("file")}; }
  QStringList SupportedMimeTypes() const { return SongMimeTypes(); }

 public slots:
  void Raise() { s_.Raise(); }
  void Quit() { s_.Quit(); }

 private:
  MprisService& s_;
};

// The program's own interface beside MPRIS's, for what MPRIS has no place for: its version.
class ProgramAdaptor final : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.lyrovox.Lyrovox")
  Q_PROPERTY(QString Version READ Version)

 public:
  explicit ProgramAdaptor(MprisService& service) : QDBusAbstractAdaptor(&service) {}

  QString Version() const { return QStringLiteral(LYROVOX_VERSION); }
};

// org.mpris.MediaPlayer2.Player: the playing song.
class MprisPlayerAdaptor final : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
  Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
  Q_PROPERTY(double Rate READ Rate WRITE SetRate)
  Q_PROPERTY(QVariantMap Metadata READ Metadata)
  Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
  Q_PROPERTY(qlonglong Position READ Position)
  Q_PROPERTY(double MinimumRate READ MinimumRate)
  Q_PROPERTY(double MaximumRate READ MaximumRate)
  Q_PROPERTY(bool CanGoNext READ CanGoNext)
  Q_PROPERTY(bool CanGoPrevious READ CanGoPrevious)
  Q_PROPERTY(bool CanPlay READ CanPlay)
  Q_PROPERTY(bool CanPause READ CanPause)
  Q_PROPERTY(bool CanSeek READ CanSeek)
  Q_PROPERTY(bool CanControl READ CanControl)

 public:
  explicit MprisPlayerAdaptor(MprisService& service) : QDBusAbstractAdaptor(&service), s_(service) {
    setAutoRelaySignals(true);  // Seeked
  }

  QString PlaybackStatus() const { return s_.PlaybackStatus(); }
  double Rate() const { return s_.Rate(); }
  void SetRate(double rate) { s_.SetRate(rate); }
  QVariantMap Metadata() const { return s_.Metadata(); }
  double Volume() const { return s_.Volume(); }
  void SetVolume(double volume) { s_.SetVolume(volume); }
  qlonglong Position() const { return s_.PositionUs(); }
  double MinimumRate() const { return MprisService::kMinimumRate; }
  double MaximumRate() const { return MprisService::kMaximumRate; }
  bool CanGoNext() const { return s_.CanGoNext(); }
  bool CanGoPrevious() const { return s_.CanGoPrevious(); }
  bool CanPlay() const { return s_.CanPlay(); }
  // Play always starts the song from its beginning: there is no pause to offer.
  bool CanPause() const { return false; }
  bool CanSeek() const { return s_.CanSeek(); }
  bool CanControl() const { return true; }

 public slots:
  void Next() { s_.Next(); }
  void Previous() { s_.Previous(); }
  void Pause() {}
  void PlayPause() { s_.PlayPause(); }
  void Stop() { s_.Stop(); }
  void Play() { s_.Play(); }
  void Seek(qlonglong Offset) { s_.Seek(Offset); }
  void SetPosition(const QDBusObjectPath& TrackId, qlonglong Position) {
    s_.SetPosition(TrackId.path(), Position);
  }
  void OpenUri(const QString& Uri) { s_.OpenUri(Uri); }

 signals:
  void Seeked(qlonglong Position);

 private:
  MprisService& s_;
};

// The metadata in a form that compares by value (the track id as its text).
QVariantMap Comparable(QVariantMap map) {
  const auto id = map.find(QStringLiteral("mpris:trackid"));
  if (id != map.end()) *id = id->value<QDBusObjectPath>().path();
  return map;
}

// The properties whose values differ between two looks.
QVariantMap Changed(const QVariantMap& before, const QVariantMap& now) {
  QVariantMap changed;
  for (auto it = now.begin(); it != now.end(); ++it) {
    const auto old = before.find(it.key());
    const bool same = old != before.end() &&
                      (it.key() == u"Metadata" ? Comparable(old->toMap()) == Comparable(it->toMap())
                                               : *old == *it);
    if (!same) changed.insert(it.key(), *it);
  }
  return changed;
}

}  // namespace

const QStringList& SongMimeTypes() {
  // The build's list, which the desktop entry carries too.
  static const QStringList types =
      QStringLiteral(LYROVOX_SONG_MIME_TYPES).split(QLatin1Char(','), Qt::SkipEmptyParts);
  return types;
}

MprisService::MprisService(CMainFrame& frame, Hooks hooks, QObject* parent)
    : QObject(parent), frame_(frame), hooks_(std::move(hooks)) {
  new MprisRootAdaptor(*this);
  new MprisPlayerAdaptor(*this);
  new ProgramAdaptor(*this);
  connect(&frame_, &CMainFrame::SongStarted, this, [this] {
    ++songNumber_;
    Refresh();
  });
  connect(&frame_, &CMainFrame::SongEnded, this, &MprisService::Refresh);
  connect(&watch_, &QTimer::timeout, this, &MprisService::Refresh);
}

MprisService::~MprisService() {
  if (serviceName_.isEmpty()) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  bus.unregisterService(serviceName_);
  bus.unregisterObject(QString::fromLatin1(kObjectPath));
}

bool MprisService::Register() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  if (!bus.registerObject(QString::fromLatin1(kObjectPath), this,
                          QDBusConnection::ExportAdaptors)) {
    return false;
  }
  const QString base = QStringLiteral("org.mpris.MediaPlayer2.lyrovox");
  QString name = base;
  if (!bus.registerService(name)) {
    name = base + QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid());
    if (!bus.registerService(name)) {
      bus.unregisterObject(QString::fromLatin1(kObjectPath));
      return false;
    }
  }
  serviceName_ = name;
  Refresh();
  watch_.start(kWatchMs);
  return true;
}

QString MprisService::PlaybackStatus() const {
  // Playing once the song's player runs: a song starts on the players' own threads, and its
  // length is known from then on.
  const IMediaPlayer* player = frame_.CurrentPlayer();
  const bool running = frame_.isPlaying() && player != nullptr && player->State() == kStateRunning;
  return running ? QStringLiteral("Playing") : QStringLiteral("Stopped");
}

QString MprisService::TrackId() const {
  if (!frame_.isPlaying()) return kNoTrack;
  return QStringLiteral("/org/lyrovox/Track/%1").arg(songNumber_);
}

QVariantMap MprisService::Metadata() const {
  QVariantMap metadata;
  IMediaPlayer* player = frame_.CurrentPlayer();
  if (!frame_.isPlaying() || player == nullptr) return metadata;
  metadata.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(TrackId())));
  // A title taken from a numbered row keeps the blank after its dash; the bus shows it trimmed.
  metadata.insert(QStringLiteral("xesam:title"), frame_.currentSongTitle().trimmed());
  const QString artist = ToQString(TextView(frame_.lyricStore().artist)).trimmed();
  if (!artist.isEmpty()) metadata.insert(QStringLiteral("xesam:artist"), QStringList{artist});
  const qlonglong lengthUs = qlonglong{player->GetDurationMs()} * 1000;
  if (lengthUs > 0) metadata.insert(QStringLiteral("mpris:length"), lengthUs);
  metadata.insert(QStringLiteral("xesam:url"),
                  QUrl::fromLocalFile(frame_.currentSongPath()).toString(QUrl::FullyEncoded));
  return metadata;
}

qlonglong MprisService::PositionUs() const {
  IMediaPlayer* player = frame_.CurrentPlayer();
  if (!frame_.isPlaying() || player == nullptr) return 0;
  return qlonglong{player->GetPositionMs()} * 1000;
}

double MprisService::Volume() const {
  return frame_.volume() / 100.0;
}

void MprisService::SetVolume(double volume) {
  if (!std::isfinite(volume)) return;
  const int percent = static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * 100));
  if (IControlPanel* panel = frame_.windows().panel) panel->SetVolumeDisplay(percent);
  frame_.SetVolume(percent);
  Refresh();
}

double MprisService::Rate() const {
  return frame_.isPlaying() ? frame_.rate() : 1.0;
}

void MprisService::SetRate(double rate) {
  // 0 would mean pause, which the program does not have.
  if (!frame_.isPlaying() || !std::isfinite(rate) || rate <= 0) return;
  const double wanted = std::clamp(rate, kMinimumRate, kMaximumRate);
  // The controller steps the speed by 0.05, as the keys do.
  const int steps = static_cast<int>(std::lround((wanted - frame_.rate()) / kRateStep));
  for (int i = 0; i < std::abs(steps); ++i) {
    if (steps > 0) {
      frame_.SpeedUp();
    } else {
      frame_.SlowDown();
    }
  }
  Refresh();
}

bool MprisService::CanGoNext() const {
  const CMainFrame::Windows& w = frame_.windows();
  if (frame_.reservedListEnabled()) return w.reservedList != nullptr && w.reservedList->Count() > 0;
  return w.songList != nullptr && w.songList->PlayPosition() + 1 < w.songList->Count();
}

bool MprisService::CanGoPrevious() const {
  const CMainFrame::Windows& w = frame_.windows();
  // The reserved list keeps no history: Previous plays the current song again.
  if (frame_.reservedListEnabled()) return frame_.currentSongPath().size() >= 5;
  return w.songList != nullptr && w.songList->PlayPosition() >= 1 &&
         w.songList->PlayPosition() < w.songList->Count();
}

bool MprisService::CanPlay() const {
  return frame_.isPlaying() || frame_.currentSongPath().size() >= 5 || CanGoNext();
}

bool MprisService::CanSeek() const {
  return frame_.isPlaying() && frame_.playerKind() == kPlayerKindVideo;
}

bool MprisService::Fullscreen() const {
  const IVideoWindow* window = frame_.windows().videoWindow;
  return window != nullptr && window->IsFullScreen();
}

void MprisService::SetFullscreen(bool on) {
  if (IVideoWindow* window = frame_.windows().videoWindow) window->SetFullScreen(on);
  Refresh();
}

void MprisService::Next() {
  frame_.PlayNextSong();
  Refresh();
}

void MprisService::Previous() {
  frame_.PlayPreviousSong();
  Refresh();
}

void MprisService::Play() {
  if (frame_.isPlaying()) return;
  // Play starts the current song again; without one, the next song.
  if (frame_.currentSongPath().size() >= 5) {
    frame_.ReplaySong();
  } else {
    frame_.PlayNextSong();
  }
  Refresh();
}

void MprisService::PlayPause() {
  // What the media key does in the program: the song again from its start.
  frame_.ReplaySong();
  Refresh();
}

void MprisService::Stop() {
  frame_.StopSong();
  Refresh();
}

void MprisService::Seek(qlonglong offsetUs) {
  if (!CanSeek()) return;
  const qlonglong length = qlonglong{frame_.CurrentPlayer()->GetDurationMs()} * 1000;
  const qlonglong target = std::max<qlonglong>(PositionUs() + offsetUs, 0);
  // Past the end is the next song.
  if (length > 0 && target > length) {
    Next();
    return;
  }
  SeekTo(target);
}

void MprisService::SetPosition(const QString& trackId, qlonglong positionUs) {
  if (!CanSeek() || trackId != TrackId() || positionUs < 0) return;
  const qlonglong length = qlonglong{frame_.CurrentPlayer()->GetDurationMs()} * 1000;
  if (length > 0 && positionUs > length) return;
  SeekTo(positionUs);
}

void MprisService::SeekTo(qlonglong positionUs) {
  frame_.SeekVideoSong(static_cast<int>(std::min<qlonglong>(positionUs / 1000, INT32_MAX)));
  emit Seeked(PositionUs());
}

void MprisService::OpenUri(const QString& uri) {
  const QUrl url(uri);
  if (!url.isLocalFile() || !hooks_.open) return;
  hooks_.open({url.toLocalFile()});
}

void MprisService::Raise() {
  if (hooks_.raise) hooks_.raise();
}

void MprisService::Quit() {
  frame_.Quit();
}

void MprisService::Refresh() {
  if (serviceName_.isEmpty()) return;
  const QVariantMap root{{QStringLiteral("Fullscreen"), Fullscreen()}};
  const QVariantMap player{
      {QStringLiteral("PlaybackStatus"), PlaybackStatus()},
      {QStringLiteral("Metadata"), Metadata()},
      {QStringLiteral("Volume"), Volume()},
      {QStringLiteral("Rate"), Rate()},
      {QStringLiteral("CanGoNext"), CanGoNext()},
      {QStringLiteral("CanGoPrevious"), CanGoPrevious()},
      {QStringLiteral("CanPlay"), CanPlay()},
      {QStringLiteral("CanSeek"), CanSeek()},
  };
  const struct {
    const char* interface;
    const QVariantMap& now;
    QVariantMap& last;
  } looks[] = {{kRootInterface, root, lastRoot_}, {kPlayerInterface, player, lastPlayer_}};
  for (const auto& look : looks) {
    const QVariantMap changed = Changed(look.last, look.now);
    look.last = look.now;
    if (changed.isEmpty()) continue;
    QDBusMessage signal = QDBusMessage::createSignal(
        QString::fromLatin1(kObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(look.interface) << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
  }
}

}  // namespace lyrovox

#include "mpris.moc"

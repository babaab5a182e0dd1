#include "app/request_service.h"

#include <QHostAddress>
#include <QNetworkInterface>
#include <QRandomGenerator>
#include <cstdio>

#include "controller/main_frame.h"
#include "controller/settings_store.h"
#include "requests/qr_code.h"
#include "ui/lists/song_rows_model.h"

namespace lyrovox {

namespace {

// How often the song list is looked at for changes.
constexpr int kSongsWatchMs = 2000;

}  // namespace

RequestService::RequestService(CMainFrame& frame, SettingsStore& settings, ILyricScreen* screen,
                               const SongRowsModel& songs, std::optional<QString> roomCode,
                               QObject* parent)
    : QObject(parent),
      frame_(frame),
      settings_(settings),
      screen_(screen),
      songs_(songs),
      fixedRoomCode_(std::move(roomCode)) {
  connect(&frame_, &CMainFrame::ReservedChanged, this, &RequestService::PublishQueue);
  connect(&frame_, &CMainFrame::SongStarted, this, &RequestService::PublishQueue);
  connect(&frame_, &CMainFrame::SongEnded, this, &RequestService::PublishQueue);
  connect(&frame_, &CMainFrame::RequestSettingsChanged, this, [this] {
    if (!Apply()) emit Failed(errorText());
  });
  songsWatch_.setInterval(kSongsWatchMs);
  connect(&songsWatch_, &QTimer::timeout, this, [this] { PublishSongs(false); });
}

RequestService::~RequestService() {
  server_.Stop();
  if (indexing_.valid()) indexing_.wait();
}

QString RequestService::LocalAddress(const QString& networkInterface) {
  QString fallback;
  for (const QNetworkInterface& net : QNetworkInterface::allInterfaces()) {
    const auto flags = net.flags();
    if (!flags.testFlag(QNetworkInterface::IsUp) || !flags.testFlag(QNetworkInterface::IsRunning))
      continue;
    if (!networkInterface.isEmpty() && net.name() != networkInterface) continue;
    for (const QNetworkAddressEntry& entry : net.addressEntries()) {
      const QHostAddress ip = entry.ip();
      if (ip.protocol() != QAbstractSocket::IPv4Protocol) continue;
      if (!ip.isLoopback()) return ip.toString();
      if (fallback.isEmpty()) fallback = ip.toString();
    }
  }
  return fallback.isEmpty() ? QStringLiteral("127.0.0.1") : fallback;
}

bool RequestService::Apply() {
  const Settings& s = settings_.values();
  server_.Stop();
  songsWatch_.stop();
  address_.clear();
  if (screen_ != nullptr) screen_->SetRequestInvite({});
  if (s.requestsEnable == 0) return true;

  roomCode_ = fixedRoomCode_.value_or(
      QStringLiteral("%1").arg(QRandomGenerator::system()->bounded(10000), 4, 10, QChar('0')));
  const QString host = LocalAddress(s.requestsInterface);
  RequestServer::Options options;
  options.host = s.requestsInterface.isEmpty() ? "0.0.0.0" : host.toStdString();
  options.port = s.requestsPort;
  options.roomCode = roomCode_;
  options.limits.perMinute = std::max(1, s.requestsPerMinute);
  options.limits.perSinger = std::max(1, s.requestsPerSinger);
  RequestServer::Hooks hooks;
  // Called on the server's threads: posted to this object on the user-interface thread (Qt drops
  // what is still posted when it goes; the server is stopped before that).
  hooks.request = [this](uint64_t entry, const QString& singer, const QString& path, const QString&,
                         int number) {
    QMetaObject::invokeMethod(
        this,
        [this, entry, singer, path, number] {
          frame_.ReserveRequestedSong(path, std::max(number, 0), singer, entry);
        },
        Qt::QueuedConnection);
  };
  hooks.cancel = [this](uint64_t entry) {
    QMetaObject::invokeMethod(
        this, [this, entry] { frame_.CancelRequestedSong(entry); }, Qt::QueuedConnection);
  };
  PublishSongs(true);
  publishedOnce_ = false;
  if (!server_.Start(options, std::move(hooks))) return false;
  PublishQueue();
  songsWatch_.start();
  address_ = QStringLiteral("http://%1:%2/").arg(host).arg(server_.port());
  RequestInvite invite;
  invite.address = address_;
  invite.roomCode = roomCode_;
  const QrCode qr = EncodeQr(address_.toStdString());
  invite.qrSize = qr.size;
  invite.qrModules = qr.dark;
  if (screen_ != nullptr) screen_->SetRequestInvite(invite);
  // Said once on standard output, for the host's terminal and for scripts.
  std::printf("Song requests: %s room code %s\n", qPrintable(address_), qPrintable(roomCode_));
  std::fflush(stdout);
  return true;
}

void RequestService::PublishSongs(bool force) {
  if (!force && songs_.changeCount() == publishedChanges_) return;
  // One index at a time; a change during it is taken at the next look.
  if (indexing_.valid() &&
      indexing_.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
    if (!force) return;
    indexing_.wait();
  }
  publishedChanges_ = songs_.changeCount();
  auto catalog = std::make_shared<RequestCatalog>();
  catalog->titles.reserve(static_cast<size_t>(songs_.count()));
  catalog->paths.reserve(static_cast<size_t>(songs_.count()));
  for (const SongRow& row : songs_.rows()) {
    catalog->titles.push_back(row.title);
    catalog->paths.push_back(row.path);
  }
  // The titles are shared, not copied; the index is built away from the user-interface thread.
  indexing_ = std::async(std::launch::async, [this, catalog] {
    catalog->Index();
    server_.SetCatalog(catalog);
  });
  if (force) indexing_.wait();
}

void RequestService::PublishQueue() {
  if (!server_.running()) return;
  RequestQueueView view;
  view.accepting = frame_.reservedListEnabled();
  if (frame_.isPlaying()) {
    view.nowTitle = frame_.currentSongTitle();
    view.nowSinger = frame_.currentSinger();
    if (const IControlPanel* panel = frame_.windows().panel)
      view.nowRemainingMs = std::max(0, panel->Duration() - panel->Position());
  }
  if (IReservedList* reserved = frame_.windows().reservedList) {
    for (int r = 0; r < reserved->Count(); ++r) {
      const ReservedSong song = reserved->Song(r);
      view.entries.push_back({song.id, song.singer, song.title, song.paused});
    }
  }
  // The remaining time alone changes nothing the phones need pushed at once.
  RequestQueueView compared = view;
  compared.nowRemainingMs = published_.nowRemainingMs;
  if (compared == published_ && publishedOnce_) return;
  published_ = view;
  publishedOnce_ = true;
  server_.Publish(std::move(view));
}

}  // namespace lyrovox

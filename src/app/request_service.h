#pragma once

// Song requests from phones, put together: the request server started and stopped as the
// settings say, the song list published to it whenever it changes, the reserved list's rotation
// published after every change, phones' requests handed to the controller on the user-interface
// thread, and the invitation (address, QR code, room code) given to the lyrics screen.

#include <QObject>
#include <QString>
#include <QTimer>
#include <future>
#include <memory>
#include <optional>

#include "requests/request_server.h"

namespace lyrovox {

class CMainFrame;
class ILyricScreen;
class SettingsStore;
class SongRowsModel;

class RequestService final : public QObject {
  Q_OBJECT

 public:
  // roomCode: the code to use instead of a new random one (tests).
  RequestService(CMainFrame& frame, SettingsStore& settings, ILyricScreen* screen,
                 const SongRowsModel& songs, std::optional<QString> roomCode,
                 QObject* parent = nullptr);
  ~RequestService() override;

  // Starts, restarts or stops the server as the settings say. False when it should run and
  // could not (errorText says why).
  bool Apply();
  bool running() const { return server_.running(); }
  const QString& address() const { return address_; }
  const QString& roomCode() const { return roomCode_; }
  QString errorText() const { return server_.errorText(); }
  int port() const { return server_.port(); }

  // The address phones reach this computer at on the chosen network ("" every network).
  static QString LocalAddress(const QString& networkInterface);

 signals:
  // Requests are on but could not start after the setup sheet's OK.
  void Failed(const QString& text);

 private:
  void PublishQueue();
  void PublishSongs(bool force);

  CMainFrame& frame_;
  SettingsStore& settings_;
  ILyricScreen* screen_;
  const SongRowsModel& songs_;
  std::optional<QString> fixedRoomCode_;
  RequestServer server_;
  QString address_;
  QString roomCode_;
  QTimer songsWatch_;
  quint64 publishedChanges_ = ~quint64{0};
  std::future<void> indexing_;
  RequestQueueView published_;
  bool publishedOnce_ = false;
};

}  // namespace lyrovox

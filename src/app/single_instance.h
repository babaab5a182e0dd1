#pragma once

// One program per user and settings profile: a second start hands its files to the running
// program over a local socket in the user's private runtime folder and ends; the first start
// listens there. Only the user's own folder and socket are used, and only the user's own
// processes are heard. A start with another profile (tests, a second setup) is a program of its
// own.

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class QLocalServer;
class QLocalSocket;

namespace lyrovox {

// $XDG_RUNTIME_DIR/lyrovox, else a per-user folder under the system's temporary folder.
QString DefaultInstanceFolder();

class SingleInstance final : public QObject {
  Q_OBJECT

 public:
  enum class Role {
    kFirst,       // no program ran: this one is it, and listens for the next starts
    kHandedOver,  // the running program took the files: this one ends
    kAlone,       // the folder or socket could not be used: this one runs without hearing others
    kNoAnswer,    // a program listens but did not take the files in time
  };

  // Bounds on what one start may hand over.
  static constexpr int kMaxFiles = 10000;
  static constexpr qint64 kMaxMessageBytes = 4 << 20;

  // folder: where the socket lives; profile: the settings profile the program runs with.
  SingleInstance(QString folder, const QString& profile, QObject* parent = nullptr);
  ~SingleInstance() override;

  // Hands the files (absolute paths) to a running program, or becomes the one that runs.
  Role Claim(const QStringList& files, int answerTimeoutMs = 10000);
  const QString& socketPath() const { return socketPath_; }

  // The message a start sends: the files, framed (exposed for tests).
  static QByteArray Encode(const QStringList& files);
  // The files of a whole message; nullopt-like false when the bytes are not one.
  static bool Decode(const QByteArray& bytes, QStringList& files);

 signals:
  // Another start handed these files over (none: it only asked to be shown).
  void FilesReceived(const QStringList& files);

 private:
  bool MakeFolder() const;
  // The socket is a socket and the user's own.
  bool SocketIsOurs() const;
  Role HandOver(const QStringList& files, int answerTimeoutMs);
  bool Listen();
  void OnConnection();
  void OnReadable(QLocalSocket* socket);

  QString folder_;
  QString socketPath_;
  QString lockPath_;
  std::unique_ptr<QLocalServer> server_;
};

}  // namespace lyrovox

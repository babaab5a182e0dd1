#include "app/single_instance.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QTimer>
#include <QtEndian>

#include "controller/temp_folder.h"

namespace lyrovox {

namespace {

constexpr char kMagic[4] = {'L', 'Y', 'R', 'O'};
constexpr int kHeaderBytes = 8;  // the magic and the payload's length
constexpr char kTaken = '\x01';
// A connection that has not sent a whole message by then is dropped.
constexpr int kReadTimeoutMs = 10000;
constexpr int kConnectTimeoutMs = 2000;

void AppendU32(QByteArray& out, quint32 value) {
  const quint32 big = qToBigEndian(value);
  out.append(reinterpret_cast<const char*>(&big), 4);
}

quint32 ReadU32(const QByteArray& bytes, qsizetype at) {
  return qFromBigEndian<quint32>(bytes.constData() + at);
}

// The other end of a local connection runs as this user.
bool PeerIsUs(const QLocalSocket& socket) {
  struct ucred credentials {};
  socklen_t size = sizeof credentials;
  const int fd = static_cast<int>(socket.socketDescriptor());
  return fd >= 0 && getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
         credentials.uid == geteuid();
}

}  // namespace

QString DefaultInstanceFolder() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime)) {
    return runtime + QStringLiteral("/lyrovox");
  }
  return QDir::tempPath() + QStringLiteral("/lyrovox-%1-run").arg(geteuid());
}

SingleInstance::SingleInstance(QString folder, const QString& profile, QObject* parent)
    : QObject(parent), folder_(std::move(folder)) {
  const QString name =
      QStringLiteral("/instance-") +
      QString::fromLatin1(
          QCryptographicHash::hash(profile.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
  socketPath_ = folder_ + name;
  lockPath_ = socketPath_ + QStringLiteral(".lock");
}

SingleInstance::~SingleInstance() {
  if (server_) server_->close();  // removes the socket
}

QByteArray SingleInstance::Encode(const QStringList& files) {
  QByteArray payload;
  AppendU32(payload, static_cast<quint32>(files.size()));
  for (const QString& file : files) {
    const QByteArray utf8 = file.toUtf8();
    AppendU32(payload, static_cast<quint32>(utf8.size()));
    payload += utf8;
  }
  QByteArray message(kMagic, sizeof kMagic);
  AppendU32(message, static_cast<quint32>(payload.size()));
  return message + payload;
}

bool SingleInstance::Decode(const QByteArray& bytes, QStringList& files) {
  files.clear();
  if (bytes.size() < kHeaderBytes + 4 || !bytes.startsWith(QByteArray(kMagic, sizeof kMagic))) {
    return false;
  }
  if (ReadU32(bytes, 4) != static_cast<quint64>(bytes.size() - kHeaderBytes)) return false;
  qsizetype at = kHeaderBytes;
  const quint32 count = ReadU32(bytes, at);
  at += 4;
  if (count > static_cast<quint32>(kMaxFiles)) return false;
  for (quint32 i = 0; i < count; ++i) {
    if (bytes.size() - at < 4) return false;
    const quint32 length = ReadU32(bytes, at);
    at += 4;
    if (length > static_cast<quint64>(bytes.size() - at)) return false;
    files << QString::fromUtf8(bytes.constData() + at, static_cast<qsizetype>(length));
    at += length;
  }
  if (at != bytes.size()) {
    files.clear();
    return false;
  }
  return true;
}

bool SingleInstance::SocketIsOurs() const {
  struct stat st {};
  const QByteArray path = QFile::encodeName(socketPath_);
  return lstat(path.constData(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == geteuid();
}

SingleInstance::Role SingleInstance::Claim(const QStringList& files, int answerTimeoutMs) {
  if (!MakePrivateFolder(folder_)) return Role::kAlone;
  // One start at a time decides who runs.
  QLockFile lock(lockPath_);
  if (!lock.tryLock(answerTimeoutMs + kConnectTimeoutMs)) return Role::kAlone;
  if (SocketIsOurs()) {
    const Role role = HandOver(files, answerTimeoutMs);
    if (role != Role::kFirst) return role;
  }
  // Nobody listens: what lies there is left from a program that ended.
  QLocalServer::removeServer(socketPath_);
  return Listen() ? Role::kFirst : Role::kAlone;
}

SingleInstance::Role SingleInstance::HandOver(const QStringList& files, int answerTimeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(socketPath_);
  if (!socket.waitForConnected(kConnectTimeoutMs)) return Role::kFirst;
  socket.write(Encode(files));
  if (!socket.waitForBytesWritten(answerTimeoutMs)) return Role::kNoAnswer;
  while (socket.bytesAvailable() < 1) {
    if (!socket.waitForReadyRead(answerTimeoutMs)) return Role::kNoAnswer;
  }
  char answer = 0;
  return socket.getChar(&answer) && answer == kTaken ? Role::kHandedOver : Role::kNoAnswer;
}

bool SingleInstance::Listen() {
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(socketPath_)) {
    server_.reset();
    return false;
  }
  connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::OnConnection);
  return true;
}

void SingleInstance::OnConnection() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    if (!PeerIsUs(*socket)) {
      socket->abort();
      socket->deleteLater();
      continue;
    }
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadable(socket); });
    QTimer::singleShot(kReadTimeoutMs, socket, [socket] { socket->abort(); });
    OnReadable(socket);
  }
}

void SingleInstance::OnReadable(QLocalSocket* socket) {
  if (socket->bytesAvailable() < kHeaderBytes) return;
  const QByteArray header = socket->peek(kHeaderBytes);
  const qint64 length = ReadU32(header, 4);
  if (!header.startsWith(QByteArray(kMagic, sizeof kMagic)) || length > kMaxMessageBytes) {
    socket->abort();
    return;
  }
  if (socket->bytesAvailable() < kHeaderBytes + length) return;
  QStringList files;
  const bool whole = Decode(socket->read(kHeaderBytes + length), files);
  if (!whole) {
    socket->abort();
    return;
  }
  socket->write(&kTaken, 1);
  socket->flush();
  socket->disconnectFromServer();
  emit FilesReceived(files);
}

}  // namespace lyrovox

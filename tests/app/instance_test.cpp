// One program per user, with real processes: `lyrovox FILE` starts the program and plays the
// file; a second `lyrovox FILE...` hands its files to it and ends. What the running program does
// with them is read from the private session bus the test runs under. Also the messages between
// two starts, and the folder and socket they meet at.

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QUrl>
#include <cmath>
#include <cstring>
#include <memory>

#include "../media/media_fixtures.h"
#include "app/single_instance.h"
#include "bus_names.h"
#include "support/temp_dir.h"

namespace lyrovox {
namespace {

using testing::WaitUntil;

class InstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
    // The user's folders, all inside the test's folder.
    for (const char* folder : {"run", "config", "data", "home", "tmp"}) {
      const QString path = Path(folder);
      QDir().mkpath(path);
      ::chmod(QFile::encodeName(path).constData(), 0700);
    }
    env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("LYROVOX_AUDIO_SINK", "fakesink sync=true");
    env.insert("XDG_RUNTIME_DIR", Path("run"));
    env.insert("XDG_CONFIG_HOME", Path("config"));
    env.insert("XDG_DATA_HOME", Path("data"));
    env.insert("HOME", Path("home"));
    env.insert("TMPDIR", Path("tmp"));
    for (const char* name : {"one", "two", "three"})
      Song(name);
  }

  void TearDown() override {
    if (first && first->state() != QProcess::NotRunning) {
      first->kill();
      first->waitForFinished(5000);
    }
  }

  QString Path(const QString& name) const {
    return QString::fromStdString(dir.path()) + QLatin1Char('/') + name;
  }

  void Song(const char* name) {
    auto tone = [](int i) { return static_cast<int16_t>(6000 * std::sin(i * 0.06)); };
    testing::WriteStereoWav(dir.File(std::string(name) + ".wav"), 44100, 44100 * 30, tone, tone);
  }

  std::unique_ptr<QProcess> Lyrovox(const QStringList& args) {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(env);
    process->setWorkingDirectory(QString::fromStdString(dir.path()));
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(QStringLiteral(LYROVOX_EXECUTABLE), args);
    return process;
  }

  // Runs a start that should end by itself; its exit code, -1 when it did not end.
  int RunToEnd(const QStringList& args) {
    auto process = Lyrovox(args);
    if (!process->waitForFinished(20000)) {
      process->kill();
      process->waitForFinished();
      return -1;
    }
    return process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
  }

  QVariant Player(const char* property) {
    QDBusInterface properties(bus::kService, bus::kPath, bus::kProperties);
    const QDBusMessage reply = properties.call(QStringLiteral("Get"), bus::kPlayer, property);
    if (reply.type() != QDBusMessage::ReplyMessage) return {};
    return reply.arguments().front().value<QDBusVariant>().variant();
  }
  // The playing song's file, from the bus.
  QString PlayingUrl() {
    const QVariant metadata = Player("Metadata");
    return qdbus_cast<QVariantMap>(metadata).value("xesam:url").toString();
  }
  QString Url(const char* name) const { return QUrl::fromLocalFile(Path(name)).toString(); }
  bool CallPlayer(const char* method) {
    QDBusInterface player(bus::kService, bus::kPath, bus::kPlayer);
    return player.call(method).type() == QDBusMessage::ReplyMessage;
  }

  // Starts the first program with args and waits until it is on the bus.
  void StartFirst(const QStringList& args) {
    first = Lyrovox(args);
    ASSERT_TRUE(first->waitForStarted(5000));
    ASSERT_TRUE(WaitUntil(
        [&] {
          return QDBusConnection::sessionBus().interface()->isServiceRegistered(bus::kService);
        },
        20000));
  }

  void QuitFirst() {
    QDBusInterface root(bus::kService, bus::kPath, bus::kRoot);
    root.call(QStringLiteral("Quit"));
    ASSERT_TRUE(first->waitForFinished(15000));
    EXPECT_EQ(first->exitCode(), 0);
  }

  testing::TempDir dir;
  QProcessEnvironment env;
  std::unique_ptr<QProcess> first;
};

TEST_F(InstanceTest, ASecondStartQueuesItsFilesInTheRunningProgramsReservedList) {
  // No program runs: this start plays its file.
  StartFirst({QStringLiteral("one.wav")});
  ASSERT_TRUE(WaitUntil([&] { return PlayingUrl() == Url("one.wav"); }, 20000))
      << PlayingUrl().toStdString();

  // The second start hands over its files (relative to its own folder) and ends.
  EXPECT_EQ(RunToEnd({QStringLiteral("two.wav"), Path("three.wav")}), 0);
  // The running program queued them behind the song it plays.
  EXPECT_EQ(PlayingUrl(), Url("one.wav"));
  ASSERT_TRUE(WaitUntil([&] { return Player("CanGoNext").toBool(); }, 5000));
  ASSERT_TRUE(CallPlayer("Next"));
  EXPECT_TRUE(WaitUntil([&] { return PlayingUrl() == Url("two.wav"); }, 10000));
  ASSERT_TRUE(CallPlayer("Next"));
  EXPECT_TRUE(WaitUntil([&] { return PlayingUrl() == Url("three.wav"); }, 10000));

  // A start without files only brings the program forward.
  EXPECT_EQ(RunToEnd({}), 0);
  EXPECT_EQ(PlayingUrl(), Url("three.wav"));
  QuitFirst();
}

TEST_F(InstanceTest, WithTheReservedListOffTheFirstFilePlaysAndTheRestJoinTheSongList) {
  QDir().mkpath(Path("config/TuneWell"));
  QFile profile(Path("config/TuneWell/LyroVox.conf"));
  ASSERT_TRUE(profile.open(QIODevice::WriteOnly));
  profile.write("[Setup]\nReservedListEnable=0\n");
  profile.close();

  StartFirst({});
  EXPECT_EQ(Player("PlaybackStatus").toString(), "Stopped");
  EXPECT_EQ(RunToEnd({Path("one.wav"), Path("two.wav")}), 0);
  ASSERT_TRUE(WaitUntil([&] { return PlayingUrl() == Url("one.wav"); }, 10000));
  // The song list is written when the program ends.
  QuitFirst();
  QFile list(Path("data/TuneWell/lyrovox.m3u"));
  ASSERT_TRUE(list.open(QIODevice::ReadOnly));
  const QByteArray bytes = list.readAll();
  const QString text =
      QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
  EXPECT_TRUE(text.contains(QStringLiteral("two.wav"))) << text.toStdString();
  EXPECT_FALSE(text.contains(QStringLiteral("one.wav"))) << text.toStdString();
}

// The messages one start sends another: every file comes through, whatever its characters, and
// anything but a whole message is refused.
TEST(InstanceMessages, FilesComeThroughWholeAndBrokenMessagesAreRefused) {
  const QStringList files = {QStringLiteral("/songs/a.kar"),
                             QString::fromUtf8("/songs/\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D.mp3"),
                             QStringLiteral("/songs/line\nbreak.mpg"), QString()};
  const QByteArray message = SingleInstance::Encode(files);
  QStringList decoded;
  ASSERT_TRUE(SingleInstance::Decode(message, decoded));
  EXPECT_EQ(decoded, files);
  ASSERT_TRUE(SingleInstance::Decode(SingleInstance::Encode({}), decoded));
  EXPECT_TRUE(decoded.isEmpty());

  QByteArray hugeCount = SingleInstance::Encode({});
  hugeCount[8] = '\x7f';
  QByteArray longName = message;
  longName[15] = '\x7f';  // the first name's length
  // Bytes after the last file that the message's length counts.
  QByteArray trailing = message + 'x';
  trailing[7] = static_cast<char>(trailing[7] + 1);
  const QByteArray broken[] = {
      QByteArray(),  message.left(message.size() - 1),
      message + 'x', QByteArray("XYRO") + message.mid(4),
      hugeCount,     longName,
      trailing,
  };
  for (const QByteArray& bytes : broken) {
    EXPECT_FALSE(SingleInstance::Decode(bytes, decoded)) << bytes.toHex().toStdString();
    EXPECT_TRUE(decoded.isEmpty());
  }
}

TEST(InstanceFolder, ALeftOverSocketIsReplacedAndALinkedFolderIsRefused) {
  testing::TempDir dir;
  const QString folder = QString::fromStdString(dir.path()) + QStringLiteral("/run");
  ASSERT_TRUE(QDir().mkpath(folder));
  SingleInstance next(folder, QStringLiteral("/home/a/.config/TuneWell/LyroVox.conf"));
  // A program that was killed left its socket: bound, with nobody listening.
  const QByteArray path = QFile::encodeName(next.socketPath());
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(static_cast<size_t>(path.size()), sizeof address.sun_path);
  std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ::close(fd);
  EXPECT_EQ(next.Claim({QStringLiteral("/x.kar")}), SingleInstance::Role::kFirst);
  // The new socket, like its folder, is for the user alone: nobody else hands files over.
  for (const QByteArray& made : {path, QFile::encodeName(folder)}) {
    struct stat st {};
    ASSERT_EQ(::lstat(made.constData(), &st), 0) << made.constData();
    EXPECT_EQ(st.st_mode & 077, 0u) << made.constData() << " " << std::oct << st.st_mode;
    EXPECT_EQ(st.st_uid, ::geteuid());
  }
  // A program with another settings profile is a program of its own.
  SingleInstance other(folder, QStringLiteral("/tmp/other/LyroVox.conf"));
  EXPECT_EQ(other.Claim({}), SingleInstance::Role::kFirst);

  // A folder that is a link to somewhere else is not used.
  const QString link = QString::fromStdString(dir.path()) + QStringLiteral("/linked");
  ASSERT_TRUE(QFile::link(folder, link));
  SingleInstance linked(link, QStringLiteral("/home/a/.config/TuneWell/LyroVox.conf"));
  EXPECT_EQ(linked.Claim({}), SingleInstance::Role::kAlone);
}

}  // namespace
}  // namespace lyrovox

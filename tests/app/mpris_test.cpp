// The program on a private session bus (the test runs under dbus-run-session): a real Program on
// the offscreen platform playing generated songs, seen and driven by a separate bus connection
// as a desktop's media widget would.

#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QFile>
#include <QUrl>
#include <QWidget>
#include <cmath>
#include <memory>
#include <vector>

#include "../media/media_fixtures.h"
#include "app/mpris.h"
#include "app/program.h"
#include "bus_names.h"
#include "controller/main_frame.h"
#include "support/temp_dir.h"

namespace lyrovox {
namespace {

using testing::WaitUntil;

// A bus connection of its own, as another program has; calls wait with the event loop running,
// since the program answering them runs on this thread.
class BusClient : public QObject {
  Q_OBJECT

 public:
  BusClient() : bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, "client")) {
    bus_.connect(bus::kService, bus::kPath, bus::kProperties, QStringLiteral("PropertiesChanged"),
                 this, SLOT(OnChanged(QString, QVariantMap, QStringList)));
    bus_.connect(bus::kService, bus::kPath, bus::kPlayer, QStringLiteral("Seeked"), this,
                 SLOT(OnSeeked(qlonglong)));
  }
  ~BusClient() override { QDBusConnection::disconnectFromBus("client"); }

  bool connected() const { return bus_.isConnected(); }

  QDBusMessage Call(const QString& interface, const QString& method,
                    const QVariantList& args = {}) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(bus::kService, bus::kPath, interface, method);
    call.setArguments(args);
    QDBusPendingCall pending = bus_.asyncCall(call);
    WaitUntil([&] { return pending.isFinished(); }, 10000);
    return pending.reply();
  }
  QVariant Get(const QString& property) {
    const QDBusMessage reply =
        Call(bus::kProperties, QStringLiteral("Get"), {bus::kPlayer, property});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
    return reply.arguments().front().value<QDBusVariant>().variant();
  }
  QVariantMap Metadata() { return Demarshal(Get(QStringLiteral("Metadata"))); }
  bool Set(const QString& property, const QVariant& value) {
    return Call(bus::kProperties, QStringLiteral("Set"),
                {bus::kPlayer, property, QVariant::fromValue(QDBusVariant(value))})
               .type() == QDBusMessage::ReplyMessage;
  }

  static QVariantMap Demarshal(const QVariant& value) {
    if (value.canConvert<QDBusArgument>()) return qdbus_cast<QVariantMap>(value);
    return value.toMap();
  }

  struct Change {
    QString interface;
    QVariantMap properties;
  };
  std::vector<Change> changes;
  std::vector<qlonglong> seeked;

  // The last announced value of a player property, if any was announced.
  QVariant Announced(const QString& property) const {
    for (auto it = changes.rbegin(); it != changes.rend(); ++it) {
      if (it->interface == bus::kPlayer && it->properties.contains(property)) {
        return it->properties.value(property);
      }
    }
    return {};
  }

 private slots:
  void OnChanged(const QString& interface, const QVariantMap& properties, const QStringList&) {
    changes.push_back({interface, properties});
  }
  void OnSeeked(qlonglong position) { seeked.push_back(position); }

 private:
  QDBusConnection bus_;
};

class MprisTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
    // Two tone songs of known length with LRC side files naming them.
    first = Song("first", 440, "[ti:First Song]\n[ar:The Singer]\n[00:01.00]Hello\n");
    second = Song("second", 660, "[ti:Second Song]\n[00:01.00]Again\n");
    ProgramOptions options;
    options.profilePath = QString::fromStdString(dir.File("LyroVox.conf"));
    options.dataFolder = QString::fromStdString(dir.path());
    options.programFolder = QStringLiteral(LYROVOX_PROGRAM_DIR);
    options.systemTemp = QString::fromStdString(dir.path());
    options.splash = false;
    options.ctrlHeld = false;
    options.mediaBus = true;
    program = std::make_unique<Program>(options);
    ASSERT_TRUE(program->Start());
    ASSERT_NE(program->mediaBus(), nullptr);
    EXPECT_EQ(program->mediaBus()->serviceName(), bus::kService);
    ASSERT_TRUE(client.connected());
  }
  void TearDown() override { program.reset(); }

  QString Song(const std::string& name, int hz, const std::string& lrc) {
    const std::string path = dir.File(name + ".wav");
    auto tone = [hz](int i) {
      return static_cast<int16_t>(8000 * std::sin(2 * M_PI * hz * i / 44100.0));
    };
    testing::WriteStereoWav(path, 44100, 44100 * kSongSeconds, tone, tone);
    dir.Write(name + ".lrc", lrc);
    return QString::fromStdString(path);
  }

  // The first song plays, the second is reserved behind it.
  void PlayBoth() {
    program->OpenWhenStarted({first, second});
    ASSERT_TRUE(
        WaitUntil([&] { return program->started() && program->frame().isPlaying(); }, 10000));
  }

  static constexpr int kSongSeconds = 20;
  testing::TempDir dir;
  QString first;
  QString second;
  BusClient client;
  std::unique_ptr<Program> program;
};

TEST_F(MprisTest, TheProgramIsAMediaPlayerOnTheBus) {
  const QDBusMessage all = client.Call(bus::kProperties, QStringLiteral("GetAll"), {bus::kRoot});
  ASSERT_EQ(all.type(), QDBusMessage::ReplyMessage) << all.errorMessage().toStdString();
  const QVariantMap root = BusClient::Demarshal(all.arguments().front());
  EXPECT_EQ(root.value("Identity").toString(), "Lyrovox");
  EXPECT_EQ(root.value("DesktopEntry").toString(), "lyrovox");
  EXPECT_TRUE(root.value("CanQuit").toBool());
  EXPECT_TRUE(root.value("CanRaise").toBool());
  EXPECT_FALSE(root.value("HasTrackList").toBool());
  EXPECT_TRUE(root.value("SupportedMimeTypes").toStringList().contains("audio/midi"));
  // The program's version, the build's, beside the MPRIS interfaces.
  const QDBusMessage version = client.Call(bus::kProperties, QStringLiteral("Get"),
                                           {QStringLiteral("org.lyrovox.Lyrovox"), "Version"});
  ASSERT_EQ(version.type(), QDBusMessage::ReplyMessage) << version.errorMessage().toStdString();
  EXPECT_EQ(version.arguments().front().value<QDBusVariant>().variant().toString(),
            LYROVOX_VERSION);

  // Nothing plays yet.
  EXPECT_EQ(client.Get("PlaybackStatus").toString(), "Stopped");
  EXPECT_TRUE(client.Metadata().isEmpty());
  EXPECT_FALSE(client.Get("CanPause").toBool());
  EXPECT_DOUBLE_EQ(client.Get("MinimumRate").toDouble(), 0.5);
  EXPECT_DOUBLE_EQ(client.Get("MaximumRate").toDouble(), 2.0);

  // Raise shows the program's window.
  program->videoWindow().hide();
  client.Call(bus::kRoot, QStringLiteral("Raise"));
  EXPECT_TRUE(program->videoWindow().isVisible());
}

TEST_F(MprisTest, AfterASongStartsTheBusSeesItsTitleArtistLengthAndPosition) {
  PlayBoth();
  ASSERT_TRUE(WaitUntil([&] { return client.Announced("PlaybackStatus") == "Playing"; }, 5000));
  EXPECT_EQ(client.Get("PlaybackStatus").toString(), "Playing");
  const QVariantMap metadata = client.Metadata();
  EXPECT_EQ(metadata.value("xesam:title").toString(), "First Song");
  EXPECT_EQ(metadata.value("xesam:artist").toStringList(), QStringList{"The Singer"});
  EXPECT_NEAR(metadata.value("mpris:length").toLongLong(), kSongSeconds * 1000000LL, 50000);
  EXPECT_EQ(metadata.value("xesam:url").toString(), QUrl::fromLocalFile(first).toString());
  EXPECT_TRUE(metadata.value("mpris:trackid").value<QDBusObjectPath>().path().startsWith("/org/"));
  EXPECT_DOUBLE_EQ(client.Get("Volume").toDouble(), 1.0);
  EXPECT_DOUBLE_EQ(client.Get("Rate").toDouble(), 1.0);
  EXPECT_FALSE(client.Get("CanSeek").toBool());   // an audio song cannot be sought
  EXPECT_TRUE(client.Get("CanGoNext").toBool());  // the second song is reserved
  const qlonglong at = client.Get("Position").toLongLong();
  testing::Spin(500);
  const qlonglong later = client.Get("Position").toLongLong();
  EXPECT_GT(later, at + 300000);
  EXPECT_LT(later, at + 1500000);
}

// A song without a title of its own queued by number takes its title from the row's text after
// the dash, blank included, as the screen shows it; the bus shows it trimmed.
TEST_F(MprisTest, TitlesOnTheBusAreTrimmed) {
  PlayBoth();
  const QString third = Song("third", 550, "[00:01.00]No title here\n");
  program->frame().ReserveNumberedSong(third, 3, true);
  ASSERT_EQ(client.Call(bus::kPlayer, QStringLiteral("Next")).type(), QDBusMessage::ReplyMessage);
  ASSERT_EQ(program->frame().currentSongPath(), third);
  EXPECT_EQ(program->frame().currentSongTitle(), " third");
  ASSERT_TRUE(WaitUntil([&] { return client.Get("PlaybackStatus") == "Playing"; }, 5000));
  EXPECT_EQ(client.Metadata().value("xesam:title").toString(), "third");
}

TEST_F(MprisTest, NextVolumeRateAndStopActOnTheProgramAndAreAnnounced) {
  PlayBoth();
  ASSERT_EQ(client.Call(bus::kPlayer, QStringLiteral("Next")).type(), QDBusMessage::ReplyMessage);
  EXPECT_EQ(program->frame().currentSongPath(), second);
  ASSERT_TRUE(WaitUntil(
      [&] {
        return BusClient::Demarshal(client.Announced("Metadata")).value("xesam:title") ==
               "Second Song";
      },
      5000));
  EXPECT_EQ(client.Announced("CanGoNext"), false);

  // A volume outside 0 to 1 is held at the nearer end.
  const std::pair<double, int> volumes[] = {{1.7, 100}, {-0.3, 0}, {0.5, 50}};
  for (const auto& [asked, percent] : volumes) {
    ASSERT_TRUE(client.Set("Volume", asked));
    EXPECT_EQ(program->frame().volume(), percent) << asked;
  }
  ASSERT_TRUE(WaitUntil([&] { return client.Announced("Volume") == 0.5; }, 5000));

  ASSERT_TRUE(client.Set("Rate", 1.5));
  EXPECT_DOUBLE_EQ(program->frame().rate(), 1.5);
  ASSERT_TRUE(
      WaitUntil([&] { return std::abs(client.Announced("Rate").toDouble() - 1.5) < 1e-9; }, 5000));
  // A rate between the steps goes to the nearest one: 1.27 is 4.6 steps down from 1.5.
  ASSERT_TRUE(client.Set("Rate", 1.27));
  EXPECT_NEAR(program->frame().rate(), 1.25, 1e-9);

  ASSERT_EQ(client.Call(bus::kPlayer, QStringLiteral("Stop")).type(), QDBusMessage::ReplyMessage);
  EXPECT_FALSE(program->frame().isPlaying());
  ASSERT_TRUE(WaitUntil([&] { return client.Announced("PlaybackStatus") == "Stopped"; }, 5000));
  EXPECT_TRUE(client.Metadata().isEmpty());

  // Play starts the song again; Pause, which the program does not have, changes nothing.
  client.Call(bus::kPlayer, QStringLiteral("Play"));
  EXPECT_TRUE(program->frame().isPlaying());
  EXPECT_EQ(program->frame().currentSongPath(), second);
  client.Call(bus::kPlayer, QStringLiteral("Pause"));
  EXPECT_TRUE(program->frame().isPlaying());
}

TEST_F(MprisTest, AVideoSongCanBeSoughtAndTheJumpIsAnnounced) {
  // Matroska: GStreamer seeks in it (not in the program streams the test tools mux).
  const std::string clip = dir.File("clip.mkv");
  ASSERT_TRUE(testing::MakeTwoTrackMkv(clip, 12, 440, 660));
  program->OpenWhenStarted({QString::fromStdString(clip)});
  ASSERT_TRUE(WaitUntil([&] { return program->started() && program->frame().isPlaying(); }, 10000));
  ASSERT_TRUE(WaitUntil([&] { return client.Announced("CanSeek") == true; }, 5000));
  const QVariantMap metadata = client.Metadata();
  const QDBusObjectPath track = metadata.value("mpris:trackid").value<QDBusObjectPath>();
  // Another track's id, or a place past the end, changes nothing.
  client.Call(bus::kPlayer, QStringLiteral("SetPosition"),
              {QVariant::fromValue(QDBusObjectPath("/org/lyrovox/Track/999")), 6000000LL});
  client.Call(bus::kPlayer, QStringLiteral("SetPosition"),
              {QVariant::fromValue(track), 60000000LL});
  EXPECT_TRUE(client.seeked.empty());
  client.Call(bus::kPlayer, QStringLiteral("SetPosition"), {QVariant::fromValue(track), 6000000LL});
  ASSERT_TRUE(WaitUntil([&] { return !client.seeked.empty(); }, 5000));
  EXPECT_NEAR(client.seeked.back(), 6000000, 600000);
  EXPECT_GE(client.Get("Position").toLongLong(), 5400000);
  // Seek moves from where the song is when the call comes, which is no earlier than the position
  // read just before (less the key frame the first jump may have landed on) and no later than
  // that position and the time both calls took (the position is read somewhere inside the first
  // call's round trip), however busy the machine.
  QElapsedTimer call;
  call.start();
  const qlonglong before = client.Get("Position").toLongLong();
  client.Call(bus::kPlayer, QStringLiteral("Seek"), {-3000000LL});
  const qlonglong tookUs = call.elapsed() * 1000;
  ASSERT_TRUE(WaitUntil([&] { return client.seeked.size() == 2; }, 5000));
  EXPECT_GE(client.seeked.back(), before - 3000000 - 600000);
  EXPECT_LE(client.seeked.back(), before + tookUs - 3000000 + 1000);
}

TEST_F(MprisTest, QuitClosesTheProgram) {
  bool quit = false;
  QObject::connect(program.get(), &Program::QuitRequested, [&] { quit = true; });
  client.Call(bus::kRoot, QStringLiteral("Quit"));
  EXPECT_TRUE(WaitUntil([&] { return quit; }, 5000));
}

}  // namespace
}  // namespace lyrovox

#include "mpris_test.moc"

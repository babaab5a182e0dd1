// The lyrovox executable as a process: its command line, and a run that a signal ends the way
// Exit does, with the settings and the song list written.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRect>
#include <QSettings>
#include <csignal>

#include "common/smf_builder.h"
#include "media_fixtures.h"
#include "support/temp_dir.h"

namespace lyrovox {
namespace {

using testing::WaitUntil;

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

class LyrovoxProcessTest : public ::testing::Test {
 protected:
  // A process with its own home, configuration, data and temporary folders.
  void Prepare(QProcess& process) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", Q(dir.path()));
    env.insert("XDG_CONFIG_HOME", Q(dir.path() + "/config"));
    env.insert("XDG_DATA_HOME", Q(dir.path() + "/data"));
    env.insert("TMPDIR", Q(dir.path() + "/tmp"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("LYROVOX_AUDIO_SINK", "fakesink sync=true");
    QDir().mkpath(Q(dir.path() + "/tmp"));
    process.setProcessEnvironment(env);
    process.setProgram(LYROVOX_EXECUTABLE);
  }
  std::pair<int, QString> Run(const QStringList& args) {
    QProcess process;
    Prepare(process);
    process.setArguments(args);
    process.start();
    process.waitForFinished(10000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput())};
  }

  testing::TempDir dir;
};

TEST_F(LyrovoxProcessTest, TheCommandLineAnswersWithoutStarting) {
  const auto [versionStatus, version] = Run({"--version"});
  EXPECT_EQ(versionStatus, 0);
  EXPECT_EQ(version, "lyrovox " LYROVOX_VERSION "\n");  // the build's version
  const auto [helpStatus, help] = Run({"--help"});
  EXPECT_EQ(helpStatus, 0);
  EXPECT_TRUE(help.startsWith("usage: lyrovox [FILE...]")) << help.toStdString();
  const auto [badStatus, bad] = Run({"--loud"});
  EXPECT_EQ(badStatus, 2);
  EXPECT_TRUE(bad.isEmpty());  // the complaint goes to standard error
  EXPECT_FALSE(QFileInfo::exists(Q(dir.path() + "/config")));
}

TEST_F(LyrovoxProcessTest, ATerminationSignalClosesTheProgramAsExitDoes) {
  smf::File song(1, 480);
  song.AddTrack().Text(0, "@TLong Song").Text(480, "\\La").Note(0, 480 * 40, 0, 60, 90);
  const std::string path = dir.Write("long.kar", song.Encode());

  QProcess process;
  Prepare(process);
  process.setArguments({Q(path)});
  process.start();
  ASSERT_TRUE(process.waitForStarted(5000));
  // The private folder is made late in start-up; the song opens once the splash has gone.
  const QString privateTemp = Q(dir.path() + "/tmp/lyrovox-") + QString::number(geteuid());
  ASSERT_TRUE(WaitUntil([&] { return QFileInfo::exists(privateTemp); }, 15000));
  testing::Spin(2500);
  ASSERT_EQ(process.state(), QProcess::Running) << process.readAllStandardError().toStdString();
  kill(static_cast<pid_t>(process.processId()), SIGTERM);
  ASSERT_TRUE(process.waitForFinished(10000));
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(process.exitCode(), 0);

  const QSettings profile(Q(dir.path() + "/config/TuneWell/LyroVox.conf"), QSettings::IniFormat);
  EXPECT_EQ(profile.value("Setup/Video_Width").toString(), "408");
  EXPECT_TRUE(profile.contains("Setup/PlayList_Left"));
}

TEST_F(LyrovoxProcessTest, AKillAfterAnEditLosesNoSongOfTheLists) {
  smf::File song(1, 480);
  song.AddTrack().Text(0, "@TLong Song").Text(480, "\\La").Note(0, 480 * 40, 0, 60, 90);
  const QString a = Q(dir.Write("a.kar", song.Encode()));
  const QString b = Q(dir.Write("b.kar", song.Encode()));
  const QString c = Q(dir.Write("c.kar", song.Encode()));
  const auto text = [](const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QString();
    const QByteArray bytes = file.readAll();
    // The program's lists are UTF-16LE with a byte-order mark.
    if (!bytes.startsWith("\xFF\xFE")) return QString();
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2),
                              (bytes.size() - 2) / 2);
  };
  // Files given to the program: the first plays; with the reserved list on the others are
  // queued, with it off they join the song list. Either list reaches its file while the program
  // runs, and a kill (no exit, no clean-up) finds it there, whole.
  const struct {
    const char* reserved;
    QString listFile;
    QString expected;
  } runs[] = {
      {"1", Q(dir.path() + "/data/TuneWell/reserved.m3u"),
       "#EXTM3U\r\n#EXTINF:-1,b\r\n" + b + "\r\n#EXTINF:-1,c\r\n" + c + "\r\n"},
      {"0", Q(dir.path() + "/data/TuneWell/lyrovox.m3u"), "#EXTM3U\r\n" + b + "\r\n" + c + "\r\n"},
  };
  for (const auto& run : runs) {
    dir.Write("config/TuneWell/LyroVox.conf",
              std::string("[Setup]\nReservedListEnable=") + run.reserved + "\n");
    QProcess process;
    Prepare(process);
    process.setArguments({a, b, c});
    process.start();
    ASSERT_TRUE(process.waitForStarted(5000));
    EXPECT_TRUE(WaitUntil([&] { return text(run.listFile) == run.expected; }, 15000))
        << text(run.listFile).toStdString();
    ASSERT_EQ(process.state(), QProcess::Running);
    kill(static_cast<pid_t>(process.processId()), SIGKILL);
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(text(run.listFile), run.expected);
  }
}

// The program on a desktop of these screens ({x, y, width, height}, the primary first), started
// on the profile text given (none: a first start) and closed once it runs; the window places it
// wrote then.
struct Places {
  QRect panel, reserved, playList, video;
};

class LyrovoxPlacesTest : public LyrovoxProcessTest {
 protected:
  Places StartAndClose(const std::vector<QRect>& screens, const char* profile) {
    QString json = "{\"screens\": [";
    for (size_t i = 0; i < screens.size(); ++i) {
      const QRect& r = screens[i];
      json += QString(
                  "%1{\"name\": \"S%2\", \"x\": %3, \"y\": %4, \"width\": %5, "
                  "\"height\": %6, \"logicalDpi\": 96}")
                  .arg(i == 0 ? "" : ", ")
                  .arg(i)
                  .arg(r.x())
                  .arg(r.y())
                  .arg(r.width())
                  .arg(r.height());
    }
    const std::string config = dir.Write("screens.json", (json + "]}").toStdString());
    const QString profilePath = Q(dir.path() + "/config/TuneWell/LyroVox.conf");
    QFile::remove(profilePath);
    if (profile != nullptr) dir.Write("config/TuneWell/LyroVox.conf", profile);

    QProcess process;
    Prepare(process);
    QProcessEnvironment env = process.processEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen:configfile=" + Q(config));
    process.setProcessEnvironment(env);
    process.start();
    EXPECT_TRUE(process.waitForStarted(5000));
    const QString privateTemp = Q(dir.path() + "/tmp/lyrovox-") + QString::number(geteuid());
    EXPECT_TRUE(WaitUntil([&] { return QFileInfo::exists(privateTemp); }, 15000));
    // A second start hands over to the first once that one runs (its start-up done): it ends
    // with status 0.
    EXPECT_EQ(Run({}).first, 0);
    kill(static_cast<pid_t>(process.processId()), SIGTERM);
    EXPECT_TRUE(process.waitForFinished(10000));
    QDir(privateTemp).removeRecursively();

    const QSettings saved(profilePath, QSettings::IniFormat);
    const auto number = [&saved](const char* key) {
      return saved.value(QString("Setup/") + key).toString().toInt();
    };
    Places places;
    places.panel = QRect(number("Player_Left"), number("Player_Top"), 416, 181);
    places.reserved = places.panel.translated(0, 180);
    places.reserved.setHeight(190);
    places.playList = QRect(number("PlayList_Left"), number("PlayList_Top"), 416, 480);
    places.video = QRect(number("Video_Left"), number("Video_Top"), number("Video_Width"),
                         number("Video_Height"));
    return places;
  }
};

TEST_F(LyrovoxPlacesTest, AFirstStartOpensNoWindowOverAnother) {
  for (const QRect& screen : {QRect(0, 0, 1920, 1080), QRect(0, 0, 1366, 768)}) {
    const Places p = StartAndClose({screen}, nullptr);
    const std::pair<QRect, QRect> pairs[] = {{p.panel, p.playList},
                                             {p.panel, p.video},
                                             {p.reserved, p.playList},
                                             {p.reserved, p.video},
                                             {p.playList, p.video}};
    for (const auto& [a, b] : pairs)
      EXPECT_FALSE(a.intersects(b)) << screen.width();
    for (const QRect& window : {p.panel, p.reserved, p.playList, p.video})
      EXPECT_TRUE(screen.contains(window)) << screen.width();
    EXPECT_EQ(p.video.size(), QSize(408, 346));
  }
}

TEST_F(LyrovoxPlacesTest, SavedPlacesStayOnTheirScreenAndLostOnesComeBack) {
  // A place on the second screen is kept as it is.
  const std::vector<QRect> two = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1366, 768)};
  Places p = StartAndClose(
      two,
      "[Setup]\nPlayer_Left=2000\nPlayer_Top=40\nPlayList_Left=100\nPlayList_Top=500\n"
      "Video_Left=2600\nVideo_Top=300\nVideo_Width=500\nVideo_Height=400\n");
  EXPECT_EQ(p.panel.topLeft(), QPoint(2000, 40));
  EXPECT_EQ(p.playList.topLeft(), QPoint(100, 500));
  EXPECT_EQ(p.video, QRect(2600, 300, 500, 400));

  // A garbage profile: the windows come back whole on the screen, and that is what is written.
  p = StartAndClose({QRect(0, 0, 1920, 1080)},
                    "[Setup]\nPlayer_Left=-3000\nPlayer_Top=99999\nVideo_Left=2600\n"
                    "Video_Top=5000\n");
  EXPECT_EQ(p.panel.topLeft(), QPoint(0, 1080 - 370));
  EXPECT_EQ(p.video, QRect(1920 - 408, 1080 - 346, 408, 346));
}

}  // namespace
}  // namespace lyrovox

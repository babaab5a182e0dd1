// The lyrovox executable as a process: its command line, and a run that a signal ends the way
// Exit does, with the settings and the song list written.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
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
  EXPECT_EQ(version, "lyrovox 0.1.0\n");
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
  EXPECT_EQ(profile.value("Setup/PlayList_Left").toString(), "417");
}

}  // namespace
}  // namespace lyrovox

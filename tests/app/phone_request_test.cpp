// Song requests end to end: lyrovox on an X display (Xvfb) takes requests, and a real headless
// Chromium at a phone's size, driven through WebDriver, asks for a song; the reserved list then
// holds it under the singer's name, and the page shows its turn.

#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include "app/program.h"
#include "app/request_service.h"
#include "common/smf_builder.h"
#include "controller/main_frame.h"
#include "media_fixtures.h"
#include "screen/lyric_screen.h"
#include "support/temp_dir.h"
#include "ui/lists/reserved_list_dlg.h"
#include "ui/lists/song_rows_model.h"

namespace lyrovox {
namespace {

using testing::WaitUntil;

std::string Song(const std::string& title, int seconds) {
  return testing::KaraokeSongBytes(title, seconds);
}

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

TEST(PhoneRequestTest, APhoneAsksForASongAndTheReservedListShowsItUnderTheSingersName) {
  testing::TempDir dir;
  // Requests on, on the loopback network, any free port.
  dir.Write("config/TuneWell/LyroVox.conf",
            "[Setup]\nRequestsEnable=1\nRequestsPort=0\nRequestsInterface=lo\n");
  const std::string playing = dir.Write("songs/Long Night.kar", Song("Long Night", 120));
  const std::string wanted = dir.Write("songs/Hoà Bình.kar", Song("Hoa Binh", 5));
  const std::string markup =
      dir.Write("songs/<img src=x onerror=alert(1)> Hòa Bình.kar", Song("M", 5));
  dir.Write("data/TuneWell/lyrovox.m3u",
            "\xEF\xBB\xBF#EXTM3U\n" + playing + "\n" + wanted + "\n" + markup + "\n");

  ProgramOptions options;
  options.profilePath = Q(dir.path() + "/config/TuneWell/LyroVox.conf");
  options.dataFolder = Q(dir.path() + "/data");
  options.programFolder = QStringLiteral(LYROVOX_PROGRAM_DIR);
  options.systemTemp = Q(dir.path() + "/tmp");
  options.ctrlHeld = false;
  options.splash = false;
  options.requestRoomCode = QStringLiteral("2468");
  QDir().mkpath(options.systemTemp);
  Program program(options);
  ASSERT_TRUE(program.Start());
  ASSERT_NE(program.requests(), nullptr);
  ASSERT_TRUE(program.requests()->running()) << program.requests()->errorText().toStdString();
  EXPECT_EQ(program.requests()->roomCode(), "2468");
  const QString address = program.requests()->address();
  EXPECT_EQ(address, QStringLiteral("http://127.0.0.1:%1/").arg(program.requests()->port()));
  // A song plays, so a request waits in the reserved list.
  program.OpenWhenStarted({Q(playing)});
  ASSERT_TRUE(WaitUntil([&] { return program.frame().isPlaying(); }, 10000));
  // The screen shows the invitation for the first seconds of the song.
  ASSERT_TRUE(WaitUntil([&] { return program.screen()->RequestInviteShown(); }, 2000));

  QProcess phone;
  // Debian's own Python, which has python3-selenium.
  phone.setProgram(QStringLiteral("/usr/bin/python3"));
  phone.setArguments({QStringLiteral(PHONE_PAGE_SCRIPT), address, QStringLiteral("2468"),
                      QStringLiteral("Mai"), QStringLiteral("hoa binh")});
  phone.start();
  ASSERT_TRUE(phone.waitForStarted(5000));
  // The event loop runs while the phone works: the request reaches the controller through it.
  ASSERT_TRUE(WaitUntil([&] { return phone.state() == QProcess::NotRunning; }, 90000));
  const QByteArray said = phone.readAllStandardOutput();
  ASSERT_EQ(phone.exitCode(), 0) << said.toStdString()
                                 << phone.readAllStandardError().toStdString();
  const QJsonObject page = QJsonDocument::fromJson(said).object();

  // The search without marks found both titles with marks; markup in a title stayed text.
  QStringList results;
  for (const auto& r : page.value("results").toArray())
    results << r.toString();
  EXPECT_EQ(results,
            (QStringList{QStringLiteral("Hoà Bình\n000002"),
                         QStringLiteral("<img src=x onerror=alert(1)> Hòa Bình\n000003")}));
  EXPECT_EQ(page.value("markup").toInt(), 0);
  EXPECT_EQ(page.value("who").toString(), "Mai");
  // The page shows the song's turn.
  const QJsonArray mine = page.value("mine").toArray();
  ASSERT_EQ(mine.size(), 1);
  EXPECT_TRUE(mine.at(0).toString().startsWith(QStringLiteral("Hoà Bình\nTurn 1 · about ")))
      << mine.at(0).toString().toStdString();

  // The reserved list holds it under the singer's name.
  ReservedListDlg& reserved = program.reservedList();
  ASSERT_EQ(reserved.Count(), 1);
  EXPECT_EQ(reserved.Title(0), QStringLiteral("000002 - Hoà Bình"));
  EXPECT_EQ(reserved.Path(0), Q(wanted));
  EXPECT_EQ(reserved.Song(0).singer, "Mai");
  EXPECT_EQ(reserved.list().rows().index(0, kColumnTitle).data(kSingerRole).toString(), "Mai");
  program.Shutdown();
}

}  // namespace
}  // namespace lyrovox

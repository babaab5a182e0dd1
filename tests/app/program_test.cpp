// The program put together, on the offscreen platform with real players (sound into a clocked
// fakesink) and the build's background video: the start-up steps and what they leave behind,
// a song chosen by its number through the video window, the queue, and the settings and song
// list written at the end.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "app/program.h"
#include "app/splash_dlg.h"
#include "common/smf_builder.h"
#include "controller/main_frame.h"
#include "media/video_dlg.h"
#include "media_fixtures.h"
#include "screen/lyric_screen.h"
#include "support/temp_dir.h"
#include "ui/panel/player_dlg.h"

namespace lyrovox {
namespace {

using testing::WaitUntil;

// A MIDI karaoke song of about `seconds`: its title and one syllable a beat.
std::string Song(const std::string& title, int seconds) {
  smf::File file(1, 480);
  auto& track = file.AddTrack();
  track.Tempo(0, 500000).Text(0, "@T" + title).Program(0, 0, 0);
  for (uint32_t beat = 0; beat < static_cast<uint32_t>(2 * seconds); ++beat) {
    track.Text(beat * 480, beat == 0 ? "\\La " : "la ");
    track.Note(beat * 480, 480, 0, static_cast<uint8_t>(60 + beat % 12), 100);
  }
  return file.Encode();
}

class ProgramTest : public ::testing::Test {
 protected:
  ProgramOptions Options() const {
    ProgramOptions o;
    o.profilePath = Q(dir.path() + "/config/TuneWell/LyroVox.conf");
    o.dataFolder = Q(dir.path() + "/data");
    o.programFolder = QStringLiteral(LYROVOX_PROGRAM_DIR);
    o.systemTemp = Q(dir.path() + "/tmp");
    o.ctrlHeld = false;
    QDir().mkpath(o.systemTemp);
    return o;
  }
  static QString Q(const std::string& s) { return QString::fromStdString(s); }
  QString Profile(const char* key) const {
    return QSettings(Options().profilePath, QSettings::IniFormat)
        .value(QString("Setup/") + key, "<none>")
        .toString();
  }

  testing::TempDir dir;
};

TEST_F(ProgramTest, StartUpLeavesEveryStepDoneAndTheSplashUpForItsMinimumTime) {
  dir.Write("config/TuneWell/LyroVox.conf",
            "[Setup]\nVideo_Left=40\nVideo_Top=60\nVideo_Width=500\nVideo_Height=400\n");
  const std::string a = dir.Write("songs/a.kar", Song("A", 2));
  dir.Write("data/TuneWell/lyrovox.m3u", "#EXTM3U\n" + a + "\n");
  const QString privateTemp = Q(dir.path() + "/tmp/lyrovox-") + QString::number(geteuid());
  QDir().mkpath(privateTemp);
  dir.Write("tmp/lyrovox-" + std::to_string(geteuid()) + "/500002.kar", "old");
  dir.Write("tmp/lyrovox-" + std::to_string(geteuid()) + "/keep.mp3", "keep");
  dir.Write("tmp/someone-elses.kar", "not ours");

  Program program(Options());
  QElapsedTimer clock;
  clock.start();
  ASSERT_TRUE(program.Start());
  CMainFrame& frame = program.frame();
  // Files handed over while the splash is up queue in the order they came.
  const std::string b = dir.Write("songs/b.kar", Song("B", 2));
  const std::string c = dir.Write("songs/c.kar", Song("C", 2));
  program.OpenWhenStarted({Q(a)});
  program.OpenWhenStarted({Q(b), Q(c)});
  EXPECT_EQ(QRect(program.videoWindow().pos(), program.videoWindow().size()),
            QRect(40, 60, 500, 400));
  EXPECT_TRUE(program.videoWindow().isVisible());
  EXPECT_TRUE(frame.timersRunning());  // the background video runs the main loop
  EXPECT_EQ(frame.windows().songList->Count(), 1);
  EXPECT_EQ(frame.windows().songList->Title(0), "000001 - a");
  EXPECT_EQ(program.tempFolder(), privateTemp + "/");
  EXPECT_EQ(frame.tempFolder(), program.tempFolder());  // made once, given to the controller
  EXPECT_FALSE(QFile::exists(privateTemp + "/500002.kar"));
  EXPECT_TRUE(QFile::exists(privateTemp + "/keep.mp3"));
  EXPECT_TRUE(QFile::exists(Q(dir.path() + "/tmp/someone-elses.kar")));

  ASSERT_NE(program.splash(), nullptr);
  EXPECT_TRUE(program.splash()->isVisible());
  EXPECT_EQ(program.splash()->size(), QSize(578, 294));
  EXPECT_FALSE(program.started());
  ASSERT_TRUE(WaitUntil([&] { return program.started(); }, 5000));
  EXPECT_GE(clock.elapsed(), Program::kSplashMinimumMs);
  EXPECT_EQ(frame.currentSongPath(), Q(a));
  ASSERT_EQ(frame.windows().reservedList->Count(), 2);
  EXPECT_EQ(frame.windows().reservedList->Path(0), Q(b));
  EXPECT_EQ(frame.windows().reservedList->Path(1), Q(c));
  EXPECT_GE(program.splashShownMs(), Program::kSplashMinimumMs);
  EXPECT_EQ(program.splash(), nullptr);
}

TEST(SplashTest, TheSplashAndTheAboutBoxSayTheBuildsVersionAndTheAboutBoxTheCredits) {
  EXPECT_EQ(CSplashDlg::VersionLine(), "Version " LYROVOX_VERSION);
  CSplashDlg splash;
  EXPECT_EQ(splash.size(), QSize(578, 294));
  CSplashDlg about(true);
  EXPECT_EQ(about.size(), QSize(578, 500));
  const QString credits = CSplashDlg::AboutParagraphs().join(' ');
  for (const char* said :
       {"Licence: GNU General Public License", "Fluid (R3) General MIDI SoundFont", "MIT licence",
        "Liberation fonts", "DejaVu", "Noto Sans CJK", "Loma", "SIL Open Font License 1.1"}) {
    EXPECT_TRUE(credits.contains(said)) << said;
  }
  // The credits are drawn under the artwork, the splash's own size: light text on black.
  const QImage shown = about.grab().toImage();
  int light = 0;
  for (int y = 300; y < shown.height(); ++y) {
    for (int x = 0; x < shown.width(); ++x)
      light += qGray(shown.pixel(x, y)) > 150 ? 1 : 0;
  }
  EXPECT_GT(light, 2000);
}

TEST_F(ProgramTest, WithoutALyricsScreenTheProgramRunsWithoutTheLaterSteps) {
  ProgramOptions options = Options();
  options.failScreenCreation = true;
  Program program(options);
  ASSERT_TRUE(program.Start());
  EXPECT_TRUE(program.started());
  EXPECT_EQ(program.splash(), nullptr);
  EXPECT_FALSE(program.frame().timersRunning());
  EXPECT_TRUE(program.videoWindow().isVisible());
  // Songs still play, and zip songs are still extracted into the private folder.
  EXPECT_EQ(program.tempFolder(),
            Q(dir.path() + "/tmp/lyrovox-") + QString::number(geteuid()) + "/");
  EXPECT_EQ(program.frame().tempFolder(), program.tempFolder());
}

TEST_F(ProgramTest, CtrlHeldAtStartUpPutsTheWindowsBackAndStaysOutOfFullScreen) {
  dir.Write("config/TuneWell/LyroVox.conf",
            "[Setup]\nVideo_Left=40\nVideo_Top=60\nVideo_Width=500\nFullScreen=1\n");
  ProgramOptions options = Options();
  options.ctrlHeld = true;
  options.splash = false;
  Program program(options);
  ASSERT_TRUE(program.Start());
  // Its first-start place, below the reserved list, at its default size.
  EXPECT_EQ(QRect(program.videoWindow().pos(), program.videoWindow().size()),
            QRect(0, 371, 408, 346));
  EXPECT_FALSE(program.videoWindow().isFullScreen());
  EXPECT_EQ(program.settings().values().fullScreen, 0);
  EXPECT_EQ(Profile("FullScreen"), "1");  // this run only
}

TEST_F(ProgramTest, TheKeysWorkFromEveryWindowButDigitsStayInTextBoxes) {
  ProgramOptions options = Options();
  options.splash = false;
  Program program(options);
  ASSERT_TRUE(program.Start());
  CMainFrame& frame = program.frame();
  QLineEdit search;  // a text box of one of the program's windows, as the song search is
  search.show();
  search.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&search));
  QTest::keyClicks(&search, "123");
  QTest::keyClick(&search, Qt::Key_Return);
  EXPECT_EQ(search.text(), "123");
  EXPECT_EQ(program.screen()->GetTypedNumberText(), "000000");
  // The accelerator table is checked first, even where the text box has a use for the key.
  QTest::keyClick(&search, Qt::Key_Left, Qt::ControlModifier);
  QTest::keyClick(&search, Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(frame.volume(), 99);
  QTest::keyClick(&search, Qt::Key_Up, Qt::ControlModifier | Qt::KeypadModifier);
  EXPECT_EQ(frame.volume(), 100);
  EXPECT_EQ(search.cursorPosition(), 3);
}

TEST_F(ProgramTest, CtrlF11OverASolidColourShowsTheVideoAtOnce) {
  // Solid red under an audio song: Ctrl+F11 swaps video and camera, and anything but the video
  // becomes the camera, so the background is the video from the next frame on.
  dir.Write("config/TuneWell/LyroVox.conf", "[Setup]\nBackground=2\nBackGroundVideoColor=255\n");
  const std::string a = dir.Write("songs/a.kar", Song("A", 30));
  ProgramOptions options = Options();
  options.splash = false;
  Program program(options);
  ASSERT_TRUE(program.Start());
  CMainFrame& frame = program.frame();
  frame.PlaySong(Q(a));
  ASSERT_EQ(frame.playerKind(), kPlayerKindAudio);
  QWidget& area = *program.videoDialog().videoArea();
  const auto corner = [&area] { return area.grab().toImage().pixel(2, 2); };
  const QRgb red = qRgb(255, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return corner() == red; }, 5000));

  QTest::keyClick(&program.videoWindow(), Qt::Key_F11, Qt::ControlModifier);
  EXPECT_EQ(program.settings().values().background, 0);
  EXPECT_EQ(program.screen()->BackgroundColor(), kKeyColor);
  // The key colour lets the background video through where the red was.
  EXPECT_TRUE(WaitUntil([&] { return corner() != red; }, 5000));
  EXPECT_EQ(Profile("Background"), "2");  // in memory only
}

TEST_F(ProgramTest, ASingerTypesANumberQueuesAnotherAndBothAreSung) {
  const std::string a = dir.Write("songs/first.kar", Song("First Song", 2));
  const std::string b = dir.Write("songs/second.kar", Song("Second Song", 2));
  dir.Write("data/TuneWell/lyrovox.m3u", "#EXTM3U\r\n" + a + "\r\n" + b + "\r\n");
  ProgramOptions options = Options();
  options.splash = false;
  Program program(options);
  ASSERT_TRUE(program.Start());
  CMainFrame& frame = program.frame();
  QWidget& window = program.videoWindow();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

  // Idle with nothing reserved: the number plays at once.
  QTest::keyClicks(&window, "000001");
  EXPECT_EQ(program.screen()->TypedSongTitle(), " first");  // the song list row's title
  QTest::keyClick(&window, Qt::Key_Return);
  EXPECT_EQ(frame.currentSongPath(), Q(a));
  EXPECT_TRUE(frame.isPlaying());

  // While it plays the next number waits in the reserved list.
  QTest::keyClicks(&window, "000002");
  QTest::keyClick(&window, Qt::Key_Enter);
  ASSERT_EQ(frame.windows().reservedList->Count(), 1);
  EXPECT_EQ(frame.windows().reservedList->Title(0), "000002 - second");
  EXPECT_EQ(program.screen()->NextSongTitle(), " second");

  // The first song's end starts the second.
  ASSERT_TRUE(WaitUntil([&] { return frame.currentSongPath() == Q(b); }, 15000));
  EXPECT_EQ(frame.windows().reservedList->Count(), 0);
  EXPECT_EQ(program.screen()->SongTitle(), "Second Song");  // the file's own title wins

  // Stop, from the keyboard, then Exit.
  QTest::keyClick(&window, Qt::Key_End, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_FALSE(frame.isPlaying());
  // A song joins the song list, which is therefore written at the end.
  const std::string c = dir.Write("songs/third.kar", Song("Third", 1));
  frame.windows().songList->AddSong("third", Q(c), 2);
  QSignalSpy quit(&program, &Program::QuitRequested);
  frame.Quit();
  EXPECT_EQ(quit.count(), 1);
  program.Shutdown();
  EXPECT_EQ(Profile("Video_Left"), "0");
  EXPECT_EQ(Profile("Video_Width"), "408");
  QFile list(options.dataFolder + "/TuneWell/lyrovox.m3u");
  ASSERT_TRUE(list.open(QIODevice::ReadOnly));
  const QByteArray bytes = list.readAll();
  EXPECT_TRUE(bytes.startsWith(QByteArray("\xFF\xFE#\0E\0X\0T\0M\0003\0U\0\r\0\n\0", 20)));
  const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2),
                                          (bytes.size() - 2) / 2);
  EXPECT_EQ(text, "#EXTM3U\r\n" + Q(a) + "\r\n" + Q(b) + "\r\n" + Q(c) + "\r\n");
}

TEST_F(ProgramTest, AnExitThatCannotSaveTheSongListSaysSoAndOffersAnotherPlace) {
  ProgramOptions options = Options();
  options.splash = false;
  Program program(options);
  ASSERT_TRUE(program.Start());
  // The data folder goes, and a file takes its name: nothing can be written there, whoever runs
  // the program. Then a song joins the list.
  const QString folder = options.dataFolder + "/TuneWell";
  ASSERT_TRUE(QDir(folder).removeRecursively());
  dir.Write("data/TuneWell", "not a folder");
  const QString song = Q(dir.Write("songs/a.kar", Song("A", 1)));
  program.frame().windows().songList->AddSong("a", song, 0);

  // The boxes as a user answers them: Yes to saving elsewhere, a file name in the save dialog.
  const QString elsewhere = Q(dir.path() + "/kept.m3u");
  QStringList asked;
  QStringList dialogs;
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      asked << box->text();
      box->button(QMessageBox::Yes)->click();
    } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      if (dialogs.size() < 1) dialogs << dialog->windowTitle();
      // The name typed into the dialog, as a user does.
      dialog->setDirectory(QFileInfo(elsewhere).absolutePath());
      if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        name->setText(QFileInfo(elsewhere).fileName());
      QMetaObject::invokeMethod(dialog, "accept");
    }
  });
  answer.start(50);
  QSignalSpy quit(&program, &Program::QuitRequested);
  program.panel().Quit();
  answer.stop();
  EXPECT_EQ(asked, QStringList({"Can't save the songlist to " + folder +
                                "/lyrovox.m3u.\nDo you want to save it somewhere else?"}));
  EXPECT_EQ(dialogs, QStringList({"Save songlist"}));
  EXPECT_EQ(quit.count(), 1);  // and the program closes
  QFile kept(elsewhere);
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  const QByteArray bytes = kept.readAll();
  EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2),
                               (bytes.size() - 2) / 2),
            "#EXTM3U\r\n" + song + "\r\n");
  program.Shutdown();
}

}  // namespace
}  // namespace lyrovox

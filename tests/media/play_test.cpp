// lyrovox-play's loop end to end: real players on generated songs (sound into a clock-keeping
// fakesink), the real lyrics screen and video area on Qt's offscreen platform, the default
// background video of the build.

#include <gtest/gtest.h>

#include <QImage>
#include <QTest>
#include <sstream>

#include "common/smf_builder.h"
#include "media/file_player.h"
#include "media_fixtures.h"
#include "play/play_session.h"
#include "screen/lyric_screen.h"
#include "screen/screen_surfaces.h"
#include "support/temp_dir.h"
#include "ui/panel/player_dlg.h"

namespace lyrovox {
namespace {

using testing::WaitUntil;

// A MIDI karaoke song of about 3 s: four syllables on one line from 0.5 s, notes to the end.
std::string KaraokeSong() {
  smf::File file(1, 480);
  auto& track = file.AddTrack();
  track.Tempo(0, 500000).Text(0, "@TShort Song").Program(0, 0, 0);
  const char* syllables[] = {"\\Lit", "tle ", "short ", "song"};
  for (int i = 0; i < 4; ++i) {
    track.Text(480 + static_cast<uint32_t>(i) * 480, syllables[i]);
  }
  for (uint32_t beat = 0; beat < 6; ++beat) {
    track.Note(beat * 480, 480, 0, static_cast<uint8_t>(60 + beat), 100);
  }
  return file.Encode();
}

class PlayTest : public ::testing::Test {
 protected:
  PlayOptions Options(const std::string& song) {
    PlayOptions options;
    options.song = QString::fromStdString(song);
    options.windowSize = QSize(640, 360);
    options.programFolder = QStringLiteral(LYROVOX_PROGRAM_DIR);
    return options;
  }

  testing::TempDir dir;
  std::ostringstream out;
  std::ostringstream err;
};

TEST_F(PlayTest, AKaraokeSongPlaysToItsEndOverTheBackgroundAndTheLoopReturnsToIdle) {
  PlayOptions options = Options(dir.Write("short.kar", KaraokeSong()));
  options.measure = true;
  PlaySession session(options, out, err);
  ASSERT_TRUE(session.Start()) << err.str();
  CMainFrame& frame = session.frame();
  EXPECT_EQ(frame.playerKind(), kPlayerKindAudio);
  EXPECT_TRUE(frame.timersRunning());  // the background video runs the loop
  EXPECT_EQ(session.screen().LayoutRect().size(), session.surfaces().ScreenSize());
  // The lyrics go where the picture is: in a 640 x 360 video window, 632 x 314 are left by the
  // caption and the margins, and 314 x 1.33 = 417.6 gives the picture's width.
  EXPECT_EQ(session.screen().TargetRect(), QRect(0, 0, 417, 314));

  // Singing: the whole line is sung and shown in the video area.
  ASSERT_TRUE(WaitUntil([&] { return frame.syllableCursor() == 4; }, 15000));
  EXPECT_EQ(session.screen().SungText(), "Little short song");
  ASSERT_TRUE(WaitUntil([&] { return session.songEnded(); }, 15000));

  // The end event brought the loop back to idle, over the background that still runs.
  EXPECT_FALSE(frame.isPlaying());
  EXPECT_EQ(session.screen().GetPlayState(), kPlayStateIdle);
  EXPECT_EQ(frame.audioPlayer()->State(), 0);
  EXPECT_GT(session.surfaces().framesPresented(), 60);
  EXPECT_EQ(session.surfaces().framesDropped(), 0);

  // --measure goes on while the background comes back, then closes the window: the players stop.
  ASSERT_TRUE(WaitUntil([&] { return !session.window().isVisible(); }, 5000));
  EXPECT_FALSE(frame.timersRunning());
  EXPECT_TRUE(err.str().empty()) << err.str();

  const PlayMeasure::Summary summary = session.measure().Summarize();
  EXPECT_EQ(summary.syllables, 4);
  EXPECT_GE(summary.lagMedianMs, 0);  // never shown before its time
  EXPECT_GT(summary.frames, 60);
  // Counted from before the song was opened: the start's gaps are in the longest one.
  EXPECT_GE(summary.presentGapWorstMs, summary.startGapMs);
  EXPECT_GE(summary.presentGapWorstMs, summary.endGapMs);
  EXPECT_GT(summary.startGapMs, 0);
  EXPECT_GT(summary.pictures, 25);  // the background's pictures, 25 a second
  EXPECT_GT(summary.pictureGapWorstMs, 0);
  const std::string printed = out.str();
  EXPECT_NE(printed.find("playerKind: 1\nlyricMode: 1\nended: 1\n"), std::string::npos) << printed;
  EXPECT_NE(printed.find("\nsyllables: 4\n"), std::string::npos) << printed;
  EXPECT_NE(printed.find("\nopenMs: "), std::string::npos) << printed;
  EXPECT_NE(printed.find("\npictureGapWorstMs: "), std::string::npos) << printed;
}

TEST_F(PlayTest, AVideoSongReplacesTheBackgroundAndGivesItBackAtItsEnd) {
  const std::string clip = dir.File("clip.mpg");
  ASSERT_TRUE(testing::MakeMpg(clip, 1.5, 440));
  PlaySession session(Options(clip), out, err);
  ASSERT_TRUE(session.Start()) << err.str();
  CMainFrame& frame = session.frame();
  EXPECT_EQ(frame.playerKind(), kPlayerKindVideo);
  EXPECT_EQ(session.screen().SongTitle(), "clip");
  ASSERT_TRUE(WaitUntil([&] { return session.songEnded(); }, 15000));
  EXPECT_EQ(frame.playerKind(), kPlayerKindAudio);
  EXPECT_TRUE(frame.timersRunning());
  const int presented = session.surfaces().framesPresented();
  ASSERT_TRUE(
      WaitUntil([&] { return session.surfaces().framesPresented() > presented + 3; }, 5000));
  // The picture under the lyrics is the background's again, silent.
  EXPECT_TRUE(session.videoPlayer().fileName().endsWith("video.mpg"));
  EXPECT_TRUE(session.videoPlayer().videoOnly());
  EXPECT_TRUE(session.surfaces().videoShown());
  session.Close();
  EXPECT_EQ(session.videoPlayer().State(), 0);
  EXPECT_FALSE(frame.timersRunning());
}

TEST_F(PlayTest, TheKeysReachTheControllerThroughTheAcceleratorTable) {
  PlaySession session(Options(dir.Write("keys.kar", KaraokeSong())), out, err);
  ASSERT_TRUE(session.Start()) << err.str();
  QWidget& window = session.window();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  CMainFrame& frame = session.frame();

  QTest::keyClick(&window, Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(frame.volume(), 99);
  QTest::keyClick(&window, Qt::Key_Up, Qt::ControlModifier);
  EXPECT_EQ(frame.volume(), 100);
  QTest::keyClick(&window, Qt::Key_F12, Qt::ControlModifier);
  EXPECT_EQ(frame.settings().audioChannel, 1);  // one audio stream: the channels step
  EXPECT_GT(session.screen().MessageFrames(), 0);
  QTest::keyClick(&window, Qt::Key_Right, Qt::ControlModifier);
  // The control panel (hidden: only the video window shows) has the speed.
  EXPECT_EQ(session.program().panel().statusText(), "Speed: 1.05X");
  // The singer's keys, on the synthesised song.
  QTest::keyClick(&window, Qt::Key_PageUp, Qt::ControlModifier);
  QTest::keyClick(&window, Qt::Key_PageUp, Qt::ControlModifier);
  EXPECT_EQ(frame.key(), 2);
  EXPECT_EQ(session.program().panel().statusText(), "Key: +2");
  QTest::keyClick(&window, Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(frame.key(), 1);
  QTest::keyClick(&window, Qt::Key_F8, Qt::ControlModifier);
  EXPECT_TRUE(frame.vocalReduction());
  EXPECT_EQ(session.program().panel().statusText(), "Vocal Reduction: On");
  QTest::keyClick(&window, Qt::Key_End, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_FALSE(frame.isPlaying());
  QTest::keyClick(&window, Qt::Key_Insert, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_TRUE(frame.isPlaying());
  QTest::keyClick(&window, Qt::Key_MediaStop);
  EXPECT_FALSE(frame.isPlaying());
}

TEST_F(PlayTest, ScreenshotsAreTakenAtTheirSongTimesAndThenTheWindowCloses) {
  PlayOptions options = Options(dir.Write("shots.kar", KaraokeSong()));
  options.atMs = {1200, 100};
  options.png = QString::fromStdString(dir.File("shot.png"));
  PlaySession session(options, out, err);
  ASSERT_TRUE(session.Start()) << err.str();
  ASSERT_TRUE(WaitUntil([&] { return session.closed(); }, 15000));
  const QImage early(QString::fromStdString(dir.File("shot-100.png")));
  const QImage sung(QString::fromStdString(dir.File("shot-1200.png")));
  EXPECT_EQ(early.size(), QSize(640, 360));
  EXPECT_EQ(sung.size(), QSize(640, 360));
  EXPECT_NE(early, sung);
  // One line per file, in the order they were taken.
  EXPECT_EQ(out.str().find(dir.File("shot-100.png") + "\t"), 0u) << out.str();
  EXPECT_NE(out.str().find(dir.File("shot-1200.png") + "\t"), std::string::npos);
  EXPECT_FALSE(session.songEnded());
  EXPECT_EQ(session.exitStatus(), 0);
}

TEST_F(PlayTest, ASongThatCannotBePlayedIsReported) {
  {
    PlaySession session(Options(dir.File("missing.kar")), out, err);
    EXPECT_FALSE(session.Start());
    EXPECT_NE(err.str().find("cannot open"), std::string::npos) << err.str();
  }
  err.str("");
  PlaySession session(Options(dir.Write("noise.mp3", std::string(4000, '\x5a'))), out, err);
  EXPECT_FALSE(session.Start());
  EXPECT_NE(err.str().find("does not play"), std::string::npos) << err.str();
  // The background still runs under the song's title; closing stops it.
  EXPECT_TRUE(session.frame().timersRunning());
  session.Close();
  EXPECT_FALSE(session.frame().timersRunning());
}

TEST(PlayArgs, TheCommandLineIsCheckedBeforeAnythingPlays) {
  PlayOptions o;
  QString error;
  EXPECT_TRUE(ParsePlayArgs({"song.kar", "--size", "800x450", "--measure", "--at", "2.5", "--at",
                             "1", "--png", "o.png", "--fullscreen", "--quit-at-end"},
                            o, error))
      << error.toStdString();
  EXPECT_EQ(o.song, "song.kar");
  EXPECT_EQ(o.windowSize, QSize(800, 450));
  EXPECT_TRUE(o.measure && o.fullScreen && o.quitAtEnd);
  EXPECT_EQ(o.atMs, std::vector<int>({2500, 1000}));

  const QStringList bad[] = {{},
                             {"a.kar", "b.kar"},
                             {"a.kar", "--size", "0x10"},
                             {"a.kar", "--size"},
                             {"a.kar", "--at", "-1", "--png", "o.png"},
                             {"a.kar", "--at", "1"},
                             {"a.kar", "--png", "o.png"},
                             {"a.kar", "--loud"}};
  for (const QStringList& args : bad) {
    PlayOptions options;
    EXPECT_FALSE(ParsePlayArgs(args, options, error)) << args.join(' ').toStdString();
    EXPECT_FALSE(error.isEmpty());
  }
}

}  // namespace
}  // namespace lyrovox

// The picture drawn by a video sink into the video area's own X window, with the lyrics composed
// over it in the pipeline: lyrovox-play's loop on an X server (Xvfb), the screen's contents read
// back from the X server. The songs and the background video are made here, each picture of one
// known colour.

#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>

#include "common/cdg_builder.h"
#include "common/smf_builder.h"
#include "media/file_player.h"
#include "media/lyrics_overlay.h"
#include "media/picture_window.h"
#include "media/video_area.h"
#include "media/video_dlg.h"
#include "media_fixtures.h"
#include "play/play_session.h"
#include "screen/lyric_screen.h"
#include "screen/screen_surfaces.h"
#include "support/temp_dir.h"

namespace lyrovox {
namespace {

using testing::WaitUntil;

constexpr QRgb kKey = 0xFF0E0C10;  // 0x100C0E as a pixel

// A 320x240 25 fps MPEG-2 picture of one colour (0xRRGGBB), with a tone when toneHz > 0.
bool MakeSolidMpg(const std::string& path, double seconds, uint32_t rgb, int toneHz) {
  const int frames = static_cast<int>(seconds * 25);
  std::string d =
      "avmux_mpeg name=mux ! filesink location=\"" + path + "\" " +
      "videotestsrc pattern=solid-color foreground-color=" + std::to_string(0xFF000000u | rgb) +
      " num-buffers=" + std::to_string(frames) +
      " ! video/x-raw,width=320,height=240,framerate=25/1,format=I420 ! "
      "mpeg2enc format=3 ! mpegvideoparse ! mux. ";
  if (toneHz > 0) {
    d += "audiotestsrc wave=sine freq=" + std::to_string(toneHz) +
         " num-buffers=" + std::to_string(static_cast<int>(seconds * 44100 / 1024) + 1) +
         " ! audio/x-raw,rate=44100,channels=2 ! audioconvert ! avenc_mp2 ! mpegaudioparse "
         "! mux. ";
  }
  return testing::RunPipeline(d);
}

bool Near(QRgb a, QRgb b, int tolerance) {
  return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
         std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// A part of the screen as the X server shows it.
QImage ReadScreen(const QRect& part) {
  return QGuiApplication::primaryScreen()
      ->grabWindow(0, part.x(), part.y(), part.width(), part.height())
      .toImage()
      .convertToFormat(QImage::Format_RGB32);
}

// The video area as the X server shows it.
QImage ReadBack(PlaySession& session) {
  auto* area = session.program().videoDialog().videoArea();
  return ReadScreen(QRect(area->mapToGlobal(QPoint(0, 0)), area->size()));
}

// Plays clip with its picture through the window's sink until a few pictures were drawn.
bool PlayThroughWindow(CFilePlayer& player, testing::EventRecorder& receiver,
                       std::shared_ptr<PictureWindow> window, const std::string& clip) {
  player.SetPictureWindow(std::move(window));
  player.SetFileName(QString::fromStdString(clip), true);
  return player.CreateGraph() && testing::OpenAndRun(player, receiver) &&
         WaitUntil([&] { return player.frames()->serial() > 2; }, 5000);
}

// How many pixels have each colour.
std::map<QRgb, int> Census(const QImage& image) {
  std::map<QRgb, int> counts;
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x)
      ++counts[line[x] | 0xFF000000u];
  }
  return counts;
}

int CountNear(const std::map<QRgb, int>& census, QRgb colour, int tolerance) {
  int n = 0;
  for (const auto& [c, count] : census) {
    if (Near(c, colour, tolerance)) n += count;
  }
  return n;
}

// The colour of a male singer's line not yet sung (the setting's 0x00BBGGRR 0xEE0000: blue 0xEE).
constexpr QRgb kUnsung = 0xFF0000EE;

class WindowPictureTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    setenv("LYROVOX_VIDEO_SINK", "auto", 1);
    // The background video beside the "program", a picture of one colour.
    programFolder = dir.File("program");
    QDir().mkpath(QString::fromStdString(programFolder));
    ASSERT_TRUE(MakeSolidMpg(programFolder + "/video.mpg", 20, kBackground, 0));
  }
  void TearDown() override { unsetenv("LYROVOX_VIDEO_SINK"); }
  PlayOptions Options(const std::string& song) {
    PlayOptions options;
    options.song = QString::fromStdString(song);
    options.windowSize = QSize(640, 360);
    options.fullScreen = GetParam();
    options.programFolder = QString::fromStdString(programFolder);
    return options;
  }
  // Plays until the picture is drawn by the sink and `ready` holds, then reads the area back
  // until `shows` holds for what the screen shows (the picture and the lyrics of now reach the
  // screen with the next frames), at most 5 s; returns the last reading.
  QImage PlayAndRead(PlaySession& session, const std::function<bool()>& ready,
                     const std::function<bool(const QImage&)>& shows) {
    EXPECT_TRUE(session.Start()) << err.str();
    auto* area = dynamic_cast<CVideoArea*>(session.program().videoDialog().videoArea());
    EXPECT_NE(area, nullptr);
    if (area == nullptr) return {};
    EXPECT_TRUE(WaitUntil([&] { return area->pictureInWindow() && ready(); }, 15000));
    if (GetParam()) {
      EXPECT_EQ(area->size(), QGuiApplication::primaryScreen()->size());
    }
    QImage shown;
    WaitUntil(
        [&] {
          shown = ReadBack(session);
          return shows(shown);
        },
        5000);
    return shown;
  }

  static constexpr uint32_t kBackground = 0x20A040;  // green
  testing::TempDir dir;
  std::string programFolder;
  std::ostringstream out;
  std::ostringstream err;
};

TEST(WindowSink, TheFirstSinkThatStartsIsChosen) {
  // Xvfb has no XVideo: that sink does not start, and the plain X sink is taken.
  EXPECT_EQ(ChooseWindowSink({"nosuchsink", "xvimagesink", "ximagesink"}), "ximagesink");
  // A sink that draws into no window is none of them.
  EXPECT_EQ(ChooseWindowSink({"fakesink", "nosuchsink"}), "");
  EXPECT_EQ(ChooseWindowSink({"videoconvert ! ximagesink"}), "videoconvert ! ximagesink");
  // A window sink draws unless the video area is asked for.
  unsetenv("LYROVOX_VIDEO_SINK");
  EXPECT_EQ(ChooseProgramWindowSink(), "ximagesink");
  setenv("LYROVOX_VIDEO_SINK", "auto", 1);
  EXPECT_EQ(ChooseProgramWindowSink(), "ximagesink");
  setenv("LYROVOX_VIDEO_SINK", "area", 1);
  EXPECT_EQ(ChooseProgramWindowSink(), "");
  // A sink that does not draw into a window takes the picture instead.
  setenv("LYROVOX_VIDEO_SINK", "fakesink sync=true", 1);
  EXPECT_EQ(ChooseProgramWindowSink(), "");
  unsetenv("LYROVOX_VIDEO_SINK");
}

TEST(WindowSink, AGraphWhoseSinkDoesNotStartHandsItsFramesToTheVideoArea) {
  testing::TempDir dir;
  const std::string clip = dir.File("clip.mpg");
  ASSERT_TRUE(MakeSolidMpg(clip, 2, 0x2040C0, 0));
  QWidget window;
  window.resize(320, 240);
  window.show();
  struct Case {
    const char* sink;
    bool framesToTheArea;
  };
  // Xvfb has no XVideo.
  for (const Case& c : {Case{"ximagesink", false}, Case{"xvimagesink", true}}) {
    SCOPED_TRACE(c.sink);
    auto picture = std::make_shared<PictureWindow>(c.sink);
    picture->SetWindow(static_cast<uintptr_t>(window.winId()), QSize(320, 240));
    CFilePlayer player;
    testing::EventRecorder receiver;
    ASSERT_TRUE(PlayThroughWindow(player, receiver, picture, clip));
    EXPECT_EQ(!player.frames()->Frame().isNull(), c.framesToTheArea);
    int width = 0, height = 0;
    player.GetNativeVideoSize(&width, &height, nullptr, nullptr);
    EXPECT_EQ(QSize(width, height), QSize(320, 240));
    player.Close();
  }
}

TEST(WindowSink, TheSinkFollowsAResizeThatNothingExposes) {
  // The sink's window is resized after the sink was given it, and nothing asks the sink to draw
  // again (as when the window's expose came while the path was still being built): the frames,
  // now at the new size, still fill the whole window, neither cut to the old size nor placed for
  // it.
  testing::TempDir dir;
  const std::string clip = dir.File("clip.mpg");
  constexpr uint32_t kPicture = 0x2040C0;
  ASSERT_TRUE(MakeSolidMpg(clip, 6, kPicture, 0));
  struct Case {
    QSize from;
    QSize to;
  };
  for (const Case& c : {Case{{320, 240}, {640, 480}}, Case{{640, 480}, {320, 240}}}) {
    SCOPED_TRACE(c.to.width());
    auto picture = std::make_shared<PictureWindow>("ximagesink");
    QWidget window;
    window.setGeometry(0, 0, 640, 480);
    window.setStyleSheet(QStringLiteral("background: black"));
    auto* surface = new PictureSurface(&window);
    surface->setGeometry(QRect(QPoint(0, 0), c.from));
    int exposed = 0;
    surface->SetHooks([&](uintptr_t handle, QSize size) { picture->SetWindow(handle, size); },
                      [&] { ++exposed; });
    window.show();
    ASSERT_TRUE(WaitUntil([&] { return exposed > 0; }, 5000));
    CFilePlayer player;
    testing::EventRecorder receiver;
    ASSERT_TRUE(PlayThroughWindow(player, receiver, picture, clip));
    surface->setGeometry(QRect(QPoint(0, 0), c.to));
    ASSERT_EQ(picture->size(), c.to);
    // The resized window's exposes do not reach the sink. Read once frames of the new size are
    // drawn: ten more than before.
    const uint64_t drawn = picture->sinkFrames().rendered;
    ASSERT_TRUE(WaitUntil([&] { return picture->sinkFrames().rendered >= drawn + 10; }, 5000));
    const QRect area(surface->mapToGlobal(QPoint(0, 0)), c.to);
    const int all = c.to.width() * c.to.height();
    int shown = 0;
    WaitUntil(
        [&] {
          shown = CountNear(Census(ReadScreen(area)), 0xFF000000u | kPicture, 24);
          return shown > all * 9 / 10;
        },
        5000);
    EXPECT_GT(shown, all * 9 / 10);
    player.Close();
  }
}

// The lyrics change while the picture stands still (a paused or slow picture, or its last frame):
// the sink shows the frame again with them, and with the picture back where they were.
TEST(WindowSink, ANewOverlayReachesTheScreenWithoutANewFrame) {
  QWidget window;
  window.resize(160, 120);
  window.show();
  ASSERT_TRUE(
      WaitUntil([&] { return window.isVisible() && window.windowHandle()->isExposed(); }, 5000));
  auto picture = std::make_shared<PictureWindow>("ximagesink");
  picture->SetWindow(static_cast<uintptr_t>(window.winId()), QSize(160, 120));
  PictureWindow::Path path = picture->MakePath(true);
  ASSERT_TRUE(path.sink);
  gst::ElementPtr pipeline(gst_pipeline_new(nullptr));
  // One frame of one colour, then the end: the sink keeps showing it.
  gst::ElementPtr source(gst_parse_bin_from_description(
      "videotestsrc num-buffers=1 pattern=solid-color foreground-color=0xFFC02030 "
      "! video/x-raw,width=320,height=240,framerate=25/1 ! videoconvert",
      TRUE, nullptr));
  ASSERT_TRUE(source);
  GstElement* chain[] = {source.get(),      path.pixels.get(),  path.scaler.get(),
                         path.filter.get(), path.overlay.get(), path.sink.get()};
  for (GstElement* e : chain)
    gst_bin_add(GST_BIN(pipeline.get()), GST_ELEMENT(gst_object_ref(e)));
  for (size_t i = 0; i + 1 < std::size(chain); ++i)
    ASSERT_TRUE(gst_element_link(chain[i], chain[i + 1]));
  const uint64_t id = picture->AddPath(std::move(path));
  gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
  const auto read = [&] {
    const QPoint at = window.mapToGlobal(QPoint(0, 0));
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, at.x(), at.y(), 160, 120)
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
  };
  constexpr QRgb kRed = 0xFFC02030;
  QImage shown;
  EXPECT_TRUE(WaitUntil(
      [&] {
        shown = read();
        return Near(shown.pixel(30, 30), kRed, 8) && Near(shown.pixel(100, 100), kRed, 8);
      },
      5000));
  QImage keyed(160, 120, QImage::Format_ARGB32_Premultiplied);
  keyed.fill(0);
  for (int y = 20; y < 50; ++y) {
    for (int x = 20; x < 60; ++x)
      keyed.setPixel(x, y, 0xFFFFFFFF);
  }
  const auto box =
      LyricsOverlay::Make(keyed, keyed.rect(), 0, keyed.rect(), QSize(160, 120), nullptr);
  picture->SetOverlay(box);
  EXPECT_TRUE(WaitUntil(
      [&] {
        shown = read();
        return shown.pixel(30, 30) == 0xFFFFFFFF && Near(shown.pixel(100, 100), kRed, 8);
      },
      3000));
  // Gone again: the picture is back under it.
  picture->SetOverlay(nullptr);
  EXPECT_TRUE(WaitUntil(
      [&] {
        shown = read();
        return Near(shown.pixel(30, 30), kRed, 8) && Near(shown.pixel(59, 49), kRed, 8);
      },
      3000));
  gst_element_set_state(pipeline.get(), GST_STATE_NULL);
  picture->DropPath(id);
}

TEST_P(WindowPictureTest, AVideoSongShowsItsPictureWithItsLyricsOverIt) {
  const std::string clip = dir.File("clip.mpg");
  constexpr uint32_t kPicture = 0xC02030;  // red
  ASSERT_TRUE(MakeSolidMpg(clip, 4, kPicture, 440));
  dir.Write("clip.lrc", "[00:00.10]WWWW WWWW WWWW\n[00:03.90]End\n");
  PlaySession session(Options(clip), out, err);
  // Where the screen's lyrics frame is other than the key colour, the screen shows its pixel
  // exactly: the pixels that differ, of those opaque (every other row and column).
  const auto lyricsDiffer = [&](const QImage& shown, int* opaque) {
    const QImage keyed = KeyOutFrame(
        session.surfaces().BackSurface().copy(session.screen().TargetRect()), kKeyColor);
    *opaque = 0;
    if (keyed.size() != shown.size()) return -1;
    int differ = 0;
    for (int y = 0; y < keyed.height(); y += 2) {
      for (int x = 0; x < keyed.width(); x += 2) {
        const QRgb k = keyed.pixel(x, y);
        if (qAlpha(k) != 255) continue;
        ++*opaque;
        if ((shown.pixel(x, y) | 0xFF000000u) != k) ++differ;
      }
    }
    return differ;
  };
  const auto pictureShown = [&](const QImage& shown) {
    return CountNear(Census(shown), 0xFF000000u | kPicture, 24) >
           shown.width() * shown.height() / 3;
  };
  const QImage shown = PlayAndRead(
      session,
      [&] {
        return session.videoPlayer().frames()->serial() > 0 &&
               session.videoPlayer().fileName().endsWith("clip.mpg") &&
               session.screen().LayoutRect().isValid();
      },
      [&](const QImage& image) {
        int opaque = 0;
        const int differ = lyricsDiffer(image, &opaque);
        return pictureShown(image) && opaque > 50 && differ >= 0 && differ <= opaque / 50;
      });
  ASSERT_FALSE(shown.isNull());
  auto census = Census(shown);
  // The picture fills most of the area, the background's is gone, and the key colour itself
  // never reaches the screen.
  EXPECT_TRUE(pictureShown(shown));
  EXPECT_EQ(CountNear(census, 0xFF000000u | kBackground, 24), 0);
  EXPECT_EQ(census[kKey], 0);
  int opaque = 0;
  const int differ = lyricsDiffer(shown, &opaque);
  EXPECT_GT(opaque, 50);
  EXPECT_GE(differ, 0);
  EXPECT_LE(differ, opaque / 50);
  session.Close();
}

TEST_P(WindowPictureTest, AMidiSongShowsTheBackgroundWithItsLyricsOverIt) {
  smf::File file(1, 480);
  auto& track = file.AddTrack();
  track.Tempo(0, 500000).Text(0, "@TMidi Song").Program(0, 0, 0);
  const char* syllables[] = {"\\WWW", "WWW ", "WWW ", "WWW"};
  for (int i = 0; i < 4; ++i)
    track.Text(1920 + static_cast<uint32_t>(i) * 960, syllables[i]);
  for (uint32_t beat = 0; beat < 12; ++beat)
    track.Note(beat * 480, 480, 0, static_cast<uint8_t>(60 + beat % 12), 100);
  const std::string song = dir.Write("song.kar", file.Encode());
  PlaySession session(Options(song), out, err);
  const auto shows = [&](const QImage& image) {
    auto census = Census(image);
    return CountNear(census, 0xFF000000u | kBackground, 24) > image.width() * image.height() / 3 &&
           census[kUnsung] > 100;
  };
  const QImage shown = PlayAndRead(
      session, [&] { return session.frame().syllableCursor() >= 1; }, shows);
  ASSERT_FALSE(shown.isNull());
  auto census = Census(shown);
  EXPECT_GT(CountNear(census, 0xFF000000u | kBackground, 24), shown.width() * shown.height() / 3);
  EXPECT_GT(census[kUnsung], 100);
  EXPECT_EQ(census[kKey], 0);
  session.Close();
}

TEST_P(WindowPictureTest, ACdgSongShowsItsPictureOverTheBackground) {
  // Background index 1 (the key colour once preset: the background video shows there), a blue
  // border, one red tile.
  cdg::TileRows full;
  full.fill(0x3F);
  const std::string stream = cdg::LoadTable(false, {0x000, 0xF00, 0xF00, 0x00F, 0, 0, 0, 0}) +
                             cdg::MemoryPreset(1) + cdg::BorderPreset(3) +
                             cdg::Tile(1, 2, 8, 20, full) + std::string(24 * 300 * 6, '\0');
  ASSERT_TRUE(testing::MakeToneFile(dir.File("graphics.mp3"), 6, 440, "lamemp3enc ! id3v2mux"));
  dir.Write("graphics.cdg", stream);
  PlaySession session(Options(dir.File("graphics.mp3")), out, err);
  const auto shows = [&](const QImage& image) {
    auto census = Census(image);
    return CountNear(census, 0xFF000000u | kBackground, 24) > image.width() * image.height() / 4 &&
           census[0xFF0000FF] > 500 && census[0xFFFF0000] > 10;
  };
  const QImage shown = PlayAndRead(
      session, [&] { return session.frame().lyricMode() == kLyricModeCdg; }, shows);
  ASSERT_FALSE(shown.isNull());
  auto census = Census(shown);
  EXPECT_GT(CountNear(census, 0xFF000000u | kBackground, 24), shown.width() * shown.height() / 4);
  EXPECT_GT(census[0xFF0000FF], 500);  // the border
  EXPECT_GT(census[0xFFFF0000], 10);   // the tile, scaled
  EXPECT_EQ(census[kKey], 0);
  session.Close();
}

INSTANTIATE_TEST_SUITE_P(WindowedAndFullScreen, WindowPictureTest, ::testing::Bool(),
                         [](const auto& param) { return param.param ? "FullScreen" : "Windowed"; });

}  // namespace
}  // namespace lyrovox

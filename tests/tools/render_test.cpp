#include "render/render_session.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <sstream>

#include "common/cdg_builder.h"
#include "common/smf_builder.h"
#include "support/temp_dir.h"

namespace lyrovox {
namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

int Count(const QImage& image, QRect area, QRgb color) {
  area &= image.rect();
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x)
      n += (image.pixel(x, y) | 0xFF000000u) == color;
  }
  return n;
}

const QRgb kKey = qRgb(14, 12, 16);
const QRgb kSungBlue = qRgb(0, 0, 238);
const QRgb kBannerMagenta = qRgb(242, 32, 205);

class RenderTest : public ::testing::Test {
 protected:
  RenderTest() {
    smf::File f(1, 480);  // 120 beats a minute: 480 ticks are 500 ms
    f.AddTrack()
        .Text(0, "@TThe Song")
        .Text(0, "@TThe Singer")
        .Text(1920, "\\HHHH")  // 2000 ms
        .Text(2400, "HHHH")    // 2500 ms
        .Text(4800, "/Next line");
    song = Q(dir.Write("song.kar", f.Encode()));
  }

  int Run(const QStringList& args) {
    RenderOptions options;
    QString error;
    if (!ParseRenderArgs(args, options, error)) {
      lastError = error;
      return 2;
    }
    out.str({});
    err.str({});
    return RunRender(options, out, err);
  }

  testing::TempDir dir;
  QString song;
  QString lastError;
  std::ostringstream out;
  std::ostringstream err;
};

TEST_F(RenderTest, TheCommandLineIsCheckedBeforeAnythingIsDone) {
  const QStringList bad[] = {
      {},
      {"--at", "1", "--png", "x.png"},
      {"song.kar", "--at", "1"},
      {"song.kar", "--png", "x.png"},
      {"song.kar", "--size", "800", "--at", "1", "--png", "x.png"},
      {"song.kar", "--size", "0x600", "--at", "1", "--png", "x.png"},
      {"song.kar", "--at", "-1", "--png", "x.png"},
      {"song.kar", "--at", "soon", "--png", "x.png"},
      {"song.kar", "--frames", "d", "--from", "5", "--to", "4"},
      {"song.kar", "--frames", "d"},
      {"song.kar", "--bogus", "--at", "1", "--png", "x.png"},
      {"song.kar", "other.kar", "--at", "1", "--png", "x.png"},
      {"song.kar", "--background", "nocolour", "--at", "1", "--png", "x.png"},
      {"song.kar", "--type", "12a", "--at", "1", "--png", "x.png"},
      {"song.kar", "--at"},
      {"song.kar", "--language", "x", "--at", "1", "--png", "x.png"},
      {"song.kar", "--language", "-1", "--at", "1", "--png", "x.png"},
  };
  for (const QStringList& args : bad) {
    RenderOptions options;
    QString error;
    EXPECT_FALSE(ParseRenderArgs(args, options, error)) << args.join(' ').toStdString();
    EXPECT_FALSE(error.isEmpty());
  }
  RenderOptions options;
  QString error;
  ASSERT_TRUE(ParseRenderArgs({"s.kar", "--size", "1280x720", "--target", "640x360", "--fullscreen",
                               "--at", "1.5", "--at", "2", "--png", "o.png"},
                              options, error));
  EXPECT_EQ(options.size, QSize(1280, 720));
  EXPECT_EQ(options.target, QSize(640, 360));
  EXPECT_TRUE(options.fullScreen);
  EXPECT_EQ(options.atMs, std::vector<int>({1500, 2000}));
  EXPECT_EQ(options.language, 0);
  RenderOptions cyrillic;
  ASSERT_TRUE(ParseRenderArgs({"s.kar", "--language", "8", "--at", "1", "--png", "o.png"}, cyrillic,
                              error));
  EXPECT_EQ(cyrillic.language, 8);
  EXPECT_EQ(PngPathFor("o.png", 0, 1, 1500), "o.png");
  EXPECT_EQ(PngPathFor("o.png", 0, 2, 1500), "o-1500.png");
  EXPECT_EQ(PngPathFor("shot", 1, 2, 2000), "shot-2000.png");
}

TEST_F(RenderTest, AFrameShowsTheSungPartInTheSungColourOverTheKeyColour) {
  const QString png = Q(dir.File("frame.png"));
  ASSERT_EQ(Run({song, "--at", "2.1", "--png", png}), 0) << err.str();
  EXPECT_EQ(out.str(), png.toStdString() + "\t2100\n");
  const QImage frame(png);
  ASSERT_EQ(frame.size(), QSize(1920, 1080));
  EXPECT_EQ(Count(frame, QRect(0, 0, 1920, 300), kKey), 1920 * 300);
  const QRect upper(0, 1080 - 266, 1920, 120);
  EXPECT_GT(Count(frame, upper, kSungBlue), 2000);
  EXPECT_GT(Count(frame, upper, qRgb(238, 238, 238)), 2000);
}

TEST_F(RenderTest, TheLanguageOptionChoosesHowTheTextIsRead) {
  // "Привет" in Windows-1251: read as Cyrillic with --language 8, as Latin letters without.
  smf::File f(1, 480);
  f.AddTrack().Text(0, "@T\xCF\xF0\xE8\xE2\xE5\xF2").Text(1920, "\\x");
  const QString cyrillic = Q(dir.Write("c.kar", f.Encode()));
  ASSERT_EQ(Run({cyrillic, "--at", "0.9", "--png", Q(dir.File("latin.png"))}), 0) << err.str();
  ASSERT_EQ(Run({cyrillic, "--language", "8", "--at", "0.9", "--png", Q(dir.File("cyr.png"))}), 0)
      << err.str();
  const QImage latin(Q(dir.File("latin.png")));
  const QImage cyr(Q(dir.File("cyr.png")));
  ASSERT_EQ(latin.size(), cyr.size());
  EXPECT_NE(latin, cyr);
}

TEST_F(RenderTest, AWindowedFrameIsTheTargetAreaAndTheBackgroundColourFillsTheKey) {
  const QString png = Q(dir.File("small.png"));
  ASSERT_EQ(
      Run({song, "--target", "800x600", "--background", "#204060", "--at", "0.6", "--png", png}), 0)
      << err.str();
  const QImage frame(png);
  ASSERT_EQ(frame.size(), QSize(800, 600));
  EXPECT_EQ(Count(frame, frame.rect(), kKey), 0);
  EXPECT_GT(Count(frame, frame.rect(), qRgb(0x20, 0x40, 0x60)), 400000);
  // The title stands in the middle.
  EXPECT_GT(Count(frame, QRect(0, 200, 800, 200), qRgb(255, 138, 20)), 500);
}

TEST_F(RenderTest, TheBannerIsUpBetween30And20SecondsBeforeTheEnd) {
  const QStringList rows = {"--reserved", "000012 - My Song", "--reserved", "000345 - Other"};
  const QRect label(0, 540 - 158, 1920, 110);
  ASSERT_EQ(Run(QStringList{song, "--duration", "60", "--at", "30", "--at", "30.03", "--at", "35",
                            "--png", Q(dir.File("a.png"))} +
                rows),
            0)
      << err.str();
  EXPECT_EQ(Count(QImage(Q(dir.File("a-30000.png"))), label, kBannerMagenta), 0);
  EXPECT_GT(Count(QImage(Q(dir.File("a-30030.png"))), label, kBannerMagenta), 1000);
  EXPECT_GT(Count(QImage(Q(dir.File("a-35000.png"))), label, kBannerMagenta), 1000);
  ASSERT_EQ(Run(QStringList{song, "--duration", "60.02", "--at", "39.99", "--at", "40.02", "--png",
                            Q(dir.File("b.png"))} +
                rows),
            0);
  EXPECT_GT(Count(QImage(Q(dir.File("b-39990.png"))), label, kBannerMagenta), 1000);
  EXPECT_EQ(Count(QImage(Q(dir.File("b-40020.png"))), label, kBannerMagenta), 0);
}

TEST_F(RenderTest, FramesAreWrittenOnePerTickIntoTheFolder) {
  const QString folder = Q(dir.File("frames"));
  ASSERT_EQ(Run({song, "--size", "320x240", "--frames", folder, "--from", "1", "--to", "1.11"}), 0);
  EXPECT_EQ(QDir(folder).entryList({"*.png"}),
            QStringList(
                {"frame-000000.png", "frame-000001.png", "frame-000002.png", "frame-000003.png"}));
  EXPECT_EQ(QImage(folder + "/frame-000003.png").size(), QSize(320, 240));
  EXPECT_NE(out.str().find("frame-000000.png\t1020\n"), std::string::npos);
}

TEST_F(RenderTest, ASongWithACdgSideFileShowsItsPictureStretchedOverTheTarget) {
  // Background index 1 (the key colour once preset), a blue border, one green tile at row 8,
  // column 20: pixels 120..125 x 96..107 of the 300 x 216 picture.
  cdg::TileRows full;
  full.fill(0x3F);
  const std::string stream = cdg::LoadTable(false, {0x000, 0xF00, 0x0F0, 0x00F, 0, 0, 0, 0}) +
                             cdg::MemoryPreset(1) + cdg::BorderPreset(3) +
                             cdg::Tile(1, 2, 8, 20, full) + std::string(24 * 600, '\0');
  dir.Write("graphics.mp3", "");
  dir.Write("GRAPHICS.CDG", stream);
  const QString png = Q(dir.File("cdg.png"));
  ASSERT_EQ(Run({Q(dir.File("graphics.mp3")), "--target", "600x432", "--at", "1", "--png", png}), 0)
      << err.str();
  const QImage frame(png);
  ASSERT_EQ(frame.size(), QSize(600, 432));
  EXPECT_EQ(frame.pixel(246, 204) | 0xFF000000u, qRgb(0, 255, 0));
  EXPECT_EQ(frame.pixel(400, 300) | 0xFF000000u, kKey);
  EXPECT_EQ(frame.pixel(3, 200) | 0xFF000000u, qRgb(0, 0, 255));
}

TEST_F(RenderTest, AMissingSongOrAnUnwritableFileIsReported) {
  EXPECT_EQ(Run({Q(dir.File("none.kar")), "--at", "1", "--png", Q(dir.File("x.png"))}), 1);
  EXPECT_NE(err.str().find("cannot open"), std::string::npos);
  EXPECT_EQ(Run({song, "--at", "1", "--png", Q(dir.File("no/such/folder/x.png"))}), 1);
  EXPECT_NE(err.str().find("cannot write"), std::string::npos);
}

}  // namespace
}  // namespace lyrovox

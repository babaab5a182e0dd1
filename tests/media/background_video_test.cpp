#include "media/background_video.h"

#include <gst/app/gstappsink.h>
#include <gtest/gtest.h>

#include <QProcess>
#include <QString>
#include <cstdlib>
#include <vector>

#include "media/gst_handles.h"
#include "support/temp_dir.h"

namespace lyrovox {
namespace {

// Every frame of a video, as 80 x 60 grey levels.
std::vector<std::vector<uint8_t>> Frames(const std::string& path) {
  std::vector<std::vector<uint8_t>> frames;
  GError* raw = nullptr;
  const std::string d = "filesrc location=\"" + path +
                        "\" ! decodebin ! videoconvert ! videoscale ! "
                        "video/x-raw,format=GRAY8,width=80,height=60 ! appsink name=out sync=false";
  gst::ElementPtr pipeline = gst::AdoptElement(gst_parse_launch(d.c_str(), &raw));
  gst::ErrorPtr error(raw);
  if (!pipeline) return frames;
  gst::ElementPtr sink(gst_bin_get_by_name(GST_BIN(pipeline.get()), "out"));
  gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
  while (gst::SamplePtr sample{
      gst_app_sink_try_pull_sample(GST_APP_SINK(sink.get()), 5 * GST_SECOND)}) {
    gst::BufferMap map(gst_sample_get_buffer(sample.get()), GST_MAP_READ);
    std::vector<uint8_t> grey(80 * 60);
    for (int y = 0; y < 60 && map.ok(); ++y) {
      // GRAY8 rows are padded to 4 bytes: 80 needs none.
      std::copy_n(map.data() + y * 80, 80, grey.begin() + y * 80);
    }
    frames.push_back(std::move(grey));
  }
  gst_element_set_state(pipeline.get(), GST_STATE_NULL);
  return frames;
}

double MeanDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i)
    sum += std::abs(a[i] - b[i]);
  return sum / static_cast<double>(a.size());
}

TEST(BackgroundVideo, MovesCalmlyAndLoopsWithoutAJump) {
  ASSERT_TRUE(gst::EnsureInitialized());
  testing::TempDir dir;
  const std::string clip = dir.File("video.mpg");
  ASSERT_EQ(QProcess::execute(QStringLiteral(LYROVOX_MAKE_BACKGROUND),
                              {QString::fromStdString(clip), QStringLiteral("2")}),
            0);
  const auto frames = Frames(clip);
  ASSERT_EQ(frames.size(), 50u);  // 2 s at 25 fps

  double largestStep = 0;
  for (size_t i = 1; i < frames.size(); ++i) {
    largestStep = std::max(largestStep, MeanDifference(frames[i - 1], frames[i]));
  }
  const double wrap = MeanDifference(frames.back(), frames.front());
  const double halfway = MeanDifference(frames.front(), frames[frames.size() / 2]);
  EXPECT_GT(halfway, 4 * largestStep) << "the colours move";
  EXPECT_LT(wrap, 2 * largestStep + 0.5) << "the last frame leads into the first";
  EXPECT_LT(largestStep, 12.0) << "no jumps inside the clip";
}

TEST(BackgroundVideo, IsFoundInTheProgramFolderThenTheDataFolderWhateverItsCase) {
  testing::TempDir dir;
  const QString program = QString::fromStdString(dir.File("bin"));
  const QString data = QString::fromStdString(dir.File("share"));
  EXPECT_TRUE(FindDefaultBackgroundVideo(program, data).isEmpty());
  const QString wmv = QString::fromStdString(dir.Write("share/Video.WMV", "x"));
  EXPECT_EQ(FindDefaultBackgroundVideo(program, data), wmv);
  const QString installed = QString::fromStdString(dir.Write("share/video.mpg", "x"));
  EXPECT_EQ(FindDefaultBackgroundVideo(program, data), installed);
  const QString beside = QString::fromStdString(dir.Write("bin/VIDEO.MPG", "x"));
  EXPECT_EQ(FindDefaultBackgroundVideo(program, data), beside);
}

}  // namespace
}  // namespace lyrovox

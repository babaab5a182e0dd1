// One Qt application per test process and sinks that need no sound card: every test captures the
// sound that reaches the element named "capture", which keeps time with the clock.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <memory>

#include "media/gst_handles.h"

namespace {

class MediaEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    setenv("LYROVOX_AUDIO_SINK", "fakesink name=capture sync=true", 1);
    unsetenv("LYROVOX_VIDEO_SINK");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    app_ = std::make_unique<QApplication>(argc_, argv_);
    ASSERT_TRUE(lyrovox::gst::EnsureInitialized());
  }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[16] = "media_tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new MediaEnvironment);

}  // namespace

// One Qt widgets application per test process, on the offscreen platform with two screens side by
// side: a 1280 x 720 primary and a 1920 x 1080 one to its right.

#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <cstdlib>
#include <memory>

#include "support/temp_dir.h"

namespace {

constexpr char kScreens[] =
    R"({"screens": [{"name": "primary", "x": 0, "y": 0, "width": 1280, "height": 720},)"
    R"( {"name": "second", "x": 1280, "y": 0, "width": 1920, "height": 1080}]})";

class WidgetEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen") {
      const std::string config = dir_.Write("screens.json", kScreens);
      setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).c_str(), 1);
    }
    app_ = std::make_unique<QApplication>(argc_, argv_);
  }
  void TearDown() override { app_.reset(); }

 private:
  lyrovox::testing::TempDir dir_;
  int argc_ = 1;
  char name_[16] = "widget_tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new WidgetEnvironment);

}  // namespace

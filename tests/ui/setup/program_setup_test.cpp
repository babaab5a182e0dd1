// The program as it is put together: the frame's Setup opens the setup sheet, whose OK reaches
// the user's profile.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTabWidget>

#include "app/program.h"
#include "controller/main_frame.h"
#include "setup_rig.h"
#include "support/temp_dir.h"
#include "ui/setup/midi_dvd_setup.h"

namespace lyrovox {
namespace {

TEST(ProgramSetup, TheFramesSetupShowsTheSheetAndOkWritesTheProfile) {
  testing::TempDir dir;
  ProgramOptions options;
  options.profilePath = QString::fromStdString(dir.File("LyroVox.conf"));
  options.programFolder = QString::fromStdString(dir.path());  // no background video
  options.systemTemp = QString::fromStdString(dir.path());
  options.splash = false;
  options.ctrlHeld = false;
  Program program(options);
  ASSERT_TRUE(program.Start());

  const QString dvd = QString::fromStdString(dir.path()) + "/dvd";
  testing::WhenSheetShows([&](CSetupSheet& sheet) {
    sheet.tabs()->setCurrentIndex(3);
    sheet.dvd().locationEdit()->setText(dvd);
    sheet.accept();
  });
  program.frame().ApplySetup(&program.videoWindow());
  EXPECT_EQ(SettingsStore(options.profilePath).ReadString(SettingKey::kCustom1DvdLocation), dvd);
  program.Shutdown();
}

}  // namespace
}  // namespace lyrovox

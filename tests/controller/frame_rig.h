#pragma once

// A main frame on the fake screen, panel, players and message port, with songs written into a
// temporary folder: the fixture the controller's tests share.

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <memory>
#include <string>

#include "controller/main_frame.h"
#include "fakes.h"
#include "support/temp_dir.h"

namespace lyrovox::testing {

class FrameRig : public ::testing::Test {
 protected:
  // withSurfaces: the frame also gets the screen surfaces and the video window, and every fake
  // writes its calls into `calls`, in order.
  void MakeFrame(const Settings& settings, bool withSurfaces = false) {
    audio = nullptr;
    audioPlayersMade = 0;
    CMainFrame::Parts parts;
    parts.screen = &screen;
    parts.panel = &panel;
    parts.videoPlayer = &video;
    parts.messages = &messages;
    if (withSurfaces) {
      parts.surfaces = &surfaces;
      parts.videoArea = &window;
    }
    parts.writeSetting = [this](const QString& key, const QString& value) {
      written << key + "=" + value;
    };
    parts.makeAudioPlayer = [this]() -> std::unique_ptr<IAudioPlayer> {
      ++audioPlayersMade;
      auto p = std::make_unique<FakeAudioPlayer>();
      audio = p.get();
      audio->log = screen.log;
      if (!audioWorks) audio->graphWorks = false;
      return p;
    };
    frame = std::make_unique<CMainFrame>(std::move(parts), settings);
    frame->setDefaultBackgroundVideo("/opt/lyrovox/video.mpg");
    if (withSurfaces) {
      for (CallLog* log : {&screen.log, &surfaces.log, &panel.log, &video.log})
        log->calls = &calls;
    }
  }

  QString Song(const std::string& name, const std::string& bytes = "x") {
    return QString::fromStdString(dir.Write(name, bytes));
  }

  TempDir dir;
  QStringList calls;
  FakeScreen screen;
  FakeSurfaces surfaces;
  FakeVideoWindow window;
  FakePanel panel;
  FakeVideoPlayer video;
  FakeMessages messages;
  QStringList written;
  FakeAudioPlayer* audio = nullptr;
  int audioPlayersMade = 0;
  bool audioWorks = true;
  std::unique_ptr<CMainFrame> frame;
};

}  // namespace lyrovox::testing

#pragma once

// A main frame on the fake screen, panel, players and message port, with songs written into a
// temporary folder: the fixture the controller's tests share.

#include <gtest/gtest.h>

#include <QDir>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>

#include "common/smf_builder.h"
#include "controller/main_frame.h"
#include "fakes.h"
#include "support/temp_dir.h"

namespace lyrovox::testing {

// A small MIDI karaoke song with a title and one syllable.
inline std::string Kar(const std::string& title) {
  smf::File f(1, 480);
  f.AddTrack().Text(0, "@T" + title).Text(480, "\\La").Note(0, 960, 0, 60, 90);
  return f.Encode();
}

class FrameRig : public ::testing::Test {
 protected:
  // withSurfaces: the frame also gets the screen surfaces and the video window, and every fake
  // writes its calls into `calls`, in order. The settings store writes to a profile file in the
  // test's folder.
  void MakeFrame(const Settings& settings, bool withSurfaces = false) {
    audio = nullptr;
    audioPlayersMade = 0;
    frame.reset();
    store->values() = settings;
    screen.settings = &store->values();
    CMainFrame::Parts parts;
    parts.screen = lyricScreen != nullptr ? lyricScreen : &screen;
    parts.videoPlayer = &video;
    parts.messages = &messages;
    parts.tempFolder = QString::fromStdString(dir.path()) + "/tmp/";
    QDir().mkpath(parts.tempFolder);
    if (withSurfaces) parts.surfaces = &surfaces;
    parts.makeAudioPlayer = [this]() -> std::unique_ptr<IAudioPlayer> {
      ++audioPlayersMade;
      auto p = std::make_unique<FakeAudioPlayer>();
      audio = p.get();
      audio->log = screen.log;
      if (!audioWorks) audio->graphWorks = false;
      audio->startsLater = audioStartsLater;
      return p;
    };
    frame = std::make_unique<CMainFrame>(std::move(parts), *store);
    CMainFrame::Windows windows;
    windows.panel = &panel;
    windows.songList = &songList;
    windows.reservedList = &reserved;
    windows.fileDialogs = &dialogs;
    windows.setupSheet = &sheet;
    if (withSurfaces) windows.videoWindow = &window;
    frame->Attach(windows);
    frame->setDefaultBackgroundVideo("/opt/lyrovox/video.mpg");
    if (withSurfaces) {
      for (CallLog* log : {&screen.log, &surfaces.log, &panel.log, &video.log})
        log->calls = &calls;
    }
  }

  QString ProfilePath() const { return QString::fromStdString(dir.path()) + "/LyroVox.conf"; }
  // What the profile file holds for a key of section "Setup" (a fresh reader of the file).
  QString Profile(const char* key) const {
    return QSettings(ProfilePath(), QSettings::IniFormat)
        .value(QString("Setup/") + key, QString("<none>"))
        .toString();
  }

  QString Song(const std::string& name, const std::string& bytes = "x") {
    return QString::fromStdString(dir.Write(name, bytes));
  }

  TempDir dir;
  QStringList calls;
  FakeScreen screen;
  // When set before MakeFrame, the frame draws on this screen instead of the fake one.
  ILyricScreen* lyricScreen = nullptr;
  FakeSurfaces surfaces;
  FakeVideoWindow window;
  FakePanel panel;
  FakeVideoPlayer video;
  FakeMessages messages;
  FakeSongList songList;
  FakeReservedList reserved;
  FakeFileDialogs dialogs;
  FakeSetupSheet sheet;
  FakeAudioPlayer* audio = nullptr;
  int audioPlayersMade = 0;
  bool audioWorks = true;
  // The audio player made by the frame answers Play with its start on its way.
  bool audioStartsLater = false;
  // One store for the fixture's life, so that a real screen made with its values outlives
  // every frame made.
  std::unique_ptr<SettingsStore> store = std::make_unique<SettingsStore>(ProfilePath());
  std::unique_ptr<CMainFrame> frame;
};

}  // namespace lyrovox::testing

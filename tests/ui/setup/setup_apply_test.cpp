// The setup sheet opened from the controller, end to end: what is changed in the sheet's
// controls reaches the profile (a real settings file in a temporary folder), the lyrics screen,
// the players and the number lookup; OK without a change and Cancel leave everything as it was.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTabWidget>
#include <cmath>
#include <functional>
#include <memory>
#include <string>

#include "common/smf_builder.h"
#include "controller/frame_rig.h"
#include "controller/main_frame.h"
#include "screen/lyric_screen.h"
#include "setup_rig.h"
#include "support/temp_dir.h"
#include "ui/setup/audio_setup_page.h"
#include "ui/setup/color_swatch.h"
#include "ui/setup/display_setup.h"
#include "ui/setup/midi_dvd_setup.h"
#include "ui/setup/songs_location_dlg.h"

namespace lyrovox {
namespace {

enum Page { kDisplay, kAudio, kSongs, kDvd };

std::string KarBytes(const std::string& title) {
  smf::File f(1, 480);
  f.AddTrack().Text(0, "@T" + title).Text(480, "\\Hel").Text(960, "lo");
  return f.Encode();
}

// The controller's rig with the real lyrics screen and the real setup sheet.
class SetupApplyTest : public testing::FrameRig {
 protected:
  SetupApplyTest() {
    lyrics.SetScreenSize(1920, 1080);
    lyrics.ApplyFontSettings(0);
    lyricScreen = &lyrics;
    MakeFrame(Settings{});
    CMainFrame::Windows windows = frame->windows();
    windows.setupSheet = &sheetPort;
    frame->Attach(windows);
  }

  QString Path(const std::string& name) const { return QString::fromStdString(dir.File(name)); }
  // The profile as a new start of the program reads it.
  Settings Reread() const {
    SettingsStore fresh(ProfilePath());
    fresh.ReadAtStartUp(QSize(1920, 1080), false);
    return fresh.values();
  }
  // The control panel's Setup: the sheet opens and `act` is done in it.
  void Setup(std::function<void(CSetupSheet&)> act) {
    testing::WhenSheetShows(std::move(act));
    frame->ApplySetup(nullptr);
  }
  // An audio song over the background, from a "Korean" folder (language 14).
  void PlayKoreanSong() {
    frame->PlaySong(Song("Korean/first.kar", KarBytes("First")));
    ASSERT_EQ(frame->playerKind(), kPlayerKindAudio);
    video.calls.clear();
  }
  bool BackgroundRestarted() const { return video.calls.contains("graph"); }

  CLyricScreen lyrics{store->values()};
  testing::ScriptedDialogs scripted;
  SetupSheetPort sheetPort{scripted, messages};
};

TEST_F(SetupApplyTest, DisplayChangesReachTheScreenAndTheNextSong) {
  PlayKoreanSong();
  scripted.colors = {0x00FF00};
  Setup([](CSetupSheet& s) {
    CDisplaySetup& page = s.display();
    page.codePageBox()->setCurrentIndex(13);
    const int serif = page.fontBox()->findText("Liberation Serif");
    page.fontBox()->setCurrentIndex(serif);
    emit page.fontBox()->activated(serif);
    page.sizeBox()->SetText("90");
    page.colorButton(0)->click();
    page.shadowBox()->click();
    s.accept();
  });

  const Settings saved = Reread();
  EXPECT_EQ(saved.codePage, 13);
  EXPECT_EQ(saved.defaultFontName, "Liberation Serif");
  EXPECT_EQ(saved.defaultFontSizeValue, 90);
  EXPECT_EQ(saved.lyricColorMale, 0x00FF00u);
  EXPECT_EQ(saved.hasShadow, 0);
  // The next frame is drawn with the new face, size (90 points, less the 6 pixels Korean lyrics
  // are made smaller by) and colour.
  const double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchY();
  EXPECT_EQ(lyrics.LyricFont().families().value(0), "Liberation Serif");
  EXPECT_EQ(lyrics.FontPixels(), std::lround(90 * std::lround(dpi) / 72.0) - 6);
  EXPECT_EQ(lyrics.MaleColor(), 0x00FF00u);
  EXPECT_FALSE(BackgroundRestarted());
  // The playing song keeps its language; the next one takes the chosen code page.
  EXPECT_EQ(frame->lyricStore().language, 14);
  frame->PlaySong(Song("Korean/second.kar", KarBytes("Second")));
  EXPECT_EQ(frame->lyricStore().language, 13);
  EXPECT_EQ(frame->lyricStore().codePage, 932);
}

TEST_F(SetupApplyTest, BackgroundChangesRestartTheBackgroundWithThem) {
  PlayKoreanSong();
  const QString custom = Song("videos/Night.mpg");
  scripted.colors = {0x0000FF};
  scripted.files = {QStringList{custom}};
  Setup([](CSetupSheet& s) {
    s.tabs()->setCurrentIndex(kAudio);
    CAudioSetupPage& page = s.audio();
    page.sourceBox()->setCurrentIndex(2);
    page.colorSwatch()->click();
    page.selectButton()->click();
    page.aspectBox()->click();
    s.accept();
  });
  Settings saved = Reread();
  EXPECT_EQ(saved.background, 2);
  EXPECT_EQ(saved.backGroundVideoColor, 0x0000FFu);
  EXPECT_EQ(saved.backgroundVideo, custom);
  EXPECT_EQ(saved.aspect, 1);
  EXPECT_TRUE(BackgroundRestarted());
  EXPECT_EQ(video.sourceKind, 2);
  EXPECT_FALSE(video.stretch);
  EXPECT_EQ(video.fileName, frame->defaultBackgroundVideo());  // a solid colour plays the default

  // Back to the video source: the custom video plays.
  video.calls.clear();
  Setup([](CSetupSheet& s) {
    s.tabs()->setCurrentIndex(kAudio);
    s.audio().sourceBox()->setCurrentIndex(0);
    s.accept();
  });
  EXPECT_EQ(Reread().background, 0);
  EXPECT_TRUE(BackgroundRestarted());
  EXPECT_EQ(video.sourceKind, 0);
  EXPECT_EQ(video.fileName, custom);
}

TEST_F(SetupApplyTest, AudioChangesReachThePlayersAndTheNextVideoFile) {
  PlayKoreanSong();
  Setup([](CSetupSheet& s) {
    s.tabs()->setCurrentIndex(kAudio);
    CAudioSetupPage& page = s.audio();
    page.channelBox()->setCurrentIndex(1);
    page.trackBox()->setCurrentIndex(1);
    page.originalVideoBox()->click();
    page.fullScreenBox()->click();
    s.accept();
  });
  const Settings saved = Reread();
  EXPECT_EQ(saved.audioChannel, 1);
  EXPECT_EQ(saved.audioTrack, 1);
  EXPECT_EQ(saved.useOriginalVideo, 0);
  EXPECT_EQ(saved.fullScreen, 1);
  ASSERT_NE(audio, nullptr);
  EXPECT_EQ(audio->channel, 1);
  EXPECT_EQ(video.channel, 1);
  EXPECT_EQ(panel.channel, 1);
  EXPECT_EQ(video.requestedTrack, 1);
  EXPECT_FALSE(BackgroundRestarted());
  // Without original videos a video file plays as an audio song.
  const QString clip = Song("clips/clip.mpg");
  frame->PlaySong(clip);
  EXPECT_EQ(frame->playerKind(), kPlayerKindAudio);
  EXPECT_EQ(audio->fileName, clip);
}

TEST_F(SetupApplyTest, SongsFoldersAreSavedInListOrderAndUsedForNumbers) {
  const QString first = Path("one");
  const QString middle = Path("two");
  const QString last = Path("three");
  Song("three/Singer - 123456 - Last Folder.kar", KarBytes("Found In The Third"));
  scripted.folders = {first, middle, last};
  Setup([](CSetupSheet& s) {
    s.tabs()->setCurrentIndex(kSongs);
    CSongsLocationDlg& page = s.songs();
    for (int i = 0; i < 3; ++i)
      page.addButton()->click();
    page.folderList()->setCurrentRow(1);
    page.removeButton()->click();
    s.accept();
  });
  const Settings saved = Reread();
  EXPECT_EQ(saved.songsLocation1, first);
  EXPECT_EQ(saved.songsLocation2, last);
  EXPECT_EQ(saved.songsLocation3, "");

  for (QChar digit : QString("123456"))
    frame->OnSongNumberChar(digit);
  EXPECT_EQ(lyrics.TypedSongTitle(), "Found In The Third");
}

TEST_F(SetupApplyTest, TheDvdFolderFindsItsDataFileAtOnce) {
  const QString dvd = Path("dvd");
  Song("dvd/HOTDOG00.DAT");
  scripted.folders = {dvd};
  Setup([](CSetupSheet& s) {
    s.tabs()->setCurrentIndex(kDvd);
    s.dvd().browseButton()->click();
    s.accept();
  });
  EXPECT_EQ(Reread().custom1DvdLocation, dvd);
  EXPECT_EQ(frame->dvdDataFile(), dvd + "/HOTDOG00.DAT");
}

// Every key of section "Setup" and its text in the profile file.
QMap<QString, QString> ProfileKeys(const QString& path) {
  QSettings profile(path, QSettings::IniFormat);
  profile.beginGroup("Setup");
  QMap<QString, QString> keys;
  for (const QString& key : profile.childKeys())
    keys[key] = profile.value(key).toString();
  return keys;
}

TEST_F(SetupApplyTest, OkWithoutAChangeWritesTheSameAndCancelWritesNothing) {
  Settings& values = store->values();
  values.codePage = 0;          // the song's folder decides
  values.defaultFontName = "";  // the screen's own face
  values.defaultFontSizeValue = 75;
  values.background = 1;
  values.songsLocation1 = Path("songs");
  values.custom1DvdLocation = Path("dvd");
  values.audioChannel = 2;
  for (int k = 0; k < kSettingCount; ++k)
    store->Write({static_cast<SettingKey>(k)});
  PlayKoreanSong();
  const QMap<QString, QString> before = ProfileKeys(ProfilePath());
  ASSERT_EQ(before.size(), kSettingCount);

  Setup([](CSetupSheet& s) {
    for (int page : {kAudio, kSongs, kDvd, kDisplay})
      s.tabs()->setCurrentIndex(page);
    s.accept();
  });
  EXPECT_EQ(ProfileKeys(ProfilePath()), before);
  EXPECT_FALSE(BackgroundRestarted());
  EXPECT_EQ(frame->lyricStore().language, 14);

  QFile file(ProfilePath());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  file.close();
  Setup([](CSetupSheet& s) {
    s.display().codePageBox()->setCurrentIndex(5);
    s.tabs()->setCurrentIndex(kAudio);
    s.audio().sourceBox()->setCurrentIndex(0);
    s.reject();
  });
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), bytes);
  EXPECT_EQ(frame->settings().codePage, 0);
  EXPECT_EQ(frame->settings().background, 1);
  EXPECT_FALSE(BackgroundRestarted());
}

}  // namespace
}  // namespace lyrovox

// The settings store over a profile file in a temporary folder: defaults, the start-up
// corrections, typed reads of damaged values, and writes that never leave a broken file.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QFile>
#include <QPoint>
#include <QRect>
#include <QSettings>
#include <csignal>

#include "controller/settings_store.h"
#include "support/temp_dir.h"

namespace lyrovox {
namespace {

class SettingsStoreTest : public ::testing::Test {
 protected:
  // Each profile written gets a folder of its own: the settings reader caches files by name, size
  // and time, and a rewrite of the same size within the same instant could read as the one before.
  QString Path() const {
    return QString::fromStdString(dir.path()) + QString("/%1/TuneWell/LyroVox.conf").arg(profiles);
  }
  void WriteProfile(const std::string& text) {
    ++profiles;
    dir.Write(std::to_string(profiles) + "/TuneWell/LyroVox.conf", text);
  }
  std::string ProfileBytes() const {
    QFile file(Path());
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("<none>");
  }
  Settings ReadAtStartUp(QSize display = {1920, 1080}, bool ctrl = false) {
    SettingsStore store(Path());
    store.ReadAtStartUp(display, ctrl);
    return store.values();
  }

  testing::TempDir dir;
  int profiles = 0;
};

TEST_F(SettingsStoreTest, AMissingOrEmptyProfileGivesTheDefaults) {
  for (const char* profile : {static_cast<const char*>(nullptr), "", "[Setup]\n"}) {
    if (profile != nullptr) WriteProfile(profile);
    const Settings s = ReadAtStartUp();
    EXPECT_EQ(s.reservedListEnable, 1);
    EXPECT_EQ(s.useOriginalVideo, 1);
    EXPECT_EQ(s.backGroundVideoColor, 0xFF0000u);
    EXPECT_EQ(s.lyricColorMale, 0xEE0000u);
    EXPECT_EQ(s.lyricColorFemale, 0x1E1EFFu);
    EXPECT_EQ(s.lyricColorDuet, 0xFF32FFu);
    EXPECT_EQ(s.hasShadow, 1);
    EXPECT_EQ(s.defaultFontSizeValue, 70);
    // Without places of their own the windows open side by side (the video window below the
    // reserved list, not over it), at their default sizes.
    EXPECT_EQ(QRect(s.videoLeft, s.videoTop, s.videoWidth, s.videoHeight), QRect(0, 371, 408, 346));
    EXPECT_EQ(QPoint(s.playListLeft, s.playListTop), QPoint(417, 0));
    EXPECT_EQ(QPoint(s.playerLeft, s.playerTop), QPoint(0, 0));
    EXPECT_EQ(s.playListShow, 5);
    EXPECT_TRUE(s.songsLocation1.isEmpty() && s.backgroundVideo.isEmpty());
  }
  EXPECT_EQ(ProfileBytes(), "[Setup]\n");  // reading writes nothing
}

TEST_F(SettingsStoreTest, ValuesRoundTripThroughTheProfileFile) {
  {
    SettingsStore store(Path());
    EXPECT_TRUE(store.WriteInt(SettingKey::kCodePage, 14));
    EXPECT_TRUE(store.WriteInt(SettingKey::kLyricColorDuet, 0x123456));
    EXPECT_TRUE(store.WriteString(SettingKey::kSongsLocation2, "/Bài hát/a, b \"x\""));
    store.values().playerLeft = 300;
    store.values().playerTop = 40;
    EXPECT_TRUE(store.Write({SettingKey::kPlayerLeft, SettingKey::kPlayerTop}));
  }
  // Another reader of the file sees the keys of section "Setup".
  QSettings other(Path(), QSettings::IniFormat);
  EXPECT_EQ(other.value("Setup/CodePage").toString(), "14");
  EXPECT_EQ(other.value("Setup/LyricColorDuet").toInt(), 0x123456);
  const Settings s = ReadAtStartUp();
  EXPECT_EQ(s.codePage, 14);
  EXPECT_EQ(s.lyricColorDuet, 0x123456u);
  EXPECT_EQ(s.songsLocation2, "/Bài hát/a, b \"x\"");
  EXPECT_EQ(QPoint(s.playerLeft, s.playerTop), QPoint(300, 40));
}

// Saved places stay as they are while the window's top band is wholly on a screen; others are
// moved onto the screen the window is most on, wholly where it fits.
TEST_F(SettingsStoreTest, SavedPlacesStayWhileTheyCanBeGrabbedAndOthersComeBackOnAScreen) {
  const QRect hd(0, 0, 1920, 1080);
  const QRect laptop(1920, 0, 1366, 768);
  struct Case {
    const char* profile;
    std::vector<ScreenArea> screens;
    QPoint player;
    QRect video;
  };
  const Case cases[] = {
      {"Player_Left=5000\nPlayer_Top=-20\n", {{hd, hd}}, {1504, 0}, {0, 371, 408, 346}},
      {"Player_Top=5000\nVideo_Left=1721\nVideo_Top=981\n",
       {{hd, hd}},
       {0, 710},
       {1512, 734, 408, 346}},
      // Its top band on the screen: kept; one pixel of it off: brought back whole.
      {"Video_Left=0\nVideo_Top=980\n", {{hd, hd}}, {0, 0}, {0, 980, 408, 346}},
      {"Video_Left=0\nVideo_Top=1057\n", {{hd, hd}}, {0, 0}, {0, 734, 408, 346}},
      {"Video_Left=-1\nVideo_Top=100\n", {{hd, hd}}, {0, 0}, {0, 100, 408, 346}},
      // On the second screen: kept there; past its right edge: brought back onto it.
      {"Player_Left=1920\nPlayer_Top=0\nVideo_Left=2500\nVideo_Top=300\n",
       {{hd, hd}, {laptop, laptop}},
       {1920, 0},
       {2500, 300, 408, 346}},
      {"Video_Left=3200\nVideo_Top=300\n",
       {{hd, hd}, {laptop, laptop}},
       {0, 0},
       {2878, 300, 408, 346}},
      {"Video_Width=100\nVideo_Height=500\n", {{hd, hd}}, {0, 0}, {0, 371, 408, 346}},
      {"Video_Width=640\nVideo_Height=89\n", {{hd, hd}}, {0, 0}, {0, 371, 408, 346}},
      {"Video_Width=102\nVideo_Height=90\n", {{hd, hd}}, {0, 0}, {0, 371, 102, 90}},
      // A window never larger than the display.
      {"Video_Width=2147483647\nVideo_Height=99999\n",
       {{QRect(0, 0, 1280, 720), QRect(0, 0, 1280, 720)}},
       {0, 0},
       {0, 0, 1280, 720}},
      // A display smaller than the windows keeps them at its top left.
      {"Player_Left=50\n",
       {{QRect(0, 0, 150, 90), QRect(0, 0, 150, 90)}},
       {0, 0},
       {0, 0, 408, 346}},
  };
  for (const Case& c : cases) {
    WriteProfile(std::string("[Setup]\n") + c.profile);
    SettingsStore store(Path());
    store.ReadAtStartUp(c.screens, false);
    const Settings& s = store.values();
    EXPECT_EQ(QPoint(s.playerLeft, s.playerTop), c.player) << c.profile;
    EXPECT_EQ(QRect(s.videoLeft, s.videoTop, s.videoWidth, s.videoHeight), c.video) << c.profile;
  }
}

// A first start lays the windows out side by side on the primary screen's free area: the control
// panel with the reserved list below it, the play list beside them, the video window below.
TEST_F(SettingsStoreTest, AFirstStartOpensNoWindowOverAnother) {
  const struct {
    QRect screen;
    QRect free;
  } screens[] = {
      {{0, 0, 1920, 1080}, {0, 0, 1920, 1080}},         {{0, 0, 1366, 768}, {0, 0, 1366, 768}},
      {{0, 0, 1366, 768}, {0, 27, 1366, 741}},  // a desktop panel along the top
      {{0, 0, 1366, 768}, {0, 0, 1366, 720}},   // a task bar along the bottom
      {{1920, 200, 1366, 768}, {1920, 200, 1366, 768}},
  };
  for (const auto& screen : screens) {
    SettingsStore store(Path());  // no profile
    store.ReadAtStartUp({{screen.screen, screen.free}}, false);
    const Settings& s = store.values();
    const QRect panel(s.playerLeft, s.playerTop, 416, 181);
    const QRect reserved(s.playerLeft, s.playerTop + 180, 416, 190);
    const QRect playList(s.playListLeft, s.playListTop, 416, 480);
    const QRect video(s.videoLeft, s.videoTop, s.videoWidth, s.videoHeight);
    EXPECT_EQ(panel.topLeft(), screen.free.topLeft());
    const std::pair<QRect, QRect> pairs[] = {{panel, playList},
                                             {panel, video},
                                             {reserved, playList},
                                             {reserved, video},
                                             {playList, video}};
    for (const auto& [a, b] : pairs)
      EXPECT_FALSE(a.intersects(b)) << screen.free.width() << "x" << screen.free.height();
    for (const QRect& window : {panel, reserved, playList, video})
      EXPECT_TRUE(screen.free.contains(window))
          << screen.free.width() << "x" << screen.free.height();
  }
}

TEST_F(SettingsStoreTest, CtrlHeldPutsEveryWindowAtItsDefaultPlaceForThisRunOnly) {
  const std::string profile =
      "[Setup]\nPlayer_Left=100\nPlayer_Top=50\nPlayList_Left=600\nPlayList_Show=0\n"
      "Video_Left=30\nVideo_Width=800\nVideo_Height=600\nFullScreen=1\nCodePage=3\n";
  WriteProfile(profile);
  const Settings s = ReadAtStartUp({1920, 1080}, true);
  EXPECT_EQ(QPoint(s.playerLeft, s.playerTop), QPoint(0, 0));
  EXPECT_EQ(QPoint(s.playListLeft, s.playListTop), QPoint(417, 0));
  EXPECT_EQ(s.playListShow, 5);
  EXPECT_EQ(QRect(s.videoLeft, s.videoTop, s.videoWidth, s.videoHeight), QRect(0, 371, 408, 346));
  EXPECT_EQ(s.fullScreen, 0);
  EXPECT_EQ(s.codePage, 3);  // other settings are read as usual
  EXPECT_EQ(ProfileBytes(), profile);
}

TEST_F(SettingsStoreTest, DamagedOrHostileProfilesReadAsDefaultsWhereTheyDoNotParse) {
  const std::string cases[] = {
      "[Setup]\nCodePage=abc\nHasShadow=\nDefaultFontSizeValue=70px\nAspect=1.5\n",
      "[Setup]\nCodePage=99999999999999999999\nHasShadow=@Variant(\\0\\0\\0\\x7f)\n",
      "[Setup]\nCodePage=@ByteArray(3)\nHasShadow=\"1\n",
      std::string("\x00\xff\xfe[Setup\n\x01=\x02\n", 14) + std::string(5000, '\xc3'),
      "[Setup]\n" + std::string(100000, '=') + "\n",
  };
  for (const std::string& profile : cases) {
    WriteProfile(profile);
    const Settings s = ReadAtStartUp();
    EXPECT_EQ(s.codePage, 0) << profile.substr(0, 60);
    EXPECT_EQ(s.hasShadow, 1);
    EXPECT_EQ(s.defaultFontSizeValue, 70);
    EXPECT_EQ(s.aspect, 0);
  }
  // A value with spaces around it still reads; an unquoted comma list reads back whole.
  WriteProfile("[Setup]\nCodePage= 5 \nSongsLocation1=/a, b\n");
  const Settings s = ReadAtStartUp();
  EXPECT_EQ(s.codePage, 5);
  EXPECT_EQ(s.songsLocation1, "/a, b");
}

TEST_F(SettingsStoreTest, AWriteThatFailsKeepsThePreviousFile) {
  SettingsStore store(Path());
  ASSERT_TRUE(store.WriteInt(SettingKey::kCodePage, 2));
  const std::string before = ProfileBytes();

  // As on a full disk: files may not grow past a few bytes while the write runs.
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit tiny = old;
  tiny.rlim_cur = 8;
  setrlimit(RLIMIT_FSIZE, &tiny);
  const bool written = store.WriteString(SettingKey::kSongsLocation1, "/a/long/folder/name");
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(written);
  EXPECT_EQ(ProfileBytes(), before);
  EXPECT_EQ(store.values().songsLocation1, "/a/long/folder/name");  // kept in memory
}

TEST_F(SettingsStoreTest, AStoreWithoutAProfileKeepsItsValuesInMemory) {
  SettingsStore store{QString()};
  store.ReadAtStartUp({1920, 1080}, false);
  EXPECT_TRUE(store.WriteInt(SettingKey::kCodePage, 7));
  EXPECT_EQ(store.values().codePage, 7);
  EXPECT_EQ(store.ReadInt(SettingKey::kCodePage), 0);  // nothing was written anywhere
}

}  // namespace
}  // namespace lyrovox

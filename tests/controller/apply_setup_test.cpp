// The setup sheet's caller side: the values the sheet is filled with, what its OK writes, and
// what takes effect at once.

#include <gtest/gtest.h>

#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "common/smf_builder.h"
#include "frame_rig.h"

namespace lyrovox {
namespace {

std::string KarBytes(const std::string& title) {
  smf::File f(1, 480);
  f.AddTrack().Text(0, "@T" + title).Text(480, "\\Hel").Text(960, "lo");
  return f.Encode();
}

// Settings away from the defaults, so that a value that is not carried through shows.
Settings Customised() {
  Settings s;
  s.codePage = 0;
  s.defaultFontName = "DejaVu Serif";
  s.defaultFontSizeValue = 80;
  s.lyricColorMale = 0x102030;
  s.lyricColorFemale = 0x405060;
  s.lyricColorDuet = 0x708090;
  s.hasShadow = 0;
  s.background = 2;
  s.backGroundVideoColor = 0x00FF00;
  s.aspect = 1;
  s.useOriginalVideo = 0;
  s.fullScreen = 1;
  s.audioChannel = 2;
  s.audioTrack = 1;
  s.songsLocation1 = "/songs/one";
  s.songsLocation2 = "/songs/two";
  s.songsLocation3 = "";
  s.custom1DvdLocation = "/dvd";
  return s;
}

// The eighteen keys the sheet's OK writes, with the values of Customised() as the profile holds
// them (colours as their decimal integer).
const std::vector<std::pair<const char*, QString>> kCustomisedProfile = {
    {"Background", "2"},
    {"Aspect", "1"},
    {"FullScreen", "1"},
    {"CodePage", "0"},
    {"AudioChannel", "2"},
    {"AudioTrack", "1"},
    {"UseOriginalVideo", "0"},
    {"DefaultFontName", "DejaVu Serif"},
    {"SongsLocation1", "/songs/one"},
    {"SongsLocation2", "/songs/two"},
    {"SongsLocation3", ""},
    {"Custom1DVDLocation", "/dvd"},
    {"BackGroundVideoColor", "65280"},
    {"LyricColorMale", "1056816"},
    {"LyricColorFemale", "4214880"},
    {"LyricColorDuet", "7372944"},
    {"HasShadow", "0"},
    {"DefaultFontSizeValue", "80"},
};

class ApplySetupTest : public testing::FrameRig {
 protected:
  // An audio song from a "Korean" folder plays over the background (language 14).
  void PlayKoreanSong(const Settings& settings) {
    MakeFrame(settings);
    frame->PlaySong(Song("Korean/a.kar", KarBytes("A")));
    ASSERT_EQ(frame->playerKind(), kPlayerKindAudio);
    ASSERT_EQ(screen.fontLanguage, 14);
    video.calls.clear();
  }
  bool BackgroundRestarted() const { return video.calls.contains("graph"); }
};

TEST_F(ApplySetupTest, OkWithoutAChangeWritesTheSameValuesAndRestartsNothing) {
  PlayKoreanSong(Customised());
  // The panel chose the first track and the left channel for the playing song.
  frame->SelectAudioTrack(0);
  audio->channel = video.channel = 1;
  video.calls.clear();
  frame->ApplySetup(nullptr);

  for (const auto& [key, value] : kCustomisedProfile)
    EXPECT_EQ(Profile(key), value) << key;
  EXPECT_EQ(Profile("BackgroundVideo"), "<none>");
  EXPECT_FALSE(BackgroundRestarted());
  EXPECT_EQ(video.requestedTrack, 0);
  EXPECT_EQ(audio->channel, 1);
  EXPECT_EQ(video.channel, 1);
  // The playing song keeps its language and code page.
  EXPECT_EQ(screen.fontLanguage, 14);
  EXPECT_EQ(frame->lyricStore().codePage, 949);
}

TEST_F(ApplySetupTest, EachChangeTakesEffectAndOnlyTheBackgroundsRestartIt) {
  const QString customVideo = Song("bg/Custom Video.mpg");
  struct Case {
    const char* name;
    int background;  // the source before the sheet opens
    std::function<void(SetupValues&)> change;
    bool restarts;
    std::function<void()> check;
  };
  const std::vector<Case> cases = {
      {"background video", 2, [&](SetupValues& v) { v.backgroundVideo = customVideo; }, true,
       [&] {
         EXPECT_EQ(Profile("BackgroundVideo"), customVideo);
         EXPECT_EQ(frame->settings().backgroundVideo, customVideo);
       }},
      {"aspect", 2, [](SetupValues& v) { v.aspect = false; }, true,
       [this] {
         EXPECT_TRUE(video.stretch);
         EXPECT_EQ(Profile("Aspect"), "0");
       }},
      {"source", 2, [](SetupValues& v) { v.background = 1; }, true,
       [this] { EXPECT_EQ(video.sourceKind, 1); }},
      {"solid colour shown", 2, [](SetupValues& v) { v.solidColor = 0x0000FF; }, true,
       [this] { EXPECT_EQ(Profile("BackGroundVideoColor"), "255"); }},
      {"solid colour not shown", 0, [](SetupValues& v) { v.solidColor = 0x0000FF; }, false,
       [this] { EXPECT_EQ(Profile("BackGroundVideoColor"), "255"); }},
      {"font and colours", 2,
       [](SetupValues& v) {
         v.fontName = "Liberation Sans";
         v.fontSize = 60;
         v.maleColor = 0xABCDEF;
         v.shadow = true;
       },
       false,
       [this] {
         EXPECT_EQ(frame->settings().defaultFontName, "Liberation Sans");
         EXPECT_EQ(screen.fontSize, 60);
         EXPECT_EQ(Profile("LyricColorMale"), "11259375");
         EXPECT_EQ(Profile("HasShadow"), "1");
         EXPECT_EQ(Profile("DefaultFontSizeValue"), "60");
       }},
      {"a size the screen corrects", 2, [](SetupValues& v) { v.fontSize = 25; }, false,
       [this] { EXPECT_EQ(Profile("DefaultFontSizeValue"), "50"); }},
      {"channel", 2, [](SetupValues& v) { v.audioChannel = 3; }, false,
       [this] {
         EXPECT_EQ(audio->channel, 3);
         EXPECT_EQ(video.channel, 3);
         EXPECT_EQ(panel.channel, 3);
       }},
      {"track", 2, [](SetupValues& v) { v.audioTrack = 0; }, false,
       [this] {
         EXPECT_EQ(video.requestedTrack, 0);
         EXPECT_EQ(panel.track, 0);
       }},
      {"full screen and original video", 2,
       [](SetupValues& v) {
         v.fullScreen = false;
         v.useOriginalVideo = true;
       },
       false,
       [this] {
         EXPECT_EQ(Profile("FullScreen"), "0");
         EXPECT_EQ(frame->settings().useOriginalVideo, 1);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Settings start = Customised();
    start.background = c.background;
    PlayKoreanSong(start);
    frame->SelectAudioTrack(1);
    panel.channel = panel.track = -1;
    video.requestedTrack = -1;
    video.calls.clear();
    sheet.change = c.change;
    frame->ApplySetup(nullptr);
    EXPECT_EQ(BackgroundRestarted(), c.restarts);
    c.check();
  }
}

}  // namespace
}  // namespace lyrovox

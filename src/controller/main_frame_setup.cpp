// The main frame's setup sheet: values in, the sheet, and what its OK changes.

#include "controller/main_frame.h"

namespace lyrovox {

namespace {

SetupValues SetupValuesFrom(const Settings& s) {
  SetupValues v;
  v.codePage = s.codePage;
  v.fontName = s.defaultFontName;
  v.fontSize = s.defaultFontSizeValue;
  v.maleColor = s.lyricColorMale;
  v.femaleColor = s.lyricColorFemale;
  v.duetColor = s.lyricColorDuet;
  v.shadow = s.hasShadow != 0;
  v.background = s.background;
  v.solidColor = s.backGroundVideoColor;
  v.backgroundVideo = s.backgroundVideo;
  v.aspect = s.aspect != 0;
  v.useOriginalVideo = s.useOriginalVideo != 0;
  v.fullScreen = s.fullScreen != 0;
  v.audioChannel = s.audioChannel;
  v.audioTrack = s.audioTrack;
  v.songsFolders[0] = s.songsLocation1;
  v.songsFolders[1] = s.songsLocation2;
  v.songsFolders[2] = s.songsLocation3;
  v.dvdFolder = s.custom1DvdLocation;
  v.requestsEnable = s.requestsEnable != 0;
  v.requestsPort = s.requestsPort;
  v.requestsInterface = s.requestsInterface;
  v.requestsPerMinute = s.requestsPerMinute;
  v.requestsPerSinger = s.requestsPerSinger;
  return v;
}

// Everything but the background video, which is taken only when it changed.
void TakeSetupValues(const SetupValues& v, Settings& s) {
  s.codePage = v.codePage;
  s.defaultFontName = v.fontName;
  s.defaultFontSizeValue = v.fontSize;
  s.lyricColorMale = v.maleColor;
  s.lyricColorFemale = v.femaleColor;
  s.lyricColorDuet = v.duetColor;
  s.hasShadow = v.shadow ? 1 : 0;
  s.background = v.background;
  s.backGroundVideoColor = v.solidColor;
  s.aspect = v.aspect ? 1 : 0;
  s.useOriginalVideo = v.useOriginalVideo ? 1 : 0;
  s.fullScreen = v.fullScreen ? 1 : 0;
  s.audioChannel = v.audioChannel;
  s.audioTrack = v.audioTrack;
  s.songsLocation1 = v.songsFolders[0];
  s.songsLocation2 = v.songsFolders[1];
  s.songsLocation3 = v.songsFolders[2];
  s.custom1DvdLocation = v.dvdFolder;
  s.requestsEnable = v.requestsEnable ? 1 : 0;
  s.requestsPort = v.requestsPort;
  s.requestsInterface = v.requestsInterface;
  s.requestsPerMinute = v.requestsPerMinute;
  s.requestsPerSinger = v.requestsPerSinger;
}

}  // namespace

void CMainFrame::ApplySetup(QObject* owner) {
  if (windows_.setupSheet == nullptr) return;
  Settings& s = settings_.values();
  SetupValues values = SetupValuesFrom(s);
  const SetupValues before = values;
  if (!windows_.setupSheet->Run(values, owner)) return;

  // The screen draws with these values from its next frame on.
  TakeSetupValues(values, s);

  using K = SettingKey;
  settings_.Write({K::kBackground,
                   K::kAspect,
                   K::kFullScreen,
                   K::kCodePage,
                   K::kAudioChannel,
                   K::kAudioTrack,
                   K::kUseOriginalVideo,
                   K::kDefaultFontName,
                   K::kSongsLocation1,
                   K::kSongsLocation2,
                   K::kSongsLocation3,
                   K::kCustom1DvdLocation,
                   K::kBackGroundVideoColor,
                   K::kLyricColorMale,
                   K::kLyricColorFemale,
                   K::kLyricColorDuet,
                   K::kHasShadow,
                   K::kDefaultFontSizeValue,
                   K::kRequestsEnable,
                   K::kRequestsPort,
                   K::kRequestsInterface,
                   K::kRequestsPerMinute,
                   K::kRequestsPerSinger});
  UpdateDvdDataFile();
  if (values.requestsEnable != before.requestsEnable ||
      values.requestsPort != before.requestsPort ||
      values.requestsInterface != before.requestsInterface ||
      values.requestsPerMinute != before.requestsPerMinute ||
      values.requestsPerSinger != before.requestsPerSinger) {
    emit RequestSettingsChanged();
  }

  // Only a changed track or channel goes to the players: one chosen on the control panel for the
  // playing song stays when the sheet is confirmed without a change.
  if (values.audioTrack != before.audioTrack && parts_.videoPlayer != nullptr) {
    parts_.videoPlayer->SetAudioTrack(s.audioTrack);
    if (windows_.panel != nullptr)
      windows_.panel->ShowAudioTrack(parts_.videoPlayer->GetAudioTrack());
  }
  if (values.audioChannel != before.audioChannel) ApplyChannelMode();
  // The new face and size show on the next frame. The playing song keeps the language its lyrics
  // were read with; a new code page is taken by the next song.
  ApplyLyricFont(lyricStore_->language);

  if (values.backgroundVideo != before.backgroundVideo) {
    s.backgroundVideo = values.backgroundVideo;
    ReselectBackground();
    settings_.Write({K::kBackgroundVideo});
  } else if (values.aspect != before.aspect || values.background != before.background ||
             (values.background == 2 && values.solidColor != before.solidColor)) {
    ReselectBackground();
  }
}

void CMainFrame::Quit() {
  CloseAudioSong();
  StopVideoPlayback();
  emit QuitRequested();
}

int CMainFrame::ScreenPlayState() const {
  return parts_.screen != nullptr ? parts_.screen->GetPlayState() : kPlayStateIdle;
}

}  // namespace lyrovox

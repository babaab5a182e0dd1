#include "controller/settings.h"

namespace lyrovox {

namespace {

SettingSpec Int(SettingKey key, const char* name, int Settings::*field) {
  return {key, name, false, Settings{}.*field, field, nullptr, nullptr};
}

SettingSpec Color(SettingKey key, const char* name, uint32_t Settings::*field) {
  return {key, name, false, static_cast<int>(Settings{}.*field), nullptr, nullptr, field};
}

SettingSpec Text(SettingKey key, const char* name, QString Settings::*field) {
  return {key, name, true, 0, nullptr, field, nullptr};
}

}  // namespace

const std::array<SettingSpec, kSettingCount>& SettingsTable() {
  using K = SettingKey;
  using S = Settings;
  static const std::array<SettingSpec, kSettingCount> table = {
      Int(K::kPlayListShow, "PlayList_Show", &S::playListShow),
      Int(K::kPlayListLeft, "PlayList_Left", &S::playListLeft),
      Int(K::kPlayListTop, "PlayList_Top", &S::playListTop),
      Int(K::kPlayerLeft, "Player_Left", &S::playerLeft),
      Int(K::kPlayerTop, "Player_Top", &S::playerTop),
      Int(K::kVideoLeft, "Video_Left", &S::videoLeft),
      Int(K::kVideoTop, "Video_Top", &S::videoTop),
      Int(K::kVideoWidth, "Video_Width", &S::videoWidth),
      Int(K::kVideoHeight, "Video_Height", &S::videoHeight),
      Int(K::kReservedListEnable, "ReservedListEnable", &S::reservedListEnable),
      Text(K::kBackgroundVideo, "BackgroundVideo", &S::backgroundVideo),
      Int(K::kBackground, "Background", &S::background),
      Int(K::kAspect, "Aspect", &S::aspect),
      Int(K::kCodePage, "CodePage", &S::codePage),
      Int(K::kAudioChannel, "AudioChannel", &S::audioChannel),
      Int(K::kAudioTrack, "AudioTrack", &S::audioTrack),
      Int(K::kUseOriginalVideo, "UseOriginalVideo", &S::useOriginalVideo),
      Int(K::kFullScreen, "FullScreen", &S::fullScreen),
      Text(K::kCustom1DvdLocation, "Custom1DVDLocation", &S::custom1DvdLocation),
      Text(K::kSongsLocation1, "SongsLocation1", &S::songsLocation1),
      Text(K::kSongsLocation2, "SongsLocation2", &S::songsLocation2),
      Text(K::kSongsLocation3, "SongsLocation3", &S::songsLocation3),
      Text(K::kDefaultFontName, "DefaultFontName", &S::defaultFontName),
      Color(K::kBackGroundVideoColor, "BackGroundVideoColor", &S::backGroundVideoColor),
      Color(K::kLyricColorMale, "LyricColorMale", &S::lyricColorMale),
      Color(K::kLyricColorFemale, "LyricColorFemale", &S::lyricColorFemale),
      Color(K::kLyricColorDuet, "LyricColorDuet", &S::lyricColorDuet),
      Int(K::kHasShadow, "HasShadow", &S::hasShadow),
      Int(K::kDefaultFontSizeValue, "DefaultFontSizeValue", &S::defaultFontSizeValue),
      Int(K::kRequestsEnable, "RequestsEnable", &S::requestsEnable),
      Int(K::kRequestsPort, "RequestsPort", &S::requestsPort),
      Text(K::kRequestsInterface, "RequestsInterface", &S::requestsInterface),
      Int(K::kRequestsPerMinute, "RequestsPerMinute", &S::requestsPerMinute),
      Int(K::kRequestsPerSinger, "RequestsPerSinger", &S::requestsPerSinger),
  };
  return table;
}

const SettingSpec& SpecOf(SettingKey key) {
  return SettingsTable()[static_cast<size_t>(key)];
}

}  // namespace lyrovox

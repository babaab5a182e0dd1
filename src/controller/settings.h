#pragma once

// The persistent settings of section "Setup", with their defaults: the values the program holds
// after start-up, and the table of every key's name, type and default in the profile's order.

#include <QString>
#include <array>
#include <cstdint>

namespace lyrovox {

struct Settings {
  int playListShow = 5;
  int playListLeft = 417;
  int playListTop = 0;
  int playerLeft = 0;
  int playerTop = 0;
  int videoLeft = 0;
  int videoTop = 182;
  int videoWidth = 408;
  int videoHeight = 346;
  int reservedListEnable = 1;
  QString backgroundVideo;
  int background = 0;  // 0 video, 1 camera, 2 solid colour
  int aspect = 0;
  int codePage = 0;  // language index forced for all songs; 0 = the song's folder decides
  int audioChannel = 0;
  int audioTrack = 0;
  int useOriginalVideo = 1;
  int fullScreen = 0;
  QString custom1DvdLocation;
  QString songsLocation1;
  QString songsLocation2;
  QString songsLocation3;
  QString defaultFontName;
  uint32_t backGroundVideoColor = 0xFF0000;  // colours are 0x00BBGGRR
  uint32_t lyricColorMale = 0xEE0000;
  uint32_t lyricColorFemale = 0x1E1EFF;
  uint32_t lyricColorDuet = 0xFF32FF;
  int hasShadow = 1;
  int defaultFontSizeValue = 70;
  // Song requests from phones: off, the port, the network interface ("" every one), and the
  // limits: song requests a minute per phone, waiting songs per singer.
  int requestsEnable = 0;
  int requestsPort = 8080;
  QString requestsInterface;
  int requestsPerMinute = 10;
  int requestsPerSinger = 3;
};

// Every key, in the order the profile is read at start-up.
enum class SettingKey {
  kPlayListShow,
  kPlayListLeft,
  kPlayListTop,
  kPlayerLeft,
  kPlayerTop,
  kVideoLeft,
  kVideoTop,
  kVideoWidth,
  kVideoHeight,
  kReservedListEnable,
  kBackgroundVideo,
  kBackground,
  kAspect,
  kCodePage,
  kAudioChannel,
  kAudioTrack,
  kUseOriginalVideo,
  kFullScreen,
  kCustom1DvdLocation,
  kSongsLocation1,
  kSongsLocation2,
  kSongsLocation3,
  kDefaultFontName,
  kBackGroundVideoColor,
  kLyricColorMale,
  kLyricColorFemale,
  kLyricColorDuet,
  kHasShadow,
  kDefaultFontSizeValue,
  kRequestsEnable,
  kRequestsPort,
  kRequestsInterface,
  kRequestsPerMinute,
  kRequestsPerSinger,
};
inline constexpr int kSettingCount = static_cast<int>(SettingKey::kRequestsPerSinger) + 1;

struct SettingSpec {
  SettingKey key;
  const char* name;  // the key in section "Setup"
  bool isString;
  int intDefault;  // integers are 32-bit signed; colours are stored as their integer value
  // Where the value lives in Settings.
  int Settings::*intField;
  QString Settings::*stringField;
  uint32_t Settings::*colorField;
};

// The table, indexed by SettingKey.
const std::array<SettingSpec, kSettingCount>& SettingsTable();
const SettingSpec& SpecOf(SettingKey key);

}  // namespace lyrovox

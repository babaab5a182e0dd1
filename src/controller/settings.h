#pragma once

// The persistent settings of section "Setup", with their defaults. Read once at start-up into
// this process-wide value object; the windows and the setup sheet write them back.

#include <QString>
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
};

}  // namespace lyrovox

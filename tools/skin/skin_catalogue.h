#pragma once

// Every bitmap of the skin: its resource id and its size in pixels. The skin generator draws each
// at this size and at twice it; the build puts both into the program as ":/skin/<id>.png" and
// ":/skin/<id>@2x.png".

#include <array>
#include <string>

namespace lyrovox {

struct SkinBitmapSpec {
  int id;
  int width;
  int height;
  const char* what;
};

inline constexpr std::array<SkinBitmapSpec, 25> kSkinBitmaps{{
    {2, 20, 11, "audio track 2 spot, lit"},
    {133, 416, 181, "control panel"},
    {134, 416, 181, "control panel, buttons pressed"},
    {135, 83, 33, "play list + and - buttons"},
    {136, 83, 33, "play list + and - buttons, pressed"},
    {141, 1, 22, "caption strip"},
    {146, 41, 22, "video window caption centre piece"},
    {147, 15, 22, "close mark"},
    {150, 12, 12, "resize corner"},
    {151, 1, 36, "play list bottom strip"},
    {159, 578, 294, "splash and About picture"},
    {162, 12, 13, "seek knob"},
    {163, 416, 13, "seek track"},
    {165, 1, 7, "seek and volume fill"},
    {170, 20, 22, "menu icon"},
    {171, 50, 14, "search label"},
    {174, 62, 12, "volume track"},
    {175, 12, 12, "volume knob"},
    {176, 20, 11, "left channel spot, lit"},
    {177, 20, 11, "right channel spot, lit"},
    {178, 114, 11, "channel and track strip"},
    {179, 20, 11, "both channels spot, lit"},
    {180, 20, 11, "audio track 1 spot, lit"},
    {186, 415, 15, "reserved list header, on"},
    {187, 415, 15, "reserved list header, off"},
}};

// The entry of a bitmap id; null when the skin has no such bitmap.
const SkinBitmapSpec* FindSkinBitmap(int id);

// ":/skin/133.png", or ":/skin/133@2x.png" for the twice-sized twin.
std::string SkinResourcePath(int id, bool twice = false);

}  // namespace lyrovox

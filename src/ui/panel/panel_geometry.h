#pragma once

// The control panel's layout in client pixels, shared by the panel and the skin generator that
// draws its bitmaps. Rectangles are given as left, top, right, bottom with the right and bottom
// edges outside the rectangle, as the button images are cut; for the mouse, "inside" means
// strictly between the edges.

#include <QPoint>
#include <QRect>
#include <array>

namespace lyrovox {

struct Edges {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  constexpr int width() const { return right - left; }
  constexpr int height() const { return bottom - top; }
  // Strictly between left and right and strictly between top and bottom.
  constexpr bool Inside(QPoint p) const {
    return p.x() > left && p.x() < right && p.y() > top && p.y() < bottom;
  }
  constexpr QRect rect() const { return QRect(left, top, right - left, bottom - top); }
};

inline constexpr int kPanelWidth = 416;
inline constexpr int kPanelHeight = 181;
// Corner ellipses of the panel's window region.
inline constexpr int kPanelCorner = 16;

inline constexpr Edges kMenuIconRect{8, 0, 28, 22};
// The close spot is hit from its left to its right and top to bottom edges inclusive.
inline constexpr Edges kCloseSpot{388, 2, 402, 16};
inline constexpr Edges kPlayListToggleRect{369, 20, 393, 44};
inline constexpr Edges kTitleBandRect{14, 56, 400, 86};

// The title: still when it fits in this width, else it scrolls.
inline constexpr int kTitleFitWidth = 380;
inline constexpr int kTitleTop = 56;
inline constexpr int kPanelCentreX = 208;

inline constexpr int kTimeTextCentreX = 208;
inline constexpr int kTimeTextTop = 90;

// Seek track: its image spans the panel's width at y 113; the knob moves 0..378 pixels from the
// track's left end and follows the mouse at its centre.
inline constexpr Edges kSeekTrackRect{14, 113, 404, 126};
inline constexpr int kSeekStripTop = 113;
inline constexpr int kSeekKnobRange = 378;
inline constexpr int kSeekKnobGrip = 20;  // x of the mouse less the knob's position
inline constexpr int kSeekFillTop = 116;

// Volume track: the knob moves 0..50 pixels from the track's left end.
inline constexpr Edges kVolumeTrackRect{260, 144, 322, 156};
inline constexpr int kVolumeKnobRange = 50;
inline constexpr int kVolumeFillTop = 147;
// Fills are drawn this high, stretched across.
inline constexpr int kFillHeight = 7;
// The volume knob's image is drawn one pixel taller than it is.
inline constexpr int kVolumeKnobDrawnHeight = 13;

inline constexpr Edges kChannelStripRect{296, 96, 410, 107};
inline constexpr std::array<Edges, 3> kChannelSpots{{
    {296, 96, 316, 107},
    {318, 96, 338, 107},
    {340, 96, 360, 107},
}};
inline constexpr std::array<Edges, 2> kTrackSpots{{
    {368, 96, 388, 107},
    {390, 96, 410, 107},
}};

// The panel's buttons: command id, name, rectangle (cut from the normal and the pressed image).
inline constexpr int kCommandPlay = 1000;
inline constexpr int kCommandStop = 1001;
inline constexpr int kCommandLoad = 1002;
inline constexpr int kCommandSetup = 1003;
inline constexpr int kCommandPrevious = 1023;
inline constexpr int kCommandNext = 1024;

struct PanelButton {
  int id;
  const char* name;
  Edges rect;
};

inline constexpr std::array<PanelButton, 6> kPanelButtons{{
    {kCommandStop, "Stop", {20, 131, 54, 166}},
    {kCommandPrevious, "Prev", {84, 131, 119, 166}},
    {kCommandPlay, "Play", {128, 125, 173, 171}},
    {kCommandNext, "Next", {182, 131, 217, 166}},
    {kCommandLoad, "Load", {326, 136, 361, 165}},
    {kCommandSetup, "Setup", {370, 136, 405, 165}},
}};

}  // namespace lyrovox

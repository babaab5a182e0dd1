#pragma once

// Where the floating windows open. A saved place is kept as it is while the window's top band
// (by which it is grabbed) lies wholly on one of the screens; a place that does not is moved onto
// the screen the window is most on. Windows without a saved place (a first start, or Ctrl held)
// are laid out on the primary screen so that none covers another where the screen has room.

#include <QRect>
#include <QSize>
#include <vector>

#include "controller/settings.h"

namespace lyrovox {

// One screen of the desktop: all of it, and the part windows may use (without the desktop's
// panels and docks).
struct ScreenArea {
  QRect geometry;
  QRect available;
};

// The windows as they open: the control panel with the reserved list hanging below it, the play
// list, and the strip at the top of every window by which it is grabbed.
inline constexpr QSize kPanelWindowSize{416, 181};
inline constexpr int kReservedListDrop = 180;
inline constexpr QSize kReservedListWindowSize{416, 190};
inline constexpr QSize kPlayListWindowSize{416, 480};
inline constexpr int kWindowTopBand = 24;

// Which windows have a place of their own in the profile.
struct SavedPlaces {
  bool panel = false;
  bool playList = false;
  bool video = false;
};

// Puts the control panel, the play list and the video window (size as given) on these screens,
// the first being the primary one. Nothing changes without screens.
void PlaceWindows(Settings& values, const std::vector<ScreenArea>& screens, SavedPlaces saved);

}  // namespace lyrovox

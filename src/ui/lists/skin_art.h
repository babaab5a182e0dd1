#pragma once

// The song list windows' skin: their bitmaps by resource id. The drawing helpers (cutting,
// rounded corners, fonts, image buttons) are the panel's, shared by every floating window.

#include <QPixmap>
#include <QSize>

#include "ui/panel/skin_buttons.h"
#include "ui/panel/skin_drawing.h"

namespace lyrovox {

// Skin bitmaps of the song list windows and their sizes.
inline constexpr int kBitmapListButtons = 135;        // "+" and "-", normal (83 x 33)
inline constexpr int kBitmapListButtonsPushed = 136;  // the same, pushed
inline constexpr int kBitmapPlayListCaption = 141;    // 1 x 22, stretched across the top
inline constexpr int kBitmapPlayListClose = 147;      // 15 x 22
inline constexpr int kBitmapPlayListBottom = 151;     // 1 x 36, stretched across the bottom
inline constexpr int kBitmapMenuIcon = 170;           // 20 x 22
inline constexpr int kBitmapSearchLabel = 171;        // 50 x 14
inline constexpr int kBitmapReservedHeaderOn = 186;   // 415 x 15
inline constexpr int kBitmapReservedHeaderOff = 187;  // 415 x 15

// The size a skin bitmap is drawn at.
QSize SkinBitmapSize(int id);

// The bitmap ":/skin/<id>.png"; should the skin lack it, a plain drawn stand-in of the same size,
// so the windows keep their layout.
QPixmap LoadSkinBitmap(int id);

}  // namespace lyrovox

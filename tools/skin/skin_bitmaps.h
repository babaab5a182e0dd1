#pragma once

// The skin's bitmaps, each drawn at its own size in its own pixels on a painter that may be
// scaled (the twice-sized twins).

class QPainter;

namespace lyrovox::skin {

// The control panel and its pieces: 133, 134, 162, 163, 165, 170, 174 to 180 and 2.
bool DrawPanelBitmap(int id, QPainter& p);
// The other floating windows' pieces: 135, 136, 141, 146, 147, 150, 151, 171, 186, 187.
bool DrawWindowBitmap(int id, QPainter& p);
// The splash and About picture, 159.
void DrawSplash(QPainter& p);

}  // namespace lyrovox::skin

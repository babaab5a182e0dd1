#pragma once

// Drawing the CD+G player's picture onto the screen.

#include <QPainter>
#include <QRectF>

#include "lyrics/cdg_player.h"

namespace lyrovox {

// Draws the player's whole 300 x 216 frame stretched onto `target`, bilinearly filtered.
void DrawCdgFrame(QPainter& painter, const CdgPlayer& player, const QRectF& target);

// The frame as an image that shares the player's pixels (valid while the player lives and does
// not update).
QImage CdgFrameImage(const CdgPlayer& player);

}  // namespace lyrovox

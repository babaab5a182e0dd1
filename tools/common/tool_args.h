#pragma once

// Command-line values the frame-writing tools share: sizes, times in seconds and PNG names.

#include <QSize>
#include <QString>

namespace lyrovox {

// "WIDTHxHEIGHT", each 1 to 8192.
bool ParseSize(const QString& text, QSize& size);
// Seconds with decimals, 0 to a day, as whole milliseconds (rounded).
bool ParseSeconds(const QString& text, int& ms);
// The PNG file for the index-th of `count` times: png itself for one, else png with "-MS" before
// ".png".
QString PngPathFor(const QString& png, int index, int count, int timeMs);

}  // namespace lyrovox

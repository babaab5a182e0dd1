#pragma once

// What one present changed in the screen-sized frame, so that whoever shows it redoes only that.

#include <QRegion>

namespace lyrovox {

struct FrameDamage {
  // Where the frame may differ from the frame presented before it.
  QRegion changed;
  // Where the frame may hold a colour other than the key colour; outside it the video shows.
  QRegion covered;

  static FrameDamage Whole(const QRect& frame) { return {QRegion(frame), QRegion(frame)}; }
};

}  // namespace lyrovox

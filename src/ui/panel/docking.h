#pragma once

// Docking floating windows to the control panel: a window moved by the user to near the panel's
// right or bottom edge snaps to touch it, and from then on the panel carries it along, keeping
// its offset from the panel's top-left corner.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <cstdlib>

namespace lyrovox {

struct DockState {
  bool docked = false;
  QPoint offset;  // the window's top-left corner less the panel's
};

// Snaps a window the user moves to `pos` (its top-left corner) against the panel's frame
// rectangle. `span` is the window's size for the snapping bands; `threshold` how near an edge
// snaps. Returns the position to take and records the docked state (undocked unless it snapped).
inline QPoint SnapToPanel(QPoint pos, QSize span, const QRect& panel, int threshold,
                          DockState& dock) {
  dock.docked = false;
  const int panelRight = panel.x() + panel.width();
  const int panelBottom = panel.y() + panel.height();
  if (std::abs(pos.x() - panelRight) < threshold && pos.y() > panel.y() - span.height() &&
      pos.y() < panelBottom) {
    pos.setX(panelRight - 1);
    dock.docked = true;
  }
  if (std::abs(pos.y() - panelBottom) < threshold && pos.x() > panel.x() - span.width() &&
      pos.x() < panelRight) {
    pos.setY(panelBottom - 1);
    dock.docked = true;
  }
  if (dock.docked) dock.offset = pos - panel.topLeft();
  return pos;
}

}  // namespace lyrovox

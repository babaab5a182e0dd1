#include "controller/window_places.h"

#include <algorithm>
#include <climits>

namespace lyrovox {

namespace {

// Windows laid out side by side keep a pixel between them, as the play list does beside the
// control panel.
constexpr int kGap = 1;

// The control panel with the reserved list below it: they move together.
QSize PanelColumnSize() {
  return {kPanelWindowSize.width(), kReservedListDrop + kReservedListWindowSize.height()};
}

// The rectangle moved into the area: wholly where it fits, else its top left at the area's.
QRect FitInto(QRect rect, const QRect& area) {
  const auto place = [](int at, int size, int start, int length) {
    return size <= length ? std::clamp(at, start, start + length - size) : start;
  };
  rect.moveTo(place(rect.x(), rect.width(), area.x(), area.width()),
              place(rect.y(), rect.height(), area.y(), area.height()));
  return rect;
}

qint64 Area(const QRect& rect) {
  return rect.isEmpty() ? 0 : qint64{rect.width()} * rect.height();
}

bool BandOnAScreen(const QRect& window, const std::vector<ScreenArea>& screens) {
  const QRect band(window.topLeft(), QSize(window.width(), kWindowTopBand));
  return std::any_of(screens.begin(), screens.end(),
                     [&band](const ScreenArea& screen) { return screen.geometry.contains(band); });
}

// The screen a window is most on; the nearest one when it is on none.
const ScreenArea& HomeScreen(const QRect& window, const std::vector<ScreenArea>& screens) {
  const ScreenArea* best = &screens.front();
  qint64 bestArea = 0;
  qint64 bestDistance = LLONG_MAX;
  for (const ScreenArea& screen : screens) {
    const qint64 area = Area(window.intersected(screen.geometry));
    const QRect& g = screen.geometry;
    const qint64 dx = std::max({g.left() - window.right(), window.left() - g.right(), 0});
    const qint64 dy = std::max({g.top() - window.bottom(), window.top() - g.bottom(), 0});
    const qint64 distance = dx * dx + dy * dy;
    if (area > bestArea || (bestArea == 0 && area == 0 && distance < bestDistance)) {
      best = &screen;
      bestArea = area;
      bestDistance = distance;
    }
  }
  return *best;
}

// A saved place: kept while its top band is on a screen, else moved onto its screen.
QRect Restored(const QRect& window, const std::vector<ScreenArea>& screens) {
  if (BandOnAScreen(window, screens)) return window;
  return FitInto(window, HomeScreen(window, screens).available);
}

// A place of its own on the primary screen's free area: beside the control panel, below the
// reserved list, then further right or lower; the one that covers the others least (none, where
// the screen has room).
QRect FirstStartPlace(QSize size, const QRect& area, const std::vector<QRect>& taken) {
  const int right = PanelColumnSize().width() + kGap;
  const int below = PanelColumnSize().height() + kGap;
  const QPoint candidates[] = {
      {right, 0},
      {0, below},
      {right + kPlayListWindowSize.width() + kGap, 0},
      {right, kPlayListWindowSize.height() + kGap},
  };
  QRect best;
  qint64 bestCover = LLONG_MAX;
  for (const QPoint& offset : candidates) {
    const QRect place = FitInto(QRect(area.topLeft() + offset, size), area);
    qint64 cover = 0;
    for (const QRect& other : taken)
      cover += Area(place.intersected(other));
    if (cover < bestCover) {
      best = place;
      bestCover = cover;
    }
  }
  return best;
}

}  // namespace

void PlaceWindows(Settings& values, const std::vector<ScreenArea>& screens, SavedPlaces saved) {
  if (screens.empty()) return;
  const QRect area = screens.front().available;

  QRect panel(values.playerLeft, values.playerTop, PanelColumnSize().width(),
              PanelColumnSize().height());
  QRect playList(QPoint(values.playListLeft, values.playListTop), kPlayListWindowSize);
  QRect video(values.videoLeft, values.videoTop, values.videoWidth, values.videoHeight);

  std::vector<QRect> taken;
  panel =
      saved.panel ? Restored(panel, screens) : FitInto(QRect(area.topLeft(), panel.size()), area);
  taken.push_back(panel);
  if (saved.playList) taken.push_back(playList = Restored(playList, screens));
  if (saved.video) taken.push_back(video = Restored(video, screens));
  if (!saved.playList) taken.push_back(playList = FirstStartPlace(playList.size(), area, taken));
  if (!saved.video) video = FirstStartPlace(video.size(), area, taken);

  values.playerLeft = panel.x();
  values.playerTop = panel.y();
  values.playListLeft = playList.x();
  values.playListTop = playList.y();
  values.videoLeft = video.x();
  values.videoTop = video.y();
}

}  // namespace lyrovox

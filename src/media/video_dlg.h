#pragma once

// The video window: a borderless window with a drawn caption strip and a resize corner, holding
// the video area (the picture with the lyrics frame over it) in a 1.33 picture rectangle with
// black strips beside it. It goes full screen on the screen it is on, snaps to the control panel,
// forwards the song-number keys to the controller, receives the picture player's graph events and
// keeps its place in the settings.

#include <QDateTime>
#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

#include "controller/ports.h"
#include "ui/panel/docking.h"

namespace lyrovox {

class CMainFrame;
class SettingsStore;

// The caption strip (plus 3 pixels) above the video area and the margin below it.
inline constexpr int kVideoCaptionHeight = 24;
inline constexpr int kVideoBottomMargin = 16;
// Corner ellipses of the window's region.
inline constexpr int kVideoCorner = 16;
// The square at the bottom right that resizes the window.
inline constexpr int kVideoResizeCorner = 16;
// How near the control panel's edge a moved window snaps to it.
inline constexpr int kVideoSnapDistance = 10;

// The picture rectangle in a window whose client area is `client`: it keeps the ratio 1.33 in
// the area left by the caption, the margins and the bottom band.
QRect VideoPictureRect(QSize client);
// The lyrics target for a video area of this size on frames of frameSize: the area's own size
// from the frame's corner, scaled down to fit when the area is larger than the frame.
QRect VideoFrameTarget(QSize area, QSize frameSize);

class CVideoDlg final : public QWidget, public IVideoWindow {
 public:
  struct Peers {
    // Snapped to, and raised with the other two on a right click.
    QWidget* panel = nullptr;
    QWidget* playList = nullptr;
    QWidget* reservedList = nullptr;
  };

  explicit CVideoDlg(SettingsStore& settings, QWidget* parent = nullptr);
  ~CVideoDlg() override;

  // The video area becomes the window's child, kept on the picture rectangle. It takes no mouse
  // presses: they move and resize the window.
  void SetVideoArea(QWidget* area);
  QWidget* videoArea() const { return area_; }
  // screen: the lyrics screen, whose target follows the video area.
  void Attach(CMainFrame& frame, ILyricScreen* screen, const Peers& peers);

  // --- IVideoWindow ---
  QRect GetVideoRect() const override;
  void SetFullScreen(bool on) override;
  bool IsFullScreen() const override { return fullScreen_; }

  // The left double click.
  void ToggleFullScreen() { SetFullScreen(!fullScreen_); }

  // A move by the user to topLeft: snapped to the control panel (which then carries the window
  // along), else undocked.
  void MoveTo(QPoint topLeft);
  const DockState& dock() const { return dock_; }

  // Set on a left click or a full-screen change, cleared on a right click.
  bool activityFlag() const { return activityFlag_; }
  const QDateTime& lastActivityTime() const { return lastActivityTime_; }
  // The window's place before full screen.
  const QRect& savedRect() const { return savedRect_; }

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  enum class Drag { kNone, kMove, kResize };

  // The video area on the picture rectangle (or the whole window in full screen), and the lyrics
  // target with it.
  void LayOut();
  void NoteActivity();
  void WriteSettings();

  SettingsStore& settings_;
  CMainFrame* frame_ = nullptr;
  ILyricScreen* screen_ = nullptr;
  Peers peers_;
  QPointer<QWidget> area_;

  QPixmap captionFill_;    // 141
  QPixmap captionCentre_;  // 146
  QPixmap resizeCorner_;   // 150

  bool activityFlag_ = false;
  QDateTime lastActivityTime_;
  QRect savedRect_;
  bool fullScreen_ = false;
  DockState dock_;

  Drag drag_ = Drag::kNone;
  QPoint pressGlobal_;
  QRect pressGeometry_;
};

}  // namespace lyrovox

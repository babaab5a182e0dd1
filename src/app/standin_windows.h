#pragma once

// Plain stand-ins for the floating windows that are not drawn yet: a video window that is the
// video area alone, with the control panel's text in its title bar. They do what their windows
// do for the controller and keep the same settings, so the program is whole while the skinned
// windows are made.

#include <QString>
#include <QTimer>
#include <QWidget>

#include "controller/ports.h"
#include "controller/settings_store.h"
#include "media/video_area.h"

namespace lyrovox {

class CMainFrame;
class CLyricScreen;

// The video window: the video area fills it. Writes its place on destroy, unless full screen.
class StandInVideoWindow final : public QWidget, public IVideoWindow {
 public:
  explicit StandInVideoWindow(SettingsStore& settings);
  ~StandInVideoWindow() override;

  // screen: the lyrics screen whose target follows the video area (null when there is none).
  void Attach(CMainFrame& frame, CLyricScreen* screen);
  CVideoArea& area() { return *area_; }
  // The video area fills the window: in the frame's coordinates it is (0, 0) and its size.
  QRect GetVideoRect() const override;
  void SetFullScreen(bool on) override;
  bool IsFullScreen() const override { return fullScreen_; }
  void SetVideoStarted(bool) override {}
  // Place and size are not written back (tools that place the window themselves).
  void SetKeepsPlace(bool keeps) { writesPlace_ = !keeps; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void UpdateTarget();

  SettingsStore& settings_;
  CLyricScreen* screen_ = nullptr;
  CMainFrame* frame_ = nullptr;
  CVideoArea* area_;  // a child: owned by the window
  bool fullScreen_ = false;
  bool writesPlace_ = true;
  QRect normalGeometry_;  // the window's place before full screen
};

// The control panel's song title, time and last volume, speed or channel change, shown in a
// window's title and refreshed on the panel's 250 ms timer.
class TitlePanel final : public IControlPanel {
 public:
  explicit TitlePanel(QWidget& window);

  void SetSongTitle(const QString& title) override { title_ = title; }
  void ResetSongDisplay() override;
  void SetSeekable(bool) override {}
  void SetVolumeDisplay(int percent) override;
  void ShowChannel(int mode) override;
  void ShowAudioTrack(int) override {}
  void ShowRate(double rate) override;
  void ShowStatusText(const QString& text) override;
  void SetPosition(int32_t ms) override { position_ = ms; }
  void SetDuration(int32_t ms) override { duration_ = ms; }
  int32_t Position() const override { return position_; }
  int32_t Duration() const override { return duration_; }

  // What the window's title reads now.
  QString Text() const;

 private:
  void Refresh();

  QWidget& window_;
  QTimer timer_;
  QString title_ = QStringLiteral("Please select a song");
  QString status_;
  int statusTicks_ = 0;
  int32_t position_ = 0;
  int32_t duration_ = 0;
};

}  // namespace lyrovox

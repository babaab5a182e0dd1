#pragma once

// The window of lyrovox-play: the video area alone, standing in for the video window. It keeps
// the lyrics screen's target on the video area, switches full screen on a double click and says
// when it closes.

#include <QWidget>
#include <functional>

#include "controller/ports.h"
#include "media/video_area.h"
#include "screen/lyric_screen.h"

namespace lyrovox {

class PlayWindow final : public QWidget, public IVideoWindow {
 public:
  explicit PlayWindow(CLyricScreen& screen);

  CVideoArea& area() { return *area_; }
  // The video area fills the window: in the frame's coordinates it is (0, 0) and its size.
  QRect GetVideoRect() const override;

  void SetFullScreen(bool on) override;
  bool IsFullScreen() const override { return fullScreen_; }
  void SetVideoStarted(bool) override {}
  bool fullScreenOn() const { return fullScreen_; }
  // Called once when the window closes, before it goes.
  void SetClosingHook(std::function<void()> hook) { closing_ = std::move(hook); }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  CLyricScreen& screen_;
  CVideoArea* area_;  // a child: owned by the window
  bool fullScreen_ = false;
  QRect normalGeometry_;  // the window's place before full screen
  std::function<void()> closing_;
};

}  // namespace lyrovox

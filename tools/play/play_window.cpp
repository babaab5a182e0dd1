#include "play/play_window.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QScreen>

namespace lyrovox {

PlayWindow::PlayWindow(CLyricScreen& screen) : screen_(screen), area_(new CVideoArea(this)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(160, 90);
}

QRect PlayWindow::GetVideoRect() const {
  return QRect(QPoint(0, 0), area_->size());
}

void PlayWindow::SetFullScreen(bool on) {
  fullScreen_ = on;
  // Full screen composes the frame at full size on the lyric tick; in a window each present
  // draws it scaled into the target.
  screen_.SetFullScreen(on);
  if (on) {
    normalGeometry_ = geometry();
    showFullScreen();
    // Without a window manager to honour the request the window is sized by hand.
    if (const QScreen* display = screen()) setGeometry(display->geometry());
  } else {
    showNormal();
    if (normalGeometry_.isValid()) setGeometry(normalGeometry_);
  }
}

void PlayWindow::resizeEvent(QResizeEvent* event) {
  area_->setGeometry(rect());
  const QRect video = GetVideoRect();
  screen_.SetTargetRect(video.left(), video.top(), video.right() + 1, video.bottom() + 1);
  QWidget::resizeEvent(event);
}

void PlayWindow::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) SetFullScreen(!fullScreen_);
}

void PlayWindow::closeEvent(QCloseEvent* event) {
  if (closing_) std::exchange(closing_, nullptr)();
  QWidget::closeEvent(event);
}

}  // namespace lyrovox

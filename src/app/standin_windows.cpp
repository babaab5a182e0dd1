#include "app/standin_windows.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>

#include "controller/main_frame.h"
#include "controller/number_entry_keys.h"
#include "screen/lyric_screen.h"

namespace lyrovox {

namespace {

constexpr int kPanelTickMs = 250;
// A volume or speed change stays in the title this many ticks.
constexpr int kStatusTicks = 6;

// "mm:ss"; hours are not shown.
QString Clock(int32_t ms) {
  const int seconds = ms / 1000;
  return QStringLiteral("%1:%2")
      .arg((seconds % 3600) / 60, 2, 10, QLatin1Char('0'))
      .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

StandInVideoWindow::StandInVideoWindow(SettingsStore& settings)
    : settings_(settings), area_(new CVideoArea(this)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(160, 90);
  setFocusPolicy(Qt::StrongFocus);
}

StandInVideoWindow::~StandInVideoWindow() {
  if (!writesPlace_ || fullScreen_) return;
  // The place of the whole window, as it is given back at the next start (move + resize).
  Settings& v = settings_.values();
  v.videoLeft = pos().x();
  v.videoTop = pos().y();
  v.videoWidth = width();
  v.videoHeight = height();
  settings_.Write({SettingKey::kVideoLeft, SettingKey::kVideoTop, SettingKey::kVideoWidth,
                   SettingKey::kVideoHeight});
}

void StandInVideoWindow::Attach(CMainFrame& frame, CLyricScreen* screen) {
  frame_ = &frame;
  screen_ = screen;
  UpdateTarget();
}

void StandInVideoWindow::UpdateTarget() {
  if (screen_ == nullptr) return;
  const QRect video = GetVideoRect();
  screen_->SetTargetRect(video.left(), video.top(), video.right() + 1, video.bottom() + 1);
}

QRect StandInVideoWindow::GetVideoRect() const {
  return QRect(QPoint(0, 0), area_->size());
}

void StandInVideoWindow::SetFullScreen(bool on) {
  if (on == fullScreen_) return;
  fullScreen_ = on;
  // Full screen composes the frame at full size on the lyric tick; in a window each present
  // draws it scaled into the target.
  if (screen_ != nullptr) screen_->SetFullScreen(on);
  if (on) {
    normalGeometry_ = geometry();
    showFullScreen();
    // Without a window manager to honour the request the window is sized by hand, on the screen
    // the window is on.
    if (const QScreen* display = screen()) setGeometry(display->geometry());
  } else {
    showNormal();
    if (normalGeometry_.isValid()) setGeometry(normalGeometry_);
  }
}

void StandInVideoWindow::resizeEvent(QResizeEvent* event) {
  area_->setGeometry(rect());
  UpdateTarget();
  QWidget::resizeEvent(event);
}

void StandInVideoWindow::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) SetFullScreen(!fullScreen_);
}

void StandInVideoWindow::keyPressEvent(QKeyEvent* event) {
  // Alt+F4 is swallowed: the program is left through Exit.
  if (event->key() == Qt::Key_F4 && (event->modifiers() & Qt::AltModifier)) return;
  if (frame_ != nullptr &&
      ForwardNumberEntryKey(*frame_, event->key(), event->modifiers(), event->text())) {
    return;
  }
  QWidget::keyPressEvent(event);
}

void StandInVideoWindow::closeEvent(QCloseEvent* event) {
  // The user closing the window is Exit; the program closing it as it quits is let through.
  if (frame_ != nullptr && event->spontaneous()) {
    event->ignore();
    frame_->Quit();
    return;
  }
  QWidget::closeEvent(event);
}

TitlePanel::TitlePanel(QWidget& window) : window_(window) {
  QObject::connect(&timer_, &QTimer::timeout, [this] { Refresh(); });
  timer_.start(kPanelTickMs);
  Refresh();
}

void TitlePanel::ResetSongDisplay() {
  position_ = duration_ = 0;
  title_ = QStringLiteral("Please select a song");
}

void TitlePanel::SetVolumeDisplay(int percent) {
  ShowStatusText(QStringLiteral("Volume: %1%").arg(percent));
}

void TitlePanel::ShowChannel(int mode) {
  static const char* const kNames[] = {"Both", "Left", "Right", "Reverse"};
  if (mode >= 0 && mode <= 3) ShowStatusText(QStringLiteral("Channel : %1").arg(kNames[mode]));
}

void TitlePanel::ShowRate(double rate) {
  ShowStatusText(QStringLiteral("Speed: %1X").arg(rate, 0, 'f', 2));
}

void TitlePanel::ShowStatusText(const QString& text) {
  status_ = text;
  statusTicks_ = kStatusTicks;
}

QString TitlePanel::Text() const {
  QString text = title_;
  if (duration_ > 0)
    text += QStringLiteral(" \u2014 %1 / %2").arg(Clock(position_), Clock(duration_));
  if (statusTicks_ > 0) text += QStringLiteral(" \u2014 ") + status_;
  return text + QStringLiteral(" \u2014 Lyrovox");
}

void TitlePanel::Refresh() {
  window_.setWindowTitle(Text());
  if (statusTicks_ > 0) --statusTicks_;
}

}  // namespace lyrovox

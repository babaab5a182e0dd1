#include "media/video_dlg.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "controller/main_frame.h"
#include "controller/number_entry_keys.h"
#include "controller/settings_store.h"
#include "ui/panel/skin_drawing.h"

namespace lyrovox {

namespace {

// The picture keeps this ratio of width to height.
constexpr double kPictureRatio = 1.33;
// Left and right margins of the video area, and what the caption strip, the margins and the
// bottom band take off the client height.
constexpr int kSideMargin = 4;
constexpr int kAreaHeightLoss = 46;
constexpr int kCaptionStrip = 22;
constexpr QSize kMinimumSize(160, 120);

QSize FrameSize() {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return QSize();
  const QScreen* primary = QGuiApplication::primaryScreen();
  return primary != nullptr ? primary->size() : QSize();
}

}  // namespace

QRect VideoPictureRect(QSize client) {
  const int aw = client.width() - 2 * kSideMargin;
  const int ah = client.height() - kAreaHeightLoss;
  if (aw <= 0 || ah <= 0) return QRect();
  if (aw <= kPictureRatio * ah) {
    const int ph = static_cast<int>(aw / kPictureRatio);
    return QRect(kSideMargin, kVideoCaptionHeight + (ah - ph) / 2, aw, ph);
  }
  const int pw = static_cast<int>(ah * kPictureRatio);
  return QRect((aw - pw) / 2, kVideoCaptionHeight + 3, pw, ah);
}

QRect VideoFrameTarget(QSize area, QSize frameSize) {
  if (area.isEmpty()) return QRect();
  if (frameSize.isEmpty() ||
      (area.width() <= frameSize.width() && area.height() <= frameSize.height())) {
    return QRect(QPoint(0, 0), area);
  }
  return QRect(QPoint(0, 0), area.scaled(frameSize, Qt::KeepAspectRatio));
}

CVideoDlg::CVideoDlg(SettingsStore& settings, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint),
      settings_(settings),
      lastActivityTime_(QDateTime::currentDateTime()) {
  setWindowTitle(QStringLiteral("Lyrovox"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(kMinimumSize);
  captionFill_ = CGdiPlusBitmapResource(141).pixmap();
  captionCentre_ = CGdiPlusBitmapResource(146).pixmap();
  resizeCorner_ = CGdiPlusBitmapResource(150).pixmap();
  const Settings& values = settings_.values();
  // The whole window's place and the size of its client area, as it writes them.
  move(values.videoLeft, values.videoTop);
  resize(std::max(values.videoWidth, kMinimumSize.width()),
         std::max(values.videoHeight, kMinimumSize.height()));
  ApplyRoundedRegion(*this, kVideoCorner);
}

CVideoDlg::~CVideoDlg() {
  WriteSettings();
}

void CVideoDlg::SetVideoArea(QWidget* area) {
  area_ = area;
  if (area == nullptr) return;
  area->setParent(this);
  area->setAttribute(Qt::WA_TransparentForMouseEvents);
  area->show();
  LayOut();
}

void CVideoDlg::Attach(CMainFrame& frame, ILyricScreen* screen, const Peers& peers) {
  frame_ = &frame;
  screen_ = screen;
  peers_ = peers;
  LayOut();
}

QRect CVideoDlg::GetVideoRect() const {
  const QWidget* area = area_.data();
  if (area == nullptr) return QRect();
  return VideoFrameTarget(area->size(), FrameSize());
}

void CVideoDlg::LayOut() {
  QWidget* area = area_.data();
  if (area == nullptr) return;
  const QRect picture = fullScreen_ ? rect() : VideoPictureRect(size());
  area->setGeometry(picture);
  area->setVisible(!picture.isEmpty());
  if (screen_ != nullptr) {
    const QRect target = GetVideoRect();
    screen_->SetTargetRect(target.left(), target.top(), target.right() + 1, target.bottom() + 1);
  }
}

void CVideoDlg::SetFullScreen(bool on) {
  NoteActivity();
  if (on == fullScreen_) return;
  if (on) {
    savedRect_ = geometry();
    // The screen the window is on, not always the first one.
    QScreen* display = QGuiApplication::screenAt(geometry().center());
    if (display == nullptr) display = screen();
    fullScreen_ = true;
    clearMask();
    if (display != nullptr) setGeometry(display->geometry());
    setWindowState(windowState() | Qt::WindowFullScreen);
  } else {
    fullScreen_ = false;
    setWindowState(windowState() & ~Qt::WindowFullScreen);
    if (savedRect_.isValid()) setGeometry(savedRect_);
    ApplyRoundedRegion(*this, kVideoCorner);
  }
  LayOut();
  if (screen_ != nullptr) screen_->SetFullScreen(on);
  update();
}

void CVideoDlg::MoveTo(QPoint topLeft) {
  QPoint to = topLeft;
  if (peers_.panel != nullptr) {
    to = SnapToPanel(topLeft, size(), peers_.panel->frameGeometry(), kVideoSnapDistance, dock_);
  } else {
    dock_.docked = false;
  }
  move(to);
}

void CVideoDlg::NoteActivity() {
  activityFlag_ = true;
  lastActivityTime_ = QDateTime::currentDateTime();
}

bool CVideoDlg::event(QEvent* event) {
  if (event->type() == static_cast<QEvent::Type>(kVideoGraphEvent)) {
    if (frame_ != nullptr) frame_->OnVideoGraphEvent();
    return true;
  }
  return QWidget::event(event);
}

void CVideoDlg::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::black);
  if (fullScreen_) return;
  p.drawPixmap(QRect(0, 0, width(), kCaptionStrip), captionFill_);
  p.drawPixmap(width() / 2 - 20, 0, captionCentre_);
  p.drawPixmap(width() - kVideoResizeCorner, height() - kVideoResizeCorner, resizeCorner_);
}

void CVideoDlg::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (!fullScreen_) ApplyRoundedRegion(*this, kVideoCorner);
  LayOut();
}

void CVideoDlg::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    activityFlag_ = false;
    for (QWidget* window : {peers_.playList, peers_.panel, peers_.reservedList}) {
      if (window != nullptr) window->raise();
    }
    event->accept();
    return;
  }
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  if (!fullScreen_) {
    const QPoint at = event->position().toPoint();
    const bool corner =
        at.x() >= width() - kVideoResizeCorner && at.y() >= height() - kVideoResizeCorner;
    drag_ = corner ? Drag::kResize : Drag::kMove;
    pressGlobal_ = event->globalPosition().toPoint();
    pressGeometry_ = geometry();
  }
  NoteActivity();
  event->accept();
}

void CVideoDlg::mouseMoveEvent(QMouseEvent* event) {
  const QPoint delta = event->globalPosition().toPoint() - pressGlobal_;
  if (drag_ == Drag::kMove) {
    MoveTo(pressGeometry_.topLeft() + delta);
  } else if (drag_ == Drag::kResize) {
    resize((pressGeometry_.size() + QSize(delta.x(), delta.y())).expandedTo(minimumSize()));
  }
  event->accept();
}

void CVideoDlg::mouseReleaseEvent(QMouseEvent* event) {
  drag_ = Drag::kNone;
  event->accept();
}

void CVideoDlg::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    drag_ = Drag::kNone;
    ToggleFullScreen();
  }
  event->accept();
}

void CVideoDlg::keyPressEvent(QKeyEvent* event) {
  // Alt+F4 would close the window the singers watch: swallowed.
  if (event->key() == Qt::Key_F4 && (event->modifiers() & Qt::AltModifier)) {
    event->accept();
    return;
  }
  if (frame_ != nullptr &&
      ForwardNumberEntryKey(*frame_, event->key(), event->modifiers(), event->text())) {
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

void CVideoDlg::closeEvent(QCloseEvent* event) {
  // The window manager's close (Alt+F4 there): the window stays; the program closes it itself.
  if (event->spontaneous()) {
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

void CVideoDlg::WriteSettings() {
  // In full screen the place from before it stays in the settings.
  if (fullScreen_) return;
  Settings& values = settings_.values();
  values.videoLeft = pos().x();
  values.videoTop = pos().y();
  values.videoWidth = width();
  values.videoHeight = height();
  settings_.Write({SettingKey::kVideoLeft, SettingKey::kVideoTop, SettingKey::kVideoWidth,
                   SettingKey::kVideoHeight});
}

}  // namespace lyrovox

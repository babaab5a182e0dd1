#include "ui/panel/player_dlg.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <QCloseEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTimerEvent>
#include <QUrl>
#include <algorithm>
#include <cstdint>

#include "controller/main_frame.h"
#include "controller/number_entry_keys.h"
#include "controller/settings_store.h"
#include "controller/window_places.h"
#include "ui/panel/skin_buttons.h"
#include "ui/panel/skin_drawing.h"

namespace lyrovox {

namespace {

const QString kNoSong = QStringLiteral("Please select a song");
const QString kQuitQuestion = QStringLiteral("Song is playing.  Are you sure you want to quit?");
// Help is the user's guide installed with the program, or the build's when it runs from the
// build folder: readable without a network. Empty when there is none.
QString GuideUrl() {
  for (const QString& guide :
       {QCoreApplication::applicationDirPath() + QStringLiteral("/../share/doc/lyrovox/guide.html"),
        QStringLiteral(LYROVOX_BUILD_GUIDE)}) {
    if (QFileInfo(guide).isFile()) {
      return QUrl::fromLocalFile(QFileInfo(guide).canonicalFilePath()).toString();
    }
  }
  return {};
}

// The speed text is held in 20 characters, its terminator included.
constexpr int kSpeedTextUnits = 19;
constexpr int kTitleUnits = 255;

// The panel's fonts, asked for by cell height: the time in "Times New Roman", the title in "Arial".
constexpr int kTimeFontHeight = 24;
constexpr int kTitleFontHeight = 22;

const QColor kTimeColour(178, 209, 255);
const QColor kSeekingTimeColour(232, 94, 242);

constexpr QRect kSeekStrip(0, kSeekStripTop, kPanelWidth, 13);
constexpr QRect kVolumeArea(kVolumeTrackRect.left, kVolumeTrackRect.top, kVolumeTrackRect.width(),
                            kVolumeKnobDrawnHeight);

QPixmap SkinBitmap(int id) {
  return CGdiPlusBitmapResource(id).pixmap();
}

QPixmap Cut(const QPixmap& source, const Edges& e) {
  return CutBitmap(source, e.left, e.top, e.right, e.bottom);
}

// Text in the title band is centred between its top and bottom.
int BandTextTop(const QFont& font) {
  return kTitleBandRect.top + (kTitleBandRect.height() - QFontMetrics(font).height()) / 2;
}

}  // namespace

PanelHitResult HitTestPanel(QPoint p) {
  if (p.x() >= kCloseSpot.left && p.x() <= kCloseSpot.right && p.y() >= kCloseSpot.top &&
      p.y() <= kCloseSpot.bottom) {
    return {PanelHit::kClose, -1};
  }
  if (kMenuIconRect.Inside(p)) return {PanelHit::kMenu, -1};
  if (kPlayListToggleRect.Inside(p)) return {PanelHit::kPlayListToggle, -1};
  if (kSeekTrackRect.Inside(p)) return {PanelHit::kSeekTrack, -1};
  if (kVolumeTrackRect.Inside(p)) return {PanelHit::kVolumeTrack, -1};
  for (size_t i = 0; i < kChannelSpots.size(); ++i) {
    if (kChannelSpots[i].Inside(p)) return {PanelHit::kChannelSpot, static_cast<int>(i)};
  }
  for (size_t i = 0; i < kTrackSpots.size(); ++i) {
    if (kTrackSpots[i].Inside(p)) return {PanelHit::kTrackSpot, static_cast<int>(i)};
  }
  return {PanelHit::kDrag, -1};
}

int VolumeKnobForX(int x) {
  if (x < kVolumeTrackRect.left) return 0;
  if (x <= kVolumeTrackRect.left + kVolumeKnobRange) return x - kVolumeTrackRect.left;
  return kVolumeKnobRange;
}

// The quotient is taken in single precision, the product exactly: 29 / 50 is 0.57999998f.
int VolumePercentForKnob(int knob) {
  const float part = static_cast<float>(knob) / static_cast<float>(kVolumeKnobRange);
  return static_cast<int>(static_cast<double>(part) * 100.0);
}

int VolumeKnobForPercent(int percent) {
  if (percent >= 100) return kVolumeKnobRange;
  if (percent <= 0) return 0;
  const float part = static_cast<float>(percent) / 100.0f;
  return static_cast<int>(static_cast<double>(part) * kVolumeKnobRange);
}

int SeekKnobForX(int x) {
  return std::clamp(x - kSeekKnobGrip, 0, kSeekKnobRange);
}

int SeekMsForKnob(int knob, int durationMs) {
  return static_cast<int>(int64_t{knob} * durationMs / kSeekKnobRange);
}

int SeekKnobForPosition(int positionMs, int durationMs) {
  if (durationMs <= 0) return -1;
  // A position past the end (a duration that was an estimate) keeps the knob on the track.
  const int64_t k = int64_t{std::max(positionMs, 0)} * kSeekKnobRange / durationMs;
  return static_cast<int>(std::min<int64_t>(k, kSeekKnobRange));
}

QString PanelTimeText(int positionMs, int durationMs) {
  const int shown = std::max(positionMs, 0) / 1000;
  const int total = std::max(durationMs, 0) / 1000;
  return QString::asprintf("%02d:%02d / %02d:%02d", shown % 3600 / 60, shown % 60,
                           total % 3600 / 60, total % 60);
}

int Marquee::Step(int width) {
  const int overflow = width - kTitleFitWidth;
  const int previous = offset;
  if (direction == 0) {
    if (offset > -10 - overflow) {
      --offset;
    } else {
      direction = 1;
      offset = -overflow;
    }
  } else {
    if (offset < 38) {
      ++offset;
    } else {
      direction = 0;
      offset = 28;
    }
  }
  // Past either end the text rests there until the offset turns.
  if (offset <= 18 - overflow) return 18 - overflow;
  if (offset >= 18) return 18;
  return previous;
}

CPlayerDlg::CPlayerDlg(SettingsStore& settings, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), settings_(settings) {
  setWindowTitle(QStringLiteral("Lyrovox"));
  // Bitmap 133 covers the whole window: nothing to erase first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  titleFont_ = FontForCellHeight(QStringLiteral("Arial"), kTitleFontHeight);
  timeFont_ = FontForCellHeight(QStringLiteral("Times New Roman"), kTimeFontHeight);
  LoadSkin();
  PlaceButtons();
  Settings& values = settings_.values();
  values.playListShow = values.playListShow != 0 ? kPlayListShown : kPlayListHidden;
  setFixedSize(kPanelWidth, kPanelHeight);
  move(values.playerLeft, values.playerTop);
  ApplyRoundedRegion(*this, kPanelCorner);
  SetSongTitle(kNoSong);
  statusText_ = QStringLiteral("Volume : 100%");
  timer_.start(kPanelTickMs, this);
  Tick();
}

CPlayerDlg::~CPlayerDlg() {
  timer_.stop();
  if (peers_.playList != nullptr) peers_.playList->removeEventFilter(this);
  WriteSettings();
}

void CPlayerDlg::LoadSkin() {
  panel_ = SkinBitmap(133);
  pressed_ = SkinBitmap(134);
  toggleLit_ = Cut(pressed_, kPlayListToggleRect);
  menuIcon_ = SkinBitmap(170);
  seekTrack_ = SkinBitmap(163);
  fill_ = SkinBitmap(165);
  seekKnobImage_ = SkinBitmap(162);
  volumeTrack_ = SkinBitmap(174);
  volumeKnobImage_ = SkinBitmap(175);
  strip_ = SkinBitmap(178);
  channelLit_ = {SkinBitmap(179), SkinBitmap(176), SkinBitmap(177)};
  trackLit_ = {SkinBitmap(180), SkinBitmap(2)};
}

void CPlayerDlg::PlaceButtons() {
  for (size_t i = 0; i < kPanelButtons.size(); ++i) {
    const PanelButton& spec = kPanelButtons[i];
    auto* button = new COwnerDrawButton(this);
    button->SetImages(Cut(panel_, spec.rect), Cut(pressed_, spec.rect));
    button->setGeometry(spec.rect.rect());
    button->setAccessibleName(QString::fromLatin1(spec.name));
    const int id = spec.id;
    connect(button, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
    buttons_[i] = button;
  }
}

COwnerDrawButton* CPlayerDlg::button(int id) const {
  for (size_t i = 0; i < kPanelButtons.size(); ++i) {
    if (kPanelButtons[i].id == id) return buttons_[i];
  }
  return nullptr;
}

void CPlayerDlg::Attach(CMainFrame& frame, const Peers& peers) {
  frame_ = &frame;
  if (peers_.playList != nullptr) peers_.playList->removeEventFilter(this);
  peers_ = peers;
  playListWatch_ = peers_.playList;
  // The play list may hide itself (its close mark): the toggle follows.
  if (peers_.playList != nullptr) peers_.playList->installEventFilter(this);
}

// --- What the controller tells the panel ---

void CPlayerDlg::SetSongTitle(const QString& title) {
  songTitle_ = title.left(kTitleUnits);
  titleWidth_ = QFontMetrics(titleFont_).horizontalAdvance(songTitle_);
}

void CPlayerDlg::ResetSongDisplay() {
  position_ = 0;
  duration_ = 0;
  titleWidth_ = 0;
  seekKnob_ = 0;
  SetSongTitle(kNoSong);
}

void CPlayerDlg::SetSeekable(bool seekable) {
  seekable_ = seekable;
  RefreshTimeAndSeek();
  update();
}

void CPlayerDlg::SetVolumeDisplay(int percent) {
  statusCounter_ = 1;
  volumeKnob_ = VolumeKnobForPercent(percent);
  update(kVolumeArea);
  statusText_ = QString::asprintf("Volume: %d%%", percent);
}

void CPlayerDlg::ShowChannel(int mode) {
  channel_ = mode;
  update(ChannelStripRect());
}

void CPlayerDlg::ShowAudioTrack(int track) {
  track_ = track;
  update(ChannelStripRect());
}

void CPlayerDlg::ShowRate(double rate) {
  statusCounter_ = 2;
  statusText_ = QString::asprintf("Speed: %.02fX", rate).left(kSpeedTextUnits);
}

void CPlayerDlg::ShowStatusText(const QString& text) {
  statusCounter_ = 2;
  statusText_ = text;
}

void CPlayerDlg::ShowNotice(const QString& text, int ms) {
  noticeText_ = text.left(kTitleUnits);
  noticeWidth_ = QFontMetrics(titleFont_).horizontalAdvance(noticeText_);
  noticeMarquee_ = Marquee{};
  if (!noticeClock_.isValid()) noticeClock_.start();
  noticeUntilMs_ = noticeClock_.elapsed() + ms;
}

QString CPlayerDlg::noticeText() const {
  return noticeClock_.isValid() && noticeClock_.elapsed() < noticeUntilMs_ ? noticeText_
                                                                           : QString();
}

int CPlayerDlg::playListShow() const {
  return settings_.values().playListShow;
}

void CPlayerDlg::SetPlayListShow(int show) {
  const int code = show != 0 ? kPlayListShown : kPlayListHidden;
  int& shown = settings_.values().playListShow;
  if (code == shown) return;
  shown = code;
  update(kPlayListToggleRect.rect());
}

// --- Commands ---

bool CPlayerDlg::OnCommand(int id) {
  switch (id) {
    case kCommandStop:
      if (frame_ != nullptr) frame_->StopSong();
      return true;
    case kCommandPrevious:
      if (frame_ != nullptr) frame_->PlayPreviousSong();
      return true;
    case kCommandPlay:
      if (frame_ != nullptr) frame_->ReplaySong();
      return true;
    case kCommandNext:
      if (frame_ != nullptr) frame_->PlayNextSong();
      return true;
    case kCommandLoad:
      if (frame_ != nullptr) frame_->OpenKaraokeFile(this);
      return true;
    case kCommandSetup:
    case kCommandSetupMenu:
      if (frame_ != nullptr) frame_->ApplySetup(this);
      return true;
    case kCommandAbout:
      if (peers_.showAbout) peers_.showAbout(this);
      return true;
    case kCommandHelp: {
      const QString url = GuideUrl();
      if (url.isEmpty()) {
        if (peers_.messages != nullptr) {
          peers_.messages->ShowMessageBox(QStringLiteral("The user's guide is not installed."));
        }
      } else if (peers_.openUrl) {
        peers_.openUrl(url);
      } else {
        QDesktopServices::openUrl(QUrl(url));
      }
      return true;
    }
    case kCommandAlwaysOnTop:
      alwaysOnTop_ = !alwaysOnTop_;
      if (peers_.setAlwaysOnTop) peers_.setAlwaysOnTop(alwaysOnTop_);
      return true;
    case kCommandExit:
      Quit();
      return true;
    default:
      return false;
  }
}

std::unique_ptr<QMenu> CPlayerDlg::MakeMenu() {
  auto menu = std::make_unique<QMenu>(this);
  auto add = [&](const QString& text, int id) {
    QAction* action = menu->addAction(text);
    action->setData(id);
    connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    return action;
  };
  add(QStringLiteral("About Lyrovox..."), kCommandAbout);
  menu->addSeparator();
  add(QStringLiteral("Help"), kCommandHelp);
  add(QStringLiteral("Setup..."), kCommandSetupMenu);
  QAction* onTop = add(QStringLiteral("Always On Top"), kCommandAlwaysOnTop);
  onTop->setCheckable(true);
  onTop->setChecked(alwaysOnTop_);
  menu->addSeparator();
  add(QStringLiteral("Exit"), kCommandExit);
  return menu;
}

void CPlayerDlg::Quit() {
  if (frame_ == nullptr) return;
  if (frame_->ScreenPlayState() != kPlayStateIdle && peers_.messages != nullptr &&
      !peers_.messages->AskYesNo(kQuitQuestion)) {
    return;
  }
  if (peers_.beforeExit) peers_.beforeExit(this);
  frame_->Quit();
}

void CPlayerDlg::ShowPlayList(int show) {
  SetPlayListShow(show);
  if (peers_.playList == nullptr) return;
  if (playListShow() == kPlayListShown) {
    peers_.playList->show();
    peers_.playList->raise();
  } else {
    peers_.playList->hide();
  }
}

void CPlayerDlg::MoveTo(QPoint topLeft) {
  move(topLeft);
  if (peers_.reservedList != nullptr) {
    peers_.reservedList->move(topLeft + QPoint(0, kReservedListDrop));
  }
  if (peers_.playList != nullptr && peers_.playListDock != nullptr && peers_.playListDock->docked) {
    peers_.playList->move(topLeft + peers_.playListDock->offset);
  }
  if (peers_.videoWindow != nullptr && peers_.videoDock != nullptr && peers_.videoDock->docked) {
    peers_.videoWindow->move(topLeft + peers_.videoDock->offset);
  }
}

// --- The 250 ms tick ---

CPlayerDlg::Band CPlayerDlg::BandNow() {
  Band band;
  if (volumeDragging_ || statusCounter_ > 0) {
    band.text = statusText_;
    band.x = kPanelCentreX - QFontMetrics(titleFont_).horizontalAdvance(statusText_) / 2;
  } else if (!noticeText().isEmpty()) {
    band.text = noticeText_;
    band.x = noticeWidth_ <= kTitleFitWidth ? (418 - noticeWidth_) / 2
                                            : noticeMarquee_.Step(noticeWidth_);
  } else if (titleWidth_ <= kTitleFitWidth) {
    band.text = songTitle_;
    band.x = (418 - titleWidth_) / 2;
  } else {
    band.text = songTitle_;
    band.x = marquee_.Step(titleWidth_);
  }
  if (statusCounter_ > 0) statusCounter_ = 0;
  return band;
}

CPlayerDlg::TimeShown CPlayerDlg::TimeNow() const {
  if (duration_ <= 0) return {};
  if (seekDragging_ && seekable_) {
    return {PanelTimeText(SeekMsForKnob(seekKnob_, duration_), duration_), kSeekingTimeColour};
  }
  return {PanelTimeText(position_, duration_), kTimeColour};
}

int CPlayerDlg::SeekKnobNow() const {
  if (duration_ <= 0 || !seekable_) return -1;
  if (seekDragging_) return seekKnob_;
  return SeekKnobForPosition(position_, duration_);
}

QRect CPlayerDlg::TimeRect(const QString& text) const {
  if (text.isEmpty()) return QRect();
  const QFontMetrics metrics(timeFont_);
  const int width = metrics.horizontalAdvance(text);
  return QRect(kTimeTextCentreX - width / 2, kTimeTextTop, width, metrics.height());
}

void CPlayerDlg::RefreshTimeAndSeek() {
  const TimeShown time = TimeNow();
  if (!(time == time_)) {
    update(TimeRect(time_.text) | TimeRect(time.text));
    time_ = time;
  }
  const int knob = SeekKnobNow();
  if (knob != shownSeekKnob_) {
    shownSeekKnob_ = knob;
    update(kSeekStrip);
  }
}

void CPlayerDlg::Tick() {
  const Band band = BandNow();
  if (!(band == band_)) {
    band_ = band;
    update(kTitleBandRect.rect());
  }
  RefreshTimeAndSeek();
}

void CPlayerDlg::timerEvent(QTimerEvent* event) {
  if (event->timerId() == timer_.timerId()) {
    Tick();
    return;
  }
  QWidget::timerEvent(event);
}

// --- Painting ---

void CPlayerDlg::paintEvent(QPaintEvent*) {
  {
    QPainter p(this);
    p.drawPixmap(0, 0, panel_);
    if (playListShow() == kPlayListShown) {
      p.drawPixmap(kPlayListToggleRect.left, kPlayListToggleRect.top, toggleLit_);
    }
    p.drawPixmap(kMenuIconRect.left, kMenuIconRect.top, menuIcon_);
    p.drawPixmap(kVolumeTrackRect.left, kVolumeTrackRect.top, volumeTrack_);
    if (volumeKnob_ > 0) {
      p.drawPixmap(QRect(kVolumeTrackRect.left, kVolumeFillTop, volumeKnob_, kFillHeight), fill_);
    }
    p.drawPixmap(
        QRect(kVolumeTrackRect.left + volumeKnob_, kVolumeTrackRect.top,
              volumeKnobImage_.deviceIndependentSize().toSize().width(), kVolumeKnobDrawnHeight),
        volumeKnobImage_);
    p.drawPixmap(kChannelStripRect.left, kChannelStripRect.top, strip_);
    if (channel_ >= 0 && channel_ < static_cast<int>(kChannelSpots.size())) {
      const Edges& spot = kChannelSpots[channel_];
      p.drawPixmap(spot.left, spot.top, channelLit_[channel_]);
    }
    if (track_ >= 0 && track_ < static_cast<int>(kTrackSpots.size())) {
      const Edges& spot = kTrackSpots[track_];
      p.drawPixmap(spot.left, spot.top, trackLit_[track_]);
    }
  }
  // What the timer keeps up to date, each in a pass over its own rectangle.
  {
    CMemDC dc(this, kTitleBandRect.rect());
    dc.setFont(titleFont_);
    dc.setPen(Qt::white);
    dc.drawText(QPoint(band_.x, BandTextTop(titleFont_) + QFontMetrics(titleFont_).ascent()),
                band_.text);
  }
  if (!time_.text.isEmpty()) {
    CMemDC dc(this, TimeRect(time_.text));
    dc.fillRect(dc.rect(), Qt::black);
    dc.setFont(timeFont_);
    dc.setPen(time_.colour);
    dc.drawText(dc.rect(), Qt::AlignCenter | Qt::TextSingleLine, time_.text);
  }
  if (shownSeekKnob_ >= 0) {
    CMemDC dc(this, kSeekStrip);
    dc.drawPixmap(0, kSeekStripTop, seekTrack_);
    if (shownSeekKnob_ > 0) {
      dc.drawPixmap(QRect(kSeekTrackRect.left, kSeekFillTop, shownSeekKnob_, kFillHeight), fill_);
    }
    dc.drawPixmap(kSeekTrackRect.left + shownSeekKnob_, kSeekStripTop, seekKnobImage_);
  }
}

// --- Mouse and keys ---

void CPlayerDlg::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  const QPoint at = event->position().toPoint();
  const PanelHitResult hit = HitTestPanel(at);
  switch (hit.hit) {
    case PanelHit::kClose:
      Quit();
      break;
    case PanelHit::kMenu: {
      const std::unique_ptr<QMenu> menu = MakeMenu();
      menu->exec(QCursor::pos());
      break;
    }
    case PanelHit::kPlayListToggle:
      ShowPlayList(playListShow() == kPlayListShown ? kPlayListHidden : kPlayListShown);
      break;
    case PanelHit::kSeekTrack:
      if (seekable_) {
        seekDragging_ = true;
        seekKnob_ = SeekKnobForX(at.x());
        RefreshTimeAndSeek();
      }
      break;
    case PanelHit::kVolumeTrack:
      volumeDragging_ = true;
      FollowVolume(at.x());
      break;
    case PanelHit::kChannelSpot:
      if (frame_ != nullptr) {
        frame_->SetAudioChannel(hit.spot);
      } else {
        ShowChannel(hit.spot);
      }
      break;
    case PanelHit::kTrackSpot:
      if (frame_ != nullptr) {
        frame_->SelectAudioTrack(hit.spot);
      } else {
        ShowAudioTrack(hit.spot);
      }
      break;
    case PanelHit::kDrag:
      if (peers_.reservedList != nullptr) peers_.reservedList->raise();
      dragging_ = true;
      dragOffset_ = event->globalPosition().toPoint() - pos();
      break;
  }
  event->accept();
}

void CPlayerDlg::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (seekDragging_) {
    seekKnob_ = SeekKnobForX(at.x());
    RefreshTimeAndSeek();
  }
  if (volumeDragging_) FollowVolume(at.x());
  if (dragging_) MoveTo(event->globalPosition().toPoint() - dragOffset_);
  event->accept();
}

void CPlayerDlg::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mouseReleaseEvent(event);
    return;
  }
  if (seekDragging_) {
    seekDragging_ = false;
    if (frame_ != nullptr) frame_->SeekVideoSong(SeekMsForKnob(seekKnob_, duration_));
    RefreshTimeAndSeek();
  }
  if (volumeDragging_) {
    volumeDragging_ = false;
    FollowVolume(event->position().toPoint().x());
  }
  dragging_ = false;
  event->accept();
}

void CPlayerDlg::FollowVolume(int x) {
  volumeKnob_ = VolumeKnobForX(x);
  const int percent = VolumePercentForKnob(volumeKnob_);
  update(kVolumeArea);
  statusText_ = QString::asprintf("Volume: %d%%", percent);
  if (frame_ != nullptr) frame_->SetVolume(percent);
  if (volumeDragging_) {
    // The band shows the volume at once while the knob moves, not a tick later.
    const Band band = BandNow();
    if (!(band == band_)) {
      band_ = band;
      update(kTitleBandRect.rect());
    }
  }
}

void CPlayerDlg::keyPressEvent(QKeyEvent* event) {
  if (frame_ != nullptr &&
      ForwardNumberEntryKey(*frame_, event->key(), event->modifiers(), event->text())) {
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

void CPlayerDlg::closeEvent(QCloseEvent* event) {
  // Closed from outside (the window manager, Alt+F4): the same as Exit.
  if (event->spontaneous()) {
    event->ignore();
    Quit();
    return;
  }
  QWidget::closeEvent(event);
}

bool CPlayerDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == peers_.playList && !event->spontaneous() &&
      (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
    // Taken a moment later: a play list being destroyed, or hidden as the program ends, does
    // not count as the user hiding it.
    QMetaObject::invokeMethod(this, &CPlayerDlg::FollowPlayList, Qt::QueuedConnection);
  }
  return QWidget::eventFilter(watched, event);
}

void CPlayerDlg::FollowPlayList() {
  const QWidget* list = playListWatch_.data();
  if (list != nullptr) SetPlayListShow(list->isVisible() ? kPlayListShown : kPlayListHidden);
}

void CPlayerDlg::WriteSettings() {
  Settings& values = settings_.values();
  values.playerLeft = x();
  values.playerTop = y();
  settings_.Write({SettingKey::kPlayerLeft, SettingKey::kPlayerTop, SettingKey::kPlayListShow});
}

}  // namespace lyrovox

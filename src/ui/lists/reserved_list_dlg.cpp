#include "ui/lists/reserved_list_dlg.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include "controller/main_frame.h"
#include "controller/qt_text.h"
#include "controller/settings_store.h"
#include "controller/song_paths.h"
#include "ui/lists/list_commands.h"
#include "ui/lists/list_file_keeper.h"
#include "ui/lists/m3u_file.h"
#include "ui/lists/skin_art.h"

namespace lyrovox {

namespace {

constexpr char kClearQuestion[] =
    "Can't disable reserved list when not empty.\nDo you want to clear the reserved list and "
    "disable it?";

}  // namespace

ReservedListDlg::ReservedListDlg(SettingsStore& settings, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), settings_(settings) {
  setObjectName(QStringLiteral("ReservedListDlg"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  headerOn_ = LoadSkinBitmap(kBitmapReservedHeaderOn);
  headerOff_ = LoadSkinBitmap(kBitmapReservedHeaderOff);
  list_ = new CSkinListCtrl(false, this);
  list_->setObjectName(QStringLiteral("ReservedList"));
  connect(list_, &QWidget::customContextMenuRequested, this, [this] { OnContextMenu(); });
  keeper_ = std::make_unique<ListFileKeeper>([this]() -> std::optional<ListFileKeeper::Encoder> {
    // A copy of the rows (their texts are shared, not copied) is encoded on the worker.
    return [rows = list_->rows().rows()] {
      std::vector<m3u::Entry> entries;
      entries.reserve(rows.size());
      for (const SongRow& row : rows)
        entries.push_back(
            m3u::Entry{std::u16string(ViewOf(row.path)), std::u16string(ViewOf(row.title)), {}});
      return m3u::EncodeEntryFile(entries);
    };
  });
  keeper_->Watch(list_->rows());
  ApplyModeSize();
}

ReservedListDlg::~ReservedListDlg() {
  WriteList();
}

void ReservedListDlg::SetListPath(const QString& path) {
  keeper_->SetPath(path);
}

bool ReservedListDlg::RestoreList() {
  if (keeper_->path().isEmpty()) return false;
  std::vector<m3u::Entry> entries;
  if (!m3u::ReadEntryFile(NativePath(keeper_->path()), entries)) return false;
  std::vector<SongRow> rows;
  rows.reserve(entries.size());
  for (const m3u::Entry& entry : entries) {
    const QString path = ToQString(entry.path);
    // A row written by an older program without its title shows the file's name.
    rows.push_back(SongRow{entry.title.empty() ? FileTitle(path) : ToQString(entry.title), path});
  }
  list_->rows().InsertRows(Count(), std::move(rows));
  keeper_->MarkSaved();
  return true;
}

bool ReservedListDlg::WriteList() {
  return keeper_->WriteNow();
}

void ReservedListDlg::Attach(CMainFrame& frame, IMessagePort& messages) {
  frame_ = &frame;
  messages_ = &messages;
}

bool ReservedListDlg::modeOn() const {
  return settings_.values().reservedListEnable != 0;
}

int ReservedListDlg::Count() const {
  return list_->rows().count();
}

QString ReservedListDlg::Title(int row) const {
  return row >= 0 && row < Count() ? list_->rows().row(row).title : QString();
}

QString ReservedListDlg::Path(int row) const {
  return row >= 0 && row < Count() ? list_->rows().row(row).path : QString();
}

void ReservedListDlg::InsertSong(int position, const QString& title, const QString& path) {
  list_->InsertSong(title, path, position);
}

void ReservedListDlg::DeleteSong(int row) {
  list_->rows().Remove(row);
}

void ReservedListDlg::ClearSongs() {
  list_->rows().Clear();
}

void ReservedListDlg::Redraw() {
  update();
  list_->viewport()->update();
}

bool ReservedListDlg::InModeSpot(QPoint p) {
  return p.x() > 155 && p.x() < 261 && p.y() >= 2 && p.y() <= 16;
}

void ReservedListDlg::SwitchMode() {
  if (!modeOn()) {
    SetMode(true);
    return;
  }
  if (Count() > 0) {
    if (messages_ == nullptr || !messages_->AskYesNo(QString::fromLatin1(kClearQuestion))) return;
    ClearSongs();
  }
  SetMode(false);
}

void ReservedListDlg::SetMode(bool on) {
  // The frame writes the setting, redraws the play list (its caption, its marked row) and
  // rebuilds the next-song banner, which an empty queue empties.
  if (frame_ != nullptr) {
    frame_->SetReservedListEnable(on);
  } else {
    settings_.WriteInt(SettingKey::kReservedListEnable, on ? 1 : 0);
  }
  ApplyModeSize();
}

void ReservedListDlg::ApplyModeSize() {
  const bool on = modeOn();
  setFixedSize(kWidth, on ? kHeightOn : kHeightOff);
  list_->setVisible(on);
  ApplyRoundedRegion(*this, kCorner);
  update();
}

bool ReservedListDlg::OnCommand(int id) {
  switch (id) {
    case kCmdMoveReservedToFirst:
      MoveToFirst();
      return true;
    case kCmdDeleteReserved:
      DeleteSelected();
      return true;
    default:
      return false;
  }
}

void ReservedListDlg::OnContextMenu() {
  QMenu menu(this);
  menu.addAction(QStringLiteral("Move Song to First Reserved"))->setData(kCmdMoveReservedToFirst);
  menu.addAction(QStringLiteral("Delete Selected Reserved Song"))->setData(kCmdDeleteReserved);
  QAction* chosen = runMenu_ ? runMenu_(menu) : menu.exec(QCursor::pos());
  if (chosen != nullptr) OnCommand(chosen->data().toInt());
}

void ReservedListDlg::MoveToFirst() {
  const int row = list_->FirstSelectedRow();
  if (row < 0) return;
  const SongRow song = list_->rows().row(row);
  list_->rows().Remove(row);
  list_->rows().Insert(0, song);
  list_->selectRow(0);
  if (frame_ != nullptr) frame_->RefreshNextSongBanner();
}

void ReservedListDlg::DeleteSelected() {
  const int row = list_->FirstSelectedRow();
  if (row < 0) return;
  list_->rows().Remove(row);
  if (frame_ != nullptr) frame_->RefreshNextSongBanner();
}

void ReservedListDlg::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::black);
  p.drawPixmap(0, 0, modeOn() ? headerOn_ : headerOff_);
}

void ReservedListDlg::resizeEvent(QResizeEvent*) {
  // The list fills the window under the header, less the border.
  list_->setGeometry(0, kHeaderHeight, width() - 1, std::max(0, height() - kHeaderHeight - 1));
}

void ReservedListDlg::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && InModeSpot(event->position().toPoint())) SwitchMode();
}

}  // namespace lyrovox

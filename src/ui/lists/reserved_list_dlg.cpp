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
#include "requests/rotation.h"
#include "ui/lists/list_commands.h"
#include "ui/lists/list_file_keeper.h"
#include "ui/lists/m3u_file.h"
#include "ui/lists/skin_art.h"

namespace lyrovox {

namespace {

// The reserved list file's values per entry (older readers skip these comment lines).
constexpr char16_t kSingerKey[] = u"LYROVOX-SINGER";
constexpr char16_t kPausedKey[] = u"LYROVOX-PAUSED";
constexpr char16_t kMovedKey[] = u"LYROVOX-MOVED";
// A kept singer's name is cut to what the request page allows, with room for the host's names.
constexpr int kMaxKeptSinger = 64;

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
      for (const SongRow& row : rows) {
        m3u::Entry entry{std::u16string(ViewOf(row.path)), std::u16string(ViewOf(row.title)), {}};
        // The rotation's part of the row: whose turn it is, and the host's say over it.
        // The host's songs say nothing: a row without a singer is the host's.
        if (!row.singer.isEmpty() && row.singer != QLatin1String(kHostSinger))
          entry.values.emplace_back(kSingerKey, ViewOf(row.singer));
        if (row.paused) entry.values.emplace_back(kPausedKey, u"1");
        if (row.moved) entry.values.emplace_back(kMovedKey, u"1");
        entries.push_back(std::move(entry));
      }
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
    SongRow row{entry.title.empty() ? FileTitle(path) : ToQString(entry.title), path};
    for (const auto& [name, value] : entry.values) {
      if (name == kSingerKey) row.singer = ToQString(value).left(kMaxKeptSinger);
      if (name == kPausedKey) row.paused = value == u"1";
      if (name == kMovedKey) row.moved = value == u"1";
    }
    rows.push_back(std::move(row));
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

ReservedSong ReservedListDlg::Song(int row) const {
  if (row < 0 || row >= Count()) return {};
  const SongRow& r = list_->rows().row(row);
  return {r.title, r.path, r.singer, r.id, r.paused, r.moved};
}

void ReservedListDlg::InsertSong(int position, const QString& title, const QString& path) {
  list_->InsertSong(title, path, position);
}

namespace {

SongRow RowOf(const ReservedSong& song) {
  SongRow row{song.title, song.path};
  row.singer = song.singer;
  row.id = song.id;
  row.paused = song.paused;
  row.moved = song.moved;
  return row;
}

}  // namespace

void ReservedListDlg::InsertSong(int position, const ReservedSong& song) {
  list_->rows().Insert(position, RowOf(song));
}

void ReservedListDlg::SetSongs(const std::vector<ReservedSong>& songs) {
  // The selected song stays selected where it went.
  const int selected = list_->FirstSelectedRow();
  const quint64 selectedId = selected >= 0 ? list_->rows().row(selected).id : 0;
  std::vector<SongRow> rows;
  rows.reserve(songs.size());
  for (const ReservedSong& song : songs)
    rows.push_back(RowOf(song));
  list_->rows().Reset(std::move(rows));
  for (int r = 0; selectedId != 0 && r < Count(); ++r) {
    if (list_->rows().row(r).id == selectedId) list_->selectRow(r);
  }
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
    case kCmdPauseReservedSinger:
      PauseSelectedSinger();
      return true;
    case kCmdRemoveReservedSinger:
      RemoveSelectedSinger();
      return true;
    default:
      return false;
  }
}

void ReservedListDlg::OnContextMenu() {
  QMenu menu(this);
  menu.addAction(QStringLiteral("Move Song to First Reserved"))->setData(kCmdMoveReservedToFirst);
  menu.addAction(QStringLiteral("Delete Selected Reserved Song"))->setData(kCmdDeleteReserved);
  // The selected song's singer, when a singer asked for it from a phone or the host did.
  const int row = list_->FirstSelectedRow();
  const SongRow* song = row >= 0 ? &list_->rows().row(row) : nullptr;
  if (song != nullptr && !song->singer.isEmpty()) {
    menu.addSeparator();
    const QString pause = song->paused ? QStringLiteral("Resume Singer \"%1\"")
                                       : QStringLiteral("Pause Singer \"%1\"");
    menu.addAction(pause.arg(song->singer))->setData(kCmdPauseReservedSinger);
    menu.addAction(QStringLiteral("Remove Singer \"%1\" and Their Songs").arg(song->singer))
        ->setData(kCmdRemoveReservedSinger);
  }
  QAction* chosen = runMenu_ ? runMenu_(menu) : menu.exec(QCursor::pos());
  if (chosen != nullptr) OnCommand(chosen->data().toInt());
}

void ReservedListDlg::MoveToFirst() {
  const int row = list_->FirstSelectedRow();
  if (row < 0) return;
  // The frame keeps the rotation: the move stands in it.
  if (frame_ != nullptr) {
    frame_->MoveReservedToFront(row);
    list_->selectRow(0);
    return;
  }
  const SongRow song = list_->rows().row(row);
  list_->rows().Remove(row);
  list_->rows().Insert(0, song);
  list_->selectRow(0);
}

void ReservedListDlg::DeleteSelected() {
  const int row = list_->FirstSelectedRow();
  if (row < 0) return;
  if (frame_ != nullptr) {
    frame_->DeleteReserved(row);
  } else {
    list_->rows().Remove(row);
  }
}

void ReservedListDlg::PauseSelectedSinger() {
  const int row = list_->FirstSelectedRow();
  if (row < 0 || frame_ == nullptr) return;
  const SongRow& song = list_->rows().row(row);
  if (song.singer.isEmpty()) return;
  frame_->PauseSinger(song.singer, !song.paused);
}

void ReservedListDlg::RemoveSelectedSinger() {
  const int row = list_->FirstSelectedRow();
  if (row < 0 || frame_ == nullptr) return;
  const QString singer = list_->rows().row(row).singer;
  if (!singer.isEmpty()) frame_->RemoveSinger(singer);
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

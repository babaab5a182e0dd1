#include "ui/lists/play_list_dlg.h"

#include <malloc.h>

#include <QAction>
#include <QCursor>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QUrl>

#include "controller/main_frame.h"
#include "controller/qt_text.h"
#include "controller/settings_store.h"
#include "controller/song_library.h"
#include "controller/song_paths.h"
#include "ui/lists/list_commands.h"
#include "ui/lists/list_file_keeper.h"
#include "ui/lists/m3u_file.h"
#include "ui/lists/skin_art.h"
#include "ui/lists/song_files.h"
#include "ui/lists/song_search.h"

namespace lyrovox {

namespace {

constexpr int kCaptionFontCellHeight = 15;
constexpr int kSearchFontCellHeight = 14;
// The lists' height leaves the bottom band and the border (the system's border height is 1).
constexpr int kListsBottomMargin = 57 + 1;

// The value of a title's first six characters, read as a C library's atoi reads them.
int LeadingNumber(const QString& title) {
  const QString head = title.left(6);
  qsizetype i = 0;
  while (i < head.size() && (head[i] == u' ' || head[i] == u'\t'))
    ++i;
  bool negative = false;
  if (i < head.size() && (head[i] == u'+' || head[i] == u'-')) negative = head[i++] == u'-';
  int value = 0;
  for (; i < head.size() && head[i] >= u'0' && head[i] <= u'9'; ++i)
    value = value * 10 + (head[i].unicode() - u'0');
  return negative ? -value : value;
}

// A big list leaves its reading's buffers free in the heap; they go back to the system.
void ReleaseFreedMemory() {
#ifdef __GLIBC__
  malloc_trim(0);
#endif
}

bool SamePath(const QString& a, const QString& b) {
  return !a.isEmpty() && QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

}  // namespace

PlayListDlg::PlayListDlg(SettingsStore& settings, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), settings_(settings) {
  setObjectName(QStringLiteral("PlayListDlg"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAcceptDrops(true);
  caption_ = LoadSkinBitmap(kBitmapPlayListCaption);
  close_ = LoadSkinBitmap(kBitmapPlayListClose);
  bottom_ = LoadSkinBitmap(kBitmapPlayListBottom);
  searchLabel_ = LoadSkinBitmap(kBitmapSearchLabel);
  menuIcon_ = LoadSkinBitmap(kBitmapMenuIcon);
  captionFont_ = FontForCellHeight(QStringLiteral("Arial"), kCaptionFontCellHeight);

  songList_ = new CSkinListCtrl(true, this);
  songList_->setObjectName(QStringLiteral("SongList"));
  songList_->rows().EnableSearch();
  results_ = new CSkinListCtrl(true, this);
  results_->setObjectName(QStringLiteral("SearchResults"));
  // An empty list says how to fill it; a search without a match says so.
  songList_->SetEmptyText(kEmptySongListText);
  results_->SetEmptyText(kNoMatchText);

  const QPixmap normal = LoadSkinBitmap(kBitmapListButtons);
  const QPixmap pushed = LoadSkinBitmap(kBitmapListButtonsPushed);
  addButton_ = new COwnerDrawButton(this);
  addButton_->SetImages(CutBitmap(normal, 0, 0, 36, 33), CutBitmap(pushed, 0, 0, 36, 33));
  addButton_->resize(36, 33);
  removeButton_ = new COwnerDrawButton(this);
  removeButton_->SetImages(CutBitmap(normal, 46, 0, 83, 33), CutBitmap(pushed, 46, 0, 83, 33));
  removeButton_->resize(37, 33);

  search_ = new QLineEdit(this);
  search_->setObjectName(QStringLiteral("SearchBox"));
  search_->setFont(
      FontForCellHeight(QStringLiteral("Arial"), kSearchFontCellHeight, QFont::Normal));
  search_->setFrame(false);
  search_->setAcceptDrops(false);
  search_->resize(180, 18);

  connect(addButton_, &QAbstractButton::clicked, this, [this] {
    PopupCommands({{kCmdAddFiles, "Add file(s)"}, {kCmdAddFolder, "Add folder"}});
  });
  connect(removeButton_, &QAbstractButton::clicked, this, [this] {
    PopupCommands({{kCmdRemoveSelected, "Remove selected"}, {kCmdClearSongList, "Clear songlist"}});
  });
  connect(search_, &QLineEdit::textChanged, this, [this] { RunSearch(); });
  connect(songList_, &CSkinListCtrl::RowDoubleClicked, this,
          [this](int row) { OnSongListDoubleClick(row); });
  connect(results_, &CSkinListCtrl::RowDoubleClicked, this,
          [this](int row) { OnResultDoubleClick(row); });
  connect(songList_, &QWidget::customContextMenuRequested, this,
          [this] { OnSongListContextMenu(); });
  connect(results_, &QWidget::customContextMenuRequested, this, [this] { OnResultsContextMenu(); });

  // Results shown while the song list changes are brought up to date (once per burst).
  auto refresh = [this] {
    if (search_->text().isEmpty() || searchRefreshPending_) return;
    searchRefreshPending_ = true;
    QTimer::singleShot(0, this, [this] {
      searchRefreshPending_ = false;
      if (!search_->text().isEmpty()) RunSearch();
    });
  };
  SongRowsModel* rows = &songList_->rows();
  connect(rows, &QAbstractItemModel::rowsInserted, this, refresh);
  connect(rows, &QAbstractItemModel::rowsRemoved, this, refresh);
  connect(rows, &QAbstractItemModel::modelReset, this, refresh);
  connect(rows, &QAbstractItemModel::dataChanged, this, refresh);

  keeper_ = std::make_unique<ListFileKeeper>([this]() -> std::optional<ListFileKeeper::Encoder> {
    if (Count() > 0) emptiedByUser_ = false;
    // An empty list replaces the kept songs only when the user emptied it.
    if (Count() == 0 && !emptiedByUser_ && defaultListHasSongs_) return std::nullopt;
    defaultListHasSongs_ = Count() > 0;
    if (defaultListUnreadable_ && QFileInfo::exists(defaultListPath_)) {
      // Kept aside, not lost, before the list the user made replaces it.
      const QString aside = defaultListPath_ + QStringLiteral(".bak");
      QFile::remove(aside);
      QFile::rename(defaultListPath_, aside);
    }
    defaultListUnreadable_ = false;
    // A copy of the rows (their texts are shared, not copied) is encoded on the worker.
    return [rows = songList_->rows().rows()] {
      std::vector<std::u16string> paths;
      paths.reserve(rows.size());
      for (const SongRow& row : rows)
        paths.emplace_back(ViewOf(row.path));
      return m3u::EncodeListFile(paths);
    };
  });
  keeper_->Watch(songList_->rows());

  resize(kWidth, kHeight);
  move(settings_.values().playListLeft, settings_.values().playListTop);
  ShowSongList(1);
}

PlayListDlg::~PlayListDlg() {
  WriteSettings();
}

void PlayListDlg::Attach(CMainFrame& frame, IFileDialogs& dialogs, IMessagePort& messages) {
  frame_ = &frame;
  dialogs_ = &dialogs;
  messages_ = &messages;
}

bool PlayListDlg::reservedOn() const {
  return settings_.values().reservedListEnable != 0;
}

int PlayListDlg::Count() const {
  return songList_->rows().count();
}

QString PlayListDlg::Title(int row) const {
  return row >= 0 && row < Count() ? songList_->rows().row(row).title : QString();
}

QString PlayListDlg::Path(int row) const {
  return row >= 0 && row < Count() ? songList_->rows().row(row).path : QString();
}

void PlayListDlg::AddSong(const QString& name, const QString& path, int position) {
  songList_->InsertSong(NumberedText(position + 1, name), path, position);
}

void PlayListDlg::AppendSongs(std::vector<SongRow> songs) {
  songList_->rows().InsertRows(Count(), std::move(songs));
}

void PlayListDlg::ClearSongList() {
  songList_->rows().Clear();
  SetPlayPosition(-1);
}

int PlayListDlg::PlayPosition() const {
  return songList_->markedRow();
}

void PlayListDlg::SetPlayPosition(int row) {
  songList_->SetMarkedRow(row);
}

void PlayListDlg::ClearSearch() {
  search_->clear();
}

void PlayListDlg::Redraw() {
  update();
  songList_->viewport()->update();
  results_->viewport()->update();
}

bool PlayListDlg::ReadSongListFile(const QString& path) {
  return ReadSongListFile(path, Count());
}

bool PlayListDlg::ReadSongListFile(const QString& path, int first) {
  const bool isDefault = SamePath(path, defaultListPath_);
  std::vector<SongRow> songs;
  const bool read = m3u::ReadListFile(NativePath(path), [&](std::u16string&& entry) {
    const int number = first + static_cast<int>(songs.size()) + 1;
    songs.push_back(
        SongRow{NumberedText(number, ToQString(m3u::NameOfPath(entry))), ToQString(entry)});
  });
  if (!read) {
    if (isDefault && QFileInfo::exists(path)) {
      defaultListUnreadable_ = true;
      defaultListHasSongs_ = true;
    }
    return false;
  }
  // A list file without a song (empty, or only comments) leaves the list as it was.
  if (songs.empty() && !isDefault) return false;
  if (first == 0 && Count() > 0) ClearSongList();
  const QString name = QFileInfo(path).completeBaseName();
  listName_ = name == u"lyrovox" ? QStringLiteral("DEFAULT") : name;
  const bool any = !songs.empty();
  AppendSongs(std::move(songs));
  if (isDefault) {
    defaultListHasSongs_ = any;
    keeper_->MarkSaved();
    defaultListUnreadable_ = false;
  }
  ReleaseFreedMemory();
  update();
  return true;
}

void PlayListDlg::SetDefaultListPath(const QString& path) {
  defaultListPath_ = path;
  keeper_->SetPath(path);
}

bool PlayListDlg::WriteSongListFile(const QString& path) const {
  std::vector<std::u16string> paths;
  paths.reserve(static_cast<size_t>(Count()));
  for (const SongRow& row : songList_->rows().rows())
    paths.emplace_back(ViewOf(row.path));
  return WriteFileAtomically(path, m3u::EncodeListFile(paths));
}

bool PlayListDlg::ExportSongList(const QString& path) const {
  std::vector<std::u16string> lines;
  const auto& rows = songList_->rows().rows();
  for (size_t p = 0; p < rows.size(); ++p) {
    const auto title = TitleAfterNumber(rows[p].title);
    if (!title) continue;
    const QString line =
        QStringLiteral("%1\t").arg(static_cast<int>(p) + 1, 6, 10, QLatin1Char(u'0')) + *title;
    lines.emplace_back(ViewOf(line));
  }
  return WriteFileAtomically(path, m3u::EncodeUtf16Lines(lines));
}

void PlayListDlg::PlayItem(int position) {
  if (frame_ != nullptr) frame_->PlaySongListItem(position);
}

void PlayListDlg::ShowSongList(int mode) {
  const bool songs = mode == 1;
  songList_->setVisible(songs);
  addButton_->setVisible(songs);
  removeButton_->setVisible(songs);
  results_->setVisible(!songs);
}

bool PlayListDlg::OnCommand(int id) {
  switch (id) {
    case kCmdAddFiles:
      AddFiles();
      return true;
    case kCmdAddFolder:
      AddFolder();
      return true;
    case kCmdRemoveSelected:
      RemoveSelected();
      return true;
    case kCmdClearSongList:
      ClearSongList();
      emptiedByUser_ = true;
      return true;
    case kCmdLoadSongList:
      LoadSongList();
      return true;
    case kCmdSaveSongList:
      SaveSongList();
      return true;
    case kCmdExportSongList:
      ExportSongListCommand();
      return true;
    case kCmdQueueSelectedSongs:
      QueueSelected(*songList_, false);
      return true;
    case kCmdQueueSelectedResults:
      QueueSelected(*results_, true);
      return true;
    default:
      return false;
  }
}

void PlayListDlg::PopupCommands(std::initializer_list<std::pair<int, const char*>> items) {
  QMenu menu(this);
  for (const auto& [id, text] : items)
    menu.addAction(QString::fromLatin1(text))->setData(id);
  QAction* chosen = runMenu_ ? runMenu_(menu) : menu.exec(QCursor::pos());
  if (chosen != nullptr) OnCommand(chosen->data().toInt());
}

void PlayListDlg::RunSearch() {
  const QString query = search_->text();
  if (query.isEmpty()) {
    ShowSongList(1);
    return;
  }
  const SongRowsModel& songs = songList_->rows();
  std::vector<SongRow> found;
  const std::vector<int> rows = songList_->rows().Find(query);
  found.reserve(rows.size());
  for (int r : rows)
    found.push_back(songs.row(r));
  results_->setUpdatesEnabled(false);
  results_->rows().Reset(std::move(found));
  results_->setUpdatesEnabled(true);
  ShowSongList(2);
}

void PlayListDlg::OnSongListDoubleClick(int row) {
  if (frame_ == nullptr || row < 0 || row >= Count()) return;
  if (reservedOn()) {
    frame_->ReserveNumberedSong(Path(row), row + 1, false);
  } else {
    SetPlayPosition(row);
    PlayItem(row);
  }
}

void PlayListDlg::OnResultDoubleClick(int row) {
  const SongRowsModel& results = results_->rows();
  if (frame_ == nullptr || row < 0 || row >= results.count()) return;
  const SongRow& song = results.row(row);
  if (!NumberSeparator(song.title)) return;
  if (reservedOn()) {
    frame_->ReserveNumberedSong(song.path, LeadingNumber(song.title), false);
  } else {
    frame_->setPendingTitle(TitleAfterNumber(song.title).value_or(song.title));
    frame_->PlaySong(song.path);
  }
}

void PlayListDlg::OnSongListContextMenu() {
  if (reservedOn()) PopupCommands({{kCmdQueueSelectedSongs, "Add Selected Song to Reserved List"}});
}

void PlayListDlg::OnResultsContextMenu() {
  if (reservedOn())
    PopupCommands({{kCmdQueueSelectedResults, "Add Selected Song to Reserved List"}});
}

void PlayListDlg::QueueSelected(const CSkinListCtrl& list, bool numberFromTitle) {
  if (frame_ == nullptr || !reservedOn()) return;
  // Copies: queueing may play the first song, which may change the lists.
  std::vector<SongRow> chosen;
  std::vector<int> numbers;
  for (int row : list.SelectedRows()) {
    const SongRow& song = list.rows().row(row);
    if (numberFromTitle && !NumberSeparator(song.title)) continue;
    chosen.push_back(song);
    numbers.push_back(numberFromTitle ? LeadingNumber(song.title) : row + 1);
  }
  for (size_t i = 0; i < chosen.size(); ++i)
    frame_->ReserveNumberedSong(chosen[i].path, numbers[i], false);
}

void PlayListDlg::AddFiles() {
  if (dialogs_ == nullptr) return;
  FileDialogRequest request;
  request.title = QStringLiteral("Add file(s) to songlist");
  request.filters = {QStringLiteral("Karaoke Files (*.kar *.mid)"),
                     QStringLiteral("MP3 and WMA Files (*.mp3 *.wma)"),
                     QStringLiteral("Play List (*.m3u)"), QStringLiteral("Zip files (*.zip)")};
  // What the dialog shows first: every kind of song, and list files.
  request.initialName = SongAndListPatterns();
  request.multiple = true;
  request.owner = this;
  for (const QString& path : dialogs_->OpenFiles(request)) {
    if (IsListFileName(path)) {
      if (!ReadSongListFile(path)) SayNotASongList(path);
    } else {
      AppendSongFiles({path});
    }
  }
}

void PlayListDlg::AddFolder() {
  if (dialogs_ == nullptr) return;
  const QString folder = dialogs_->ChooseFolder(QStringLiteral("Add folder to songlist"), this);
  if (!folder.isEmpty()) AddFolderSongs(folder);
}

void PlayListDlg::AddFolderSongs(const QString& folder) {
  AppendSongFiles(WalkSongFolder(folder));
}

void PlayListDlg::AppendSongFiles(const std::vector<QString>& paths) {
  std::vector<SongRow> songs;
  songs.reserve(paths.size());
  const int first = Count();
  for (const QString& path : paths) {
    songs.push_back(
        SongRow{NumberedText(first + static_cast<int>(songs.size()) + 1, FileTitle(path)), path});
  }
  AppendSongs(std::move(songs));
}

void PlayListDlg::RemoveSelected() {
  const int row = songList_->FirstSelectedRow();
  if (row < 0) return;
  songList_->rows().Remove(row);
  if (Count() == 0) emptiedByUser_ = true;
  // Shown numbers stay the numbers singers type.
  songList_->rows().Renumber(row);
  const int marked = PlayPosition();
  if (marked == row) {
    SetPlayPosition(-1);
  } else if (marked > row) {
    SetPlayPosition(marked - 1);
  }
}

void PlayListDlg::LoadSongList() {
  if (dialogs_ == nullptr) return;
  FileDialogRequest request;
  request.title = QStringLiteral("Open songlist");
  request.filters = {QStringLiteral("M3U songlist (*.m3u)")};
  request.initialName = QStringLiteral("*.m3u");
  request.owner = this;
  const QStringList files = dialogs_->OpenFiles(request);
  if (files.isEmpty()) return;
  // The list is replaced only by a file that gives songs; anything else leaves it as it was.
  if (!ReadSongListFile(files.front(), 0)) SayNotASongList(files.front());
  Redraw();
}

void PlayListDlg::SayNotASongList(const QString& path) {
  if (messages_ != nullptr)
    messages_->ShowMessageBox(QStringLiteral("%1 is not a song list.").arg(path));
}

void PlayListDlg::SaveSongList() {
  if (dialogs_ == nullptr) return;
  FileDialogRequest request;
  request.title = QStringLiteral("Save songlist");
  request.filters = {QStringLiteral("M3U songlist (*.m3u)")};
  request.initialName = QStringLiteral("*.m3u");
  request.owner = this;
  const QString path = dialogs_->SaveFile(request);
  if (path.isEmpty()) return;
  if (!WriteSongListFile(path) && messages_ != nullptr)
    messages_->ShowMessageBox(QStringLiteral("Can't save the songlist to %1.").arg(path));
}

void PlayListDlg::ExportSongListCommand() {
  if (dialogs_ == nullptr) return;
  FileDialogRequest request;
  request.title = QStringLiteral("Export songlist");
  request.filters = {QStringLiteral("Text Files (*.txt)")};
  request.initialName = QStringLiteral("*.txt");
  request.owner = this;
  const QString path = dialogs_->SaveFile(request);
  if (path.isEmpty()) return;
  if (!ExportSongList(path) && messages_ != nullptr)
    messages_->ShowMessageBox(QStringLiteral("Can't export the songlist to %1.").arg(path));
}

void PlayListDlg::DropPaths(const QStringList& paths) {
  for (const QString& path : paths) {
    if (QFileInfo(path).isDir()) {
      AddFolderSongs(path);
    } else if (IsListFileName(path)) {
      // A dropped list's songs join the list; the list keeps its name.
      std::vector<QString> songs;
      m3u::ReadListFile(NativePath(path),
                        [&songs](std::u16string&& entry) { songs.push_back(ToQString(entry)); });
      AppendSongFiles(songs);
    } else if (IsSongFileName(path)) {
      AppendSongFiles({path});
    }
  }
}

void PlayListDlg::WriteSettings() {
  settings_.values().playListLeft = x();
  settings_.values().playListTop = y();
  settings_.Write({SettingKey::kPlayListLeft, SettingKey::kPlayListTop});
  WriteDefaultList();
}

bool PlayListDlg::WriteDefaultList() {
  return keeper_->WriteNow();
}

QString PlayListDlg::CaptionText() const {
  QString text = reservedOn() ? QStringLiteral("SONGLIST") : QStringLiteral("PLAYLIST");
  if (listName_.size() > 1) text += QStringLiteral(" - ") + listName_;
  return text;
}

bool PlayListDlg::InCloseSpot(QPoint p) const {
  return p.x() > width() - 29 && p.x() < width() - 12 && p.y() >= 2 && p.y() <= 16;
}

bool PlayListDlg::InMenuIcon(QPoint p) {
  return p.x() > 8 && p.x() < 28 && p.y() > 0 && p.y() < 22;
}

void PlayListDlg::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const int w = width();
  const int h = height();
  p.fillRect(rect(), CSkinListCtrl::kOddBackground);
  p.drawPixmap(QRect(0, 0, w, kCaptionHeight), caption_);
  p.drawPixmap(w - 28, 0, close_);
  p.drawPixmap(8, 0, menuIcon_);
  p.setFont(captionFont_);
  p.setPen(Qt::white);
  p.drawText(QRect(0, 2, w, kCaptionHeight - 2), Qt::AlignHCenter | Qt::AlignTop, CaptionText());
  p.drawPixmap(QRect(0, h - kBottomHeight, w, kBottomHeight), bottom_);
  p.drawPixmap(152, h - 24, searchLabel_);
}

void PlayListDlg::resizeEvent(QResizeEvent*) {
  if (width() > 100 && height() > 100) LayOut();
  ApplyRoundedRegion(*this, kCorner);
}

void PlayListDlg::LayOut() {
  const int w = width();
  const int h = height();
  const QRect lists(0, kCaptionHeight, w - 1, h - kListsBottomMargin);
  songList_->setGeometry(lists);
  results_->setGeometry(lists);
  addButton_->move(8, h - 35);
  removeButton_->move(54, h - 35);
  search_->move(210, h - 28);
}

void PlayListDlg::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint at = event->position().toPoint();
  if (InCloseSpot(at)) {
    hide();
    emit HiddenByCloseSpot();
  } else if (InMenuIcon(at)) {
    PopupCommands({{kCmdLoadSongList, "Load songlist..."},
                   {kCmdSaveSongList, "Save songlist..."},
                   {kCmdExportSongList, "Export songlist..."}});
  } else {
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - pos();
  }
}

void PlayListDlg::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_ || !(event->buttons() & Qt::LeftButton)) return;
  QPoint target = event->globalPosition().toPoint() - dragOffset_;
  if (dockPanel_ != nullptr) {
    target = SnapToPanel(target, QSize(kWidth, kHeight), dockPanel_->frameGeometry(),
                         kDockThreshold, dock_);
  } else {
    dock_.docked = false;
  }
  move(target);
}

void PlayListDlg::mouseReleaseEvent(QMouseEvent*) {
  dragging_ = false;
}

void PlayListDlg::dragEnterEvent(QDragEnterEvent* event) {
  if (!event->mimeData()->hasUrls()) return;
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

void PlayListDlg::dragMoveEvent(QDragMoveEvent* event) {
  if (!event->mimeData()->hasUrls()) return;
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

void PlayListDlg::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) paths << url.toLocalFile();
  }
  if (paths.isEmpty()) return;
  event->setDropAction(Qt::CopyAction);
  event->accept();
  DropPaths(paths);
}

}  // namespace lyrovox

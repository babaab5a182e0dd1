#pragma once

// The play list window: the numbered song list that singers choose from, with its search. With
// the reserved list off it is the "PLAYLIST" (a double-click plays at once, Next and Prev walk
// it); with it on, the "SONGLIST" (double-clicks and the menu queue songs). It adds songs from
// files, folders, drops and list files, removes them, and loads, saves and exports the list; the
// list is kept between runs in the default list file.

#include <QPixmap>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "controller/ports.h"
#include "ui/lists/skin_list_ctrl.h"
#include "ui/panel/docking.h"

class QLineEdit;
class QMenu;
class QAction;

namespace lyrovox {

class CMainFrame;
class ListFileKeeper;
class SettingsStore;
class COwnerDrawButton;

class PlayListDlg : public QWidget, public ISongList {
  Q_OBJECT

 public:
  static constexpr int kWidth = 416;
  static constexpr int kHeight = 480;
  static constexpr int kCaptionHeight = 22;
  static constexpr int kBottomHeight = 36;
  static constexpr int kCorner = 16;
  static constexpr int kDockThreshold = 10;
  static inline const QString kEmptySongListText =
      QStringLiteral("No songs yet: press + or drop song files and folders here");
  static inline const QString kNoMatchText = QStringLiteral("No song matches");

  explicit PlayListDlg(SettingsStore& settings, QWidget* parent = nullptr);
  ~PlayListDlg() override;

  // Connects the window to the controller, the dialogs and the message boxes.
  void Attach(CMainFrame& frame, IFileDialogs& dialogs, IMessagePort& messages);
  // The control panel it docks to (null: none).
  void SetDockPanel(const QWidget* panel) { dockPanel_ = panel; }
  DockState& dockState() { return dock_; }

  // ISongList
  int Count() const override;
  QString Title(int row) const override;
  QString Path(int row) const override;
  void AddSong(const QString& name, const QString& path, int position) override;
  void ClearSongList() override;
  int PlayPosition() const override;
  void SetPlayPosition(int row) override;
  void ClearSearch() override;
  void Redraw() override;
  // False also for a file that gives no song (the list is then left as it was).
  bool ReadSongListFile(const QString& path) override;
  // The songs of a list file numbered from first + 1: appended (first the row count), or, with
  // first 0, replacing the list once the file has given songs.
  bool ReadSongListFile(const QString& path, int first);
  void SetDefaultListPath(const QString& path) override;

  // Writes the whole song list to a list file (atomically). False when it could not be written.
  bool WriteSongListFile(const QString& path) const;
  // Writes the text export of the song list. False when it could not be written.
  bool ExportSongList(const QString& path) const;
  // Plays the song list row.
  void PlayItem(int position);
  // mode 1: the song list with the "+" and "-" buttons; else the search results.
  void ShowSongList(int mode);

  // Runs a command of list_commands.h; false for an unknown id.
  bool OnCommand(int id);
  // Adds what was dropped (local files, list files, folders) at the end of the song list.
  void DropPaths(const QStringList& paths);

  // Writes the window's place, and the song list to the default list file when it changed since
  // it was last written (so a list file that could not be read is never replaced by an empty list).
  void WriteSettings();
  // Writes the song list to the default list file now, when it changed since it was last
  // written; true when the file holds the list. The list is also written by itself soon after
  // every change.
  bool WriteDefaultList();
  ListFileKeeper& keeper() { return *keeper_; }

  QString listName() const { return listName_; }
  QString CaptionText() const;
  const QString& defaultListPath() const { return defaultListPath_; }
  CSkinListCtrl& songList() { return *songList_; }
  CSkinListCtrl& searchResults() { return *results_; }
  QLineEdit& searchBox() { return *search_; }
  COwnerDrawButton& addButton() { return *addButton_; }
  COwnerDrawButton& removeButton() { return *removeButton_; }

  // How a popup menu is run: by default at the cursor, until the user picks or leaves it.
  using MenuRunner = std::function<QAction*(QMenu&)>;
  void SetMenuRunner(MenuRunner runner) { runMenu_ = std::move(runner); }

  // The close spot and the menu icon, in client coordinates.
  bool InCloseSpot(QPoint p) const;
  static bool InMenuIcon(QPoint p);

 signals:
  // The close spot hid the window (the control panel's toggle goes off).
  void HiddenByCloseSpot();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  bool reservedOn() const;
  void PopupCommands(std::initializer_list<std::pair<int, const char*>> items);
  void RunSearch();
  void OnSongListDoubleClick(int row);
  void OnResultDoubleClick(int row);
  void OnSongListContextMenu();
  void OnResultsContextMenu();
  void QueueSelected(const CSkinListCtrl& list, bool numberFromTitle);
  void AddFiles();
  void AddFolder();
  void AddFolderSongs(const QString& folder);
  // Songs appended at the end, numbered by their final position, each named by its file.
  void AppendSongFiles(const std::vector<QString>& paths);
  void RemoveSelected();
  void LoadSongList();
  void SayNotASongList(const QString& path);
  void SaveSongList();
  void ExportSongListCommand();
  void AppendSongs(std::vector<SongRow> songs);
  void LayOut();

  SettingsStore& settings_;
  CMainFrame* frame_ = nullptr;
  IFileDialogs* dialogs_ = nullptr;
  IMessagePort* messages_ = nullptr;
  const QWidget* dockPanel_ = nullptr;
  DockState dock_;

  CSkinListCtrl* songList_;
  CSkinListCtrl* results_;
  QLineEdit* search_;
  COwnerDrawButton* addButton_;
  COwnerDrawButton* removeButton_;
  QPixmap caption_, close_, bottom_, searchLabel_, menuIcon_;
  QFont captionFont_;
  MenuRunner runMenu_;

  QString listName_;
  QString defaultListPath_;
  // Writes the song list to the default list file soon after every change.
  std::unique_ptr<ListFileKeeper> keeper_;
  // The default list file existed but could not be read: it is kept aside before it is replaced.
  bool defaultListUnreadable_ = false;
  // The user emptied the song list (Clear songlist, or removing its last song): only then may an
  // empty list replace the songs kept in the default list file.
  bool emptiedByUser_ = false;
  // The default list file holds songs (as far as this run knows).
  bool defaultListHasSongs_ = false;

  bool searchRefreshPending_ = false;
  bool dragging_ = false;
  QPoint dragOffset_;
};

}  // namespace lyrovox

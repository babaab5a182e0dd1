#pragma once

// The reserved list window: the queue of songs singers asked for, the front song next. It moves a
// queued song to the front, deletes one, and switches the reserved-list mode on (full window) or
// off (the header only) with a double-click in the header's middle. The control panel places it.

#include <QPixmap>
#include <QWidget>
#include <functional>
#include <memory>

#include "controller/ports.h"
#include "ui/lists/skin_list_ctrl.h"

class QMenu;
class QAction;

namespace lyrovox {

class CMainFrame;
class ListFileKeeper;
class SettingsStore;

class ReservedListDlg : public QWidget, public IReservedList {
  Q_OBJECT

 public:
  static constexpr int kWidth = 416;
  static constexpr int kHeightOn = 190;
  static constexpr int kHeightOff = 18;
  static constexpr int kHeaderHeight = 17;
  static constexpr int kCorner = 12;

  explicit ReservedListDlg(SettingsStore& settings, QWidget* parent = nullptr);
  ~ReservedListDlg() override;

  void Attach(CMainFrame& frame, IMessagePort& messages);

  // IReservedList
  int Count() const override;
  QString Title(int row) const override;
  QString Path(int row) const override;
  void InsertSong(int position, const QString& title, const QString& path) override;
  void DeleteSong(int row) override;
  void ClearSongs() override;
  void Redraw() override;

  // The file the queue is kept in between runs (beside the default song list): written soon after
  // every change, and once more when the window goes.
  void SetListPath(const QString& path);
  // Brings the queue of the last run back from the list file (nothing plays). False when there
  // was none to read.
  bool RestoreList();
  // Writes the queue now when it changed since it was last written; true when the file holds it.
  bool WriteList();
  ListFileKeeper& keeper() { return *keeper_; }

  bool modeOn() const;
  // The double-click in the header's middle: on; off when empty; when not empty, off after the
  // user agrees to clear the queue.
  void SwitchMode();
  static bool InModeSpot(QPoint p);

  // Commands 1134 and 1135; false for another id.
  bool OnCommand(int id);

  CSkinListCtrl& list() { return *list_; }

  using MenuRunner = std::function<QAction*(QMenu&)>;
  void SetMenuRunner(MenuRunner runner) { runMenu_ = std::move(runner); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void SetMode(bool on);
  void ApplyModeSize();
  void OnContextMenu();
  void MoveToFirst();
  void DeleteSelected();

  SettingsStore& settings_;
  CMainFrame* frame_ = nullptr;
  IMessagePort* messages_ = nullptr;
  CSkinListCtrl* list_;
  QPixmap headerOn_;
  QPixmap headerOff_;
  MenuRunner runMenu_;
  std::unique_ptr<ListFileKeeper> keeper_;
};

}  // namespace lyrovox

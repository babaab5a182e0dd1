#pragma once

// The skinned report list of the song list windows: rows in alternating dark colours, its own
// selection colours and one marked row (the song being played), no header, no horizontal scroll
// bar. It owns its rows (SongRowsModel) and carries the filling operations the play list and its
// drop target use.

#include <QColor>
#include <QStyledItemDelegate>
#include <QTableView>
#include <vector>

#include "ui/lists/song_rows_model.h"

namespace lyrovox {

class CSkinListCtrl : public QTableView {
  Q_OBJECT

 public:
  static constexpr QColor kSelectedText{229, 229, 229};
  static constexpr QColor kSelectedBackground{110, 113, 168};
  static constexpr QColor kOddBackground{74, 83, 110};  // also the empty area
  static constexpr QColor kEvenBackground{83, 93, 125};
  static constexpr QColor kMarkedText{128, 191, 255};
  static constexpr int kRowHeight = 18;

  // multiSelect: several rows may be selected at once (else one at a time).
  explicit CSkinListCtrl(bool multiSelect, QWidget* parent = nullptr);

  SongRowsModel& rows() { return model_; }
  const SongRowsModel& rows() const { return model_; }

  // A row of the title and the path at position (clamped to the row count).
  void InsertSong(const QString& title, const QString& path, int position);
  // A dropped file at position: a list file's songs, a song file by its name without folder and
  // extension (no number), anything else nothing. The number of rows added.
  int AddDroppedFile(const QString& path, int position);
  // The songs of a list file (any of the encodings the program reads), each titled by its file
  // name without extension, from position on. The number of rows added.
  int ReadDroppedListFile(const QString& path, int position);

  // The marked row, -1 for none.
  int markedRow() const { return markedRow_; }
  void SetMarkedRow(int row);

  // Selected rows, top to bottom; the first of them or -1.
  std::vector<int> SelectedRows() const;
  int FirstSelectedRow() const;

 signals:
  void RowDoubleClicked(int row);

 private:
  SongRowsModel model_;
  int markedRow_ = -1;
};

// Draws one cell of a CSkinListCtrl in the list's colours.
class SkinRowDelegate : public QStyledItemDelegate {
 public:
  explicit SkinRowDelegate(CSkinListCtrl& list) : QStyledItemDelegate(&list), list_(list) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

 private:
  CSkinListCtrl& list_;
};

}  // namespace lyrovox

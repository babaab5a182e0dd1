#pragma once

// The skinned report list of the song list windows: rows in alternating dark colours, its own
// selection colours and one marked row (the song being played), no header, no horizontal scroll
// bar. It owns its rows (SongRowsModel). Without rows it may say why, in its own colours.

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
  // A reserved song's singer.
  static constexpr QColor kSingerText{247, 166, 0};
  static constexpr int kRowHeight = 18;

  // multiSelect: several rows may be selected at once (else one at a time).
  explicit CSkinListCtrl(bool multiSelect, QWidget* parent = nullptr);

  SongRowsModel& rows() { return model_; }
  const SongRowsModel& rows() const { return model_; }

  // A row of the title and the path at position (clamped to the row count).
  void InsertSong(const QString& title, const QString& path, int position);

  // The text shown, centred in the list's text colour, while it has no rows.
  void SetEmptyText(const QString& text);
  const QString& emptyText() const { return emptyText_; }

  // The marked row, -1 for none.
  int markedRow() const { return markedRow_; }
  void SetMarkedRow(int row);

  // Selected rows, top to bottom; the first of them or -1.
  std::vector<int> SelectedRows() const;
  int FirstSelectedRow() const;

 signals:
  void RowDoubleClicked(int row);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  SongRowsModel model_;
  int markedRow_ = -1;
  QString emptyText_;
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

#pragma once

// The rows of a song list: three columns, 0 always empty, 1 the shown title ("%06d - %s" or a
// bare name), 2 the song file's full path. One plain record per row; views draw only what they
// show, so a list of a hundred thousand songs stays quick.

#include <QAbstractTableModel>
#include <QString>
#include <vector>

#include "ui/lists/song_search.h"

namespace lyrovox {

struct SongRow {
  SongRow() = default;
  SongRow(QString title_, QString path_) : title(std::move(title_)), path(std::move(path_)) {}

  QString title;
  QString path;
  // Reserved-list rows only: whose turn the song is, its id in the rotation, and whether its
  // singer is paused.
  QString singer;
  quint64 id = 0;
  bool paused = false;
  bool moved = false;
};

// The text a reserved row shows for its singer ("Mai", "Mai (paused)"); empty for none.
inline constexpr int kSingerRole = Qt::UserRole + 1;

inline constexpr int kColumnNumber = 0;
inline constexpr int kColumnTitle = 1;
inline constexpr int kColumnPath = 2;

class SongRowsModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit SongRowsModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  int count() const { return static_cast<int>(rows_.size()); }
  const SongRow& row(int r) const { return rows_[static_cast<size_t>(r)]; }
  const std::vector<SongRow>& rows() const { return rows_; }

  // position is clamped to 0..count().
  void Insert(int position, SongRow row);
  // Inserts the rows at position in one step (one notification to the views).
  void InsertRows(int position, std::vector<SongRow> rows);
  void Remove(int r);
  void Clear();
  // The whole list at once (the search results).
  void Reset(std::vector<SongRow> rows);
  // Titles that begin with a six-digit number and " - " take the number of their position (row
  // + 1), from row `from` on.
  void Renumber(int from);

  // Keeps a search index of the titles from now on (the song list; the search results and the
  // reserved list are never searched).
  void EnableSearch();

  // The rows whose title matches a search query (see song_search.h), in order.
  std::vector<int> Find(const QString& query);

  // Counts every change of the rows, so an owner can tell whether they changed since a moment.
  quint64 changeCount() const { return changes_; }

 private:
  void Changed(bool appendedOnly, int firstNew);

  std::vector<SongRow> rows_;
  SongSearchIndex index_;
  bool indexed_ = false;  // index_ holds every row's title
  bool searchable_ = false;
  quint64 changes_ = 0;
};

}  // namespace lyrovox

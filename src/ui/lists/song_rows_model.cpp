#include "ui/lists/song_rows_model.h"

#include <algorithm>

#include "controller/qt_text.h"

namespace lyrovox {

SongRowsModel::SongRowsModel(QObject* parent) : QAbstractTableModel(parent) {}

int SongRowsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : count();
}

int SongRowsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 3;
}

QVariant SongRowsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= count()) return {};
  const SongRow& r = row(index.row());
  if (role == kSingerRole) {
    if (r.singer.isEmpty()) return QString();
    return r.paused ? r.singer + QStringLiteral(" (paused)") : r.singer;
  }
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  switch (index.column()) {
    case kColumnTitle:
      return role == Qt::ToolTipRole ? r.path : r.title;
    case kColumnPath:
      return r.path;
    default:
      return QString();
  }
}

QVariant SongRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kHeadings[] = {"#", "Title", "Name"};
  if (section < 0 || section > 2) return {};
  return QString::fromLatin1(kHeadings[section]);
}

void SongRowsModel::Insert(int position, SongRow row) {
  std::vector<SongRow> one;
  one.push_back(std::move(row));
  InsertRows(position, std::move(one));
}

void SongRowsModel::InsertRows(int position, std::vector<SongRow> rows) {
  if (rows.empty()) return;
  position = std::clamp(position, 0, count());
  const bool atEnd = position == count();
  beginInsertRows({}, position, position + static_cast<int>(rows.size()) - 1);
  rows_.insert(rows_.begin() + position, std::make_move_iterator(rows.begin()),
               std::make_move_iterator(rows.end()));
  endInsertRows();
  Changed(atEnd, position);
}

void SongRowsModel::Remove(int r) {
  if (r < 0 || r >= count()) return;
  beginRemoveRows({}, r, r);
  rows_.erase(rows_.begin() + r);
  endRemoveRows();
  Changed(false, r);
}

void SongRowsModel::Clear() {
  Reset({});
}

void SongRowsModel::Reset(std::vector<SongRow> rows) {
  beginResetModel();
  rows_ = std::move(rows);
  endResetModel();
  Changed(false, 0);
}

void SongRowsModel::Renumber(int from) {
  from = std::max(from, 0);
  int first = -1;
  int last = -1;
  for (int r = from; r < count(); ++r) {
    QString& title = rows_[static_cast<size_t>(r)].title;
    if (title.size() < 9 || title.mid(6, 3) != u" - ") continue;
    bool digits = true;
    for (int i = 0; i < 6 && digits; ++i)
      digits = title[i] >= u'0' && title[i] <= u'9';
    if (!digits) continue;
    const QString number = QStringLiteral("%1").arg(r + 1, 6, 10, QLatin1Char(u'0'));
    if (number.size() != 6 || QStringView(title).left(6) == number) continue;
    title.replace(0, 6, number);
    if (first < 0) first = r;
    last = r;
  }
  if (first < 0) return;
  emit dataChanged(index(first, kColumnTitle), index(last, kColumnTitle));
  Changed(false, first);
}

void SongRowsModel::EnableSearch() {
  searchable_ = true;
  Find(QString());
}

void SongRowsModel::Changed(bool appendedOnly, int firstNew) {
  ++changes_;
  if (!searchable_) return;
  if (appendedOnly && indexed_ && index_.rows() == static_cast<size_t>(firstNew)) {
    for (int r = firstNew; r < count(); ++r)
      index_.Append(ViewOf(row(r).title));
  } else {
    indexed_ = false;
  }
}

std::vector<int> SongRowsModel::Find(const QString& query) {
  if (!indexed_) {
    index_.Clear();
    for (const SongRow& r : rows_)
      index_.Append(ViewOf(r.title));
    indexed_ = true;
  }
  return index_.Find(ViewOf(query));
}

}  // namespace lyrovox

#include "app/standin_windows.h"

#include <QFileInfo>
#include <QSaveFile>

#include "controller/qt_text.h"
#include "controller/song_library.h"
#include "controller/song_paths.h"
#include "ui/lists/m3u_file.h"

namespace lyrovox {

QString SongRows::Title(int row) const {
  return row >= 0 && row < Count() ? rows_[static_cast<size_t>(row)].title : QString();
}

QString SongRows::Path(int row) const {
  return row >= 0 && row < Count() ? rows_[static_cast<size_t>(row)].path : QString();
}

void SongRows::Insert(int position, const QString& title, const QString& path) {
  position = std::clamp(position, 0, Count());
  rows_.insert(rows_.begin() + position, Row{title, path});
}

void SongRows::Delete(int row) {
  if (row >= 0 && row < Count()) rows_.erase(rows_.begin() + row);
}

QStringList SongRows::Paths() const {
  QStringList paths;
  for (const Row& row : rows_)
    paths << row.path;
  return paths;
}

StandInSongList::~StandInSongList() {
  WriteDefaultList();
}

void StandInSongList::AddSong(const QString& name, const QString& path, int position) {
  rows_.Insert(position, NumberedText(position + 1, name), path);
}

bool StandInSongList::ReadSongListFile(const QString& path) {
  const m3u::ListFile list = m3u::ReadListFile(NativePath(path));
  if (!list.read) {
    if (path == defaultListPath_ && QFileInfo::exists(path)) keepDefaultFile_ = true;
    return false;
  }
  for (const std::u16string& entry : list.paths) {
    AddSong(ToQString(m3u::NameOfPath(entry)), ToQString(entry), Count());
  }
  return true;
}

bool StandInSongList::WriteDefaultList() {
  if (defaultListPath_.isEmpty() || keepDefaultFile_) return false;
  std::vector<std::u16string> paths;
  for (const QString& path : rows_.Paths())
    paths.emplace_back(ViewOf(path));
  const std::string bytes = m3u::EncodeListFile(paths);
  QSaveFile file(defaultListPath_);
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write(bytes.data(), static_cast<qint64>(bytes.size()));
  return file.commit();
}

}  // namespace lyrovox

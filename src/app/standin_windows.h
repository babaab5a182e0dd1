#pragma once

// Plain stand-ins for the floating windows that are not drawn yet: the song list and the reserved
// list kept as rows. They do what their windows do for the controller and keep the same files,
// so the program is whole while the skinned windows are made.

#include <QString>
#include <vector>

#include "controller/ports.h"

namespace lyrovox {

// Rows of a title and a path.
class SongRows {
 public:
  int Count() const { return static_cast<int>(rows_.size()); }
  QString Title(int row) const;
  QString Path(int row) const;
  void Insert(int position, const QString& title, const QString& path);
  void Delete(int row);
  void Clear() { rows_.clear(); }
  QStringList Paths() const;

 private:
  struct Row {
    QString title;
    QString path;
  };
  std::vector<Row> rows_;
};

// The song list, kept in the default list file between runs.
class StandInSongList final : public ISongList {
 public:
  ~StandInSongList() override;

  int Count() const override { return rows_.Count(); }
  QString Title(int row) const override { return rows_.Title(row); }
  QString Path(int row) const override { return rows_.Path(row); }
  void AddSong(const QString& name, const QString& path, int position) override;
  void ClearSongList() override { rows_.Clear(); }
  int PlayPosition() const override { return playPosition_; }
  void SetPlayPosition(int row) override { playPosition_ = row; }
  void ClearSearch() override {}
  void Redraw() override {}
  bool ReadSongListFile(const QString& path) override;
  void SetDefaultListPath(const QString& path) override { defaultListPath_ = path; }
  // Writes the list to the default list file (atomically); false when it could not be written.
  bool WriteDefaultList();

 private:
  SongRows rows_;
  int playPosition_ = -1;
  QString defaultListPath_;
  // The default list file existed but could not be read: it is not replaced at exit, so a list
  // that failed to load is never lost.
  bool keepDefaultFile_ = false;
};

class StandInReservedList final : public IReservedList {
 public:
  int Count() const override { return rows_.Count(); }
  QString Title(int row) const override { return rows_.Title(row); }
  QString Path(int row) const override { return rows_.Path(row); }
  void InsertSong(int position, const QString& title, const QString& path) override {
    rows_.Insert(position, title, path);
  }
  void DeleteSong(int row) override { rows_.Delete(row); }
  void ClearSongs() override { rows_.Clear(); }
  void Redraw() override {}

 private:
  SongRows rows_;
};

}  // namespace lyrovox

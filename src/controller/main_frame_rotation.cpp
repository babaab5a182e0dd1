// The reserved list's fair rotation: singers' songs in turns, the host's moves standing.

#include <QDateTime>
#include <set>
#include <unordered_map>

#include "controller/main_frame.h"
#include "controller/song_library.h"
#include "controller/song_paths.h"

namespace lyrovox {

namespace {

std::string Std(const QString& text) {
  return text.toStdString();
}

}  // namespace

qint64 CMainFrame::msSinceSongStart() const {
  return QDateTime::currentMSecsSinceEpoch() - songStartMs_;
}

void CMainFrame::ArrangeReserved() {
  IReservedList* reserved = windows_.reservedList;
  if (reserved == nullptr) return;
  const int count = reserved->Count();
  std::vector<ReservedSong> rows;
  rows.reserve(static_cast<size_t>(count));
  std::set<quint64> present;
  std::vector<quint64> movedNew;  // rows new to the rotation that the host had moved forward
  for (int r = 0; r < count; ++r) {
    ReservedSong song = reserved->Song(r);
    // A row the rotation does not know (restored from the last run, or inserted elsewhere):
    // taken in as it stands, the host's unless it names its singer.
    if (song.singer.isEmpty()) song.singer = QString::fromLatin1(kHostSinger);
    if (song.id == 0 || present.count(song.id) != 0) song.id = nextReservedId_++;
    if (!rotation_.Contains(song.id)) {
      rotation_.Add(song.id, Std(song.singer));
      if (song.moved) movedNew.push_back(song.id);
      if (song.paused && !song.moved) rotation_.SetPaused(Std(song.singer), true);
    }
    present.insert(song.id);
    rows.push_back(std::move(song));
  }
  // The first of them was the latest move: moved again last.
  for (auto it = movedNew.rbegin(); it != movedNew.rend(); ++it)
    rotation_.MoveToFront(*it);
  // Rows deleted elsewhere (Escape, the mode switched off) leave the rotation.
  for (const Rotation::Entry& entry : std::vector<Rotation::Entry>(rotation_.entries())) {
    if (present.count(entry.id) == 0) rotation_.Remove(entry.id);
  }
  std::unordered_map<quint64, size_t> at;
  for (size_t i = 0; i < rows.size(); ++i)
    at[rows[i].id] = i;
  std::vector<ReservedSong> ordered;
  ordered.reserve(rows.size());
  for (uint64_t id : rotation_.Order()) {
    ReservedSong song = rows[at.at(id)];
    // A paused singer's song waits, unless the host moved it to the front.
    song.moved = rotation_.IsPinned(id);
    song.paused = rotation_.IsPaused(Std(song.singer)) && !song.moved;
    ordered.push_back(std::move(song));
  }
  bool same = true;
  for (int r = 0; same && r < count; ++r)
    same = reserved->Song(r) == ordered[static_cast<size_t>(r)];
  if (!same) {
    reserved->SetSongs(ordered);
    reserved->Redraw();
  }
  emit ReservedChanged();
}

void CMainFrame::MoveReservedToFront(int row) {
  IReservedList* reserved = windows_.reservedList;
  if (reserved == nullptr || row < 0 || row >= reserved->Count()) return;
  ArrangeReserved();
  rotation_.MoveToFront(reserved->Song(row).id);
  RefreshNextSongBanner();
}

void CMainFrame::DeleteReserved(int row) {
  IReservedList* reserved = windows_.reservedList;
  if (reserved == nullptr || row < 0 || row >= reserved->Count()) return;
  rotation_.Remove(reserved->Song(row).id);
  reserved->DeleteSong(row);
  reserved->Redraw();
  RefreshNextSongBanner();
}

void CMainFrame::PauseSinger(const QString& singer, bool paused) {
  ArrangeReserved();
  rotation_.SetPaused(Std(singer), paused);
  RefreshNextSongBanner();
}

void CMainFrame::RemoveSinger(const QString& singer) {
  IReservedList* reserved = windows_.reservedList;
  ArrangeReserved();
  rotation_.RemoveSinger(Std(singer));
  if (reserved != nullptr) {
    for (int r = reserved->Count() - 1; r >= 0; --r) {
      if (reserved->Song(r).singer == singer) reserved->DeleteSong(r);
    }
    reserved->Redraw();
  }
  RefreshNextSongBanner();
}

void CMainFrame::ReserveRequestedSong(const QString& path, int number, const QString& singer,
                                      quint64 entry) {
  const bool playNow =
      !isPlaying_ && (windows_.reservedList == nullptr || windows_.reservedList->Count() == 0);
  if (playNow && parts_.screen != nullptr) parts_.screen->SetNextSongTitle(QString());
  // A row without a number (a song dropped on the list) shows its name alone.
  const QString text = number > 0 ? NumberedText(number, FileTitle(path)) : FileTitle(path);
  ReserveRow(path, text, false, playNow, singer, entry);
}

void CMainFrame::CancelRequestedSong(quint64 entry) {
  IReservedList* reserved = windows_.reservedList;
  if (reserved == nullptr) return;
  for (int r = 0; r < reserved->Count(); ++r) {
    if (reserved->Song(r).id == entry) {
      DeleteReserved(r);
      return;
    }
  }
}

}  // namespace lyrovox

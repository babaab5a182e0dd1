#pragma once

// Keeps a list file up to date with a list that the user edits: soon after every change the list
// is written on a worker thread, into a new file that then replaces the old one, so a hard stop
// (a crash, a kill, a power cut) loses at most the last moments of edits and never leaves half a
// file. At exit the list is written once more, on the spot, and the caller learns whether it got
// there.

#include <QBasicTimer>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <atomic>
#include <functional>
#include <optional>
#include <string>

class QAbstractItemModel;

namespace lyrovox {

// Writes bytes to a new file beside path and renames it over the old one; the old file stays as
// it was on any failure.
bool WriteFileAtomically(const QString& path, const std::string& bytes);

class ListFileKeeper : public QObject {
  Q_OBJECT

 public:
  // A change is on disk at most this long after it was made (plus the write itself).
  static constexpr int kWriteDelayMs = 500;

  // The file's bytes, made on the worker thread.
  using Encoder = std::function<std::string()>;
  // Taken on the user-interface thread when a write is due: what to write (a copy of the list,
  // encoded later), or nothing when the list must not be written now.
  using Snapshot = std::function<std::optional<Encoder>()>;

  explicit ListFileKeeper(Snapshot snapshot, QObject* parent = nullptr);
  // Waits for a write on its way.
  ~ListFileKeeper() override;

  void SetPath(const QString& path) { path_ = path; }
  const QString& path() const { return path_; }

  // Every change of the model's rows schedules a write.
  void Watch(const QAbstractItemModel& model);
  // The list changed: a write is due.
  void Changed();
  // The file holds the list as it is now (it was just read from it): nothing is due.
  void MarkSaved();

  // Writes what is due now, on this thread, after any write on its way. True when the file holds
  // the list (also when nothing was due and the last write got there).
  bool WriteNow();
  // A change is not yet on disk.
  bool pending() const { return changes_ != saved_ || busy_; }
  // The last write failed (the file holds an older list).
  bool failed() const { return failed_; }

 signals:
  // A write ended; ok false when the file could not be written.
  void Written(bool ok);

 protected:
  void timerEvent(QTimerEvent* event) override;

 private:
  void StartWrite();
  // Takes the result of the write that ended on the worker thread.
  void TakeResult();

  Snapshot snapshot_;
  QString path_;
  QThreadPool worker_;
  QBasicTimer delay_;
  quint64 changes_ = 0;  // counts changes
  quint64 saved_ = 0;    // the change count the file holds
  quint64 writing_ = 0;  // the change count of the write on its way
  bool busy_ = false;
  bool failed_ = false;
  std::atomic<int> result_{-1};  // -1 none yet, else 1 written, 0 failed
};

}  // namespace lyrovox

#include "ui/lists/list_file_keeper.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTimerEvent>

namespace lyrovox {

bool WriteFileAtomically(const QString& path, const std::string& bytes) {
  QSaveFile file(path);
  // Unbuffered: a short write (a full disk, a size limit) shows in write()'s count here; a
  // buffered one can pass unnoticed until commit.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;
  if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
      static_cast<qint64>(bytes.size())) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

ListFileKeeper::ListFileKeeper(Snapshot snapshot, QObject* parent)
    : QObject(parent), snapshot_(std::move(snapshot)) {
  worker_.setMaxThreadCount(1);
}

ListFileKeeper::~ListFileKeeper() {
  worker_.waitForDone();
}

void ListFileKeeper::Watch(const QAbstractItemModel& model) {
  const auto changed = [this] { Changed(); };
  connect(&model, &QAbstractItemModel::rowsInserted, this, changed);
  connect(&model, &QAbstractItemModel::rowsRemoved, this, changed);
  connect(&model, &QAbstractItemModel::rowsMoved, this, changed);
  connect(&model, &QAbstractItemModel::modelReset, this, changed);
  connect(&model, &QAbstractItemModel::dataChanged, this, changed);
}

void ListFileKeeper::Changed() {
  ++changes_;
  // Not restarted by later changes: a burst of edits is written a fixed time after its first.
  if (!busy_ && !delay_.isActive()) delay_.start(kWriteDelayMs, this);
}

void ListFileKeeper::MarkSaved() {
  delay_.stop();
  if (!busy_) saved_ = changes_;
}

void ListFileKeeper::timerEvent(QTimerEvent* event) {
  if (event->timerId() != delay_.timerId()) {
    QObject::timerEvent(event);
    return;
  }
  delay_.stop();
  StartWrite();
}

void ListFileKeeper::StartWrite() {
  if (busy_ || path_.isEmpty() || changes_ == saved_) return;
  std::optional<Encoder> encode = snapshot_ ? snapshot_() : std::nullopt;
  if (!encode) {
    // Nothing to write now; the next change asks again.
    saved_ = changes_;
    return;
  }
  busy_ = true;
  writing_ = changes_;
  result_ = -1;
  const QString path = path_;
  worker_.start([this, path, encode = std::move(*encode)] {
    QDir().mkpath(QFileInfo(path).absolutePath());
    result_ = WriteFileAtomically(path, encode()) ? 1 : 0;
    // Dropped when the keeper is gone (its destructor waits for this job first).
    QMetaObject::invokeMethod(
        this, [this] { TakeResult(); }, Qt::QueuedConnection);
  });
}

void ListFileKeeper::TakeResult() {
  const int result = result_.exchange(-1);
  if (!busy_ || result < 0) return;
  busy_ = false;
  failed_ = result == 0;
  if (!failed_) saved_ = writing_;
  emit Written(!failed_);
  // Changes made while it was written are due in their turn; a failed write is tried again at
  // the next change.
  if (!failed_ && changes_ != saved_ && !delay_.isActive()) delay_.start(kWriteDelayMs, this);
}

bool ListFileKeeper::WriteNow() {
  delay_.stop();
  worker_.waitForDone();
  TakeResult();
  if (path_.isEmpty()) return true;
  if (changes_ == saved_) return !failed_;
  std::optional<Encoder> encode = snapshot_ ? snapshot_() : std::nullopt;
  if (!encode) {
    saved_ = changes_;
    return true;
  }
  QDir().mkpath(QFileInfo(path_).absolutePath());
  failed_ = !WriteFileAtomically(path_, (*encode)());
  if (!failed_) saved_ = changes_;
  emit Written(!failed_);
  return !failed_;
}

}  // namespace lyrovox

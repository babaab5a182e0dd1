#include "controller/temp_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <QByteArray>
#include <QDir>
#include <QFile>

namespace lyrovox {

namespace {

// A folder that only this user can reach: a real folder, owned by the user.
bool IsOwnPrivateFolder(const QByteArray& path) {
  struct stat st {};
  if (lstat(path.constData(), &st) != 0) return false;
  if (!S_ISDIR(st.st_mode) || st.st_uid != geteuid()) return false;
  if ((st.st_mode & 077) != 0 && chmod(path.constData(), 0700) != 0) return false;
  return true;
}

}  // namespace

bool MakePrivateFolder(const QString& folder) {
  const QByteArray path = QFile::encodeName(folder);
  if (mkdir(path.constData(), 0700) != 0 && errno != EEXIST) return false;
  return IsOwnPrivateFolder(path);
}

QString PrivateTempFolder(const QString& systemTemp) {
  const QString base = systemTemp.isEmpty() ? QDir::tempPath() : systemTemp;
  const QString name = QStringLiteral("/lyrovox-%1").arg(geteuid());
  if (MakePrivateFolder(base + name)) return base + name + QLatin1Char('/');
  // Taken by someone else, or not a folder: a folder of our own for this run.
  QByteArray pattern = QFile::encodeName(base + name + QStringLiteral("-XXXXXX"));
  if (mkdtemp(pattern.data()) == nullptr) return {};
  return QFile::decodeName(pattern) + QLatin1Char('/');
}

int DeleteLeftOverKarFiles(const QString& folder) {
  if (folder.isEmpty()) return 0;
  const QDir dir(folder);
  int deleted = 0;
  const QStringList names =
      dir.entryList({QStringLiteral("*.kar")}, QDir::Files | QDir::System | QDir::Hidden);
  for (const QString& name : names) {
    // A link is removed itself; what it points to is never touched.
    if (QFile::remove(dir.filePath(name))) ++deleted;
  }
  return deleted;
}

}  // namespace lyrovox

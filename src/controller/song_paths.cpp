#include "controller/song_paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace lyrovox {

int LyricKindForPath(const QString& path) {
  const QString upper = path.toUpper();
  if (upper.contains(u".KAR") || upper.contains(u".MID")) return kLyricKindKar;
  if (upper.contains(u".KYM")) return kLyricKindKym;
  return kLyricKindSideFiles;
}

bool IsVideoSongPath(const QString& path) {
  static const char16_t* const kVideo[] = {u".MPG", u".AVI", u".DAT", u".FLV",
                                           u".MKV", u".MP4", u".VOB", u".WMV"};
  const QString upper = path.toUpper();
  for (const char16_t* ext : kVideo) {
    if (upper.contains(QStringView(ext))) return true;
  }
  return false;
}

bool IsZipPath(const QString& path) {
  return path.toUpper().contains(u".ZIP");
}

int LanguageFromPath(const QString& path, int lastSongNumber) {
  if (lastSongNumber > 200000) return 0;
  const QString upper = path.toUpper();
  if (upper.contains(u"VIETNAMESE")) return 4;
  if (upper.contains(u"CHINESE")) return 2;
  if (upper.contains(u"KOREAN")) return 14;
  return 0;
}

QString FileTitle(const QString& path) {
  return QFileInfo(path).completeBaseName();
}

QString FindFileCaseInsensitive(const QString& path) {
  const QFileInfo info(path);
  if (info.isFile()) return path;
  const QString name = info.fileName();
  if (name.isEmpty()) return {};
  QDir dir = info.dir();
  if (!dir.exists()) return {};
  // Sorted by name, so that the choice among several spellings is always the same.
  const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
  for (const QString& entry : entries) {
    if (entry.compare(name, Qt::CaseInsensitive) == 0) return dir.filePath(entry);
  }
  return {};
}

QString FindSideFile(const QString& songPath, QStringView extension) {
  if (songPath.size() < extension.size()) return {};
  const QString candidate =
      songPath.left(songPath.size() - extension.size()) + extension.toString();
  return FindFileCaseInsensitive(candidate);
}

std::string NativePath(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

}  // namespace lyrovox

#include "controller/song_paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "controller/qt_text.h"
#include "ui/lists/m3u_file.h"

namespace lyrovox {

namespace {

// The extension of the file name (after its last dot; a leading dot starts a name), lower-cased.
QString ExtensionOf(const QString& nameOrPath) {
  const qsizetype slash = nameOrPath.lastIndexOf(u'/');
  const qsizetype dot = nameOrPath.lastIndexOf(u'.');
  if (dot <= slash + 1) return {};
  return nameOrPath.mid(dot + 1).toLower();
}

struct SongFileKind {
  const char16_t* extension;
  bool video;
};

// Every kind the player plays, in the order the dialogs name them.
constexpr SongFileKind kSongFileKinds[] = {
    {u"kar", false}, {u"mid", false}, {u"mp3", false}, {u"kym", false}, {u"wma", false},
    {u"mpg", true},  {u"avi", true},  {u"dat", true},  {u"mkv", true},  {u"mp4", true},
    {u"vob", true},  {u"wmv", true},  {u"flv", true},  {u"zip", false}, {u"webm", true},
    {u"mov", true},  {u"m4v", true},
};

QStringList KindsWhere(bool videoOnly) {
  QStringList kinds;
  for (const SongFileKind& kind : kSongFileKinds) {
    if (!videoOnly || kind.video) kinds << QString::fromUtf16(kind.extension);
  }
  return kinds;
}

}  // namespace

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
  // Later kinds only by their extension: ".MOV" is also the start of many a folder name.
  return VideoFileExtensions().contains(ExtensionOf(path));
}

const QStringList& SongFileExtensions() {
  static const QStringList kinds = KindsWhere(false);
  return kinds;
}

const QStringList& VideoFileExtensions() {
  static const QStringList kinds = KindsWhere(true);
  return kinds;
}

bool IsSongFileName(const QString& nameOrPath) {
  return SongFileExtensions().contains(ExtensionOf(nameOrPath));
}

bool IsListFileName(const QString& nameOrPath) {
  return ExtensionOf(nameOrPath) == QStringView(kListFileExtension);
}

QString FilePatterns(const QStringList& extensions) {
  QStringList patterns;
  for (const QString& extension : extensions)
    patterns << QStringLiteral("*.") + extension;
  return patterns.join(u' ');
}

QString SongAndListPatterns() {
  return FilePatterns(SongFileExtensions() + QStringList{QString::fromUtf16(kListFileExtension)});
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
  return ToQString(m3u::NameOfPath(ViewOf(path)));
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

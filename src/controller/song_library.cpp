#include "controller/song_library.h"

#include <QDir>
#include <QFileInfo>

#include "controller/song_paths.h"

namespace lyrovox {

int FindSongInFolder(const QString& folder, const QString& digits, QString& outPath) {
  const QDir dir(folder);
  if (folder.isEmpty() || !dir.exists()) return kFolderSongNone;
  // Sorted by name: of several matching files the same one always wins.
  const QStringList names =
      dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
  for (const QString& name : names) {
    const QString upper = name.toUpper();
    if (!upper.contains(digits) || upper.contains(u".LRC")) continue;
    outPath = dir.filePath(name);
    if (upper.contains(u".MP3")) return kFolderSongMp3;
    if (upper.contains(u".KAR") || upper.contains(u".MID")) return kFolderSongKar;
    return kFolderSongOther;
  }
  return kFolderSongNone;
}

QString DvdDataFileIn(const QString& folder) {
  if (folder.isEmpty()) return {};
  for (const char* name : {"HOTDOG00.DAT", "NEWTON00.DAT"}) {
    const QString found = FindFileCaseInsensitive(QDir(folder).filePath(QString::fromLatin1(name)));
    if (!found.isEmpty()) return found;
  }
  return {};
}

QString NumberedText(int number, const QString& name) {
  return QStringLiteral("%1 - %2").arg(QStringLiteral("%1").arg(number, 6, 10, QLatin1Char(u'0')),
                                       name);
}

QString TitledText(const QString& name, const QString& title) {
  return name + QStringLiteral(" - ") + title;
}

std::optional<qsizetype> NumberSeparator(const QString& text) {
  const qsizetype at = text.indexOf(u" - ");
  if (at < 6) return std::nullopt;
  return at;
}

std::optional<QString> TitleAfterNumber(const QString& text) {
  const auto at = NumberSeparator(text);
  if (!at || text.size() <= *at + 2) return std::nullopt;
  return text.mid(*at + 2);
}

}  // namespace lyrovox

#include "ui/lists/song_files.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSet>
#include <algorithm>

#include "controller/song_paths.h"

namespace lyrovox {

namespace {

void Walk(const QString& folder, const QCollator& order, QSet<QString>& seen,
          std::vector<QString>& songs) {
  const QString real = QFileInfo(folder).canonicalFilePath();
  if (real.isEmpty() || seen.contains(real)) return;
  seen.insert(real);
  const QStringList all = QDir(folder).entryList(
      QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
  // Sort keys made once per name: comparing through the collator each time is slow.
  std::vector<std::pair<QCollatorSortKey, QString>> names;
  names.reserve(static_cast<size_t>(all.size()));
  for (const QString& name : all) {
    if (!name.startsWith(u'.')) names.emplace_back(order.sortKey(name), name);
  }
  std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) {
    const int c = a.first.compare(b.first);
    return c != 0 ? c < 0 : a.second < b.second;
  });
  const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
  for (const auto& [key, name] : names) {
    const QString path = prefix + name;
    const QFileInfo info(path);
    if (info.isDir()) {
      Walk(path, order, seen, songs);
    } else if (info.isFile() && IsSongFileName(name)) {
      songs.push_back(path);
    }
  }
}

}  // namespace

std::vector<QString> WalkSongFolder(const QString& folder) {
  // The user's language decides the order; without one ("C"), English does.
  QLocale locale;
  if (locale.language() == QLocale::C) locale = QLocale(QLocale::English, QLocale::UnitedStates);
  QCollator order(locale);
  order.setNumericMode(true);
  order.setCaseSensitivity(Qt::CaseInsensitive);
  QSet<QString> seen;
  std::vector<QString> songs;
  Walk(folder, order, seen, songs);
  return songs;
}

}  // namespace lyrovox

#include "ui/lists/song_files.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSet>
#include <algorithm>

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
    } else if (info.isFile() && IsFolderSongName(name)) {
      songs.push_back(path);
    }
  }
}

}  // namespace

bool MatchWildcard(QStringView pattern, QStringView text) {
  if (text.isEmpty()) return true;
  qsizetype p = 0;
  qsizetype t = 0;
  qsizetype star = -1;  // the last "*" seen, and where its run began in the text
  qsizetype starText = 0;
  while (t < text.size()) {
    if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == text[t])) {
      ++p;
      ++t;
    } else if (p < pattern.size() && pattern[p] == u'*') {
      star = p++;
      starText = t;
    } else if (star >= 0) {
      p = star + 1;
      t = ++starText;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*')
    ++p;
  return p == pattern.size();
}

bool IsListFilePath(const QString& path) {
  return path.toUpper().contains(u".M3U");
}

bool IsFolderSongName(const QString& name) {
  static const char16_t* const kKinds[] = {u".MP3", u".KAR", u".MID", u".MPG", u".AVI",
                                           u".MKV", u".DAT", u".VOB", u".FLV", u".WMV"};
  const QString upper = name.toUpper();
  return std::any_of(std::begin(kKinds), std::end(kKinds),
                     [&upper](const char16_t* kind) { return upper.contains(kind); });
}

bool IsDroppedSongPath(const QString& path) {
  static const char16_t* const kPatterns[] = {u"*.MP3", u"*.KAR", u"*.MID", u"*.MPG",
                                              u"*.AVI", u"*.DAT", u"*.FLV", u"*.MKV",
                                              u"*.MP4", u"*.VOB", u"*.WMV"};
  const QString upper = path.toUpper();
  return std::any_of(std::begin(kPatterns), std::end(kPatterns),
                     [&upper](const char16_t* p) { return MatchWildcard(p, upper); });
}

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

#include "ui/setup/font_families.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <algorithm>

namespace lyrovox {

QStringList LyricFontFamilies() {
  QStringList kept;
  for (const QString& family : QFontDatabase::families()) {
    if (family.startsWith(QLatin1Char('@'))) continue;  // vertical writing
    if (QFontDatabase::isPrivateFamily(family)) continue;
    if (!QFontDatabase::isScalable(family)) continue;
    kept << family;
  }
  return SortedFamilies(kept);
}

QStringList SortedFamilies(QStringList families) {
  std::sort(families.begin(), families.end(), [](const QString& a, const QString& b) {
    const int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
  });
  families.erase(std::unique(families.begin(), families.end()), families.end());
  return families;
}

int FindFamilyByPrefix(const QStringList& sorted, const QString& name) {
  if (name.isEmpty()) return -1;
  for (int i = 0; i < sorted.size(); ++i) {
    if (sorted[i].startsWith(name, Qt::CaseInsensitive)) return i;
  }
  return -1;
}

QString UsedFontFamily(const QString& name) {
  QFont font;
  font.setFamilies({name.isEmpty() ? QString::fromUtf16(kDefaultLyricFace) : name});
  font.setWeight(QFont::Bold);
  font.setPixelSize(64);
  return QFontInfo(font).family();
}

int FindShownFamily(const QStringList& sorted, const QString& name) {
  const QString used = UsedFontFamily(name);
  for (int i = 0; i < sorted.size(); ++i) {
    if (sorted[i].compare(used, Qt::CaseInsensitive) == 0) return i;
  }
  return FindFamilyByPrefix(sorted, name);
}

}  // namespace lyrovox

#include "media/background_video.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "controller/song_paths.h"

namespace lyrovox {

QString InstalledDataFolder() {
  // Beside an installed program (<prefix>/bin/../share/lyrovox), wherever the prefix was moved;
  // else the folder of the configured prefix.
  if (QCoreApplication::instance() != nullptr) {
    const QString relative = QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                             QStringLiteral("/../share/lyrovox"));
    if (QFileInfo(relative).isDir()) return relative;
  }
  return QStringLiteral(LYROVOX_DATA_DIR);
}

QString FindDefaultBackgroundVideo(const QString& programFolder, const QString& dataFolder) {
  for (const QString& folder : {programFolder, dataFolder}) {
    if (folder.isEmpty()) continue;
    for (const char* name : {"video.mpg", "video.wmv"}) {
      const QString found =
          FindFileCaseInsensitive(folder + QLatin1Char('/') + QLatin1String(name));
      if (!found.isEmpty()) return found;
    }
  }
  return {};
}

}  // namespace lyrovox

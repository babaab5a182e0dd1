#include "media/background_video.h"

#include "controller/song_paths.h"

namespace lyrovox {

QString InstalledDataFolder() {
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

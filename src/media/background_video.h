#pragma once

// Where the default background video is: "video.mpg", else "video.wmv", found whatever its case,
// in the program's folder, then in the installed data folder.

#include <QString>

namespace lyrovox {

// The installed data folder (holding the default background video).
QString InstalledDataFolder();

// The default background video for a program folder, or an empty string when there is none.
QString FindDefaultBackgroundVideo(const QString& programFolder,
                                   const QString& dataFolder = InstalledDataFolder());

}  // namespace lyrovox

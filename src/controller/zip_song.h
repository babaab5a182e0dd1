#pragma once

// Zip song archives: the song opening's side of it. The first two entries are extracted into a
// folder (the temporary folder) under their names, and the one that is an MP3 or KAR song is
// chosen, the second winning; side files extracted beside it are found as usual.

#include <QString>
#include <cstdint>

namespace lyrovox {

struct ZipSong {
  int32_t entryCount = 0;  // 0 when the archive cannot be opened
  QString songFile;        // empty when neither of the first two entries is a song
};

// `folder` ends with "/"; an empty one (no folder could be made) extracts nothing.
ZipSong ExtractZipSong(const QString& archivePath, const QString& folder);

}  // namespace lyrovox

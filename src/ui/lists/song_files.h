#pragma once

// The walk of a folder for the song files in it. Which files are songs (one set for a folder walk,
// a drop and "Add file(s)") is told by IsSongFileName (controller/song_paths.h).

#include <QString>
#include <vector>

namespace lyrovox {

// The song files under a folder, depth first: each folder's names in natural order (as a file
// manager shows them), a sub-folder walked where it stands, names that begin with "." skipped.
// A folder reached twice through links is walked once. List files in the folder are not read:
// they list the folder's own songs.
std::vector<QString> WalkSongFolder(const QString& folder);

}  // namespace lyrovox

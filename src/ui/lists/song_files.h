#pragma once

// Which files become songs of the song list: the kinds a folder walk takes, the kinds a drop
// takes, list files, and the walk of a folder.

#include <QString>
#include <QStringView>
#include <vector>

namespace lyrovox {

// True when the text matches the pattern: "*" any run of characters (also none), "?" any one
// character, every other character only itself (case counts). An empty text matches every
// pattern.
bool MatchWildcard(QStringView pattern, QStringView text);

// A list file: ".M3U" anywhere in the upper-cased path.
bool IsListFilePath(const QString& path);

// A file a folder walk adds: its upper-cased name holds one of the song extensions anywhere.
bool IsFolderSongName(const QString& name);

// A dropped file the song list takes: its upper-cased path ends in one of the song extensions.
bool IsDroppedSongPath(const QString& path);

// The song files under a folder, depth first: each folder's names in natural order (as a file
// manager shows them), a sub-folder walked where it stands, names that begin with "." skipped.
// A folder reached twice through links is walked once.
std::vector<QString> WalkSongFolder(const QString& folder);

}  // namespace lyrovox

#pragma once

// The lyric-source decision of a song: which reader fills the lyric store, and the lyric mode
// and wipe kind that follow. Shared by song opening and the lyric inspector.

#include <QString>

#include "lyrics/lyric_store.h"

namespace lyrovox {

struct LyricSource {
  int kind = 0;            // lyric kind of the path (song_paths.h)
  int lyricMode = 0;       // 0 none, 1 text lyrics in the store, 2 CD+G
  bool lineTimed = false;  // the lyrics are timed by whole lines (LRC)
  QString file;            // the file the lyrics came from: the song or its side file
};

// Clears the store and reads the song's lyrics into it. Side files are tried in the order XML,
// LRC, CD+G; the first that exists decides, even when it yields nothing. For CD+G the store stays
// empty and `file` names the .cdg file for the CD+G player.
LyricSource LoadLyricSource(const QString& path, int kind, LyricStore& store);

}  // namespace lyrovox

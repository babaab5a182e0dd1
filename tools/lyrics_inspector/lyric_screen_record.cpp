#include "lyrics_inspector/lyric_screen_record.h"

namespace lyrovox {

void LyricScreenRecord::ResetLyrics() {
  songTitle.clear();
  songArtist.clear();
}

}  // namespace lyrovox

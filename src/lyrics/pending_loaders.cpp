// Side-file and KYM readers that are not built yet: they leave the store as the caller left it,
// which the song opening treats as a song without lyrics.

#include "lyrics/lyric_store.h"

namespace lyrovox {

void LyricStore::LoadLrc(const std::string&) {}
void LyricStore::LoadLrcWide(const std::string&) {}
void LyricStore::LoadXmlLyrics(const std::string&) {}
void LyricStore::LoadKym(const std::string&) {
  codePage = 949;
}

}  // namespace lyrovox

#include "controller/lyric_source.h"

#include "controller/ports.h"
#include "controller/song_paths.h"

namespace lyrovox {

LyricSource LoadLyricSource(const QString& path, int kind, LyricStore& store) {
  LyricSource source;
  source.kind = kind;
  store.Clear();

  if (kind == kLyricKindKar) {
    store.LoadKar(NativePath(path));
    source.lyricMode = kLyricModeText;
    source.file = path;
    return source;
  }
  if (kind == kLyricKindKym) {
    store.LoadKym(NativePath(path));
    source.lyricMode = kLyricModeText;
    source.file = path;
    return source;
  }

  if (const QString xml = FindSideFile(path, u"XML"); !xml.isEmpty()) {
    store.LoadXmlLyrics(NativePath(xml));
    source.file = xml;
    if (store.count > 0) source.lyricMode = kLyricModeText;
    return source;
  }
  if (const QString lrc = FindSideFile(path, u"LRC"); !lrc.isEmpty()) {
    store.LoadLrc(NativePath(lrc));
    if (store.count == 0) store.LoadLrcWide(NativePath(lrc));
    source.file = lrc;
    if (store.count > 0) {
      source.lyricMode = kLyricModeText;
      source.lineTimed = true;
    }
    return source;
  }
  if (const QString cdg = FindSideFile(path, u"cdg"); !cdg.isEmpty()) {
    source.file = cdg;
    source.lyricMode = kLyricModeCdg;
  }
  return source;
}

}  // namespace lyrovox

#include "controller/zip_song.h"

#include "archive/zip_archive.h"
#include "controller/qt_text.h"
#include "controller/song_paths.h"

namespace lyrovox {

ZipSong ExtractZipSong(const QString& archivePath, const QString& folder) {
  ZipSong song;
  // Without a folder to extract into, the entries would land wherever the program runs.
  if (folder.isEmpty()) return song;
  const ZipArchivePtr zip(OpenZipArchive(NativePath(archivePath), kSongArchivePassword));
  if (!zip) return song;
  ZipEntryInfo count;
  GetZipEntry(zip.get(), -1, &count);
  song.entryCount = count.index;
  if (count.index >= 1) SetZipTargetFolder(zip.get(), NativePath(folder));
  // Entries after the second are not looked at.
  for (int32_t i = 0; i < count.index && i < 2; ++i) {
    ZipEntryInfo info;
    if (GetZipEntry(zip.get(), i, &info) != kZipOk) continue;
    ExtractZipEntry(zip.get(), i, info.name);
    const QString name = ToQString(info.name);
    const QString upper = name.toUpper();
    if (!name.isEmpty() && (upper.contains(u".MP3") || upper.contains(u".KAR"))) {
      song.songFile = folder + name;
    }
  }
  return song;
}

}  // namespace lyrovox

#pragma once

// What a song's path says about it: its kind, its language, its side files and its shown name.
// Kinds are told by substring tests on the upper-cased full path, so ".KAR" anywhere counts.

#include <QString>
#include <QStringList>
#include <QStringView>
#include <string>

namespace lyrovox {

// Lyric kinds of a song path.
inline constexpr int kLyricKindKar = 1;        // MIDI karaoke (.kar, .mid)
inline constexpr int kLyricKindSideFiles = 2;  // .XML, .LRC or .cdg beside the song
inline constexpr int kLyricKindKym = 3;        // .kym, lyrics inside the file

int LyricKindForPath(const QString& path);
// True for the video extensions anywhere in the path (.MPG .AVI .DAT .FLV .MKV .MP4 .VOB .WMV),
// and for a file whose extension is one of the video kinds below (.webm, .mov, .m4v too).
bool IsVideoSongPath(const QString& path);
bool IsZipPath(const QString& path);

// The language index a song's folder names: 4 "VIETNAMESE", 2 "CHINESE", 14 "KOREAN", else 0.
// A DVD song (last typed number above 200000) is always 0.
int LanguageFromPath(const QString& path, int lastSongNumber);

// The kinds of song file the song list takes (a folder walk, a drop, "Add file(s)") and the open
// dialogs show, as lower-case extensions: every kind the player plays.
const QStringList& SongFileExtensions();
// The video kinds among them.
const QStringList& VideoFileExtensions();
// The extension of song list files.
inline constexpr char16_t kListFileExtension[] = u"m3u";

// A song file by its extension, whatever its case ("a.MP4", not "a.mp4.txt").
bool IsSongFileName(const QString& nameOrPath);
// A song list file by its extension, whatever its case.
bool IsListFileName(const QString& nameOrPath);
// The extensions as a dialog's patterns: "*.kar *.mid".
QString FilePatterns(const QStringList& extensions);
// The patterns of the dialogs that add songs ("Add file(s)", Load): every song kind and list
// files.
QString SongAndListPatterns();

// A song's shown name, wherever the song comes from: the file name without folder and its last
// extension.
QString FileTitle(const QString& path);

// The side file of a song: its path with the last three characters replaced by `extension`,
// looked up case-insensitively in its folder ("Song.mp3" finds "song.lrc" and "SONG.LRC").
// Empty when there is none.
QString FindSideFile(const QString& songPath, QStringView extension);

// An existing file found case-insensitively by name in its folder; empty when there is none.
QString FindFileCaseInsensitive(const QString& path);

// The path as the plain C++ readers take it (the file system's own bytes).
std::string NativePath(const QString& path);

}  // namespace lyrovox

#include "controller/song_paths.h"

#include <gtest/gtest.h>

#include <QString>

#include "support/temp_dir.h"

namespace lyrovox {
namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

TEST(SongPaths, KindsComeFromSubstringsOfTheUpperCasedPath) {
  EXPECT_EQ(LyricKindForPath("/songs/a.kar"), kLyricKindKar);
  EXPECT_EQ(LyricKindForPath("/songs/a.MID"), kLyricKindKar);
  EXPECT_EQ(LyricKindForPath("/songs/Song.kar.mp3"), kLyricKindKar);
  EXPECT_EQ(LyricKindForPath("/songs/a.Kym"), kLyricKindKym);
  EXPECT_EQ(LyricKindForPath("/songs/a.mp3"), kLyricKindSideFiles);
  EXPECT_EQ(LyricKindForPath("/songs.kar/a.mp3"), kLyricKindKar);  // anywhere in the path
  EXPECT_TRUE(IsVideoSongPath("/v/clip.vob"));
  EXPECT_TRUE(IsVideoSongPath("/v/clip.Mp4"));
  EXPECT_TRUE(IsVideoSongPath("/v/clip.dat"));
  EXPECT_FALSE(IsVideoSongPath("/v/clip.mp3"));
  EXPECT_TRUE(IsZipPath("/z/Pack.ZIP"));
  EXPECT_FALSE(IsZipPath("/z/pack.zi"));
}

TEST(SongPaths, LaterVideoKindsArePlayedAsVideosByTheirExtensionOnly) {
  for (const char* path : {"/v/clip.webm", "/v/clip.MOV", "/v/clip.m4v"})
    EXPECT_TRUE(IsVideoSongPath(path)) << path;
  EXPECT_FALSE(IsVideoSongPath("/home/me/Movies/song.mp3"));
  EXPECT_FALSE(IsVideoSongPath("/home/me/.movies/song.mp3"));
  EXPECT_FALSE(IsVideoSongPath("/v/clip.webm.mp3"));
}

// One set of song kinds for the folder walk, drops and "Add file(s)": every kind the player plays,
// whatever the extension's case, and nothing else.
TEST(SongPaths, SongFilesAreToldByTheirExtensionInEitherCase) {
  const char* const kinds[] = {"kar", "mid", "mp3", "kym", "wma", "mpg",  "avi", "dat", "mkv",
                               "mp4", "vob", "wmv", "flv", "zip", "webm", "mov", "m4v"};
  for (const char* kind : kinds) {
    const QString lower = QString("/songs/My.Song.%1").arg(kind);
    EXPECT_TRUE(IsSongFileName(lower)) << kind;
    EXPECT_TRUE(IsSongFileName(QString("x.") + QString(kind).toUpper())) << kind;
    EXPECT_TRUE(IsSongFileName(QString("x.") + QString(kind).left(1).toUpper() + (kind + 1)))
        << kind;
    EXPECT_FALSE(IsListFileName(lower)) << kind;
  }
  EXPECT_EQ(SongFileExtensions().size(), std::size(kinds));
  for (const char* other :
       {"/songs/a.m3u", "/songs/a.txt", "/songs/a.mp3.lrc", "/songs/a.cdg", "/songs/a.xml",
        "/songs/mp3", "/songs/.mp3", "/songs.mp3/readme", "/songs/a.mp", "/songs/a.mp33", ""}) {
    EXPECT_FALSE(IsSongFileName(other)) << other;
  }
  EXPECT_TRUE(IsListFileName("/lists/Party.M3U"));
  EXPECT_TRUE(IsListFileName("/lists/party.m3u"));
  EXPECT_FALSE(IsListFileName("/lists.m3u/a.mp3"));
  EXPECT_EQ(SongAndListPatterns(),
            "*.kar *.mid *.mp3 *.kym *.wma *.mpg *.avi *.dat *.mkv *.mp4 *.vob *.wmv *.flv "
            "*.zip *.webm *.mov *.m4v *.m3u");
}

TEST(SongPaths, FolderNamesChooseTheLanguageExceptForDvdSongs) {
  EXPECT_EQ(LanguageFromPath("/Songs/Vietnamese/abc.mp3", 0), 4);
  EXPECT_EQ(LanguageFromPath("/songs/chinese/x.kar", 0), 2);
  EXPECT_EQ(LanguageFromPath("/songs/KOREAN/x.kar", 0), 14);
  EXPECT_EQ(LanguageFromPath("/songs/other/x.kar", 0), 0);
  EXPECT_EQ(LanguageFromPath("/songs/Vietnamese/abc.mp3", 200000), 4);
  EXPECT_EQ(LanguageFromPath("/songs/Vietnamese/abc.mp3", 200001), 0);
}

TEST(SongPaths, TheTitleIsTheFileNameWithoutFolderAndLastExtension) {
  EXPECT_EQ(FileTitle("/songs/My Song.kar"), "My Song");
  EXPECT_EQ(FileTitle("/songs/Song.kar.mp3"), "Song.kar");
  EXPECT_EQ(FileTitle("/songs/noext"), "noext");
  EXPECT_EQ(FileTitle("/songs/clip.mpeg"), "clip");  // any extension, not only three letters
  EXPECT_EQ(FileTitle("/songs/.hidden"), ".hidden");
  EXPECT_EQ(FileTitle("/songs/AC\\DC Live.mp3"), "AC\\DC Live");  // a backslash belongs to the name
  EXPECT_EQ(FileTitle("/so.ngs/plain"), "plain");
}

TEST(SongPaths, SideFilesAreFoundWhateverTheirCase) {
  testing::TempDir dir;
  const QString song = Q(dir.Write("Song.mp3", "x"));
  EXPECT_TRUE(FindSideFile(song, u"LRC").isEmpty());
  const std::string lrc = dir.Write("song.lrc", "[00:01.00]a\n");
  EXPECT_EQ(FindSideFile(song, u"LRC"), Q(lrc));
  const std::string cdg = dir.Write("SONG.CDG", "");
  EXPECT_EQ(FindSideFile(song, u"cdg"), Q(cdg));
  // A folder with the side file's name is not a side file.
  dir.Write("Song.XML/inside", "");
  EXPECT_TRUE(FindSideFile(song, u"XML").isEmpty());
  EXPECT_TRUE(FindSideFile(Q(dir.File("missing/Song.mp3")), u"LRC").isEmpty());
}

TEST(SongPaths, SeveralSpellingsChooseTheExactOneFirst) {
  testing::TempDir dir;
  const QString song = Q(dir.Write("a.mp3", "x"));
  dir.Write("A.LRC", "");
  dir.Write("a.lrc", "");
  const std::string exact = dir.Write("a.LRC", "");
  EXPECT_EQ(FindSideFile(song, u"LRC"), Q(exact));
}

}  // namespace
}  // namespace lyrovox

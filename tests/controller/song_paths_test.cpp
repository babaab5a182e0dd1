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

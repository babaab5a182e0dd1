// Song list files: the bytes the program writes, what it reads from lists in every encoding and
// line shape, and lists that go out and come back unchanged.

#include "ui/lists/m3u_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace lyrovox::m3u {
namespace {

using testing::TempDir;
using Paths = std::vector<std::u16string>;

// Test input in UTF-16LE (no mark).
std::string Le(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  return out;
}

TEST(M3uWriteTest, EmptyListIsTheMarkAndTheHeaderLine) {
  // FF FE, then "#EXTM3U" CR LF in UTF-16LE, written out by hand.
  const std::string expected(
      "\xFF\xFE#\0E\0X\0T\0M\0"
      "3\0U\0\r\0\n\0",
      20);
  EXPECT_EQ(EncodeListFile({}), expected);
}

TEST(M3uWriteTest, OneFullPathPerLineAndNothingElse) {
  // python3: ('\ufeff#EXTM3U\r\n/k/Hoà Bình.kar\r\n/k/月亮.mp3\r\n').encode('utf-16-le')
  const std::string expected(
      "\xFF\xFE\x23\x00\x45\x00\x58\x00\x54\x00\x4D\x00\x33\x00\x55\x00\x0D\x00\x0A\x00\x2F\x00"
      "\x6B\x00\x2F\x00\x48\x00\x6F\x00\xE0\x00\x20\x00\x42\x00\xEC\x00\x6E\x00\x68\x00\x2E\x00"
      "\x6B\x00\x61\x00\x72\x00\x0D\x00\x0A\x00\x2F\x00\x6B\x00\x2F\x00\x08\x67\xAE\x4E\x2E\x00"
      "\x6D\x00\x70\x00\x33\x00\x0D\x00\x0A\x00",
      76);
  EXPECT_EQ(EncodeListFile({u"/k/Hoà Bình.kar", u"/k/月亮.mp3"}), expected);
}

TEST(M3uWriteTest, PathsALineCannotCarryGoAsFileAddresses) {
  const struct {
    std::u16string path;
    std::u16string line;
  } cases[] = {
      {u"/a\nb.kar", u"file:///a%0Ab.kar"},
      {u"/x\\y.kar", u"file:///x%5Cy.kar"},
      {u"/ab", u"file:///ab"},
      {u"/50%\r", u"file:///50%25%0D"},
      {u"/plain 100%.kar", u"/plain 100%.kar"},
  };
  for (const auto& c : cases) {
    const std::string bytes = EncodeListFile({c.path});
    const std::string header = Le(u"#EXTM3U\r\n");
    EXPECT_EQ(bytes.substr(2 + header.size()), Le(c.line + u"\r\n"));
  }
}

TEST(M3uReadTest, EncodingsByMarkOrByTheBytes) {
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"UTF-16LE with mark", "\xFF\xFE" + Le(u"/k/Hoà Bình.kar\r\n")},
      {"UTF-8 with mark", "\xEF\xBB\xBF/k/Ho\xC3\xA0 B\xC3\xACnh.kar\r\n"},
      {"UTF-8 without mark", "/k/Ho\xC3\xA0 B\xC3\xACnh.kar\n"},
      {"Windows-1252 without mark", "/k/Ho\xE0 B\xECnh.kar\r\n"},
      {"UTF-16LE that lost its mark", Le(u"/k/Hoà Bình.kar\r\n")},
  };
  for (const auto& c : cases) {
    const std::u16string text =
        DecodeText({reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size()});
    EXPECT_EQ(EntryLines(text), Paths{u"/k/Hoà Bình.kar"}) << c.name;
  }
}

TEST(M3uReadTest, LinesCommentsBlankAndShortLines) {
  const std::u16string text =
      u"#EXTM3U\r\n"
      u"#EXTINF:123,Artist - Title\r\n"
      u"\r\n"
      u"\n"
      u"abcd\n"       // 4 characters and the line feed: taken
      u"abc\n"        // 3 and the line feed: skipped
      u"abc\r\n"      // the carriage return does not count
      u"  # x.kar\n"  // only a leading "#" makes a comment
      u"/last/line.kar";
  EXPECT_EQ(EntryLines(text), (Paths{u"abcd", u"  # x.kar", u"/last/line.kar"}));
}

TEST(M3uReadTest, LongLinesStayWhole) {
  const std::u16string longPath = u"/" + std::u16string(300, u'x') + u".kar";
  EXPECT_EQ(EntryLines(longPath + u"\r\n/b.kar\r\n"), (Paths{longPath, u"/b.kar"}));
}

TEST(M3uReadTest, EntriesBecomePaths) {
  const struct {
    std::u16string entry;
    std::u16string path;
  } cases[] = {
      {u"song.kar", u"/lists/song.kar"},
      {u"songs\\a.kar", u"/lists/songs/a.kar"},
      {u"songs/b.kar", u"/lists/songs/b.kar"},
      {u"/k/x.mp3", u"/k/x.mp3"},
      {u"\\k\\x.mp3", u"/k/x.mp3"},
      {u"file:///a%20b.kar", u"/a b.kar"},
      {u"FILE:///Ho%C3%A0.kar", u"/Hoà.kar"},
      {u"file://localhost/x.kar", u"/x.kar"},
      {u"file://other-host/x.kar", u""},
      {u"file:///x%5Cy.kar", u"/x\\y.kar"},
      {u"file:///a%00b.kar", u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ResolveEntry(c.entry, u"/lists/"), c.path);
  }
}

TEST(M3uReadTest, NamesAndFolders) {
  EXPECT_EQ(NameOfPath(u"/k/Hoà Bình.kar"), u"Hoà Bình");
  EXPECT_EQ(NameOfPath(u"/k/a.b.mp3"), u"a.b");
  EXPECT_EQ(NameOfPath(u"/k/.hidden"), u".hidden");
  EXPECT_EQ(NameOfPath(u"plain"), u"plain");
  EXPECT_EQ(FolderOf(u"/lists/a.m3u"), u"/lists/");
  EXPECT_EQ(FolderOf(u"a.m3u"), u"");
}

TEST(M3uFileTest, ReadsAListFileRelativeToItsFolder) {
  TempDir dir;
  const std::string path =
      dir.Write("lists/a.m3u", "\xFF\xFE" + Le(u"#EXTM3U\r\nsongs\\a.kar\r\n/k/x.mp3\r\n"));
  const ListFile list = ReadListFile(path);
  ASSERT_TRUE(list.read);
  const std::u16string folder = u"" + std::u16string(dir.path().begin(), dir.path().end());
  EXPECT_EQ(list.paths, (Paths{folder + u"/lists/songs/a.kar", u"/k/x.mp3"}));
}

TEST(M3uFileTest, WhatCannotBeReadIsSaidSo) {
  TempDir dir;
  EXPECT_FALSE(ReadListFile(dir.File("missing.m3u")).read);
  EXPECT_FALSE(ReadListFile(dir.path()).read);  // a folder
  const std::string fifo = dir.File("fifo.m3u");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(ReadListFile(fifo).read);
  const std::string big = dir.Write("big.m3u", std::string(100, 'x'));
  EXPECT_FALSE(ReadListFile(big, 99).read);
  const ListFile empty = ReadListFile(dir.Write("empty.m3u", ""));
  EXPECT_TRUE(empty.read);
  EXPECT_TRUE(empty.paths.empty());
  // Bytes that are text in no encoding tried: control characters, NUL characters, a lone
  // surrogate.
  for (const std::string& bytes :
       {std::string("MThd\0\0\0\x06\0\x01\0\x01\x01\xE0MTrk", 18),
        std::string("\x01\x02\x03 a.kar\n"),
        "\xFF\xFE" + Le(u"/k/a.kar") + std::string("\0\0", 2) + Le(u"\r\n"),
        "\xFF\xFE" + Le(u"/k/\xD800.kar\r\n")}) {
    EXPECT_FALSE(ReadListFile(dir.Write("binary.m3u", bytes)).read);
    std::vector<Entry> entries;
    EXPECT_FALSE(ReadEntryFile(dir.File("binary.m3u"), entries));
  }
}

TEST(M3uFileTest, EntriesKeepTheirTitlesAndNamedValues) {
  TempDir dir;
  const std::vector<Entry> entries = {
      {u"/k/a.kar", u"000001 - Hoà Bình", {}},
      {u"/k/b.mp3", u"", {{u"LYROVOX-SINGER", u"Anna"}}},
      {u"/k/line\nbreak.kar", u"two\nlines", {{u"LYROVOX-SINGER", u"Ben\r\nB"}}},
  };
  const std::string bytes = EncodeEntryFile(entries);
  EXPECT_EQ(bytes, "\xFF\xFE" + Le(u"#EXTM3U\r\n#EXTINF:-1,000001 - Hoà Bình\r\n/k/a.kar\r\n"
                                   u"#EXTINF:-1,\r\n#LYROVOX-SINGER:Anna\r\n/k/b.mp3\r\n"
                                   u"#EXTINF:-1,two lines\r\n#LYROVOX-SINGER:Ben  B\r\n"
                                   u"file:///k/line%0Abreak.kar\r\n"));
  std::vector<Entry> back;
  ASSERT_TRUE(ReadEntryFile(dir.Write("q.m3u", bytes), back));
  ASSERT_EQ(back.size(), 3u);
  EXPECT_EQ(back[0].title, u"000001 - Hoà Bình");
  EXPECT_EQ(back[1].values, entries[1].values);
  EXPECT_EQ(back[2].path, entries[2].path);
  EXPECT_EQ(back[2].title, u"two lines");
  // A reader of paths only takes the same songs.
  const ListFile plain = ReadListFile(dir.File("q.m3u"));
  EXPECT_EQ(plain.paths, (Paths{u"/k/a.kar", u"/k/b.mp3", u"/k/line\nbreak.kar"}));

  // Lines of other programs: a duration before the title, comments, a title for no entry.
  const std::vector<Entry> other = Entries(
      u"#EXTM3U\n#EXTINF:215,Artist - Song\n# just a note\nsong.mp3\n#EXTINF:1,Lost\n", u"/lists/");
  ASSERT_EQ(other.size(), 1u);
  EXPECT_EQ(other[0].path, u"/lists/song.mp3");
  EXPECT_EQ(other[0].title, u"Artist - Song");
  EXPECT_TRUE(other[0].values.empty());
}

TEST(M3uFileTest, ASavedListReadsBackEqual) {
  TempDir dir;
  const Paths paths = {
      u"/k/Hoà Bình.kar",
      u"/k/月亮代表我的心.mp3",
      u"/k/x.mp3",
      u"/k/emoji \U0001F3A4.kar",
      u"/k/line\nbreak.kar",
      u"/k/back\\slash.kar",
      u"/ab",
      u"/k/#hash.kar",
      u"/k/" + std::u16string(400, u'n'),
      u"/k/50%.kar",
      u"/k/trailing cr\r",
      u"/k/ spaces .kar ",
  };
  const std::string bytes = EncodeListFile(paths);
  const ListFile list = ReadListFile(dir.Write("saved.m3u", bytes));
  ASSERT_TRUE(list.read);
  EXPECT_EQ(list.paths, paths);
}

}  // namespace
}  // namespace lyrovox::m3u

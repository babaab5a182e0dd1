#include "archive/zip_archive.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/zip_builder.h"
#include "support/temp_dir.h"

namespace lyrovox {
namespace {

namespace fs = std::filesystem;
using ziptest::Entry;

std::string ReadAll(const fs::path& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

// Every path below `root`, relative to it, links included (never followed).
std::vector<std::string> Tree(const fs::path& root) {
  std::vector<std::string> paths;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
       ++it) {
    paths.push_back(it->path().lexically_relative(root).string() + (it->is_symlink() ? "@" : ""));
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

class ZipArchiveTest : public ::testing::Test {
 protected:
  ZipArchivePtr Open(const std::vector<Entry>& entries, const char* password = nullptr) {
    const std::string path = dir.File("songs.zip");
    EXPECT_TRUE(ziptest::WriteZip(path, entries));
    ZipArchivePtr zip(OpenZipArchive(path, password));
    EXPECT_NE(zip, nullptr);
    if (zip) SetZipTargetFolder(zip.get(), target.string() + "/");
    return zip;
  }
  ZipEntryInfo Info(ZipHandle* zip, int32_t index) {
    ZipEntryInfo info;
    EXPECT_EQ(GetZipEntry(zip, index, &info), kZipOk);
    return info;
  }
  // Extracts entry `index` under its listed name.
  uint32_t Extract(ZipHandle* zip, int32_t index) {
    return ExtractZipEntry(zip, index, Info(zip, index).name);
  }

  testing::TempDir dir;
  fs::path target = fs::path(dir.path()) / "tmp" / "target";
};

TEST(ZipEntryNames, ClimbingPartsAreDroppedAndSeparatorsJoinedWithSlash) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"..\\..\\Windows\\x.mp3", u"Windows/x.mp3"},
      {u"C:\\a\\b.kar", u"a/b.kar"},
      {u"songs/a.mp3", u"songs/a.mp3"},
      {u"/etc/passwd", u"etc/passwd"},
      {u"\\\\server\\share\\x", u"server/share/x"},
      {u"c:d:\\e", u"e"},
      {u"../x.mp3", u"x.mp3"},
      {u"..\\x.mp3", u"x.mp3"},
      {u"a/..", u"a"},
      {u"a/b/../../../c", u"c"},
      {u"a/./b//c", u"a/b/c"},
      {u"x..", u"x.."},
      {u"..", u""},
      {u"/", u""},
      {u"", u""},
  };
  for (const auto& [stored, safe] : cases)
    EXPECT_EQ(MakeSafeEntryName(stored), safe);
}

TEST(ZipEntryNames, Utf8DecodesAndBrokenBytesBecomeReplacementCharacters) {
  EXPECT_EQ(Utf16FromUtf8("\xE6\xAD\x8C.kar"), u"\u6B4C.kar");
  EXPECT_EQ(Utf16FromUtf8("\xF0\x9F\x8E\xA4"), u"\U0001F3A4");
  EXPECT_EQ(Utf16FromUtf8("a\xFF"
                          "b\xC3"),
            u"a\uFFFDb\uFFFD");
  EXPECT_EQ(Utf16FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong "/"
  EXPECT_EQ(Utf8FromUtf16(u"\u6B4C\U0001F3A4"), "\xE6\xAD\x8C\xF0\x9F\x8E\xA4");
}

TEST_F(ZipArchiveTest, ListsEntriesWithTheirNamesSizesAttributesAndTimes) {
  Entry song("\xE6\xAD\x8C.mp3", std::string(1000, 'a'));
  song.externalAttributes = 0x21;  // read-only, archive
  Entry hidden("hidden.cdg", "cdg");
  hidden.externalAttributes = 0x07;
  hidden.deflate = false;
  Entry unixFile("u.kar", "k");
  unixFile.madeBy = ziptest::kMadeByUnix;
  unixFile.externalAttributes = ziptest::UnixAttributes(0100444);
  unixFile.utWrite = 1600000000;
  Entry unixFolder("folder/", "");
  unixFolder.madeBy = ziptest::kMadeByUnix;
  unixFolder.externalAttributes = ziptest::UnixAttributes(040755);
  const ZipArchivePtr zip = Open({song, hidden, unixFile, unixFolder});

  EXPECT_EQ(Info(zip.get(), -1).index, 4);
  const ZipEntryInfo first = Info(zip.get(), 0);
  EXPECT_EQ(first.index, 0);
  EXPECT_EQ(first.name, u"\u6B4C.mp3");
  EXPECT_EQ(first.attributes, kZipAttrReadOnly | kZipAttrArchive);
  EXPECT_EQ(first.uncompressedSize, 1000u);
  EXPECT_LT(first.compressedSize, 100u);
  std::tm local{};
  local.tm_year = 120;
  local.tm_mon = 4;
  local.tm_mday = 17;
  local.tm_hour = 12;
  local.tm_min = 30;
  local.tm_sec = 10;
  local.tm_isdst = -1;
  EXPECT_EQ(first.writeTime, std::mktime(&local));
  EXPECT_EQ(first.creationTime, first.writeTime);

  const ZipEntryInfo third = Info(zip.get(), 2);
  EXPECT_EQ(third.attributes, kZipAttrReadOnly);
  EXPECT_EQ(third.writeTime, 1600000000);
  EXPECT_EQ(third.accessTime, 1600000000);
  EXPECT_EQ(Info(zip.get(), 3).attributes, kZipAttrDirectory);
  // Going back to an earlier entry works as well.
  const ZipEntryInfo second = Info(zip.get(), 1);
  EXPECT_EQ(second.name, u"hidden.cdg");
  EXPECT_EQ(second.attributes, kZipAttrReadOnly | kZipAttrHidden | kZipAttrSystem);
  EXPECT_EQ(second.compressedSize, 3u);
}

TEST_F(ZipArchiveTest, ExtractsIntoFoldersWithTheEntryTimes) {
  Entry song("songs/a.mp3", "music");
  song.utWrite = 1500000000;
  song.utAccess = 1500000500;
  const ZipArchivePtr zip = Open({song, Entry("songs/sub/", "")});
  EXPECT_EQ(Extract(zip.get(), 0), kZipOk);
  EXPECT_EQ(ReadAll(target / "songs/a.mp3"), "music");
  struct stat st {};
  ASSERT_EQ(::stat((target / "songs/a.mp3").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, 1500000000);
  EXPECT_EQ(Extract(zip.get(), 1), kZipOk);
  EXPECT_TRUE(fs::is_directory(target / "songs/sub"));
  EXPECT_EQ(ZipLastResult(), kZipOk);
}

TEST_F(ZipArchiveTest, ExtractingAgainReplacesTheFilesEvenReadOnlyOnes) {
  Entry song("a.kar", "first");
  song.externalAttributes = 0x01;
  ZipArchivePtr zip = Open({song});
  ASSERT_EQ(Extract(zip.get(), 0), kZipOk);
  EXPECT_EQ(fs::status(target / "a.kar").permissions() & fs::perms::owner_write, fs::perms::none);
  zip.reset();
  song.data = "second, longer";
  zip = Open({song});
  ASSERT_EQ(Extract(zip.get(), 0), kZipOk);
  EXPECT_EQ(ReadAll(target / "a.kar"), "second, longer");
}

TEST_F(ZipArchiveTest, HostileNamesStayInsideTheTargetFolder) {
  Entry link("link.mp3", "/etc/passwd");
  link.madeBy = ziptest::kMadeByUnix;
  link.externalAttributes = ziptest::UnixAttributes(0120777);
  Entry upFolder("../../up/", "");
  upFolder.externalAttributes = 0x10;
  const std::vector<Entry> entries = {Entry("..\\..\\Windows\\x.mp3", "1"),
                                      Entry("C:\\a\\b.kar", "2"),
                                      Entry("../../escape.mp3", "3"),
                                      Entry("/tmp/abs.mp3", "4"),
                                      Entry("x/..", "5"),
                                      Entry("..", "6"),
                                      link,
                                      upFolder,
                                      Entry("a/../../../../b.mp3", "7")};
  const ZipArchivePtr zip = Open(entries);
  for (int32_t i = 0; i < static_cast<int32_t>(entries.size()); ++i) {
    const uint32_t result = Extract(zip.get(), i);
    // A name with nothing left in it has no file to create.
    EXPECT_EQ(result, entries[i].name == ".." ? kZipCannotCreate : kZipOk) << entries[i].name;
  }
  // Caller-given names follow the same rules.
  EXPECT_EQ(ExtractZipEntry(zip.get(), 0, u"/tmp/given.mp3"), kZipOk);
  EXPECT_EQ(ExtractZipEntry(zip.get(), 0, u"..\\..\\given2.mp3"), kZipOk);

  const std::vector<std::string> expected = {"tmp",
                                             "tmp/target",
                                             "tmp/target/Windows",
                                             "tmp/target/Windows/x.mp3",
                                             "tmp/target/a",
                                             "tmp/target/a/b.kar",
                                             "tmp/target/b.mp3",
                                             "tmp/target/escape.mp3",
                                             "tmp/target/given2.mp3",
                                             "tmp/target/link.mp3",
                                             "tmp/target/tmp",
                                             "tmp/target/tmp/abs.mp3",
                                             "tmp/target/tmp/given.mp3",
                                             "tmp/target/up",
                                             "tmp/target/x"};
  std::vector<std::string> tree = Tree(dir.path());
  tree.erase(std::remove(tree.begin(), tree.end(), "songs.zip"), tree.end());
  EXPECT_EQ(tree, expected);
  // A link entry is written as an ordinary file holding the link's text.
  EXPECT_EQ(ReadAll(target / "link.mp3"), "/etc/passwd");
  EXPECT_EQ(ReadAll(target / "x"), "5");
}

TEST_F(ZipArchiveTest, LinksAlreadyOnDiskAreNeverFollowed) {
  const fs::path outside = fs::path(dir.path()) / "outside";
  fs::create_directories(outside);
  fs::create_directories(target);
  dir.Write("outside/song.mp3", "keep me");
  fs::create_directory_symlink(outside, target / "songs");
  fs::create_symlink(outside / "song.mp3", target / "song.mp3");
  const ZipArchivePtr zip = Open({Entry("songs/song.mp3", "evil"), Entry("song.mp3", "new")});
  EXPECT_EQ(Extract(zip.get(), 0), kZipCannotCreate);
  // The link in place of the file is replaced, not written through.
  EXPECT_EQ(Extract(zip.get(), 1), kZipOk);
  EXPECT_FALSE(fs::is_symlink(target / "song.mp3"));
  EXPECT_EQ(ReadAll(target / "song.mp3"), "new");
  EXPECT_EQ(ReadAll(outside / "song.mp3"), "keep me");
  EXPECT_EQ(Tree(outside), std::vector<std::string>{"song.mp3"});
}

TEST_F(ZipArchiveTest, PasswordsOpenEncryptedEntriesAndWrongOnesGiveTheirCode) {
  Entry deflated("locked.kar", std::string(5000, 'k'));
  deflated.password = kSongArchivePassword;
  Entry stored("stored.mp3", "plain bytes");
  stored.password = kSongArchivePassword;
  stored.deflate = false;
  const Entry open("open.cdg", "not encrypted");
  {
    const ZipArchivePtr zip = Open({deflated, stored, open}, kSongArchivePassword);
    EXPECT_EQ(Extract(zip.get(), 0), kZipOk);
    EXPECT_EQ(ReadAll(target / "locked.kar"), deflated.data);
    EXPECT_EQ(Extract(zip.get(), 1), kZipOk);
    EXPECT_EQ(ReadAll(target / "stored.mp3"), "plain bytes");
    // A password does no harm to entries without encryption.
    EXPECT_EQ(Extract(zip.get(), 2), kZipOk);
    EXPECT_EQ(ReadAll(target / "open.cdg"), "not encrypted");
  }
  fs::remove_all(target);
  for (const char* password : {"wrong", "", static_cast<const char*>(nullptr)}) {
    const ZipArchivePtr zip = Open({deflated, stored, open}, password);
    EXPECT_EQ(Extract(zip.get(), 0), kZipWrongPassword);
    EXPECT_EQ(ZipLastResult(), kZipWrongPassword);
    // The output file made before the password was tried does not stay behind.
    EXPECT_FALSE(fs::exists(target / "locked.kar"));
    // Stored entries are not checked by the zip library at all: their CRC tells.
    EXPECT_EQ(Extract(zip.get(), 1), kZipWrongPassword);
    EXPECT_FALSE(fs::exists(target / "stored.mp3"));
    EXPECT_EQ(Extract(zip.get(), 2), kZipOk);
  }
}

TEST_F(ZipArchiveTest, BrokenDataGivesTheDecompressionCodeAndLeavesNoFile) {
  Entry deflated("a.mp3", std::string(20000, 'x') + std::string(20000, 'y'));
  Entry stored("b.mp3", "stored song bytes");
  stored.deflate = false;
  ASSERT_TRUE(ziptest::WriteZip(dir.File("songs.zip"), {deflated, stored}));
  std::string bytes = ReadAll(dir.File("songs.zip"));
  // Deflated data that no longer inflates, and stored data that fails its CRC.
  for (size_t i = 40; i < 60; ++i)
    bytes[i] = static_cast<char>(bytes[i] ^ 0x5A);
  const size_t at = bytes.find(stored.data);
  ASSERT_NE(at, std::string::npos);
  bytes[at] = 'S';
  dir.Write("songs.zip", bytes);
  const ZipArchivePtr zip(OpenZipArchive(dir.File("songs.zip"), nullptr));
  ASSERT_NE(zip, nullptr);
  SetZipTargetFolder(zip.get(), target.string());
  // A file of the same name from before is not kept either: the entry replaced it.
  fs::create_directories(target);
  std::ofstream(target / "b.mp3") << "older song";
  EXPECT_EQ(Extract(zip.get(), 0), kZipInflateFailed);
  EXPECT_EQ(Extract(zip.get(), 1), kZipInflateFailed);
  EXPECT_EQ(ZipLastResult(), kZipInflateFailed);
  EXPECT_EQ(Tree(target), std::vector<std::string>{});
}

// An archive made by Info-ZIP's zip 3.0 (zip -X -P qedr -0 known.zip stored.txt, then
// zip -X -P qedr -9 known.zip song.kar), so that the decryption is checked against another
// program's encryption: a stored and a deflated entry, both with a data descriptor.
constexpr uint8_t kInfoZipArchive[] = {
    0x50, 0x4b, 0x03, 0x04, 0x0a, 0x00, 0x09, 0x00, 0x00, 0x00, 0xc4, 0x28, 0x64, 0x52, 0xcf, 0xa8,
    0x86, 0xe3, 0x46, 0x00, 0x00, 0x00, 0x3a, 0x00, 0x00, 0x00, 0x0a, 0x00, 0x00, 0x00, 0x73, 0x74,
    0x6f, 0x72, 0x65, 0x64, 0x2e, 0x74, 0x78, 0x74, 0x7b, 0xc6, 0x95, 0xbe, 0x4c, 0xe5, 0x95, 0x27,
    0x24, 0x25, 0x85, 0xab, 0xdf, 0x50, 0xb6, 0x06, 0x17, 0xad, 0xa7, 0xca, 0xe0, 0xd4, 0x88, 0x5b,
    0x07, 0x11, 0x93, 0xca, 0x70, 0x4d, 0xd0, 0xdb, 0x26, 0xb8, 0x0d, 0x47, 0xcc, 0x3c, 0xcc, 0xa1,
    0x87, 0x15, 0xf4, 0x8c, 0xfd, 0x28, 0x2a, 0x2c, 0xf1, 0x8b, 0xe3, 0x6e, 0x29, 0x39, 0x8b, 0xce,
    0x70, 0xce, 0xb2, 0xf6, 0x67, 0x09, 0x32, 0xe5, 0x38, 0xe5, 0x9a, 0xf4, 0x7e, 0x86, 0x50, 0x4b,
    0x07, 0x08, 0xcf, 0xa8, 0x86, 0xe3, 0x46, 0x00, 0x00, 0x00, 0x3a, 0x00, 0x00, 0x00, 0x50, 0x4b,
    0x03, 0x04, 0x14, 0x00, 0x0b, 0x00, 0x08, 0x00, 0xc4, 0x28, 0x64, 0x52, 0x97, 0x24, 0x88, 0x87,
    0x19, 0x00, 0x00, 0x00, 0x6b, 0x01, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x73, 0x6f, 0x6e, 0x67,
    0x2e, 0x6b, 0x61, 0x72, 0x00, 0x63, 0x24, 0xc6, 0x34, 0x15, 0x28, 0x2a, 0x99, 0x85, 0xc9, 0x0f,
    0x47, 0x66, 0x3f, 0x63, 0x75, 0xc0, 0xdc, 0x4e, 0x90, 0xbe, 0x0b, 0x31, 0x45, 0x50, 0x4b, 0x07,
    0x08, 0x97, 0x24, 0x88, 0x87, 0x19, 0x00, 0x00, 0x00, 0x6b, 0x01, 0x00, 0x00, 0x50, 0x4b, 0x01,
    0x02, 0x1e, 0x03, 0x0a, 0x00, 0x09, 0x00, 0x00, 0x00, 0xc4, 0x28, 0x64, 0x52, 0xcf, 0xa8, 0x86,
    0xe3, 0x46, 0x00, 0x00, 0x00, 0x3a, 0x00, 0x00, 0x00, 0x0a, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0xa4, 0x81, 0x00, 0x00, 0x00, 0x00, 0x73, 0x74, 0x6f, 0x72, 0x65,
    0x64, 0x2e, 0x74, 0x78, 0x74, 0x50, 0x4b, 0x01, 0x02, 0x1e, 0x03, 0x14, 0x00, 0x0b, 0x00, 0x08,
    0x00, 0xc4, 0x28, 0x64, 0x52, 0x97, 0x24, 0x88, 0x87, 0x19, 0x00, 0x00, 0x00, 0x6b, 0x01, 0x00,
    0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0xa4, 0x81, 0x7e,
    0x00, 0x00, 0x00, 0x73, 0x6f, 0x6e, 0x67, 0x2e, 0x6b, 0x61, 0x72, 0x50, 0x4b, 0x05, 0x06, 0x00,
    0x00, 0x00, 0x00, 0x02, 0x00, 0x02, 0x00, 0x6e, 0x00, 0x00, 0x00, 0xcd, 0x00, 0x00, 0x00, 0x00,
    0x00};

TEST_F(ZipArchiveTest, DecryptsWhatAnotherZipProgramEncrypted) {
  const std::string path = dir.Write(
      "known.zip",
      std::string(reinterpret_cast<const char*>(kInfoZipArchive), sizeof kInfoZipArchive));
  std::string la;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 40; ++j)
      la += "la ";
    la += "\n";
  }
  {
    const ZipArchivePtr zip(OpenZipArchive(path, kSongArchivePassword));
    ASSERT_NE(zip, nullptr);
    SetZipTargetFolder(zip.get(), target.string());
    ASSERT_EQ(Extract(zip.get(), 0), kZipOk);
    EXPECT_EQ(ReadAll(target / "stored.txt"),
              "Twinkle, twinkle, little star,\nhow I wonder what you are.\n");
    ASSERT_EQ(Extract(zip.get(), 1), kZipOk);
    EXPECT_EQ(ReadAll(target / "song.kar"), la);
  }
  fs::remove_all(target);
  // One letter off: both entries are refused and nothing is written.
  const ZipArchivePtr zip(OpenZipArchive(path, "qedx"));
  ASSERT_NE(zip, nullptr);
  SetZipTargetFolder(zip.get(), target.string());
  EXPECT_EQ(Extract(zip.get(), 0), kZipWrongPassword);
  EXPECT_EQ(Extract(zip.get(), 1), kZipWrongPassword);
  EXPECT_EQ(Tree(target), std::vector<std::string>{});
}

TEST_F(ZipArchiveTest, BadArgumentsAndUnreadableArchives) {
  EXPECT_EQ(OpenZipArchive(dir.File("missing.zip"), nullptr), nullptr);
  EXPECT_EQ(OpenZipArchive(dir.Write("not.zip", "PK but not a zip at all"), nullptr), nullptr);
  EXPECT_EQ(OpenZipArchive(dir.path(), nullptr), nullptr);
  ZipEntryInfo info;
  EXPECT_EQ(GetZipEntry(nullptr, 0, &info), kZipBadArgument);
  EXPECT_EQ(ExtractZipEntry(nullptr, 0, u"x"), kZipBadArgument);
  EXPECT_EQ(CloseZipArchive(nullptr), kZipBadArgument);
  EXPECT_EQ(ZipLastResult(), kZipBadArgument);

  const ZipArchivePtr zip = Open({Entry("a.mp3", "a")});
  EXPECT_EQ(GetZipEntry(zip.get(), 1, &info), kZipBadArgument);
  EXPECT_EQ(GetZipEntry(zip.get(), -2, &info), kZipBadArgument);
  EXPECT_EQ(ExtractZipEntry(zip.get(), 1, u"a.mp3"), kZipBadArgument);
  // Without a target folder there is nowhere to put an entry.
  const ZipArchivePtr other(OpenZipArchive(dir.File("songs.zip"), nullptr));
  EXPECT_EQ(ExtractZipEntry(other.get(), 0, u"a.mp3"), kZipBadArgument);
  EXPECT_EQ(ExtractZipEntry(zip.get(), 0, u"a.mp3"), kZipOk);
  EXPECT_EQ(ZipLastResult(), kZipOk);
}

}  // namespace
}  // namespace lyrovox

// The private temporary folder: made once per user with mode 0700, never taken over from a link
// or from someone else, and the only place left-overs are cleaned from.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "controller/temp_folder.h"
#include "support/temp_dir.h"

namespace lyrovox {
namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

mode_t ModeOf(const QString& path) {
  struct stat st {};
  lstat(QFile::encodeName(path).constData(), &st);
  return st.st_mode & 07777;
}

TEST(PrivateTempFolder, IsMadeOnceWithOnlyTheUsersAccess) {
  testing::TempDir dir;
  const QString expected = Q(dir.path()) + "/lyrovox-" + QString::number(geteuid()) + "/";
  const QString folder = PrivateTempFolder(Q(dir.path()));
  EXPECT_EQ(folder, expected);
  EXPECT_EQ(ModeOf(folder), 0700u);
  EXPECT_EQ(PrivateTempFolder(Q(dir.path())), expected);  // the same folder next time

  // Opened up by someone: closed again and kept.
  chmod(QFile::encodeName(folder).constData(), 0777);
  EXPECT_EQ(PrivateTempFolder(Q(dir.path())), expected);
  EXPECT_EQ(ModeOf(folder), 0700u);
}

TEST(PrivateTempFolder, ALinkOrAFolderOfSomeoneElseIsNotTaken) {
  testing::TempDir dir;
  const QString name = Q(dir.path()) + "/lyrovox-" + QString::number(geteuid());
  const QString target = Q(dir.path()) + "/elsewhere";
  QDir().mkpath(target);
  ASSERT_EQ(symlink(QFile::encodeName(target).constData(), QFile::encodeName(name).constData()), 0);
  const QString viaLink = PrivateTempFolder(Q(dir.path()));
  EXPECT_FALSE(viaLink.isEmpty());
  EXPECT_NE(viaLink, name + "/");
  EXPECT_FALSE(QFileInfo(viaLink).isSymLink());
  EXPECT_EQ(ModeOf(viaLink), 0700u);

  if (geteuid() == 0) {  // only root can give a folder away
    QFile::remove(name);
    QDir().mkpath(name);
    ASSERT_EQ(chown(QFile::encodeName(name).constData(), 65534, 65534), 0);
    const QString fresh = PrivateTempFolder(Q(dir.path()));
    EXPECT_NE(fresh, name + "/");
    EXPECT_TRUE(fresh.startsWith(name + "-"));
  }
}

TEST(PrivateTempFolder, OnlyTheKaraokeFilesLyingInItAreCleaned) {
  testing::TempDir dir;
  const QString folder = Q(dir.path()) + "/";
  for (const char* name : {"500002.kar", "OLD.KAR", "song.mp3", "sub/600002.kar", "kar.txt"}) {
    dir.Write(name, "x");
  }
  const std::string target = dir.Write("sub/target.kar", "target");
  ASSERT_EQ(symlink(target.c_str(), (dir.path() + "/link.kar").c_str()), 0);
  EXPECT_EQ(DeleteLeftOverKarFiles(folder), 3);
  EXPECT_FALSE(QFileInfo::exists(folder + "500002.kar"));
  EXPECT_FALSE(QFileInfo::exists(folder + "OLD.KAR"));
  EXPECT_FALSE(QFileInfo(folder + "link.kar").isSymLink());
  EXPECT_TRUE(QFileInfo::exists(Q(target)));
  EXPECT_TRUE(QFileInfo::exists(folder + "song.mp3"));
  EXPECT_TRUE(QFileInfo::exists(folder + "sub/600002.kar"));
  EXPECT_TRUE(QFileInfo::exists(folder + "kar.txt"));
}

}  // namespace
}  // namespace lyrovox

// File dialog filters match names whatever their case.

#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>

#include "app/file_dialogs.h"
#include "support/temp_dir.h"

namespace lyrovox {
namespace {

TEST(FileDialogFilters, EveryLetterOfAPatternMatchesInEitherCase) {
  EXPECT_EQ(CaseInsensitiveFilter("Karaoke Files (*.kar;*.mid)"),
            "Karaoke Files (*.[kK][aA][rR] *.[mM][iI][dD])");
  EXPECT_EQ(CaseInsensitiveFilter("All Files (*.*)"), "All Files (*.*)");
  EXPECT_EQ(CaseInsensitiveFilter("No patterns"), "No patterns");

  // The patterns as the dialog applies them, case-sensitively as on Linux.
  testing::TempDir dir;
  for (const char* name : {"a.kar", "B.KAR", "c.Kar", "d.mid", "e.mp3", "kar.txt"}) {
    dir.Write(name, "x");
  }
  const QString filter = CaseInsensitiveFilter("Karaoke Files (*.kar *.mid)");
  const QString inside = filter.section('(', 1).chopped(1);
  QStringList found;
  for (const QString& name :
       QDir(QString::fromStdString(dir.path())).entryList(QDir::Files, QDir::Name)) {
    for (const QString& pattern : inside.split(' ')) {
      const QRegularExpression glob(QRegularExpression::wildcardToRegularExpression(pattern));
      if (glob.match(name).hasMatch()) found << name;
    }
  }
  EXPECT_EQ(found, QStringList({"B.KAR", "a.kar", "c.Kar", "d.mid"}));
}

}  // namespace
}  // namespace lyrovox

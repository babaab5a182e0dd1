// File and colour dialogs through the program's dialog helper, as real Qt dialogs on the
// offscreen platform: names match whatever their case, each file dialog opens showing every file
// its initial pattern names, with its filters still there to choose, and the colour dialog opens
// at the colour it changes.

#include <gtest/gtest.h>

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <functional>

#include "app/file_dialogs.h"
#include "app/program.h"
#include "controller/main_frame.h"
#include "media_fixtures.h"
#include "support/temp_dir.h"
#include "ui/lists/list_commands.h"
#include "ui/lists/play_list_dlg.h"
#include "ui/setup/audio_setup_page.h"

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

// What an open dialog showed: its filters (their names), the one it opened with, the files it
// listed then, and the files it listed under each of its filters.
struct Shown {
  QStringList filters;
  QString first;
  QStringList files;
  std::vector<QStringList> filesByFilter;
};

QStringList ListedFiles(QFileDialog& dialog, const QString& folder) {
  auto* model = dialog.findChild<QFileSystemModel*>();
  auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
  if (model == nullptr || view == nullptr) return {QStringLiteral("<no view>")};
  // The listing fills in on the model's own thread.
  testing::WaitUntil(
      [&] {
        QApplication::processEvents();
        return model->rowCount(model->index(folder)) > 0;
      },
      5000);
  testing::Spin(100);
  QStringList files;
  const QModelIndex root = view->rootIndex();
  QAbstractItemModel* shown = view->model();
  for (int row = 0; row < shown->rowCount(root); ++row) {
    const QModelIndex index = shown->index(row, 0, root);
    if (!(shown->flags(index) & Qt::ItemIsEnabled)) continue;  // filtered out, shown greyed
    if (QFileInfo(QDir(folder).filePath(index.data().toString())).isDir()) continue;
    files << index.data().toString();
  }
  files.sort();
  return files;
}

// Runs `open`, which opens a modal dialog of type Dialog through the helper, and `answer` on that
// dialog once it is up.
template <class Dialog>
void WhileOpen(const std::function<void()>& open, const std::function<void(Dialog&)>& answer) {
  QTimer poll;
  poll.setInterval(20);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    poll.stop();
    answer(*dialog);
  });
  poll.start();
  open();
}

// Runs `open`, which opens a file dialog through the helper; looks at the dialog in `folder`,
// then cancels it.
Shown Look(const QString& folder, const std::function<void()>& open) {
  Shown shown;
  WhileOpen<QFileDialog>(open, [&](QFileDialog& dialog) {
    dialog.setDirectory(folder);
    QStringList names;
    for (const QString& filter : dialog.nameFilters())
      names << filter.section(QStringLiteral(" ("), 0, 0);
    shown.filters = names;
    shown.first = dialog.selectedNameFilter().section(QStringLiteral(" ("), 0, 0);
    shown.files = ListedFiles(dialog, folder);
    for (const QString& filter : dialog.nameFilters()) {
      dialog.selectNameFilter(filter);
      shown.filesByFilter.push_back(ListedFiles(dialog, folder));
    }
    dialog.reject();
  });
  return shown;
}

class FileDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* kind : {"kar", "MID", "mp3", "Kym", "wma", "MPG", "avi", "dat", "MKV", "mp4",
                             "vob", "WMV", "flv", "zip", "WebM", "mov", "M4V", "m3u"}) {
      dir.Write(std::string("songs/song.") + kind, "x");
    }
    for (const char* other : {"songs/song.lrc", "songs/notes.txt", "songs/sub/inner.kar"})
      dir.Write(other, "x");
    folder = QString::fromStdString(dir.path() + "/songs");
  }

  static QStringList Songs(std::initializer_list<const char*> kinds) {
    QStringList names;
    for (const char* kind : kinds)
      names << QString("song.") + kind;
    names.sort();
    return names;
  }

  testing::TempDir dir;
  QString folder;
};

TEST_F(FileDialogsTest, AddFilesAndLoadOpenShowingEverySongAndListFile) {
  ProgramOptions options;
  options.profilePath = QString::fromStdString(dir.path() + "/LyroVox.conf");
  options.programFolder = QStringLiteral(LYROVOX_PROGRAM_DIR);
  options.systemTemp = QString::fromStdString(dir.path());
  options.splash = false;
  options.ctrlHeld = false;
  Program program(options);
  ASSERT_TRUE(program.Start());
  auto* list = dynamic_cast<PlayListDlg*>(program.frame().windows().songList);
  ASSERT_NE(list, nullptr);
  const QStringList everything =
      Songs({"kar", "MID", "mp3", "Kym", "wma", "MPG", "avi", "dat", "MKV", "mp4", "vob", "WMV",
             "flv", "zip", "WebM", "mov", "M4V", "m3u"});

  const Shown add = Look(folder, [&] { list->OnCommand(kCmdAddFiles); });
  EXPECT_EQ(add.filters, QStringList({"All supported files", "Karaoke Files", "MP3 and WMA Files",
                                      "Play List", "Zip files"}));
  EXPECT_EQ(add.first, "All supported files");
  EXPECT_EQ(add.files, everything);
  ASSERT_EQ(add.filesByFilter.size(), 5u);
  EXPECT_EQ(add.filesByFilter[1], Songs({"kar", "MID"}));
  EXPECT_EQ(add.filesByFilter[2], Songs({"mp3", "wma"}));
  EXPECT_EQ(add.filesByFilter[3], Songs({"m3u"}));
  EXPECT_EQ(add.filesByFilter[4], Songs({"zip"}));
  EXPECT_EQ(list->Count(), 0);  // cancelled

  const Shown load = Look(folder, [&] { program.frame().OpenKaraokeFile(nullptr); });
  EXPECT_EQ(load.filters, QStringList({"Karaoke Files"}));
  EXPECT_EQ(load.files, everything);

  // The list files' own dialogs name the same files as their one filter.
  const Shown songList = Look(folder, [&] { list->OnCommand(kCmdLoadSongList); });
  EXPECT_EQ(songList.filters, QStringList({"M3U songlist"}));
  EXPECT_EQ(songList.files, Songs({"m3u"}));
  program.Shutdown();
}

TEST_F(FileDialogsTest, TheBackgroundVideoDialogOpensShowingEveryVideo) {
  QtFileDialogs dialogs;
  CAudioSetupPage page(dialogs);
  const Shown shown = Look(folder, [&] { page.selectButton()->click(); });
  EXPECT_EQ(shown.filters, QStringList({"All supported files", "DVD video", "MPEG Files",
                                        "AVI Files", "All Files"}));
  EXPECT_EQ(shown.first, "All supported files");
  EXPECT_EQ(shown.files,
            Songs({"MPG", "avi", "dat", "MKV", "mp4", "vob", "WMV", "flv", "WebM", "mov", "M4V"}));
  ASSERT_EQ(shown.filesByFilter.size(), 5u);
  EXPECT_EQ(shown.filesByFilter[1], Songs({"vob"}));
  EXPECT_EQ(shown.filesByFilter[4].size(), 20);  // every file
  EXPECT_TRUE(page.videoEdit()->text().isEmpty());
}

TEST(ColourDialog, OpensAtTheColourItIsGivenAndGivesBackTheOneChosen) {
  QtFileDialogs dialogs;
  QColor opened;
  std::optional<uint32_t> chosen;
  // Colours are 0x00BBGGRR: red 0x33, green 0x22, blue 0x11.
  WhileOpen<QColorDialog>([&] { chosen = dialogs.ChooseColor(0x112233, nullptr); },
                          [&](QColorDialog& dialog) {
                            opened = dialog.currentColor();
                            dialog.setCurrentColor(QColor(0x10, 0x20, 0x30));
                            dialog.accept();
                          });
  EXPECT_EQ(opened, QColor(0x33, 0x22, 0x11));
  EXPECT_EQ(chosen, std::optional<uint32_t>(0x302010));
}

}  // namespace
}  // namespace lyrovox

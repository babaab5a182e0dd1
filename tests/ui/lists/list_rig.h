#pragma once

// The real play list and reserved list windows attached to a real main frame on the controller
// tests' fake screen, players, panel, dialogs and message boxes, with songs in a temporary folder.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>

#include "controller/fakes.h"
#include "controller/main_frame.h"
#include "controller/settings_store.h"
#include "support/temp_dir.h"
#include "ui/lists/play_list_dlg.h"
#include "ui/lists/reserved_list_dlg.h"

namespace lyrovox::testing {

// Test input in UTF-16LE (no mark).
inline std::string Le(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  return out;
}

// Runs the event loop until done() or the time is up.
inline bool WaitFor(const std::function<bool()>& done, int ms) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

inline QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ListRig : public ::testing::Test {
 protected:
  void SetUp() override { Make(true); }

  void Make(bool reservedOn) {
    playList.reset();
    reserved.reset();
    frame.reset();
    store = std::make_unique<SettingsStore>(Folder() + "/LyroVox.conf");
    store->values().reservedListEnable = reservedOn ? 1 : 0;
    CMainFrame::Parts parts;
    parts.screen = &screen;
    parts.videoPlayer = &video;
    parts.messages = &messages;
    parts.makeAudioPlayer = [] { return std::make_unique<FakeAudioPlayer>(); };
    parts.tempFolder = Folder() + "/tmp/";
    frame = std::make_unique<CMainFrame>(std::move(parts), *store);
    playList = std::make_unique<PlayListDlg>(*store);
    reserved = std::make_unique<ReservedListDlg>(*store);
    CMainFrame::Windows windows;
    windows.panel = &panel;
    windows.songList = playList.get();
    windows.reservedList = reserved.get();
    windows.fileDialogs = &dialogs;
    frame->Attach(windows);
    frame->setDefaultBackgroundVideo("/opt/lyrovox/video.mpg");
    playList->Attach(*frame, dialogs, messages);
    reserved->Attach(*frame, messages);
    QObject::connect(frame.get(), &CMainFrame::SongStarted,
                     [this](const QString& path) { played << path; });
    // Menus are answered by the test: the texts are noted and the item `pick` is chosen.
    auto runner = [this](QMenu& menu) -> QAction* {
      menuTexts.clear();
      for (QAction* action : menu.actions())
        menuTexts << action->text();
      for (QAction* action : menu.actions()) {
        if (action->data().toInt() == pick) return action;
      }
      return nullptr;
    };
    playList->SetMenuRunner(runner);
    reserved->SetMenuRunner(runner);
  }

  QString Folder() const { return QString::fromStdString(dir.path()); }
  QString Song(const std::string& name) { return QString::fromStdString(dir.Write(name, "x")); }
  QString Profile(const char* key) const {
    return QSettings(Folder() + "/LyroVox.conf", QSettings::IniFormat)
        .value(QString("Setup/") + key, QString("<none>"))
        .toString();
  }
  QStringList SongTitles() const {
    QStringList titles;
    for (int r = 0; r < playList->Count(); ++r)
      titles << playList->Title(r);
    return titles;
  }
  QStringList ReservedTitles() const {
    QStringList titles;
    for (int r = 0; r < reserved->Count(); ++r)
      titles << reserved->Title(r);
    return titles;
  }
  // Songs a.mp3, b.mp3, ... added as the song list's rows.
  void AddSongs(std::initializer_list<const char*> names) {
    for (const char* name : names)
      playList->AddSong(name, Song(std::string(name) + ".mp3"), playList->Count());
  }
  static void Select(CSkinListCtrl& list, std::initializer_list<int> rows) {
    list.clearSelection();
    for (int row : rows)
      list.selectionModel()->select(list.model()->index(row, 1),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }

  TempDir dir;
  FakeScreen screen;
  FakePanel panel;
  FakeVideoPlayer video;
  FakeMessages messages;
  FakeFileDialogs dialogs;
  std::unique_ptr<SettingsStore> store;
  std::unique_ptr<CMainFrame> frame;
  std::unique_ptr<PlayListDlg> playList;
  std::unique_ptr<ReservedListDlg> reserved;
  QStringList played;
  QStringList menuTexts;
  int pick = 0;
};

}  // namespace lyrovox::testing

#pragma once

// Dialogs that answer from what a test queued and note what was asked, and a way to act on the
// setup sheet while it runs modally.

#include <QApplication>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "controller/ports.h"
#include "ui/setup/setup_sheet.h"

namespace lyrovox::testing {

class ScriptedDialogs final : public IFileDialogs {
 public:
  QStringList OpenFiles(const FileDialogRequest& request) override {
    requests.push_back(request);
    return Next(files, QStringList());
  }
  QString SaveFile(const FileDialogRequest& request) override {
    requests.push_back(request);
    return QString();
  }
  QString ChooseFolder(const QString& title, QObject*) override {
    folderTitles << title;
    return Next(folders, QString());
  }
  std::optional<uint32_t> ChooseColor(uint32_t initial, QObject*) override {
    colorInitials.push_back(initial);
    return Next(colors, std::optional<uint32_t>());
  }

  // Answers, in order; an empty queue cancels.
  std::deque<QStringList> files;
  std::deque<QString> folders;
  std::deque<std::optional<uint32_t>> colors;
  // What was asked.
  std::vector<FileDialogRequest> requests;
  QStringList folderTitles;
  std::vector<uint32_t> colorInitials;

 private:
  template <class T>
  static T Next(std::deque<T>& queue, T none) {
    if (queue.empty()) return none;
    T answer = queue.front();
    queue.pop_front();
    return answer;
  }
};

// Runs `act` on the sheet once it is shown modally; a sheet still open afterwards is cancelled.
inline void WhenSheetShows(std::function<void(CSetupSheet&)> act, int triesLeft = 50) {
  QTimer::singleShot(triesLeft == 50 ? 0 : 10, [act = std::move(act), triesLeft]() mutable {
    auto* sheet = qobject_cast<CSetupSheet*>(QApplication::activeModalWidget());
    if (sheet == nullptr) {
      if (triesLeft > 0) WhenSheetShows(std::move(act), triesLeft - 1);
      return;
    }
    act(*sheet);
    if (sheet->isVisible()) sheet->reject();
  });
}

}  // namespace lyrovox::testing

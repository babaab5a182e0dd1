#pragma once

// The "Songs Locations" page: up to three folders where songs are looked up by number.

#include <QString>
#include <array>

#include "ui/setup/setup_page.h"

class QListWidget;
class QPushButton;

namespace lyrovox {

class IFileDialogs;

class CSongsLocationDlg final : public SetupPage {
  Q_OBJECT

 public:
  static constexpr int kMaxFolders = 3;

  explicit CSongsLocationDlg(IFileDialogs& dialogs, QWidget* parent = nullptr);

  // The page's values: the songs folders, "" where there is none.
  std::array<QString, kMaxFolders> folders;

  QListWidget* folderList() const { return list_; }
  QPushButton* addButton() const { return addButton_; }
  QPushButton* removeButton() const { return removeButton_; }

 protected:
  void OnInitDialog() override;
  bool TakeControls() override;

 private:
  void AddFolder();
  void RemoveFolder();

  IFileDialogs& dialogs_;
  QListWidget* list_;
  QPushButton* addButton_;
  QPushButton* removeButton_;
};

}  // namespace lyrovox

#pragma once

// The "MIDI DVD Setup" page: the folder holding a MIDI karaoke DVD's data file.

#include <QString>

#include "ui/setup/setup_page.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace lyrovox {

class IFileDialogs;

class CMidiDVDSetup final : public SetupPage {
  Q_OBJECT

 public:
  explicit CMidiDVDSetup(IFileDialogs& dialogs, QWidget* parent = nullptr);

  // The page's values. The kind is not kept between runs: there is one.
  QString dvdFolder;
  int dvdKind = 0;

  QComboBox* kindBox() const { return kindBox_; }
  QLineEdit* locationEdit() const { return locationEdit_; }
  QPushButton* browseButton() const { return browseButton_; }

 protected:
  void OnInitDialog() override;
  bool TakeControls() override;

 private:
  void Browse();

  IFileDialogs& dialogs_;
  QComboBox* kindBox_;
  QLineEdit* locationEdit_;
  QPushButton* browseButton_;
};

}  // namespace lyrovox

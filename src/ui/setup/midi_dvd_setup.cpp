#include "ui/setup/midi_dvd_setup.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "controller/ports.h"

namespace lyrovox {

CMidiDVDSetup::CMidiDVDSetup(IFileDialogs& dialogs, QWidget* parent)
    : SetupPage(parent), dialogs_(dialogs) {
  auto* group = new QGroupBox(QStringLiteral("Custom MIDI DVD Support"));
  auto* grid = new QGridLayout(group);
  kindBox_ = new QComboBox;
  auto* locationLabel = new QLabel(QStringLiteral("Location:"));
  locationEdit_ = new QLineEdit;
  locationLabel->setBuddy(locationEdit_);
  browseButton_ = new QPushButton(QStringLiteral("Browse..."));
  grid->addWidget(kindBox_, 0, 0, 1, 3);
  grid->addWidget(locationLabel, 1, 0);
  grid->addWidget(locationEdit_, 1, 1);
  grid->addWidget(browseButton_, 1, 2);
  grid->setColumnStretch(1, 1);

  auto* page = new QVBoxLayout(this);
  page->addWidget(group);
  page->addStretch(1);

  connect(browseButton_, &QAbstractButton::clicked, this, &CMidiDVDSetup::Browse);
}

void CMidiDVDSetup::OnInitDialog() {
  kindBox_->addItem(QStringLiteral("Custom 1 (6 digits input)"));
  kindBox_->setCurrentIndex(0);
  locationEdit_->setText(dvdFolder);
}

void CMidiDVDSetup::Browse() {
  const QString folder = dialogs_.ChooseFolder(QStringLiteral("Select the DVD folder"), this);
  if (!folder.isEmpty()) locationEdit_->setText(folder);
}

bool CMidiDVDSetup::TakeControls() {
  dvdKind = SelectedIndex(kindBox_, dvdKind);
  dvdFolder = locationEdit_->text();
  return true;
}

}  // namespace lyrovox

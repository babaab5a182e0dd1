#include "ui/setup/songs_location_dlg.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "controller/ports.h"

namespace lyrovox {

CSongsLocationDlg::CSongsLocationDlg(IFileDialogs& dialogs, QWidget* parent)
    : SetupPage(parent), dialogs_(dialogs) {
  auto* group = new QGroupBox(QStringLiteral("Songs Directories"));
  list_ = new QListWidget;
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  addButton_ = new QPushButton(QStringLiteral("+"));
  removeButton_ = new QPushButton(QStringLiteral("-"));
  addButton_->setAccessibleName(QStringLiteral("Add a songs folder"));
  removeButton_->setAccessibleName(QStringLiteral("Remove the songs folder"));
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(addButton_);
  buttons->addWidget(removeButton_);
  buttons->addStretch(1);
  auto* row = new QHBoxLayout(group);
  row->addWidget(list_, 1);
  row->addLayout(buttons);

  auto* page = new QVBoxLayout(this);
  page->addWidget(group, 1);

  connect(addButton_, &QAbstractButton::clicked, this, &CSongsLocationDlg::AddFolder);
  connect(removeButton_, &QAbstractButton::clicked, this, &CSongsLocationDlg::RemoveFolder);
}

void CSongsLocationDlg::OnInitDialog() {
  for (const QString& folder : folders) {
    if (folder.size() > 2) list_->addItem(folder);
  }
}

void CSongsLocationDlg::AddFolder() {
  const QString folder = dialogs_.ChooseFolder(QStringLiteral("Select the songs folder"), this);
  if (folder.isEmpty() || list_->count() >= kMaxFolders) return;
  list_->addItem(folder);
}

void CSongsLocationDlg::RemoveFolder() {
  const int row = list_->currentRow();
  if (row < 0 || list_->currentItem() == nullptr || !list_->currentItem()->isSelected()) return;
  delete list_->takeItem(row);
}

bool CSongsLocationDlg::TakeControls() {
  for (int i = 0; i < kMaxFolders; ++i) {
    folders[i] = i < list_->count() ? list_->item(i)->text() : QString();
  }
  return true;
}

}  // namespace lyrovox

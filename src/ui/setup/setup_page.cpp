#include "ui/setup/setup_page.h"

#include <QComboBox>

namespace lyrovox {

void SetupPage::showEvent(QShowEvent* event) {
  if (!opened_) {
    opened_ = true;
    OnInitDialog();
  }
  QWidget::showEvent(event);
}

void SelectIndex(QComboBox* box, int index) {
  box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

int SelectedIndex(const QComboBox* box, int kept) {
  return box->currentIndex() >= 0 ? box->currentIndex() : kept;
}

}  // namespace lyrovox

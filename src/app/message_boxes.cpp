#include "app/message_boxes.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace lyrovox {

void MessageBoxes::ShowMessageBox(const QString& text) {
  QMessageBox::information(owner_, QCoreApplication::applicationName(), text);
}

void MessageBoxes::ShowErrorBox(const QString& text) {
  QMessageBox::critical(owner_, QStringLiteral("Error"), text);
}

bool MessageBoxes::AskYesNo(const QString& text) {
  return QMessageBox::question(owner_, QCoreApplication::applicationName(), text,
                               QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace lyrovox

#pragma once

// The program's message boxes, owned by a window.

#include "controller/ports.h"

class QWidget;

namespace lyrovox {

class MessageBoxes final : public IMessagePort {
 public:
  explicit MessageBoxes(QWidget* owner) : owner_(owner) {}
  void ShowMessageBox(const QString& text) override;
  void ShowErrorBox(const QString& text) override;
  bool AskYesNo(const QString& text) override;

 private:
  QWidget* owner_;
};

}  // namespace lyrovox

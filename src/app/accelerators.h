#pragma once

// The program's accelerator table: keys that give a command id whichever of the program's windows
// has the focus. Every key goes to one dispatch function (the controller's OnCommand).

#include <QKeyCombination>
#include <QObject>
#include <functional>
#include <vector>

namespace lyrovox {

struct Accelerator {
  QKeyCombination key;
  int command;
};

// The whole table, in its order; a command may have more than one key.
const std::vector<Accelerator>& AcceleratorTable();

// The command of a key, or 0 when the key has none.
int CommandForKey(QKeyCombination key);

// The table at work: watches every key the program's windows receive, before any widget sees it,
// and turns the table's keys into commands, whichever window has the focus. Keys pressed while
// a modal dialog is open stay with the dialog.
class AcceleratorFilter final : public QObject {
 public:
  explicit AcceleratorFilter(std::function<void(int)> dispatch, QObject* parent = nullptr);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<void(int)> dispatch_;
};

}  // namespace lyrovox

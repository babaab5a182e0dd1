#pragma once

// The program's accelerator table: keys that give a command id whichever of the program's windows
// has the focus. Every key goes to one dispatch function (the controller's OnCommand).

#include <QKeyCombination>
#include <functional>
#include <vector>

class QWidget;

namespace lyrovox {

struct Accelerator {
  QKeyCombination key;
  int command;
};

// The whole table, in its order; a command may have more than one key.
const std::vector<Accelerator>& AcceleratorTable();

// The command of a key, or 0 when the key has none.
int CommandForKey(QKeyCombination key);

// Makes an application-wide shortcut, owned by window, for every key of the table; each one
// calls dispatch with its command id.
void InstallAccelerators(QWidget& window, const std::function<void(int)>& dispatch);

}  // namespace lyrovox

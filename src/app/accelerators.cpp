#include "app/accelerators.h"

#include <QApplication>
#include <QKeyEvent>

#include "controller/commands.h"

namespace lyrovox {

const std::vector<Accelerator>& AcceleratorTable() {
  constexpr auto kCtrl = Qt::ControlModifier;
  constexpr auto kCtrlAlt = Qt::ControlModifier | Qt::AltModifier;
  // X11 reports the play/pause media key as "play": both keys replay.
  static const std::vector<Accelerator> table = {
      {QKeyCombination(Qt::Key_MediaNext), kCommandPlayNextSong},
      {QKeyCombination(kCtrlAlt, Qt::Key_PageDown), kCommandPlayNextSong},
      {QKeyCombination(Qt::Key_MediaPrevious), kCommandPlayPreviousSong},
      {QKeyCombination(kCtrlAlt, Qt::Key_PageUp), kCommandPlayPreviousSong},
      {QKeyCombination(Qt::Key_MediaStop), kCommandStopSong},
      {QKeyCombination(kCtrlAlt, Qt::Key_End), kCommandStopSong},
      {QKeyCombination(Qt::Key_MediaTogglePlayPause), kCommandReplaySong},
      {QKeyCombination(Qt::Key_MediaPlay), kCommandReplaySong},
      {QKeyCombination(kCtrlAlt, Qt::Key_Insert), kCommandReplaySong},
      {QKeyCombination(kCtrl, Qt::Key_Left), kCommandSlowDown},
      {QKeyCombination(kCtrl, Qt::Key_Right), kCommandSpeedUp},
      {QKeyCombination(kCtrl, Qt::Key_Up), kCommandVolumeUp},
      {QKeyCombination(kCtrl, Qt::Key_Down), kCommandVolumeDown},
      {QKeyCombination(kCtrl, Qt::Key_F9), kCommandNone},
      {QKeyCombination(kCtrl, Qt::Key_F10), kCommandReserveTypedFirst},
      {QKeyCombination(kCtrl, Qt::Key_F11), kCommandToggleBackground},
      {QKeyCombination(kCtrl, Qt::Key_F12), kCommandCycleAudio},
      // Keys the table above leaves free.
      {QKeyCombination(kCtrl, Qt::Key_PageUp), kCommandKeyUp},
      {QKeyCombination(kCtrl, Qt::Key_PageDown), kCommandKeyDown},
      {QKeyCombination(kCtrl, Qt::Key_F8), kCommandVocalReduction},
  };
  return table;
}

int CommandForKey(QKeyCombination key) {
  for (const Accelerator& accelerator : AcceleratorTable()) {
    if (accelerator.key == key) return accelerator.command;
  }
  return 0;
}

AcceleratorFilter::AcceleratorFilter(std::function<void(int)> dispatch, QObject* parent)
    : QObject(parent), dispatch_(std::move(dispatch)) {}

bool AcceleratorFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
  if (QApplication::activeModalWidget() != nullptr) return false;
  const auto* key = static_cast<const QKeyEvent*>(event);
  // The same keys on the keypad count.
  const QKeyCombination combination(key->modifiers() & ~Qt::KeypadModifier,
                                    static_cast<Qt::Key>(key->key()));
  const int command = CommandForKey(combination);
  if (command == 0) return false;
  // Taken here, before any widget: a text box's own Ctrl+Left never hides the command.
  dispatch_(command);
  return true;
}

}  // namespace lyrovox

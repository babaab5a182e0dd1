#include "app/accelerators.h"

#include <QShortcut>
#include <QWidget>

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
  };
  return table;
}

int CommandForKey(QKeyCombination key) {
  for (const Accelerator& accelerator : AcceleratorTable()) {
    if (accelerator.key == key) return accelerator.command;
  }
  return 0;
}

void InstallAccelerators(QWidget& window, const std::function<void(int)>& dispatch) {
  for (const Accelerator& accelerator : AcceleratorTable()) {
    auto* shortcut = new QShortcut(QKeySequence(accelerator.key), &window);
    shortcut->setContext(Qt::ApplicationShortcut);
    // Held keys repeat, as volume and speed steps should.
    shortcut->setAutoRepeat(true);
    const int command = accelerator.command;
    QObject::connect(shortcut, &QShortcut::activated, &window,
                     [dispatch, command] { dispatch(command); });
  }
}

}  // namespace lyrovox

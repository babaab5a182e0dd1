#include "controller/number_entry_keys.h"

#include "controller/main_frame.h"

namespace lyrovox {

bool ForwardNumberEntryKey(CMainFrame& frame, int key, Qt::KeyboardModifiers modifiers,
                           const QString& text) {
  const Qt::KeyboardModifiers commands =
      modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    frame.OnSongKey(kSongKeyEnter);
    return true;
  }
  if (key == Qt::Key_Escape) {
    frame.OnEscapeKey();
    return true;
  }
  if (key == Qt::Key_Backspace && !commands) {
    frame.OnSongNumberChar(QChar(kBackspaceChar));
    return true;
  }
  if (text.isEmpty() || commands || !text.front().isPrint()) return false;
  frame.OnSongNumberChar(text.front());
  return true;
}

}  // namespace lyrovox

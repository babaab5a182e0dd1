#include "ui/panel/song_number_keys.h"

#include <QKeyEvent>

#include "controller/main_frame.h"

namespace lyrovox {

bool ForwardSongNumberKey(CMainFrame& frame, const QKeyEvent& event) {
  switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      frame.OnSongKey(kSongKeyEnter);
      return true;
    case Qt::Key_Escape:
      frame.OnEscapeKey();
      return true;
    case Qt::Key_Backspace:
      frame.OnSongNumberChar(QChar(kBackspaceChar));
      return true;
    default:
      break;
  }
  if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
  const QString text = event.text();
  if (text.size() != 1 || !text[0].isPrint()) return false;
  frame.OnSongNumberChar(text[0]);
  return true;
}

}  // namespace lyrovox

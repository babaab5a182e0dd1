#pragma once

// The keys of the number entry as the windows that forward them (the control panel, the video
// window) hand them to the controller: a typed character, Enter, Escape. Text boxes never
// forward keys.

#include <QString>
#include <Qt>

namespace lyrovox {

class CMainFrame;

// True when the key was the number entry's (it is then consumed): Enter and Return, Escape, and
// any key that types a character without Ctrl, Alt or Meta (Backspace types character 8).
bool ForwardNumberEntryKey(CMainFrame& frame, int key, Qt::KeyboardModifiers modifiers,
                           const QString& text);

}  // namespace lyrovox

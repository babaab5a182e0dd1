#pragma once

// The song-number keys a window with the focus hands to the controller: a printable character,
// Backspace, Enter and Escape.

class QKeyEvent;

namespace lyrovox {

class CMainFrame;

// True when the key was one of them: it went to the controller and is consumed. Keys held with
// Ctrl or Alt are the program's shortcuts, not typing.
bool ForwardSongNumberKey(CMainFrame& frame, const QKeyEvent& event);

}  // namespace lyrovox

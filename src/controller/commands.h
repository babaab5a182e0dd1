#pragma once

// The command ids of the program's accelerator table. Keys, menus and the control panel's buttons
// all reach the controller through CMainFrame::OnCommand with one of these.

namespace lyrovox {

inline constexpr int kCommandPlayNextSong = 32780;       // media next; Ctrl+Alt+Page Down
inline constexpr int kCommandPlayPreviousSong = 32781;   // media previous; Ctrl+Alt+Page Up
inline constexpr int kCommandSlowDown = 32783;           // Ctrl+Left
inline constexpr int kCommandSpeedUp = 32784;            // Ctrl+Right
inline constexpr int kCommandStopSong = 32786;           // media stop; Ctrl+Alt+End
inline constexpr int kCommandReplaySong = 32787;         // media play/pause; Ctrl+Alt+Insert
inline constexpr int kCommandCycleAudio = 32793;         // Ctrl+F12
inline constexpr int kCommandToggleBackground = 32795;   // Ctrl+F11
inline constexpr int kCommandReserveTypedFirst = 32799;  // Ctrl+F10
inline constexpr int kCommandNone = 32801;               // Ctrl+F9: the key does nothing
inline constexpr int kCommandVolumeUp = 32805;           // Ctrl+Up
inline constexpr int kCommandVolumeDown = 32806;         // Ctrl+Down

// For singers: the key of the playing song and vocal reduction.
inline constexpr int kCommandKeyUp = 32810;           // Ctrl+Page Up
inline constexpr int kCommandKeyDown = 32811;         // Ctrl+Page Down
inline constexpr int kCommandVocalReduction = 32812;  // Ctrl+F8

}  // namespace lyrovox

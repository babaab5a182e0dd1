#pragma once

// Control and command ids of the song list windows.

namespace lyrovox {

// Play list window: controls.
inline constexpr int kIdAddButton = 1034;
inline constexpr int kIdSongList = 1035;
inline constexpr int kIdRemoveButton = 1036;
inline constexpr int kIdSearchBox = 1037;
inline constexpr int kIdSearchResults = 1039;

// Play list window: menu commands.
inline constexpr int kCmdAddFiles = 1124;
inline constexpr int kCmdAddFolder = 1125;
inline constexpr int kCmdRemoveSelected = 1126;
inline constexpr int kCmdClearSongList = 1127;
inline constexpr int kCmdExportSongList = 1128;
inline constexpr int kCmdSaveSongList = 1129;
inline constexpr int kCmdLoadSongList = 1130;
inline constexpr int kCmdQueueSelectedSongs = 1131;
inline constexpr int kCmdQueueSelectedResults = 1132;

// Reserved list window.
inline constexpr int kIdReservedList = 1023;
inline constexpr int kCmdMoveReservedToFirst = 1134;
inline constexpr int kCmdDeleteReserved = 1135;
// The selected song's singer: paused (or resumed), removed with their songs.
inline constexpr int kCmdPauseReservedSinger = 1136;
inline constexpr int kCmdRemoveReservedSinger = 1137;

}  // namespace lyrovox

#pragma once

// Song numbers and the texts of song rows: which file of a songs folder a typed number names,
// where the MIDI DVD data file is, and how a row's display text gives back its number and title.

#include <QString>
#include <optional>

namespace lyrovox {

// Kinds of a songs-folder match.
inline constexpr int kFolderSongNone = -1;
inline constexpr int kFolderSongOther = 0;
inline constexpr int kFolderSongMp3 = 1;
inline constexpr int kFolderSongKar = 2;

// The first file of folder (not its sub-folders; names in a stable order) whose upper-cased name
// contains digits and not ".LRC": 1 when the name contains ".MP3", 2 ".KAR" or ".MID", else 0;
// -1 when there is none or the folder does not exist.
int FindSongInFolder(const QString& folder, const QString& digits, QString& outPath);

// The MIDI DVD data file of a DVD folder: HOTDOG00.DAT, else NEWTON00.DAT (whatever their
// case); empty when the folder names none.
QString DvdDataFileIn(const QString& folder);

// The display texts of song rows: "%06d - %s", "%s - %s" and the bare name.
QString NumberedText(int number, const QString& name);
QString TitledText(const QString& name, const QString& title);

// Where the first " - " of a row's text stands when it follows a six-digit number (at index 6
// or later); nullopt otherwise.
std::optional<qsizetype> NumberSeparator(const QString& text);
// The title after the number: the text after the hyphen, from the blank that follows it. nullopt
// when there is no number or nothing follows the hyphen.
std::optional<QString> TitleAfterNumber(const QString& text);

}  // namespace lyrovox

#pragma once

// The program's temporary folder. The system's temporary folder is shared by every user and
// program, so songs are extracted into a private folder inside it instead, and only that folder
// is ever cleaned.

#include <QString>

namespace lyrovox {

// Makes folder with mode 0700, or takes an existing one when it is a real folder (not a link)
// that belongs to the user (its mode is then made 0700). False otherwise.
bool MakePrivateFolder(const QString& folder);

// "<systemTemp>/lyrovox-<uid>/", made with mode 0700. An existing one is taken only when it is
// a real folder (not a link) that belongs to the user; otherwise a fresh folder with a unique
// name is made for this run. Ends with "/"; empty when nothing could be made.
QString PrivateTempFolder(const QString& systemTemp);

// Deletes the "*.kar" files (any case) lying directly in folder, left over from MIDI DVD songs
// of an earlier run. Returns how many were deleted.
int DeleteLeftOverKarFiles(const QString& folder);

}  // namespace lyrovox

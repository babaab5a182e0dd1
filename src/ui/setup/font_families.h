#pragma once

// The lyric fonts the Display page offers, and how a stored face name picks one of them.

#include <QString>
#include <QStringList>

namespace lyrovox {

// The installed scalable families of every writing system, each once, without the vertical
// ("@") families and the system's private ones, sorted as the font list shows them.
QStringList LyricFontFamilies();

// Sorts without regard to case (ties in a fixed order) and drops repeated names.
QStringList SortedFamilies(QStringList families);

// The first family in `sorted` that begins with `name`, without regard to case; -1 when none
// does or the name is empty (the screen's own default face is then in use).
int FindFamilyByPrefix(const QStringList& sorted, const QString& name);

}  // namespace lyrovox

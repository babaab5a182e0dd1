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
// does or the name is empty.
int FindFamilyByPrefix(const QStringList& sorted, const QString& name);

// The lyrics screen's face when no name is stored.
inline constexpr char16_t kDefaultLyricFace[] = u"Arial";

// The family the lyrics are drawn in for a stored face name: fontconfig's match for it (for the
// default face when the name is empty), as the screen's fonts get it.
QString UsedFontFamily(const QString& name);

// The family of `sorted` the font list shows for a stored name: the one the lyrics are drawn in;
// failing that, the first that begins with the name; -1 when there is none.
int FindShownFamily(const QStringList& sorted, const QString& name);

}  // namespace lyrovox

#pragma once

// The media player's names on the session bus, as the MPRIS 2 specification gives them.

#include <QString>

namespace lyrovox::bus {

inline const QString kService = QStringLiteral("org.mpris.MediaPlayer2.lyrovox");
inline const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
inline const QString kRoot = QStringLiteral("org.mpris.MediaPlayer2");
inline const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");
inline const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

}  // namespace lyrovox::bus

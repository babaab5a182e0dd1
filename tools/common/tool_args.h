#pragma once

// Command-line values the frame-writing tools share: sizes, times in seconds, PNG names, and the
// song with its screenshots.

#include <QSize>
#include <QString>
#include <QStringList>
#include <vector>

namespace lyrovox {

// "WIDTHxHEIGHT", each 1 to 8192.
bool ParseSize(const QString& text, QSize& size);
// Seconds with decimals, 0 to a day, as whole milliseconds (rounded).
bool ParseSeconds(const QString& text, int& ms);
// The PNG file for the index-th of `count` times: png itself for one, else png with "-MS" before
// ".png".
QString PngPathFor(const QString& png, int index, int count, int timeMs);

// The value of the option args[i], which moves i on to it. False with a message when there is
// none or it does not parse.
bool TakeValue(const QStringList& args, qsizetype& i, QString& value, QString& error);
bool TakeSize(const QStringList& args, qsizetype& i, QSize& size, QString& error);
bool TakeSeconds(const QStringList& args, qsizetype& i, int& ms, QString& error);
// --language N: a language index of the Display page's list (0 Autodetect .. 17 UTF-8), which
// acts like the "code page" setting: above 0 it replaces the one the song's folder chooses.
bool TakeLanguage(const QStringList& args, qsizetype& i, int& language, QString& error);

// The song (the one plain argument) and the frames to save at song times (--at SECONDS,
// repeatable, with --png OUT).
struct SongAndShots {
  QString song;
  std::vector<int> atMs;
  QString png;
};

// Takes args[i] (and its value) as the song, --at or --png; any other option is an error.
bool TakeSongOrShot(const QStringList& args, qsizetype& i, SongAndShots& options, QString& error);
// After the last argument: a song is given, and --at and --png come together.
bool CheckSongAndShots(const SongAndShots& options, QString& error);

}  // namespace lyrovox

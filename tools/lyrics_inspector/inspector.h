#pragma once

// The lyric inspector: opens a song the way the player does (same lyric-source decision, side
// files included) and reports what landed in the lyric store.

#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "lyrics/karaoke_file.h"

namespace lyrovox {

struct InspectedSyllable {
  int timeMs = 0;
  int lineBreak = 0;
  int shown = 0;
  std::u16string text;
};

struct LyricReport {
  QString path;
  bool exists = false;
  int kind = 0;
  int lyricMode = 0;
  bool lineTimed = false;
  int codePage = 0;
  int language = 0;
  QString title;
  QString artist;
  std::vector<InspectedSyllable> syllables;
  // A MIDI karaoke song whose file is damaged: where its reading stopped.
  std::optional<MidiReadOutcome> midiDamage;
};

// languageSetting acts as the CodePage setting: above 0 it replaces the language the song's
// folder chooses.
LyricReport InspectSong(const QString& path, int languageSetting);

std::string FormatReportText(const LyricReport& report);
// The standard-error line for a damaged MIDI file (without the program name and a line feed):
// "PATH: damaged MIDI file: reading stopped at byte N in track T (0xXXXXXXXX)", or "in the
// header"; tracks are counted from 1. Empty when the report has no damage.
std::string FormatDamage(const LyricReport& report);
// One JSON object on one line.
std::string FormatReportJson(const LyricReport& report);

}  // namespace lyrovox

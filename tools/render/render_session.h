#pragma once

// lyrovox-render: opens a song the way the player does, runs the lyric feed and the lyrics screen
// on a simulated 30 ms clock from 0 (nothing is played) and writes chosen frames as PNG files.

#include <QColor>
#include <QSize>
#include <QString>
#include <QStringList>
#include <iosfwd>
#include <optional>
#include <vector>

#include "common/tool_args.h"

namespace lyrovox {

// The song, and the frames to write to png at --at times.
struct RenderOptions : SongAndShots {
  QSize size{1920, 1080};       // the screen: the layout and the back surface
  std::optional<QSize> target;  // the video area at the top left; the whole screen by default
  bool fullScreen = false;
  QString framesDir;  // every frame from fromMs to toMs
  int fromMs = -1;
  int toMs = -1;
  std::optional<QColor> background;  // shown where the key colour lets the video through
  int durationMs = -1;               // song length, for the next-song banner
  QStringList reserved;              // reserved-list rows, "NNNNNN - Title"
  QString typedNumber;               // digits typed into the number entry at the start
  QString typedTitle;                // the typed number's preview line
  int language = 0;                  // the "code page" setting: a language index, 0 none
};

// Reads the command line (without the program name). False with a message on a bad one.
bool ParseRenderArgs(const QStringList& args, RenderOptions& options, QString& error);

// Renders; prints one line per written file ("PATH<TAB>MS"). Returns the exit status: 0, or 1
// when the song cannot be opened or a file cannot be written.
int RunRender(const RenderOptions& options, std::ostream& out, std::ostream& err);

}  // namespace lyrovox

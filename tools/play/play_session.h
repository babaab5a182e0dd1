#pragma once

// lyrovox-play: one window, the video area, in which a song plays through the controller with the
// real players and the lyrics screen, over the background video, with the program's keys.

#include <QSize>
#include <QString>
#include <QStringList>
#include <iosfwd>
#include <memory>
#include <optional>
#include <vector>

#include "app/program.h"
#include "common/tool_args.h"
#include "controller/main_frame.h"
#include "play/play_measure.h"

namespace lyrovox {

class CLyricScreen;
class CScreenSurfaces;
class CFilePlayer;

// The song, and the window saved as PNG at --at times of the song.
struct PlayOptions : SongAndShots {
  std::optional<QSize> windowSize;  // the window's size; from the screen's size when not given
  bool fullScreen = false;
  bool measure = false;    // print the measurements when the song ends, then quit
  bool quitAtEnd = false;  // quit when the song ends
  QString programFolder;   // where the default background video is; the executable's folder
};

// Reads the command line (without the program name). False with a message on a bad one.
bool ParsePlayArgs(const QStringList& args, PlayOptions& options, QString& error);

class PlaySession {
 public:
  PlaySession(PlayOptions options, std::ostream& out, std::ostream& err);
  ~PlaySession();
  PlaySession(const PlaySession&) = delete;
  PlaySession& operator=(const PlaySession&) = delete;

  // Shows the window, starts the background video, then the song. False (reported) when the
  // song cannot be opened or does not start.
  bool Start();
  // Closes the window: the players stop.
  void Close();
  // 0, or 1 when a screenshot could not be written or was not reached.
  int exitStatus() const { return exitStatus_; }
  bool songEnded() const { return songEnded_; }
  // The session is over: the players stopped and the window went.
  bool closed() const { return closed_; }

  Program& program() { return program_; }
  CMainFrame& frame() { return program_.frame(); }
  QWidget& window() { return program_.videoWindow(); }
  CLyricScreen& screen() { return *program_.screen(); }
  CScreenSurfaces& surfaces() { return *program_.surfaces(); }
  CFilePlayer& videoPlayer() { return program_.videoPlayer(); }
  const PlayMeasure& measure() const { return measure_; }

 private:
  // The player whose clock the song runs on.
  IMediaPlayer* SongPlayer();
  void OnPresented();
  void OnSongEnded();
  void TakeShot(size_t index, int32_t positionMs);
  void PrintMeasurements();
  // Stops the players once, whether the window closes or the session ends.
  void Shutdown();

  PlayOptions options_;
  std::ostream& out_;
  std::ostream& err_;
  Program program_;
  PlayMeasure measure_;
  std::vector<size_t> shotOrder_;  // indexes of the --at times, earliest first
  size_t nextShot_ = 0;
  int picturesShown_ = 0;
  int songKind_ = kPlayerKindNone;
  bool songStarted_ = false;
  bool songEnded_ = false;
  bool closed_ = false;
  int exitStatus_ = 0;
};

}  // namespace lyrovox

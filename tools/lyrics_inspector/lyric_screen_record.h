#pragma once

// A lyrics screen without a picture: it keeps what the controller tells it, for the tools that
// run the song-opening logic without a display.

#include "controller/ports.h"

namespace lyrovox {

class LyricScreenRecord final : public ILyricScreen {
 public:
  void SetLyricMode(int mode) override { lyricMode = mode; }
  int LyricMode() const override { return lyricMode; }
  void SetLineTimed(bool on) override { lineTimed = on; }
  void SetSongTitle(const QString& title) override { songTitle = title; }
  QString SongTitle() const override { return songTitle; }
  void SetSongArtist(const QString& artist) override { songArtist = artist; }
  void ResetLyrics() override;
  void SetPlayState(int state) override { playState = state; }
  void ClearTypedNumber() override {}
  void ApplyFontSettings(int languageIndex) override { language = languageIndex; }
  void LoadCdgFile(const QString& path) override { cdgFile = path; }

  int lyricMode = 0;
  bool lineTimed = false;
  int playState = 0;
  int language = 0;
  QString songTitle;
  QString songArtist;
  QString cdgFile;
};

}  // namespace lyrovox

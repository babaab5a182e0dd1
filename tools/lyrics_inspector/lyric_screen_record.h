#pragma once

// A lyrics screen without a picture: it keeps what the controller tells it, for the tools that
// run the song-opening logic without a display. What only changes the picture is ignored.

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
  int GetPlayState() const override { return playState; }
  void ClearTypedNumber() override {}
  void ApplyFontSettings(int languageIndex) override { language = languageIndex; }
  void LoadCdgFile(const QString& path) override { cdgFile = path; }
  void ShowMessage(const QString&) override {}

  void SetNextLine(std::u16string_view) override {}
  void StartSungText(std::u16string_view) override {}
  void AppendSungText(std::u16string_view) override {}
  void SetSyllableDuration(int32_t) override {}
  void FlipSingingLine() override {}

  void SetPlayerKind(int) override {}
  void SetScreenSize(int, int) override {}
  void SetTargetRect(int, int, int, int) override {}
  void SetFullScreen(bool) override {}
  void SetNextSongBanner(bool) override {}
  void UpdateCdg(int32_t) override {}
  void Compose() override {}

  int lyricMode = 0;
  bool lineTimed = false;
  int playState = 0;
  int language = 0;
  QString songTitle;
  QString songArtist;
  QString cdgFile;
};

}  // namespace lyrovox

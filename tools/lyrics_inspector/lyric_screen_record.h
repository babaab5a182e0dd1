#pragma once

// A lyrics screen without a picture: it keeps what the controller tells it, for the tools that
// run the song-opening logic without a display. What only changes the picture is ignored.

#include <algorithm>

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
  void ShowNotice(const QString&, int) override {}
  void ShowStatus(const QString&) override {}

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

  // The inspector runs on the default settings, whose size needs no correction.
  int DefaultFontSizeValue() const override { return fontSize; }
  void TypeDigit(QChar) override {}
  void EraseDigit() override {}
  QString GetTypedNumberText() const override { return QStringLiteral("000000"); }
  int GetTypedNumber() const override { return 0; }
  void SetTypedSongTitle(const QString&) override {}
  QString TypedSongTitle() const override { return {}; }
  void ShowChosenNumber() override {}
  void SetReservedCount(int) override {}
  void SetReservedNumbers(const QString&) override {}
  void SetNextSongTitle(const QString&) override {}
  QString NextSongTitle() const override { return {}; }

  int fontSize = 70;
  int lyricMode = 0;
  bool lineTimed = false;
  int playState = 0;
  int language = 0;
  QString songTitle;
  QString songArtist;
  QString cdgFile;
};

}  // namespace lyrovox

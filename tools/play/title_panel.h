#pragma once

// A stand-in for the control panel: the song's title, its time and the last volume or speed
// change, shown in a window's title and refreshed on the panel's 250 ms timer.

#include <QString>
#include <QTimer>

#include "controller/ports.h"

class QWidget;

namespace lyrovox {

class TitlePanel final : public IControlPanel {
 public:
  explicit TitlePanel(QWidget& window);

  void SetSongTitle(const QString& title) override { title_ = title; }
  void ResetSongDisplay() override {
    title_ = QStringLiteral("Please select a song");
    position_ = duration_ = 0;
  }
  void SetSeekable(bool) override {}
  void SetVolumeDisplay(int percent) override;
  void ShowChannel(int mode) override;
  void ShowAudioTrack(int) override {}
  void ShowRate(double rate) override;
  void SetPosition(int32_t ms) override { position_ = ms; }
  void SetDuration(int32_t ms) override { duration_ = ms; }
  int32_t Position() const override { return position_; }
  int32_t Duration() const override { return duration_; }

  // What the window's title reads now.
  QString Text() const;

 private:
  void ShowStatus(const QString& text);
  void Refresh();

  QWidget& window_;
  QTimer timer_;
  QString title_ = QStringLiteral("Please select a song");
  QString status_;
  int statusTicks_ = 0;
  int32_t position_ = 0;
  int32_t duration_ = 0;
};

}  // namespace lyrovox

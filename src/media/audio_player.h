#pragma once

// The audio song player: MIDI karaoke (synthesised), MP3, WMA, KYM and any other file decodebin
// reads, with the channel rewrite, volume, tempo and audio stream switching. Its graph events go
// to the receiver given to Open as kAudioGraphEvent.

#include <QString>

#include "controller/ports.h"
#include "media/player_controls.h"

namespace lyrovox {

class CAudioPlayer final : public PlayerControls<IAudioPlayer> {
 public:
  CAudioPlayer();
  ~CAudioPlayer() override;

  bool CreateGraph() override { return graph_.Create(); }
  void SetFileName(const QString& path) override { fileName_ = path; }
  int32_t Open(QObject* eventReceiver) override;

  const QString& fileName() const { return fileName_; }

 private:
  QString fileName_;
};

}  // namespace lyrovox

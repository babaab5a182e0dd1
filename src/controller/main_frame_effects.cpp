// The singer's effects on the playing song: its key and vocal reduction.

#include <algorithm>

#include "controller/main_frame.h"

namespace lyrovox {

void CMainFrame::ResetSingerEffects() {
  // The players start every graph at their own key and speed; only the state shown is reset.
  key_ = 0;
  vocalReduction_ = false;
  rate_ = 1.0;
}

void CMainFrame::SetKey(int semitones) {
  IMediaPlayer* player = CurrentPlayer();
  if (!isPlaying_ || player == nullptr) return;
  const int key = std::clamp(semitones, -kMaxKeySemitones, kMaxKeySemitones);
  if (!player->SetKey(key)) return;
  key_ = key;
  ShowStatus(key > 0 ? QStringLiteral("Key: +%1").arg(key) : QStringLiteral("Key: %1").arg(key));
}

void CMainFrame::ToggleVocalReduction() {
  IMediaPlayer* player = CurrentPlayer();
  if (!isPlaying_ || player == nullptr || !player->SetVocalReduction(!vocalReduction_)) return;
  vocalReduction_ = !vocalReduction_;
  ShowStatus(vocalReduction_ ? QStringLiteral("Vocal Reduction: On")
                             : QStringLiteral("Vocal Reduction: Off"));
}

}  // namespace lyrovox

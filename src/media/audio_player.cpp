#include "media/audio_player.h"

#include "lyrics/hresult.h"

namespace lyrovox {

CAudioPlayer::CAudioPlayer() : PlayerControls(kAudioGraphEvent, nullptr) {}

CAudioPlayer::~CAudioPlayer() = default;

int32_t CAudioPlayer::Open(QObject* eventReceiver) {
  Close();
  if (fileName_.isEmpty() || !graph_.exists()) return kFail;
  if (graph_.hasFile() && !graph_.Create()) return kFail;
  // A picture the file may have is not shown: the lyrics screen is the audio song's picture.
  if (!graph_.AddFile(fileName_, true, {.audio = true, .video = false})) {
    graph_.Create();  // drops what was added
    return kFail;
  }
  return graph_.Start(eventReceiver);
}

}  // namespace lyrovox

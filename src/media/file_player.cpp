#include "media/file_player.h"

#include <functional>

#include "lyrics/hresult.h"
#include "media/camera.h"

namespace lyrovox {

namespace {

constexpr size_t kDeviceNameBytes = 80;

}  // namespace

CBaseVideoPlayer::CBaseVideoPlayer()
    : PlayerControls(kVideoGraphEvent, std::make_shared<VideoFrameHolder>()) {}

CBaseVideoPlayer::~CBaseVideoPlayer() = default;

void CBaseVideoPlayer::SetFileName(const QString& path, bool videoOnly) {
  fileName_ = path;
  videoOnly_ = videoOnly;
}

void CBaseVideoPlayer::GetNativeVideoSize(int* width, int* height, int* aspectX,
                                          int* aspectY) const {
  frames()->NativeSize(width, height, aspectX, aspectY);
}

void CBaseVideoPlayer::ConfigureOverlay() {
  frames()->SetStretch(stretchVideo_);
}

CFilePlayer::CFilePlayer() = default;

CFilePlayer::~CFilePlayer() = default;

bool CFilePlayer::CreateGraph() {
  deviceName_.clear();
  if (!graph_.Create()) return false;
  if (sourceKind_ == kSourceCamera) {
    // Without a camera the graph stays without a picture, and Open says so.
    Camera camera = OpenFirstCamera();
    if (camera.source) {
      deviceName_ = camera.name.substr(0, kDeviceNameBytes - 1);
      graph_.AddLiveVideoSource(std::move(camera.source));
    }
  }
  return true;
}

int32_t CFilePlayer::Open(QObject* eventReceiver) {
  Close();
  const bool playsFile = sourceKind_ != kSourceCamera;
  if (playsFile && fileName_.isEmpty()) return kFail;
  if (!graph_.exists()) return kFail;
  // A graph without a picture does not open: known once it has prerolled.
  graph_.SetPrerollCheck([this] { return graph_.hasPicture(); });
  graph_.SetStartFallback(nullptr);

  int32_t result = kFail;
  if (!playsFile) {
    graph_.DiscardParked();
    result = graph_.Start(eventReceiver);
  } else if (videoOnly_ && graph_.AdoptParked(fileName_)) {
    // The background a video song had taken over, waiting at its start.
    result = graph_.Start(eventReceiver);
  } else {
    // A background of its own replaces the parked one; a song leaves it for its end.
    if (videoOnly_) graph_.DiscardParked();
    const MediaGraph::Paths paths{.audio = !videoOnly_, .video = true};
    // Some files are known to need the explicit build; the rest fall back to it, also when the
    // automatic build fails while the file prerolls.
    const bool automatic = !fileName_.contains(QLatin1String("SPECIALFILE"));
    for (bool attempt : {automatic, false}) {
      if ((graph_.hasFile() || !graph_.exists()) && !graph_.Create()) return kFail;
      if (graph_.AddFile(fileName_, attempt, paths)) {
        graph_.SetStartFallback(attempt ? std::function<bool()>([this, paths] {
          return graph_.Create() && graph_.AddFile(fileName_, false, paths);
        })
                                        : nullptr);
        result = graph_.Start(eventReceiver);
      }
      if (result == kOk || !attempt) break;
    }
  }
  if (result != kOk) return result;
  ConfigureOverlay();
  return kOk;
}

void CFilePlayer::SetAudioTrack(int track) {
  if (videoOnly_) return;
  const bool reversed = fileName_.contains(QLatin1String("!!"));
  // A name with "!!" marks a file whose tracks are the other way round.
  if (reversed ? track == GetAudioTrack() : track != GetAudioTrack()) {
    trackSwitched_ = SwitchAudioStream();
  }
  SeekTo(int64_t{GetPositionMs()} * 10000);
}

}  // namespace lyrovox

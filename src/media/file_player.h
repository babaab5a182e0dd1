#pragma once

// The picture player: a video song with its sound, the background video (silent, looped by the
// controller) or the first camera. Its frames go to a VideoFrameHolder that the video area draws
// from; its graph events go to the receiver given to Open as kVideoGraphEvent.

#include <QString>
#include <memory>
#include <string>

#include "controller/ports.h"
#include "media/player_controls.h"
#include "media/video_frame_holder.h"

namespace lyrovox {

// Source kinds of the setting "Background".
inline constexpr int kSourceVideo = 0;
inline constexpr int kSourceCamera = 1;
inline constexpr int kSourceSolidColour = 2;

// What every picture player has: the graph, its controls and the frame holder.
class CBaseVideoPlayer : public PlayerControls<IVideoPlayer> {
 public:
  CBaseVideoPlayer();
  ~CBaseVideoPlayer() override;

  void SetFileName(const QString& path, bool videoOnly) override;
  void SetStretchVideo(bool stretch) override { stretchVideo_ = stretch; }

  // The picture's native size and display aspect ratio (0 before the first frame).
  virtual void GetNativeVideoSize(int* width, int* height, int* aspectX, int* aspectY) const;

  // The frames the video area draws.
  const std::shared_ptr<VideoFrameHolder>& frames() const { return graph_.frames(); }
  // Where graphs built from now on show their picture themselves (null: in the frames).
  void SetPictureWindow(std::shared_ptr<PictureWindow> window) {
    graph_.SetPictureWindow(std::move(window));
  }
  const QString& fileName() const { return fileName_; }
  bool videoOnly() const { return videoOnly_; }

 protected:
  // The picture keeps its proportions unless the video is to be stretched.
  void ConfigureOverlay();

  QString fileName_;
  bool videoOnly_ = false;
  bool stretchVideo_ = false;
};

class CFilePlayer final : public CBaseVideoPlayer {
 public:
  CFilePlayer();
  ~CFilePlayer() override;

  void SetSourceKind(int kind) override { sourceKind_ = kind; }
  // Creates the graph; for the camera kind also adds the first camera. True when the graph
  // exists, also without a camera.
  bool CreateGraph() override;
  int32_t Open(QObject* eventReceiver) override;
  void SeekTo(int64_t hundredNanoseconds) override { graph_.SeekTo(hundredNanoseconds); }
  void Rewind() override { SeekTo(0); }
  void SetAudioTrack(int track) override;

  int sourceKind() const { return sourceKind_; }
  bool trackSwitched() const { return trackSwitched_; }
  // The camera's name, cut to 79 bytes; empty without a camera.
  const std::string& deviceName() const { return deviceName_; }

 private:
  int sourceKind_ = kSourceVideo;
  bool trackSwitched_ = false;
  std::string deviceName_;
};

}  // namespace lyrovox

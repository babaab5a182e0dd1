#pragma once

// The latest picture of the picture player, handed from the streaming thread to the video area.
// The player fills it; the widget pulls from it when it paints. Thread-safe.

#include <gst/gst.h>

#include <QImage>
#include <QSize>
#include <cstdint>
#include <mutex>

namespace lyrovox {

class VideoFrameHolder {
 public:
  // A decoded frame in BGRx (QImage::Format_RGB32); the image keeps the sample alive without a
  // copy. Frames that cannot be read are ignored.
  void Push(GstSample* sample);
  // Forgets the picture (a new graph starts without one).
  void Clear();

  // The latest frame (a null image before the first) and its serial number, which changes with
  // every new frame.
  QImage Frame(uint64_t* serial = nullptr) const;
  uint64_t serial() const;
  // The picture's native size and display aspect ratio (width, height); 0 before the first frame.
  void NativeSize(int* width, int* height, int* aspectX, int* aspectY) const;

  // Whether the picture fills the whole video rectangle or keeps its proportions.
  void SetStretch(bool stretch);
  bool stretch() const;

 private:
  mutable std::mutex mutex_;
  QImage frame_;
  uint64_t serial_ = 0;
  int width_ = 0;
  int height_ = 0;
  int aspectX_ = 0;
  int aspectY_ = 0;
  bool stretch_ = true;
};

}  // namespace lyrovox

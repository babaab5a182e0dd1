#pragma once

// The latest picture of the picture player, handed from the streaming thread to the video area.
// The player fills it; the widget pulls from it when it paints. Thread-safe.
//
// Each graph the player builds is a source of its own. When a new one starts, the picture of the
// one before stays, and moves on, until the new one has a picture of its own: the singer never
// sees the picture stand still or go black while the next graph is being built.

#include <gst/gst.h>

#include <QImage>
#include <QSize>
#include <cstdint>
#include <mutex>

namespace lyrovox {

class VideoFrameHolder {
 public:
  // A new source: from now on its frames are shown; those of the source shown before go on being
  // shown until the new one has given one. Returns its number.
  uint64_t BeginSource();
  // A decoded frame in BGRx (QImage::Format_RGB32) from a source; the image keeps the sample
  // alive without a copy. Frames that cannot be read, and those of sources no longer shown, are
  // ignored. Without a source: the current one's.
  void Push(GstSample* sample, uint64_t source);
  void Push(GstSample* sample);
  // A frame of a source that a sink of its own draws (no image comes here): counted as the
  // picture shown, with its native size from caps (the frame's before it is scaled).
  void NoteShown(GstCaps* caps, uint64_t source);
  // Whether the picture shown is a frame of the source.
  bool Showing(uint64_t source) const;
  // Forgets the picture.
  void Clear();

  // The latest frame (a null image before the first, and for frames a sink draws itself) and its
  // serial number, which changes with every new frame.
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
  uint64_t nextSource_ = 1;
  uint64_t current_ = 0;   // the newest source
  uint64_t previous_ = 0;  // the one shown until the newest has a frame
  uint64_t shown_ = 0;     // the source of frame_
  int width_ = 0;
  int height_ = 0;
  int aspectX_ = 0;
  int aspectY_ = 0;
  bool stretch_ = true;
};

}  // namespace lyrovox

#pragma once

// The video area: the picture player's latest frame in the video rectangle (stretched, or keeping
// its proportions with black bars), then the lyrics frame over it, with the key colour
// transparent so that the picture shows through exactly where the frame has that colour.
//
// Where a video sink draws the picture itself (picture_window.h), the area holds a native child
// window for it, shown while a picture plays: the pipeline then writes the lyrics over the picture
// too, and the area paints nothing and keys nothing out while the picture plays.

#include <QImage>
#include <QRect>
#include <QRegion>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

#include "media/video_frame_holder.h"
#include "screen/frame_damage.h"

namespace lyrovox {

// Where a picture of the given display aspect ratio lands in a rectangle: the whole rectangle
// when stretched, else the largest centred rectangle of that ratio.
QRect PictureRect(const QRect& area, int aspectX, int aspectY, bool stretch);

// The lyrics frame made ready for drawing over video: key-colour pixels transparent, the rest
// opaque.
QImage KeyOutFrame(const QImage& frame, uint32_t keyColor);
// The same for the part `source` of frame (cut to the frame), written into out, whose buffer is
// reused when it already has that size. True when out changed.
bool KeyOutFrameInto(const QImage& frame, const QRect& source, uint32_t keyColor, QImage& out);
// The same for the part `part` of frame only, written into out (as made by KeyOutFrameInto for
// the part `source`) where that part lies. True when out changed.
bool KeyOutPartInto(const QImage& frame, const QRect& source, const QRect& part, uint32_t keyColor,
                    QImage& out);

// The native window a video sink draws into. Qt never paints it; it says when it was uncovered.
class PictureSurface final : public QWidget {
 public:
  explicit PictureSurface(QWidget* parent);
  // handle: the native window; size in pixels.
  void SetHooks(std::function<void(uintptr_t handle, QSize size)> changed,
                std::function<void()> exposed);
  QPaintEngine* paintEngine() const override { return nullptr; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Report();
  std::function<void(uintptr_t, QSize)> changed_;
  std::function<void()> exposed_;
};

class CVideoArea : public QWidget {
 public:
  explicit CVideoArea(QWidget* parent = nullptr);
  ~CVideoArea() override;

  // The frames of the picture player; null shows black.
  void SetFrameSource(std::shared_ptr<VideoFrameHolder> frames);
  // The lyrics screen's presented frame, drawn over the whole area; a null image draws none.
  void SetLyricsFrame(const QImage& frame);
  // The part `source` of a presented frame, keyed out at once: the frame may change afterwards.
  void SetLyricsFrame(const QImage& frame, const QRect& source);
  // The same when the frame's pixels changed only where the damage says (in frame coordinates):
  // only those are keyed out again, and only what it covers is drawn over the picture.
  void SetLyricsFrame(const QImage& frame, const QRect& source, const FrameDamage& damage);
  // Where the picture goes, in widget coordinates; an empty rectangle means the whole area.
  void SetVideoRect(const QRect& rect);
  QRect videoRect() const;

  // Repaints when the player has a new frame; the presented lyrics frame repaints by itself.
  void PollFrames();
  // Called after each paint that showed a picture not shown before (measurements). Where a sink
  // draws the picture, called when the poll sees that the sink was handed a frame not seen before.
  void SetPicturePaintedHook(std::function<void()> hook) { picturePainted_ = std::move(hook); }

  // From now on a video sink draws the picture into the area's native child window while a frame
  // source is set; the hooks tell its handle and size (at once, and when they change) and when it
  // needs drawing again.
  void SetPictureInWindow(std::function<void(uintptr_t handle, QSize size)> changed,
                          std::function<void()> exposed);
  // Whether the sink's window is up (a picture plays through it).
  bool pictureInWindow() const;
  // The sink's window shows the lyrics over its picture: the area drops its keyed frame until it is
  // given one again, which it then keys out whole.
  void ForgetLyricsFrame();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  std::shared_ptr<VideoFrameHolder> frames_;
  QImage lyricsFrame_;
  QImage keyedFrame_;  // lyricsFrame_ with the key colour transparent
  bool keyedValid_ = false;
  QRect keyedSource_;     // the part of the presented frame that keyedFrame_ holds
  QRegion keyedCovered_;  // where keyedFrame_ may be other than transparent
  QRect videoRect_;
  uint64_t paintedSerial_ = 0;
  // The picture painted last: a paint of part of the area (lyrics that changed there) shows it
  // again rather than a newer frame, which would show only in that part.
  QImage paintedPicture_;
  int pollTimer_ = 0;
  uint64_t shownPictureSerial_ = 0;
  std::function<void()> picturePainted_;
  PictureSurface* surface_ = nullptr;  // a child, when a sink draws the picture
  void UpdateSurface();
};

}  // namespace lyrovox

#pragma once

// The display side of the lyrics screen: a screen-sized back surface that each present renders
// the screen's frame onto, then hands to whatever shows it (the video window, a file writer).

#include <QImage>
#include <QSize>
#include <QString>
#include <cstdint>

#include "controller/ports.h"
#include "lyrics/hresult.h"
#include "screen/frame_damage.h"

namespace lyrovox {

class CLyricScreen;

// Shows finished frames. The frame is screen-sized; what lies inside the screen's target
// rectangle is the video area, and pixels of exactly the key colour 0x100C0E let the video show.
class IFrameSink {
 public:
  virtual ~IFrameSink() = default;
  // False when the frame could not be shown; it is then dropped and the next present tries again.
  // damage: what changed since the frame presented before (the whole frame after a dropped one).
  virtual bool ShowFrame(const QImage& frame, const FrameDamage& damage) = 0;
  // Whether a picture player's video is running underneath: without one the key colour shows
  // no picture.
  virtual void SetVideoShown(bool /*shown*/) {}
};

class CScreenSurfaces final : public IScreenSurfaces {
 public:
  explicit CScreenSurfaces(CLyricScreen& screen, IFrameSink* sink = nullptr);

  // Makes the back surface the size of the primary screen (or of the fixed size, when one is
  // set). kOk, or kFail with ErrorText() set to the message for the user (the controller shows it
  // in an "Error" box).
  HResult Create() override;
  // The same for a given screen size.
  HResult Create(QSize screenSize);
  QString ErrorText() const override { return errorText_; }
  // The back surface's size: the screen's once Create succeeded.
  QSize ScreenSize() const override { return backSurface_.size(); }
  // A screen size that Create() uses in place of the primary screen's (tools drawing frames of a
  // chosen size); an empty size returns to the primary screen.
  void SetFixedScreenSize(QSize size) { fixedSize_ = size; }

  void SetSink(IFrameSink* sink) {
    sink_ = sink;
    lastDropped_ = true;
  }
  void SetVideoShown(bool shown) override;
  bool videoShown() const { return videoShown_; }
  // Renders the screen onto the back surface and hands it to the sink.
  void Present() override;
  void Release() override;

  const QImage& BackSurface() const { return backSurface_; }
  int framesPresented() const { return framesPresented_; }
  int framesDropped() const { return framesDropped_; }

 private:
  CLyricScreen& screen_;
  IFrameSink* sink_;
  QImage backSurface_;
  QString errorText_;
  QSize fixedSize_;
  bool videoShown_ = false;
  int framesPresented_ = 0;
  int framesDropped_ = 0;
  bool lastDropped_ = true;
};

}  // namespace lyrovox

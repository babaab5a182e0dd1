#pragma once

// The display side of the lyrics screen: a screen-sized back surface that each present renders
// the screen's frame onto, then hands to whatever shows it (the video window, a file writer).

#include <QImage>
#include <QSize>
#include <QString>
#include <cstdint>

#include "lyrics/hresult.h"

namespace lyrovox {

class CLyricScreen;

// Shows finished frames. The frame is screen-sized; what lies inside the screen's target
// rectangle is the video area, and pixels of exactly the key colour 0x100C0E let the video show.
class IFrameSink {
 public:
  virtual ~IFrameSink() = default;
  // False when the frame could not be shown; it is then dropped and the next present tries again.
  virtual bool ShowFrame(const QImage& frame) = 0;
};

class CScreenSurfaces {
 public:
  explicit CScreenSurfaces(CLyricScreen& screen, IFrameSink* sink = nullptr);

  // Makes the back surface the size of the primary screen. kOk, or kFail with ErrorText() set to
  // the message for the user (the controller shows it in an "Error" box).
  HResult Create();
  // The same for a given screen size.
  HResult Create(QSize screenSize);
  const QString& ErrorText() const { return errorText_; }

  void SetSink(IFrameSink* sink) { sink_ = sink; }
  // Renders the screen onto the back surface and hands it to the sink.
  void Present();
  void Release();

  const QImage& BackSurface() const { return backSurface_; }
  int framesPresented() const { return framesPresented_; }
  int framesDropped() const { return framesDropped_; }

 private:
  CLyricScreen& screen_;
  IFrameSink* sink_;
  QImage backSurface_;
  QString errorText_;
  int framesPresented_ = 0;
  int framesDropped_ = 0;
};

}  // namespace lyrovox

#include "screen/screen_surfaces.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "screen/lyric_screen.h"
#include "screen/paged_image.h"

namespace lyrovox {

CScreenSurfaces::CScreenSurfaces(CLyricScreen& screen, IFrameSink* sink)
    : screen_(screen), sink_(sink) {}

HResult CScreenSurfaces::Create() {
  if (!fixedSize_.isEmpty()) return Create(fixedSize_);
  QSize size;
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
    if (const QScreen* primary = QGuiApplication::primaryScreen()) size = primary->size();
  }
  return Create(size);
}

HResult CScreenSurfaces::Create(QSize screenSize) {
  errorText_.clear();
  if (screenSize.width() <= 0 || screenSize.height() <= 0 || screenSize.width() > 16384 ||
      screenSize.height() > 16384) {
    errorText_ = QStringLiteral("GetSurfaceDesc() failed to get surface width & height");
    return kFail;
  }
  backSurface_ = MakePagedImage(screenSize, QImage::Format_RGB32);
  if (backSurface_.isNull()) {
    errorText_ = QStringLiteral("CreateSurface(BackBuffer) failed");
    return kFail;
  }
  backSurface_.fill(Qt::black);
  screen_.ForgetRendered();
  return kOk;
}

void CScreenSurfaces::Present() {
  if (backSurface_.isNull()) {
    ++framesDropped_;
    return;
  }
  {
    QPainter context(&backSurface_);
    screen_.Render(context);
  }
  // After a dropped frame the sink's copy is older than the frame before this one.
  const FrameDamage damage =
      lastDropped_ ? FrameDamage::Whole(backSurface_.rect()) : screen_.RenderedDamage();
  lastDropped_ = !(sink_ != nullptr && sink_->ShowFrame(backSurface_, damage));
  if (lastDropped_) {
    ++framesDropped_;
  } else {
    ++framesPresented_;
  }
}

void CScreenSurfaces::SetVideoShown(bool shown) {
  videoShown_ = shown;
  if (sink_ != nullptr) sink_->SetVideoShown(shown);
}

void CScreenSurfaces::Release() {
  backSurface_ = QImage();
  screen_.ForgetRendered();
}

}  // namespace lyrovox

// The frames of the lyrics screen: what Compose and Render draw, and in which order.

#include <QFontMetrics>
#include <QPainter>
#include <QRectF>
#include <algorithm>
#include <climits>
#include <cmath>

#include "screen/cdg_draw.h"
#include "screen/lyric_screen.h"
#include "screen/paged_image.h"
#include "screen/screen_text.h"

namespace lyrovox {

namespace {

constexpr uint32_t kOutlineGrey = 0x141414;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kTitleOrange = 0x148AFF;
constexpr uint32_t kArtistMagenta = 0xCD20F2;
constexpr uint32_t kMessageGreen = 0x00FF00;
constexpr uint32_t kChosenOrange = 0x00A6FA;
constexpr uint32_t kReservedText = 0xAC0008;
constexpr uint32_t kReservedShadow = 0xDCDCDC;
constexpr uint32_t kTypedTitleOutline = 0xEEEEEE;

// The wipe takes a frame to last this long, so a syllable's colour reaches its end in about its
// duration.
constexpr int kAssumedFrameMs = 34;

// The status text's distance from the frame's top and right edges, in layout pixels.
constexpr int kStatusMargin = 20;

}  // namespace

// Where a frame is drawn: a painter (none before the first Render: the frame's state still
// advances) and the map from layout to device pixels.
struct CLyricScreen::Canvas {
  QPainter* painter = nullptr;
  double sx = 1.0;
  double sy = 1.0;
  double ox = 0.0;
  double oy = 0.0;
  bool clipped = false;
  QRect clip;              // device pixels
  QRegion* ink = nullptr;  // gathers the device pixels drawn, when set
};

bool CLyricScreen::MakeOffscreen() {
  if (layoutRect_.isEmpty()) {
    offscreen_ = QImage();
    return false;
  }
  // Made once; made again only when the screen's size has changed since.
  if (offscreen_.size() != layoutRect_.size()) {
    offscreen_ = MakePagedImage(layoutRect_.size(), QImage::Format_RGB32);
    if (offscreen_.isNull()) return false;
    offscreenFill_ = RgbOf(BackgroundColor());
    offscreen_.fill(offscreenFill_);
    offscreenDrawn_ = false;
    composedInkKnown_ = false;
    composedWhole_ = true;
  }
  return true;
}

void CLyricScreen::Compose() {
  if (!offscreen_.isNull()) {
    // In a window the off-screen frame holds nothing but the fill, so a fill that is already
    // there is not redone: the screen-sized fill is most of a tick's memory traffic. In full
    // screen only the text of the frame before is wiped, when it is known.
    const QRgb fill = RgbOf(BackgroundColor());
    if (fullScreen_ && offscreenDrawn_ && composedInkKnown_ && fill == offscreenFill_) {
      const QRegion wiped = composedInk_ & offscreen_.rect();
      for (const QRect& r : wiped) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
          auto* line = reinterpret_cast<QRgb*>(offscreen_.scanLine(y));
          std::fill(line + r.left(), line + r.right() + 1, fill);
        }
      }
      composedChanged_ |= wiped;
    } else if (fullScreen_ || offscreenDrawn_ || fill != offscreenFill_) {
      offscreen_.fill(fill);
      offscreenFill_ = fill;
      composedWhole_ = true;
    }
    offscreenDrawn_ = fullScreen_;
  }
  composedInkKnown_ = false;
  if (!fullScreen_) return;

  QPainter painter;
  Canvas canvas;
  if (!offscreen_.isNull() && painter.begin(&offscreen_)) canvas.painter = &painter;
  if (lyricMode_ == kLyricModeCdg) {
    if (canvas.painter != nullptr) {
      DrawCdgPicture(painter, QRectF(0, 0, layoutRect_.width(), layoutRect_.height()));
    }
    currentFont_ = FontRole::kSmall;
    DrawMessage(canvas);
    DrawStatus(canvas);
    DrawNumberEntry(canvas);
    composedWhole_ = true;
  } else {
    QRegion ink;
    canvas.ink = &ink;
    DrawWholeFrame(canvas);
    if (canvas.painter != nullptr) {
      composedChanged_ |= ink;
      composedInk_ = std::move(ink);
      composedInkKnown_ = true;
    }
  }
}

void CLyricScreen::Render(QPainter& context) {
  MakeOffscreen();
  const QPaintDevice* device = context.device();
  const QRect deviceRect =
      device != nullptr ? QRect(0, 0, device->width(), device->height()) : QRect();
  renderedDamage_ = FrameDamage::Whole(deviceRect);
  if (!fullScreen_) composedDevice_ = nullptr;
  if (fullScreen_ || lyricMode_ == kLyricModeCdg || offscreen_.isNull()) {
    // Drawn all over: the next windowed frame starts from the whole fill again.
    renderedDevice_ = nullptr;
    if (fullScreen_) {
      // Composed at full size: a plain copy, of what changed since the last one when the device
      // holds that.
      if (!offscreen_.isNull()) {
        const bool whole =
            composedWhole_ || device != composedDevice_ || deviceRect.size() != composedSize_;
        const QPainter::CompositionMode mode = context.compositionMode();
        context.setCompositionMode(QPainter::CompositionMode_Source);
        if (whole) {
          context.drawImage(0, 0, offscreen_);
        } else {
          const QRegion changed = composedChanged_ & offscreen_.rect();
          for (const QRect& r : changed)
            context.drawImage(r.topLeft(), offscreen_, r);
          renderedDamage_.changed = changed;
          if (offscreenFill_ == RgbOf(kKeyColor) && composedInkKnown_) {
            renderedDamage_.covered = composedInk_ | (QRegion(deviceRect) - offscreen_.rect());
          }
        }
        context.setCompositionMode(mode);
        composedDevice_ = device;
        composedSize_ = deviceRect.size();
        composedChanged_ = QRegion();
        composedWhole_ = false;
      }
    } else if (lyricMode_ == kLyricModeCdg) {
      DrawCdgPicture(context, QRectF(targetRect_.left(), targetRect_.top(), targetRect_.width(),
                                     targetRect_.height()));
    }
    return;
  }
  // In a window the frame is the fill with text over it. The whole fill is copied when the
  // surface, the target or the fill is new; after that only the text of the frame before is
  // wiped, so that a frame costs what its text covers rather than the whole target.
  const bool whole = device != renderedDevice_ || targetRect_ != renderedTarget_ ||
                     offscreenFill_ != renderedFill_ || deviceRect.size() != renderedSize_;
  const QRegion wiped = whole ? QRegion(offscreen_.rect()) : renderedInk_ & offscreen_.rect();
  const QPainter::CompositionMode mode = context.compositionMode();
  context.setCompositionMode(QPainter::CompositionMode_Source);
  for (const QRect& r : wiped)
    context.drawImage(r.topLeft(), offscreen_, r);
  context.setCompositionMode(mode);
  renderedDevice_ = device;
  renderedSize_ = deviceRect.size();
  renderedTarget_ = targetRect_;
  renderedFill_ = offscreenFill_;

  QRegion ink;
  Canvas canvas;
  canvas.ink = &ink;
  canvas.painter = &context;
  canvas.sx = static_cast<float>(targetRect_.width()) / static_cast<float>(layoutRect_.width());
  canvas.sy = static_cast<float>(targetRect_.height()) / static_cast<float>(layoutRect_.height());
  canvas.ox = static_cast<float>(targetRect_.left());
  canvas.oy = static_cast<float>(targetRect_.top());
  DrawWholeFrame(canvas);

  if (!whole) renderedDamage_.changed = wiped | ink;
  // Outside the text lies the fill, or what the device had beyond the off-screen frame.
  if (offscreenFill_ == RgbOf(kKeyColor)) {
    renderedDamage_.covered = ink | (QRegion(deviceRect) - offscreen_.rect());
  }
  renderedInk_ = std::move(ink);
}

void CLyricScreen::DrawCdgPicture(QPainter& painter, const QRectF& target) {
  DrawCdgFrame(painter, cdg_, target);
}

void CLyricScreen::DrawWholeFrame(Canvas& canvas) {
  currentFont_ = FontRole::kSmall;
  DrawMessage(canvas);
  DrawStatus(canvas);
  DrawNumberEntry(canvas);
  DrawChosenNumber(canvas);
  currentFont_ = FontRole::kLyric;
  DrawLyrics(canvas);
  DrawNextSongBanner(canvas);
  DrawRequestInvite(canvas);
  currentFont_ = FontRole::kLyric;
}

void CLyricScreen::DrawMessage(Canvas& canvas) {
  if (osdFrames_ <= 0) return;
  --osdFrames_;
  DrawPlain(canvas, osdText_, 10, 50, RgbOf(kMessageGreen));
}

void CLyricScreen::DrawStatus(Canvas& canvas) {
  if (statusFrames_ <= 0) return;
  --statusFrames_;
  // Top right in the small font, above everything the lyric lines use.
  DrawSingleLine(canvas, statusText_, layoutRect_.width() - kStatusMargin, kStatusMargin,
                 Align::kRight, RgbOf(kWhite), RgbOf(kOutlineGrey));
}

void CLyricScreen::DrawNumberEntry(Canvas& canvas) {
  const int w = layoutRect_.width();
  const int h = layoutRect_.height();
  if (GetTypedNumber() != 0) {
    numberShown_ = 1;
    const bool bannerUp = nextSongBanner_ && reservedCount_ >= 1 && !nextSongTitle_.empty();
    if (playState_ != kPlayStateLoaded && !bannerUp) {
      currentFont_ = FontRole::kNumber;
      DrawSingleLine(canvas, typedNumber_, w / 2, h / 2 - 182, Align::kCenter, RgbOf(kWhite),
                     RgbOf(kOutlineGrey));
      if (typedSongTitle_.empty()) return;
      currentFont_ = FontRole::kLyric;
      numberShown_ = 2;
      const int height = measures_.WrappedHeight(ToQString(typedSongTitle_), lyricFont_, w);
      DrawWrapped(canvas, typedSongTitle_, 0, h / 2 - height / 2, RgbOf(kTypedTitleOutline));
    } else {
      DrawSingleLine(canvas, typedNumber_, 20, 10, Align::kLeft, RgbOf(kWhite),
                     RgbOf(kOutlineGrey));
      if (!typedSongTitle_.empty()) {
        DrawSingleLine(canvas, typedSongTitle_, 170, 10, Align::kLeft, RgbOf(kWhite),
                       RgbOf(kOutlineGrey));
      }
    }
    return;
  }
  numberShown_ = 0;
  if (reservedCount_ > 0) {
    currentFont_ = FontRole::kSmall;
    const QString summary =
        QStringLiteral("%1 - %2").arg(reservedCount_).arg(ToQString(reservedNumbers_));
    DrawDiagonalShadow(canvas, CutText(ViewOf(summary), kLineUnits), 10, 10, RgbOf(kReservedText),
                       RgbOf(kReservedShadow));
  }
}

void CLyricScreen::DrawChosenNumber(Canvas& canvas) {
  if (!chosenAnimating_) return;
  chosenRows_ += 2;
  const int w = layoutRect_.width();
  const int y = layoutRect_.height() / 2 - 182;
  currentFont_ = FontRole::kNumber;
  DrawSingleLine(canvas, chosenNumber_, w / 2, y, Align::kCenter, RgbOf(kWhite),
                 RgbOf(kOutlineGrey));
  // The orange fills the number from the top, two layout rows a frame.
  const float sy = layoutRect_.height() > 0 ? static_cast<float>(targetRect_.height()) /
                                                  static_cast<float>(layoutRect_.height())
                                            : 0.0f;
  const int top = static_cast<int>(static_cast<float>(y) * sy + targetRect_.top());
  const int bottom = static_cast<int>(sy * static_cast<float>(chosenRows_) + top);
  canvas.clipped = true;
  canvas.clip = QRect(0, top, std::max(0, w), std::max(0, bottom - top));
  DrawSingleLine(canvas, chosenNumber_, w / 2, y, Align::kCenter, RgbOf(kChosenOrange),
                 RgbOf(kOutlineGrey));
  canvas.clipped = false;
  if (chosenRows_ > 140) {
    chosenRows_ = 0;
    chosenAnimating_ = false;
  }
}

void CLyricScreen::CenterLines() {
  const int half = layoutRect_.width() / 2;
  if (upperLineX_ == -1) {
    upperLineX_ = half - measures_.Extent(ToQString(WithoutSingerMark(upperLine_)), lyricFont_) / 2;
  }
  if (lowerLineX_ == -1) {
    lowerLineX_ = half - measures_.Extent(ToQString(WithoutSingerMark(lowerLine_)), lyricFont_) / 2;
  }
}

void CLyricScreen::DrawLyrics(Canvas& canvas) {
  CenterLines();
  const int h = layoutRect_.height();
  const QRgb unsung = RgbOf(unsungColor_);
  DrawSingleLine(canvas, lowerLine_, lowerLineX_, h - lowerLineOffset_, Align::kLeft, unsung,
                 RgbOf(kOutlineGrey));
  DrawSingleLine(canvas, upperLine_, upperLineX_, h - upperLineOffset_, Align::kLeft, unsung,
                 RgbOf(kOutlineGrey));
  // Hebrew and Arabic lines are sung from their right end.
  const std::u16string& sungLine = singingLowerLine_ ? lowerLine_ : upperLine_;
  const QString line = ToQString(sungLine);
  const bool rightToLeft = IsRightToLeftText(line);
  // The sung text is drawn, and wiped, at the scale of the whole line it belongs to (the line's
  // singer mark went when it was drawn above).
  const int lineWidth = measures_.Extent(line, lyricFont_);
  if (lineTimed_) RunWipe(canvas, rightToLeft, lineWidth, FitScale(lineWidth));

  // A mark still in front of the sung text sets the colour for this and the following lines.
  if (sungText_.size() >= 2 && sungText_[1] == u':') {
    switch (sungText_[0]) {
      case u'F':
        sungSinger_ = Singer::kFemale;
        break;
      case u'M':
        sungSinger_ = Singer::kMale;
        break;
      case u'D':
        sungSinger_ = Singer::kDuet;
        break;
      default:
        break;
    }
  }
  const int x = singingLowerLine_ ? lowerLineX_ : upperLineX_;
  const int y = h - (singingLowerLine_ ? lowerLineOffset_ : upperLineOffset_);
  if (rightToLeft) {
    DrawSungRightToLeft(canvas, line, x, y, lineWidth);
  } else {
    DrawSingleLine(canvas, sungText_, x, y, Align::kLeft, RgbOf(SingerColor(sungSinger_)), unsung,
                   lineWidth);
  }
  DrawTitleOrPrompt(canvas);
}

void CLyricScreen::DrawSungRightToLeft(Canvas& canvas, const QString& line, int x, int y,
                                       int lineWidth) {
  RemoveSingerMark(sungText_);
  if (sungText_.empty() || canvas.painter == nullptr) return;
  const double scale = FitScale(lineWidth);
  const int left = FittedLeft(x, lineWidth, scale);
  if (!lineTimed_) {
    // Whole syllables: the line itself from where its layout puts the end of the sung text, so
    // that joined letters keep their shapes.
    const int sung = static_cast<int>(std::min(sungText_.size(), static_cast<size_t>(line.size())));
    ClipFrom(canvas, left + static_cast<int>(measures_.CursorX(line, lyricFont_, sung) * scale));
  }
  const TextLook look{TextShape::kOutlined, HasShadow(), RgbOf(SingerColor(sungSinger_)),
                      RgbOf(unsungColor_)};
  const double top = y + (scale < 1.0 ? QFontMetrics(lyricFont_).height() * (1.0 - scale) / 2 : 0);
  Blit(canvas, sprites_.SingleLine(line, lyricFont_, look, canvas.sx * scale, canvas.sy * scale),
       left, top);
}

double CLyricScreen::FitScale(int lineWidth) const {
  const int frameWidth = layoutRect_.width();
  if (frameWidth <= 0 || lineWidth <= frameWidth) return 1.0;
  return static_cast<double>(frameWidth) / lineWidth;
}

int CLyricScreen::FittedLeft(int x, int lineWidth, double scale) {
  if (scale >= 1.0) return x;
  return x + static_cast<int>(std::lround(lineWidth * (1.0 - scale) / 2));
}

// Device x of a layout x on the target.
int CLyricScreen::TargetX(int layoutX) const {
  const int layoutWidth = layoutRect_.width();
  const double x = layoutWidth > 0 ? targetRect_.left() + static_cast<double>(targetRect_.width()) *
                                                              layoutX / layoutWidth
                                   : targetRect_.left();
  return static_cast<int>(std::clamp(x, -1e9, 1e9));
}

void CLyricScreen::ClipFrom(Canvas& canvas, int layoutX) {
  constexpr int kOpenEnd = 1 << 24;
  canvas.clipped = true;
  canvas.clip = QRect(TargetX(layoutX), layoutRect_.top(), kOpenEnd, layoutRect_.height());
}

void CLyricScreen::RunWipe(Canvas& canvas, bool rightToLeft, int lineWidth, double scale) {
  if (recomputeWipeStep_) {
    recomputeWipeStep_ = false;
    if (syllableDurationMs_ > 0) {
      sungWidth_ = measures_.Extent(ToQString(sungText_), lyricFont_);
      wipeStep_ = static_cast<float>(sungWidth_ * kAssumedFrameMs) /
                  static_cast<float>(syllableDurationMs_);
      if (wipeStep_ < 2.0f) wipeStep_ = 5.0f;
    }
  }
  if (playState_ != kPlayStateSinging) return;
  const int x0 = singingLowerLine_ ? lowerLineX_ : upperLineX_;
  if (syllableDurationMs_ > 0) {
    if (wipeFrames_ < INT_MAX) ++wipeFrames_;
    const float advance = wipeStep_ * static_cast<float>(wipeFrames_);
    // Past the end of the text the edge stays at its end.
    const int covered =
        advance >= static_cast<float>(sungWidth_) ? sungWidth_ : static_cast<int>(advance);
    wipeX_ = rightToLeft ? x0 + lineWidth - covered : x0 + covered;
  }
  // On a line drawn scaled the edge keeps its place in the text: the same share of it is coloured.
  const int left = FittedLeft(x0, lineWidth, scale);
  const auto drawn = [&](int layoutX) {
    return scale < 1.0 ? left + static_cast<int>((layoutX - x0) * scale) : layoutX;
  };
  if (rightToLeft) {
    // Coloured from the edge to the line's right end; nothing before the line's first frame.
    ClipFrom(canvas, drawn(wipeFrames_ > 0 ? wipeX_ : x0 + lineWidth));
    return;
  }
  const int clipRight = TargetX(drawn(wipeX_));
  canvas.clipped = true;
  canvas.clip = QRect(layoutRect_.left(), layoutRect_.top(),
                      std::max(0, clipRight - layoutRect_.left()), layoutRect_.height());
}

void CLyricScreen::DrawTitleOrPrompt(Canvas& canvas) {
  canvas.clipped = false;
  const int cx = layoutRect_.width() / 2;
  const int cy = layoutRect_.height() / 2;
  const QRgb unsung = RgbOf(unsungColor_);
  auto drawTitle = [&]() {
    const int height =
        measures_.WrappedHeight(ToQString(songTitle_), lyricFont_, layoutRect_.width());
    const int half = height / 2;
    if (slideHorizontal_) {
      DrawWrapped(canvas, songTitle_, titleOffset_, cy - half, unsung);
      DrawSingleLine(canvas, songArtist_, cx - titleOffset_, cy + half, Align::kCenter,
                     RgbOf(kArtistMagenta), unsung);
    } else {
      DrawWrapped(canvas, songTitle_, 0, cy - half + titleOffset_, unsung);
      DrawSingleLine(canvas, songArtist_, cx, cy + half - titleOffset_, Align::kCenter,
                     RgbOf(kArtistMagenta), unsung);
    }
  };
  if (playState_ >= kPlayStateSinging && titleAnimating_) {
    drawTitle();
    titleOffset_ += slideHorizontal_ ? 30 : 25;
    if (titleOffset_ > 1200) titleAnimating_ = false;
  } else if (playState_ == kPlayStateLoaded) {
    drawTitle();
    titleOffset_ -= slideHorizontal_ ? 40 : 34;
    if (titleOffset_ < 0) titleOffset_ = 0;
  } else if (playState_ == kPlayStateIdle) {
    if (settings_.reservedListEnable != 0 && numberShown_ == 0) {
      std::u16string prompt = u"Select a song";
      DrawSingleLine(canvas, prompt, cx, cy - 36, Align::kCenter, RgbOf(settings_.lyricColorMale),
                     unsung);
    }
  }
}

void CLyricScreen::DrawNextSongBanner(Canvas& canvas) {
  if (!nextSongBanner_ || reservedCount_ < 1 || nextSongTitle_.empty()) return;
  const int w = layoutRect_.width();
  const int h = layoutRect_.height();
  const QRgb unsung = RgbOf(unsungColor_);
  DrawSingleLine(canvas, nextSongLabel_, w / 2, h / 2 - 158, Align::kCenter, RgbOf(kArtistMagenta),
                 unsung);
  DrawWrapped(canvas, nextSongTitle_, 0, h / 2 - 40, unsung);
}

void CLyricScreen::DrawRequestInvite(Canvas& canvas) {
  if (!RequestInviteShown() || canvas.painter == nullptr) return;
  const int w = layoutRect_.width();
  const int h = layoutRect_.height();
  // The code at the top right, a quarter of the frame high, below the line the key and volume
  // notices use; the address and room code under it.
  const int side = std::max(h / 4, 96);
  const int x = w - side - 24;
  const int y = 80;
  const QRectF box(canvas.ox + x * canvas.sx, canvas.oy + y * canvas.sy, side * canvas.sx,
                   side * canvas.sy);
  const QRect device = box.toAlignedRect();
  canvas.painter->drawImage(device, inviteQr_);
  if (canvas.ink != nullptr) *canvas.ink |= device;
  currentFont_ = FontRole::kSmall;
  const QFontMetrics metrics(CurrentFont());
  int line = y + side + 6;
  for (const std::u16string* text : {&inviteAddress_, &inviteCode_}) {
    const int width = metrics.horizontalAdvance(ToQString(*text));
    DrawPlain(canvas, *text, w - 24 - width, line, RgbOf(kWhite));
    line += metrics.height();
  }
  currentFont_ = FontRole::kLyric;
}

const QFont& CLyricScreen::CurrentFont() const {
  switch (currentFont_) {
    case FontRole::kNumber:
      return numberFont_;
    case FontRole::kSmall:
      return smallFont_;
    case FontRole::kLyric:
      break;
  }
  return lyricFont_;
}

void CLyricScreen::DrawSingleLine(Canvas& canvas, std::u16string& text, int x, int y, Align align,
                                  QRgb color, QRgb outline, int fitWidth) {
  RemoveSingerMark(text);
  if (text.empty() || canvas.painter == nullptr) return;
  const QString shown = ToQString(text);
  const QFont& font = CurrentFont();
  // Measured only where the place or the fit needs it: the sung text is drawn every frame.
  const bool measured = align != Align::kLeft || fitWidth < 0;
  const int width = measured ? measures_.Extent(shown, font) : 0;
  int left = x;
  if (align != Align::kLeft) left = align == Align::kCenter ? x - width / 2 : x - width;
  const TextLook look{TextShape::kOutlined, HasShadow(), color, outline};
  const int lineWidth = fitWidth >= 0 ? fitWidth : width;
  const double scale = FitScale(lineWidth);
  if (scale >= 1.0) {
    Blit(canvas, sprites_.SingleLine(shown, font, look, canvas.sx, canvas.sy), left, y);
    return;
  }
  // Too wide for the frame: the whole line smaller, about its centre.
  const double top = y + QFontMetrics(font).height() * (1.0 - scale) / 2;
  Blit(canvas, sprites_.SingleLine(shown, font, look, canvas.sx * scale, canvas.sy * scale),
       FittedLeft(left, lineWidth, scale), top);
}

void CLyricScreen::DrawWrapped(Canvas& canvas, const std::u16string& text, int x, int y,
                               QRgb outline) {
  if (text.empty() || canvas.painter == nullptr) return;
  const TextLook look{TextShape::kOutlined, HasShadow(), RgbOf(kTitleOrange), outline};
  Blit(canvas,
       sprites_.Wrapped(ToQString(text), CurrentFont(), layoutRect_.width(), look, canvas.sx,
                        canvas.sy),
       x, y);
}

void CLyricScreen::DrawDiagonalShadow(Canvas& canvas, const std::u16string& text, int x, int y,
                                      QRgb color, QRgb shadow) {
  if (text.empty() || canvas.painter == nullptr) return;
  const TextLook look{TextShape::kDiagonal, false, color, shadow};
  Blit(canvas, sprites_.SingleLine(ToQString(text), CurrentFont(), look, canvas.sx, canvas.sy), x,
       y);
}

void CLyricScreen::DrawPlain(Canvas& canvas, const std::u16string& text, int x, int y, QRgb color) {
  if (text.empty() || canvas.painter == nullptr) return;
  const TextLook look{TextShape::kPlain, false, color, color};
  Blit(canvas, sprites_.SingleLine(ToQString(text), CurrentFont(), look, canvas.sx, canvas.sy), x,
       y);
}

void CLyricScreen::Blit(Canvas& canvas, const TextSprite& sprite, double x, double y) {
  if (sprite.image.isNull() || canvas.painter == nullptr) return;
  const double dx = canvas.ox + x * canvas.sx;
  const double dy = canvas.oy + y * canvas.sy;
  if (!(std::fabs(dx) < 1e8) || !(std::fabs(dy) < 1e8)) return;
  const QRect dest(QPoint(static_cast<int>(std::lround(dx)) + sprite.offset.x(),
                          static_cast<int>(std::lround(dy)) + sprite.offset.y()),
                   sprite.image.size());
  QRect visible = dest;
  if (canvas.clipped) visible &= canvas.clip;
  if (const QPaintDevice* device = canvas.painter->device()) {
    visible &= QRect(0, 0, device->width(), device->height());
  }
  if (visible.isEmpty()) return;
  canvas.painter->drawImage(visible.topLeft(), sprite.image,
                            QRect(visible.topLeft() - dest.topLeft(), visible.size()));
  if (canvas.ink != nullptr) *canvas.ink |= visible;
}

}  // namespace lyrovox

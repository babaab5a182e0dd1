// The control panel: one scene drawn in two looks, every button up (133) or every button down and
// the play list toggle lit (134), so that a button's rectangle cut from either image is the whole
// button. The strips drawn over the panel at run time (seek track, volume track) are the scene's
// own pixels there with the lit groove on top, so they sit seamlessly in it.

#include <QLinearGradient>
#include <QPainterPath>
#include <QString>

#include "skin/skin_bitmaps.h"
#include "skin/skin_painter.h"
#include "ui/panel/panel_geometry.h"

namespace lyrovox::skin {

namespace {

QRectF Box(const Edges& e) {
  return QRectF(e.left, e.top, e.width(), e.height());
}

// The body: a rounded dark slab with a light edge; the window region cuts the same corners.
void DrawBody(QPainter& p) {
  const QRectF all(0, 0, kPanelWidth, kPanelHeight);
  const double r = kPanelCorner / 2.0;
  QPainterPath body;
  body.addRoundedRect(all, r, r);
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.setClipPath(body);
  FillVertical(p, all, palette::kBodyTop, palette::kBodyBottom);
  // The top strip the panel is dragged by, with the menu icon and the close spot.
  DrawCaptionStrip(p, QRectF(0, 0, kPanelWidth, 19));
  p.setPen(QPen(palette::kBodyEdge, 1));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(all.adjusted(0.5, 0.5, -0.5, -0.5), r - 0.5, r - 0.5);
  p.restore();

  // A grip in the middle of the strip.
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x55, 0x5f, 0x73));
  for (int row = 0; row < 2; ++row) {
    for (int i = 0; i < 7; ++i) {
      p.drawEllipse(QPointF(kPanelCentreX - 12 + 4 * i, 7.5 + 4 * row), 0.9, 0.9);
    }
  }
  p.restore();
}

void DrawCloseSpot(QPainter& p) {
  const QPointF c((kCloseSpot.left + kCloseSpot.right) / 2.0 + 0.5,
                  (kCloseSpot.top + kCloseSpot.bottom) / 2.0 + 0.5);
  const double r = kCloseSpot.width() / 2.0;
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(c - QPointF(0, r), c + QPointF(0, r));
  g.setColorAt(0, palette::kAlert.lighter(115));
  g.setColorAt(1, palette::kAlertDeep);
  p.setPen(QPen(QColor(0, 0, 0, 120), 1));
  p.setBrush(g);
  p.drawEllipse(c, r, r);
  p.restore();
  DrawCrossSymbol(p, c, r * 0.8, 1.7, Qt::white);
}

void DrawWordmark(QPainter& p) {
  DrawMicrophone(p, QRectF(14, 24, 13, 22), QColor(0x9a, 0xa6, 0xba), palette::kAccent);
  const QRectF box(33, 23, 200, 24);
  QLinearGradient g(box.topLeft(), box.topLeft() + QPointF(130, 0));
  g.setColorAt(0, QColor(0xf4, 0xfb, 0xff));
  g.setColorAt(1, palette::kAccent);
  FillText(p, box, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("LYROVOX"),
           UiFont(17, QFont::Black, 2.5), g);
  FillText(p, QRectF(kPlayListToggleRect.left - 92, 23, 86, 24), Qt::AlignRight | Qt::AlignVCenter,
           QStringLiteral("SONGLIST"), UiFont(10, QFont::Bold, 1.2), palette::kDimInk);
}

void DrawPlayListToggle(QPainter& p, bool lit) {
  const QRectF box = Box(kPlayListToggleRect);
  DrawRectButton(p, box, 5, Press::kUp, lit);
  DrawListSymbol(p, box.center(), 12, lit ? QColor(Qt::white) : palette::kInk);
}

// The display: black glass holding the title band, the time, the strip and the seek track. The
// time is written on black, so the glass around it is black too.
void DrawDisplay(QPainter& p) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(palette::kDisplayEdge, 1));
  p.setBrush(palette::kDisplay);
  p.drawRoundedRect(QRectF(4.5, 50.5, 407, 80), 6, 6);
  // The title band.
  const QRectF band = Box(kTitleBandRect).adjusted(0.5, 0.5, -0.5, -0.5);
  QLinearGradient g(band.topLeft(), band.bottomLeft());
  g.setColorAt(0, QColor(0x14, 0x19, 0x25));
  g.setColorAt(1, QColor(0x0a, 0x0c, 0x12));
  p.setPen(QPen(QColor(0x25, 0x2c, 0x3b), 1));
  p.setBrush(g);
  p.drawRoundedRect(band, 4, 4);
  p.restore();
}

QRectF SeekGroove() {
  return QRectF(kSeekTrackRect.left, kSeekFillTop - 1, kSeekTrackRect.width(), kFillHeight + 2);
}

QRectF VolumeGroove() {
  return QRectF(kVolumeTrackRect.left, kVolumeFillTop - 1, kVolumeTrackRect.width(),
                kFillHeight + 2);
}

const char* const kChannelLabels[] = {"L+R", "L", "R"};
const char* const kTrackLabels[] = {"T1", "T2"};

void DrawStrip(QPainter& p, QPointF origin) {
  for (size_t i = 0; i < kChannelSpots.size(); ++i) {
    DrawSpot(p,
             Box(kChannelSpots[i])
                 .translated(origin - QPointF(kChannelStripRect.left, kChannelStripRect.top)),
             QString::fromLatin1(kChannelLabels[i]), false);
  }
  for (size_t i = 0; i < kTrackSpots.size(); ++i) {
    DrawSpot(p,
             Box(kTrackSpots[i])
                 .translated(origin - QPointF(kChannelStripRect.left, kChannelStripRect.top)),
             QString::fromLatin1(kTrackLabels[i]), false);
  }
}

void DrawButton(QPainter& p, const PanelButton& button, Press press) {
  const QRectF box = Box(button.rect);
  const bool accent = button.id == kCommandPlay;
  const bool round = button.id != kCommandLoad && button.id != kCommandSetup;
  if (round) {
    DrawRoundButton(p, box, press, accent);
  } else {
    DrawRectButton(p, box, 7, press, accent);
  }
  const QColor ink = SymbolColour(press, accent);
  const QPointF c = box.center() + SymbolShift(press);
  switch (button.id) {
    case kCommandStop:
      DrawStopSymbol(p, c, 12, ink);
      break;
    case kCommandPrevious:
      DrawSkipSymbol(p, c, 13, false, ink);
      break;
    case kCommandPlay:
      DrawPlaySymbol(p, c, 18, ink);
      break;
    case kCommandNext:
      DrawSkipSymbol(p, c, 13, true, ink);
      break;
    case kCommandLoad:
      DrawFolderSymbol(p, c, 13, ink);
      break;
    case kCommandSetup:
      DrawGearSymbol(p, c, 17, ink);
      break;
    default:
      break;
  }
}

void DrawSeparator(QPainter& p, double x) {
  p.fillRect(QRectF(x, 138, 1, 22), QColor(0x07, 0x08, 0x0b));
  p.fillRect(QRectF(x + 1, 138, 1, 22), QColor(255, 255, 255, 16));
}

void DrawPanel(QPainter& p, Press press) {
  DrawBody(p);
  DrawCloseSpot(p);
  DrawWordmark(p);
  DrawPlayListToggle(p, press == Press::kDown);
  DrawDisplay(p);
  DrawStrip(p, QPointF(kChannelStripRect.left, kChannelStripRect.top));
  DrawGroove(p, SeekGroove(), false);
  DrawSeparator(p, 68);
  DrawSeparator(p, 226);
  DrawSpeakerSymbol(p, QPointF(245, 150), 15, palette::kDimInk);
  DrawGroove(p, VolumeGroove(), false);
  for (const PanelButton& button : kPanelButtons)
    DrawButton(p, button, press);
}

// A piece of the idle panel at (left, top), as wide and high as the painter's target.
void DrawPanelPiece(QPainter& p, double left, double top, double width, double height) {
  p.save();
  p.setClipRect(QRectF(0, 0, width, height));
  p.translate(-left, -top);
  DrawPanel(p, Press::kUp);
  p.restore();
}

}  // namespace

bool DrawPanelBitmap(int id, QPainter& p) {
  switch (id) {
    case 133:
      DrawPanel(p, Press::kUp);
      return true;
    case 134:
      DrawPanel(p, Press::kDown);
      return true;
    case 163: {
      // The whole panel's width at the seek track's height, the groove lit.
      DrawPanelPiece(p, 0, kSeekStripTop, kPanelWidth, 13);
      DrawGroove(p, SeekGroove().translated(0, -kSeekStripTop), true);
      return true;
    }
    case 174: {
      DrawPanelPiece(p, kVolumeTrackRect.left, kVolumeTrackRect.top, kVolumeTrackRect.width(),
                     kVolumeTrackRect.height());
      DrawGroove(p, VolumeGroove().translated(-kVolumeTrackRect.left, -kVolumeTrackRect.top), true);
      return true;
    }
    case 165: {
      QLinearGradient g(0, 0, 0, kFillHeight);
      g.setColorAt(0, palette::kAccentLight);
      g.setColorAt(0.45, palette::kAccent);
      g.setColorAt(1, palette::kAccentDeep);
      p.fillRect(QRectF(0, 0, 1, kFillHeight), g);
      return true;
    }
    case 162:
      DrawKnob(p, QRectF(0, 0, 12, 13));
      return true;
    case 175:
      DrawKnob(p, QRectF(0, 0, 12, 12));
      return true;
    case 170: {
      // Three bars: the menu.
      p.save();
      p.setRenderHint(QPainter::Antialiasing);
      p.setPen(QPen(QColor(0xd0, 0xd8, 0xe6), 2, Qt::SolidLine, Qt::RoundCap));
      for (int i = 0; i < 3; ++i) {
        p.drawLine(QPointF(4, 5.5 + 4.5 * i), QPointF(16, 5.5 + 4.5 * i));
      }
      p.restore();
      return true;
    }
    case 178:
      p.fillRect(QRectF(0, 0, kChannelStripRect.width(), kChannelStripRect.height()),
                 palette::kDisplay);
      DrawStrip(p, QPointF(0, 0));
      return true;
    case 179:
    case 176:
    case 177: {
      const int spot = id == 179 ? 0 : id == 176 ? 1 : 2;
      p.fillRect(QRectF(0, 0, 20, 11), palette::kDisplay);
      DrawSpot(p, QRectF(0, 0, 20, 11), QString::fromLatin1(kChannelLabels[spot]), true);
      return true;
    }
    case 180:
    case 2:
      p.fillRect(QRectF(0, 0, 20, 11), palette::kDisplay);
      DrawSpot(p, QRectF(0, 0, 20, 11), QString::fromLatin1(kTrackLabels[id == 180 ? 0 : 1]), true,
               palette::kAccentLight, palette::kAccent);
      return true;
    default:
      return false;
  }
}

}  // namespace lyrovox::skin

#pragma once

// The skin's shared drawing: its palette, the faces of buttons in their normal and pressed looks,
// the symbols on them, grooves, strips and lettering. Everything is drawn in the bitmap's own
// pixels; the painter's scale makes the twice-sized twin.

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QString>

namespace lyrovox::skin {

// A dark body with light symbols and one cyan accent: it reads on a projector in a dim room.
namespace palette {
inline const QColor kBodyTop{0x1e, 0x22, 0x2c};
inline const QColor kBodyBottom{0x0f, 0x11, 0x16};
inline const QColor kBodyEdge{0x3a, 0x42, 0x52};
inline const QColor kStripTop{0x2d, 0x33, 0x40};
inline const QColor kStripBottom{0x1b, 0x1f, 0x28};
inline const QColor kStripShadow{0x0a, 0x0b, 0x0f};
inline const QColor kInk{0xf2, 0xf5, 0xfa};
inline const QColor kDimInk{0x86, 0x91, 0xa5};
inline const QColor kFaintInk{0x4c, 0x55, 0x68};
inline const QColor kAccent{0x3c, 0xc8, 0xff};
inline const QColor kAccentLight{0x8c, 0xe3, 0xff};
inline const QColor kAccentDeep{0x17, 0x6a, 0xc2};
inline const QColor kAmber{0xff, 0xb6, 0x2e};
inline const QColor kAmberDeep{0xe8, 0x86, 0x0c};
inline const QColor kDisplay{0x00, 0x00, 0x00};
inline const QColor kDisplayEdge{0x2a, 0x30, 0x3d};
inline const QColor kAlert{0xd9, 0x47, 0x50};
inline const QColor kAlertDeep{0x9e, 0x22, 0x2a};
}  // namespace palette

// Liberation Sans (Arial's metrics), sized in pixels.
QFont UiFont(double pixels, int weight = QFont::Bold, double letterSpacing = 0);
// Text as filled outlines: crisp at any scale and fillable with a gradient.
void FillText(QPainter& p, const QRectF& box, Qt::Alignment align, const QString& text,
              const QFont& font, const QBrush& brush);

void FillVertical(QPainter& p, const QRectF& box, const QColor& top, const QColor& bottom);

// The caption strip of the floating windows (and the panel's top), and the play list's bottom
// band: what their 1-pixel-wide bitmaps hold, drawn over any width.
void DrawCaptionStrip(QPainter& p, const QRectF& box);
void DrawBottomStrip(QPainter& p, const QRectF& box);

// Button faces. An accent button is the primary one (Play, a lit toggle). Pressed faces look
// pushed in: dark, lit by an accent ring.
enum class Press { kUp, kDown };
void DrawRoundButton(QPainter& p, const QRectF& box, Press press, bool accent);
void DrawRectButton(QPainter& p, const QRectF& box, double radius, Press press, bool accent);
// The symbol's colour and its shift on a pressed face.
QColor SymbolColour(Press press, bool accent);
QPointF SymbolShift(Press press);

// Symbols, centred on c, about s pixels high.
void DrawStopSymbol(QPainter& p, QPointF c, double s, const QColor& colour);
void DrawPlaySymbol(QPainter& p, QPointF c, double s, const QColor& colour);
// Previous and next: a bar and a triangle, pointing left or right.
void DrawSkipSymbol(QPainter& p, QPointF c, double s, bool forward, const QColor& colour);
void DrawFolderSymbol(QPainter& p, QPointF c, double s, const QColor& colour);
void DrawGearSymbol(QPainter& p, QPointF c, double s, const QColor& colour);
void DrawListSymbol(QPainter& p, QPointF c, double s, const QColor& colour);
void DrawPlusSymbol(QPainter& p, QPointF c, double s, const QColor& colour);
void DrawMinusSymbol(QPainter& p, QPointF c, double s, const QColor& colour);
void DrawCrossSymbol(QPainter& p, QPointF c, double s, double width, const QColor& colour);
void DrawSpeakerSymbol(QPainter& p, QPointF c, double s, const QColor& colour);
void DrawMagnifierSymbol(QPainter& p, QPointF c, double s, const QColor& colour);
void DrawMicrophone(QPainter& p, const QRectF& box, const QColor& body, const QColor& grille);

// A slider's groove: lit when it can be used.
void DrawGroove(QPainter& p, const QRectF& box, bool active);
// A slider's knob filling box.
void DrawKnob(QPainter& p, const QRectF& box);
// A small labelled spot of the channel and track strip; lit in the given colours, else dim.
void DrawSpot(QPainter& p, const QRectF& box, const QString& label, bool lit,
              const QColor& litTop = palette::kAmber,
              const QColor& litBottom = palette::kAmberDeep);

}  // namespace lyrovox::skin

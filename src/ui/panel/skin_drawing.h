#pragma once

// The drawing helpers every floating window shares: the skin's PNG bitmaps, cutting a part out of
// one, rounded window corners, and painting one rectangle of a window in a single pass.

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <QRect>
#include <QRegion>
#include <QSize>

class QWidget;

namespace lyrovox {

// A bitmap the window holds; may be empty.
class CGdiPlusBitmap {
 public:
  virtual ~CGdiPlusBitmap() = default;
  bool IsEmpty() const { return pixmap_.isNull(); }
  // The bitmap, sized in the skin's (logical) pixels; its device pixel ratio says how dense it is.
  const QPixmap& pixmap() const { return pixmap_; }
  QSize size() const { return pixmap_.deviceIndependentSize().toSize(); }

 protected:
  QPixmap pixmap_;
};

// A bitmap of the skin, loaded from the program's resources ":/skin/<id>.png". On a screen of
// device pixel ratio above 1 the twice-sized twin ":/skin/<id>@2x.png" is taken, so the windows
// stay sharp; either way the bitmap measures its stated size in logical pixels.
class CGdiPlusBitmapResource : public CGdiPlusBitmap {
 public:
  CGdiPlusBitmapResource() = default;
  // Loads at once; check IsEmpty().
  explicit CGdiPlusBitmapResource(int id, qreal devicePixelRatio = 0) {
    Load(id, devicePixelRatio);
  }
  // devicePixelRatio 0: the highest of the screens'. False, leaving the bitmap empty, when there
  // is no such resource or it does not decode.
  bool Load(int id, qreal devicePixelRatio = 0);
};

// The rectangle left, top, right (outside), bottom (outside) of source as a bitmap of its own,
// (right - left) by (bottom - top) pixels; parts of the rectangle outside the source stay
// transparent. Dense sources give dense cuts. An empty rectangle gives an empty bitmap.
QPixmap CutBitmap(const QPixmap& source, int left, int top, int right, int bottom);

// A rounded rectangle over (0, 0, size) with corner ellipses of corner by corner pixels.
QRegion RoundedRegion(QSize size, int corner);
// Gives the window rounded corners over its whole rectangle, and redraws it.
void ApplyRoundedRegion(QWidget& window, int corner);

// A bold, antialiased font of the family whose lines are at most cellHeight pixels high (a font
// asked for by its cell height, as the windows' fonts are given).
QFont FontForCellHeight(const QString& family, int cellHeight, int weight = QFont::Bold);

// One rectangle of a window drawn in one pass. A window's paint event already draws into Qt's
// back buffer, which is shown in one piece when the event is done, so there is no off-screen
// bitmap to make or copy here: this painter only confines the drawing to the rectangle (all zeros:
// the whole window). Use it inside paintEvent, after update(rect) asked for the pass; on an image
// it is a painter confined to the rectangle.
class CMemDC : public QPainter {
 public:
  CMemDC(QPaintDevice* target, const QRect& rect);
  const QRect& rect() const { return rect_; }

 private:
  QRect rect_;
};

}  // namespace lyrovox

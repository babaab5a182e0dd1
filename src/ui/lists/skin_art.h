#pragma once

// The song list windows' skin: bitmaps by resource id, the owner-drawn image buttons, rounded
// window corners and the fonts.

#include <QAbstractButton>
#include <QFont>
#include <QPixmap>
#include <QSize>

class QWidget;

namespace lyrovox {

// Skin bitmaps of the song list windows and their sizes.
inline constexpr int kBitmapListButtons = 135;        // "+" and "-", normal (83 x 33)
inline constexpr int kBitmapListButtonsPushed = 136;  // the same, pushed
inline constexpr int kBitmapPlayListCaption = 141;    // 1 x 22, stretched across the top
inline constexpr int kBitmapPlayListClose = 147;      // 15 x 22
inline constexpr int kBitmapPlayListBottom = 151;     // 1 x 36, stretched across the bottom
inline constexpr int kBitmapMenuIcon = 170;           // 20 x 22
inline constexpr int kBitmapSearchLabel = 171;        // 50 x 14
inline constexpr int kBitmapReservedHeaderOn = 186;   // 415 x 15
inline constexpr int kBitmapReservedHeaderOff = 187;  // 415 x 15

// The size a skin bitmap is drawn at.
QSize SkinBitmapSize(int id);

// The bitmap ":/skin/<id>.png"; should the skin lack it, a plain drawn stand-in of the same size,
// so the windows keep their layout.
QPixmap LoadSkinBitmap(int id);

// The part (left, top) to (right, bottom), exclusive, of a bitmap.
QPixmap CutBitmap(const QPixmap& source, int left, int top, int right, int bottom);

// Rounds the window's corners with corner by corner ellipses (a window mask over its rectangle).
void ApplyRoundedRegion(QWidget& window, int corner);

// Arial of the given cell height (ascent plus descent, in pixels), as the windows' texts use.
QFont ArialOfCellHeight(int cellHeight, bool bold);

// A push button drawn from two images: the pushed one while the mouse button is held on it.
class SkinImageButton : public QAbstractButton {
 public:
  explicit SkinImageButton(QWidget* parent = nullptr);
  void SetImages(const QPixmap& normal, const QPixmap& pushed);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap normal_;
  QPixmap pushed_;
};

}  // namespace lyrovox

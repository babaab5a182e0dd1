#pragma once

// The skinned buttons: a push button drawn from two images, and a colour swatch.

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>

namespace lyrovox {

// A push button drawn from a normal and a pressed image, copied 1:1 to the button. The pressed
// image shows only while the mouse button is held on it. It takes no keyboard focus, so the keys
// stay with its window.
class COwnerDrawButton : public QAbstractButton {
 public:
  explicit COwnerDrawButton(QWidget* parent = nullptr);
  void SetImages(const QPixmap& normal, const QPixmap& pressed);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap normal_;
  QPixmap pressed_;
};

// A button showing one colour over its whole face (the setup sheet's colour choices).
class CMyButton : public QAbstractButton {
 public:
  explicit CMyButton(QWidget* parent = nullptr);
  // Takes effect at the next paint.
  void SetColor(const QColor& color) { color_ = color; }
  const QColor& color() const { return color_; }
  // Twice as wide as a line of text is high.
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor color_{0, 0, 255};
};

}  // namespace lyrovox

#pragma once

// A button that shows one colour over its whole face: the setup pages' colour choices.
// TODO(panel): fold into the control panel's CMyButton once that lands; this is the same swatch.

#include <QAbstractButton>
#include <cstdint>

namespace lyrovox {

class ColorSwatch final : public QAbstractButton {
  Q_OBJECT

 public:
  explicit ColorSwatch(QWidget* parent = nullptr);

  // 0x00BBGGRR, as the settings hold colours. Shown from the next repaint.
  void SetColor(uint32_t color) { color_ = color; }
  uint32_t Color() const { return color_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  uint32_t color_ = 0xFF0000;  // pure blue
};

// 0x00BBGGRR to QColor and back.
QColor ColorFromRef(uint32_t color);
uint32_t RefFromColor(const QColor& color);

}  // namespace lyrovox

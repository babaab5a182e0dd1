#pragma once

// The Display page's live sample of the lyric look: three lines, one per singer colour, each with
// the light outline the screen draws and, while shadow is on, a black shadow below and right.

#include <QFont>
#include <QWidget>
#include <array>
#include <cstdint>

namespace lyrovox {

class LyricPreview final : public QWidget {
 public:
  // The sample area, in the page's pixels.
  static constexpr int kWidth = 284;
  static constexpr int kHeight = 114;
  static constexpr uint32_t kFill = 0xC0C0C0;     // RGB(192,192,192)
  static constexpr uint32_t kOutline = 0xEEEEEE;  // RGB(238,238,238)
  static constexpr int kShadowOffset = 3;
  // Where each sample's text cell begins (top left), in the sample area.
  static constexpr std::array<QPoint, 3> kSamplePlaces{QPoint(10, 4), QPoint(10, 42),
                                                       QPoint(10, 82)};

  explicit LyricPreview(QWidget* parent = nullptr);

  // The face of the lyric font ("" the screen's default face); the sample font is made again.
  void SetFace(const QString& face);
  // Male, female and duet colours, 0x00BBGGRR.
  void SetColors(uint32_t male, uint32_t female, uint32_t duet);
  void SetShadow(bool on);
  const QFont& SampleFont() const { return font_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QFont font_;
  std::array<uint32_t, 3> colors_{0xEE0000, 0x1E1EFF, 0xFF32FF};
  bool shadow_ = true;
};

// A bold antialiased font of the face whose text cell (ascent + descent) is `cellHeight` pixels.
QFont MakeCellFont(const QString& face, int cellHeight);

}  // namespace lyrovox

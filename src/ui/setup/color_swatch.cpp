#include "ui/setup/color_swatch.h"

namespace lyrovox {

QColor ColorFromRef(uint32_t color) {
  return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

uint32_t RefFromColor(const QColor& color) {
  return static_cast<uint32_t>(color.red()) | static_cast<uint32_t>(color.green()) << 8 |
         static_cast<uint32_t>(color.blue()) << 16;
}

}  // namespace lyrovox

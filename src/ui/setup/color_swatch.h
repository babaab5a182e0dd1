#pragma once

// The setup pages' colours: 0x00BBGGRR, as the settings hold them, shown on CMyButton swatches.

#include <QColor>
#include <cstdint>

#include "ui/panel/skin_buttons.h"

namespace lyrovox {

QColor ColorFromRef(uint32_t color);
uint32_t RefFromColor(const QColor& color);

}  // namespace lyrovox

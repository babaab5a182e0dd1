#pragma once

// Small helpers for the screen's text fields and colours.

#include <QColor>
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

#include "controller/qt_text.h"

namespace lyrovox {

// The text cut to capacity - 1 units (one unit stays for the terminator of the fixed field it
// models). A cut never leaves the first half of a surrogate pair at the end.
inline std::u16string CutText(std::u16string_view text, size_t capacity) {
  if (capacity == 0) return {};
  size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
  if (n < text.size() && n > 0 && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
  return std::u16string(text.substr(0, n));
}

// "F:", "M:" or "D:" in front of a text of at least 3 units names the singer of a line.
inline bool HasSingerMark(std::u16string_view text) {
  return text.size() >= 3 && text[1] == u':' &&
         (text[0] == u'F' || text[0] == u'M' || text[0] == u'D');
}

// Drops a singer mark in place; true when there was one.
inline bool RemoveSingerMark(std::u16string& text) {
  if (!HasSingerMark(text)) return false;
  text.erase(0, 2);
  return true;
}

inline std::u16string WithoutSingerMark(std::u16string_view text) {
  return std::u16string(HasSingerMark(text) ? text.substr(2) : text);
}

// Colours are stored as 0x00BBGGRR, red in the low byte.
inline QRgb RgbOf(uint32_t colorRef) {
  return qRgb(static_cast<int>(colorRef & 0xFF), static_cast<int>((colorRef >> 8) & 0xFF),
              static_cast<int>((colorRef >> 16) & 0xFF));
}

}  // namespace lyrovox

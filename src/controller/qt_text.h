#pragma once

// Between the plain C++ parts' UTF-16 text and QString, without a conversion: both are UTF-16.

#include <QString>
#include <string_view>

namespace lyrovox {

inline QString ToQString(std::u16string_view text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

inline std::u16string_view ViewOf(const QString& text) {
  return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())};
}

}  // namespace lyrovox

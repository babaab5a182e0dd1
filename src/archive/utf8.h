#pragma once

// UTF-8 to UTF-16 and back, for entry names and for the tools' output.

#include <string>
#include <string_view>

namespace lyrovox {

// Bytes that are not UTF-8 become U+FFFD.
std::u16string Utf16FromUtf8(std::string_view text);
// A unit that is half of a broken surrogate pair becomes U+FFFD.
std::string Utf8FromUtf16(std::u16string_view text);

}  // namespace lyrovox

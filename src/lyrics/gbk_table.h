#pragma once

// The GBK double-byte table of code page 936: 24192 UTF-16 values indexed by
// (lead - 0x81) x 192 + (trail - 0x40), for lead bytes 0x81..0xFE and trail bytes 0x40..0xFF;
// 0 where a code has no character. Generated at build time from ICU's code page data.

#include <cstddef>
#include <cstdint>
#include <span>

namespace lyrovox {

inline constexpr size_t kGbkTableSize = 126 * 192;

std::span<const char16_t, kGbkTableSize> GbkTable();

}  // namespace lyrovox

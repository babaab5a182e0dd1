#pragma once

#include <cstdint>

namespace lyrovox {

// Result codes of the file readers, kept bit-for-bit so that callers and tools can print them.
using HResult = int32_t;

inline constexpr HResult kOk = 0;
inline constexpr HResult kFail = static_cast<HResult>(0x80004005u);         // also: short read
inline constexpr HResult kFormatError = static_cast<HResult>(0x8004022Fu);  // malformed file
inline constexpr HResult kNotImplemented = static_cast<HResult>(0x80004001u);

// A system error (errno) as a result code: 0x8007xxxx with the low 16 bits of the error.
inline HResult HResultFromErrno(int error) {
  return static_cast<HResult>(0x80070000u | (static_cast<uint32_t>(error) & 0xFFFFu));
}

}  // namespace lyrovox

#pragma once

// Writes zip archives with minizip's own writer, for tests and fuzzing seeds: ordinary song
// archives and hostile ones (climbing names, links, encrypted entries, odd attributes).

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace lyrovox::ziptest {

inline constexpr int kMadeByDos = 0;
inline constexpr int kMadeByUnix = 3;

struct Entry {
  Entry(std::string entryName, std::string entryData)
      : name(std::move(entryName)), data(std::move(entryData)) {}

  std::string name;  // stored as given (UTF-8)
  std::string data;
  int madeBy = kMadeByDos;
  uint32_t externalAttributes = 0x20;  // DOS: archive
  const char* password = nullptr;      // encrypts the entry with the traditional zip encryption
  bool deflate = true;
  // DOS date and time (local time).
  int year = 2020, month = 5, day = 17, hour = 12, minute = 30, second = 10;
  // The extended timestamp ("UT"): write time, and access/creation time in the local header.
  std::optional<int32_t> utWrite;
  std::optional<int32_t> utAccess;
};

// A Unix mode in the high 16 bits of the external attributes.
inline uint32_t UnixAttributes(uint32_t mode) {
  return mode << 16;
}

bool WriteZip(const std::string& path, const std::vector<Entry>& entries);

}  // namespace lyrovox::ziptest

#pragma once

// Zip song archives: a small handle-based layer over minizip's unzip reader. Song opening
// extracts an archive's first entries into the temporary folder and plays the song it holds.
//
// Every operation stores its result in the process-wide last-result code (ZipLastResult()) and
// also returns it. Extraction never creates or replaces anything outside the target folder:
// entry names lose drive prefixes, leading separators and every "." or ".." component, both "/"
// and "\" separate folders, folders already on disk are entered only when they are real folders
// (never through a symbolic link), and symbolic-link entries are written as ordinary files.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "archive/utf8.h"

namespace lyrovox {

// Last-result codes.
inline constexpr uint32_t kZipOk = 0;
inline constexpr uint32_t kZipCannotCreate = 0x200;    // the output file could not be created
inline constexpr uint32_t kZipWriteFailed = 0x400;     // writing the output file failed
inline constexpr uint32_t kZipBadLocalHeader = 0x700;  // the entry's local header is not valid
inline constexpr uint32_t kZipSeekFailed = 0x800;      // seeking to the entry's data failed
inline constexpr uint32_t kZipWrongPassword = 0x1000;  // wrong (or missing) password
inline constexpr uint32_t kZipBadArgument = 0x10000;   // no handle, index out of range, no target
inline constexpr uint32_t kZipNotZipHandle = 0x80000;  // the handle is not a zip archive handle
inline constexpr uint32_t kZipInflateFailed = 0x5000000;  // decompression failed

// Entry attributes, with the values of the DOS attribute byte.
inline constexpr uint32_t kZipAttrReadOnly = 0x01;
inline constexpr uint32_t kZipAttrHidden = 0x02;
inline constexpr uint32_t kZipAttrSystem = 0x04;
inline constexpr uint32_t kZipAttrDirectory = 0x10;
inline constexpr uint32_t kZipAttrArchive = 0x20;

inline constexpr int kZipHandleKindArchive = 1;

// The password song opening gives every archive it opens.
inline constexpr const char* kSongArchivePassword = "qedr";

struct ZipEntryInfo {
  // The entry's index; for a request of index -1, the number of entries.
  int32_t index = 0;
  // The stored UTF-8 name made safe (see MakeSafeEntryName).
  std::u16string name;
  uint32_t attributes = 0;
  // Seconds since 1970-01-01 UTC.
  int64_t creationTime = 0;
  int64_t accessTime = 0;
  int64_t writeTime = 0;
  uint64_t compressedSize = 0;
  uint64_t uncompressedSize = 0;
};

struct ZipHandle;

// Opens an archive file read-only. `password` may be null or empty (none). Null on failure.
ZipHandle* OpenZipArchive(const std::string& path, const char* password);
// Fills `info` for entry `index`; index -1 gives the entry count in info->index.
uint32_t GetZipEntry(ZipHandle* handle, int32_t index, ZipEntryInfo* info);
// The folder that entries are extracted under (created when missing).
uint32_t SetZipTargetFolder(ZipHandle* handle, const std::string& folder);
// Extracts entry `index` to `name` under the target folder; a directory entry creates the
// folder. The output file always replaces an existing one and gets the entry's times.
uint32_t ExtractZipEntry(ZipHandle* handle, int32_t index, std::u16string_view name);
// Closes the open entry and the archive and frees the handle.
uint32_t CloseZipArchive(ZipHandle* handle);
uint32_t ZipLastResult();

// The entry name as it is shown and extracted: drive prefixes, leading separators and
// everything up to a "/../"-like group dropped over and over, then every empty, "." and ".."
// component removed; folders are joined with "/". Empty when nothing is left.
std::u16string MakeSafeEntryName(std::u16string_view stored);

// Owns an open archive handle.
struct ZipArchiveCloser {
  void operator()(ZipHandle* handle) const { CloseZipArchive(handle); }
};
using ZipArchivePtr = std::unique_ptr<ZipHandle, ZipArchiveCloser>;

}  // namespace lyrovox

#pragma once

// Read-only view of a whole regular file, mapped into memory. The file handle is closed as soon
// as the mapping exists; the bytes stay valid for the life of the object.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "lyrics/hresult.h"

namespace lyrovox {

class MappedFile {
 public:
  explicit MappedFile(const std::string& path);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // kOk, or the system error of the failed open as a result code.
  HResult result() const { return result_; }
  bool ok() const { return result_ == kOk; }
  std::span<const uint8_t> bytes() const { return {data_, size_}; }

 private:
  HResult result_ = kOk;
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  bool mapped_ = false;
};

}  // namespace lyrovox

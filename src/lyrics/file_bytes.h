#pragma once

// Reading a lyric file's bytes into memory, whole or its tail, with the readers' result codes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "lyrics/hresult.h"

namespace lyrovox {

// Owns a file descriptor.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd = -1) : fd_(fd) {}
  ~FileDescriptor();
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  void reset(int fd);

 private:
  int fd_;
};

// Opens a regular file for reading and gives its size. Non-blocking, so that a FIFO given as a
// song cannot hang a reader; any other kind of path fails (EISDIR or EINVAL). kOk, or the system
// error as a result code.
HResult OpenRegularFile(const std::string& path, FileDescriptor& fd, uint64_t& size);

// Reads the whole regular file. kOk; the system error of a failed open or size query (a path
// that is not a regular file gives EISDIR or EINVAL); kFail when fewer bytes than the file's size
// could be read. `out` holds what was read.
HResult ReadFileBytes(const std::string& path, std::vector<uint8_t>& out);

// Reads the last `maxBytes` bytes of the regular file (the whole file when it is shorter), with
// the result codes of ReadFileBytes.
HResult ReadFileTail(const std::string& path, size_t maxBytes, std::vector<uint8_t>& out);

}  // namespace lyrovox

#include "lyrics/mapped_file.h"

#include <sys/mman.h>

#include <cerrno>

#include "lyrics/file_bytes.h"

namespace lyrovox {

MappedFile::MappedFile(const std::string& path) {
  FileDescriptor fd;
  uint64_t size = 0;
  result_ = OpenRegularFile(path, fd, size);
  if (result_ != kOk || size == 0) return;
  if (size > SIZE_MAX) {
    result_ = HResultFromErrno(EFBIG);
    return;
  }
  void* p = ::mmap(nullptr, static_cast<size_t>(size), PROT_READ, MAP_PRIVATE, fd.get(), 0);
  if (p == MAP_FAILED) {
    result_ = HResultFromErrno(errno);
    return;
  }
  data_ = static_cast<const uint8_t*>(p);
  size_ = static_cast<size_t>(size);
  mapped_ = true;
}

MappedFile::~MappedFile() {
  if (mapped_) ::munmap(const_cast<uint8_t*>(data_), size_);
}

}  // namespace lyrovox

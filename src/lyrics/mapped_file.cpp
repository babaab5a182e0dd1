#include "lyrics/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace lyrovox {

MappedFile::MappedFile(const std::string& path) {
  // Non-blocking, so that a FIFO given as a song cannot hang the reader.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    result_ = HResultFromErrno(errno);
    return;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    result_ = HResultFromErrno(errno);
  } else if (!S_ISREG(info.st_mode)) {
    result_ = HResultFromErrno(S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
  } else if (info.st_size > 0) {
    void* p = ::mmap(nullptr, static_cast<size_t>(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (p == MAP_FAILED) {
      result_ = HResultFromErrno(errno);
    } else {
      data_ = static_cast<const uint8_t*>(p);
      size_ = static_cast<size_t>(info.st_size);
      mapped_ = true;
    }
  }
  ::close(fd);
}

MappedFile::~MappedFile() {
  if (mapped_) ::munmap(const_cast<uint8_t*>(data_), size_);
}

}  // namespace lyrovox

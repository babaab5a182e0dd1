#include "lyrics/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace lyrovox {

namespace {

// Reads the whole file, or with `tail` its last `maxBytes` bytes, into out; kFail when the file
// ends early.
HResult ReadRange(const std::string& path, bool tail, size_t maxBytes, std::vector<uint8_t>& out) {
  out.clear();
  FileDescriptor fd;
  uint64_t size = 0;
  if (HResult r = OpenRegularFile(path, fd, size); r != kOk) return r;
  uint64_t offset = 0;
  uint64_t length = size;
  if (tail && size > maxBytes) {
    offset = size - maxBytes;
    length = maxBytes;
  }
  if (length > SIZE_MAX / 2) return HResultFromErrno(EFBIG);
  out.resize(static_cast<size_t>(length));
  size_t done = 0;
  while (done < out.size()) {
    const ssize_t n =
        ::pread(fd.get(), out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  if (done < out.size()) {
    out.resize(done);
    return kFail;
  }
  return kOk;
}

}  // namespace

FileDescriptor::~FileDescriptor() {
  reset(-1);
}

void FileDescriptor::reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

HResult OpenRegularFile(const std::string& path, FileDescriptor& fd, uint64_t& size) {
  fd.reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) return HResultFromErrno(errno);
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) return HResultFromErrno(errno);
  if (!S_ISREG(info.st_mode)) return HResultFromErrno(S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
  size = static_cast<uint64_t>(info.st_size);
  return kOk;
}

HResult ReadFileBytes(const std::string& path, std::vector<uint8_t>& out) {
  return ReadRange(path, false, 0, out);
}

HResult ReadFileTail(const std::string& path, size_t maxBytes, std::vector<uint8_t>& out) {
  return ReadRange(path, true, maxBytes, out);
}

}  // namespace lyrovox

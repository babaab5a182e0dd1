#include "archive/contained_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace lyrovox {

UniqueFd::~UniqueFd() {
  Close();
}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.release();
  }
  return *this;
}

bool UniqueFd::Close() {
  if (fd_ < 0) return true;
  const int result = ::close(fd_);
  fd_ = -1;
  return result == 0;
}

UniqueFd OpenRootFolder(const std::string& root) {
  if (root.empty()) return UniqueFd();
  std::error_code ignored;
  std::filesystem::create_directories(root, ignored);
  return UniqueFd(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

UniqueFd OpenFolderChain(const UniqueFd& root, const std::vector<std::string>& parts) {
  if (!root.valid()) return UniqueFd();
  UniqueFd current(::dup(root.get()));
  for (const std::string& part : parts) {
    if (::mkdirat(current.get(), part.c_str(), 0755) != 0 && errno != EEXIST) return UniqueFd();
    // A link in place of a folder would lead elsewhere: refuse it.
    UniqueFd next(
        ::openat(current.get(), part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!next.valid()) return UniqueFd();
    current = std::move(next);
  }
  return current;
}

UniqueFd CreateReplacingFile(const UniqueFd& folder, const std::string& leaf) {
  if (!folder.valid() || leaf.empty()) return UniqueFd();
  struct stat info {};
  if (::fstatat(folder.get(), leaf.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
    if (S_ISDIR(info.st_mode)) return UniqueFd();
    // Replace the old file (or link) itself, never what a link points at.
    if (::unlinkat(folder.get(), leaf.c_str(), 0) != 0) return UniqueFd();
  }
  return UniqueFd(::openat(folder.get(), leaf.c_str(),
                           O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
}

std::vector<std::string> SplitRelativeName(std::string_view name) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find('/', start);
    if (end == std::string_view::npos) end = name.size();
    const std::string_view part = name.substr(start, end - start);
    if (!part.empty() && part != "." && part != "..") parts.emplace_back(part);
    start = end + 1;
  }
  return parts;
}

}  // namespace lyrovox

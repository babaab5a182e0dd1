#pragma once

// Creating folders and files below one root folder without ever leaving it: every step is taken
// relative to an open folder descriptor, and no symbolic link on disk is followed.

#include <string>
#include <string_view>
#include <vector>

namespace lyrovox {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd();
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  // Closes now; false when the close reported an error (a failed delayed write).
  bool Close();

 private:
  int fd_ = -1;
};

// The root is created (with its parents) when it does not exist. Invalid when it cannot be.
UniqueFd OpenRootFolder(const std::string& root);
// Enters (creating where missing) each folder of `parts` below `root`. Invalid when a part
// exists but is not a real folder.
UniqueFd OpenFolderChain(const UniqueFd& root, const std::vector<std::string>& parts);
// Creates `leaf` in `folder` for writing, replacing a file (or link) of that name.
UniqueFd CreateReplacingFile(const UniqueFd& folder, const std::string& leaf);

// Splits a safe "/"-separated relative name into its parts.
std::vector<std::string> SplitRelativeName(std::string_view name);

}  // namespace lyrovox

#pragma once

// A folder of the fuzzing process's own under the temporary folder, removed with everything in
// it when the process exits.

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace lyrovox::fuzzing {

class PrivateFolder {
 public:
  explicit PrivateFolder(const char* prefix)
      : path_(
            (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string()) {
    if (::mkdtemp(path_.data()) == nullptr) __builtin_trap();
  }
  ~PrivateFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace lyrovox::fuzzing

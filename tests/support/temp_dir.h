#pragma once

// A fresh folder under the system's temporary folder, removed with everything in it at the end.

#include <string>
#include <string_view>

namespace lyrovox::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path()/name
  std::string File(std::string_view name) const;
  // Writes bytes to path()/name and returns the full path.
  std::string Write(std::string_view name, std::string_view bytes) const;

 private:
  std::string path_;
};

}  // namespace lyrovox::testing

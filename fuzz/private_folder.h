#pragma once

// A folder of the fuzzing process's own under the temporary folder, made once per run.

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace lyrovox::fuzzing {

inline std::string MakePrivateFolder(const char* prefix) {
  std::string pattern =
      (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) __builtin_trap();
  return pattern;
}

}  // namespace lyrovox::fuzzing

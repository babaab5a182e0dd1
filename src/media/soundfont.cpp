#include "media/soundfont.h"

#include <glib.h>

#include <filesystem>
#include <system_error>

namespace lyrovox {

namespace {

std::string FindSoundfont() {
  static constexpr const char* kNames[] = {"sounds/sf2/default-GM.sf2", "sounds/sf2/FluidR3_GM.sf2",
                                           "sounds/sf2/TimGM6mb.sf2", "sounds/sf3/default-GM.sf3"};
  const gchar* const* dirs = g_get_system_data_dirs();
  for (const char* name : kNames) {
    for (const gchar* const* dir = dirs; dir != nullptr && *dir != nullptr; ++dir) {
      std::error_code error;
      const std::filesystem::path path = std::filesystem::path(*dir) / name;
      if (std::filesystem::is_regular_file(path, error)) return path.string();
    }
  }
  return {};
}

}  // namespace

const std::string& GeneralMidiSoundfont() {
  static const std::string path = FindSoundfont();
  return path;
}

}  // namespace lyrovox

#include "media/gst_handles.h"

#include <mutex>

namespace lyrovox::gst {

bool EnsureInitialized() {
  static std::once_flag once;
  static bool started = false;
  std::call_once(once, [] { started = gst_init_check(nullptr, nullptr, nullptr) != FALSE; });
  return started;
}

}  // namespace lyrovox::gst

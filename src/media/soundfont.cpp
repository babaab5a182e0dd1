#include "media/soundfont.h"

#include <glib.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>

#include "media/gst_handles.h"

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

// A synthesiser element holding the soundfont, made and kept paused on a thread of its own.
class SoundfontKeeper {
 public:
  void Start() {
    std::call_once(started_, [this] {
      {
        std::lock_guard lock(mutex_);
        loading_ = true;
      }
      thread_ = std::thread([this] {
        Load();
        {
          std::lock_guard lock(mutex_);
          loading_ = false;
        }
        loaded_.notify_all();
      });
    });
  }

  // A synthesiser made while the soundfont is still loading would load all of it again.
  void WaitWhileLoading(std::chrono::milliseconds bound) {
    std::unique_lock lock(mutex_);
    loaded_.wait_for(lock, bound, [this] { return !loading_; });
  }

  ~SoundfontKeeper() {
    if (thread_.joinable()) thread_.join();
    if (synth_) gst_element_set_state(synth_.get(), GST_STATE_NULL);
  }

 private:
  void Load() {
    const std::string& soundfont = GeneralMidiSoundfont();
    if (soundfont.empty() || !gst::EnsureInitialized()) return;
    gst::ElementPtr synth = gst::MakeElement("fluiddec");
    if (!synth) return;
    g_object_set(synth.get(), "soundfont", soundfont.c_str(), nullptr);
    // The synthesiser loads its soundfont on the way to the paused state.
    if (gst_element_set_state(synth.get(), GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
      gst_element_set_state(synth.get(), GST_STATE_NULL);
      return;
    }
    synth_ = std::move(synth);
  }

  std::once_flag started_;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable loaded_;
  bool loading_ = false;
  gst::ElementPtr synth_;  // written by the thread, read after it has been joined
};

SoundfontKeeper& Keeper() {
  static SoundfontKeeper keeper;
  return keeper;
}

}  // namespace

const std::string& GeneralMidiSoundfont() {
  static const std::string path = FindSoundfont();
  return path;
}

void PreloadGeneralMidiSoundfont() {
  Keeper().Start();
}

void WaitForPreloadedSoundfont() {
  Keeper().WaitWhileLoading(std::chrono::seconds(5));
}

}  // namespace lyrovox

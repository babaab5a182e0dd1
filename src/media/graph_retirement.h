#pragma once

// Pipelines the players are done with are taken down on a thread of their own: stopping a
// pipeline waits for its streaming threads (and a synthesiser frees its instruments), which the
// user-interface thread must not wait for. A picture pipeline may instead be parked: paused at
// its start, ready to play again at once.

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "media/gst_handles.h"

namespace lyrovox {

class GraphRetirement {
 public:
  // The process's one worker.
  static GraphRetirement& Instance();
  ~GraphRetirement();
  GraphRetirement(const GraphRetirement&) = delete;
  GraphRetirement& operator=(const GraphRetirement&) = delete;

  // Stops the pipeline, drops what its bus still holds and lets it go.
  void Retire(gst::ElementPtr pipeline);
  // Pauses the pipeline at its start; ready is set once it is prerolled there (or could not be).
  void Park(gst::ElementPtr pipeline, std::shared_ptr<std::atomic<bool>> ready);
  // Returns once everything handed over so far is done.
  void Drain();

 private:
  GraphRetirement();
  void Run();
  void Post(std::function<void()> job);

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::deque<std::function<void()>> jobs_;
  bool busy_ = false;
  bool quit_ = false;
  std::thread thread_;
};

// Waits until every retired pipeline is gone (tests counting descriptors, players going away).
inline void DrainRetiredGraphs() {
  GraphRetirement::Instance().Drain();
}

}  // namespace lyrovox

#include "media/graph_retirement.h"

namespace lyrovox {

namespace {

// How long a parked pipeline may take to preroll at its start.
constexpr GstClockTime kParkTimeout = 3 * GST_SECOND;

}  // namespace

GraphRetirement& GraphRetirement::Instance() {
  static GraphRetirement instance;
  return instance;
}

GraphRetirement::GraphRetirement() : thread_([this] { Run(); }) {}

GraphRetirement::~GraphRetirement() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void GraphRetirement::Post(std::function<void()> job) {
  {
    std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(job));
  }
  wake_.notify_one();
}

void GraphRetirement::Retire(gst::ElementPtr pipeline) {
  if (!pipeline) return;
  // The job owns the pipeline; std::function needs a copyable callable.
  std::shared_ptr<GstElement> owned(pipeline.release(), [](GstElement* e) { gst_object_unref(e); });
  Post([owned] {
    gst_element_set_state(owned.get(), GST_STATE_NULL);
    // Without a handler the bus keeps what is posted, and the pipeline's own messages hold the
    // pipeline: they are dropped, or the pipeline would never be freed.
    gst::BusPtr bus(gst_element_get_bus(owned.get()));
    gst_bus_set_flushing(bus.get(), TRUE);
  });
}

void GraphRetirement::Park(gst::ElementPtr pipeline, std::shared_ptr<std::atomic<bool>> ready) {
  if (!pipeline) return;
  std::shared_ptr<GstElement> owned(pipeline.release(), [](GstElement* e) { gst_object_unref(e); });
  Post([owned, ready] {
    GstElement* p = owned.get();
    // Nothing listens while it is parked: what it posts is dropped.
    gst::BusPtr bus(gst_element_get_bus(p));
    gst_bus_set_flushing(bus.get(), TRUE);
    if (gst_element_set_state(p, GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE) {
      gst_element_get_state(p, nullptr, nullptr, kParkTimeout);
      const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_KEY_UNIT);
      gst_element_seek_simple(p, GST_FORMAT_TIME, flags, 0);
      gst_element_get_state(p, nullptr, nullptr, kParkTimeout);
    }
    ready->store(true);
  });
}

void GraphRetirement::Drain() {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [this] { return jobs_.empty() && !busy_; });
}

void GraphRetirement::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return quit_ || !jobs_.empty(); });
    if (jobs_.empty()) return;  // quitting with nothing left
    std::function<void()> job = std::move(jobs_.front());
    jobs_.pop_front();
    busy_ = true;
    lock.unlock();
    job();
    job = nullptr;  // the last reference to the pipeline goes here, off the caller's thread
    lock.lock();
    busy_ = false;
    if (jobs_.empty()) idle_.notify_all();
  }
}

}  // namespace lyrovox

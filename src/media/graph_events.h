#pragma once

// Graph events from GStreamer's streaming threads to the user-interface thread. The bus hands
// each message to a sync handler on the thread that posts it; the handler queues a code and posts
// one notice to a relay object on the user-interface thread. There the graph's owner sees each
// code first (a start that finished, a preroll, an error while starting) and says which go on to
// the receiver: those are queued for it and the player's private event (0x466 or 0x464) is posted
// to it. The receiver then drains them with GetEvent, as a window drains its graph's events.
// Codes of a pipeline already closed are dropped.

#include <gst/gst.h>

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "controller/ports.h"

namespace lyrovox {

// Graph event codes besides those of ports.h, seen by the graph's owner only: the pipeline
// finished an asynchronous state change (a preroll, the end of a flushing seek), and the pipeline
// itself reached the playing state.
inline constexpr int32_t kGraphEventAsyncDone = 0x200;
inline constexpr int32_t kGraphEventPlaying = 0x201;

class GraphEvents : public QObject {
 public:
  // eventType: the private event posted to the receiver.
  explicit GraphEvents(int eventType);
  ~GraphEvents() override;

  // Starts taking the messages of a new pipeline's bus (pipeline: the one whose own state changes
  // count); ends any earlier one. Codes for the receiver go to receiver.
  void Attach(GstBus* bus, GstElement* pipeline, QObject* receiver);
  // Stops taking messages and forgets the codes not yet delivered.
  void Detach();
  // The owner's look at every code, on the user-interface thread: true sends it on to the
  // receiver. Without one every code goes on.
  void SetFilter(std::function<bool(int32_t)> filter) { filter_ = std::move(filter); }
  // Queues a code for a receiver and posts it the private event (user-interface thread).
  void Deliver(QObject* receiver, int32_t code);
  QObject* receiver() const { return receiver_; }

  // The next undelivered code, without waiting.
  bool GetEvent(int32_t& code);
  // True once the current pipeline reported an error.
  bool errorSeen() const;
  // Why the current pipeline (or the last one, once detached) failed, in the user's words: "file
  // not found", "not a song file", "damaged", or "no decoder for its format" naming what is
  // missing. Empty when it reported no error.
  std::string failure() const;
  // How often the current pipeline finished an asynchronous state change.
  uint64_t asyncDoneCount() const;

 protected:
  bool event(QEvent* e) override;

 private:
  struct Channel;
  static GstBusSyncReply OnMessage(GstBus* bus, GstMessage* message, gpointer channel);
  static void ReleaseChannel(gpointer channel);

  const int eventType_;
  QPointer<QObject> receiver_;
  std::shared_ptr<Channel> channel_;
  GstBus* bus_ = nullptr;  // owned reference while attached
  std::function<bool(int32_t)> filter_;
  std::deque<int32_t> delivered_;  // for the receiver, user-interface thread only
  std::string lastFailure_;        // the detached pipeline's failure
};

}  // namespace lyrovox

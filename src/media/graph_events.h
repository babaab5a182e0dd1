#pragma once

// Graph events from GStreamer's streaming threads to the user-interface thread. The bus hands
// each message to a sync handler on the thread that posts it; the handler queues the event code
// and posts one notice to a relay object on the user-interface thread, which posts the player's
// private event (0x466 or 0x464) to the receiver. The receiver then drains the codes with
// GetEvent, as a window drains its graph's events. Codes of a pipeline already closed are dropped.

#include <gst/gst.h>

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

namespace lyrovox {

// Graph event codes.
inline constexpr int32_t kGraphEventComplete = 1;
inline constexpr int32_t kGraphEventUserAbort = 2;
inline constexpr int32_t kGraphEventErrorAbort = 3;

class GraphEvents : public QObject {
 public:
  // eventType: the private event posted to the receiver for each graph event.
  explicit GraphEvents(int eventType);
  ~GraphEvents() override;

  // Starts delivering the events of a new pipeline's bus to receiver; ends any earlier one.
  void Attach(GstBus* bus, QObject* receiver);
  // Stops delivering and forgets undelivered codes.
  void Detach();

  // The next undelivered code, without waiting.
  bool GetEvent(int32_t& code);
  // True once the current pipeline reported an error (read while waiting for a state).
  bool errorSeen() const;
  // How often the current pipeline finished an asynchronous state change (a preroll, the end of
  // a flushing seek).
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
};

}  // namespace lyrovox

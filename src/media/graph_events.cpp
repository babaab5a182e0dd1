#include "media/graph_events.h"

#include <gst/pbutils/pbutils.h>

#include <QCoreApplication>
#include <QEvent>

namespace lyrovox {

namespace {

// The relay's own notice type, private to this file.
const QEvent::Type kRelayNotice = static_cast<QEvent::Type>(QEvent::registerEventType());

constexpr char kNoDecoder[] = "no decoder for its format";

// An error of the pipeline in the user's words.
std::string FailureOf(const GError* error, const std::string& missing) {
  if (error == nullptr) return "damaged";
  if (error->domain == GST_RESOURCE_ERROR && (error->code == GST_RESOURCE_ERROR_NOT_FOUND ||
                                              error->code == GST_RESOURCE_ERROR_OPEN_READ)) {
    return "file not found";
  }
  if (error->domain == GST_STREAM_ERROR && (error->code == GST_STREAM_ERROR_TYPE_NOT_FOUND ||
                                            error->code == GST_STREAM_ERROR_WRONG_TYPE)) {
    return "not a song file";
  }
  if ((error->domain == GST_STREAM_ERROR && error->code == GST_STREAM_ERROR_CODEC_NOT_FOUND) ||
      (error->domain == GST_CORE_ERROR && error->code == GST_CORE_ERROR_MISSING_PLUGIN) ||
      !missing.empty()) {
    return missing.empty()
               ? kNoDecoder
               : std::string(kNoDecoder) + " (missing GStreamer element: " + missing + ")";
  }
  return "damaged";
}

// What a missing-plugin message says is missing: the element's description and the format.
std::string MissingElement(GstMessage* message) {
  std::string missing;
  if (gchar* description = gst_missing_plugin_message_get_description(message)) {
    missing = description;
    g_free(description);
  }
  const GstStructure* s = gst_message_get_structure(message);
  const GValue* detail = s != nullptr ? gst_structure_get_value(s, "detail") : nullptr;
  if (detail != nullptr && GST_VALUE_HOLDS_CAPS(detail)) {
    const GstCaps* caps = gst_value_get_caps(detail);
    if (caps != nullptr && gst_caps_get_size(caps) > 0) {
      const char* format = gst_structure_get_name(gst_caps_get_structure(caps, 0));
      if (format != nullptr && missing.find(format) == std::string::npos)
        missing += missing.empty() ? format : std::string(" for ") + format;
    }
  }
  return missing;
}

}  // namespace

// State shared between the bus's sync handler (any thread) and the player (UI thread).
struct GraphEvents::Channel {
  std::mutex mutex;
  bool open = true;
  bool errorSeen = false;
  std::string missing;  // what a missing-plugin message named
  std::string failure;  // the first error, in the user's words
  uint64_t asyncDone = 0;
  std::deque<int32_t> codes;
  GstElement* pipeline = nullptr;  // compared only, never used
  GraphEvents* relay = nullptr;    // valid while open
};

GraphEvents::GraphEvents(int eventType) : eventType_(eventType) {}

GraphEvents::~GraphEvents() {
  Detach();
}

void GraphEvents::Attach(GstBus* bus, GstElement* pipeline, QObject* receiver) {
  Detach();
  lastFailure_.clear();
  // The descriptions of missing elements come from the plugins base utilities.
  static const bool pbutils = [] {
    gst_pb_utils_init();
    return true;
  }();
  (void)pbutils;
  receiver_ = receiver;
  channel_ = std::make_shared<Channel>();
  channel_->relay = this;
  channel_->pipeline = pipeline;
  bus_ = GST_BUS(gst_object_ref(bus));
  gst_bus_set_sync_handler(bus_, &GraphEvents::OnMessage, new std::shared_ptr<Channel>(channel_),
                           &GraphEvents::ReleaseChannel);
}

void GraphEvents::Detach() {
  if (channel_) {
    std::lock_guard lock(channel_->mutex);
    lastFailure_ = channel_->failure;
    channel_->open = false;
    channel_->relay = nullptr;
    channel_->codes.clear();
  }
  if (bus_ != nullptr) {
    gst_bus_set_sync_handler(bus_, nullptr, nullptr, nullptr);
    gst_object_unref(bus_);
    bus_ = nullptr;
  }
  channel_.reset();
  receiver_ = nullptr;
  delivered_.clear();
}

void GraphEvents::Deliver(QObject* receiver, int32_t code) {
  if (receiver == nullptr) return;
  delivered_.push_back(code);
  QCoreApplication::postEvent(receiver, new QEvent(static_cast<QEvent::Type>(eventType_)));
}

bool GraphEvents::GetEvent(int32_t& code) {
  if (delivered_.empty()) return false;
  code = delivered_.front();
  delivered_.pop_front();
  return true;
}

std::string GraphEvents::failure() const {
  if (!channel_) return lastFailure_;
  std::lock_guard lock(channel_->mutex);
  return channel_->failure;
}

bool GraphEvents::errorSeen() const {
  if (!channel_) return false;
  std::lock_guard lock(channel_->mutex);
  return channel_->errorSeen;
}

uint64_t GraphEvents::asyncDoneCount() const {
  if (!channel_) return 0;
  std::lock_guard lock(channel_->mutex);
  return channel_->asyncDone;
}

bool GraphEvents::event(QEvent* e) {
  if (e->type() != kRelayNotice) return QObject::event(e);
  // The notices of a channel closed since were posted for codes already dropped.
  while (channel_) {
    int32_t code = 0;
    {
      std::lock_guard lock(channel_->mutex);
      if (channel_->codes.empty()) break;
      code = channel_->codes.front();
      channel_->codes.pop_front();
    }
    // The filter may close the pipeline (and so this channel) or start another.
    const QPointer<QObject> receiver = receiver_;
    if (!filter_ || filter_(code)) Deliver(receiver, code);
  }
  return true;
}

GstBusSyncReply GraphEvents::OnMessage(GstBus*, GstMessage* message, gpointer data) {
  Channel& channel = **static_cast<std::shared_ptr<Channel>*>(data);
  int32_t code = 0;
  switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS:
      code = kGraphEventComplete;
      break;
    case GST_MESSAGE_ERROR: {
      code = kGraphEventErrorAbort;
      GError* error = nullptr;
      gst_message_parse_error(message, &error, nullptr);
      {
        std::lock_guard lock(channel.mutex);
        if (channel.failure.empty()) channel.failure = FailureOf(error, channel.missing);
      }
      if (error != nullptr) g_error_free(error);
      break;
    }
    case GST_MESSAGE_ELEMENT:
      if (gst_is_missing_plugin_message(message)) {
        std::string missing = MissingElement(message);
        std::lock_guard lock(channel.mutex);
        if (channel.missing.empty()) channel.missing = std::move(missing);
      }
      break;
    case GST_MESSAGE_REQUEST_STATE: {
      // An element asks from outside for the pipeline to stop (e.g. its window went away).
      GstState wanted = GST_STATE_VOID_PENDING;
      gst_message_parse_request_state(message, &wanted);
      if (wanted <= GST_STATE_READY) code = kGraphEventUserAbort;
      break;
    }
    case GST_MESSAGE_ASYNC_DONE: {
      std::lock_guard lock(channel.mutex);
      ++channel.asyncDone;
      code = kGraphEventAsyncDone;
      break;
    }
    case GST_MESSAGE_STATE_CHANGED: {
      if (GST_MESSAGE_SRC(message) != GST_OBJECT_CAST(channel.pipeline)) break;
      GstState now = GST_STATE_VOID_PENDING;
      gst_message_parse_state_changed(message, nullptr, &now, nullptr);
      if (now == GST_STATE_PLAYING) code = kGraphEventPlaying;
      break;
    }
    default:
      break;
  }
  if (code != 0) {
    std::lock_guard lock(channel.mutex);
    if (code == kGraphEventErrorAbort) channel.errorSeen = true;
    if (channel.open) {
      channel.codes.push_back(code);
      QCoreApplication::postEvent(channel.relay, new QEvent(kRelayNotice));
    }
  }
  // Nothing else reads this bus: every message ends here. A dropped message is the handler's to
  // release; kept, it would hold its element, and so the whole pipeline, for ever.
  gst_message_unref(message);
  return GST_BUS_DROP;
}

void GraphEvents::ReleaseChannel(gpointer data) {
  delete static_cast<std::shared_ptr<Channel>*>(data);
}

}  // namespace lyrovox

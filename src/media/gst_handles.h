#pragma once

// Small owners for GStreamer and GLib handles: each releases its handle exactly once.

#include <glib.h>
#include <gst/gst.h>

#include <memory>

namespace lyrovox::gst {

struct ObjectUnref {
  void operator()(gpointer object) const { gst_object_unref(object); }
};
struct CapsUnref {
  void operator()(GstCaps* caps) const { gst_caps_unref(caps); }
};
struct SampleUnref {
  void operator()(GstSample* sample) const { gst_sample_unref(sample); }
};
struct ErrorFree {
  void operator()(GError* error) const { g_error_free(error); }
};
struct GFree {
  void operator()(gpointer memory) const { g_free(memory); }
};

// A GstObject (element, pad, bus, device, provider) owned by one reference.
template <class T>
using ObjectPtr = std::unique_ptr<T, ObjectUnref>;
using ElementPtr = ObjectPtr<GstElement>;
using PadPtr = ObjectPtr<GstPad>;
using BusPtr = ObjectPtr<GstBus>;
using CapsPtr = std::unique_ptr<GstCaps, CapsUnref>;
using SamplePtr = std::unique_ptr<GstSample, SampleUnref>;
using ErrorPtr = std::unique_ptr<GError, ErrorFree>;
using CharPtr = std::unique_ptr<gchar, GFree>;

// Takes a floating reference (a new element) so that the owner holds a plain one.
inline ElementPtr AdoptElement(GstElement* element) {
  if (element != nullptr) gst_object_ref_sink(element);
  return ElementPtr(element);
}

// Makes an element of a factory, or null when the plugin is missing.
inline ElementPtr MakeElement(const char* factory, const char* name = nullptr) {
  return AdoptElement(gst_element_factory_make(factory, name));
}

// A mapped buffer, unmapped when the owner goes.
class BufferMap {
 public:
  BufferMap(GstBuffer* buffer, GstMapFlags flags) : buffer_(buffer) {
    mapped_ = buffer_ != nullptr && gst_buffer_map(buffer_, &info_, flags);
  }
  ~BufferMap() {
    if (mapped_) gst_buffer_unmap(buffer_, &info_);
  }
  BufferMap(const BufferMap&) = delete;
  BufferMap& operator=(const BufferMap&) = delete;

  bool ok() const { return mapped_; }
  guint8* data() const { return info_.data; }
  gsize size() const { return info_.size; }

 private:
  GstBuffer* buffer_;
  GstMapInfo info_{};
  bool mapped_ = false;
};

// Starts GStreamer once per process; false when it cannot start.
bool EnsureInitialized();

}  // namespace lyrovox::gst

#include "media/media_sinks.h"

#include <cstdlib>

namespace lyrovox {

gst::ElementPtr MakeSinkFromDescription(const char* description) {
  if (description == nullptr || *description == '\0') return nullptr;
  GError* raw = nullptr;
  gst::ElementPtr sink = gst::AdoptElement(gst_parse_bin_from_description(description, TRUE, &raw));
  gst::ErrorPtr error(raw);
  if (!sink || error) return nullptr;
  gst::PadPtr pad(gst_element_get_static_pad(sink.get(), "sink"));
  if (!pad) return nullptr;
  return sink;
}

gst::ElementPtr MakeAudioSink() {
  if (gst::ElementPtr sink = MakeSinkFromDescription(std::getenv("LYROVOX_AUDIO_SINK"))) {
    return sink;
  }
  return gst::MakeElement("autoaudiosink");
}

gst::ElementPtr MakeVideoSinkOverride() {
  return MakeSinkFromDescription(std::getenv("LYROVOX_VIDEO_SINK"));
}

}  // namespace lyrovox

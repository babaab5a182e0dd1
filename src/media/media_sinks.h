#pragma once

// Where sound and picture go. A desktop gets its default audio device and the picture in the
// video area; tests, CI and measurements pick other sinks through the environment:
//   LYROVOX_AUDIO_SINK  a gst-launch description of the sound's sink, e.g. "fakesink sync=true"
//   LYROVOX_VIDEO_SINK  unset or "auto": on X the first of xvimagesink, glimagesink and
//                       ximagesink that starts draws the picture into the video area's window;
//                       one of them (or a description ending in one) names it; "area": the video
//                       area draws the picture itself; any other gst-launch description takes
//                       the picture instead of the video area

#include "media/gst_handles.h"

namespace lyrovox {

// The sink for decoded sound: LYROVOX_AUDIO_SINK when it parses, else autoaudiosink.
gst::ElementPtr MakeAudioSink();
// The sink from LYROVOX_VIDEO_SINK, or null: the picture then goes to the video area.
gst::ElementPtr MakeVideoSinkOverride();
// A sink for a description: a single element, or a bin with a ghost sink pad. Null when the
// description does not parse or has no sink pad.
gst::ElementPtr MakeSinkFromDescription(const char* description);

}  // namespace lyrovox

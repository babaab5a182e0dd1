#pragma once

// The first Video4Linux camera, for a camera background.

#include <string>

#include "media/gst_handles.h"

namespace lyrovox {

struct Camera {
  gst::ElementPtr source;  // null when there is no camera
  std::string name;        // the device's friendly name
};

Camera OpenFirstCamera();

}  // namespace lyrovox

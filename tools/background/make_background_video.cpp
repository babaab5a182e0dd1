// lyrovox-make-background: writes the default background video "video.mpg".
//
//   lyrovox-make-background OUTPUT [SECONDS]
//
// Soft glows of colour drift over a deep gradient that slowly changes hue. Every motion and colour
// change completes whole cycles in the clip's length, so the last frame leads into the first and
// the looped background shows no jump. MPEG-2 video in an MPEG program stream, 640 x 480, 25 fps.

#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kFps = 25;
constexpr double kTau = 6.283185307179586;

struct Rgb {
  double r, g, b;
};

// A hue on a gentle palette (blues, violets, teals, warm rose), brightness v.
Rgb Palette(double hue, double v) {
  const double r = 0.5 + 0.5 * std::cos(kTau * (hue + 0.00));
  const double g = 0.5 + 0.5 * std::cos(kTau * (hue + 0.33));
  const double b = 0.5 + 0.5 * std::cos(kTau * (hue + 0.67));
  return {v * (0.10 + 0.75 * r), v * (0.05 + 0.60 * g), v * (0.20 + 0.80 * b)};
}

// A glow: its path and colour repeat `cycles` times per clip.
struct Glow {
  double ax, ay;  // reach of the path, as parts of the frame
  int kx, ky;     // whole cycles across and down
  double px, py;  // phases
  double radius;  // as a part of the frame width
  double hue;     // starting hue
  int hueCycles;  // hue turns per clip (may be 0: the hue only sways)
  double strength;
};

const Glow kGlows[] = {
    {0.30, 0.25, 1, 2, 0.0, 0.5, 0.24, 0.60, 1, 0.42},
    {0.35, 0.30, 2, 1, 1.7, 2.1, 0.20, 0.10, 0, 0.36},
    {0.25, 0.35, 1, 1, 3.3, 0.9, 0.28, 0.85, 1, 0.30},
    {0.40, 0.20, 3, 2, 4.4, 5.0, 0.16, 0.35, 0, 0.30},
};

void DrawFrame(int index, int frames, std::vector<uint8_t>& bgrx) {
  const double phase = kTau * index / frames;
  // The gradient: darker at the top, hue swaying once per clip.
  const double baseHue = 0.62 + 0.06 * std::sin(phase);
  std::vector<Rgb> rows(kHeight);
  for (int y = 0; y < kHeight; ++y) {
    const double t = static_cast<double>(y) / (kHeight - 1);
    rows[y] = Palette(baseHue + 0.08 * t, 0.10 + 0.12 * t);
  }
  // Each glow is a separable Gaussian: one factor per column, one per row.
  std::vector<std::vector<double>> gx, gy;
  std::vector<Rgb> colours;
  for (const Glow& glow : kGlows) {
    const double cx = kWidth * (0.5 + glow.ax * std::sin(glow.kx * phase + glow.px));
    const double cy = kHeight * (0.5 + glow.ay * std::sin(glow.ky * phase + glow.py));
    const double sigma = glow.radius * kWidth;
    std::vector<double> fx(kWidth), fy(kHeight);
    for (int x = 0; x < kWidth; ++x)
      fx[x] = std::exp(-std::pow((x - cx) / sigma, 2));
    for (int y = 0; y < kHeight; ++y)
      fy[y] = std::exp(-std::pow((y - cy) / sigma, 2));
    gx.push_back(std::move(fx));
    gy.push_back(std::move(fy));
    const double hue = glow.hue + glow.hueCycles * index / static_cast<double>(frames) +
                       0.05 * std::sin(phase + glow.px);
    const double breathe = 0.85 + 0.15 * std::sin(2 * phase + glow.py);
    colours.push_back(Palette(hue, glow.strength * breathe));
  }
  for (int y = 0; y < kHeight; ++y) {
    uint8_t* line = bgrx.data() + static_cast<size_t>(y) * kWidth * 4;
    for (int x = 0; x < kWidth; ++x) {
      Rgb c = rows[y];
      for (size_t i = 0; i < colours.size(); ++i) {
        const double w = gx[i][x] * gy[i][y];
        c.r += colours[i].r * w;
        c.g += colours[i].g * w;
        c.b += colours[i].b * w;
      }
      // Soft saturation instead of clipping, so bright overlaps stay smooth.
      auto level = [](double v) {
        return static_cast<uint8_t>(std::lround(255.0 * (1.0 - std::exp(-1.6 * v)) / 0.8));
      };
      line[x * 4 + 0] = level(std::min(c.b, 1.0));
      line[x * 4 + 1] = level(std::min(c.g, 1.0));
      line[x * 4 + 2] = level(std::min(c.r, 1.0));
      line[x * 4 + 3] = 255;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  constexpr const char* kUsage = "usage: lyrovox-make-background OUTPUT [SECONDS]\n";
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  // An option it does not know is no file name to write.
  if (argc < 2 || argc > 3 || argv[1][0] == '-') {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const double seconds = argc == 3 ? std::atof(argv[2]) : 20.0;
  if (!(seconds >= 1.0 && seconds <= 600.0)) {
    std::fprintf(stderr, "%s: SECONDS must be between 1 and 600\n", argv[0]);
    return 2;
  }
  gst_init(nullptr, nullptr);
  const std::string description =
      "appsrc name=frames format=time ! videoconvert ! video/x-raw,format=I420 ! "
      "mpeg2enc format=3 bitrate=8000 quantisation=2 aspect=2 ! mpegvideoparse ! avmux_mpeg ! "
      "filesink name=file";
  GError* error = nullptr;
  GstElement* pipeline = gst_parse_launch(description.c_str(), &error);
  if (pipeline == nullptr || error != nullptr) {
    std::fprintf(stderr, "%s: %s\n", argv[0], error != nullptr ? error->message : "no pipeline");
    return 1;
  }
  GstElement* file = gst_bin_get_by_name(GST_BIN(pipeline), "file");
  g_object_set(file, "location", argv[1], nullptr);
  gst_object_unref(file);
  GstElement* source = gst_bin_get_by_name(GST_BIN(pipeline), "frames");
  GstCaps* caps =
      gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGRx", "width", G_TYPE_INT,
                          kWidth, "height", G_TYPE_INT, kHeight, "framerate", GST_TYPE_FRACTION,
                          kFps, 1, "pixel-aspect-ratio", GST_TYPE_FRACTION, 1, 1, nullptr);
  g_object_set(source, "caps", caps, "block", TRUE, "max-bytes", guint64{kWidth * kHeight * 16},
               nullptr);
  gst_caps_unref(caps);
  gst_element_set_state(pipeline, GST_STATE_PLAYING);

  const int frames = static_cast<int>(std::lround(seconds * kFps));
  std::vector<uint8_t> picture(static_cast<size_t>(kWidth) * kHeight * 4);
  bool ok = true;
  for (int i = 0; i < frames && ok; ++i) {
    DrawFrame(i, frames, picture);
    GstBuffer* buffer = gst_buffer_new_memdup(picture.data(), picture.size());
    GST_BUFFER_PTS(buffer) = gst_util_uint64_scale(i, GST_SECOND, kFps);
    GST_BUFFER_DURATION(buffer) = gst_util_uint64_scale(1, GST_SECOND, kFps);
    ok = gst_app_src_push_buffer(GST_APP_SRC(source), buffer) == GST_FLOW_OK;
  }
  gst_app_src_end_of_stream(GST_APP_SRC(source));
  gst_object_unref(source);

  GstBus* bus = gst_element_get_bus(pipeline);
  GstMessage* message = gst_bus_timed_pop_filtered(
      bus, GST_CLOCK_TIME_NONE, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
  if (message == nullptr || GST_MESSAGE_TYPE(message) != GST_MESSAGE_EOS) ok = false;
  if (message != nullptr) gst_message_unref(message);
  gst_object_unref(bus);
  gst_element_set_state(pipeline, GST_STATE_NULL);
  gst_object_unref(pipeline);
  if (!ok) {
    std::fprintf(stderr, "%s: could not write %s\n", argv[0], argv[1]);
    std::remove(argv[1]);
    return 1;
  }
  return 0;
}

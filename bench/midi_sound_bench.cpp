// A MIDI song's sound alone, played in real time to its end, for bench/measure_cpu to weigh:
// the program's own sequencer (the source the audio player builds for MIDI files), or with --old
// the GStreamer MIDI path songs used to take (midiparse ! fluiddec, the same soundfont). Both
// feed the same conversion, tempo and volume chain the audio player puts after a song's decoder,
// into a clock-keeping fakesink. At the end it prints `firstSoundMs: N`, the time from asking the
// pipeline to play to its first buffer reaching the sink: for our sequencer the first MIDI song
// of a process, which makes the synthesiser and loads its instruments.
//
//   bench_midi_sound SONG [--old]

#include <gst/gst.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "media/gst_handles.h"
#include "media/midi_source.h"
#include "media/soundfont.h"

namespace {

constexpr const char* kChain =
    "audioconvert name=first ! audioresample ! audio/x-raw,format=S16LE,channels=2 ! scaletempo "
    "! audioconvert ! audio/x-raw,format=S16LE,channels=2 ! volume ! fakesink name=sink sync=true";

using Clock = std::chrono::steady_clock;
std::atomic<int64_t> firstSoundNs{-1};
Clock::time_point started;

GstPadProbeReturn OnBuffer(GstPad*, GstPadProbeInfo*, gpointer) {
  int64_t none = -1;
  firstSoundNs.compare_exchange_strong(
      none, std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - started).count());
  return GST_PAD_PROBE_REMOVE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || (argc == 3 && std::strcmp(argv[2], "--old") != 0) || argc > 3) {
    std::fprintf(stderr, "usage: bench_midi_sound SONG [--old]\n");
    return 2;
  }
  const std::string song = argv[1];
  const bool old = argc == 3;
  if (!lyrovox::gst::EnsureInitialized()) return 1;

  GError* raw = nullptr;
  lyrovox::gst::ElementPtr pipeline;
  if (old) {
    const std::string description = "filesrc location=\"" + song +
                                    "\" ! midiparse ! fluiddec soundfont=\"" +
                                    lyrovox::GeneralMidiSoundfont() + "\" ! " + kChain;
    pipeline = lyrovox::gst::AdoptElement(gst_parse_launch(description.c_str(), &raw));
  } else {
    pipeline = lyrovox::gst::AdoptElement(gst_parse_launch(kChain, &raw));
    lyrovox::gst::ElementPtr source = lyrovox::MakeMidiSource(song);
    lyrovox::gst::ElementPtr first(pipeline ? gst_bin_get_by_name(GST_BIN(pipeline.get()), "first")
                                            : nullptr);
    if (source && first) {
      gst_bin_add(GST_BIN(pipeline.get()), source.get());
      gst_element_link(source.get(), first.get());
    }
  }
  lyrovox::gst::ErrorPtr error(raw);
  if (!pipeline || error) {
    std::fprintf(stderr, "bench_midi_sound: cannot build the pipeline\n");
    return 1;
  }
  lyrovox::gst::ElementPtr sink(gst_bin_get_by_name(GST_BIN(pipeline.get()), "sink"));
  lyrovox::gst::PadPtr sinkPad(sink ? gst_element_get_static_pad(sink.get(), "sink") : nullptr);
  if (sinkPad) {
    gst_pad_add_probe(sinkPad.get(), GST_PAD_PROBE_TYPE_BUFFER, &OnBuffer, nullptr, nullptr);
  }
  started = Clock::now();
  gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
  lyrovox::gst::BusPtr bus(gst_element_get_bus(pipeline.get()));
  GstMessage* message =
      gst_bus_timed_pop_filtered(bus.get(), GST_CLOCK_TIME_NONE,
                                 static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
  const bool ended = message != nullptr && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
  if (message != nullptr) gst_message_unref(message);
  gst_element_set_state(pipeline.get(), GST_STATE_NULL);
  std::printf("firstSoundMs: %.1f\n", static_cast<double>(firstSoundNs.load()) / 1e6);
  return ended ? 0 : 1;
}

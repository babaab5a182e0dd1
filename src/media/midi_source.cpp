#include "media/midi_source.h"

#include <gst/app/gstappsrc.h>

#include <cstring>
#include <fstream>
#include <mutex>
#include <span>

#include "lyrics/mapped_file.h"
#include "lyrics/midi_sequence.h"
#include "media/midi_renderer.h"
#include "media/soundfont.h"

namespace lyrovox {

namespace {

// Frames a buffer: about 23 ms, so that little sound is on its way when the volume changes or the
// song stops, and a buffer's cost stays small beside its synthesis.
constexpr size_t kBlockFrames = 1024;
constexpr uint32_t kRate = MidiSynth::kSampleRate;

uint32_t LittleEndian32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool IsRmid(std::span<const uint8_t> bytes) {
  return bytes.size() >= 12 && std::memcmp(bytes.data(), "RIFF", 4) == 0 &&
         std::memcmp(bytes.data() + 8, "RMID", 4) == 0;
}

// The Standard MIDI File in a file's bytes: all of them, or a RIFF RMID file's "data" chunk
// (cut at the end of the file).
std::span<const uint8_t> StandardMidi(std::span<const uint8_t> bytes) {
  if (!IsRmid(bytes)) return bytes;
  size_t at = 12;
  while (bytes.size() - at >= 8) {
    const uint32_t size = LittleEndian32(bytes.data() + at + 4);
    const size_t body = at + 8;
    const size_t left = bytes.size() - body;
    if (std::memcmp(bytes.data() + at, "data", 4) == 0) {
      return bytes.subspan(body, std::min<size_t>(size, left));
    }
    if (size >= left) break;
    at = body + size + (size & 1u);
  }
  return {};
}

GstClockTime TimeOfSample(uint64_t sample) {
  return gst_util_uint64_scale_int(sample, GST_SECOND, kRate);
}

// What the source's callbacks share: owned by the appsrc, freed with it.
class MidiStream {
 public:
  explicit MidiStream(std::string path) : path_(std::move(path)) {}

  static void OnNeedData(GstAppSrc* src, guint, gpointer self) {
    static_cast<MidiStream*>(self)->Feed(src);
  }
  static gboolean OnSeekData(GstAppSrc*, guint64 time, gpointer self) {
    auto* stream = static_cast<MidiStream*>(self);
    std::lock_guard lock(stream->mutex_);
    stream->seekTo_ = gst_util_uint64_scale_round(time, kRate, GST_SECOND);
    stream->seekWanted_ = true;
    return TRUE;
  }
  static void Free(gpointer self) { delete static_cast<MidiStream*>(self); }

 private:
  void Feed(GstAppSrc* src);
  bool Load(GstAppSrc* src);

  std::mutex mutex_;
  const std::string path_;
  bool loaded_ = false;
  std::unique_ptr<MidiRenderer> renderer_;  // null when the file has nothing to play
  bool seekWanted_ = false;
  uint64_t seekTo_ = 0;  // a sample
};

void MidiStream::Feed(GstAppSrc* src) {
  std::lock_guard lock(mutex_);
  if (!loaded_) {
    loaded_ = true;
    if (!Load(src)) {
      // Fails the start as a file that cannot be decoded does.
      gst::ErrorPtr error(g_error_new_literal(GST_STREAM_ERROR, GST_STREAM_ERROR_DECODE,
                                              "The MIDI file has nothing to play"));
      gst_element_post_message(GST_ELEMENT(src),
                               gst_message_new_error(GST_OBJECT(src), error.get(), path_.c_str()));
      return;
    }
  }
  if (!renderer_) return;
  if (seekWanted_) {
    seekWanted_ = false;
    renderer_->Seek(seekTo_);
  }
  const uint64_t first = renderer_->position();
  GstBuffer* buffer = gst_buffer_new_allocate(nullptr, kBlockFrames * 4, nullptr);
  size_t frames = 0;
  {
    gst::BufferMap map(buffer, GST_MAP_WRITE);
    if (map.ok()) frames = renderer_->Render(reinterpret_cast<int16_t*>(map.data()), kBlockFrames);
  }
  if (frames == 0) {
    gst_buffer_unref(buffer);
    gst_app_src_end_of_stream(src);
    return;
  }
  gst_buffer_set_size(buffer, static_cast<gssize>(frames * 4));
  GST_BUFFER_PTS(buffer) = TimeOfSample(first);
  GST_BUFFER_DURATION(buffer) = TimeOfSample(first + frames) - TimeOfSample(first);
  GST_BUFFER_OFFSET(buffer) = first;
  GST_BUFFER_OFFSET_END(buffer) = first + frames;
  gst_app_src_push_buffer(src, buffer);  // takes the buffer
}

bool MidiStream::Load(GstAppSrc* src) {
  MappedFile file(path_);
  if (!file.ok()) return false;
  auto song = std::make_shared<MidiSequence>(ReadMidiSequence(StandardMidi(file.bytes())));
  if (!song->hasNotes) return false;
  std::shared_ptr<MidiSynth> synth = SharedMidiSynth();
  if (!synth->ok() || !synth->hasSoundfont()) return false;
  renderer_ = std::make_unique<MidiRenderer>(std::move(song), std::move(synth));
  gst_app_src_set_duration(src, TimeOfSample(renderer_->endSample()));
  return true;
}

}  // namespace

bool IsMidiFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  uint8_t head[12] = {};
  in.read(reinterpret_cast<char*>(head), sizeof head);
  const auto got = static_cast<size_t>(in.gcount());
  return (got >= 4 && std::memcmp(head, "MThd", 4) == 0) || IsRmid({head, got});
}

gst::ElementPtr MakeMidiSource(const std::string& path) {
  gst::ElementPtr element = gst::MakeElement("appsrc");
  if (!element) return nullptr;
  GstAppSrc* src = GST_APP_SRC(element.get());
  gst::CapsPtr caps(gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, "S16LE", "layout",
                                        G_TYPE_STRING, "interleaved", "rate", G_TYPE_INT,
                                        static_cast<int>(kRate), "channels", G_TYPE_INT, 2,
                                        "channel-mask", GST_TYPE_BITMASK, guint64{0x3}, nullptr));
  gst_app_src_set_caps(src, caps.get());
  g_object_set(src, "format", GST_FORMAT_TIME, "emit-signals", FALSE, nullptr);
  gst_app_src_set_stream_type(src, GST_APP_STREAM_TYPE_SEEKABLE);
  GstAppSrcCallbacks callbacks{};
  callbacks.need_data = &MidiStream::OnNeedData;
  callbacks.seek_data = &MidiStream::OnSeekData;
  gst_app_src_set_callbacks(src, &callbacks, new MidiStream(path), &MidiStream::Free);
  return element;
}

std::shared_ptr<MidiSynth> SharedMidiSynth() {
  static std::mutex mutex;
  static std::shared_ptr<MidiSynth> synth;
  std::lock_guard lock(mutex);
  if (!synth) synth = std::make_shared<MidiSynth>(GeneralMidiSoundfont());
  return synth;
}

}  // namespace lyrovox

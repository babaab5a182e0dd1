#include "media/sound_effects.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include "media/gst_handles.h"

namespace lyrovox {

struct SoundEffects::ProbeData {
  SoundEffects* self;
  SlotId slot;
  unsigned generation;
};

namespace {

// Bumped at every attach and detach, so that a probe of an earlier pipeline changes nothing.
unsigned NextGeneration() {
  static std::atomic<unsigned> generation{0};
  return ++generation;
}

// Whether the plugin of an element is installed.
bool Available(const char* factory) {
  gst::ObjectPtr<GstElementFactory> found(gst_element_factory_find(factory));
  return found != nullptr;
}

}  // namespace

SoundEffects::~SoundEffects() {
  Detach();
}

double SoundEffects::PitchFactor(int semitones) {
  return std::pow(2.0, semitones / 12.0);
}

void SoundEffects::Attach(GstBin* bin, const Places& places) {
  std::lock_guard lock(mutex_);
  bin_ = bin;
  generation_ = NextGeneration();
  slots_[kVocalsSlot] = Slot{places.beforeVocals, places.afterVocals, {}, false};
  slots_[kKeySlot] = Slot{places.beforeKey, places.afterKey, {}, false};
  key_ = 0;
  vocals_ = false;
}

void SoundEffects::Detach() {
  std::lock_guard lock(mutex_);
  bin_ = nullptr;
  held_ = false;
  generation_ = NextGeneration();
  for (Slot& slot : slots_)
    slot = Slot{};
  key_ = 0;
  vocals_ = false;
}

int SoundEffects::key() const {
  std::lock_guard lock(mutex_);
  return key_;
}

bool SoundEffects::vocalReduction() const {
  std::lock_guard lock(mutex_);
  return vocals_;
}

bool SoundEffects::SetKey(int semitones) {
  {
    std::lock_guard lock(mutex_);
    if (bin_ == nullptr || !Available("pitch")) return false;
    key_ = std::clamp(semitones, -kMaxKeySemitones, kMaxKeySemitones);
    if (held_) return true;
    // A shifter already in the path only changes its factor.
    const Slot& slot = slots_[kKeySlot];
    if (key_ != 0 && !slot.inserted.empty() && !slot.pending) {
      g_object_set(slot.inserted.back(), "pitch", PitchFactor(key_), nullptr);
      return true;
    }
  }
  Request(kKeySlot);
  return true;
}

bool SoundEffects::SetVocalReduction(bool on) {
  {
    std::lock_guard lock(mutex_);
    if (bin_ == nullptr || !Available("audiokaraoke")) return false;
    vocals_ = on;
    if (held_) return true;
  }
  Request(kVocalsSlot);
  return true;
}

void SoundEffects::Hold() {
  std::lock_guard lock(mutex_);
  held_ = true;
}

void SoundEffects::Release() {
  bool key = false;
  bool vocals = false;
  {
    std::lock_guard lock(mutex_);
    if (!held_) return;
    held_ = false;
    key = key_ != 0;
    vocals = vocals_;
  }
  if (vocals) Request(kVocalsSlot);
  if (key) Request(kKeySlot);
}

void SoundEffects::Request(SlotId id) {
  GstElement* before = nullptr;
  unsigned generation = 0;
  {
    std::lock_guard lock(mutex_);
    Slot& slot = slots_[id];
    if (bin_ == nullptr || slot.before == nullptr || slot.pending) return;
    slot.pending = true;
    before = slot.before;
    generation = generation_;
  }
  gst::PadPtr pad(gst_element_get_static_pad(before, "src"));
  if (!pad) return;
  // Called at once when nothing passes the pad, else as soon as the buffer passing it is through.
  gst_pad_add_probe(pad.get(), GST_PAD_PROBE_TYPE_IDLE, &SoundEffects::OnIdle,
                    new ProbeData{this, id, generation},
                    [](gpointer data) { delete static_cast<ProbeData*>(data); });
}

GstPadProbeReturn SoundEffects::OnIdle(GstPad*, GstPadProbeInfo*, gpointer data) {
  const auto* probe = static_cast<const ProbeData*>(data);
  SoundEffects& self = *probe->self;
  std::lock_guard lock(self.mutex_);
  if (self.bin_ != nullptr && probe->generation == self.generation_) {
    self.slots_[probe->slot].pending = false;
    self.Splice(probe->slot);
  }
  return GST_PAD_PROBE_REMOVE;
}

bool SoundEffects::Wanted(SlotId id) const {
  return id == kKeySlot ? key_ != 0 : vocals_;
}

void SoundEffects::TakeOut(Slot& slot) {
  for (GstElement* element : slot.inserted) {
    gst_element_set_state(element, GST_STATE_NULL);
    gst_bin_remove(bin_, element);  // unlinks it
  }
  slot.inserted.clear();
  gst_element_link(slot.before, slot.after);
}

void SoundEffects::Splice(SlotId id) {
  Slot& slot = slots_[id];
  const bool wanted = Wanted(id);
  if (wanted == !slot.inserted.empty()) {
    if (id == kKeySlot && wanted) {
      g_object_set(slot.inserted.back(), "pitch", PitchFactor(key_), nullptr);
    }
    return;
  }
  if (!wanted) {
    // Out of the path: what the effect still holds of the sound (a few milliseconds) is dropped.
    TakeOut(slot);
    return;
  }

  std::vector<gst::ElementPtr> made;
  if (id == kKeySlot) {
    // The shifter works on 32-bit float samples.
    made.push_back(gst::MakeElement("audioconvert"));
    made.push_back(gst::MakeElement("pitch"));
    if (made.back()) g_object_set(made.back().get(), "pitch", PitchFactor(key_), nullptr);
  } else {
    made.push_back(gst::MakeElement("audiokaraoke"));
  }
  if (std::any_of(made.begin(), made.end(), [](const gst::ElementPtr& e) { return !e; })) return;

  gst_element_unlink(slot.before, slot.after);
  GstElement* previous = slot.before;
  bool linked = true;
  for (gst::ElementPtr& element : made) {
    gst_bin_add(bin_, element.get());  // the bin takes its own reference
    slot.inserted.push_back(element.get());
    linked = linked && gst_element_link(previous, element.get());
    previous = element.get();
  }
  linked = linked && gst_element_link(previous, slot.after);
  if (!linked) {
    // An effect that cannot join the path leaves it as it was.
    TakeOut(slot);
    return;
  }
  for (auto it = slot.inserted.rbegin(); it != slot.inserted.rend(); ++it) {
    gst_element_sync_state_with_parent(*it);
  }
}

}  // namespace lyrovox

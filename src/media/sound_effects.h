#pragma once

// The singer's effects on the sound path: a key change (soundtouch's pitch shifter, the tempo
// kept) and vocal reduction (audiokaraoke, which takes the centre of a stereo mix out, where a
// full mix has its lead voice). Each effect is in the path only while it is on, so a song played
// without it costs nothing more; it is spliced in and out while the sound flows, at a moment the
// pad before it is idle.

#include <gst/gst.h>

#include <mutex>
#include <vector>

#include "controller/ports.h"

namespace lyrovox {

class SoundEffects {
 public:
  // Where the effects go in the sound path (elements of the pipeline). Vocal reduction sits
  // between beforeVocals and afterVocals, where the mix still has its own stereo picture (ahead
  // of the channel rewrite); the key change between beforeKey and afterKey, after the tempo change
  // (which hands on a stream at normal rate).
  struct Places {
    GstElement* beforeVocals = nullptr;
    GstElement* afterVocals = nullptr;
    GstElement* beforeKey = nullptr;
    GstElement* afterKey = nullptr;
  };

  SoundEffects() = default;
  ~SoundEffects();
  SoundEffects(const SoundEffects&) = delete;
  SoundEffects& operator=(const SoundEffects&) = delete;

  // The sound path was built in bin (with both effects off).
  void Attach(GstBin* bin, const Places& places);
  // The pipeline is going away: changes still on their way are dropped, the effects are off.
  void Detach();

  // While held, changes are only noted; Release splices in what was asked for. The graph holds
  // them while its pipeline prerolls: an element spliced in before the stream's format has come
  // through can miss it, and the song then fails to start.
  void Hold();
  void Release();

  // The key in semitones, kept within -6..6; 0 is the song's own key. False without a sound path.
  bool SetKey(int semitones);
  // False without a sound path.
  bool SetVocalReduction(bool on);
  int key() const;
  bool vocalReduction() const;

  // The pitch factor of a key: 2^(semitones / 12).
  static double PitchFactor(int semitones);

 private:
  enum SlotId { kVocalsSlot = 0, kKeySlot = 1 };
  struct Slot {
    GstElement* before = nullptr;
    GstElement* after = nullptr;
    std::vector<GstElement*> inserted;  // owned by the bin while in it
    bool pending = false;               // an idle probe is on its way
  };
  struct ProbeData;

  // Asks for the slot to be brought to the wanted state at the next idle moment of its pad.
  void Request(SlotId id);
  static GstPadProbeReturn OnIdle(GstPad* pad, GstPadProbeInfo* info, gpointer data);
  // With the mutex held, on the streaming thread (or the caller's when the pad is idle).
  void Splice(SlotId id);
  // Takes the slot's elements out and joins its two ends again.
  void TakeOut(Slot& slot);
  bool Wanted(SlotId id) const;

  mutable std::mutex mutex_;
  GstBin* bin_ = nullptr;  // the pipeline: null while detached
  unsigned generation_ = 0;
  Slot slots_[2];
  int key_ = 0;
  bool vocals_ = false;
  bool held_ = false;
};

}  // namespace lyrovox

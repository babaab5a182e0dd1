#pragma once

// A MIDI song as the source of the sound path: an appsrc that the song's renderer fills with
// 16-bit stereo PCM, timestamped by the sample. The file is read, and the shared synthesiser
// claimed, on the source's streaming thread when the pipeline first asks for sound; a file with
// nothing to play posts an error then, which fails the start. Seeks (a speed change seeks to the
// position at the new rate) go to the renderer. Everything after the source is the sound path
// every song takes.

#include <memory>
#include <string>

#include "media/gst_handles.h"
#include "media/midi_synth.h"

namespace lyrovox {

// Whether the file holds a Standard MIDI File (also one wrapped in a RIFF "RMID" file).
bool IsMidiFile(const std::string& path);

// The source for the MIDI file at path.
gst::ElementPtr MakeMidiSource(const std::string& path);

// The synthesiser every MIDI song shares, made with the General MIDI soundfont at the first call
// (which reads the soundfont's index, not its samples: not on the user-interface thread).
std::shared_ptr<MidiSynth> SharedMidiSynth();

}  // namespace lyrovox

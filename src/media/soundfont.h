#pragma once

// The General MIDI soundfont MIDI songs are synthesised with.

#include <string>

namespace lyrovox {

// The installed soundfont (the system's default GM soundfont, else FluidR3 or TimGM6mb in the
// system's data folders), or empty when none is installed. Looked up once.
const std::string& GeneralMidiSoundfont();

}  // namespace lyrovox

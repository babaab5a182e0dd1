#pragma once

// The General MIDI soundfont MIDI songs are synthesised with.

#include <string>

namespace lyrovox {

// The installed soundfont (the system's default GM soundfont, else FluidR3 or TimGM6mb in the
// system's data folders), or empty when none is installed. Looked up once.
const std::string& GeneralMidiSoundfont();

// Loads the soundfont on a thread of its own and keeps it loaded while the program runs: the
// synthesiser shares loaded instruments, so every MIDI song then starts without reading and
// decoding its 150 MB again. Once per process; returns at once.
void PreloadGeneralMidiSoundfont();
// Returns once a preload begun is done (at most a few seconds): a synthesiser made meanwhile
// would read the soundfont a second time. Not on the user-interface thread.
void WaitForPreloadedSoundfont();

}  // namespace lyrovox

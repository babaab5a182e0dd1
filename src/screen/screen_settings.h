#pragma once

// The settings the lyrics screen draws with: face and size of the lyric font, the singer colours,
// the shadow, the reserved list and the background.

#include "controller/settings.h"

namespace lyrovox {

class CLyricScreen;

void ApplyScreenSettings(const Settings& settings, CLyricScreen& screen);

}  // namespace lyrovox

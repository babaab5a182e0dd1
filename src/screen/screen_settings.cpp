#include "screen/screen_settings.h"

#include "screen/lyric_screen.h"

namespace lyrovox {

void ApplyScreenSettings(const Settings& settings, CLyricScreen& screen) {
  screen.SetFontName(settings.defaultFontName);
  screen.SetDefaultFontSizeValue(settings.defaultFontSizeValue);
  screen.SetMaleColor(settings.lyricColorMale);
  screen.SetFemaleColor(settings.lyricColorFemale);
  screen.SetDuetColor(settings.lyricColorDuet);
  screen.SetHasShadow(settings.hasShadow != 0);
  screen.SetReservedListEnable(settings.reservedListEnable);
  screen.SetBackground(settings.background);
  screen.SetBackGroundVideoColor(settings.backGroundVideoColor);
}

}  // namespace lyrovox

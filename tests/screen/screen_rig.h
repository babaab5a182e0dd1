#pragma once

// A lyrics screen at a 1920 x 1080 layout drawing with settings the test may change (the
// defaults at first), a lyric store filled by the test, the feed, and the surfaces with a sink
// that keeps the last frame.

#include <QImage>
#include <memory>
#include <string>
#include <vector>

#include "lyrics/lyric_store.h"
#include "lyrics/text_buffer.h"
#include "screen/lyric_feed.h"
#include "screen/lyric_screen.h"
#include "screen/screen_surfaces.h"
#include "screen/screen_text.h"

namespace lyrovox::testing {

struct Syllable {
  int timeMs;
  int lineBreak;
  std::u16string text;
};

class KeepFrame final : public IFrameSink {
 public:
  bool ShowFrame(const QImage& frame, const FrameDamage& damage) override {
    last = frame.copy();
    lastDamage = damage;
    ++frames;
    return works;
  }
  QImage last;
  FrameDamage lastDamage;
  int frames = 0;
  bool works = true;
};

struct ScreenRig {
  explicit ScreenRig(int width = 1920, int height = 1080) : surfaces(screen, &sink) {
    screen.SetScreenSize(width, height);
    screen.ApplyFontSettings(0);
    surfaces.Create(QSize(width, height));
    screen.SetPlayerKind(1);
    screen.SetLyricMode(1);
  }

  void Fill(const std::vector<Syllable>& syllables) {
    store->Clear();
    for (const Syllable& s : syllables) {
      LyricSyllable& slot = store->syllables[store->AppendSlot()];
      CopyText(slot.text, s.text);
      slot.timeMs = s.timeMs;
      slot.lineBreak = s.lineBreak;
      slot.shown = 0;
      store->CountAppended();
    }
  }

  // One lyric tick and one present, as the controller's two timers do.
  void Tick(int positionMs) {
    feed.Step(*store, positionMs, false, screen);
    screen.Compose();
    surfaces.Present();
  }
  // Ticks every 30 ms from `from` up to and including `to`.
  void RunTo(int from, int to) {
    for (int t = from; t <= to; t += 30)
      Tick(t);
  }

  Settings settings;
  CLyricScreen screen{settings};
  KeepFrame sink;
  CScreenSurfaces surfaces;
  LyricFeed feed;
  std::unique_ptr<LyricStore> store = std::make_unique<LyricStore>();
};

inline QString Q(const char16_t* text) {
  return ToQString(text);
}

}  // namespace lyrovox::testing

#pragma once

// A lyric store for a test, a temporary folder for its files, and short reads of its syllables.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "lyrics/lyric_store.h"
#include "lyrics/text_buffer.h"
#include "support/temp_dir.h"

namespace lyrovox::testing {

template <class Base = ::testing::Test>
class StoreFixture : public Base {
 protected:
  std::u16string Text(int i) const { return std::u16string(TextView(store.syllables[i].text)); }
  int Time(int i) const { return store.syllables[i].timeMs; }
  int Break(int i) const { return store.syllables[i].lineBreak; }
  int Shown(int i) const { return store.syllables[i].shown; }
  std::u16string Title() const { return std::u16string(TextView(store.title)); }
  std::u16string Artist() const { return std::u16string(TextView(store.artist)); }

  TempDir dir;
  std::unique_ptr<LyricStore> owner = std::make_unique<LyricStore>();  // half a megabyte
  LyricStore& store = *owner;
};

}  // namespace lyrovox::testing

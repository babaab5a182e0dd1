#pragma once

// A lyric store for a test, a temporary folder for its files, and short reads of its syllables.

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "lyrics/lyric_store.h"
#include "lyrics/text_buffer.h"
#include "support/temp_dir.h"

namespace lyrovox::testing {

// One syllable as a test expects it: text, start time and line break.
struct Syllable {
  std::u16string text;
  int32_t timeMs;
  int32_t lineBreak;
  bool operator==(const Syllable&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Syllable& s) {
  os << "{";
  for (char16_t c : s.text)
    os << (c < 128 ? std::string(1, static_cast<char>(c)) : "U+" + std::to_string(c));
  return os << ", " << s.timeMs << ", " << s.lineBreak << "}";
}

// The store's syllables in use.
inline std::vector<Syllable> Syllables(const LyricStore& store) {
  std::vector<Syllable> out;
  for (int i = 0; i < store.count; ++i) {
    const LyricSyllable& s = store.syllables[i];
    out.push_back({std::u16string(TextView(s.text)), s.timeMs, s.lineBreak});
  }
  return out;
}

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

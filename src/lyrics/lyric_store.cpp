#include "lyrics/lyric_store.h"

#include <cstdlib>
#include <cstring>

#include "lyrics/text_buffer.h"

namespace lyrovox {

namespace {

constexpr size_t kSplitThreshold = 41;

bool IsLineStart(const LyricSyllable& s) {
  return s.lineBreak == 1 || s.lineBreak == 2;
}

bool IsSplitPunctuation(char16_t c) {
  return c == u',' || c == u'-' || c == u'.';
}

}  // namespace

LyricStore::LyricStore() {
  std::memset(static_cast<void*>(this), 0, sizeof(*this));
  Init();
}

void LyricStore::Init() {
  count = 0;
  codePage = 0;
  language = 0;
  utf8Text = false;
}

void LyricStore::Clear() {
  count = 0;
  utf8Text = false;
  for (LyricSyllable& s : syllables) {
    s.text[0] = 0;
    s.shown = 0;
  }
  title[0] = 0;
  artist[0] = 0;
}

bool LyricStore::IsShown(int i) const {
  if (i < 0 || i >= kMaxSyllables) return false;
  return syllables[i].shown != 0;
}

int32_t LyricStore::NextLineStartTime(int i) const {
  if (i < 0) i = 0;
  for (int j = i; j < count; ++j) {
    const LyricSyllable& s = syllables[j];
    if (!s.shown && IsLineStart(s)) return s.timeMs;
  }
  return 0;
}

void LyricStore::TakeLine(int i, char16_t* dest, size_t destUnits) {
  if (i < 0) i = 0;
  bool tookLineStart = false;
  for (int j = i; j < count; ++j) {
    LyricSyllable& s = syllables[j];
    if (s.shown) continue;
    if (IsLineStart(s)) {
      if (tookLineStart) return;
      tookLineStart = true;
    }
    AppendText(dest, destUnits, TextView(s.text));
    s.shown = 1;
  }
}

int32_t LyricStore::SplitLongLine(int i, int32_t nextTimeMs) {
  // Syllable 0 is never split, and a full store has no room for the second half.
  if (i < 1 || i + 1 >= kMaxSyllables) return 0;
  LyricSyllable& s = syllables[i];
  const size_t len = TextLength(s.text);
  if (len < kSplitThreshold) return 0;
  const int32_t span =
      static_cast<int32_t>(static_cast<uint32_t>(nextTimeMs) - static_cast<uint32_t>(s.timeMs));

  // The punctuation mark nearest the middle; the earlier one wins a tie.
  const size_t half = len / 2;
  size_t best = 0;
  size_t bestDistance = SIZE_MAX;
  for (size_t p = 0; p < len; ++p) {
    if (!IsSplitPunctuation(s.text[p])) continue;
    const size_t distance = p > half ? p - half : half - p;
    if (distance < bestDistance) {
      best = p;
      bestDistance = distance;
    }
  }

  size_t cut;
  if (best < len / 4) {
    // Cut after space number S/2 + 1; with no space the whole text stays in the first half.
    size_t spaces = 0;
    for (size_t p = 0; p < len; ++p)
      spaces += s.text[p] == u' ';
    long remaining = static_cast<long>(spaces / 2);
    cut = len;
    for (size_t p = 0; p < len; ++p) {
      if (s.text[p] != u' ') continue;
      if (--remaining < 0) {
        cut = p + 1;
        break;
      }
    }
  } else {
    cut = best + 1;
    while (cut < len && (IsSplitPunctuation(s.text[cut]) || s.text[cut] == u' '))
      ++cut;
  }

  LyricSyllable& next = syllables[i + 1];
  CopyTail(next.text, kSyllableUnits, s.text, cut);
  next.lineBreak = 1;
  next.shown = 0;
  const int64_t offset = static_cast<int64_t>(cut) * span / static_cast<int64_t>(len);
  next.timeMs = static_cast<int32_t>(static_cast<int64_t>(s.timeMs) + offset);
  s.text[cut] = 0;
  return 1;
}

void LyricStore::CopyTail(char16_t* dest, size_t destUnits, const char16_t* src, size_t start) {
  const size_t len = std::u16string_view(src).size();
  if (start > len) start = len;
  CopyText(dest, destUnits, std::u16string_view(src + start, len - start));
}

}  // namespace lyrovox

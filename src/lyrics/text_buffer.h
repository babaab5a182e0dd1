#pragma once

// Helpers for the fixed-size, zero-terminated UTF-16 text fields of the lyric data. Every write is
// cut at the field's capacity (one unit is always kept for the terminator).

#include <cstddef>
#include <string_view>

namespace lyrovox {

inline size_t TextLength(const char16_t* text, size_t capacity) {
  size_t n = 0;
  while (n < capacity && text[n] != 0)
    ++n;
  return n;
}

template <size_t N>
size_t TextLength(const char16_t (&text)[N]) {
  return TextLength(text, N);
}

template <size_t N>
std::u16string_view TextView(const char16_t (&text)[N]) {
  return std::u16string_view(text, TextLength(text));
}

// Copies src into dest (capacity units including the terminator), cut to capacity - 1 units.
inline void CopyText(char16_t* dest, size_t capacity, std::u16string_view src) {
  if (capacity == 0) return;
  const size_t n = src.size() < capacity - 1 ? src.size() : capacity - 1;
  for (size_t i = 0; i < n; ++i)
    dest[i] = src[i];
  dest[n] = 0;
}

template <size_t N>
void CopyText(char16_t (&dest)[N], std::u16string_view src) {
  CopyText(dest, N, src);
}

// Appends src to the zero-terminated text in dest; what does not fit is dropped.
inline void AppendText(char16_t* dest, size_t capacity, std::u16string_view src) {
  if (capacity == 0) return;
  const size_t used = TextLength(dest, capacity - 1);
  CopyText(dest + used, capacity - used, src);
}

template <size_t N>
void AppendText(char16_t (&dest)[N], std::u16string_view src) {
  AppendText(dest, N, src);
}

}  // namespace lyrovox

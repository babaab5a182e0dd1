#pragma once

// A lyric line in the script of every language index: the bytes a file in
// that code page holds and the UTF-16 text the readers must make of them. Shared by the reader
// tests and the inspector tests.

#include <unicode/ucnv.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace lyrovox::testing {

// The bytes of a text in an ICU converter's code page; empty when a character has no code.
inline std::string EncodeText(std::u16string_view text, const char* converter) {
  UErrorCode status = U_ZERO_ERROR;
  UConverter* c = ucnv_open(converter, &status);
  if (U_FAILURE(status)) return {};
  ucnv_setFromUCallBack(c, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
  std::string out(text.size() * 4 + 4, '\0');
  status = U_ZERO_ERROR;
  const int32_t n = ucnv_fromUChars(c, out.data(), static_cast<int32_t>(out.size()),
                                    reinterpret_cast<const UChar*>(text.data()),
                                    static_cast<int32_t>(text.size()), &status);
  ucnv_close(c);
  if (U_FAILURE(status)) return {};
  out.resize(static_cast<size_t>(n));
  return out;
}

// The UTF-16 text of bytes in an ICU converter's code page (undecodable bytes become U+FFFD).
inline std::u16string DecodeText(std::string_view bytes, const char* converter) {
  UErrorCode status = U_ZERO_ERROR;
  UConverter* c = ucnv_open(converter, &status);
  if (U_FAILURE(status)) return {};
  std::u16string out(bytes.size() * 2 + 2, u'\0');
  status = U_ZERO_ERROR;
  const int32_t n =
      ucnv_toUChars(c, reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                    bytes.data(), static_cast<int32_t>(bytes.size()), &status);
  ucnv_close(c);
  if (U_FAILURE(status)) return {};
  out.resize(static_cast<size_t>(n));
  return out;
}

struct CodePageSample {
  int language;
  const char* name;
  std::string bytes;       // what a file in that script holds
  std::u16string text;     // what the MIDI karaoke reader makes of it
  std::u16string lrcText;  // what the LRC reader makes of it (no letter conversion)
};

// Test names and failure messages show the language, not the sample's bytes.
inline void PrintTo(const CodePageSample& sample, std::ostream* os) {
  *os << sample.language << ' ' << sample.name;
}

// The letter conversions expect a single-byte reading; with indexes 4 and 5 the code page stays
// as it was (here the initial 0, Windows-1252).
inline std::vector<CodePageSample> CodePageSamples() {
  auto encoded = [](int language, const char* name, std::u16string text, const char* cp) {
    return CodePageSample{language, name, EncodeText(text, cp), text, text};
  };
  return {
      encoded(0, "Autodetect", u"Caf\u00E9 \u2013 na\u00EFve \u20AC", "windows-1252"),
      encoded(1, "ChineseTraditional", u"\u6211\u5011\u4E00\u8D77\u5531\u6B4C\u5427",
              "windows-950"),
      encoded(2, "ChineseSimplified", u"\u6211\u4EEC\u4E00\u8D77\u5531\u6B4C\u5427", "windows-936"),
      // Windows-1258 writes tone marks as combining characters after the letter.
      {3, "Vietnamese", "H\xE1t c\xF9ng nhau, Vi\xEA\xF2t Nam",
       u"H\u00E1t c\u00F9ng nhau, Vi\u00EA\u0323t Nam",
       u"H\u00E1t c\u00F9ng nhau, Vi\u00EA\u0323t Nam"},
      {4, "VietnameseTcvn", "\xA7i h\xB8t c\xEFng nhau, Vi\xD6t Nam",
       u"\u0110i h\u00E1t c\u00F9ng nhau, Vi\u1EC7t Nam",
       u"\u00A7i h\u00B8t c\u00EFng nhau, Vi\u00D6t Nam"},
      {5, "VietnameseVni", "\xD1i ha\xF9t cu\xF8ng nhau, ng\xF6\xF4\xF8i Vie\xE4t",
       u"\u0110i h\u00E1t c\u00F9ng nhau, ng\u01B0\u1EDDi Vi\u1EC7t",
       u"\u00D1i ha\u00F9t cu\u00F8ng nhau, ng\u00F6\u00F4\u00F8i Vie\u00E4t"},
      encoded(6, "Arabic", u"\u0646\u063A\u0646\u064A \u0645\u0639\u0627", "windows-1256"),
      encoded(7, "Baltic", u"Dzied\u0101sim kop\u0101, a\u010Di\u016B", "windows-1257"),
      encoded(8, "Cyrillic", u"\u041F\u043E\u0451\u043C \u0432\u043C\u0435\u0441\u0442\u0435",
              "windows-1251"),
      encoded(9, "EuropeanEastern", u"Zp\u00EDvejme spole\u010Dn\u011B, \u017C\u00F3\u0142\u0107",
              "windows-1250"),
      encoded(10, "EuropeanWestern", u"Chantons ensemble, \u00E7a va tr\u00E8s bien",
              "windows-1252"),
      encoded(11, "Greek",
              u"\u03A4\u03C1\u03B1\u03B3\u03BF\u03C5\u03B4\u03AC\u03BC\u03B5 "
              u"\u03BC\u03B1\u03B6\u03AF",
              "windows-1253"),
      encoded(12, "Hebrew", u"\u05E9\u05D9\u05E8\u05D5 \u05D0\u05D9\u05EA\u05E0\u05D5",
              "windows-1255"),
      encoded(13, "Japanese",
              u"\u307F\u3093\u306A\u3067\u30AB\u30E9\u30AA\u30B1\u3092\u6B4C\u304A\u3046",
              "windows-932"),
      encoded(14, "Korean", u"\uC6B0\uB9AC \uD568\uAED8 \uB178\uB798\uD574\uC694", "windows-949"),
      encoded(15, "Thai",
              u"\u0E23\u0E49\u0E2D\u0E07\u0E40\u0E1E\u0E25\u0E07\u0E14\u0E49\u0E27\u0E22"
              u"\u0E01\u0E31\u0E19",
              "windows-874"),
      encoded(16, "Turkish", u"Birlikte \u015Fark\u0131 s\u00F6yleyelim, \u011Fe\u00E7i\u015F",
              "windows-1254"),
      encoded(17, "Utf8", u"H\u00E1t c\u00F9ng nhau \U0001F3A4", "UTF-8"),
  };
}

}  // namespace lyrovox::testing

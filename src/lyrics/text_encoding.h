#pragma once

// Turning 8-bit lyric text into UTF-16 with a Windows code page, and the language list that
// chooses the code page of a song.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct UConverter;

namespace lyrovox {

inline constexpr int kLanguageCount = 18;
inline constexpr int kLanguageTcvn = 4;
inline constexpr int kLanguageVni = 5;

// The code page a language index selects; nullopt when the index leaves the code page as it was
// (the two Vietnamese letter conversions, and indexes outside the list).
std::optional<int32_t> CodePageForLanguage(int32_t language);

// Decodes 8-bit text with one Windows code page (0 = Windows-1252). Holds its converter open, so
// a reader decoding many events pays for the set-up once.
class CodePageDecoder {
 public:
  explicit CodePageDecoder(int32_t codePage);
  ~CodePageDecoder();
  CodePageDecoder(const CodePageDecoder&) = delete;
  CodePageDecoder& operator=(const CodePageDecoder&) = delete;

  // Decodes bytes up to their first zero (or their end) into dest, cut to capacity - 1 units and
  // terminated. Returns the number of units written. Undecodable bytes become U+FFFD.
  size_t Decode(std::string_view bytes, char16_t* dest, size_t capacity);

 private:
  struct Closer {
    void operator()(UConverter* c) const;
  };
  std::unique_ptr<UConverter, Closer> converter_;
  // Single-byte code pages decode through this table of bytes 0x00..0xFF.
  std::unique_ptr<char16_t[]> singleByte_;
};

// Whether 8-bit lyric text without a mark is UTF-8: fed every text a song shows (each up to its
// first zero byte), it decides for UTF-8 when all of them are well-formed UTF-8 and at least one
// holds a multi-byte sequence. Text in a Windows code page almost never passes both.
class Utf8Evidence {
 public:
  void Add(std::string_view bytes) {
    // Most lyric text is short ASCII: settled here without a call.
    for (size_t i = 0; i < bytes.size(); ++i) {
      const auto b = static_cast<unsigned char>(bytes[i]);
      if (b == 0) return;
      if (b >= 0x80) return AddFrom(bytes.substr(i));
    }
  }
  bool IsUtf8() const { return valid_ && multiByte_; }

 private:
  // Checks the sequences from the first byte above 0x7F on, up to the first zero byte.
  void AddFrom(std::string_view bytes);

  bool valid_ = true;
  bool multiByte_ = false;
};

inline constexpr int32_t kUtf8CodePage = 65001;

// The code page a reader decodes a song's 8-bit text with: UTF-8 when the language in force is
// 0 (Autodetect) and the evidence says so, else the store's code page.
int32_t CodePageForText(int32_t language, int32_t codePage, const Utf8Evidence& evidence);

// One-shot form of CodePageDecoder::Decode.
size_t DecodeLyricText(std::string_view bytes, int32_t codePage, char16_t* dest, size_t capacity);

// The Vietnamese letter conversions, applied after the code-page step to text decoded
// with a single-byte (Windows-1252 style) reading. Each rewrites the zero-terminated text of at
// most `capacity` units in place (it never grows); a text without a terminator inside `capacity`
// is taken as `capacity` units long.
//
// TCVN3: each unit that is one of the 76 TCVN3 byte values (U+00A1..U+00FE) becomes its letter.
void ConvertTcvn(char16_t* text, size_t capacity);
// VNI: single letters, then the 116 two-unit sequences of the VNI table (turned into UTF-16 once,
// through the code-page step with the ANSI code page), then the last single letters.
void ConvertVni(char16_t* text, size_t capacity);
// Convenience forms on a string.
void ConvertTcvn(std::u16string& text);
void ConvertVni(std::u16string& text);

// The letter repair that follows the code-page step for the language index (4 TCVN, 5 VNI);
// other indexes leave the text alone. Rewrites the zero-terminated text in place.
void ApplyLetterConversion(int32_t language, char16_t* text, size_t capacity);

}  // namespace lyrovox

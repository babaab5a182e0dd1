#include "lyrics/text_encoding.h"

#include <unicode/ucnv.h>

#include <algorithm>

namespace lyrovox {

namespace {

// ICU converter names of the Windows code pages the language list can select.
const char* ConverterName(int32_t codePage) {
  switch (codePage) {
    case 0:
      return "windows-1252";
    case 65001:
      return "UTF-8";
    case 874:
      return "windows-874";
    case 932:
      return "windows-932";
    case 936:
      return "windows-936";
    case 949:
      return "windows-949";
    case 950:
      return "windows-950";
    default:
      if (codePage >= 1250 && codePage <= 1258) {
        static const char* const kNames[] = {"windows-1250", "windows-1251", "windows-1252",
                                             "windows-1253", "windows-1254", "windows-1255",
                                             "windows-1256", "windows-1257", "windows-1258"};
        return kNames[codePage - 1250];
      }
      return "windows-1252";  // an unknown code page reads like the ANSI one
  }
}

bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}

}  // namespace

std::optional<int32_t> CodePageForLanguage(int32_t language) {
  static constexpr int32_t kCodePages[kLanguageCount] = {0,    950,  936,  1258, -1,   -1,
                                                         1256, 1257, 1251, 1250, 1252, 1253,
                                                         1255, 932,  949,  874,  1254, 65001};
  if (language < 0 || language >= kLanguageCount || kCodePages[language] < 0) return std::nullopt;
  return kCodePages[language];
}

void CodePageDecoder::Closer::operator()(UConverter* c) const {
  ucnv_close(c);
}

CodePageDecoder::CodePageDecoder(int32_t codePage) {
  UErrorCode status = U_ZERO_ERROR;
  converter_.reset(ucnv_open(ConverterName(codePage), &status));
  if (U_FAILURE(status)) {
    converter_.reset();
    return;
  }
  // A single-byte code page maps every byte to one unit: decode all 255 at once into a table,
  // so that short lyric texts do not each pay for a conversion call.
  if (ucnv_getMaxCharSize(converter_.get()) != 1) return;
  char bytes[255];
  for (int i = 0; i < 255; ++i)
    bytes[i] = static_cast<char>(i + 1);
  UChar units[256];
  UChar* target = units;
  const char* source = bytes;
  status = U_ZERO_ERROR;
  ucnv_toUnicode(converter_.get(), &target, units + 256, &source, bytes + 255, nullptr, true,
                 &status);
  if (U_FAILURE(status) || target - units != 255) return;
  singleByte_ = std::make_unique<char16_t[]>(256);
  singleByte_[0] = 0;
  for (int i = 0; i < 255; ++i)
    singleByte_[i + 1] = static_cast<char16_t>(units[i]);
}

CodePageDecoder::~CodePageDecoder() = default;

size_t CodePageDecoder::Decode(std::string_view bytes, char16_t* dest, size_t capacity) {
  if (capacity == 0) return 0;
  const size_t zero = bytes.find('\0');
  if (zero != std::string_view::npos) bytes = bytes.substr(0, zero);

  size_t written = 0;
  if (singleByte_) {
    written = bytes.size() < capacity - 1 ? bytes.size() : capacity - 1;
    for (size_t i = 0; i < written; ++i)
      dest[i] = singleByte_[static_cast<uint8_t>(bytes[i])];
  } else if (converter_ && !bytes.empty()) {
    ucnv_reset(converter_.get());
    UChar* target = reinterpret_cast<UChar*>(dest);
    const char* source = bytes.data();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_toUnicode(converter_.get(), &target, target + (capacity - 1), &source,
                   source + bytes.size(), nullptr, true, &status);
    written = static_cast<size_t>(target - reinterpret_cast<UChar*>(dest));
    // A cut between the two halves of a pair must not leave half a character behind.
    if (status == U_BUFFER_OVERFLOW_ERROR && written > 0 && IsHighSurrogate(dest[written - 1])) {
      --written;
    }
  }
  dest[written] = 0;
  return written;
}

void Utf8Evidence::AddFrom(std::string_view bytes) {
  if (!valid_) return;
  const size_t zero = bytes.find('\0');
  if (zero != std::string_view::npos) bytes = bytes.substr(0, zero);
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  const auto* end = p + bytes.size();
  while (p < end && valid_) {
    const uint8_t b = *p;
    if (b < 0x80) {
      ++p;
      continue;
    }
    // The well-formed sequences: no overlong forms, no surrogates, nothing above U+10FFFF.
    int more = 0;
    uint8_t low = 0x80, high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
      more = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
      more = 2;
      if (b == 0xE0) low = 0xA0;
      if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      more = 3;
      if (b == 0xF0) low = 0x90;
      if (b == 0xF4) high = 0x8F;
    } else {
      valid_ = false;
      break;
    }
    if (end - p <= more || p[1] < low || p[1] > high) {
      valid_ = false;
      break;
    }
    for (int i = 2; i <= more; ++i) {
      if (p[i] < 0x80 || p[i] > 0xBF) valid_ = false;
    }
    p += more + 1;
    multiByte_ = true;
  }
}

int32_t CodePageForText(int32_t language, int32_t codePage, const Utf8Evidence& evidence) {
  return language == 0 && evidence.IsUtf8() ? kUtf8CodePage : codePage;
}

size_t DecodeLyricText(std::string_view bytes, int32_t codePage, char16_t* dest, size_t capacity) {
  CodePageDecoder decoder(codePage);
  return decoder.Decode(bytes, dest, capacity);
}

namespace {

// The TCVN table in table order: the unit a TCVN3 byte becomes through a
// single-byte reading, and its letter.
struct TcvnRow {
  uint8_t byte;
  char16_t letter;
};
constexpr TcvnRow kTcvnRows[76] = {
    {0xB8, 0x00E1}, {0xB5, 0x00E0}, {0xB6, 0x1EA3}, {0xB7, 0x00E3}, {0xB9, 0x1EA1}, {0xA8, 0x0103},
    {0xBE, 0x1EAF}, {0xBB, 0x1EB1}, {0xBC, 0x1EB3}, {0xBD, 0x1EB5}, {0xC6, 0x1EB7}, {0xA9, 0x00E2},
    {0xCA, 0x1EA5}, {0xC7, 0x1EA7}, {0xC8, 0x1EA9}, {0xC9, 0x1EAB}, {0xCB, 0x1EAD}, {0xD0, 0x00E9},
    {0xCC, 0x00E8}, {0xCE, 0x1EBB}, {0xCF, 0x1EBD}, {0xD1, 0x1EB9}, {0xAA, 0x00EA}, {0xD5, 0x1EBF},
    {0xD2, 0x1EC1}, {0xD3, 0x1EC3}, {0xD4, 0x1EC5}, {0xD6, 0x1EC7}, {0xDD, 0x00ED}, {0xD7, 0x00EC},
    {0xD8, 0x1EC9}, {0xDC, 0x0129}, {0xDE, 0x1ECB}, {0xE3, 0x00F3}, {0xDF, 0x00F2}, {0xE1, 0x1ECF},
    {0xE2, 0x00F5}, {0xE4, 0x1ECD}, {0xAB, 0x00F4}, {0xE8, 0x1ED1}, {0xE5, 0x1ED3}, {0xE6, 0x1ED5},
    {0xE7, 0x1ED7}, {0xE9, 0x1ED9}, {0xAC, 0x01A1}, {0xED, 0x1EDB}, {0xEA, 0x1EDD}, {0xEB, 0x1EDF},
    {0xEC, 0x1EE1}, {0xEE, 0x1EE3}, {0xF3, 0x00FA}, {0xEF, 0x00F9}, {0xF1, 0x1EE7}, {0xF2, 0x0169},
    {0xF4, 0x1EE5}, {0xAD, 0x01B0}, {0xF8, 0x1EE9}, {0xF5, 0x1EEB}, {0xF6, 0x1EED}, {0xF7, 0x1EEF},
    {0xF9, 0x1EF1}, {0xFD, 0x00FD}, {0xFA, 0x1EF3}, {0xFB, 0x1EF7}, {0xFC, 0x1EF9}, {0xFE, 0x1EF5},
    {0xAE, 0x0111}, {0xC1, 0x00C1}, {0xC0, 0x00C0}, {0xC3, 0x00C3}, {0xA1, 0x0102}, {0xA2, 0x00C2},
    {0xA4, 0x00D4}, {0xA5, 0x01A0}, {0xA6, 0x01AF}, {0xA7, 0x0110},
};

// The first match in table order wins; as a lookup over U+00A0..U+00FF (0: no row).
struct TcvnLookup {
  char16_t letter[0x60] = {};
  constexpr TcvnLookup() {
    for (const TcvnRow& row : kTcvnRows) {
      if (letter[row.byte - 0xA0] == 0) letter[row.byte - 0xA0] = row.letter;
    }
  }
};
constexpr TcvnLookup kTcvn;

// The VNI table in table order: two bytes and their letter.
struct VniRow {
  uint8_t first;
  uint8_t second;
  char16_t letter;
};
constexpr VniRow kVniRows[116] = {
    {0x4F, 0xC2, 0x00C6}, {0x6F, 0xE2, 0x00E6}, {0x79, 0xF5, 0x1EF9}, {0x59, 0xD5, 0x1EF8},
    {0x79, 0xFB, 0x1EF7}, {0x59, 0xDB, 0x1EF6}, {0x79, 0xF8, 0x1EF3}, {0x59, 0xD8, 0x1EF2},
    {0xF6, 0xEF, 0x1EF1}, {0xD6, 0xCF, 0x1EF0}, {0xF6, 0xF5, 0x1EEF}, {0xD6, 0xD5, 0x1EEE},
    {0xF6, 0xFB, 0x1EED}, {0xD6, 0xDB, 0x1EEC}, {0xF6, 0xF8, 0x1EEB}, {0xD6, 0xD8, 0x1EEA},
    {0xF6, 0xF9, 0x1EE9}, {0xD6, 0xD9, 0x1EE8}, {0x75, 0xFB, 0x1EE7}, {0x55, 0xDB, 0x1EE6},
    {0x75, 0xEF, 0x1EE5}, {0x55, 0xCF, 0x1EE4}, {0xF4, 0xEF, 0x1EE3}, {0xD4, 0xCF, 0x1EE2},
    {0xF4, 0xF5, 0x1EE1}, {0xD4, 0xD5, 0x1EE0}, {0xF4, 0xFB, 0x1EDF}, {0xD4, 0xDB, 0x1EDE},
    {0xF4, 0xF8, 0x1EDD}, {0xD4, 0xD8, 0x1EDC}, {0xF4, 0xF9, 0x1EDB}, {0xD4, 0xD9, 0x1EDA},
    {0x6F, 0xE4, 0x1ED9}, {0x4F, 0xC4, 0x1ED8}, {0x6F, 0xE3, 0x1ED7}, {0x4F, 0xC3, 0x1ED6},
    {0x6F, 0xE5, 0x1ED5}, {0x4F, 0xC5, 0x1ED4}, {0x6F, 0xE0, 0x1ED3}, {0x4F, 0xC0, 0x1ED2},
    {0x6F, 0xE1, 0x1ED1}, {0x4F, 0xC1, 0x1ED0}, {0x6F, 0xFB, 0x1ECF}, {0x4F, 0xDB, 0x1ECE},
    {0x6F, 0xEF, 0x1ECD}, {0x4F, 0xCF, 0x1ECC}, {0x65, 0xE4, 0x1EC7}, {0x45, 0xC4, 0x1EC6},
    {0x65, 0xE3, 0x1EC5}, {0x45, 0xC3, 0x1EC4}, {0x65, 0xE5, 0x1EC3}, {0x45, 0xC5, 0x1EC2},
    {0x65, 0xE0, 0x1EC1}, {0x45, 0xC0, 0x1EC0}, {0x65, 0xE1, 0x1EBF}, {0x45, 0xC1, 0x1EBE},
    {0x65, 0xF5, 0x1EBD}, {0x45, 0xD5, 0x1EBC}, {0x65, 0xFB, 0x1EBB}, {0x45, 0xDB, 0x1EBA},
    {0x65, 0xEF, 0x1EB9}, {0x45, 0xCF, 0x1EB8}, {0x61, 0xEB, 0x1EB7}, {0x41, 0xCB, 0x1EB6},
    {0x61, 0xFC, 0x1EB5}, {0x41, 0xDC, 0x1EB4}, {0x61, 0xFA, 0x1EB3}, {0x41, 0xDA, 0x1EB2},
    {0x61, 0xE8, 0x1EB1}, {0x41, 0xC8, 0x1EB0}, {0x61, 0xE9, 0x1EAF}, {0x41, 0xC9, 0x1EAE},
    {0x61, 0xE4, 0x1EAD}, {0x41, 0xC4, 0x1EAC}, {0x61, 0xE3, 0x1EAB}, {0x41, 0xC3, 0x1EAA},
    {0x61, 0xE5, 0x1EA9}, {0x41, 0xC5, 0x1EA8}, {0x61, 0xE0, 0x1EA7}, {0x41, 0xC0, 0x1EA6},
    {0x61, 0xE1, 0x1EA5}, {0x41, 0xC1, 0x1EA4}, {0x61, 0xFB, 0x1EA3}, {0x41, 0xDB, 0x1EA2},
    {0x61, 0xEF, 0x1EA1}, {0x41, 0xCF, 0x1EA0}, {0x75, 0xF5, 0x0169}, {0x55, 0xD5, 0x0168},
    {0x61, 0xEA, 0x0103}, {0x41, 0xCA, 0x0102}, {0x79, 0xF9, 0x00FD}, {0x75, 0xF9, 0x00FA},
    {0x75, 0xF8, 0x00F9}, {0x6F, 0xF5, 0x00F5}, {0x6F, 0xF9, 0x00F3}, {0x6F, 0xF8, 0x00F2},
    {0x65, 0xE2, 0x00EA}, {0x65, 0xF9, 0x00E9}, {0x65, 0xF8, 0x00E8}, {0x61, 0xF5, 0x00E3},
    {0x61, 0xE2, 0x00E2}, {0x61, 0xF9, 0x00E1}, {0x61, 0xF8, 0x00E0}, {0x59, 0xD9, 0x00DD},
    {0x55, 0xD9, 0x00DA}, {0x55, 0xD8, 0x00D9}, {0x4F, 0xD5, 0x00D5}, {0x4F, 0xD9, 0x00D3},
    {0x4F, 0xD8, 0x00D2}, {0x45, 0xC2, 0x00CA}, {0x45, 0xD9, 0x00C9}, {0x45, 0xD8, 0x00C8},
    {0x41, 0xD5, 0x00C3}, {0x41, 0xC2, 0x00C2}, {0x41, 0xD9, 0x00C1}, {0x41, 0xD8, 0x00C0},
};

struct UnitPair {
  char16_t from;
  char16_t to;
};
constexpr UnitPair kVniFirstLetters[] = {
    {0x00D1, 0x0110}, {0x00F1, 0x0111}, {0x00D3, 0x0128}, {0x00F3, 0x0129}, {0x00D2, 0x1ECA},
    {0x00F2, 0x1ECB}, {0x00C6, 0x1EC8}, {0x00E6, 0x1EC9}, {0x00CE, 0x1EF4}, {0x00EE, 0x1EF5}};
constexpr UnitPair kVniLastLetters[] = {{0x00D4, 0x01A0}, {0x00F4, 0x01A1}, {0x00D6, 0x01AF},
                                        {0x00F6, 0x01B0}, {0x00C6, 0x00D4}, {0x00E6, 0x00F4}};

// The VNI rows as UTF-16, turned from their bytes once, through the code-page step with the ANSI
// code page (0), so that they compare equal to lyric text that went the same way. Built on first
// use; the initialisation of a function's static is thread-safe.
struct VniPair {
  char16_t first;
  char16_t second;
  char16_t letter;
};
struct VniTable {
  VniPair rows[116];
  VniTable() {
    CodePageDecoder decoder(0);
    for (size_t i = 0; i < 116; ++i) {
      const char bytes[2] = {static_cast<char>(kVniRows[i].first),
                             static_cast<char>(kVniRows[i].second)};
      char16_t units[3] = {};
      decoder.Decode(std::string_view(bytes, 2), units, 3);
      rows[i] = {units[0], units[1], kVniRows[i].letter};
    }
  }
};
const VniTable& Vni() {
  static const VniTable table;
  return table;
}

// Replaces every occurrence of one unit, left to right.
void ReplaceUnit(char16_t* text, size_t length, UnitPair pair) {
  for (size_t i = 0; i < length; ++i) {
    if (text[i] == pair.from) text[i] = pair.to;
  }
}

// Replaces every occurrence of a two-unit sequence by one unit, left to right, without looking
// at what a replacement produced; returns the new length.
size_t ReplacePair(char16_t* text, size_t length, const VniPair& pair) {
  size_t out = 0;
  size_t i = 0;
  while (i < length) {
    if (i + 1 < length && text[i] == pair.first && text[i + 1] == pair.second) {
      text[out++] = pair.letter;
      i += 2;
    } else {
      text[out++] = text[i++];
    }
  }
  return out;
}

}  // namespace

void ConvertTcvn(char16_t* text, size_t capacity) {
  for (size_t i = 0; i < capacity && text[i] != 0; ++i) {
    const char16_t c = text[i];
    if (c >= 0xA0 && c <= 0xFF && kTcvn.letter[c - 0xA0] != 0) text[i] = kTcvn.letter[c - 0xA0];
  }
}

namespace {

// The three steps of the VNI conversion on `length` units; returns the new length.
size_t ConvertVniUnits(char16_t* text, size_t length) {
  bool high = false;  // every VNI sequence and letter involves a unit of U+00C0..U+00FF
  for (size_t i = 0; i < length && !high; ++i)
    high = text[i] >= 0xC0 && text[i] <= 0xFF;
  if (!high) return length;
  for (const UnitPair& pair : kVniFirstLetters)
    ReplaceUnit(text, length, pair);
  for (const VniPair& pair : Vni().rows)
    length = ReplacePair(text, length, pair);
  for (const UnitPair& pair : kVniLastLetters)
    ReplaceUnit(text, length, pair);
  return length;
}

}  // namespace

void ConvertVni(char16_t* text, size_t capacity) {
  size_t length = 0;
  while (length < capacity && text[length] != 0)
    ++length;
  const size_t converted = ConvertVniUnits(text, length);
  if (converted < length) text[converted] = 0;
}

void ConvertTcvn(std::u16string& text) {
  ConvertTcvn(text.data(), text.size());
}

void ConvertVni(std::u16string& text) {
  const size_t length = std::min(text.find(u'\0'), text.size());
  const size_t converted = ConvertVniUnits(text.data(), length);
  text.erase(converted, length - converted);
}

void ApplyLetterConversion(int32_t language, char16_t* text, size_t capacity) {
  if (language == kLanguageTcvn) {
    ConvertTcvn(text, capacity);
  } else if (language == kLanguageVni) {
    ConvertVni(text, capacity);
  }
}

}  // namespace lyrovox

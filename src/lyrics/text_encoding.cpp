#include "lyrics/text_encoding.h"

#include <unicode/ucnv.h>

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

size_t DecodeLyricText(std::string_view bytes, int32_t codePage, char16_t* dest, size_t capacity) {
  CodePageDecoder decoder(codePage);
  return decoder.Decode(bytes, dest, capacity);
}

void ApplyLetterConversion(int32_t /*language*/, char16_t* /*text*/, size_t /*capacity*/) {
  // TCVN and VNI letter tables are not wired in yet; other languages need no repair.
}

}  // namespace lyrovox

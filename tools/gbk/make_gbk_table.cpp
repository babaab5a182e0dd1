// Writes the C++ source of the GBK table (src/lyrics/gbk_table.h) from ICU's converter data, so
// that the table is built from its source data instead of kept as a blob.
//
//   lyrovox-make-gbk-table OUT.cpp
//
// The table is the GBK double-byte mapping: 24192 values for lead bytes 0x81..0xFE and trail
// bytes 0x40..0xFF. It starts from ICU's code page 936 converter ("windows-936-2000", Microsoft's
// GBK) and changes it in two ways, both worked out from ICU data by the rules below.
//
// Rule 1, private-use values. Code page 936 gives 2149 codes a private-use value (U+E000..U+F8FF):
//   - the three user-defined areas of GBK (0xAAA1..0xAFFE, 0xF8A1..0xFEFE, 0xA140..0xA7A0, 1894
//     codes): GBK assigns no character there;
//   - 160 codes outside them that GBK leaves empty;
//   - 95 codes where GBK does define a character (pinyin letters, ideographic description
//     characters, the radicals and components of 0xFE50..0xFEA0) that Unicode did not have
//     yet when code page 936 was mapped (before version 3.0).
// Only the last group keeps its value; every other private-use value becomes 0 ("no character").
// The GBK characters are found with ICU's GB 18030 converter, the standard that took GBK's
// repertoire over into later Unicode: a code is a GBK character when GB 18030 maps it to a
// standard (not private-use) character that (a) Unicode had by version 3.0, the version
// GB 18030-2000 was aligned to (later identifications, such as the vertical forms of Unicode 4.1,
// are characters GB 18030 added of its own), and (b) code page 936 does not already hold under
// another code (0xA2E3 is the euro sign in GB 18030, which code page 936 has at the single byte
// 0x80). GBK defines its characters in blocks, and code page 936 numbered each block with
// consecutive private-use values, so a block is taken whole: a run of consecutive codes with
// consecutive private-use values keeps its values when GB 18030 identifies at least one of its
// codes. This covers the 14 components of 0xFE50..0xFEA0 that GB 18030 still leaves in private
// use (for instance 0xFE51), and no run of empty codes.
//
// Rule 2, the dashes. Code page 936 gives 0xA1AA (a GB 2312 code) U+2014 and 0xA844 U+2015, the
// reverse of GBK's own mapping, which keeps GB 2312's U+2015 for 0xA1AA. Microsoft exchanged two
// values inside the table there, and the exchange is undone: where ICU's GB 2312 converter
// (GB_2312-80, ibm-5478) maps a code of GB 2312's area to another character than code page 936
// does, and code page 936 holds that GB 2312 character under exactly one other code, the two
// codes exchange their values; 0xA1AA becomes U+2015 and 0xA844 U+2014. Where code page 936 does
// not hold the GB 2312 character at all (0xA1A4 U+30FB, 0xA3A7 U+00B4) nothing was exchanged, the
// repertoire is that of code page 936, and the code keeps code page 936's value.
//
// The result: 21791 standard characters, 95 private-use values (all in U+E7C7..U+E864) and 2306
// zeros (252 of them the trail bytes 0x7F and 0xFF). The generator checks these numbers and the
// two dashes and fails the build when the ICU data gives anything else.

#include <unicode/uchar.h>
#include <unicode/ucnv.h>

#include <cstdio>
#include <set>
#include <vector>

namespace {

constexpr int kLeads = 126;   // 0x81..0xFE
constexpr int kTrails = 192;  // 0x40..0xFF
constexpr int kSize = kLeads * kTrails;

bool IsPrivateUse(unsigned c) {
  return c >= 0xE000 && c <= 0xF8FF;
}

int Index(int lead, int trail) {
  return (lead - 0x81) * kTrails + (trail - 0x40);
}

bool IsValidTrail(int trail) {
  return trail != 0x7F && trail != 0xFF;
}

class Converter {
 public:
  explicit Converter(const char* name) {
    UErrorCode status = U_ZERO_ERROR;
    converter_ = ucnv_open(name, &status);
    if (U_FAILURE(status)) {
      converter_ = nullptr;
      return;
    }
    ucnv_setToUCallBack(converter_, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
  }
  ~Converter() {
    if (converter_ != nullptr) ucnv_close(converter_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return converter_ != nullptr; }

  // The code point the bytes decode to as one character; 0 when they decode to none or more.
  unsigned Decode(const char* bytes, int length) {
    UChar out[4];
    UChar* target = out;
    const char* source = bytes;
    UErrorCode status = U_ZERO_ERROR;
    ucnv_reset(converter_);
    ucnv_toUnicode(converter_, &target, out + 4, &source, bytes + length, nullptr, true, &status);
    if (U_FAILURE(status)) return 0;
    if (target - out == 1) return out[0];
    if (target - out == 2 && U16_IS_LEAD(out[0]) && U16_IS_TRAIL(out[1])) {
      return U16_GET_SUPPLEMENTARY(out[0], out[1]);
    }
    return 0;
  }
  unsigned Decode2(int lead, int trail) {
    const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    return Decode(bytes, 2);
  }

 private:
  UConverter* converter_ = nullptr;
};

bool HadByUnicode30(unsigned c) {
  UVersionInfo age;
  u_charAge(static_cast<UChar32>(c), age);
  return age[0] != 0 && (age[0] < 3 || (age[0] == 3 && age[1] == 0));
}

int Fail(const char* program, const char* what) {
  std::fprintf(stderr, "%s: %s\n", program, what);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUT.cpp\n", argv[0]);
    return 2;
  }
  Converter cp936("windows-936-2000");
  Converter gb18030("gb18030");
  Converter gb2312("ibm-5478_P100-1995");  // GB_2312-80, in its 7-bit form 0x21..0x7E
  if (!cp936.ok() || !gb18030.ok() || !gb2312.ok()) {
    return Fail(argv[0], "ICU lacks a converter (windows-936-2000, gb18030, ibm-5478)");
  }

  std::vector<unsigned> raw(kSize, 0);  // code page 936 as ICU gives it
  std::set<unsigned> held;  // every character code page 936 holds, single bytes included
  for (int b = 0; b < 0x100; ++b) {
    const char byte = static_cast<char>(b);
    if (const unsigned c = cp936.Decode(&byte, 1); c != 0) held.insert(c);
  }
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFF; ++trail) {
      if (!IsValidTrail(trail)) continue;
      const unsigned c = cp936.Decode2(lead, trail);
      raw[Index(lead, trail)] = c;
      if (c != 0) held.insert(c);
    }
  }
  std::vector<unsigned> table = raw;

  // Rule 1: runs of codes in table order (valid trails only) with consecutive private-use values.
  std::vector<int> run;
  auto closeRun = [&](std::vector<int>& codes) {
    bool identified = false;
    for (int i : codes) {
      const unsigned c = gb18030.Decode2(0x81 + i / kTrails, 0x40 + i % kTrails);
      if (c != 0 && !IsPrivateUse(c) && HadByUnicode30(c) && held.count(c) == 0) identified = true;
    }
    if (!identified) {
      for (int i : codes)
        table[i] = 0;
    }
    codes.clear();
  };
  int previous = -1;  // index of the previous valid code when it had a private-use value
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFF; ++trail) {
      if (!IsValidTrail(trail)) continue;
      const int i = Index(lead, trail);
      if (!IsPrivateUse(raw[i])) {
        if (!run.empty()) closeRun(run);
        previous = -1;
        continue;
      }
      if (!run.empty() && (previous < 0 || raw[previous] + 1 != raw[i])) closeRun(run);
      run.push_back(i);
      previous = i;
    }
  }
  if (!run.empty()) closeRun(run);

  // Rule 2: GB 2312's own values where code page 936 swapped two codes.
  int exchanges = 0;
  for (int lead = 0xA1; lead <= 0xFE; ++lead) {
    for (int trail = 0xA1; trail <= 0xFE; ++trail) {
      const int i = Index(lead, trail);
      const unsigned own = gb2312.Decode2(lead - 0x80, trail - 0x80);
      const unsigned ms = raw[i];
      if (own == 0 || ms == 0 || own == ms) continue;
      int other = -1;
      int holders = 0;
      for (int j = 0; j < kSize; ++j) {
        if (j != i && raw[j] == own) {
          other = j;
          ++holders;
        }
      }
      if (holders != 1) continue;
      table[i] = own;
      table[other] = ms;
      ++exchanges;
    }
  }

  // The numbers the GBK table is known by.
  int zeros = 0;
  int privateUse = 0;
  int privateUseOutside = 0;
  for (unsigned c : table) {
    zeros += c == 0;
    if (IsPrivateUse(c)) {
      ++privateUse;
      privateUseOutside += c < 0xE7C7 || c > 0xE864;
    }
    if (c > 0xFFFF) return Fail(argv[0], "a GBK code maps outside the BMP");
  }
  if (exchanges != 1 || table[Index(0xA1, 0xAA)] != 0x2015 || table[Index(0xA8, 0x44)] != 0x2014) {
    return Fail(argv[0], "the dashes 0xA1AA/0xA844 did not come out as U+2015/U+2014");
  }
  if (zeros != 2306 || privateUse != 95 || privateUseOutside != 0) {
    std::fprintf(stderr, "%s: %d zeros, %d private-use values (%d outside U+E7C7..U+E864)\n",
                 argv[0], zeros, privateUse, privateUseOutside);
    return Fail(argv[0], "expected 2306 zeros and 95 private-use values in U+E7C7..U+E864");
  }

  FILE* f = std::fopen(argv[1], "w");
  if (f == nullptr) return Fail(argv[0], "cannot write the output file");
  std::fprintf(f,
               "// Generated by lyrovox-make-gbk-table (tools/gbk/make_gbk_table.cpp) from ICU's\n"
               "// code page 936, GB 18030 and GB 2312 data; the rules are in the generator.\n");
  std::fprintf(f, "#include \"lyrics/gbk_table.h\"\n\nnamespace lyrovox {\n\nnamespace {\n");
  std::fprintf(f, "const char16_t kTable[kGbkTableSize] = {\n");
  for (size_t i = 0; i < table.size(); ++i) {
    std::fprintf(f, "0x%04X,%s", table[i], i % 12 == 11 ? "\n" : " ");
  }
  std::fprintf(f, "};\n}  // namespace\n\n");
  std::fprintf(
      f, "std::span<const char16_t, kGbkTableSize> GbkTable() { return std::span(kTable); }\n");
  std::fprintf(f, "\n}  // namespace lyrovox\n");
  return std::fclose(f) == 0 ? 0 : 1;
}

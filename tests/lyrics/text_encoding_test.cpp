#include "lyrics/text_encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace lyrovox {
namespace {

std::u16string Decode(std::string_view bytes, int32_t codePage, size_t capacity = 256) {
  std::vector<char16_t> dest(capacity + 1, u'#');
  const size_t n = DecodeLyricText(bytes, codePage, dest.data(), capacity);
  EXPECT_EQ(dest[capacity], u'#') << "wrote past the capacity";
  if (capacity == 0) return {};
  EXPECT_EQ(dest[n], 0);
  return std::u16string(dest.data(), n);
}

// Bytes as a Windows-1252 reading leaves them, then the letter conversion.
std::u16string Tcvn(std::string_view bytes) {
  std::u16string text = Decode(bytes, 0);
  ConvertTcvn(text);
  return text;
}

std::u16string Vni(std::string_view bytes) {
  std::u16string text = Decode(bytes, 0);
  ConvertVni(text);
  return text;
}

TEST(CodePageForLanguage, FollowsTheLanguageTable) {
  const int32_t expected[] = {0,    950,  936,  1258, -1,  -1,  1256, 1257, 1251,
                              1250, 1252, 1253, 1255, 932, 949, 874,  1254, 65001};
  for (int i = 0; i < 18; ++i) {
    const auto cp = CodePageForLanguage(i);
    if (expected[i] < 0) {
      EXPECT_FALSE(cp.has_value()) << i;
    } else {
      ASSERT_TRUE(cp.has_value()) << i;
      EXPECT_EQ(*cp, expected[i]) << i;
    }
  }
  EXPECT_FALSE(CodePageForLanguage(18).has_value());
  EXPECT_FALSE(CodePageForLanguage(-1).has_value());
}

TEST(DecodeLyricText, CutsAtTheCapacityInEveryKindOfCodePage) {
  EXPECT_EQ(Decode("abcdef", 1252, 4), u"abc");
  EXPECT_EQ(Decode("abc", 1252, 4), u"abc");
  EXPECT_EQ(Decode("abc", 1252, 1), u"");
  EXPECT_EQ(Decode("abc", 1252, 0), u"");
  // Double-byte: three characters of six bytes into room for two.
  EXPECT_EQ(Decode("\xD6\xD0\xCE\xC4\xD7\xD6", 936, 3), u"\u4E2D\u6587");
  EXPECT_EQ(Decode("\xC7\xD1\xB1\xB9", 949, 2), u"\uD55C");
  // UTF-8: a character outside the BMP does not fit in one unit and is not cut in half.
  EXPECT_EQ(Decode("a\xF0\x9F\x8E\xA4", 65001, 3), u"a");
  EXPECT_EQ(Decode("a\xF0\x9F\x8E\xA4", 65001, 4), u"a\U0001F3A4");
}

TEST(DecodeLyricText, EndsAtTheFirstZeroByte) {
  EXPECT_EQ(Decode(std::string_view("ab\0cd", 5), 1252), u"ab");
  EXPECT_EQ(Decode(std::string_view("\xB0\xA1\0\xB0\xA1", 5), 936), u"\u554A");
}

TEST(DecodeLyricText, CodePageZeroAndUnknownCodePagesReadAsWindows1252) {
  EXPECT_EQ(Decode("\x80\xE9", 0), u"\u20AC\u00E9");
  EXPECT_EQ(Decode("\x80\xE9", 12345), u"\u20AC\u00E9");
}

TEST(DecodeLyricText, BrokenDoubleByteTextIsReplacedNotOverrun) {
  // A lead byte at the end of the text.
  const std::u16string t = Decode("a\x81", 936);
  ASSERT_FALSE(t.empty());
  EXPECT_EQ(t[0], u'a');
  EXPECT_LE(t.size(), 2u);
}

// TCVN: table order, source byte through a Windows-1252 reading, replacement.
struct TcvnRow {
  uint8_t byte;
  char16_t letter;
};
constexpr TcvnRow kTcvnRows[] = {
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

TEST(ConvertTcvn, SingleLettersAndPairs) {
  EXPECT_EQ(Tcvn("\xB8"), u"\u00E1");
  EXPECT_EQ(Tcvn("Hello"), u"Hello");
  EXPECT_EQ(Tcvn("\xA7i h\xB8t c\xEFng nhau"), u"\u0110i h\u00E1t c\u00F9ng nhau");
}

TEST(ConvertTcvn, EveryRowOfTheTable) {
  ASSERT_EQ(std::size(kTcvnRows), 76u);
  for (const TcvnRow& row : kTcvnRows) {
    const char byte = static_cast<char>(row.byte);
    EXPECT_EQ(Tcvn(std::string_view(&byte, 1)), std::u16string(1, row.letter)) << int{row.byte};
  }
  // Bytes without a row stay as the code-page step left them.
  EXPECT_EQ(Tcvn("\xA0\xA3\xFF"), u"\u00A0\u00A3\u00FF");
}

TEST(ConvertTcvn, StaysInsideItsCapacity) {
  char16_t text[4] = {0xB8, 0xB8, 0xB8, 0xB8};  // no terminator
  ConvertTcvn(text, 3);
  EXPECT_EQ(text[0], 0x00E1);
  EXPECT_EQ(text[2], 0x00E1);
  EXPECT_EQ(text[3], 0x00B8);
}

// VNI: table order, two source bytes, replacement.
struct VniRow {
  uint8_t first;
  uint8_t second;
  char16_t letter;
};
constexpr VniRow kVniRows[] = {
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

TEST(ConvertVni, SingleLettersAndPairs) {
  EXPECT_EQ(Vni("\x61\xF9"), u"\u00E1");
  EXPECT_EQ(Vni("\xD1"), u"\u0110");
  EXPECT_EQ(Vni("\x4F\xC2"), u"\u00D4");
  EXPECT_EQ(Vni("\xD4"), u"\u01A0");
  EXPECT_EQ(Vni("\xC6"), u"\u1EC8");
}

TEST(ConvertVni, TheStepOrderKeepsTheMarkersApart) {
  // Incoming U+00C6/U+00E6 become Ỉ/ỉ before the table uses them as markers for Ô/ô.
  EXPECT_EQ(Vni("\xC6\x4F\xC2\xE6\x6F\xE2"), u"\u1EC8\u00D4\u1EC9\u00F4");
  // A bare Ô or Ö of the VNI text becomes Ơ or Ư, before the markers become Ô and ô.
  EXPECT_EQ(Vni("\xD4\xD6\xF4\xF6"), u"\u01A0\u01AF\u01A1\u01B0");
  // Single letters of step 1.
  EXPECT_EQ(Vni("\xD1\xF1\xD3\xF3\xD2\xF2\xC6\xE6\xCE\xEE"),
            u"\u0110\u0111\u0128\u0129\u1ECA\u1ECB\u1EC8\u1EC9\u1EF4\u1EF5");
  // ư + ờ: the pair F4 F8 is a row; the bare F6 is a letter of step 3.
  EXPECT_EQ(Vni("ng\xF6\xF4\xF8i"), u"ng\u01B0\u1EDDi");
  EXPECT_EQ(Vni("\xD1i ha\xF9t cu\xF8ng nhau"), u"\u0110i h\u00E1t c\u00F9ng nhau");
  EXPECT_EQ(Vni("Vie\xE4t Nam"), u"Vi\u1EC7t Nam");
}

TEST(ConvertVni, EveryRowOfTheTable) {
  ASSERT_EQ(std::size(kVniRows), 116u);
  for (const VniRow& row : kVniRows) {
    const char bytes[2] = {static_cast<char>(row.first), static_cast<char>(row.second)};
    char16_t letter = row.letter;
    if (letter == 0x00C6) letter = 0x00D4;  // the markers end as Ô and ô
    if (letter == 0x00E6) letter = 0x00F4;
    EXPECT_EQ(Vni(std::string_view(bytes, 2)), std::u16string(1, letter))
        << std::hex << int{row.first} << " " << int{row.second};
  }
}

TEST(ConvertVni, ShortensInPlaceAndTerminates) {
  char16_t text[8] = {u'x', 0x61, 0xF9, 0x61, 0xF9, 0, u'#', u'#'};
  ConvertVni(text, 8);
  EXPECT_EQ(std::u16string(text), u"x\u00E1\u00E1");
  // Without a terminator inside the capacity only the capacity is read and written.
  char16_t full[4] = {0x61, 0xF9, 0x61, 0xF9};
  ConvertVni(full, 3);
  EXPECT_EQ(full[0], 0x00E1);
  EXPECT_EQ(full[1], 0x0061);
  EXPECT_EQ(full[2], 0);
  EXPECT_EQ(full[3], 0xF9);
}

// The VNI table is built on first use; threads that convert at once all see it whole.
TEST(ConvertVni, FirstUseFromManyThreads) {
  std::vector<std::thread> threads;
  std::vector<std::u16string> results(8);
  for (size_t i = 0; i < results.size(); ++i) {
    threads.emplace_back([&results, i] {
      std::u16string text = u"\u00D1i ha\u00F9t cu\u00F8ng nhau";
      ConvertVni(text);
      results[i] = text;
    });
  }
  for (std::thread& t : threads)
    t.join();
  for (const std::u16string& r : results)
    EXPECT_EQ(r, u"\u0110i h\u00E1t c\u00F9ng nhau");
}

TEST(ApplyLetterConversion, ByLanguageIndex) {
  const std::u16string source = u"\u00B8\u00D1";
  for (int language = 0; language < 18; ++language) {
    std::u16string text = source;
    ApplyLetterConversion(language, text.data(), text.size() + 1);
    if (language == 4) {
      EXPECT_EQ(text, u"\u00E1\u1EB9");
    } else if (language == 5) {
      EXPECT_EQ(text.c_str(), std::u16string(u"\u00B8\u0110"));
    } else {
      EXPECT_EQ(text, source) << language;
    }
  }
}

}  // namespace
}  // namespace lyrovox

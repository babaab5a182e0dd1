#include "lyrics/gbk_table.h"

#include <gtest/gtest.h>

#include <unicode/ucnv.h>

namespace lyrovox {
namespace {

char16_t Gbk(int lead, int trail) {
  return GbkTable()[static_cast<size_t>((lead - 0x81) * 192 + (trail - 0x40))];
}

bool IsPrivateUse(char16_t c) {
  return c >= 0xE000 && c <= 0xF8FF;
}

TEST(GbkTable, HasTheNumbersOfTheGbkMapping) {
  ASSERT_EQ(GbkTable().size(), 24192u);
  int zeros = 0;
  int privateUse = 0;
  int standard = 0;
  for (char16_t c : GbkTable()) {
    if (c == 0) {
      ++zeros;
    } else if (IsPrivateUse(c)) {
      ++privateUse;
      EXPECT_GE(c, 0xE7C7);
      EXPECT_LE(c, 0xE864);
    } else {
      ++standard;
    }
  }
  EXPECT_EQ(zeros, 2306);
  EXPECT_EQ(privateUse, 95);
  EXPECT_EQ(standard, 21791);
}

TEST(GbkTable, TrailBytes7FAndFFHaveNoCharacter) {
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    EXPECT_EQ(Gbk(lead, 0x7F), 0) << lead;
    EXPECT_EQ(Gbk(lead, 0xFF), 0) << lead;
  }
}

TEST(GbkTable, TheDashesFollowGbkNotMicrosoft) {
  EXPECT_EQ(Gbk(0xA1, 0xAA), 0x2015);
  EXPECT_EQ(Gbk(0xA8, 0x44), 0x2014);
  // The other differences of GB 2312's own mapping are not taken over.
  EXPECT_EQ(Gbk(0xA1, 0xA4), 0x00B7);
  EXPECT_EQ(Gbk(0xA3, 0xA7), 0xFF07);
}

TEST(GbkTable, SampleCharacters) {
  EXPECT_EQ(Gbk(0xB0, 0xA1), 0x554A);  // the first GB 2312 hanzi
  EXPECT_EQ(Gbk(0x81, 0x40), 0x4E02);  // the first GBK/3 hanzi
  EXPECT_EQ(Gbk(0xD6, 0xD0), 0x4E2D);
  EXPECT_EQ(Gbk(0xB9, 0xFA), 0x56FD);
  EXPECT_EQ(Gbk(0xA1, 0xA1), 0x3000);
  EXPECT_EQ(Gbk(0xA3, 0xC1), 0xFF21);
  EXPECT_EQ(Gbk(0xFE, 0x4F), 0xFA29);  // the last GBK/4 code before the components
}

TEST(GbkTable, PrivateUseOnlyForGbkCharactersUnicodeLacked) {
  // GBK characters without a Unicode 2.1 character keep code page 936's private-use values.
  EXPECT_EQ(Gbk(0xA8, 0xBC), 0xE7C7);
  EXPECT_EQ(Gbk(0xA8, 0xBF), 0xE7C8);
  EXPECT_EQ(Gbk(0xA9, 0x89), 0xE7E7);
  EXPECT_EQ(Gbk(0xA9, 0x95), 0xE7F3);
  EXPECT_EQ(Gbk(0xFE, 0x50), 0xE815);
  EXPECT_EQ(Gbk(0xFE, 0x51), 0xE816);  // still private use in GB 18030-2005
  EXPECT_EQ(Gbk(0xFE, 0xA0), 0xE864);
  // User-defined areas.
  EXPECT_EQ(Gbk(0xAA, 0xA1), 0);
  EXPECT_EQ(Gbk(0xAF, 0xFE), 0);
  EXPECT_EQ(Gbk(0xF8, 0xA1), 0);
  EXPECT_EQ(Gbk(0xFE, 0xFE), 0);
  EXPECT_EQ(Gbk(0xA1, 0x40), 0);
  EXPECT_EQ(Gbk(0xA7, 0xA0), 0);
  // Codes GBK leaves empty.
  EXPECT_EQ(Gbk(0xA2, 0xAB), 0);
  EXPECT_EQ(Gbk(0xA2, 0xE3), 0);  // the euro sign of GB 18030, not of GBK
  EXPECT_EQ(Gbk(0xA6, 0xD9), 0);
  EXPECT_EQ(Gbk(0xA8, 0xC1), 0);
  EXPECT_EQ(Gbk(0xA9, 0x97), 0);
  EXPECT_EQ(Gbk(0xD7, 0xFA), 0);
}

// Apart from the two dashes and the codes without a GBK character, the table is code page 936.
TEST(GbkTable, AgreesWithCodePage936Elsewhere) {
  UErrorCode status = U_ZERO_ERROR;
  UConverter* cp936 = ucnv_open("windows-936-2000", &status);
  ASSERT_TRUE(U_SUCCESS(status));
  int differences = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      UChar out[2] = {};
      status = U_ZERO_ERROR;
      ucnv_toUChars(cp936, out, 2, bytes, 2, &status);
      const char16_t gbk = Gbk(lead, trail);
      if (gbk == out[0]) continue;
      ++differences;
      EXPECT_TRUE(gbk == 0 || (lead == 0xA1 && trail == 0xAA) || (lead == 0xA8 && trail == 0x44))
          << std::hex << lead << trail;
    }
  }
  ucnv_close(cp936);
  EXPECT_EQ(differences, 2149 - 95 + 2);
}

}  // namespace
}  // namespace lyrovox

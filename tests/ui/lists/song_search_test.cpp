// The song search: lowering of A to Z only, the Vietnamese folding table, and which titles a
// query finds.

#include "ui/lists/song_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lyrovox {
namespace {

TEST(VietnameseFoldTest, EachMarkedLetterBecomesItsBaseLetter) {
  // The letters and their bases as the search is specified, one line per base letter.
  const struct {
    char16_t base;
    std::u16string letters;
  } cases[] = {
      {u'd', u"\u00D0\u0110\u0111"},
      {u'i', u"\u0128\u0129\u00CC\u00EC\u1ECA\u1ECB\u1EC8\u1EC9\u00CD\u00ED"},
      {u'y', u"\u1EF4\u1EF5\u1EF2\u1EF3\u1EF6\u1EF7\u1EF8\u1EF9\u00DD\u00FD"},
      {u'o',
       u"\u01A0\u01A1\u00D4\u00F4\u1ECC\u1EE3\u00D2\u00D3\u00D5\u00F2\u00F3\u00F5\u00C6\u00E6"},
      {u'u', u"\u01AF\u01B0\u1EE4\u1EF1\u00D9\u00DA\u00F9\u00FA\u0168\u0169"},
      {u'a', u"\u1EA0\u1EB7\u00C0\u00C1\u00C2\u00C3\u00E0\u00E1\u00E2\u00E3\u0102\u0103"},
      {u'e', u"\u1EB8\u1EC7\u00C8\u00C9\u00CA\u00E8\u00E9\u00EA"},
  };
  for (const auto& c : cases) {
    for (char16_t letter : c.letters)
      EXPECT_EQ(FoldVietnamese(letter), c.base) << std::hex << int(letter);
  }
  // Letters the folding leaves: plain ASCII (not even upper case), other marked letters, CJK.
  for (char16_t c : std::u16string(u"aZ09 -\u00C4\u00D1\u00DF\u4E2D\u1EFA\u0100"))
    EXPECT_EQ(FoldVietnamese(c), c) << std::hex << int(c);
  // Combining marks of decomposed text go.
  EXPECT_EQ(FoldVietnamese(std::u16string_view(u"Bi\u0300nh")), u"Binh");
}

TEST(LowerAsciiTest, OnlyAToZ) {
  EXPECT_EQ(LowerAscii(u"HOÀ Bình ĐÔNG xyz"), u"hoÀ bình ĐÔng xyz");
}

class SongSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char16_t* title : kTitles)
      index.Append(title);
  }
  static constexpr const char16_t* kTitles[] = {
      u"000001 - Hello",
      u"000002 - Đêm Đông",
      u"000003 - Hoà Bình",
      u"000004 - 月亮代表我的心",
      u"000005 - HOA SỮA",
      u"Dropped Song",
      u"000007 - Tím",
      u"000008 - Bi\u0300nh",
      u"000009 - hòa",
      // Its UTF-16 bytes are 00 78 00 30: an "x" (78 00) at an odd byte, inside two characters.
      u"000010 - \u7800\u3000",
  };
  SongSearchIndex index;
};

TEST_F(SongSearchTest, WhatEachQueryFinds) {
  const struct {
    std::u16string query;
    std::vector<int> rows;
  } cases[] = {
      {u"hoa", {2, 4, 8}},  // "Hoà" and "hòa" through folding, "HOA" by lowering
      {u"Hoà", {2}},        // both sides lowered: found directly; "hòa" has another mark
      {u"HOÀ", {}},         // À is not lowered, so it is found nowhere
      {u"hòa", {8}},        // a query with marks finds only the same marks
      {u"dem dong", {1}},   // Đ and đ fold to d
      {u"đêm", {}},         // the query is not folded, and the title has Đ, not đ
      {u"Đêm", {1}},       {u"tim", {6}},  // í folds to i
      {u"binh", {2, 7}},                   // decomposed marks are dropped by folding
      {u"月亮", {3}},      {u"0000", {0, 1, 2, 3, 4, 6, 7, 8, 9}},
      {u"dropped", {5}},   {u"hello\n000002", {}},  // never across two titles
      {u"x", {}},                                   // only whole characters match
      {u"", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(index.Find(c.query), c.rows) << std::string(c.query.begin(), c.query.end());
  }
}

}  // namespace
}  // namespace lyrovox

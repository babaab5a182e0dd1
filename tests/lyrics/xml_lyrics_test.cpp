// XML lyrics and the CXmlNode / CXmlNodes wrappers.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/smf_builder.h"
#include "lyrics/lyric_store.h"
#include "lyrics/text_buffer.h"
#include "lyrics/xml/xml_node.h"
#include "support/store_fixture.h"

namespace lyrovox {
namespace {

std::span<const uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

// ---------------------------------------------------------------------------------------------
// The wrappers

TEST(CXmlNode, WalksTheDocument) {
  CXmlNode doc;
  ASSERT_TRUE(doc.LoadBytes(
      Bytes("<?xml version=\"1.0\"?><!-- c --><data a=\"1\">text<l s=\"m\"><w va=\"x\">Hel<b>l</b>"
            "<![CDATA[o<]]> &amp; </w></l><?pi?><l/></data>")));
  const CXmlNode root = doc.GetRoot();
  ASSERT_TRUE(root.IsValid());
  EXPECT_EQ(root.GetName(), u"data");
  EXPECT_EQ(root.GetAttribute("a"), u"1");
  EXPECT_EQ(root.GetAttribute("missing"), u"");
  const CXmlNodes lines = root.GetChildren();
  ASSERT_EQ(lines.GetCount(), 2);  // elements only: no text, comments or instructions
  EXPECT_EQ(lines.GetItem(0).GetAttribute("s"), u"m");
  EXPECT_FALSE(lines.GetItem(2).IsValid());
  EXPECT_FALSE(lines.GetItem(-1).IsValid());
  const CXmlNode w = lines.GetItem(0).GetChildren().GetItem(0);
  EXPECT_EQ(w.GetText(), u"Hello< &");  // descendants, CDATA and entities; trimmed
  EXPECT_EQ(lines.GetItem(1).GetChildren().GetCount(), 0);
  // An empty node answers emptily.
  const CXmlNode none;
  EXPECT_FALSE(none.GetRoot().IsValid());
  EXPECT_EQ(none.GetName(), u"");
  EXPECT_EQ(none.GetChildren().GetCount(), 0);
  EXPECT_EQ(none.GetText(), u"");
}

TEST(CXmlNode, NodesShareTheDocumentByReference) {
  CXmlNodes lines;
  CXmlNode first;
  {
    CXmlNode doc;
    ASSERT_TRUE(doc.LoadBytes(Bytes("<data><a>x</a><b>y</b></data>")));
    EXPECT_EQ(doc.ShareCount(), 1);
    const CXmlNode root = doc.GetRoot();
    EXPECT_EQ(doc.ShareCount(), 2);
    lines = root.GetChildren();
    first = lines.GetItem(0);
    EXPECT_EQ(doc.ShareCount(), 4);
  }
  // The document lives on in the list and the node taken from it.
  EXPECT_EQ(first.ShareCount(), 2);
  EXPECT_EQ(first.GetName(), u"a");
  EXPECT_EQ(lines.GetItem(1).GetText(), u"y");
  lines = CXmlNodes();
  EXPECT_EQ(first.ShareCount(), 1);
  EXPECT_EQ(first.GetText(), u"x");
}

TEST(CXmlNode, FailedLoadsLeaveAnEmptyNode) {
  testing::TempDir dir;
  CXmlNode doc;
  EXPECT_FALSE(doc.Load(dir.File("missing.xml")));
  EXPECT_FALSE(doc.IsValid());
  EXPECT_FALSE(doc.LoadBytes(Bytes("<data><l></data>")));
  EXPECT_FALSE(doc.IsValid());
  EXPECT_FALSE(doc.LoadBytes(Bytes("")));
  EXPECT_TRUE(doc.Load(dir.Write("ok.xml", "<data/>")));
  EXPECT_TRUE(doc.GetRoot().IsValid());
}

TEST(CXmlNode, EncodingsByMarkAndDeclaration) {
  const std::u16string expected = u"\u0110i h\u00E1t \u4F60";
  {
    CXmlNode doc;  // UTF-16 with a byte-order mark
    ASSERT_TRUE(doc.LoadBytes(Bytes(smf::Utf16Le(u"\uFEFF<data>\u0110i h\u00E1t \u4F60</data>"))));
    EXPECT_EQ(doc.GetRoot().GetText(), expected);
  }
  {
    CXmlNode doc;  // UTF-8 without a declaration
    ASSERT_TRUE(doc.LoadBytes(Bytes("<data>\xC4\x90i h\xC3\xA1t \xE4\xBD\xA0</data>")));
    EXPECT_EQ(doc.GetRoot().GetText(), expected);
  }
  {
    CXmlNode doc;  // Latin-1 by declaration
    ASSERT_TRUE(
        doc.LoadBytes(Bytes("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><data>h\xE1t</data>")));
    EXPECT_EQ(doc.GetRoot().GetText(), u"h\u00E1t");
  }
  {
    CXmlNode doc;  // a Windows code page by declaration, read through ICU
    ASSERT_TRUE(doc.LoadBytes(Bytes(
        "<?xml version='1.0' encoding = 'windows-1251'?><data s=\"\xCF\">\xCF\xF0\xE8</data>")));
    EXPECT_EQ(doc.GetRoot().GetText(), u"\u041F\u0440\u0438");
    EXPECT_EQ(doc.GetRoot().GetAttribute("s"), u"\u041F");
  }
  {
    CXmlNode doc;  // GB 2312 by declaration
    ASSERT_TRUE(doc.LoadBytes(
        Bytes("<?xml version=\"1.0\" encoding=\"GB2312\"?><data>\xC4\xE3\xBA\xC3</data>")));
    EXPECT_EQ(doc.GetRoot().GetText(), u"\u4F60\u597D");
  }
  {
    CXmlNode doc;  // an encoding nobody knows: read as UTF-8
    ASSERT_TRUE(
        doc.LoadBytes(Bytes("<?xml version=\"1.0\" encoding=\"x-nobody\"?><data>ok</data>")));
    EXPECT_EQ(doc.GetRoot().GetText(), u"ok");
  }
}

// ---------------------------------------------------------------------------------------------
// Into the lyric store

class LoadXmlTest : public testing::StoreFixture<> {
 protected:
  void Load(std::string_view xml) {
    store.Clear();  // as song opening does before the call
    store.LoadXmlLyrics(dir.Write("song.xml", xml));
  }
};

TEST_F(LoadXmlTest, AMaleLineOfTwoSyllables) {
  Load("<data><line s=\"m\"><w va=\"0:01:50\">Hel</w><w va=\"0:02:00\">lo</w></line></data>");
  ASSERT_EQ(store.count, 2);
  EXPECT_EQ(Text(0), u"M: Hel ");
  EXPECT_EQ(Time(0), 1500);
  EXPECT_EQ(Break(0), 1);
  EXPECT_EQ(Text(1), u"lo");
  EXPECT_EQ(Time(1), 2000);
  EXPECT_EQ(Break(1), 0);
  EXPECT_EQ(store.title[0], 0);
  EXPECT_EQ(store.artist[0], 0);
}

TEST_F(LoadXmlTest, SingerMarks) {
  Load(
      "<data>"
      "<l s=\"f\"><w va=\"0:01:00\">a</w></l>"
      "<l s=\"x\"><w va=\"0:02:00\">b</w></l>"
      "<l><w va=\"0:03:00\">c</w></l>"
      "<l s=\"\"><w va=\"0:04:00\">d</w></l>"
      "<l s=\"M\"><w va=\"0:05:00\">e</w></l>"
      "</data>");
  ASSERT_EQ(store.count, 5);
  EXPECT_EQ(Text(0), u"F: a");
  EXPECT_EQ(Text(1), u"D: b");
  EXPECT_EQ(Text(2), u"D: c");
  EXPECT_EQ(Text(3), u"D: d");
  EXPECT_EQ(Text(4), u"D: e");  // the attribute is compared exactly
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(Break(i), 1);
}

TEST_F(LoadXmlTest, TheRootMustBeNamedData) {
  Load("<Data><l s=\"m\"><w va=\"0:01:00\">a</w></l></Data>");
  EXPECT_EQ(store.count, 0);
  Load("<data><l s=\"m\"><w va=\"0:01:00\">a</w></l>");  // not well-formed
  EXPECT_EQ(store.count, 0);
  store.LoadXmlLyrics(dir.File("missing.xml"));
  EXPECT_EQ(store.count, 0);
}

TEST_F(LoadXmlTest, TimesThatAreNotReadOrZeroDropTheSyllable) {
  Load(
      "<data><l s=\"m\">"
      "<w va=\"1:02\">two fields</w>"
      "<w va=\"0:00:00\">zero</w>"
      "<w>none</w>"
      "<w va=\"1:02:35\">a</w>"
      "<w va=\" 1: 02: 3 5 \">b</w>"
      "<w va=\"0:01:5\">c</w>"
      "</l></data>");
  ASSERT_EQ(store.count, 2);
  // The first stored syllable takes the mark but is not the line's first child.
  EXPECT_EQ(Text(0), u"M: a ");
  EXPECT_EQ(Time(0), 62350);
  EXPECT_EQ(Break(0), 0);
  EXPECT_EQ(Text(1), u"b ");
  EXPECT_EQ(Time(1), 62350);
}

TEST_F(LoadXmlTest, LinesWithoutTimedSyllables) {
  Load(
      "<data>"
      "<l s=\"m\"/>"
      "<l s=\"f\"><w>untimed</w></l>"
      "<l s=\"x\"><w va=\"0:01:00\">a</w><w va=\"0:02:00\">b</w></l>"
      "</data>");
  ASSERT_EQ(store.count, 2);
  EXPECT_EQ(Text(0), u"D: a ");  // the earlier marks were overwritten
  EXPECT_EQ(Text(1), u"b");
}

TEST_F(LoadXmlTest, MarkTextAndSpaceAreCutTogether) {
  const std::string long70(70, 'x');
  Load("<data><l s=\"f\"><w va=\"0:01:00\">" + long70 +
       "yyyyyyyyyyyy</w><w va=\"0:02:00\">z</w></l></data>");
  ASSERT_EQ(store.count, 2);
  EXPECT_EQ(Text(0).size(), 79u);
  EXPECT_EQ(Text(0).substr(0, 5), u"F: xx");
}

TEST_F(LoadXmlTest, AFullStoreTakesTheMarkAtItsLastSyllable) {
  std::string xml = "<data>";
  for (int line = 0; line < 1501; ++line) {
    xml += "<l s=\"f\"><w va=\"0:01:00\">a" + std::to_string(line) + "</w><w va=\"0:01:50\">b" +
           std::to_string(line) + "</w></l>";
  }
  xml += "<l s=\"m\"><w va=\"9:00:00\">last</w></l></data>";
  Load(xml);
  // 3003 timed syllables: the store holds 3000, the last slot taking each further one whole.
  EXPECT_EQ(store.count, kMaxSyllables);
  EXPECT_EQ(Text(2999), u"M: last");
  EXPECT_EQ(Time(2999), 540000);
  EXPECT_EQ(Break(2999), 1);
  EXPECT_EQ(Text(2998), u"F: a1499 ");
}

TEST_F(LoadXmlTest, AMarkOnAFullStoreOverwritesTheLastSyllable) {
  std::string xml = "<data><l s=\"f\">";
  for (int i = 0; i < 3000; ++i)
    xml += "<w va=\"0:01:00\">s</w>";
  xml += "</l><l s=\"m\"><w>untimed</w></l></data>";
  Load(xml);
  EXPECT_EQ(store.count, kMaxSyllables);
  // The clamped index: the mark lands in the last syllable, never past it.
  EXPECT_EQ(Text(2999), u"M: ");
}

TEST_F(LoadXmlTest, UnicodeTextKeepsItsScript) {
  Load(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><data><l s=\"f\">"
      "<w va=\"0:01:00\">\xEB\x85\xB8</w><w va=\"0:01:50\">\xEB\x9E\x98</w></l></data>");
  ASSERT_EQ(store.count, 2);
  EXPECT_EQ(Text(0), u"F: \uB178 ");
  EXPECT_EQ(Text(1), u"\uB798");
}

}  // namespace
}  // namespace lyrovox

#include "lyrics/xml/xml_node.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <pugixml.hpp>

#include "lyrics/file_bytes.h"

namespace lyrovox {

struct CXmlNode::Document {
  pugi::xml_document doc;
};

namespace {

// UTF-16 of pugixml's UTF-8 text; a malformed sequence becomes U+FFFD.
std::u16string FromUtf8(std::string_view s) {
  if (s.size() > static_cast<size_t>(INT32_MAX)) return {};
  std::u16string out(s.size(), u'\0');  // never more units than bytes
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                       &length, s.data(), static_cast<int32_t>(s.size()), 0xFFFD, nullptr, &status);
  if (U_FAILURE(status)) return {};
  out.resize(static_cast<size_t>(length));
  return out;
}

// The encoding named by an XML declaration at the start of 8-bit bytes ("" when there is none).
std::string DeclaredEncoding(std::span<const uint8_t> bytes) {
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()),
                              std::min<size_t>(bytes.size(), 1024));
  if (text.substr(0, 5) != "<?xml") return {};
  const std::string_view decl = text.substr(0, text.find("?>"));
  size_t p = decl.find("encoding");
  if (p == std::string_view::npos) return {};
  p += 8;
  auto skipSpace = [&] {
    while (p < decl.size() && std::isspace(static_cast<unsigned char>(decl[p])))
      ++p;
  };
  skipSpace();
  if (p >= decl.size() || decl[p] != '=') return {};
  ++p;
  skipSpace();
  if (p >= decl.size() || (decl[p] != '"' && decl[p] != '\'')) return {};
  const char quote = decl[p++];
  const size_t end = decl.find(quote, p);
  if (end == std::string_view::npos) return {};
  return std::string(decl.substr(p, end - p));
}

// Encodings pugixml reads itself (its own detection covers them, and UTF-16/32 without marks).
bool PugixmlReads(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return name.empty() || name == "utf-8" || name == "utf8" || name == "iso-8859-1" ||
         name == "latin1" || name == "utf-16" || name == "utf-32";
}

// Bytes in an encoding pugixml does not know, turned into UTF-16 with ICU; false when ICU does
// not know the encoding either.
bool DecodeWithIcu(std::span<const uint8_t> bytes, const std::string& encoding,
                   std::u16string& out) {
  UErrorCode status = U_ZERO_ERROR;
  UConverter* converter = ucnv_open(encoding.c_str(), &status);
  if (U_FAILURE(status)) return false;
  out.resize(bytes.size() * 2 + 2);
  status = U_ZERO_ERROR;
  const int32_t n = ucnv_toUChars(
      converter, reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
      reinterpret_cast<const char*>(bytes.data()), static_cast<int32_t>(bytes.size()), &status);
  ucnv_close(converter);
  if (U_FAILURE(status)) return false;
  out.resize(static_cast<size_t>(n));
  return true;
}

// The text and CDATA below `top` in document order; a walk without recursion, so that deeply
// nested elements cannot exhaust the stack.
void AppendText(pugi::xml_node top, std::string& out) {
  pugi::xml_node node = top.first_child();
  while (node) {
    if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
      out += node.value();
    }
    if (node.type() == pugi::node_element && node.first_child()) {
      node = node.first_child();
      continue;
    }
    while (node && node != top && !node.next_sibling())
      node = node.parent();
    if (!node || node == top) break;
    node = node.next_sibling();
  }
}

bool IsXmlSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

bool CXmlNode::Load(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (ReadFileBytes(path, bytes) != kOk) {
    *this = CXmlNode();
    return false;
  }
  return LoadBytes(bytes);
}

bool CXmlNode::LoadBytes(std::span<const uint8_t> bytes) {
  auto document = std::make_shared<Document>();
  pugi::xml_parse_result parsed;
  const std::string encoding = DeclaredEncoding(bytes);
  std::u16string wide;
  if (!PugixmlReads(encoding) && bytes.size() < (size_t{1} << 30) &&
      DecodeWithIcu(bytes, encoding, wide)) {
    parsed = document->doc.load_buffer(wide.data(), wide.size() * sizeof(char16_t),
                                       pugi::parse_default, pugi::encoding_utf16);
  } else {
    parsed = document->doc.load_buffer(bytes.data(), bytes.size(), pugi::parse_default,
                                       pugi::encoding_auto);
  }
  if (!parsed) {
    *this = CXmlNode();
    return false;
  }
  pugi::xml_node_struct* root = document->doc.internal_object();
  *this = CXmlNode(std::move(document), root);
  return true;
}

CXmlNode CXmlNode::GetRoot() const {
  if (node_ == nullptr) return {};
  const pugi::xml_node element = pugi::xml_node(node_).find_child(
      [](pugi::xml_node n) { return n.type() == pugi::node_element; });
  if (!element) return {};
  return CXmlNode(document_, element.internal_object());
}

std::u16string CXmlNode::GetName() const {
  if (node_ == nullptr) return {};
  return FromUtf8(pugi::xml_node(node_).name());
}

CXmlNodes CXmlNode::GetChildren() const {
  CXmlNodes list;
  if (node_ == nullptr) return list;
  list.document_ = document_;
  for (pugi::xml_node child : pugi::xml_node(node_).children()) {
    if (child.type() == pugi::node_element) list.nodes_.push_back(child.internal_object());
  }
  return list;
}

std::u16string CXmlNode::GetAttribute(std::string_view name) const {
  if (node_ == nullptr) return {};
  for (pugi::xml_attribute a : pugi::xml_node(node_).attributes()) {
    if (name == a.name()) return FromUtf8(a.value());
  }
  return {};
}

std::u16string CXmlNode::GetText() const {
  if (node_ == nullptr) return {};
  std::string text;
  AppendText(pugi::xml_node(node_), text);
  size_t first = 0;
  size_t last = text.size();
  while (first < last && IsXmlSpace(text[first]))
    ++first;
  while (last > first && IsXmlSpace(text[last - 1]))
    --last;
  return FromUtf8(std::string_view(text).substr(first, last - first));
}

CXmlNode CXmlNodes::GetItem(int i) const {
  if (i < 0 || i >= GetCount()) return {};
  return CXmlNode(document_, nodes_[static_cast<size_t>(i)]);
}

}  // namespace lyrovox

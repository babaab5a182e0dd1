#pragma once

// The XML document object model as the XML lyric reader uses it: CXmlNode (one node,
// or a loaded document) and CXmlNodes (a list of nodes), small wrappers over pugixml. Copies
// share the parsed document by reference counting; the document is released when the last node
// or list that came from it goes away. Text comes out as UTF-16.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pugi {
struct xml_node_struct;
}

namespace lyrovox {

class CXmlNodes;

class CXmlNode {
 public:
  CXmlNode() = default;

  // Creates a document and loads the file (or bytes) into it; this node becomes the document.
  // The encoding is found by the parser's rules: a byte-order mark, the form of the first
  // characters, or the encoding named in the XML declaration (UTF-8, UTF-16, UTF-32, Latin-1,
  // and every other encoding ICU knows, Windows code pages among them). False when the document
  // cannot be read or is not well-formed; the node is then empty.
  bool Load(const std::string& path);
  bool LoadBytes(std::span<const uint8_t> bytes);

  // False for an empty node (a default one, a failed load, a missing root or item).
  bool IsValid() const { return node_ != nullptr; }
  // The document's root element (of a document node); empty when there is none.
  CXmlNode GetRoot() const;
  // The element's name.
  std::u16string GetName() const;
  // The element's child elements, in document order.
  CXmlNodes GetChildren() const;
  // The attribute's value; empty when the attribute is missing.
  std::u16string GetAttribute(std::string_view name) const;
  // The text content: the text and CDATA of the node and its descendants in document order,
  // without leading and trailing white space.
  std::u16string GetText() const;

  // How many nodes and lists share this node's document (0 for an empty node).
  long ShareCount() const { return document_.use_count(); }

 private:
  struct Document;
  CXmlNode(std::shared_ptr<Document> document, pugi::xml_node_struct* node)
      : document_(std::move(document)), node_(node) {}
  friend class CXmlNodes;

  std::shared_ptr<Document> document_;
  pugi::xml_node_struct* node_ = nullptr;
};

class CXmlNodes {
 public:
  CXmlNodes() = default;
  int GetCount() const { return static_cast<int>(nodes_.size()); }
  // The node at index i; an empty node outside 0..count-1.
  CXmlNode GetItem(int i) const;

 private:
  friend class CXmlNode;
  std::shared_ptr<CXmlNode::Document> document_;
  std::vector<pugi::xml_node_struct*> nodes_;
};

}  // namespace lyrovox

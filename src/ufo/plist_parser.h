// Property-list text -> XML document (rapidxml), with the nesting bound and
// closing-tag validation.
#pragma once

#include <cstddef>
#include <istream>
#include <rapidxml/rapidxml.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace ufo {

// Property-list nodes that documents may still take, out of the limit set for one read.
struct PListNodeBudget {
  std::size_t left = 0;
  std::size_t limit = 0;
};

// A parsed document and the text it points into.
class PListDocument {
 public:
  PListDocument() = default;
  ~PListDocument() { clear(); }
  PListDocument(const PListDocument&) = delete;
  PListDocument& operator=(const PListDocument&) = delete;

  // The first top-level element (declarations, comments and DOCTYPE are not
  // kept), or null for an empty document.
  const rapidxml::xml_node<char>* firstNode() const { return document_.first_node(); }
  // The first child of the "plist" root when it is an element; null when the first
  // node is not "plist" or its first child is no element.
  const rapidxml::xml_node<char>* rootElement() const;
  // The root element when it is "dict"; otherwise null.
  const rapidxml::xml_node<char>* rootDict() const;
  const rapidxml::xml_document<char>& xml() const { return document_; }
  // Gives the nodes taken from the parser's budget back.
  void clear();
  // The same, except the share of the tree built from it, which outlives the document:
  // that stays taken.
  void clearKeepingTree();

  // A tree will be built from this document (ufo::PListNode): its nodes are taken from
  // the budget with the parsed nodes. Set before parsing.
  void setTreeBuilt(bool built) { treeBuilt_ = built; }
  // Nodes the document (and its tree) holds, as taken from the budget.
  std::size_t nodes() const { return nodes_; }

 private:
  friend class PListParser;
  std::vector<char> text_;
  rapidxml::xml_document<char> document_;
  bool treeBuilt_ = false;
  std::size_t nodes_ = 0;
  std::size_t treeNodes_ = 0;
  PListNodeBudget* budget_ = nullptr;
};

class PListParser {
 public:
  virtual ~PListParser() = default;

  // Reads the whole stream, trims blanks, tabs and line feeds, and parses the
  // text into the document. On failure prints "plist parsing error: " and the
  // XML parser's message as one line on the standard output and returns false (the
  // document is empty).
  [[nodiscard]] bool parse(std::istream& in, PListDocument& document);
  // The same for text already in memory (reported the same way); when `source`, the
  // file the text came from, is given, a second line names it and where the error is.
  [[nodiscard]] bool parse(std::string text, PListDocument& document, std::string_view source = {});
  // The same for text already in memory; prints nothing.
  [[nodiscard]] bool parseText(std::string text, PListDocument& document);

  // Nodes that the documents parsed from now on may hold at once (elements, attributes,
  // texts, and the nodes of trees built from them): each parse takes its share before
  // the document is built and refuses the text when too few are left; a document gives
  // its share back when cleared. Null: no bound. The budget must outlive the documents.
  void setNodeBudget(PListNodeBudget* budget) { budget_ = budget; }

  // The XML parser's message of the last failure, alone.
  const std::string& errorMessage() const { return errorMessage_; }
  // Where it happened in the text given: line from 1 and byte from 0; line 0 when the
  // failure has no place.
  std::size_t errorLine() const { return errorLine_; }
  std::size_t errorByte() const { return errorByte_; }

 private:
  PListNodeBudget* budget_ = nullptr;
  std::string errorMessage_;
  std::size_t errorLine_ = 0;
  std::size_t errorByte_ = 0;
};

// Text of an element: its character data and CDATA children joined (entity
// references resolved); empty when it has none.
std::string elementText(const rapidxml::xml_node<char>* element);
// The same without a copy when the text is one piece (the usual case): the result views
// the document or, when pieces were joined, `storage`.
std::string_view elementTextView(const rapidxml::xml_node<char>* element, std::string& storage);

}  // namespace ufo

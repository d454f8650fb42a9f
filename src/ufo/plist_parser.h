// Property-list text -> XML document (rapidxml), with the nesting bound and
// closing-tag validation.
#pragma once

#include <istream>
#include <rapidxml/rapidxml.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace ufo {

// A parsed document and the text it points into.
class PListDocument {
 public:
  PListDocument() = default;
  PListDocument(const PListDocument&) = delete;
  PListDocument& operator=(const PListDocument&) = delete;

  // The first top-level element (declarations, comments and DOCTYPE are not
  // kept), or null for an empty document.
  const rapidxml::xml_node<char>* firstNode() const { return document_.first_node(); }
  // The "dict" element when the first node is "plist" and its first child
  // element is "dict"; otherwise null.
  const rapidxml::xml_node<char>* rootDict() const;
  const rapidxml::xml_document<char>& xml() const { return document_; }
  void clear();

 private:
  friend class PListParser;
  std::vector<char> text_;
  rapidxml::xml_document<char> document_;
};

class PListParser {
 public:
  virtual ~PListParser() = default;

  // Reads the whole stream, trims blanks, tabs and line feeds, and parses the
  // text into the document. On failure prints "plist parsing error: " and the
  // message on the standard output and returns false (the document is empty).
  [[nodiscard]] bool parse(std::istream& in, PListDocument& document);
  // The same for text already in memory (reported the same way); a failure names
  // `source`, the file the text came from, when it is given.
  [[nodiscard]] bool parse(std::string text, PListDocument& document, std::string_view source = {});
  // The same for text already in memory; prints nothing.
  [[nodiscard]] bool parseText(std::string text, PListDocument& document);

  const std::string& errorMessage() const { return errorMessage_; }

 private:
  std::string errorMessage_;
};

// Text of an element: its character data and CDATA children joined (entity
// references resolved); empty when it has none.
std::string elementText(const rapidxml::xml_node<char>* element);
// The same without a copy when the text is one piece (the usual case): the result views
// the document or, when pieces were joined, `storage`.
std::string_view elementTextView(const rapidxml::xml_node<char>* element, std::string& storage);

}  // namespace ufo

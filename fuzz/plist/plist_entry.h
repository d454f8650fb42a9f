// Fuzz entry over the property-list parser and tree, shared by the libFuzzer
// target and the regression replay test. Returns false when an invariant
// breaks: whatever parses must print as well-formed XML that parses back and
// prints the same again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "ufo/limits.h"
#include "ufo/plist_node.h"
#include "ufo/plist_parser.h"
#include "xml/xml_parser.h"

namespace fuzz {

// Prints what the document's <plist> element holds as the body of a new <plist>, at the
// depth it had: a document printed this way prints the same again, and holds no more
// levels than the one it came from (a new root around it would add one, and a document
// at the nesting bound would then be refused).
inline std::string printPlistTree(const ufo::PListDocument& document) {
  ufo::PListNode holder(ufo::plist::kArray);
  if (const auto* plist = document.firstNode()) holder.fromXml(plist->first_node());
  std::ostringstream out;
  out << "<plist>\n";
  if (const auto* first = holder.firstChild()) first->writeXml(out, 2, false, true);
  out << "</plist>\n";
  return out.str();
}

// Deepest element nesting of a parsed document, walked without recursion.
inline int documentDepth(const ufo::PListDocument& document) {
  int deepest = 0;
  int depth = 0;
  const rapidxml::xml_node<char>* node = document.xml().first_node();
  while (node != nullptr) {
    if (node->type() == rapidxml::node_element && depth + 1 > deepest) deepest = depth + 1;
    if (node->first_node() != nullptr) {
      node = node->first_node();
      ++depth;
      continue;
    }
    while (node != nullptr && node->next_sibling() == nullptr) {
      node = node->parent() == &document.xml() ? nullptr : node->parent();
      --depth;
    }
    if (node != nullptr) node = node->next_sibling();
  }
  return deepest;
}

inline bool plistEntry(const std::uint8_t* data, std::size_t size) {
  ufo::PListParser parser;
  ufo::PListDocument document;
  if (!parser.parseText(std::string(reinterpret_cast<const char*>(data), size), document)) {
    return true;
  }
  // The nesting bound is checked before parsing; the parser must agree with it.
  if (documentDepth(document) > ufo::kMaxPlistDepth) return false;
  const std::string printed = printPlistTree(document);

  std::istringstream strict(printed);
  xml::XmlParser checker;
  if (!checker.parse(strict)) return false;

  ufo::PListDocument again;
  if (!parser.parseText(printed, again)) return false;
  return printPlistTree(again) == printed;
}

}  // namespace fuzz

#include "ufo/plist_parser.h"

#include <algorithm>
#include <cstring>
#include <iostream>
#include <iterator>
#include <utility>

#include "ufo/limits.h"
#include "ufo/plist_node.h"
#include "ufo/text_encoding.h"

namespace ufo {
namespace {

constexpr const char* kParseErrorPrefix = "plist parsing error: ";
constexpr const char* kTooDeep = "elements are nested deeper than 256 levels";
constexpr const char* kTooManyNodes =
    "the property lists hold more elements, attributes and texts than the reader accepts";
constexpr int kParseFlags = rapidxml::parse_validate_closing_tags;
// A node per text would double the size of a document of scalars.
constexpr int kPlainTextFlags = kParseFlags | rapidxml::parse_no_data_nodes;
// What trimWhitespace cuts from both ends.
constexpr const char* kTrimmedBlanks = " \t\n";

bool isXmlBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Elements whose text is their value.
bool holdsText(std::string_view tag) {
  return tag == "string" || tag == "key" || tag == "integer" || tag == "real" || tag == "date";
}

// Elements whose children are elements.
bool isContainer(std::string_view tag) {
  const std::string_view name = tag.substr(0, tag.find_first_of(" \t\r\n/"));
  return name == "dict" || name == "array" || name == "plist";
}

// What a scan finds out about a document before it is parsed.
struct DocumentShape {
  // Every text is the only content of its element: the parser may keep it as the
  // element's value alone.
  bool plainTexts = true;
  std::size_t elements = 0;
  std::size_t attributes = 0;
  std::size_t texts = 0;

  // What the parser makes of it.
  std::size_t nodes() const { return elements + attributes + (plainTexts ? 0 : texts); }
};

// Advances text past the first occurrence of terminator; false when it is missing.
bool skipPast(const char*& text, const char* end, std::string_view terminator) {
  if (terminator.size() == 1) {
    // The common case (the end of a tag) with the library's fastest search.
    const void* found = std::memchr(text, terminator.front(), static_cast<std::size_t>(end - text));
    if (found == nullptr) return false;
    text = static_cast<const char*>(found) + 1;
    return true;
  }
  const std::string_view rest(text, static_cast<std::size_t>(end - text));
  const auto found = rest.find(terminator);
  if (found == std::string_view::npos) return false;
  text += found + terminator.size();
  return true;
}

// Nesting depth of the elements in the text, scanned without recursion and
// with the same skipping rules as the XML parser (comments, CDATA, processing
// instructions, DOCTYPE with its internal subset, quoted attribute values).
// False when the depth passes maxDepth. A text the scan cannot follow is left
// to the parser, which reports it.
//
// Also notes where a key or scalar element holds nothing but blanks: the
// parser drops such text, so it is handed over as character references.
//
// And notes the document's shape: whether every text stands alone in its element (then
// the element's value is its text, and the parser need not make a node for each text),
// and how many nodes the parse makes.
bool scanText(const char* begin, const char* end, int maxDepth,
              std::vector<std::pair<std::size_t, std::size_t>>& blankValues, DocumentShape& shape) {
  const char* text = begin;
  int depth = 0;
  // For each open element: whether it is a container, whose children are elements only.
  std::vector<bool> containers;
  while (text < end) {
    if (*text != '<') {
      const void* tag = std::memchr(text, '<', static_cast<std::size_t>(end - text));
      const char* stop = tag == nullptr ? end : static_cast<const char*>(tag);
      if (depth > 0 && std::any_of(text, stop, [](char c) { return !isXmlBlank(c); })) {
        ++shape.texts;
        if (containers.back()) shape.plainTexts = false;
      }
      if (tag == nullptr) break;
      text = stop;
    }
    const std::string_view rest(text, static_cast<std::size_t>(end - text));
    // Comments, CDATA and instructions inside an element can split or carry its text.
    if (depth > 0 && rest.starts_with("<!")) shape.plainTexts = false;
    if (depth > 0 && rest.starts_with("<?")) shape.plainTexts = false;
    if (rest.starts_with("<![CDATA[")) ++shape.texts;
    if (rest.starts_with("<!--")) {
      if (!skipPast(text, end, "-->")) return true;
    } else if (rest.starts_with("<![CDATA[")) {
      if (!skipPast(text, end, "]]>")) return true;
    } else if (rest.starts_with("<?")) {
      if (!skipPast(text, end, "?>")) return true;
    } else if (rest.starts_with("<!DOCTYPE") && rest.size() > 9 && isXmlBlank(rest[9])) {
      // To the first ">" outside a bracketed internal subset.
      for (text += 9; text < end && *text != '>'; ++text) {
        if (*text != '[') continue;
        int brackets = 1;
        for (++text; text < end && brackets > 0; ++text) {
          if (*text == '[') ++brackets;
          if (*text == ']') --brackets;
        }
        --text;
      }
      ++text;
    } else if (rest.starts_with("<!")) {
      if (!skipPast(text, end, ">")) return true;
    } else if (rest.starts_with("</")) {
      if (depth > 0) {
        --depth;
        containers.pop_back();
      }
      if (!skipPast(text, end, ">")) return true;
    } else {
      char quote = 0;
      char previous = 0;
      for (++text; text < end; ++text) {
        if (quote != 0) {
          if (*text == quote) quote = 0;
        } else if (*text == '"' || *text == '\'') {
          quote = *text;
        } else if (*text == '=') {
          ++shape.attributes;
        } else if (*text == '>') {
          break;
        }
        previous = *text;
      }
      if (text >= end) return true;
      const std::string_view tag(rest.data() + 1, static_cast<std::size_t>(text - rest.data() - 1));
      ++text;
      if (depth + 1 > maxDepth) return false;
      ++shape.elements;
      // Markup inside a value (a data entry holding XML) is printed from its text nodes.
      if (depth > 0 && !containers.back()) shape.plainTexts = false;
      if (previous == '/') continue;  // an empty element opens no level
      ++depth;
      containers.push_back(isContainer(tag));
      if (holdsText(tag)) {
        const char* blank = text;
        while (blank < end && isXmlBlank(*blank)) ++blank;
        if (blank > text && end - blank >= 2 && blank[0] == '<' && blank[1] == '/') {
          blankValues.emplace_back(static_cast<std::size_t>(text - begin),
                                   static_cast<std::size_t>(blank - text));
        }
      }
    }
  }
  return true;
}

// The character reference that stands for a blank the parser would drop.
const char* blankReference(char c) {
  return c == ' ' ? "&#x20;" : c == '\t' ? "&#x9;" : c == '\n' ? "&#xA;" : "&#xD;";
}

// The offset in `text` of an offset into the parsed copy, in which the blank runs of
// `blankValues` stand as character references.
std::size_t sourceOffset(const std::string& text, const std::vector<std::pair<std::size_t, std::size_t>>& blankValues,
                         std::size_t parsedOffset) {
  std::size_t parsed = 0;
  std::size_t source = 0;
  for (const auto& [start, length] : blankValues) {
    const std::size_t plain = start - source;
    if (parsedOffset < parsed + plain) break;
    parsed += plain;
    source = start;
    std::size_t replaced = 0;
    for (std::size_t i = start; i < start + length; ++i) replaced += std::strlen(blankReference(text[i]));
    if (parsedOffset < parsed + replaced) return start;
    parsed += replaced;
    source = start + length;
  }
  return source + (parsedOffset - parsed);
}

}  // namespace

const rapidxml::xml_node<char>* PListDocument::rootElement() const {
  const auto* plist = document_.first_node();
  if (plist == nullptr || plist->type() != rapidxml::node_element ||
      std::string_view(plist->name(), plist->name_size()) != "plist") {
    return nullptr;
  }
  const auto* root = plist->first_node();
  return root != nullptr && root->type() == rapidxml::node_element ? root : nullptr;
}

const rapidxml::xml_node<char>* PListDocument::rootDict() const {
  const auto* dict = rootElement();
  return dict != nullptr && std::string_view(dict->name(), dict->name_size()) == "dict" ? dict : nullptr;
}

void PListDocument::clearKeepingTree() {
  nodes_ -= treeNodes_;
  treeNodes_ = 0;
  clear();
}

void PListDocument::clear() {
  if (budget_ != nullptr) budget_->left += nodes_;
  budget_ = nullptr;
  nodes_ = 0;
  treeNodes_ = 0;
  document_.clear();
  std::vector<char>().swap(text_);  // gives the memory back, not only the length
}

bool PListParser::parse(std::istream& in, PListDocument& document) {
  std::string text;
  if (in.good()) {
    // Block reads: a character iterator costs a call per byte.
    constexpr std::size_t kBlock = 64 * 1024;
    for (;;) {
      const std::size_t used = text.size();
      text.resize(used + kBlock);
      in.read(text.data() + used, static_cast<std::streamsize>(kBlock));
      const auto got = in.gcount();
      text.resize(used + static_cast<std::size_t>(got > 0 ? got : 0));
      if (!in) break;
    }
  }
  return parse(std::move(text), document);
}

bool PListParser::parse(std::string text, PListDocument& document, std::string_view source) {
  if (parseText(std::move(text), document)) return true;
  // The parser's message stands alone on its line; where it happened goes on the next.
  std::cout << kParseErrorPrefix << errorMessage_ << '\n';
  if (!source.empty()) {
    std::cout << "in \"" << source << '"';
    if (errorLine_ > 0) std::cout << " at line " << errorLine_ << " (byte " << errorByte_ << ')';
    std::cout << '\n';
  }
  std::cout << std::flush;
  return false;
}

bool PListParser::parseText(std::string text, PListDocument& document) {
  errorMessage_.clear();
  errorLine_ = 0;
  errorByte_ = 0;
  document.clear();
  // Blanks cut from the front still count for the place of an error.
  const std::size_t leading = std::min(text.size(), text.find_first_not_of(kTrimmedBlanks));
  const auto leadingLines = std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(leading), '\n');
  trimWhitespace(text);
  std::vector<std::pair<std::size_t, std::size_t>> blankValues;
  DocumentShape shape;
  if (!scanText(text.data(), text.data() + text.size(), kMaxPlistDepth, blankValues, shape)) {
    errorMessage_ = kTooDeep;
    return false;
  }
  shape.texts += blankValues.size();
  const std::size_t treeNodes = document.treeBuilt_ ? shape.elements : 0;
  if (budget_ != nullptr) {
    if (shape.nodes() + treeNodes > budget_->left) {
      errorMessage_ = std::string(kTooManyNodes) + " (" + std::to_string(budget_->limit) + " at once)";
      return false;
    }
    budget_->left -= shape.nodes() + treeNodes;
    document.budget_ = budget_;
    document.nodes_ = shape.nodes() + treeNodes;
    document.treeNodes_ = treeNodes;
  }
  document.text_.reserve(text.size() + 1);
  std::size_t copied = 0;
  for (const auto& [start, length] : blankValues) {
    document.text_.insert(document.text_.end(), text.begin() + static_cast<std::ptrdiff_t>(copied),
                          text.begin() + static_cast<std::ptrdiff_t>(start));
    for (std::size_t i = start; i < start + length; ++i) {
      const char* reference = blankReference(text[i]);
      document.text_.insert(document.text_.end(), reference, reference + std::strlen(reference));
    }
    copied = start + length;
  }
  document.text_.insert(document.text_.end(), text.begin() + static_cast<std::ptrdiff_t>(copied),
                        text.end());
  document.text_.push_back('\0');
  try {
    if (shape.plainTexts) {
      document.document_.parse<kPlainTextFlags>(document.text_.data());
    } else {
      document.document_.parse<kParseFlags>(document.text_.data());
    }
  } catch (const rapidxml::parse_error& error) {
    errorMessage_ = error.what();
    const auto offset = error.where<char>() - document.text_.data();
    if (offset >= 0 && static_cast<std::size_t>(offset) < document.text_.size()) {
      const std::size_t at = std::min(text.size(), sourceOffset(text, blankValues, static_cast<std::size_t>(offset)));
      const auto lines = leadingLines + std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n');
      errorLine_ = static_cast<std::size_t>(lines) + 1;
      errorByte_ = leading + at;
    }
    document.clear();
    return false;
  }
  return true;
}

std::string elementText(const rapidxml::xml_node<char>* element) {
  std::string storage;
  const std::string_view text = elementTextView(element, storage);
  return text.data() == storage.data() ? std::move(storage) : std::string(text);
}


std::string_view elementTextView(const rapidxml::xml_node<char>* element, std::string& storage) {
  if (element == nullptr) return {};
  const rapidxml::xml_node<char>* piece = nullptr;
  for (const auto* child = element->first_node(); child != nullptr; child = child->next_sibling()) {
    if (child->type() != rapidxml::node_data && child->type() != rapidxml::node_cdata) continue;
    if (piece != nullptr) {
      storage.clear();
      for (piece = element->first_node(); piece != nullptr; piece = piece->next_sibling()) {
        if (piece->type() == rapidxml::node_data || piece->type() == rapidxml::node_cdata) {
          storage.append(piece->value(), piece->value_size());
        }
      }
      return storage;
    }
    piece = child;
  }
  // Parsed without text nodes, an element holds its text as its value; with them, an
  // element without text has an empty value.
  if (piece == nullptr) return {element->value(), element->value_size()};
  return {piece->value(), piece->value_size()};
}

}  // namespace ufo

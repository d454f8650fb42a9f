#include "ufo/plist_node.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "model/numbers.h"
#include "text/xml_text.h"
#include "ufo/limits.h"
#include "ufo/plist_parser.h"

namespace ufo {
namespace {

using XmlNode = rapidxml::xml_node<char>;

std::string_view nameOf(const XmlNode* node) { return {node->name(), node->name_size()}; }
std::string_view valueOf(const XmlNode* node) { return {node->value(), node->value_size()}; }

bool isText(const XmlNode* node) {
  return node->type() == rapidxml::node_data || node->type() == rapidxml::node_cdata;
}

// Text that escapes to blanks only: the parser drops such text between tags,
// so it is left out of markup to keep what is printed stable.
bool isBlankText(const XmlNode* node) {
  if (!isText(node)) return false;
  return xml::escapeMarkup(valueOf(node)).find_first_not_of(" \t\r\n") == std::string::npos;
}

// Children that print: elements and text that is not blank.
bool hasContent(const XmlNode* element) {
  for (const XmlNode* child = element->first_node(); child; child = child->next_sibling()) {
    if (child->type() == rapidxml::node_element || (isText(child) && !isBlankText(child))) {
      return true;
    }
  }
  return false;
}

bool hasElementChildren(const XmlNode* element) {
  for (const XmlNode* child = element->first_node(); child; child = child->next_sibling()) {
    if (child->type() == rapidxml::node_element) return true;
  }
  return false;
}

// Names are copied into markup only when they are plain ASCII XML names; the
// parser accepts far more ("a&b", "x<y"), which would make the output ill-formed.
bool isPlainName(std::string_view name) {
  if (name.empty()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
    const bool other = (c >= '0' && c <= '9') || c == '-' || c == '.';
    if (!letter && !(i > 0 && other)) return false;
  }
  return true;
}

std::string_view markupName(const XmlNode* element) {
  const std::string_view name = nameOf(element);
  return isPlainName(name) ? name : std::string_view("_");
}

void appendOpeningTag(std::string& out, const XmlNode* element) {
  out += '<';
  out += markupName(element);
  std::vector<std::string_view> written;
  for (const auto* attribute = element->first_attribute(); attribute;
       attribute = attribute->next_attribute()) {
    const std::string_view name(attribute->name(), attribute->name_size());
    if (!isPlainName(name) || std::find(written.begin(), written.end(), name) != written.end()) {
      continue;  // not a name, or a repeated attribute
    }
    written.push_back(name);
    xml::appendAttribute(out, name, {attribute->value(), attribute->value_size()});
  }
}

// Markup of a node on one line (mixed content keeps its text as it stands).
void appendInline(std::string& out, const XmlNode* node, int depth) {
  if (isText(node)) {
    if (!isBlankText(node)) xml::appendEscapedMarkup(out, valueOf(node));
    return;
  }
  if (node->type() != rapidxml::node_element || depth > kMaxPlistDepth) return;
  appendOpeningTag(out, node);
  if (!hasContent(node)) {
    out += "/>";
    return;
  }
  out += '>';
  for (const XmlNode* child = node->first_node(); child; child = child->next_sibling()) {
    appendInline(out, child, depth + 1);
  }
  out += "</";
  out += markupName(node);
  out += '>';
}

// Markup of an element-only tree, one element per line, two blanks per level.
void appendBlock(std::string& out, const XmlNode* node, int level) {
  if (node->type() != rapidxml::node_element || level > kMaxPlistDepth) return;
  out.append(static_cast<std::size_t>(level) * 2, ' ');
  bool inlineBody = false;
  for (const XmlNode* child = node->first_node(); child; child = child->next_sibling()) {
    if (isText(child) && !isBlankText(child)) inlineBody = true;
  }
  if (!hasContent(node) || inlineBody) {
    appendInline(out, node, level);
    out += '\n';
    return;
  }
  appendOpeningTag(out, node);
  out += ">\n";
  for (const XmlNode* child = node->first_node(); child; child = child->next_sibling()) {
    appendBlock(out, child, level + 1);
  }
  out.append(static_cast<std::size_t>(level) * 2, ' ');
  out += "</";
  out += markupName(node);
  out += ">\n";
}

std::string trimmedData(std::string text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  text.erase(text.find_last_not_of(" \t\r\n") + 1);
  text.erase(0, first);
  return text;
}

// The XML held inside a value element instead of text, as markup.
std::string childMarkup(const XmlNode* element) {
  std::string out;
  bool mixed = false;
  for (const XmlNode* child = element->first_node(); child; child = child->next_sibling()) {
    if (isText(child) && !isBlankText(child)) mixed = true;
  }
  for (const XmlNode* child = element->first_node(); child; child = child->next_sibling()) {
    if (mixed) {
      appendInline(out, child, 1);
    } else {
      appendBlock(out, child, 0);
    }
  }
  // Blanks around mixed content would grow by a line break on every round trip.
  return mixed ? trimmedData(std::move(out)) : out;
}

void appendLine(std::string& out, const std::string& indent, std::string_view open, const std::string& text,
                std::string_view close) {
  out += indent;
  out += open;
  xml::appendEscapedMarkup(out, text);
  out += close;
  out += '\n';
}

// "<tag>\n", the ready markup (ended by a line break), indentation and "</tag>\n".
void appendMarkupBlock(std::string& out, const std::string& indent, std::string_view tag,
                       const std::string& markup) {
  out += indent;
  out += '<';
  out += tag;
  out += ">\n";
  out += markup;
  if (!markup.empty() && markup.back() != '\n') out += '\n';
  out += indent;
  out += "</";
  out += tag;
  out += ">\n";
}

}  // namespace

PListNode::PListNode(std::int32_t type, std::string value, std::string key)
    : type_(type), value_(std::move(value)), key_(std::move(key)) {}

PListNode::PListNode(std::int32_t type, const rapidxml::xml_node<char>* firstChild) : type_(type) {
  fromXml(firstChild);
}

PListNode::~PListNode() { clear(); }

void PListNode::clear() {
  // Iterative, so that neither deep nor long trees exhaust the stack.
  std::vector<PListNode*> pending;
  for (PListNode* child = firstChild_; child; child = child->next_) pending.push_back(child);
  firstChild_ = lastChild_ = nullptr;
  while (!pending.empty()) {
    PListNode* node = pending.back();
    pending.pop_back();
    for (PListNode* child = node->firstChild_; child; child = child->next_)
      pending.push_back(child);
    node->firstChild_ = node->lastChild_ = nullptr;
    delete node;
  }
}

void PListNode::appendNode(PListNode* node) {
  node->previous_ = lastChild_;
  node->next_ = nullptr;
  if (lastChild_ != nullptr) {
    lastChild_->next_ = node;
  } else {
    firstChild_ = node;
  }
  lastChild_ = node;
}

PListNode* PListNode::addChild(std::int32_t type, std::string value, std::string key) {
  if (key.empty()) key = value;
  auto* node = new PListNode(type, std::move(value), std::move(key));
  appendNode(node);
  return node;
}

PListNode* PListNode::append(std::unique_ptr<PListNode> node) {
  if (!node) return nullptr;
  PListNode* raw = node.release();
  appendNode(raw);
  return raw;
}

bool PListNode::appendDictEntry(std::unique_ptr<PListNode>& node, const std::string& name) {
  if (!node || node->type_ != plist::kDict) return false;
  node->key_ = name;
  node->value_ = name;
  append(std::move(node));
  return true;
}

void PListNode::get(std::int32_t& type, std::string& value, std::string& key) const {
  type = type_;
  value = value_;
  key = key_;
}

std::int32_t PListNode::typeFromName(std::string_view name) {
  static constexpr std::string_view kNames[] = {"string", "integer", "real",  "true", "false",
                                                "date",   "data",    "array", "dict"};
  for (std::int32_t i = 0; i < 9; ++i) {
    if (kNames[i] == name) return i + 1;
  }
  return plist::kNone;
}

void PListNode::fromXml(const rapidxml::xml_node<char>* firstChild) { buildFromXml(firstChild, 1); }

void PListNode::buildFromXml(const rapidxml::xml_node<char>* firstChild, int depth) {
  std::string pendingKey;
  for (const XmlNode* element = firstChild; element; element = element->next_sibling()) {
    if (element->type() != rapidxml::node_element) continue;
    const std::string_view name = nameOf(element);
    if (name == "key") {
      pendingKey = elementText(element);
      continue;
    }
    const std::int32_t type = typeFromName(name);
    if (type == plist::kArray || type == plist::kDict) {
      auto* child = new PListNode(type, std::string(), std::move(pendingKey));
      appendNode(child);
      // Deeper containers stay empty; the parser refuses such documents anyway.
      if (depth < kMaxPlistDepth) child->buildFromXml(element->first_node(), depth + 1);
    } else if (type != plist::kNone) {
      std::string value;
      if (hasElementChildren(element)) {
        value = childMarkup(element);
      } else if (type == plist::kData) {
        value = trimmedData(xml::escapeMarkup(elementText(element)));
      } else {
        value = elementText(element);
      }
      appendNode(new PListNode(type, std::move(value), std::move(pendingKey)));
    }
    pendingKey.clear();
  }
}

PListNode* PListNode::findChild(std::int32_t type, const std::string& key) const {
  if (type == plist::kNone || key.empty()) return firstChild_;
  auto matches = [&](const PListNode* node) { return node->type_ == type && node->key_ == key; };
  for (PListNode* node = firstChild_; node; node = node->firstChild_) {
    if (matches(node)) return node;
  }
  for (PListNode* node = firstChild_; node; node = node->next_) {
    if (matches(node)) return node;
  }
  if (firstChild_ != nullptr && firstChild_->type_ == plist::kDict) {
    for (PListNode* node = firstChild_->firstChild_; node; node = node->next_) {
      if (matches(node)) return node;
    }
  }
  return nullptr;
}

PListNode* PListNode::findDirectChild(std::int32_t type, const std::string& key) const {
  if (type == plist::kNone || key.empty()) return nullptr;
  for (PListNode* node = firstChild_; node; node = node->next_) {
    if (node->type_ == type && node->key_ == key) return node;
  }
  return nullptr;
}

void PListNode::writeXml(std::ostream& out, int indentation, bool printKey,
                         bool followSiblings) const {
  std::string text;
  appendXml(text, indentation, printKey, followSiblings);
  out << text;
  out.flush();
}

void PListNode::appendXml(std::string& out, int indentation, bool printKey, bool followSiblings) const {
  const std::string indent(static_cast<std::size_t>(indentation < 0 ? 0 : indentation), ' ');
  for (const PListNode* node = this; node; node = followSiblings ? node->next_ : nullptr) {
    if (printKey) appendLine(out, indent, "<key>", node->key_, "</key>");
    switch (node->type_) {
      case plist::kString: appendLine(out, indent, "<string>", node->value_, "</string>"); break;
      case plist::kInteger: appendLine(out, indent, "<integer>", node->value_, "</integer>"); break;
      case plist::kReal: appendLine(out, indent, "<real>", node->value_, "</real>"); break;
      case plist::kDate: appendLine(out, indent, "<date>", node->value_, "</date>"); break;
      case plist::kTrue:
        out += indent;
        out += "<true/>\n";
        break;
      case plist::kFalse:
        out += indent;
        out += "<false/>\n";
        break;
      case plist::kData: appendMarkupBlock(out, indent, "data", node->value_); break;
      case plist::kDictText: appendMarkupBlock(out, indent, "dict", node->value_); break;
      case plist::kArray:
      case plist::kDict: {
        const bool dict = node->type_ == plist::kDict;
        out += indent;
        out += dict ? "<dict>\n" : "<array>\n";
        if (node->firstChild_ != nullptr) {
          node->firstChild_->appendXml(out, indentation + 2, dict, true);
        }
        out += indent;
        out += dict ? "</dict>\n" : "</array>\n";
        break;
      }
      default: break;  // a node without a type prints nothing
    }
  }
}

std::string writePlistNumber(double value) {
  // Integral values within the 64-bit range print in full; larger ones (and
  // fractions) as the shortest text that reads back to the same double.
  constexpr double kInt64Limit = 9223372036854775808.0;  // 2^63
  if (!std::isfinite(value)) return "<integer>0</integer>";
  if (vn::isIntegral(value) && value > -kInt64Limit && value < kInt64Limit) {
    return "<integer>" + vn::formatInteger(vn::saturateInt64(value)) + "</integer>";
  }
  return "<real>" + vn::formatShortest(value) + "</real>";
}

}  // namespace ufo

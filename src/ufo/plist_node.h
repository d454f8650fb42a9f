// In-memory property-list tree. Every scalar keeps its value as text.
//
// Values of string, integer, real and date nodes, and every key, are plain
// text: they are escaped when printed. Values of data nodes (type 7) and of
// ready-text dicts (type 10) are XML fragments printed as they stand.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <rapidxml/rapidxml.hpp>
#include <string>
#include <string_view>

namespace ufo {

namespace plist {
constexpr std::int32_t kNone = 0;
constexpr std::int32_t kString = 1;
constexpr std::int32_t kInteger = 2;
constexpr std::int32_t kReal = 3;
constexpr std::int32_t kTrue = 4;
constexpr std::int32_t kFalse = 5;
constexpr std::int32_t kDate = 6;
constexpr std::int32_t kData = 7;
constexpr std::int32_t kArray = 8;
constexpr std::int32_t kDict = 9;
constexpr std::int32_t kDictText = 10;  // a dict whose body is ready text held in the value
}  // namespace plist

class PListNode {
 public:
  explicit PListNode(std::int32_t type, std::string value = {}, std::string key = {});
  // A node of the given type whose children are built from the sibling chain of
  // parsed elements that starts at firstChild (fromXml).
  PListNode(std::int32_t type, const rapidxml::xml_node<char>* firstChild);
  ~PListNode();
  PListNode(const PListNode&) = delete;
  PListNode& operator=(const PListNode&) = delete;

  // Appends children built from a chain of "key"/value elements (a dict body)
  // or of value elements (an array body).
  void fromXml(const rapidxml::xml_node<char>* firstChild);

  // Makes and appends a node; an empty key takes the value as key.
  PListNode* addChild(std::int32_t type, std::string value, std::string key);
  // Appends an existing node; this node takes ownership. Returns the node.
  PListNode* append(std::unique_ptr<PListNode> node);
  // Only for a node of type 9: sets its key and value to name and appends it
  // (node is then empty); false and nothing appended otherwise.
  bool appendDictEntry(std::unique_ptr<PListNode>& node, const std::string& name);

  PListNode* firstChild() const { return firstChild_; }
  PListNode* lastChild() const { return lastChild_; }
  PListNode* next() const { return next_; }
  PListNode* previous() const { return previous_; }

  std::int32_t type() const { return type_; }
  const std::string& value() const { return value_; }
  const std::string& key() const { return key_; }
  void setValue(std::string value) { value_ = std::move(value); }
  void setKey(std::string key) { key_ = std::move(key); }
  void get(std::int32_t& type, std::string& value, std::string& key) const;

  // Type 0 or an empty key: the first child. Otherwise the first match on the
  // chain of first children, then among the direct children, then among the
  // children of a first child that is a dict; null when none matches.
  PListNode* findChild(std::int32_t type, const std::string& key) const;
  // The first direct child of this type and key; null when none (also for
  // type 0 or an empty key).
  PListNode* findDirectChild(std::int32_t type, const std::string& key) const;

  // Element name -> type code 1..9; 0 for any other name.
  static std::int32_t typeFromName(std::string_view name);

  // Prints the node at the given indentation (blanks); with printKey its key
  // line first; with followSiblings also every following sibling. Lines end
  // with "\n"; the stream is flushed at the end.
  void writeXml(std::ostream& out, int indentation, bool printKey, bool followSiblings) const;
  // The same text appended to a string.
  void appendXml(std::string& out, int indentation, bool printKey, bool followSiblings) const;

  // Destroys every child.
  void clear();

 private:
  void appendNode(PListNode* node);
  void buildFromXml(const rapidxml::xml_node<char>* firstChild, int depth);

  PListNode* firstChild_ = nullptr;
  PListNode* lastChild_ = nullptr;
  PListNode* previous_ = nullptr;
  PListNode* next_ = nullptr;
  std::int32_t type_ = plist::kNone;
  std::string value_;
  std::string key_;
};

// "<integer>n</integer>" for integral values (full decimal), otherwise
// "<real>x</real>" with the shortest text that reads back to the same double.
// Non-finite values give "<integer>0</integer>".
std::string writePlistNumber(double value);

}  // namespace ufo

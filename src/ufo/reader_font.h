// The folder reader behind ufo::Parser: loads every property list first, then applies
// them in order (meta, fontinfo, lib, glyphs, groups, kerning), then the layout files.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "model/font_style_pair.h"
#include "model/kerning.h"
#include "ufo/glif_parser.h"
#include "ufo/limits.h"
#include "ufo/plist_node.h"
#include "ufo/plist_parser.h"
#include "ufo/reader_errors.h"
#include "ufo/reader_warnings.h"

namespace ufo {

class Parser;

// A "key" element and the value element after it.
struct PListEntry {
  std::string key;
  const rapidxml::xml_node<char>* value = nullptr;
};

// The entries of a dict element; an element other than "key" where a key belongs
// throws UfoParserException 1. A key without a value is dropped.
std::vector<PListEntry> dictEntries(const rapidxml::xml_node<char>* dict);
std::string_view elementName(const rapidxml::xml_node<char>* element);

// The same entries without copies: checks the whole dict first, as dictEntries does,
// then calls visit(key, value) for each entry, the key text as a view (valid during
// the call).
template <class Visit>
void visitDictEntries(const rapidxml::xml_node<char>* dict, Visit&& visit);

// True for a glyph file name from "glyphs/contents.plist" that names a file directly
// inside the glyphs folder: no separator, no NUL, not "." or "..".
bool isSafeGlyphFileName(const std::string& name);

class UfoFontParser {
 public:
  explicit UfoFontParser(Parser* owner);
  virtual ~UfoFontParser() = default;

  [[nodiscard]] bool read(FontStylePair& pair, PListNode* libRoot, const vn::ImportOptions* options);
  void setPlistNodeLimit(std::size_t nodes) { plistNodeLimit_ = nodes; }

 private:
  // Loads the six property lists; one that holds no dict reads as empty, with a line
  // when it holds something else.
  [[nodiscard]] bool loadDocuments();
  // True when the glyphs folder holds ".glif" files (or cannot be listed); false without
  // a glyphs folder. MemberError when "glyphs" is no folder.
  bool glyphsFolderHoldsGlyphFiles();
  // True when the document holds anything besides "plist", "dict" and "array" elements
  // with nothing in them.
  static bool holdsData(const PListDocument& document);
  void applyMetaInfo();
  void applyFontInfo();
  void applyLib();
  void applyGlyphs();
  // Throws MemberError when two entries of "glyphs/contents.plist" name one file.
  static void checkFileNamesUnique(const std::vector<std::string>& keys, const std::vector<std::string>& fileNames);
  void applyGroups();
  void applyKerning();
  void registerEarlierNames(std::size_t count);
  void readLayoutFiles();
  // Names the further layers of "layercontents.plist"; a list that cannot be read, in
  // whatever way, is named on a line of its own and the read goes on.
  void noteOtherLayers();
  // Names the keys of the default layer's "glyphs/layerinfo.plist" (its colour and lib),
  // which the native file does not carry; as for the layer list, one that cannot be read
  // is named on a line of its own.
  void noteDefaultLayerInfo();
  // Reads and parses a property list that serves only to name what the native file does
  // not carry. False when the member is absent; otherwise `problem` says why it could not
  // be read or parsed (empty when it was).
  bool parseNamingList(const char* member, PListDocument& document, std::string& problem);
  // Files of the "data" folder, which the native file does not carry, named on one line
  // (the layout XML document apart, read with -ttx).
  void noteDataFiles();
  // Files of the "images" folder that no glyph read uses, which the native file does not
  // carry either (a used one is named with its glyph).
  void noteImageFiles();
  // Glyphs whose point names do not come back: the native file keeps none, and the way
  // back names only the points that hint sets and TrueType programs use.
  void notePointNames();
  void noteMissingComponents();
  // Glyph structure the native file cannot hold as read: kept in shape, named here.
  void noteStructureChanges();
  // Win metrics the source lacks, which the native file always holds: from the glyphs.
  void deriveWinMetrics();

  Parser* parser_;
  const vn::ImportOptions* options_ = nullptr;
  // Nodes the property lists may still take (kMaxPlistNodes at the start of a read);
  // before the documents, which give theirs back when destroyed.
  PListNodeBudget plistNodesLeft_;
  std::size_t plistNodeLimit_ = kMaxPlistNodes;
  PListParser plistParser_;
  UfoGlyphParser glyphParser_;
  PListNode* libRoot_ = nullptr;
  std::vector<std::string> glyphOrder_;
  vn::Font* font_ = nullptr;
  vn::Style* style_ = nullptr;
  ReadWarnings warnings_;
  // Groups left out for want of members: kerning that names them has their line.
  std::unordered_set<std::string> emptyGroups_;
  bool winAscentGiven_ = false;
  bool winDescentGiven_ = false;

  PListDocument meta_, fontInfo_, groups_, kerning_, lib_, contents_;
};

namespace detail {
// The next element from node on (node itself included), or null.
inline const rapidxml::xml_node<char>* elementFrom(const rapidxml::xml_node<char>* node) {
  while (node && node->type() != rapidxml::node_element) node = node->next_sibling();
  return node;
}
// The key element and its value of each entry, in order, until a key lacks a value.
template <class Pair>
void forEachDictPair(const rapidxml::xml_node<char>* dict, Pair&& pair) {
  for (const auto* key = elementFrom(dict->first_node()); key; key = elementFrom(key->next_sibling())) {
    if (elementName(key) != "key") throw UfoParserException{UfoParserException::kPropertyList};
    const auto* value = elementFrom(key->next_sibling());
    if (!value) break;
    pair(key, value);
    key = value;
  }
}
}  // namespace detail

template <class Visit>
void visitDictEntries(const rapidxml::xml_node<char>* dict, Visit&& visit) {
  if (!dict) return;
  detail::forEachDictPair(dict, [](const auto*, const auto*) {});
  std::string storage;
  detail::forEachDictPair(dict, [&](const rapidxml::xml_node<char>* key, const rapidxml::xml_node<char>* value) {
    visit(elementTextView(key, storage), value);
  });
}

}  // namespace ufo

// The folder reader behind ufo::Parser: loads every property list first, then applies
// them in order (meta, fontinfo, lib, glyphs, groups, kerning), then the layout files.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "model/font_style_pair.h"
#include "model/kerning.h"
#include "ufo/glif_parser.h"
#include "ufo/plist_node.h"
#include "ufo/plist_parser.h"
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

// True for a glyph file name from "glyphs/contents.plist" that names a file directly
// inside the glyphs folder: no separator, no NUL, not "." or "..".
bool isSafeGlyphFileName(const std::string& name);

class UfoFontParser {
 public:
  explicit UfoFontParser(Parser* owner);
  virtual ~UfoFontParser() = default;

  bool read(FontStylePair& pair, PListNode* libRoot, const vn::ImportOptions* options);

 private:
  bool loadDocuments();
  void applyMetaInfo();
  void applyFontInfo();
  void applyLib();
  void applyGlyphs();
  void applyGroups();
  void applyKerning();
  void readLayoutFiles();
  void noteOtherLayers();
  bool openGlyphFile(const std::string& glyphName, const std::string& fileName, std::ifstream& in);

  Parser* parser_;
  const vn::ImportOptions* options_ = nullptr;
  PListParser plistParser_;
  UfoGlyphParser glyphParser_;
  PListNode* libRoot_ = nullptr;
  std::vector<std::string> glyphOrder_;
  vn::Font* font_ = nullptr;
  vn::Style* style_ = nullptr;
  ReadWarnings warnings_;

  PListDocument meta_, fontInfo_, groups_, kerning_, lib_, contents_;
};

}  // namespace ufo

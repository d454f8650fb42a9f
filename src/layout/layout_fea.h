// A font's whole OpenType layout: the GSUB and GPOS table blocks, the GDEF data, the
// feature-file glyph classes the subtables share and, when the layout came from
// feature-file text, that text in named blocks.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "layout/gdef.h"
#include "layout/layout_table_block.h"

namespace vn {
class Font;
class Glyph;
}

namespace otl {

class GlyphIdMap;

// A named piece of the feature text ("FeaPrefix", then one per feature block).
struct FeatureTextBlock {
  std::string name;
  std::string text;
};
using FeatureTextBlocks = std::vector<FeatureTextBlock>;

class LayoutFea {
 public:
  // Fills the tag registry on first use; a non-empty path is read as a registry text file.
  LayoutFea(vn::Font* owner, const std::string& registryPath);
  LayoutFea(const LayoutFea&) = delete;
  LayoutFea& operator=(const LayoutFea&) = delete;
  virtual ~LayoutFea();

  vn::Font* font() const { return owner_; }
  // The block of table id 1 (GSUB) or 2 (GPOS); null for any other id.
  LayoutTableBlock* block(uint32_t tableId);
  const LayoutTableBlock* block(uint32_t tableId) const;
  GDefTableData& gdef() { return *gdef_; }
  const GDefTableData& gdef() const { return *gdef_; }

  // 1 GSUB, 2 GPOS (scripts and lookups), 3 GDEF; other ids do nothing.
  void clearTable(uint32_t tableId);
  // No GSUB or GPOS block holding both lookups and scripts, and no GDEF data.
  bool isEmpty() const;
  bool hasTableData(uint32_t tableId) const;

  // Removes every rule using a glyph the map lacks, then the lookups no feature reaches,
  // for GSUB then GPOS; then prunes the GDEF data.
  void removeMissingGlyphs(const GlyphIdMap& map);
  // The same for the font's glyph list (entries without a glyph take no position).
  void removeMissingGlyphs(const std::list<vn::Glyph*>& glyphs);
  static void removeMissingGlyphsFromBlock(LayoutTableBlock& block, const GlyphIdMap& map, bool pruneUnreferenced);

  // Block names other than "FeaPrefix" when there is feature text; otherwise every
  // feature tag of GSUB then GPOS, each once, in first-seen order.
  size_t collectFeatureTags(std::vector<std::string>& out) const;
  size_t collectBlockNames(std::vector<std::string>& out) const;
  bool hasFeature(const std::string& tag) const;

  // Names the layout's own glyph classes by the features that use them, keeping names.
  void nameGlyphClasses();

  int32_t maxContext = 0;
  std::string name;
  // Declared before the blocks, which are bound to it.
  vn::FeaGlyphGroups classes;
  LayoutTableBlock gsub{1, &classes};
  LayoutTableBlock gpos{2, &classes};
  std::unique_ptr<FeatureTextBlocks> textBlocks;

 private:
  vn::Font* owner_;
  std::unique_ptr<GDefTableData> gdef_;
};

// Glyph-class names by class id, rebuilt by nameGlyphClassesInto; "" for an unknown id.
const std::string& glyphClassNameById(uint32_t id);
// Names a copy of the classes (keeping names when `keep`) and enters every class id with
// its name into the process-wide class-name map.
void nameGlyphClassesInto(const vn::FeaGlyphGroups& classes, const LayoutTableBlock& gsub,
                          const LayoutTableBlock& gpos, bool keep);
// Names the classes in place: each class that features reach gets the tags of those
// features joined by "_", made unique with ".002", ".003", ...
void nameGlyphClasses(vn::FeaGlyphGroups& classes, const LayoutTableBlock& gsub, const LayoutTableBlock& gpos,
                      bool keep);

}  // namespace otl

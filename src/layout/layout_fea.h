// A font's whole OpenType layout: the GSUB and GPOS table blocks, the GDEF data, the
// feature-file glyph classes the subtables share and, when the layout came from
// feature-file text, that text in named blocks.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "layout/diagnostics.h"
#include "layout/gdef.h"
#include "layout/layout_table_block.h"
#include "model/layout_object.h"

namespace vn {
class Font;
class Glyph;
}
namespace ot {
class BinaryReader;
}

namespace otl {

class GlyphIdMap;

// Where a compile error is: in a feature block or a top-level lookup block of the main text,
// at the main text's top level (outside every block), in an included file, or not known
// (found after the text was read).
enum class FeaErrorScope { kUnknown, kFeatureBlock, kLookupBlock, kTopLevel, kIncludedFile };

// What a failed import reports: the message and where the error is: the block's tag or name,
// or the included file's name, as written; the error's line in the main text or the included
// file (-1: not known, as for an error found while a lookup's rules were built); the line the
// block begins at.
struct FeaCompileError {
  std::string message;
  FeaErrorScope scope = FeaErrorScope::kUnknown;
  std::string details;
  int32_t line = -1;
  int32_t blockLine = -1;
};

// A named piece of the feature text ("FeaPrefix", then one per feature block).
struct FeatureTextBlock {
  std::string name;
  std::string text;
  int32_t startLine = 0;  // document line of the block's first byte, from 0
  int32_t lineCount = 0;  // lines the block touches
};
using FeatureTextBlocks = std::vector<FeatureTextBlock>;

// The font model sees the layout through vn::LayoutObject (the import and export drivers
// are in layout_drivers.cpp and layout_object.cpp).
class LayoutFea : public vn::LayoutObject {
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
  // No GSUB or GPOS block holding both lookups and scripts, and no GDEF data (isEmpty).
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

  // Import and export drivers. Table ids: 1 GSUB, 2 GPOS, 3 GDEF.
  // Compiles the text, then keeps it as blocks whatever the compile gave.
  bool importFeatureFile(std::istream& in, const std::string& fontName, bool allowMissingGlyphs,
                         FeaCompileError* error);
  // Keeps the text as blocks without compiling.
  bool loadFeatureText(std::istream& in);
  bool compileFeatures(std::istream& in, const std::string& fontName, bool allowMissingGlyphs,
                       FeaCompileError* error);
  // `why`, when given, gets the first error of a table that could not be read.
  [[nodiscard]] bool readBinaryTable(ot::BinaryReader& reader, uint32_t tableId, const GlyphIdMap& map,
                                     std::string* why = nullptr);
  [[nodiscard]] bool writeBinaryTable(std::ostream& out, uint32_t tableId, const GlyphIdMap& map);
  // Replaces the owner font's GSUB, GPOS, GDEF (and JSTF) entries by the written tables.
  void storeBinaryTables(const GlyphIdMap& map);
  bool writeFeatureFile(std::ostream& out, const vn::FeatureWriteOptions& options) override;
  bool hasFeatureText() const override { return textBlocks && !textBlocks->empty(); }

  // vn::LayoutObject
  bool importFeatureFile(std::istream& in, const std::string& fontName, bool allowMissingGlyphs,
                         bool recordError) override;
  void importFeatureText(std::istream& in) override;
  void nameLookups() override { nameGlyphClasses(); }
  bool isEmpty() const override;
  uint32_t glyphCount() const override { return maxContext > 0 ? static_cast<uint32_t>(maxContext) : 0; }
  bool loadLayoutXml(std::istream& in) override;
  bool writeLayoutXml(std::ostream& out, bool withDocumentFrame, bool spare) override;
  vn::GlyphId defineGlyphClass(const std::string& className, const vn::GlyphIdList& members,
                               const std::string& keyGlyph) override;
  void listGlyphClasses(std::vector<vn::LayoutClassEntry>& out) const override;
  void setIncludeFolders(const vn::IncludeFolders& folders) override { includeFolders = folders; }
  std::vector<std::string> takeWarnings() override;

  // The error of the last failed compile of importFeatureText (empty message: none).
  const FeaCompileError& lastCompileError() const { return lastError_; }
  // Relative include names of feature text are looked up in these folders, in order.
  vn::IncludeFolders includeFolders;

  // What the binary reader and writer, the layout XML document and the feature-text
  // writer report while they work for this layout; the converter prints it as warnings.
  // Mutable: writers that only read the layout still report through it.
  mutable Diagnostics reports;

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
  FeaCompileError lastError_;
  // Include names the last compile read: the verbatim text needs them, a written font
  // does not carry them.
  std::vector<std::string> includedFiles_;
  // Records of the budget the model may hold (layout/ot/limits.h) that the GSUB and the GPOS
  // read from binary tables hold: the two tables share the one budget.
  uint64_t recordsHeld_[2] = {0, 0};
};

// Makes otl::LayoutFea the font model's layout object (the program calls it at start-up).
void installLayoutFactory();

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

// The generated sections of the feature-file writer: the inventory, the lookup definitions
// and the feature blocks of a layout that did not come from feature text.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "layout/glyph_id_map.h"
#include "layout/text/fea_aalt.h"
#include "layout/text/fea_inventory.h"
#include "layout/text/fea_lookup_names.h"
#include "layout/text/fea_rule_filter.h"
#include "layout/text/fea_writer.h"

namespace otl::ot_fea_layout {

// False for a tag that feature text cannot name: a blank before its last character.
bool sayableTag(const ot::Tag& tag);
inline constexpr const char* kTagNotSayable = "the feature text cannot name this feature; its block is left out";
// Compilers refuse a feature block without rules.
inline constexpr const char* kFeatureWithoutRules = "the generated feature text leaves out features that have no rule left";

// The lookup type's name in comments; empty for an unknown code.
const char* lookupTypeName(uint32_t tableId, uint32_t typeCode);

// Mark attachment subtables grouped so that no mark stands in two groups (compilers give a
// lookup's marks one class each) and, with the subtables' binary sizes given, no group
// passes what 16-bit offsets reach (compilers build one subtable of a group); empty for
// other lookups.
std::vector<std::vector<size_t>> markSubtableGroups(const Lookup& lookup, const std::vector<size_t>& sizes = {});

// The lookup flag last put in force in the text; unknown where a compiler may differ.
struct FlagTracker {
  bool known = true;
  uint16_t value = 0;
  uint16_t filterSet = 0;  // with bit 0x10
  bool matches(const Lookup& lookup) const;
};

class FeaDocumentWriter : public LayoutFeaWriter {
 public:
  FeaDocumentWriter() = default;
  ~FeaDocumentWriter() override = default;

  // The rules left out of the text, by kind; callers add what they left out before.
  LeftOutRules& leftOut() { return leftOut_; }

 protected:
  void gatherFeatures() override;
  void writeLookupDefinitions(std::ostream& out) override;
  void writeFeatureBlocks(std::ostream& out) override;

 private:
  // The 'size' feature's parameters statement; name ids the text cannot carry are warned of.
  void writeFeatureParameters(std::ostream& out);
  const LayoutTableBlock& table(uint32_t tableId) const { return tableId == kTableGsub ? *gsub_ : *gpos_; }
  void writeLookup(std::ostream& out, const LookupInfo& info, FlagTracker& tracker);
  void writeLookupBlock(std::ostream& out, const LookupInfo& info, const std::string& name, const Lookup* lookup,
                        const std::vector<size_t>* part, FlagTracker& tracker);
  static std::string partName(const LookupInfo& info, size_t part);
  // "@MFS_n" and "@MAT_n" for the mark filtering sets and attachment classes the flags use.
  void writeFlagClasses(std::ostream& out) const;
  void markEmptyLookups(std::ostream& out);
  void reportUnusedLookups(const LayoutTableBlock& block);
  void decideExtensions();
  // Fills the glyph order and the lookup list positions for trial writes; false without a font.
  bool prepareTrials();
  void splitUnfitSubtables();
  // Binary sizes of the lookup's subtables as the table writer makes them (a subtable that
  // cannot be written counts as too large); empty without a font.
  std::vector<size_t> subtableSizes(const Lookup& lookup);
  void groupMarkSubtables();
  const std::vector<std::vector<size_t>>& markGroups(const LookupInfo& info) const;
  void writeFlagLine(std::ostream& out, const Lookup& lookup) const;
  void writeLookupBody(std::ostream& out, const Lookup& lookup, FlagTracker& tracker);
  void writeNamedWithCallees(std::ostream& out, LookupInfo& info, std::set<const LookupInfo*>& written);
  void writeLookupReferences(std::ostream& out, uint32_t tableId, const std::vector<uint32_t>& list,
                             FlagTracker& tracker);
  void writeRecordLists(std::ostream& out, const LanguageInfo* record, FlagTracker& tracker);
  std::string aaltRules(const LanguageInfo& record);
  void writeFeature(std::ostream& out, const FeatureInfo& feature, const FeatureCount& count);
  bool writesLookups(const FeatureInfo& feature) const;
  // Whether every lookup of the record is referenced by name (none is written in place).
  bool allNamed(const LanguageInfo* record) const;

  LeftOutReport reportFor(const Lookup& lookup);

  std::string* singles_ = nullptr;  // where one-glyph ligatures go while set
  const LayoutTableBlock* fontGsub_ = nullptr;  // the font's, before rules were left out
  AaltWritten aalt_;
  // The blocks as written: copies without the rules feature text cannot hold.
  std::unique_ptr<LayoutTableBlock> writable_[2];
  LeftOutRules leftOut_;
  bool trialReady_ = false;            // glyphs_ and listIndex_ filled for this run
  GlyphIdMap glyphs_;                  // the font's glyph order, for trial writes
  LookupIndexMap listIndex_[3];        // lookup index -> LookupList position, per table
  std::map<std::pair<uint32_t, uint32_t>, std::vector<std::vector<size_t>>> markGroups_;
  FeatureList features_;
  LookupInfoMap lookups_;
  LookupNames names_;
  FeatureCounts counts_;
};

}  // namespace otl::ot_fea_layout

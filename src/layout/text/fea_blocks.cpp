#include "layout/text/fea_blocks.h"

#include <algorithm>
#include <ostream>
#include <set>
#include <sstream>

#include "layout/glyph_id_map.h"
#include "layout/layout_bin_writer.h"
#include "layout/lookup.h"
#include "layout/lookup_kind_table.h"
#include "layout/mark_pos.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/exception.h"
#include "layout/tag_registry.h"
#include "layout/text/fea_statements.h"
#include "layout/text/fea_unsayable.h"
#include "model/font.h"
#include "model/numbers.h"

namespace otl::ot_fea_layout {
namespace {

// A part of the text is built in a stream of its own before it is copied: a part that
// could not be held whole fails the text it belongs to, which is then never taken as
// complete. True when the part is whole.
bool partWhole(const std::ostream& part, std::ostream& out) {
  if (!part.fail()) return true;
  out.setstate(std::ios::badbit);
  return false;
}

}  // namespace

bool FlagTracker::matches(const Lookup& lookup) const {
  return known && value == lookup.flag && (!(lookup.flag & kUseMarkFilteringSet) || filterSet == lookup.markFilteringSet);
}

const char* lookupTypeName(uint32_t tableId, uint32_t typeCode) {
  const LookupKindRow* kind = findLookupKind(tableId, typeCode);
  return kind ? kind->listName : "";
}

void FeaDocumentWriter::gatherFeatures() {
  const LayoutTableBlock** blocks[2] = {&gsub_, &gpos_};
  fontGsub_ = gsub_;
  aalt_ = AaltWritten{};
  for (int i = 0; i < 2; ++i) {
    reportFeaturelessLanguageSystems(**blocks[i], diagnostics_);
    reportUnusedLookups(**blocks[i]);
    writable_[i] = std::make_unique<LayoutTableBlock>((*blocks[i])->tableId, nullptr);
    *writable_[i] = **blocks[i];
    removeUnwritableRules(*writable_[i], leftOut_);
    *blocks[i] = writable_[i].get();
  }
  trialReady_ = false;
  splitUnfitSubtables();
  features_.clear();
  lookups_.clear();
  names_.clear();
  ot_fea_layout::gatherFeatures(kTableGsub, *gsub_, features_);
  ot_fea_layout::gatherFeatures(kTableGpos, *gpos_, features_);
  sortFeatures(features_);
  placeFeatureLevelLookups(features_, collectLanguageSystems(features_));
  factorDefaultLookups(features_);
  adoptAaltLookups(features_);
  collectLookupUsers(features_, *gsub_, *gpos_, lookups_);
  collectStatistics(features_, statistics_, counts_);
}

// Only the lookups the features use are written (named or in place): a lookup that no
// feature lists, nor reaches through the lookups it lists, has no place in the text. The
// block is the one given, before calls the text cannot hold are taken out (those say so
// on their own line).
void FeaDocumentWriter::reportUnusedLookups(const LayoutTableBlock& block) {
  LookupIndexSet unused;
  block.collectUnreferencedLookups(unused);
  for (uint32_t index : unused) leftOut_.add(LeftOutKind::kUnusedLookup, block.tableId, index);
}

void FeaDocumentWriter::writeFlagClasses(std::ostream& out) const {
  std::set<uint16_t> sets, attach;
  for (const LayoutTableBlock* block : {gsub_, gpos_}) {
    for (const auto& [index, lookup] : block->lookups.lookups()) {
      if (!lookup) continue;
      if (lookup->flag & kUseMarkFilteringSet) sets.insert(lookup->markFilteringSet);
      if (lookup->flag >> 8) attach.insert(static_cast<uint16_t>(lookup->flag >> 8));
    }
  }
  for (uint16_t set : sets) {
    const GlyphList empty;
    const GlyphList& glyphs = gdef_ && set < gdef_->markGlyphSets.size() ? gdef_->markGlyphSets[set] : empty;
    if (glyphs.empty()) continue;
    out << "@MFS_" << vn::formatUnsigned(set) << " = ";
    writeFeaGlyphList(&glyphs, out, 1, 0, -1);
    out << ";\n";
  }
  for (uint16_t cls : attach) {
    GlyphList glyphs;
    if (gdef_) gdef_->markAttachClasses.glyphsOfClass(glyphs, cls);
    if (glyphs.empty()) continue;
    out << "@MAT_" << vn::formatUnsigned(cls) << " = ";
    writeFeaGlyphList(&glyphs, out, 1, 0, -1);
    out << ";\n";
  }
  if (!sets.empty() || !attach.empty()) out << '\n';
}

// The lookupflag line with named bits; a mark filtering set or attachment class is named
// by its class, which both compilers take (a bare number they read differently).
void FeaDocumentWriter::writeFlagLine(std::ostream& out, const Lookup& lookup) const {
  const uint16_t flag = lookup.flag;
  if (flag < 16) {
    writeFeaLookupFlag(flag, out);
    return;
  }
  out << "      lookupflag";
  if (flag & kRightToLeft) out << " RightToLeft";
  if (flag & kIgnoreBaseGlyphs) out << " IgnoreBaseGlyphs";
  if (flag & kIgnoreLigatures) out << " IgnoreLigatures";
  if (flag & kIgnoreMarks) out << " IgnoreMarks";
  bool any = (flag & 0x0F) != 0;
  if (flag >> 8) {
    GlyphList glyphs;
    if (gdef_) gdef_->markAttachClasses.glyphsOfClass(glyphs, static_cast<uint16_t>(flag >> 8));
    if (!glyphs.empty()) {
      out << " MarkAttachmentType @MAT_" << vn::formatUnsigned(flag >> 8);
      any = true;
    }
  }
  if ((flag & kUseMarkFilteringSet) && gdef_ && lookup.markFilteringSet < gdef_->markGlyphSets.size() &&
      !gdef_->markGlyphSets[lookup.markFilteringSet].empty()) {
    out << " UseMarkFilteringSet @MFS_" << vn::formatUnsigned(lookup.markFilteringSet);
    any = true;
  }
  out << (any ? ";\n" : " 0;\n");
}

void FeaDocumentWriter::writeLookupBody(std::ostream& out, const Lookup& lookup, FlagTracker& tracker) {
  std::ostringstream body;
  if (!tracker.matches(lookup)) writeFlagLine(body, lookup);
  tracker = FlagTracker{true, lookup.flag, lookup.markFilteringSet};
  uint16_t last = lookup.flag;
  lookup.writeFea(body, table(lookup.tableId).lookups.lookups(), last, names_, false);
  if (!partWhole(body, out)) return;
  copyWritableStatements(body.str(), out, lookup.tableId, lookup.typeCode, singles_, reportFor(lookup));
}

LeftOutReport FeaDocumentWriter::reportFor(const Lookup& lookup) {
  return [this, &lookup](LeftOutKind kind) { leftOut_.add(kind, lookup.tableId, lookup.index); };
}

// A lookup whose rules all are left out would be an empty block, which compilers refuse.
void FeaDocumentWriter::markEmptyLookups(std::ostream& out) {
  const int32_t counter = markClassCounter();
  for (bool changed = true; changed;) {
    changed = false;
    for (auto& [key, info] : lookups_) {
      if (info->empty) continue;
      const Lookup* lookup = table(info->tableId).lookups.findLookup(info->index);
      std::ostringstream body;
      FlagTracker tracker;
      std::string singles;
      singles_ = &singles;
      if (lookup) writeLookupBody(body, *lookup, tracker);
      singles_ = nullptr;
      // A body cut off would pass for an empty lookup.
      if (!partWhole(body, out)) {
        markClassCounter() = counter;
        return;
      }
      info->singlesPart = !singles.empty() && hasRules(body.str());
      info->singlesOnly = !singles.empty() && !info->singlesPart;
      // Context rules name one lookup: where it holds longer ligatures too, they call
      // those alone.
      if (info->singlesPart && info->referenced) leftOut_.add(LeftOutKind::kOneGlyphLigature, info->tableId, info->index);
      if (hasRules(body.str()) || info->singlesOnly) continue;
      // Rules calling it go too (they carry the marker name), which may empty their lookup.
      info->empty = true;
      names_[key] = kEmptyLookupName;
      changed = true;
    }
  }
  markClassCounter() = counter;
  for (const auto& [key, info] : lookups_) {
    const Lookup* lookup = table(info->tableId).lookups.findLookup(info->index);
    if (info->singlesPart && lookup && oneGlyphLigatureOfOutput(*lookup))
      diagnostics_.add(Severity::kWarning, "GSUB lookup " + vn::formatUnsigned(info->index), kOneGlyphLigatureOfOutput);
  }
}

void FeaDocumentWriter::writeLookup(std::ostream& out, const LookupInfo& info, FlagTracker& tracker) {
  if (info.empty) return;
  const Lookup* lookup = info.index == 0xFFFFFFFF ? nullptr : table(info.tableId).lookups.findLookup(info.index);
  const auto& groups = markGroups(info);
  if (groups.size() < 2) {
    // Compilers merge a mark lookup's subtables and refuse "subtable;" there.
    std::string singles;
    singles_ = info.singlesPart || info.singlesOnly ? &singles : nullptr;
    writeLookupBlock(out, info, info.name, lookup, groups.empty() ? nullptr : &groups[0], tracker);
    singles_ = nullptr;
    if (lookup && !singles.empty()) {
      // A one-glyph ligature is a single substitution that applies where no longer
      // ligature did: the same in a lookup of its own right after.
      const std::string name = info.name + "_single";
      out << "    lookup " << name << " {\n";
      writeFlagLine(out, *lookup);
      out << singles << "    } " << name << ";\n\n";
      tracker.known = false;
    }
    return;
  }
  // Later lookups override earlier attachments: the last group goes first, so where two
  // groups apply the earlier subtable still wins, as in the font.
  for (size_t k = groups.size(); k-- > 0;) {
    if (k + 1 < groups.size()) tracker.known = false;  // each part states its flag
    writeLookupBlock(out, info, partName(info, k), lookup, &groups[k], tracker);
  }
}

std::string FeaDocumentWriter::partName(const LookupInfo& info, size_t part) {
  return info.name + "_" + vn::formatUnsigned(part + 1);
}

void FeaDocumentWriter::writeLookupBlock(std::ostream& out, const LookupInfo& info, const std::string& name,
                                         const Lookup* lookup, const std::vector<size_t>* part, FlagTracker& tracker) {
  out << "    lookup " << name << (info.useExtension ? " useExtension " : "") << " {\n";
  if (comments()) {
    out << "    # " << (info.tableId == kTableGsub ? "GSUB " : "GPOS ") << "lookup "
        << vn::formatUnsigned(info.index) << ", type " << vn::formatUnsigned(info.typeCode) << " ("
        << lookupTypeName(info.tableId, info.typeCode) << ")\n";
  }
  if (lookup && !part) writeLookupBody(out, *lookup, tracker);
  if (info.singlesOnly && singles_) {
    out << *singles_;
    singles_->clear();
  }
  if (lookup && part) {
    std::ostringstream body;
    if (!tracker.matches(*lookup)) writeFlagLine(body, *lookup);
    tracker = FlagTracker{true, lookup->flag, lookup->markFilteringSet};
    for (size_t i : *part) lookup->subtables[i]->writeFea(body, table(lookup->tableId).lookups.lookups(), names_);
    if (partWhole(body, out))
      copyWritableStatements(body.str(), out, lookup->tableId, lookup->typeCode, nullptr, reportFor(*lookup));
  }
  out << "    } " << name << ";\n\n";
}

// Named lookups in index order, each after the lookups it calls, so every name is defined
// before its use and the application order of the rest stays as in the font.
void FeaDocumentWriter::writeNamedWithCallees(std::ostream& out, LookupInfo& info,
                                              std::set<const LookupInfo*>& written) {
  if (!written.insert(&info).second) return;
  if (const Lookup* lookup = table(info.tableId).lookups.findLookup(info.index)) {
    LookupSet called;
    lookup->collectLookupRefs(called);
    for (uint32_t index : called) {
      auto found = lookups_.find({info.tableId, index});
      if (found != lookups_.end() && found->second->named) writeNamedWithCallees(out, *found->second, written);
    }
  }
  FlagTracker tracker;
  writeLookup(out, info, tracker);
}

void FeaDocumentWriter::writeLookupDefinitions(std::ostream& out) {
  if (comments()) out << "#\n# Lookup definitions\n#\n\n";
  if (lookups_.empty()) return;
  writeFlagClasses(out);
  for (const auto& feature : features_) {
    if (!feature->defaults || restatedLanguages(*feature).empty()) continue;
    for (uint32_t tableId : {kTableGsub, kTableGpos}) {
      for (uint32_t index : feature->defaults->list(tableId)) {
        if (auto found = lookups_.find({tableId, index}); found != lookups_.end()) found->second->repeated = true;
      }
    }
  }
  decideExtensions();
  groupMarkSubtables();
  decideNamed(lookups_, options_->inlineLookups != 0);
  if (options_->inlineLookups && keepLookupOrder(features_, lookups_)) {
    std::stable_sort(features_.begin(), features_.end(),
                     [](const auto& a, const auto& b) { return compareFeaturesByLookups(*a, *b); });
  }
  for (const auto& [key, info] : lookups_) names_[key] = info->name;
  markEmptyLookups(out);
  std::set<const LookupInfo*> written;
  for (auto& [key, info] : lookups_) {
    if (info->named) writeNamedWithCallees(out, *info, written);
  }
}

void FeaDocumentWriter::writeLookupReferences(std::ostream& out, uint32_t tableId, const std::vector<uint32_t>& list,
                                              FlagTracker& tracker) {
  for (uint32_t index : list) {
    const Lookup* body = index == 0xFFFFFFFF ? nullptr : table(tableId).lookups.findLookup(index);
    auto found = lookups_.find({tableId, index});
    if (found == lookups_.end()) {
      if (body) writeLookupBody(out, *body, tracker);
      continue;
    }
    const LookupInfo& info = *found->second;
    if (info.empty) continue;
    if (info.named) {
      if ((!tracker.known || tracker.value != info.flag) && info.flag == 0) writeFeaLookupFlag(0, out);
      const size_t parts = markGroups(info).size();
      if (parts < 2) out << "      lookup " << info.name << ";\n";
      if (info.singlesPart) out << "      lookup " << info.name << "_single;\n";
      for (size_t k = parts; parts >= 2 && k-- > 0;) out << "      lookup " << partName(info, k) << ";\n";
    } else {
      writeLookup(out, info, tracker);
    }
    // Compilers differ in the flag a feature keeps after a lookup block or reference.
    tracker.known = false;
  }
}

void FeaDocumentWriter::writeRecordLists(std::ostream& out, const LanguageInfo* record, FlagTracker& tracker) {
  if (!record) return;
  writeLookupReferences(out, kTableGsub, record->gsub, tracker);
  writeLookupReferences(out, kTableGpos, record->gpos, tracker);
}

// Compilers refuse a feature block without rules: one whose lookups all lost their rules
// is not written.
bool FeaDocumentWriter::writesLookups(const FeatureInfo& feature) const {
  for (uint32_t tableId : {kTableGsub, kTableGpos}) {
    for (uint32_t index : featureLookupSet(feature, tableId)) {
      const auto found = lookups_.find({tableId, index});
      if (found == lookups_.end() ? table(tableId).lookups.findLookup(index) != nullptr : !found->second->empty)
        return true;
    }
  }
  return false;
}

bool FeaDocumentWriter::allNamed(const LanguageInfo* record) const {
  if (!record) return true;
  for (uint32_t tableId : {kTableGsub, kTableGpos}) {
    for (uint32_t index : record->list(tableId)) {
      const auto found = lookups_.find({tableId, index});
      if (found != lookups_.end() && !found->second->named && !found->second->empty) return false;
    }
  }
  return true;
}

void FeaDocumentWriter::writeFeature(std::ostream& out, const FeatureInfo& feature, const FeatureCount& count) {
  const bool aalt = isTag(feature.tag, "aalt");
  if (isTag(feature.tag, "size") || (aalt && !feature.defaults) || count.lookups == 0) return;
  const std::string aaltBody = aalt ? aaltRules(*feature.defaults) : std::string();
  if (aalt ? aaltBody.empty() : !writesLookups(feature)) {
    if (!aalt) diagnostics_.add(Severity::kWarning, "feature " + feature.tag.text(), kFeatureWithoutRules);
    return;  // 'aalt' says so on its own line
  }
  if (!sayableTag(feature.tag)) {
    diagnostics_.add(Severity::kWarning, "feature " + feature.tag.text(), kTagNotSayable);
    return;
  }
  out << "feature " << feature.tag.padded() << (aalt ? " useExtension" : "") << " {\n";
  if (comments()) {
    static const char* const masks[] = {"", "GSUB", "GPOS", "GSUB+GPOS"};
    out << "# " << masks[count.tableMask & 3] << " feature: ";
    std::string name;
    if (TagRegistry::findName(feature.tag, TagRegistry::kFeature, name)) out << name;
    out << "\n# Lookups: " << vn::formatUnsigned(count.lookups) << '\n';
  }
  out << '\n';
  FlagTracker tracker;
  out << aaltBody;
  if (!aalt) {
    writeRecordLists(out, feature.defaults.get(), tracker);
    const auto restated = restatedLanguages(feature);
    bool firstScript = true;
    for (const auto& script : feature.scripts) {
      if (!firstScript) out << '\n';
      firstScript = false;
      out << "  script " << script->tag.padded() << ';';
      std::string name;
      if (comments() && TagRegistry::findName(script->tag, TagRegistry::kScript, name)) out << " # " << name;
      out << '\n';
      tracker = FlagTracker{};  // a script statement resets the flag to 0
      writeRecordLists(out, script->defaults.get(), tracker);
      bool firstLanguage = true;
      for (const auto& language : script->languages) {
        if (!firstLanguage) out << '\n';
        firstLanguage = false;
        const bool restate = restated.count(language.get()) != 0 && allNamed(feature.defaults.get());
        out << "    language " << language->tag.padded() << (language->excludeDflt || restate ? " exclude_dflt" : "")
            << ';';
        bool required = false;
        for (const LayoutTableBlock* block : {gsub_, gpos_}) {
          if (block->requiredFeature(script->tag, language->tag).sameBytes(feature.tag)) required = true;
        }
        if (required) out << " # required";
        if (comments() && TagRegistry::findName(language->tag, TagRegistry::kLanguage, name)) out << " # " << name;
        out << '\n';
        tracker.known = false;
        if (restate) writeRecordLists(out, feature.defaults.get(), tracker);
        writeRecordLists(out, language.get(), tracker);
      }
    }
  }
  out << "} " << feature.tag.padded() << ";\n";
}

void FeaDocumentWriter::writeFeatureBlocks(std::ostream& out) {
  for (const auto& feature : features_) {
    const auto found = counts_.find(feature->tag);
    if (found == counts_.end()) continue;
    std::ostringstream block;
    writeFeature(block, *feature, found->second);
    if (partWhole(block, out) && !block.str().empty()) out << block.str() << '\n';
  }
  reportAaltChanges(*fontGsub_, statistics_.languageSystems, aalt_, diagnostics_);
  writeFeatureParameters(out);
}

}  // namespace otl::ot_fea_layout

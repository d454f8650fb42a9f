#include "layout/layout_fea.h"

#include <fstream>
#include <set>

#include "layout/glyph_id_map.h"
#include "layout/tag_registry.h"
#include "model/glyph.h"

namespace otl {

LayoutFea::LayoutFea(vn::Font* owner, const std::string& registryPath)
    : name("space"), owner_(owner), gdef_(std::make_unique<GDefTableData>(&owner_)) {
  TagRegistry::ensureFilled();
  if (!registryPath.empty()) {
    std::ifstream in(registryPath, std::ios::binary);
    if (in) TagRegistry::readFile(in);
  }
}

LayoutFea::~LayoutFea() {
  gsub.clear();
  gpos.clear();
  gdef_->clear();
}

LayoutTableBlock* LayoutFea::block(uint32_t tableId) {
  return tableId == kTableGsub ? &gsub : tableId == kTableGpos ? &gpos : nullptr;
}

const LayoutTableBlock* LayoutFea::block(uint32_t tableId) const {
  return tableId == kTableGsub ? &gsub : tableId == kTableGpos ? &gpos : nullptr;
}

void LayoutFea::clearTable(uint32_t tableId) {
  if (auto* target = block(tableId)) {
    target->clear();
    recordsHeld_[tableId - 1] = 0;
  }
  if (tableId == kTableGdef) gdef_->clear();
}

bool LayoutFea::isEmpty() const {
  for (const auto* target : {&gsub, &gpos}) {
    if (target->hasTableData()) return false;
  }
  return gdef_->isEmpty();
}

bool LayoutFea::hasTableData(uint32_t tableId) const {
  if (const auto* target = block(tableId)) return target->hasTableData();
  return tableId == kTableGdef && !gdef_->isEmpty();
}

void LayoutFea::removeMissingGlyphsFromBlock(LayoutTableBlock& target, const GlyphIdMap& map,
                                             bool pruneUnreferenced) {
  GlyphSet missing;
  target.lookups.collectMissingGlyphs(missing, map);
  if (!missing.empty()) target.pruneMissingGlyphs(missing);
  if (pruneUnreferenced) target.pruneUnreferencedLookups();
}

void LayoutFea::removeMissingGlyphs(const GlyphIdMap& map) {
  removeMissingGlyphsFromBlock(gsub, map, true);
  removeMissingGlyphsFromBlock(gpos, map, true);
  gdef_->removeMissingGlyphs(map);
}

void LayoutFea::removeMissingGlyphs(const std::list<vn::Glyph*>& glyphs) {
  GlyphIdMap map;
  map.fillGlyphs(glyphs);
  removeMissingGlyphs(map);
}

size_t LayoutFea::collectBlockNames(std::vector<std::string>& out) const {
  out.clear();
  if (textBlocks) {
    for (const auto& piece : *textBlocks) {
      if (piece.name != "FeaPrefix") out.push_back(piece.name);
    }
  }
  return out.size();
}

size_t LayoutFea::collectFeatureTags(std::vector<std::string>& out) const {
  if (textBlocks) return collectBlockNames(out);
  out.clear();
  std::set<std::string> seen;
  for (const auto* target : {&gsub, &gpos}) {
    target->forEachFeature([&](const Script&, const Language&, const Feature& feature) {
      std::string text = feature.tag.text();
      if (seen.insert(text).second) out.push_back(std::move(text));
    });
  }
  return out.size();
}

bool LayoutFea::hasFeature(const std::string& tag) const {
  std::vector<std::string> tags;
  collectFeatureTags(tags);
  for (const auto& text : tags) {
    if (text == tag) return true;
  }
  return false;
}

void LayoutFea::nameGlyphClasses() { otl::nameGlyphClasses(classes, gsub, gpos, true); }

}  // namespace otl

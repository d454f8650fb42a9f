// The font's group operations: adding groups as readers find them, listing them
// for "groups.plist", and clearing glyphs and layout tables.
#include <vector>

#include "layout/registry/glyph_name_registry.h"
#include "model/font.h"

namespace vn {

namespace {
// Kinds of Font::addGroup that name feature-file glyph classes.
constexpr int32_t kFeatureClassKind = 0;
constexpr int32_t kFeatureClassKindAlt = 4;

constexpr const char* kLayoutTableTags[] = {"GSUB", "GPOS", "GDEF", "JSTF"};
}  // namespace

void Font::addGroup(const std::string& groupName, const GlyphIdList& members, const int32_t& kind,
                    const std::string& keyGlyph) {
  if (kind == kFeatureClassKind || kind == kFeatureClassKindAlt) {
    layout.defineGlyphClass(groupName, members, keyGlyph);
    return;
  }
  // Kinds 1 to 3 are the class sides; any other kind makes a class of no side.
  const bool sided =
      kind >= static_cast<int32_t>(kSideFirst) && kind <= static_cast<int32_t>(kSideBoth);
  kerning().defineGroup(groupName, members, sided ? static_cast<uint32_t>(kind) : kSideNone,
                        keyGlyph);
}

void Font::gatherLayoutList(LayoutGroupList& out) const {
  for (const auto& [id, group] : kerningGroups()->groups) {
    out.push_back(LayoutClassEntry{id, otl::glyphNameOf(id), &group});
  }
  std::vector<LayoutClassEntry> classes;
  layout.listGlyphClasses(classes);
  out.insert(out.end(), classes.begin(), classes.end());
}

void Font::clearGlyphs() {
  // The look-ups point at the glyphs; they go first so nothing dangles.
  glyphVector.clear();
  bySerial.clear();
  byName.clear();
  byUnicode.clear();
  for (Glyph* glyph : glyphs) {
    if (glyph) glyph->release();
  }
  glyphs.clear();
}

void Font::removeLayoutTables() {
  for (const char* tag : kLayoutTableTags) tables.erase(tag);
}

}  // namespace vn

// The font's glyphs carry the GDEF classes and carets as their own properties; these
// two routines keep them and the layout's GDEF data in step.
#include <algorithm>
#include <cstdint>

#include "layout/gdef.h"
#include "layout/registry/glyph_name_registry.h"
#include "model/font.h"
#include "model/glyph.h"

namespace otl {

namespace {

constexpr uint16_t kHighestAppliedClass = 4;  // component; higher classes have no meaning

vn::GlyphCaret toGlyphCaret(const LigatureCaret& caret) {
  vn::GlyphCaret out;
  out.coordinate = caret.coordinate;
  out.pointIndex = caret.pointIndex;
  for (const auto& entry : caret.device.entries) out.device.push_back({entry.ppem, entry.delta});
  return out;
}

LigatureCaret fromGlyphCaret(const vn::GlyphCaret& caret) {
  LigatureCaret out;
  out.coordinate = caret.coordinate;
  out.pointIndex = caret.pointIndex;
  for (const auto& entry : caret.device) out.device.entries.push_back({entry.ppem, entry.delta});
  return out;
}

vn::Glyph* fontGlyph(vn::Font& font, uint32_t id) { return font.glyphByName(glyphNameById(id)); }

}  // namespace

void GDefTableData::applyToGlyphs() {
  vn::Font* font = fontHolder_ ? *fontHolder_ : nullptr;
  if (!font) return;
  for (vn::Glyph* glyph : font->glyphs) {
    if (!glyph) continue;
    glyph->glyphClass = 0;
    glyph->markAttachClass = 0;
    glyph->ligatureCarets.clear();
  }
  if (!glyphClasses.isEmpty()) {
    for (uint16_t cls = 1; cls <= kHighestAppliedClass; ++cls) {
      GlyphList members;
      glyphClasses.glyphsOfClass(members, cls);
      for (uint32_t id : members) {
        if (vn::Glyph* glyph = fontGlyph(*font, id)) glyph->glyphClass = cls;
      }
    }
  }
  const size_t caretCount = std::min(caretGlyphs.size(), carets.size());
  for (size_t i = 0; i < caretCount; ++i) {
    vn::Glyph* glyph = fontGlyph(*font, caretGlyphs[i]);
    if (!glyph) continue;
    glyph->ligatureCarets.clear();
    for (const LigatureCaret& caret : carets[i]) glyph->ligatureCarets.push_back(toGlyphCaret(caret));
  }
  if (!markAttachClasses.isEmpty()) {
    const size_t pairs = markAttachClasses.pairCount();
    for (size_t i = 0; i < pairs; ++i) {
      if (vn::Glyph* glyph = fontGlyph(*font, markAttachClasses.glyphs[i])) {
        glyph->markAttachClass = markAttachClasses.classes[i];
      }
    }
  }
}

void GDefTableData::collectFromGlyphs() {
  vn::Font* font = fontHolder_ ? *fontHolder_ : nullptr;
  if (!font) return;
  glyphClasses = ClassDefinitionTable();
  markAttachClasses = ClassDefinitionTable();
  caretGlyphs.clear();
  carets.clear();
  for (const vn::Glyph* glyph : font->glyphs) {
    if (!glyph) continue;
    const uint32_t id = glyphIdByName(glyph->name);
    if (id == 0) continue;  // a nameless glyph cannot be referred to
    // Only the low 16 bits fit a class definition.
    if (const auto cls = static_cast<uint16_t>(glyph->glyphClass)) {
      glyphClasses.glyphs.push_back(id);
      glyphClasses.classes.push_back(cls);
    }
    if (const auto cls = static_cast<uint16_t>(glyph->markAttachClass)) {
      markAttachClasses.glyphs.push_back(id);
      markAttachClasses.classes.push_back(cls);
    }
    if (!glyph->ligatureCarets.empty()) {
      caretGlyphs.push_back(id);
      std::vector<LigatureCaret>& list = carets.emplace_back();
      for (const vn::GlyphCaret& caret : glyph->ligatureCarets) list.push_back(fromGlyphCaret(caret));
    }
  }
}

}  // namespace otl

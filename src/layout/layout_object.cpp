// otl::LayoutFea as the font model's layout object, and the factory the program installs.
#include <algorithm>
#include <iostream>
#include <memory>
#include <vector>

#include "layout/glyph_slot.h"
#include "layout/registry/glyph_name_registry.h"
#include "layout/layout_fea.h"
#include "layout/text/layout_xml.h"
#include "layout/text/fea_text_blocks.h"
#include "model/font.h"

namespace otl {

namespace {

// The compiler names the font in its fatal messages; a font without a name of its own
// is called this.
constexpr const char* kUnnamedFont = "font";
constexpr const char* kNotCompiledPrefix = "Feature text kept as it is, not compiled: ";

}  // namespace

bool LayoutFea::importFeatureFile(std::istream& in, const std::string& fontName, bool allowMissingGlyphs,
                                  bool recordError) {
  FeaCompileError error;
  const bool compiled = importFeatureFile(in, fontName, allowMissingGlyphs, recordError ? &error : nullptr);
  if (!compiled && recordError) {
    lastError_ = error;
    std::cerr << kNotCompiledPrefix << ot_fea_layout::compileErrorLine(error) << '\n' << std::flush;
  }
  return compiled;
}

void LayoutFea::importFeatureText(std::istream& in) {
  // The readers compile (glyphs the font lacks allowed); a failure is recorded and shown,
  // and the text is kept either way.
  lastError_ = FeaCompileError{};
  const std::string fontName = owner_ && !owner_->name.empty() ? owner_->name : kUnnamedFont;
  if (!importFeatureFile(in, fontName, true, true)) return;
  nameGlyphClasses();
  if (owner_ && maxContext > 0 && owner_->layout.glyphCount < static_cast<uint32_t>(maxContext))
    owner_->layout.glyphCount = static_cast<uint32_t>(maxContext);
}

bool LayoutFea::loadLayoutXml(std::istream& in) { return xml::loadLayoutXml(*this, in); }

bool LayoutFea::writeLayoutXml(std::ostream& out, bool withDocumentFrame, bool spare) {
  return otl::writeLayoutXml(*this, out, spare ? 1 : 0, withDocumentFrame ? 1 : 0);
}

vn::GlyphId LayoutFea::defineGlyphClass(const std::string& className, const vn::GlyphIdList& members,
                                        const std::string& keyGlyph) {
  const vn::GlyphId id = glyphIdByName(className);
  if (id == 0) return 0;
  vn::FeaGlyphGroup& group = classes.groups[id];
  // Members keep their order, without id 0 and without repeats (as the model's own store).
  group.glyphs.clear();
  for (vn::GlyphId member : members) {
    if (member != 0 && std::find(group.glyphs.begin(), group.glyphs.end(), member) == group.glyphs.end())
      group.glyphs.push_back(member);
  }
  group.className = className;
  group.setKeyGlyph(keyGlyph);
  return id;
}

void LayoutFea::listGlyphClasses(std::vector<vn::LayoutClassEntry>& out) const {
  // Only the classes defined by name (the font's plain groups): classes made by a compile
  // carry a nameless id and are the layout's own.
  for (const auto& [id, group] : classes.groups) {
    if (!group.className.empty() && glyphNameById(id) == group.className)
      out.push_back(vn::LayoutClassEntry{id, group.className, &group});
  }
}

void installLayoutFactory() {
  vn::setLayoutFactory([](vn::Font* owner) { return std::make_unique<LayoutFea>(owner, ""); });
}

}  // namespace otl

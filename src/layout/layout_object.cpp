// otl::LayoutFea as the font model's layout object, and the factory the program installs.
#include <algorithm>
#include <istream>
#include <ostream>
#include <memory>
#include <set>
#include <tuple>
#include <vector>

#include "layout/glyph_id_map.h"
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
constexpr const char* kDocumentNotRead = "cannot be read; the layout comes from features.fea";
constexpr const char* kDocumentUsed =
    "features.fea and the layout XML document name different features; the document's layout was used";
constexpr const char* kDocumentNotWritten = "not written; the layout is in the feature text only";

}  // namespace

bool LayoutFea::importFeatureFile(std::istream& in, const std::string& fontName, bool allowMissingGlyphs,
                                  bool recordError) {
  FeaCompileError error;
  const bool compiled = importFeatureFile(in, fontName, allowMissingGlyphs, recordError ? &error : nullptr);
  if (!compiled && recordError) {
    lastError_ = error;
    reports.add(Severity::kError, {}, kNotCompiledPrefix + ot_fea_layout::compileErrorLine(error));
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

namespace {

// Every (script, language, feature) of both tables: what the feature text and the layout
// XML document are compared by.
std::set<std::tuple<uint32_t, uint32_t, uint32_t, uint32_t>> featureKeys(const LayoutFea& layout) {
  std::set<std::tuple<uint32_t, uint32_t, uint32_t, uint32_t>> keys;
  for (const LayoutTableBlock* block : {&layout.gsub, &layout.gpos}) {
    block->forEachFeature([&](const Script& script, const Language& language, const Feature& feature) {
      // "DFLT" and "dflt" both name the default language system.
      const uint32_t languageKey = isDefaultTag(language.tag) ? 0 : language.tag.value();
      keys.emplace(block->tableId, script.tag.value(), languageKey, feature.tag.value());
    });
  }
  return keys;
}

}  // namespace

bool LayoutFea::loadLayoutXml(std::istream& in) {
  // The layout compiled from the feature text (if any): kept when the document fails,
  // compared when it reads.
  LayoutTableBlock gsubBefore(kTableGsub, &classes), gposBefore(kTableGpos, &classes);
  gsubBefore = gsub;
  gposBefore = gpos;
  const bool fromText = textBlocks != nullptr && !(gsub.lookups.isEmpty() && gpos.lookups.isEmpty());
  const auto keysBefore = featureKeys(*this);
  if (!xml::loadLayoutXml(*this, in)) {
    gsub = gsubBefore;
    gpos = gposBefore;
    reports.add(Severity::kWarning, kLayoutXmlDocument, kDocumentNotRead);
    return false;
  }
  if (fromText && featureKeys(*this) != keysBefore) reports.add(Severity::kWarning, kLayoutXmlDocument, kDocumentUsed);
  // The document is the layout's source now: the feature text is generated from it.
  textBlocks.reset();
  if (owner_) {
    GlyphIdMap map;
    map.fillGlyphs(owner_->glyphs);
    storeBinaryTables(map);
  }
  return true;
}

bool LayoutFea::writeLayoutXml(std::ostream& out, bool withDocumentFrame, bool spare) {
  bool written = false;
  try {
    written = otl::writeLayoutXml(*this, out, spare ? 1 : 0, withDocumentFrame ? 1 : 0);
  } catch (const std::exception& e) {
    reports.add(Severity::kError, kLayoutXmlDocument, e.what());
  }
  if (!written) reports.add(Severity::kError, kLayoutXmlDocument, kDocumentNotWritten);
  return written;
}

std::vector<std::string> LayoutFea::takeWarnings() {
  std::vector<std::string> lines = reports.linesByKind();
  reports.clear();
  return lines;
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

// Glyph data the native file holds otherwise than the UFO gives it: whole units (contour
// points rounded, the other values truncated toward zero, as the native writer stores
// them), one level of untransformed components and Unicode values in two lists. The
// shapes are kept; each glyph so changed is named on the warning line of its kind.
#include <cstdint>
#include <string>
#include <vector>

#include "model/glyph_data.h"
#include "model/layer.h"
#include "model/numbers.h"
#include "ufo/reader_font.h"

namespace ufo {
namespace {

bool isWhole(double value) { return vn::isIntegral(value); }

bool hasFractionalPoints(const vn::Glyph& glyph) {
  const vn::VarnelData* data = glyph.varnelDataIfAny();
  if (!data) return false;
  for (const vn::Layer& layer : data->layers) {
    for (const vn::Element& element : layer.elements) {
      for (const vn::Contour& contour : element.contours) {
        for (const vn::Node& node : contour.nodes) {
          if (!isWhole(node.x) || !isWhole(node.y)) return true;
        }
      }
    }
  }
  return false;
}

bool hasFractionalHints(const vn::Glyph& glyph) {
  const vn::VarnelData* data = glyph.varnelDataIfAny();
  if (!data) return false;
  for (const vn::Layer& layer : data->layers) {
    for (const vn::Hint& hint : layer.hints) {
      if (!isWhole(hint.position) || !isWhole(hint.width)) return true;
    }
  }
  return false;
}

bool hasFractionalOffsets(const vn::Glyph& glyph) {
  for (const vn::Component& component : glyph.components) {
    if (!isWhole(component.matrix.e) || !isWhole(component.matrix.f)) return true;
  }
  return false;
}

// The native file holds values below U+10000 and the others in two lists, so a value
// from U+10000 up that stands before a smaller one comes back after it.
bool hasSupplementaryBeforeOthers(const vn::Glyph& glyph) {
  constexpr std::uint32_t kFirstSupplementary = 0x10000;
  bool supplementarySeen = false;
  for (const std::uint32_t value : glyph.unicodes) {
    if (value >= kFirstSupplementary) supplementarySeen = true;
    else if (supplementarySeen) return true;
  }
  return false;
}

// "a (advance width, anchor)": what of the glyph is truncated; empty when nothing is.
std::string truncatedParts(const vn::Glyph& glyph, bool anchors, bool offsets) {
  std::vector<const char*> parts;
  if (!isWhole(glyph.advanceWidth)) parts.push_back("advance width");
  if (!isWhole(glyph.advanceHeight)) parts.push_back("advance height");
  if (anchors) parts.push_back("anchor");
  if (offsets) parts.push_back("component offset");
  if (hasFractionalHints(glyph)) parts.push_back("stem hint");
  if (parts.empty()) return {};
  std::string item = glyph.name + " (";
  for (size_t i = 0; i < parts.size(); ++i) item += std::string(i == 0 ? "" : ", ") + parts[i];
  return item + ")";
}

}  // namespace

void UfoFontParser::noteStructureChanges() {
  bool anyComponents = false;
  for (const vn::Glyph* glyph : font_->glyphs) anyComponents = anyComponents || (glyph && !glyph->components.empty());
  if (anyComponents) font_->rebuildGlyphIndex();
  for (const vn::Glyph* glyph : font_->glyphs) {
    if (!glyph) continue;
    // As the native writer flattens them (transformed components decomposed).
    const vn::Glyph::ComponentChange change =
        glyph->components.empty() ? vn::Glyph::ComponentChange::kNone : glyph->componentChange(*font_, true);
    if (change == vn::Glyph::ComponentChange::kRepointed) {
      warnings_.list(warning::kRepointedComponents, warning::kRepointedComponentsLine, glyph->name);
    } else if (change == vn::Glyph::ComponentChange::kDecomposed) {
      warnings_.list(warning::kDecomposedComponents, warning::kDecomposedComponentsLine, glyph->name);
    }
    // A decomposed component's offset moves contour points, which are rounded; a kept
    // one is stored as it stands, truncated.
    const bool decomposed = change == vn::Glyph::ComponentChange::kDecomposed;
    const bool fractionalOffsets = hasFractionalOffsets(*glyph);
    if (hasFractionalPoints(*glyph) || (decomposed && fractionalOffsets)) {
      warnings_.list(warning::kRoundedCoordinates, warning::kRoundedCoordinatesLine, glyph->name);
    }
    const std::string truncated = truncatedParts(*glyph, glyphParser_.hasFractionalAnchors(glyph->name),
                                                 !decomposed && fractionalOffsets);
    if (!truncated.empty()) warnings_.list(warning::kTruncatedValues, warning::kTruncatedValuesLine, truncated);
    if (hasSupplementaryBeforeOthers(*glyph)) {
      warnings_.list(warning::kSupplementaryFirst, warning::kSupplementaryFirstLine, glyph->name);
    }
  }
}

}  // namespace ufo

// Glyph data the native file holds otherwise than the UFO gives it: whole units (contour
// points rounded, the other values truncated toward zero, as the native writer stores
// them) within the range of its fields, names of at most 255 bytes, one level of
// untransformed components and Unicode values in two lists. The shapes are kept; each
// glyph so changed is named on the warning line of its kind.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "model/glyph_data.h"
#include "model/layer.h"
#include "model/limits.h"
#include "model/numbers.h"
#include "ufo/reader_font.h"

namespace ufo {
namespace {

bool isFractional(double value) { return !vn::isIntegral(value); }
// Beyond the 32 bits the native file holds: clamped when truncated.
bool isBeyond32Bits(double value) { return vn::saturateInt32(value) != std::trunc(value); }
// A contour point beyond the largest coordinate the native file holds: clamped when rounded.
bool isBeyondCoordinates(double value) { return std::fabs(vn::round(value)) > vn::kMaxNativeCoordinate; }

template <class Test>
bool anyPoint(const vn::Glyph& glyph, Test test) {
  const vn::VarnelData* data = glyph.varnelDataIfAny();
  if (!data) return false;
  for (const vn::Layer& layer : data->layers) {
    for (const vn::Element& element : layer.elements) {
      for (const vn::Contour& contour : element.contours) {
        for (const vn::Node& node : contour.nodes) {
          if (test(node.x) || test(node.y)) return true;
        }
      }
    }
  }
  return false;
}

template <class Test>
bool anyHint(const vn::Glyph& glyph, Test test) {
  const vn::VarnelData* data = glyph.varnelDataIfAny();
  if (!data) return false;
  for (const vn::Layer& layer : data->layers) {
    for (const vn::Hint& hint : layer.hints) {
      if (test(hint.position) || test(hint.width)) return true;
    }
  }
  return false;
}

template <class Test>
bool anyOffset(const vn::Glyph& glyph, Test test) {
  for (const vn::Component& component : glyph.components) {
    if (test(component.matrix.e) || test(component.matrix.f)) return true;
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

// Where a guide crosses its axis the native file holds in 32 bits, cut toward zero.
bool movesGuides(const vn::Layer* layer) {
  if (!layer) return false;
  for (const vn::Guide& guide : layer->guides) {
    const double position = vn::guideLine(guide, 1.0).position;
    if (vn::saturateInt32(position) != position) return true;
  }
  return false;
}

// What of a glyph a line names; the caller says for anchors, offsets and points.
struct ChangedParts {
  bool anchors = false;
  bool offsets = false;
  bool points = false;
};

// "a (advance width, anchor)": the values of the glyph that `test` finds changed; empty
// when none.
template <class Test>
std::string changedParts(const vn::Glyph& glyph, Test test, ChangedParts given) {
  std::vector<const char*> parts;
  if (test(glyph.advanceWidth)) parts.push_back("advance width");
  if (test(glyph.advanceHeight)) parts.push_back("advance height");
  if (given.anchors) parts.push_back("anchor");
  if (given.offsets) parts.push_back("component offset");
  if (given.points) parts.push_back("contour point");
  if (anyHint(glyph, test)) parts.push_back("stem hint");
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
  if (movesGuides(font_->guideLayer())) {
    warnings_.list(warning::kMovedGuides, warning::kMovedGuidesLine, warning::kFontGuidelines);
  }
  for (const vn::Glyph* glyph : font_->glyphs) {
    if (!glyph) continue;
    const vn::VarnelData* data = glyph->varnelDataIfAny();
    if (data && movesGuides(data->findLayer(vn::Layer::kBody))) {
      warnings_.list(warning::kMovedGuides, warning::kMovedGuidesLine, glyph->name);
    }
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
    const bool fractionalOffsets = anyOffset(*glyph, isFractional);
    if (anyPoint(*glyph, isFractional) || (decomposed && fractionalOffsets)) {
      warnings_.list(warning::kRoundedCoordinates, warning::kRoundedCoordinatesLine, glyph->name);
    }
    const std::string truncated = changedParts(
        *glyph, isFractional, {glyphParser_.hasFractionalAnchors(glyph->name), !decomposed && fractionalOffsets});
    if (!truncated.empty()) warnings_.list(warning::kTruncatedValues, warning::kTruncatedValuesLine, truncated);
    // A decomposed component's far offset moves contour points out, which are clamped too.
    const std::string clamped = changedParts(
        *glyph, isBeyond32Bits,
        {glyphParser_.hasClampedAnchors(glyph->name), !decomposed && anyOffset(*glyph, isBeyond32Bits),
         anyPoint(*glyph, isBeyondCoordinates) || (decomposed && anyOffset(*glyph, isBeyondCoordinates))});
    if (!clamped.empty()) warnings_.list(warning::kClampedValues, warning::kClampedValuesLine, clamped);
    if (glyph->name.size() > vn::kMaxNativeGlyphName) {
      warnings_.list(warning::kLongGlyphNames, warning::longGlyphNames(), glyph->name);
    }
    if (hasSupplementaryBeforeOthers(*glyph)) {
      warnings_.list(warning::kSupplementaryFirst, warning::kSupplementaryFirstLine, glyph->name);
    }
  }
}

}  // namespace ufo

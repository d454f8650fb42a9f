// Encoders of the glyph-level records of the native writer: the glyph record (2001),
// outline elements, hints, hint links, guides, point links and the style options.
// Each appends to a growable payload stream and reports whether it produced content.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/kerning.h"

namespace vn {
class Glyph;
class Layer;
struct Element;
struct Guide;
}  // namespace vn

namespace qtf {

class RecordWriter;
class Stream;

// What the glyph records need from the writer: glyph positions and the kerning as
// glyph-name pairs grouped by first glyph.
struct GlyphWriteContext {
  // Glyph name -> position among the written glyphs.
  std::unordered_map<std::string, int32_t> glyphIndexByName;
  // First glyph name -> (position of the second glyph or -1, value), in pair order.
  std::unordered_map<std::string, std::vector<std::pair<int32_t, double>>> kerningByFirst;

  // Position of the glyph, -1 when absent.
  int32_t glyphIndexOf(const std::string& name) const;
};

// The outline of all elements of a layer with contours, merged into one element
// (each transformed by its own matrix and then the layer's); 1, 0, 0 without points.
bool encodeLayerOutline(Stream& out, const vn::Layer* layer);
// One element's contours as node records.
bool encodeElementOutline(Stream& out, const vn::Element& element);
bool encodeHints(Stream& out, const vn::Layer& layer);
bool encodeHintLinks(Stream& out, const vn::Layer& layer);
bool encodeGuidePositions(Stream& out, const std::vector<vn::Guide>& guides);
bool encodeGuideProperties(Stream& out, const std::vector<vn::Guide>& guides);
bool encodePointLinks(Stream& out, const vn::Glyph& glyph, const vn::Layer* layer);
bool encodeLinkValues(Stream& out, const vn::Layer& layer);
bool encodeGlyphRecord(Stream& out, const vn::Glyph& glyph, const vn::Layer* layer, const GlyphWriteContext& context);

// Record 2001 and the glyph's further records, in their order.
bool writeGlyphRecords(RecordWriter& out, const vn::Glyph& glyph, const GlyphWriteContext& context);

// A guide goes to the first (horizontal) list when it runs more along x than along y.
bool isHorizontalGuide(const vn::Guide& guide);
// Largest coordinate magnitude written; larger ones are clamped so that the deltas
// between points stay within 32 bits.
inline constexpr int32_t kMaxCoordinate = 1 << 29;

}  // namespace qtf

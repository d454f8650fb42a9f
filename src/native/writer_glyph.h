// Encoders of the glyph-level records of the native writer: the glyph record (2001),
// outline elements, hints, hint links, guides, point links and the style options.
// Each appends to a growable payload stream and reports whether it produced content.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/limits.h"
#include "native/writer_kerning.h"

namespace vn {
class Glyph;
class Layer;
struct Element;
struct Guide;
}  // namespace vn

namespace qtf {

class RecordWriter;
class Stream;

// What the glyph records need from the writer: glyph positions and the kerning.
struct GlyphWriteContext {
  // Glyph name -> position among the written glyphs (components name their base).
  std::unordered_map<std::string, int32_t> glyphIndexByName;
  // Glyph id -> position among the written glyphs, -1 when absent.
  std::vector<int32_t> glyphIndexById;
  // The kerning's glyph pairs, ascending by first and then by second glyph id.
  std::span<const FileGlyphPair> kerning;

  // Position of the glyph, -1 when absent.
  int32_t glyphIndexOf(const std::string& name) const;
  int32_t glyphIndexOf(vn::GlyphId id) const;
  // The pairs whose first glyph is `first`, in their order; none for id 0.
  std::span<const FileGlyphPair> kerningOf(vn::GlyphId first) const;
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
// `glyphId`: the glyph's registry id, which finds its kerning (0: none).
bool encodeGlyphRecord(Stream& out, const vn::Glyph& glyph, vn::GlyphId glyphId, const vn::Layer* layer,
                       const GlyphWriteContext& context);

// Record 2001 and the glyph's further records, in their order.
bool writeGlyphRecords(RecordWriter& out, const vn::Glyph& glyph, vn::GlyphId glyphId, const GlyphWriteContext& context);

// A guide goes to the first (horizontal) list when it runs more along x than along y.
bool isHorizontalGuide(const vn::Guide& guide);
// Largest coordinate magnitude written.
inline constexpr int32_t kMaxCoordinate = vn::kMaxNativeCoordinate;

}  // namespace qtf

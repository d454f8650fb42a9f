// Decoders of the glyph-level payloads of a native file: the glyph record, outline
// elements, hints, hint links, guides, guide properties and point links.
//
// Per-master values are repeated once per master; only the repetition of the selected
// master is kept. Every decoder reads from a payload stream whose limit is the
// payload's end: a read past it is an overrun, and a decoder never reports success
// after one. Counts are checked against the bytes left before any allocation.
#pragma once

#include <cstdint>
#include <vector>

#include "model/geometry.h"
#include "native/info_records.h"

namespace vn {
class Glyph;
class Layer;
struct Element;
struct Guide;
}  // namespace vn

namespace qtf {

class Stream;

// One per-master selection: the master whose values are kept, out of `masters`.
struct MasterSelection {
  int32_t masters = 1;
  uint32_t selected = 0;
  bool keeps(int32_t repetition) const { return static_cast<uint32_t>(repetition) == selected; }
};

// Outline element (records 1295, 2002, 2009 and glyph key 8). `statedMasters`
// receives the master count the element states. False for more than 16 masters, a
// bad node kind, a node before the first move, or truncated data.
[[nodiscard]] bool decodeOutlineElement(Stream& in, uint32_t selected, vn::Element& out, int32_t& statedMasters);

// Glyph record (2001). `readMasters` is the read's master count; an outline element
// inside updates it. The glyph's index must be set (kerning entries use it).
[[nodiscard]] bool decodeGlyphRecord(Stream& in, vn::Glyph& glyph, int32_t& readMasters, uint32_t selected,
                       std::vector<IndexedKerning>& pendingKerning);

// Hints (glyph key 3, record 2003) into the layer's hints and replacement list.
[[nodiscard]] bool decodeHints(Stream& in, vn::Layer& layer, const MasterSelection& masters);
// The points hint links name: the move and on-curve nodes of the layer, each through
// its element's matrix.
std::vector<vn::Point> hintLinkPoints(const vn::Layer& layer);
// Hints between two of `points` (2008), appended to the layer's hints.
[[nodiscard]] bool decodeHintLinks(Stream& in, vn::Layer& layer, const std::vector<vn::Point>& points);
// Guide positions (1294, 2004, glyph key 4), appended to the list.
[[nodiscard]] bool decodeGuidePositions(Stream& in, std::vector<vn::Guide>& guides, const MasterSelection& masters);
// Names and colours of guides already present (1296, 2031).
[[nodiscard]] bool decodeGuideProperties(Stream& in, std::vector<vn::Guide>& guides);
// Point links and the glyph's point data (2018).
[[nodiscard]] bool decodePointLinks(Stream& in, vn::Glyph& glyph, vn::Layer& layer);
// Point-link references (2029) of the selected repetition.
[[nodiscard]] bool decodePointLinkReferences(Stream& in, vn::Layer& layer, uint32_t selected);
// Point-link values and hues (2020).
[[nodiscard]] bool decodePointLinkValues(Stream& in, vn::Layer& layer);
// (advance width, advance height) per master (glyph key 2, record 2005).
[[nodiscard]] bool decodeAdvances(Stream& in, vn::Glyph& glyph, const MasterSelection& masters);

}  // namespace qtf

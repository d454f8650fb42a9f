// The layout XML document: a TTX-like rendering of the GPOS and GSUB tables, numbered
// as the binary tables are, and its reader.
#pragma once

#include <cstdint>
#include <iosfwd>

namespace otl {

class GlyphIdMap;
class LayoutFea;

// Writes the document of the layout's owner font (false without one). `frame` asks for
// the XML declaration and the root element; `unused` is kept for the caller's protocol.
// Glyphs the font lacks are pruned from a copy first, so they never come out as glyph 0.
// False on a stream or table failure; the caller writes under a temporary name.
// Where the document's reports are filed (LayoutFea::reports).
inline constexpr const char* kLayoutXmlDocument = "layout XML document";

bool writeLayoutXml(const LayoutFea& layout, std::ostream& out, uint8_t unused, uint8_t frame);
// The same over a given glyph order (for layouts without an owner font).
bool writeLayoutXml(const LayoutFea& layout, std::ostream& out, const GlyphIdMap& glyphs, bool frame);

namespace xml {

// Empties the layout and reads the document into it; glyphs the owner font lacks are
// pruned afterwards. False, with the layout emptied, when the document is malformed
// (XML error, bad number, unknown lookup reference, a subtable that does not hold
// together) or the layout has no owner font; why is among the layout's reports, with
// the element and its line. The owner font's layout goes on as feature text, so what
// only binary tables hold (a one-component ligature) is refused too.
bool loadLayoutXml(LayoutFea& layout, std::istream& in);
// The same over a given glyph order, for a layout that goes on as binary tables.
bool loadLayoutXml(LayoutFea& layout, std::istream& in, const GlyphIdMap& glyphs);

}  // namespace xml

}  // namespace otl

// The font lib and the glyph libs as the UFO writer prepares them in the driver's lib
// tree: TrueType hinting settings, global guides, and one dict per glyph (mark
// colour, guides, TrueType program, PostScript hint sets) under "glyphs_quorvel_lib",
// then the glyph order.
// Model texts (glyph and guide names) enter the tree as UTF-8 (modelTextToUtf8), the
// form the tree prints, so they read the same as in the files that escape them directly.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ufo/plist_node.h"

namespace vn {
class Font;
class Layer;
class Style;
}  // namespace vn

namespace ufo {

namespace libkey {
inline constexpr const char* kTrueTypeHinting = "com.quorvel.v2.tth";
inline constexpr const char* kGuides = "com.typemytype.robofont.guides";
inline constexpr const char* kGlyphBranch = "glyphs_quorvel_lib";
inline constexpr const char* kGlyphOrder = "public.glyphOrder";
inline constexpr const char* kMark = "com.typemytype.robofont.mark";
inline constexpr const char* kTrueTypeProgram = "com.quorvel.ttprogram";
inline constexpr const char* kHintSets = "com.adobe.type.autohint";
inline constexpr const char* kPublicMark = "public.markColor";  // UFO 3, read only
}  // namespace libkey

// Mark values 1..254 stand for hues in steps of a 254th of a turn, the same scale both
// ways, so that a mark written and read back stays the mark.
inline constexpr int32_t kMarkHueSteps = 254;

// Base64 in lines of 40 characters (each ended by "\r\n") with the option, else the
// text as it stands.
std::string encodeLibData(const std::string& text, bool base64);

// The guides of a layer as a "com.typemytype.robofont.guides" array; null when the
// layer has none.
std::unique_ptr<PListNode> guideArray(const vn::Layer& layer, bool isGlobal);

// The "com.typemytype.robofont.mark" array of a non-zero mark value: below 360 the hue
// (mark - 1) / kMarkHueSteps, from 360 a grey level; red, green, blue and alpha 1.
std::unique_ptr<PListNode> markColorArray(int32_t mark);

// Adds the font-level entries and the glyph branch to the root (names the PostScript
// hint-replacement points of the glyphs' body layers on the way).
void buildLib(const vn::Font& font, const vn::Style& style, bool base64, PListNode& root);

// Appends "public.glyphOrder" with the written glyph names, also for a font without
// glyphs.
void appendGlyphOrder(const vn::Font& font, PListNode& root);

}  // namespace ufo

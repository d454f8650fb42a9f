// Glyph nodes: the elements of a feature-file glyph pattern, shared by the
// feature layer (which makes and recycles them) and the table builders (which
// read them during a call and keep copies of what they need, never the nodes).
#pragma once

#include <cstdint>

namespace fea {

struct GlyphNode;

// Value record written after an element of a positioning rule.
struct FeatValueRecord {
  std::uint8_t count = 0;  // 1 when one number was given, 4 for four
  std::int16_t values[4] = {0, 0, 0, 0};  // XPlacement, YPlacement, XAdvance, YAdvance
};

// One anchor of a rule, or the anchor of a mark-class member.
struct GpsAnchor {
  std::int16_t x = 0;
  std::int16_t y = 0;
  std::uint16_t contourPoint = 0;
  int format = 0;                  // 0 NULL anchor, 1 x and y, 2 x, y and contour point
  GlyphNode* markClass = nullptr;  // first node of the mark class tied to this anchor
  int markClassIndex = 0;          // filled by the GPOS builder
  int componentIndex = 0;
};

// Flags of a node.
inline constexpr std::uint16_t GN_PATTERN_MARKED = 0x0001;
inline constexpr std::uint16_t GN_MARKED = 0x0002;
inline constexpr std::uint16_t GN_CLASS = 0x0004;
inline constexpr std::uint16_t GN_BACKTRACK = 0x0008;
inline constexpr std::uint16_t GN_INPUT = 0x0010;
inline constexpr std::uint16_t GN_LOOKAHEAD = 0x0020;
inline constexpr std::uint16_t GN_IN_ANON_LOOKUP = 0x0040;
inline constexpr std::uint16_t GN_ENUMERATE = 0x0080;
inline constexpr std::uint16_t GN_MARK_CLASS_USED = 0x0100;
inline constexpr std::uint16_t GN_IGNORE = 0x0200;
inline constexpr std::uint16_t GN_HAS_ANCHOR = 0x0400;
inline constexpr std::uint16_t GN_LAST_MARK = 0x0800;
inline constexpr std::uint16_t GN_LOOKUP_REF = 0x1000;

// A pattern is a chain of elements (nextSeq); an element that is a class is a
// chain of members (nextCl).
struct GlyphNode {
  std::uint16_t flags = 0;
  std::uint16_t gid = 0;
  GlyphNode* nextSeq = nullptr;  // next element; also the free-list link
  GlyphNode* nextCl = nullptr;   // next member of the same class
  int aaltIndex = 0;             // 'aalt': index of the contributing feature, -1 in 'aalt' itself
  FeatValueRecord* valueRecord = nullptr;
  int lookupLabel = -1;                 // direct lookup reference, -1 when none
  const char* markClassName = nullptr;  // on the first node of a mark class
  GpsAnchor anchor;                     // the anchor of a mark-class member
};

}  // namespace fea

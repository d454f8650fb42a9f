// cmap module: the encodings built from the glyphs' Unicode values (and any other encoding a
// caller starts). A compile only sees its checks: two glyphs with one code end it.
#pragma once

#include <cstdint>
#include <vector>

#include "feacompiler/core_context.h"

namespace fea {

// Mapping flags.
constexpr uint16_t kCmapGap = 1;         // a break in the codes before this mapping
constexpr uint16_t kCmapDoubleByte = 2;  // double-byte code
constexpr uint16_t kCmapDroppable = 4;   // may be dropped when another glyph has the code
constexpr uint16_t kCmapRemoved = 8;     // sorts last and is cut off

// Code sizes of an encoding (CmapContext::byteSizes) and of cmapAddMapping.
constexpr uint16_t kCmapSingle = 1, kCmapDouble = 2, kCmapFour = 4;

struct CmapMapping {
  uint32_t code;
  uint16_t gid;
  uint16_t flags;
};

struct CmapEncoding {
  uint16_t platform, script, language;
  int subtable;  // index in CmapContext::subtables, shared by the Unicode platform entries
};

struct CmapContext {
  uint16_t platform = 0, script = 0, language = 0;
  uint32_t maxCode = 0, maxGid = 0;
  uint16_t byteSizes = 0;
  std::vector<CmapMapping> mappings;
  std::vector<CmapEncoding> encodings;
  std::vector<std::vector<uint8_t>> subtables;  // built bytes, one per ended encoding
};

// One encoding at a time: begin, add its mappings, end. End returns false when the encoding
// is empty and gets no subtable (every platform but Macintosh).
void cmapBeginEncoding(coreContext* g, uint16_t platform, uint16_t script, uint16_t language);
void cmapAddMapping(coreContext* g, uint32_t code, uint16_t gid, uint16_t size);
bool cmapEndEncoding(coreContext* g);

// The Windows and Unicode-platform encodings of the mapping's Unicode values.
void cmapBuildUnicode(coreContext* g);

// Reports through coreMsg with the current encoding in front.
void cmapMsg(coreContext* g, int level, const std::string& text);

// Subtable builders over sorted mappings without duplicates (cmap_formats.cpp).
// makeFormat4 is false when the subtable would be 65536 bytes or longer.
[[nodiscard]] bool cmapMakeFormat4(const std::vector<CmapMapping>& maps, uint16_t language,
                                   std::vector<uint8_t>& out);
void cmapMakeFormat0(const std::vector<CmapMapping>& maps, uint16_t language,
                     std::vector<uint8_t>& out);
void cmapMakeFormat6(const std::vector<CmapMapping>& maps, uint16_t language,
                     std::vector<uint8_t>& out);
[[nodiscard]] bool cmapMakeFormat2(const std::vector<CmapMapping>& maps, uint16_t language,
                                   std::vector<uint8_t>& out);
void cmapMakeFormat12(const std::vector<CmapMapping>& maps, uint16_t language,
                      std::vector<uint8_t>& out);

}  // namespace fea

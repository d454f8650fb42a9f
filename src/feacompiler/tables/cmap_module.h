// cmap module: the Windows Unicode encoding built from the glyphs' Unicode values. Only its
// checks are visible: two glyphs with one code end the compile.
#pragma once

#include <cstdint>
#include <vector>

#include "feacompiler/core_context.h"

namespace fea {

struct CmapMapping {
  uint32_t code;
  uint16_t gid;
  uint16_t flags;  // 1 gap before, 2 double-byte, 4 droppable duplicate, 8 removed
};

struct CmapEncoding {
  uint16_t platform, script, language;
  int subtable;  // index of the encoding whose subtable this one shares
};

struct CmapContext {
  uint16_t platform = 0, script = 0, language = 0;
  uint32_t maxCode = 0, maxGid = 0;
  uint16_t byteSizes = 0;
  std::vector<CmapMapping> mappings;
  std::vector<CmapEncoding> encodings;
  std::vector<std::vector<uint8_t>> subtables;
};

void cmapBuildUnicode(coreContext* g);

}  // namespace fea

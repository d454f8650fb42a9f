// The map between a font's glyph indices and registry ids, built for one import or
// export. Registry ids are process-wide; glyph indices are the font's own order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "layout/registry/glyph_name_registry.h"

namespace otl {

class GlyphIdMap {
 public:
  // Empties both maps, then enters glyph i of the list under the registry id of its name.
  void fill(const std::vector<std::string>& names);
  // The same for a container of glyph pointers (anything with a `name` member);
  // null entries are skipped and do not take a position.
  template <class GlyphList>
  void fillGlyphs(const GlyphList& glyphs) {
    clear();
    uint32_t index = 0;
    for (const auto* glyph : glyphs) {
      if (glyph) add(index++, glyphIdByName(glyph->name));
    }
  }
  void clear();
  // Enters one (index, id) pair.
  void add(uint32_t index, uint32_t id);

  // The glyph index of an id, truncated to 16 bits; 0 when the id is absent.
  uint16_t indexOf(uint32_t id) const {
    return id < toIndex_.size() && toIndex_[id] != kAbsent ? static_cast<uint16_t>(toIndex_[id]) : 0;
  }
  bool contains(uint32_t id) const { return id < toIndex_.size() && toIndex_[id] != kAbsent; }
  // The id at a glyph index; 0 when the index is absent.
  uint32_t idOf(uint32_t index) const { return index < toId_.size() ? toId_[index] : 0; }
  bool hasIndex(uint32_t index) const { return index < toId_.size() && entered_[index]; }
  // Number of glyph positions entered (one more than the largest index).
  uint32_t glyphCount() const { return static_cast<uint32_t>(toId_.size()); }

 private:
  static constexpr uint32_t kAbsent = 0xFFFFFFFF;
  // Both directions are dense: glyph indices count from 0, registry ids from 1.
  std::vector<uint32_t> toId_;
  std::vector<bool> entered_;
  std::vector<uint32_t> toIndex_;
};

}  // namespace otl

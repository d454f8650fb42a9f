#include "layout/registry/glyph_id_map.h"

namespace otl {

void GlyphIdMap::fill(const std::vector<std::string>& names) {
  clear();
  for (size_t i = 0; i < names.size(); ++i) add(static_cast<uint32_t>(i), glyphIdByName(names[i]));
}

void GlyphIdMap::clear() {
  toId_.clear();
  toIndex_.clear();
  glyphCount_ = 0;
}

void GlyphIdMap::add(uint32_t index, uint32_t id) {
  toId_[index] = id;
  toIndex_[id] = index;
  if (index >= glyphCount_) glyphCount_ = index + 1;
}

uint16_t GlyphIdMap::indexOf(uint32_t id) const {
  const auto found = toIndex_.find(id);
  return found == toIndex_.end() ? 0 : static_cast<uint16_t>(found->second);
}

uint32_t GlyphIdMap::idOf(uint32_t index) const {
  const auto found = toId_.find(index);
  return found == toId_.end() ? 0 : found->second;
}

}  // namespace otl

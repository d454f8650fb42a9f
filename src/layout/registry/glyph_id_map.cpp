#include "layout/registry/glyph_id_map.h"

#include <algorithm>

namespace otl {

void GlyphIdMap::fill(const std::vector<std::string>& names) {
  clear();
  toId_.reserve(names.size());
  for (size_t i = 0; i < names.size(); ++i) add(static_cast<uint32_t>(i), glyphIdByName(names[i]));
}

void GlyphIdMap::clear() {
  toId_.clear();
  entered_.clear();
  toIndex_.clear();
}

void GlyphIdMap::add(uint32_t index, uint32_t id) {
  if (index >= toId_.size()) {
    toId_.resize(size_t{index} + 1, 0);
    entered_.resize(size_t{index} + 1, false);
  }
  toId_[index] = id;
  entered_[index] = true;
  if (id >= toIndex_.size()) toIndex_.resize(std::max<size_t>(size_t{id} + 1, toIndex_.size() * 2), kAbsent);
  toIndex_[id] = index;
}

}  // namespace otl

#include "layout/registry/glyph_name_registry.h"

#include <charconv>
#include <ostream>

#include "layout/registry/glyph_id_map.h"

namespace otl {

namespace {
const std::string& emptyName() {
  static const std::string empty;
  return empty;
}
}  // namespace

uint32_t GlyphNameRegistry::idForName(const std::string& name) {
  if (name.empty()) return 0;
  auto found = ids_.find(name);
  if (found != ids_.end()) return found->second;
  const uint32_t id = ++counter_;
  ids_.emplace(name, id);
  names_.emplace(id, name);
  return id;
}

const std::string& GlyphNameRegistry::nameForId(uint32_t id) const {
  auto found = names_.find(id);
  return found != names_.end() ? found->second : emptyName();
}

bool GlyphNameRegistry::contains(const std::string& name) const {
  return ids_.find(name) != ids_.end();
}

uint32_t GlyphNameRegistry::nextFreeId() { return ++counter_; }

void GlyphNameRegistry::reserveIds(GlyphIdMap& map, const std::vector<uint32_t>& provisionalIndices) {
  for (uint32_t index : provisionalIndices) map.add(index, ++counter_);
}

void GlyphNameRegistry::registerNames(const std::vector<std::string>& names) {
  for (const auto& name : names) idForName(name);
}

GlyphNameRegistry& glyphNameRegistry() {
  static GlyphNameRegistry registry;
  return registry;
}

const std::string& glyphNameById(uint32_t id) { return glyphNameRegistry().nameForId(id); }

uint32_t glyphIdByName(const std::string& name) { return glyphNameRegistry().idForName(name); }

std::string glyphNameOf(uint32_t id) { return glyphNameRegistry().nameForId(id); }

bool isValidGlyphName(std::string_view name) {
  if (name.empty() || name.size() > 31) return false;
  if (name.front() == '.' && name != ".notdef") return false;
  if (name.front() >= '0' && name.front() <= '9') return false;
  for (char c : name) {
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                    c == '.' || c == '_';
    if (!ok) return false;
  }
  return true;
}

std::string makeUniqueGlyphName(const std::string& base, const std::string& suffix) {
  const std::string stem = base + suffix;
  const auto& registry = glyphNameRegistry();
  if (!registry.contains(stem)) return stem;
  // Each try is a new name; the registry is finite, so this ends.
  for (uint64_t n = 2;; ++n) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, n);
    std::string candidate = stem + std::string(digits, result.ptr);
    if (!registry.contains(candidate)) return candidate;
  }
}

void writeGlyphName(std::ostream& out, uint32_t id) { out << '\\' << glyphNameById(id); }

}  // namespace otl

// Process-wide glyph-name registry: every glyph name gets a numeric id, from 1, the
// first time it is seen. Id 0 is the empty name and stands for "no glyph". Ids are never
// reused or removed while the process runs.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace otl {

class GlyphIdMap;

class GlyphNameRegistry {
 public:
  // The id of a known name; the empty name gives 0 without registering; an unknown name
  // is registered under the next id.
  uint32_t idForName(const std::string& name);
  // The registered name, or a shared empty text for an unknown id (or one without name).
  const std::string& nameForId(uint32_t id) const;
  bool contains(const std::string& name) const;
  // A fresh id without a name.
  uint32_t nextFreeId();
  // For each provisional glyph index in order, a fresh id without a name, entered into
  // the map with that index (glyphs the feature text names and the font lacks).
  void reserveIds(GlyphIdMap& map, const std::vector<uint32_t>& provisionalIndices);

  // Enters every name, keeping ids already given.
  void registerNames(const std::vector<std::string>& names);
  // Enters the name of every glyph of a container of glyph pointers (anything with a
  // `name` member), in order.
  template <class GlyphList>
  void registerNames(const GlyphList& glyphs) {
    for (const auto* glyph : glyphs) {
      if (glyph) idForName(glyph->name);
    }
  }

  uint32_t lastId() const { return counter_; }

 private:
  std::map<uint32_t, std::string> names_;
  std::unordered_map<std::string, uint32_t> ids_;
  uint32_t counter_ = 0;
};

// The one registry of the process (constructed on first use).
GlyphNameRegistry& glyphNameRegistry();

// The same look-ups through the process-wide registry.
const std::string& glyphNameById(uint32_t id);
uint32_t glyphIdByName(const std::string& name);
std::string glyphNameOf(uint32_t id);

// True for a feature-file glyph name: 1 to 31 characters of A-Z, a-z, 0-9, '.' and '_',
// not beginning with a digit, and beginning with '.' only as ".notdef".
bool isValidGlyphName(std::string_view name);

// Base followed by suffix; when the registry holds that name, the same text followed by
// 2, 3, ... until a name the registry lacks. The result is not registered.
std::string makeUniqueGlyphName(const std::string& base, const std::string& suffix);

// "\" and the registry name of the glyph: the escaped glyph name of the feature text.
void writeGlyphName(std::ostream& out, uint32_t id);

}  // namespace otl

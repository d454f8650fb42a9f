// The kerning store of a font: pairs whose sides are single glyphs or kerning
// classes, and the classes themselves.
//
// Values are kept as doubles at full range; narrowing them to a file's field
// width is the business of the writer that needs it.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "model/glyph_groups.h"
#include "model/limits.h"

namespace vn {

// One side of a pair: a glyph or a kerning class.
struct KerningSide {
  enum Kind : uint32_t { kGlyph = 0, kClass = 1 };

  uint32_t kind = kGlyph;
  GlyphId glyph = 0;  // used when kind is kGlyph
  GlyphId klass = 0;  // used when kind is kClass

  static KerningSide ofGlyph(GlyphId id) { return KerningSide{kGlyph, id, 0}; }
  static KerningSide ofClass(GlyphId id) { return KerningSide{kClass, 0, id}; }

  bool isClass() const { return kind == kClass; }
  // The glyph id of a glyph side, the class id of a class side.
  GlyphId id() const { return isClass() ? klass : glyph; }
  // The registry name of id().
  std::string name() const;
  // A glyph side: equal ids; a class side: the class exists and holds the glyph.
  bool covers(GlyphId glyphId, const KerningGroups& groups) const;

  // Glyph sides before class sides; then by id.
  friend bool operator<(const KerningSide& a, const KerningSide& b) {
    if (a.isClass() != b.isClass()) return !a.isClass();
    return a.id() < b.id();
  }
  friend bool operator==(const KerningSide& a, const KerningSide& b) {
    return a.isClass() == b.isClass() && a.id() == b.id();
  }
};

struct KerningPairKey {
  KerningSide first;
  KerningSide second;

  friend bool operator<(const KerningPairKey& a, const KerningPairKey& b) {
    if (a.first < b.first) return true;
    if (b.first < a.first) return false;
    return a.second < b.second;
  }
  friend bool operator==(const KerningPairKey& a, const KerningPairKey& b) {
    return a.first == b.first && a.second == b.second;
  }
};

using KerningPairMap = std::map<KerningPairKey, double>;

// A glyph pair by ids, as expandPairs gives it.
struct GlyphPairValue {
  GlyphId first = 0;
  GlyphId second = 0;
  double value = 0;
};

// A glyph pair by names, as flatGlyphPairs gives it.
struct NamedGlyphPair {
  std::string first;
  std::string second;
  double value = 0;
};

class FontKerning {
 public:
  // Defines (or redefines) the class named `name`: registers the name, makes the
  // class when absent, sets its members, key glyph (when a member) and side.
  // Returns the class id.
  GlyphId defineGroup(const std::string& name, const GlyphIdList& members, uint32_t side,
                      const std::string& keyGlyph);
  GlyphId defineGroupFromSet(const std::string& name, const GlyphIdSet& members, uint32_t side,
                             const std::string& keyGlyph);

  // Stores, replaces or removes one pair. A value of exactly 0 removes the pair,
  // except that it is kept as a 0 exception when a stored pair that the UFO look-up
  // ranks lower (glyph-glyph > glyph-class > class-glyph > class-class) shares a
  // glyph combination with it. Values within 1e-5 of an integer are stored as that integer. An
  // existing pair is replaced only with `overwrite`.
  void setPair(const KerningSide& first, const KerningSide& second, double value, bool overwrite);
  // setPair with two glyph sides; nothing when either id is 0.
  void setGlyphPair(GlyphId first, GlyphId second, double value, bool overwrite);
  // setGlyphPair for each pair in order, with the class pairs that cover a 0 looked up
  // once for the batch: readers that spread many 0 exceptions stay linear.
  void setGlyphPairs(const std::vector<GlyphPairValue>& glyphPairs, bool overwrite);

  // Every pair as glyph pairs, in ascending (first, second) order; a glyph pair
  // wins over a class pair that covers it, a glyph-class pair over a
  // class-glyph pair. False when class pairs were left out to keep within `limit`.
  bool expandPairs(std::vector<GlyphPairValue>& out, uint64_t limit = kMaxExpandedKerningPairs) const;
  // expandPairs with registry names; `out` is emptied first.
  bool flatGlyphPairs(std::list<NamedGlyphPair>& out) const;
  // Sum over pairs of the product of the side sizes (a glyph counts 1, a known
  // class its member count, an unknown class 0); saturates at UINT32_MAX.
  uint32_t expandedPairCount() const;

  // Class ids that occur on either side of a pair.
  void usedGroupIds(std::set<GlyphId>& out) const;
  // Copies of the classes that pairs use.
  void usedGroups(KerningGroupMap& out) const;
  // Adds a copy of each class whose id is absent here; existing ones stay.
  void mergeGroups(const KerningGroupMap& source);
  // Removes all classes, then mergeGroups.
  void replaceGroups(const KerningGroupMap& source);

  bool empty() const { return pairs.empty(); }
  // True when a stored pair with a class side covers the glyph pair; also true when
  // the look-up runs past its step limit (a kept 0 never changes a kerning value).
  bool classPairCovers(GlyphId first, GlyphId second) const;

  KerningPairMap pairs;
  KerningGroups groups;
  // Named glyph-id sets; kept only to be emptied with the store.
  std::map<std::string, GlyphIdSet> namedSets;

 private:
  // setPair with the coverage of a 0 glyph pair already known.
  void setPairCovered(const KerningSide& first, const KerningSide& second, double value,
                      bool overwrite, bool covered);
  // True when a pair with a class side and the given first side covers `second`; with
  // `steps`, each pair looked at costs one and running out of steps answers true.
  bool coveredFrom(const KerningSide& firstSide, GlyphId second, uint64_t* steps = nullptr) const;
};

}  // namespace vn

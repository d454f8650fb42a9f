// Re-expresses glyph-pair kerning over a font's own kerning groups: pairs of one value
// that a whole group shares become one group pair.
#pragma once

#include <cstdint>
#include <vector>

#include "model/kerning.h"

namespace otl {

struct KerningPair {
  uint32_t first = 0, second = 0;
  double value = 0;
};

// A group that qualified for a run of pairs, with the glyphs on the other side.
struct KerningCandidate {
  uint32_t group = 0;      // group number, from 1
  uint32_t direction = 0;  // 1: the group is on the second side; 0: on the first
  std::vector<uint32_t> matched;
  int32_t outsideCount = 0;
  int32_t groupSize = 0;
};

class GroupsEngine {
 public:
  virtual ~GroupsEngine() = default;
  virtual const std::vector<uint32_t>& members(uint32_t number) const = 0;
  virtual uint32_t groupId(uint32_t number) const = 0;
  virtual uint32_t side(uint32_t number) const = 0;
  virtual uint32_t count() const = 0;
};

// The font's kerning groups, numbered 1..n in ascending group id.
class GivenGroupsEngine : public GroupsEngine {
 public:
  explicit GivenGroupsEngine(const vn::KerningGroupMap& groups);
  const std::vector<uint32_t>& members(uint32_t number) const override { return groups_[number - 1].members; }
  uint32_t groupId(uint32_t number) const override { return groups_[number - 1].id; }
  uint32_t side(uint32_t number) const override { return groups_[number - 1].side; }
  uint32_t count() const override { return static_cast<uint32_t>(groups_.size()); }

  // Emits the pairs into `out` as group pairs where groups cover them alike.
  void processPairs(const std::vector<KerningPair>& pairs, vn::FontKerning& out) const;

 private:
  struct Group {
    uint32_t id = 0, side = 0;
    std::vector<uint32_t> members;
  };
  friend class ValueRun;
  std::vector<Group> groups_;
  // Per side (0 first-capable, 1 second-capable): glyph -> numbers of the groups holding it.
  std::vector<std::vector<uint32_t>> byGlyph_[2];
  std::vector<uint32_t> glyphSlot_;  // glyph ids sorted, index into byGlyph_
 public:
  // Groups of the side (vn::kSideFirst or kSideSecond) holding the glyph.
  const std::vector<uint32_t>* groupsHolding(uint32_t glyph, uint32_t side) const;
};

// The font's kerning as glyph pairs, expressed over its groups into `out`, whose
// groups become the font's.
void convertKerningToGivenGroups(const vn::FontKerning& kerning, vn::FontKerning& out,
                                 const vn::KerningGroupMap& groups);

}  // namespace otl

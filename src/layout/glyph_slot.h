// Glyph slots: one position of a rule, naming nothing, one glyph, or a glyph class that
// is shared through the layout's class collection by id and use count.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "model/glyph_groups.h"

namespace vn {

// A feature-file glyph class of the layout: its members keep their order and may repeat.
class FeaGlyphGroup : public GlyphGroup {
 public:
  void addGlyph(GlyphId id) override { glyphs.push_back(id); }
  void clear() override { glyphs.clear(); }
  uint32_t size() const override { return static_cast<uint32_t>(glyphs.size()); }
  GlyphIdList members() const override { return GlyphIdList(glyphs.begin(), glyphs.end()); }
  void setMembers(const GlyphIdList& ids) override { glyphs.assign(ids.begin(), ids.end()); }
  bool contains(GlyphId id) const override;
  bool isKerningClass() const override { return false; }

  // Takes the name when the group holds the glyph of that name; false otherwise.
  bool rename(const std::string& name);

  std::string className;   // the name the feature text refers to the class by
  uint32_t useCount = 0;   // glyph slots that refer to the class
  std::vector<GlyphId> glyphs;
};

// The layout's glyph classes by id (ids come from the glyph-name registry's counter).
class FeaGlyphGroups : public GlyphGroups {
 public:
  bool hasGroup(GlyphId id) const override { return groups.count(id) != 0; }
  void membersOf(GlyphId id, GlyphIdList& out) const override;
  bool groupInfo(GlyphId id, KerningClassInfo& out) const override;
  void setMembers(GlyphId id, const GlyphIdList& ids) override;
  bool setGroupInfo(GlyphId id, const KerningClassInfo& info) override { return updateGroup(id, info); }
  bool updateGroup(GlyphId id, const KerningClassInfo& info);

  // A named class under the registry id of its name; 0 for an empty name.
  GlyphId defineClass(const std::string& className, const std::vector<GlyphId>& glyphs,
                      const std::string& groupName);
  // The id of a class with exactly these glyphs (its use raised), or of a new one.
  GlyphId replaceGroup(const std::vector<GlyphId>& glyphs);
  void retainGroup(GlyphId id);
  void releaseGroup(GlyphId id);
  const std::vector<GlyphId>* groupGlyphs(GlyphId id) const;
  FeaGlyphGroup* find(GlyphId id);
  const FeaGlyphGroup* find(GlyphId id) const;

  std::map<GlyphId, FeaGlyphGroup> groups;

 private:
  // Glyph list -> the lowest id of a class with that list; rebuilt when classes were
  // added past it, checked on every hit.
  void reindex();
  std::map<std::vector<GlyphId>, GlyphId> index_;
  size_t indexedCount_ = 0;
};

}  // namespace vn

namespace otl {

using GlyphList = std::vector<uint32_t>;
using GlyphSet = std::set<uint32_t>;

// Address of the field in which a lookups table keeps its class collection; the
// collection is found through it at the time of use.
using GlyphClassHolder = vn::FeaGlyphGroups* const*;

inline vn::FeaGlyphGroups* classTable(GlyphClassHolder holder) { return holder ? *holder : nullptr; }

class GlyphClassSlot {
 public:
  explicit GlyphClassSlot(GlyphClassHolder holder = nullptr) : holder_(holder) {}
  GlyphClassSlot(GlyphClassHolder holder, const GlyphList& glyphs);
  // A copy for another holder: the source's class is registered in that holder's table.
  GlyphClassSlot(GlyphClassHolder holder, const GlyphClassSlot& source);
  GlyphClassSlot(const GlyphClassSlot& other);
  GlyphClassSlot(GlyphClassSlot&& other) noexcept;
  GlyphClassSlot& operator=(const GlyphClassSlot& other);
  GlyphClassSlot& operator=(GlyphClassSlot&& other) noexcept;
  // Destruction leaves the class's use count as it is.
  ~GlyphClassSlot() = default;

  void assign(const GlyphList& glyphs);
  // Lets go of the class and becomes empty.
  void clear() { assign({}); }

  const GlyphList& glyphs() const;
  uint32_t glyphCount() const { return static_cast<uint32_t>(glyphs().size()); }
  bool hasGlyphs() const { return glyphCount() != 0; }
  uint32_t singleGlyph() const { return single_; }
  uint32_t classId() const { return classId_; }
  // Holds a registered class of two or more glyphs.
  bool isClass() const { return classId_ != 0 && glyphCount() >= 2; }
  uint32_t glyphAt(size_t i) const;
  GlyphClassHolder holder() const { return holder_; }

  // The glyph list from `start`, at most `count` glyphs (all with a negative count).
  void writeFea(std::ostream& out, int bracketMode = 0, size_t start = 0, int64_t count = -1) const;

 private:
  void release();

  GlyphClassHolder holder_ = nullptr;
  uint32_t single_ = 0;
  uint32_t classId_ = 0;
  // The glyph of a single-glyph slot; the whole list when there is no class table.
  GlyphList own_;
};

// "\" and the registry name of every glyph from start (see GlyphClassSlot::writeFea).
void writeFeaGlyphList(const GlyphList* glyphs, std::ostream& out, int bracketMode, size_t start,
                       int64_t count);
// "[", the glyphs, a line break with four blanks after every `perLine` glyphs, "]".
void writeFeaGlyphClassBody(const GlyphList* glyphs, std::ostream& out, uint32_t perLine);
void writeFeaGlyph(std::ostream& out, uint32_t glyph);

// Drops every covered glyph in `remove` together with its record (the records run
// parallel to the coverage). Every record is moved back, so nothing is lost when no
// glyph goes; the coverage is reassigned only when one did. True when one went.
template <class Record>
bool pruneCoverageAndRecords(GlyphClassSlot& coverage, std::vector<Record>& records, const GlyphSet& remove) {
  const GlyphList covered = coverage.glyphs();
  GlyphList kept;
  std::vector<Record> keptRecords;
  bool removed = false;
  for (size_t i = 0; i < covered.size(); ++i) {
    if (remove.count(covered[i])) {
      removed = true;
      continue;
    }
    kept.push_back(covered[i]);
    if (i < records.size()) keptRecords.push_back(std::move(records[i]));
  }
  records = std::move(keptRecords);
  if (removed) coverage.assign(kept);
  return removed;
}

}  // namespace otl

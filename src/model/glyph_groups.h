// Named glyph groups keyed by glyph-name registry id, and the kerning classes.
//
// A kerning class has a side (0 none, 1 first side of a pair, 2 second side,
// 3 both) and an optional key glyph that must be one of its members. Ids are
// those of the process-wide glyph-name registry; id 0 stands for no glyph.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <set>
#include <string>
#include <string_view>

namespace vn {

using GlyphId = uint32_t;
using GlyphIdList = std::list<GlyphId>;
using GlyphIdSet = std::set<GlyphId>;

// Side values of a kerning class.
enum KerningClassSide : uint32_t {
  kSideNone = 0,
  kSideFirst = 1,
  kSideSecond = 2,
  kSideBoth = 3,
};

// A named group of glyphs; the feature-file glyph classes of the layout model
// share this interface.
class GlyphGroup {
 public:
  virtual ~GlyphGroup() = default;

  virtual void addGlyph(GlyphId id) = 0;
  // Empties the group (here: only the key glyph name).
  virtual void clear() { keyGlyph.clear(); }
  virtual uint32_t size() const = 0;
  // Members in the group's order: ascending ids for a kerning class, the order
  // given for a feature-file glyph class.
  virtual GlyphIdList members() const = 0;
  virtual void setMembers(const GlyphIdList& ids) = 0;
  virtual bool contains(GlyphId id) const = 0;
  virtual bool isKerningClass() const = 0;

  // Makes `name` the key glyph when the group holds its registry id; otherwise
  // nothing changes and the result is false. Never registers the name.
  bool setKeyGlyph(const std::string& name);

  std::string keyGlyph;
};

// A kerning class.
class KerningGlyphGroup : public GlyphGroup {
 public:
  void addGlyph(GlyphId id) override { glyphs.insert(id); }
  // Empties key glyph and members; the side returns to "both".
  void clear() override;
  uint32_t size() const override { return static_cast<uint32_t>(glyphs.size()); }
  GlyphIdList members() const override { return GlyphIdList(glyphs.begin(), glyphs.end()); }
  void setMembers(const GlyphIdList& ids) override { glyphs = GlyphIdSet(ids.begin(), ids.end()); }
  bool contains(GlyphId id) const override { return glyphs.count(id) != 0; }
  bool isKerningClass() const override { return side != kSideNone; }
  virtual void removeGlyph(GlyphId id) { glyphs.erase(id); }

  uint32_t side = kSideBoth;
  GlyphIdSet glyphs;
};

// A feature-file glyph class: a named group whose members keep the order they
// were given in (without id 0 and without repeats).
class OrderedGlyphClass : public GlyphGroup {
 public:
  void addGlyph(GlyphId id) override;
  uint32_t size() const override { return static_cast<uint32_t>(glyphs.size()); }
  GlyphIdList members() const override { return glyphs; }
  void setMembers(const GlyphIdList& ids) override;
  bool contains(GlyphId id) const override;
  bool isKerningClass() const override { return false; }

  std::string name;
  GlyphIdList glyphs;
};

// Feature-file glyph classes by class id, ascending; the model keeps them here while
// no layout object holds them.
class GlyphClassStore {
 public:
  // Finds or makes the class of the name's registry id (registered when new): its
  // members become `members`, `keyGlyph` becomes its key glyph when it is a member
  // (an earlier key glyph stays otherwise), and the name is kept. 0 for an empty name.
  GlyphId define(const std::string& name, const GlyphIdList& members, const std::string& keyGlyph);
  bool empty() const { return classes.empty(); }
  void clear() { classes.clear(); }

  std::map<GlyphId, OrderedGlyphClass> classes;
};

// The record in which classes are handed to readers and writers.
struct KerningClassInfo {
  std::string name;      // registry name of the class id
  GlyphIdList members;
  uint32_t side = 0;     // 1, 2 or 3; any other stored value is given as 0
  std::string keyGlyph;
};

// Classes by id, ascending.
using KerningGroupMap = std::map<GlyphId, KerningGlyphGroup>;

// A collection of groups keyed by group id.
class GlyphGroups {
 public:
  virtual ~GlyphGroups() = default;
  virtual bool hasGroup(GlyphId id) const = 0;
  // `out` is emptied, then filled when the id is known.
  virtual void membersOf(GlyphId id, GlyphIdList& out) const = 0;
  virtual bool groupInfo(GlyphId id, KerningClassInfo& out) const = 0;
  virtual void setMembers(GlyphId id, const GlyphIdList& ids) = 0;
  virtual bool setGroupInfo(GlyphId id, const KerningClassInfo& info) = 0;
};

// Names of kerning classes made for a key glyph: prefix + the key glyph's name.
inline constexpr const char* kFirstSideClassPrefix = "@MMK_L_";
inline constexpr const char* kSecondSideClassPrefix = "@MMK_R_";

// Side and key glyph that a class name implies.
struct GroupNameInfo {
  uint32_t side = kSideNone;
  std::string keyGlyph;  // empty when none, or when the registry does not know it
};

// The kerning classes of a font.
class KerningGroups : public GlyphGroups {
 public:
  bool hasGroup(GlyphId id) const override { return groups.count(id) != 0; }
  void membersOf(GlyphId id, GlyphIdList& out) const override;
  bool groupInfo(GlyphId id, KerningClassInfo& out) const override;
  void setMembers(GlyphId id, const GlyphIdList& ids) override;
  // Kerning classes are not changed through this route.
  bool setGroupInfo(GlyphId, const KerningClassInfo&) override { return false; }

  // The class of the id, inserted (empty key glyph, side 3, no members) when absent.
  KerningGlyphGroup& groupFor(GlyphId id);
  // The class of the id, or null.
  const KerningGlyphGroup* find(GlyphId id) const;
  KerningGlyphGroup* find(GlyphId id);
  void clear() { groups.clear(); }
  bool empty() const { return groups.empty(); }
  size_t count() const { return groups.size(); }

  // The first class (ascending id) whose key glyph is set, registered, a member,
  // and has the given id; 0 when none.
  GlyphId classByKeyGlyph(GlyphId glyph) const;
  // The first class whose side suits `wantedSide` (1: sides 1 or 3; 2: sides 2
  // or 3) and whose members are exactly `members`; its registry name goes to
  // `name`.
  bool findMatchingGroup(const GlyphIdSet& members, uint32_t wantedSide, std::string& name) const;

  // Side and key glyph from a class name: "@MMK_L_key" first side, "@MMK_R_key"
  // second side, "_KERN_key_1ST" / "_KERN_key_2ND" / "_KERN_key" first, second,
  // both; anything else side 0.
  static GroupNameInfo parseGroupName(std::string_view name);

  KerningGroupMap groups;
};

}  // namespace vn

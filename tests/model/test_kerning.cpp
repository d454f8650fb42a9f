#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "layout/registry/glyph_name_registry.h"
#include "model/font.h"
#include "model/kerning.h"
#include "model/object.h"

namespace vn {
namespace {

GlyphId id(const std::string& name) { return otl::glyphIdByName(name); }

GlyphIdList ids(std::initializer_list<const char*> names) {
  GlyphIdList out;
  for (const char* name : names) out.push_back(id(name));
  return out;
}

KerningSide glyph(const std::string& name) { return KerningSide::ofGlyph(id(name)); }
KerningSide klass(const std::string& name) { return KerningSide::ofClass(id(name)); }

using NamedPairs = std::map<std::pair<std::string, std::string>, double>;

NamedPairs expand(const FontKerning& kerning) {
  std::list<NamedGlyphPair> flat;
  EXPECT_TRUE(kerning.flatGlyphPairs(flat));
  NamedPairs out;
  for (const NamedGlyphPair& pair : flat) out[{pair.first, pair.second}] = pair.value;
  return out;
}

TEST(KerningClassNames, SideAndKeyGlyphFromTheName) {
  ids({"A", "O", "T", "V"});
  struct Case {
    const char* name;
    uint32_t side;
    const char* key;
  };
  const Case cases[] = {
      {"@MMK_L_A", kSideFirst, "A"},
      {"@MMK_R_O", kSideSecond, "O"},
      {"public.kern1.@MMK_L_T", kSideFirst, "T"},
      {"_KERN_T_1ST", kSideFirst, "T"},
      {"_KERN_O_2ND", kSideSecond, "O"},
      {"_KERN_V", kSideBoth, "V"},
      {"_KERN_ T_1ST ", kSideFirst, "T"},
      {"Vowels", kSideNone, ""},
      {"@MMK_X_A", kSideNone, ""},
      // The side comes from the letter right after the prefix, not from a later "L_".
      {"@MMK_R_L_A", kSideSecond, ""},
      {"@MMK_L_never.registered.glyph", kSideFirst, ""},
      {"_KERN_", kSideBoth, ""},
  };
  for (const Case& expect : cases) {
    const GroupNameInfo info = KerningGroups::parseGroupName(expect.name);
    EXPECT_EQ(info.side, expect.side) << expect.name;
    EXPECT_EQ(info.keyGlyph, expect.key) << expect.name;
  }
  EXPECT_FALSE(otl::glyphNameRegistry().contains("never.registered.glyph"));
}

TEST(KerningClasses, DefinitionSidesKeysAndMatching) {
  FontKerning kerning;
  const GlyphId round = kerning.defineGroup("@MMK_L_O", ids({"O", "D", "Q"}), kSideFirst, "O");
  const GlyphId straight = kerning.defineGroup("@MMK_R_H", ids({"H", "I"}), kSideSecond, "X");
  ASSERT_NE(round, 0u);
  EXPECT_EQ(round, id("@MMK_L_O"));
  EXPECT_EQ(kerning.groups.find(round)->keyGlyph, "O");
  EXPECT_EQ(kerning.groups.find(straight)->keyGlyph, "");  // X is not a member
  EXPECT_EQ(kerning.defineGroup("", ids({"A"}), kSideFirst, ""), 0u);
  EXPECT_FALSE(kerning.groups.hasGroup(0));

  // A class made without a side works on both sides; clear() returns it there.
  KerningGlyphGroup& fresh = kerning.groups.groupFor(id("kt.fresh"));
  EXPECT_EQ(fresh.side, kSideBoth);
  EXPECT_EQ(fresh.size(), 0u);
  fresh.addGlyph(id("A"));
  fresh.side = kSideNone;
  EXPECT_FALSE(fresh.isKerningClass());
  fresh.clear();
  EXPECT_EQ(fresh.side, kSideBoth);
  EXPECT_EQ(fresh.size(), 0u);

  KerningClassInfo info;
  ASSERT_TRUE(kerning.groups.groupInfo(round, info));
  EXPECT_EQ(info.name, "@MMK_L_O");
  EXPECT_EQ(info.side, kSideFirst);
  EXPECT_EQ(info.members.size(), 3u);
  kerning.groups.find(straight)->side = 9;
  ASSERT_TRUE(kerning.groups.groupInfo(straight, info));
  EXPECT_EQ(info.side, kSideNone);
  EXPECT_FALSE(kerning.groups.groupInfo(id("kt.unknown"), info));
  EXPECT_FALSE(kerning.groups.setGroupInfo(round, info));

  EXPECT_EQ(kerning.groups.classByKeyGlyph(id("O")), round);
  EXPECT_EQ(kerning.groups.classByKeyGlyph(id("D")), 0u);

  std::string name;
  const GlyphIdSet roundSet{id("O"), id("D"), id("Q")};
  EXPECT_TRUE(kerning.groups.findMatchingGroup(roundSet, kSideFirst, name));
  EXPECT_EQ(name, "@MMK_L_O");
  EXPECT_FALSE(kerning.groups.findMatchingGroup(roundSet, kSideSecond, name));
  EXPECT_FALSE(kerning.groups.findMatchingGroup({id("O"), id("D")}, kSideFirst, name));
}

TEST(KerningPairs, ZeroValuesSnappingAndOverwrite) {
  FontKerning kerning;
  kerning.defineGroup("@MMK_L_A", ids({"A", "Agrave"}), kSideFirst, "A");
  kerning.defineGroup("@MMK_R_V", ids({"V", "W"}), kSideSecond, "V");
  kerning.setPair(klass("@MMK_L_A"), klass("@MMK_R_V"), -40, false);

  // A 0 under a covering class pair is kept as an exception ...
  kerning.setGlyphPair(id("A"), id("V"), 0, false);
  const KerningPairKey exception{glyph("A"), glyph("V")};
  ASSERT_EQ(kerning.pairs.count(exception), 1u);
  EXPECT_EQ(kerning.pairs.at(exception), 0);
  // ... and without one it removes the pair.
  kerning.setGlyphPair(id("T"), id("o"), -20, false);
  kerning.setGlyphPair(id("T"), id("o"), 0, false);
  EXPECT_EQ(kerning.pairs.count({glyph("T"), glyph("o")}), 0u);

  // Covering pairs of the other shapes: glyph-class, and a later first class.
  kerning.setPair(glyph("T"), klass("@MMK_R_V"), -30, false);
  kerning.setGlyphPair(id("T"), id("W"), 0, false);
  EXPECT_EQ(kerning.pairs.count({glyph("T"), glyph("W")}), 1u);
  kerning.defineGroup("kt.later", ids({"Agrave", "Aacute"}), kSideFirst, "");
  kerning.setPair(klass("kt.later"), glyph("o"), -15, false);
  kerning.setGlyphPair(id("Aacute"), id("o"), 0, false);
  EXPECT_EQ(kerning.pairs.count({glyph("Aacute"), glyph("o")}), 1u);
  kerning.setGlyphPair(id("A"), id("o"), 0, false);
  EXPECT_EQ(kerning.pairs.count({glyph("A"), glyph("o")}), 0u);

  kerning.setGlyphPair(id("L"), id("T"), 12.000001, false);
  EXPECT_EQ(kerning.pairs.at({glyph("L"), glyph("T")}), 12);
  kerning.setGlyphPair(id("L"), id("T"), 99, false);
  EXPECT_EQ(kerning.pairs.at({glyph("L"), glyph("T")}), 12);
  kerning.setGlyphPair(id("L"), id("T"), -12.3, true);
  EXPECT_EQ(kerning.pairs.at({glyph("L"), glyph("T")}), -12.3);
  kerning.setGlyphPair(id("L"), id("T"), -2.5, true);
  EXPECT_EQ(kerning.pairs.at({glyph("L"), glyph("T")}), -2.5);

  // Values beyond 16 bits are kept as they are.
  kerning.setGlyphPair(id("L"), id("V"), 70000, false);
  EXPECT_EQ(kerning.pairs.at({glyph("L"), glyph("V")}), 70000);

  const size_t before = kerning.pairs.size();
  kerning.setGlyphPair(0, id("V"), -5, false);
  kerning.setGlyphPair(id("L"), id("o"), std::numeric_limits<double>::quiet_NaN(), false);
  EXPECT_EQ(kerning.pairs.size(), before);

  // A 0 on a class pair removes it; the glyph exception stays.
  kerning.setPair(klass("@MMK_L_A"), klass("@MMK_R_V"), 0, false);
  EXPECT_EQ(kerning.pairs.count({klass("@MMK_L_A"), klass("@MMK_R_V")}), 0u);
  EXPECT_EQ(kerning.pairs.count(exception), 1u);
}

// The expected values were taken once from fontTools.ufoLib.kerning.lookupKerningValue
// on the same groups and pairs.
TEST(KerningPairs, ExpansionFollowsTheUfoLookupPrecedence) {
  FontKerning kerning;
  kerning.defineGroup("@MMK_L_O", ids({"O", "D", "Q"}), kSideFirst, "O");
  kerning.defineGroup("@MMK_R_E", ids({"E", "F"}), kSideSecond, "E");
  kerning.setPair(klass("@MMK_L_O"), klass("@MMK_R_E"), -100, false);
  kerning.setPair(klass("@MMK_L_O"), glyph("F"), -200, false);
  kerning.setPair(glyph("D"), glyph("F"), -300, false);
  kerning.setPair(glyph("T"), klass("@MMK_R_E"), -50, false);
  kerning.setPair(glyph("D"), klass("@MMK_R_E"), -70, false);
  kerning.setPair(klass("@MMK_L_O"), glyph("E"), -80, false);
  kerning.setGlyphPair(id("Q"), id("E"), 0, false);

  const NamedPairs expected = {
      {{"D", "F"}, -300}, {{"O", "F"}, -200}, {{"O", "E"}, -80}, {{"D", "E"}, -70},
      {{"Q", "E"}, 0},    {{"Q", "F"}, -200}, {{"T", "E"}, -50}, {{"T", "F"}, -50},
  };
  EXPECT_EQ(expand(kerning), expected);

  std::vector<GlyphPairValue> byId;
  ASSERT_TRUE(kerning.expandPairs(byId));
  for (size_t i = 1; i < byId.size(); ++i) {
    const auto previous = std::make_pair(byId[i - 1].first, byId[i - 1].second);
    EXPECT_LT(previous, std::make_pair(byId[i].first, byId[i].second));
  }
  // 3x2 + 3 + 1 + 2 + 2 + 3 + 1 combinations before overlaps are merged.
  EXPECT_EQ(kerning.expandedPairCount(), 18u);
}

TEST(KerningPairs, UnknownClassesExpandToNothing) {
  FontKerning kerning;
  kerning.setPair(klass("kt.missing"), glyph("A"), -10, false);
  kerning.setGlyphPair(id("A"), id("B"), -5, false);
  EXPECT_EQ(kerning.expandedPairCount(), 1u);
  EXPECT_EQ(expand(kerning), (NamedPairs{{{"A", "B"}, -5}}));
}

TEST(KerningPairs, OversizedExpansionIsBounded) {
  FontKerning kerning;
  GlyphIdList many;
  for (GlyphId glyphId = 1; glyphId <= 5000; ++glyphId) many.push_back(glyphId);
  kerning.defineGroup("kt.huge", many, kSideBoth, "");
  kerning.setPair(klass("kt.huge"), klass("kt.huge"), -1, false);  // 25 million combinations
  kerning.setGlyphPair(id("A"), id("V"), -60, false);
  std::vector<GlyphPairValue> out;
  EXPECT_FALSE(kerning.expandPairs(out));
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].value, -60);

  // Class pairs share what the glyph pairs leave of the limit; the glyph pairs stay.
  FontKerning small;
  small.defineGroup("kt.pair", ids({"A", "B"}), kSideBoth, "");
  small.setPair(klass("kt.pair"), klass("kt.pair"), -5, false);  // 4 combinations
  small.setPair(klass("kt.pair"), glyph("C"), -7, false);        // 2 combinations
  small.setGlyphPair(id("C"), id("D"), -9, false);
  small.setGlyphPair(id("D"), id("C"), -11, false);
  EXPECT_TRUE(small.expandPairs(out, 8));
  EXPECT_EQ(out.size(), 8u);
  EXPECT_FALSE(small.expandPairs(out, 7));
  EXPECT_EQ(out.size(), 6u);  // the class-class pair came first; the class-glyph pair is left out
  EXPECT_FALSE(small.expandPairs(out, 1));
  EXPECT_EQ(out.size(), 2u);
}

TEST(KerningGroupsCopy, UsedMergedAndReplacedClassesAreIndependentCopies) {
  FontKerning kerning;
  const GlyphId used = kerning.defineGroup("@MMK_L_K", ids({"K", "X"}), kSideFirst, "K");
  const GlyphId unused = kerning.defineGroup("@MMK_R_Z", ids({"Z"}), kSideSecond, "Z");
  kerning.setPair(KerningSide::ofClass(used), glyph("o"), -30, false);

  std::set<GlyphId> usedIds;
  kerning.usedGroupIds(usedIds);
  EXPECT_EQ(usedIds, (std::set<GlyphId>{used}));
  KerningGroupMap copies;
  kerning.usedGroups(copies);
  ASSERT_EQ(copies.size(), 1u);
  copies.at(used).addGlyph(id("Y"));
  EXPECT_EQ(kerning.groups.find(used)->size(), 2u);

  FontKerning other;
  other.defineGroup("@MMK_L_K", ids({"K"}), kSideFirst, "K");
  other.mergeGroups(kerning.groups.groups);
  EXPECT_EQ(other.groups.find(used)->size(), 1u);  // an existing class stays
  EXPECT_TRUE(other.groups.hasGroup(unused));
  other.replaceGroups(copies);
  EXPECT_EQ(other.groups.count(), 1u);
  EXPECT_EQ(other.groups.find(used)->size(), 3u);
}

TEST(FontGroups, ReaderGroupsLandByKindAndListInIdOrder) {
  Ref<Font> font = Ref<Font>::adopt(new Font());
  font->addGroup("@MMK_L_kt1", ids({"A"}), 1, "A");
  font->addGroup("kt.sideless", ids({"B"}), 7, "");
  font->addGroup("kt.both", ids({"C"}), 3, "C");
  const KerningGroups& groups = *font->kerningGroups();
  EXPECT_EQ(groups.find(id("@MMK_L_kt1"))->side, kSideFirst);
  EXPECT_EQ(groups.find(id("kt.sideless"))->side, kSideNone);
  EXPECT_EQ(groups.find(id("kt.both"))->side, kSideBoth);

  LayoutGroupList list;
  font->gatherLayoutList(list);
  ASSERT_EQ(list.size(), 3u);
  GlyphId previous = 0;
  for (const LayoutClassEntry& entry : list) {
    EXPECT_LT(previous, entry.id);
    EXPECT_EQ(entry.name, otl::glyphNameById(entry.id));
    ASSERT_NE(entry.group, nullptr);
    EXPECT_TRUE(entry.group->contains(*entry.group->members().begin()));
    previous = entry.id;
  }

  font->tables["GSUB"] = {1};
  font->tables["JSTF"] = {2};
  font->tables["cmap"] = {3};
  font->removeLayoutTables();
  EXPECT_EQ(font->tables.size(), 1u);
  EXPECT_EQ(font->tables.count("cmap"), 1u);
}

}  // namespace
}  // namespace vn

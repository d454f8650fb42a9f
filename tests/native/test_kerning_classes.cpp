// Kerning classes and glyph groups through the native file: the key-glyph rewrite, the
// conversion routes (the layout model's among them), class kerning written and read back,
// and plain groups beside it.
#include <gtest/gtest.h>

#include <algorithm>

#include "layout/registry/glyph_name_registry.h"
#include "native/kerning_classes.h"
#include "native/kerning_layout_routes.h"
#include "native/writer_kerning.h"
#include "test_writer_support.h"

namespace {

using namespace writertest;

vn::GlyphId id(const std::string& name) { return otl::glyphIdByName(name); }

vn::GlyphIdList ids(std::initializer_list<const char*> names) {
  vn::GlyphIdList list;
  for (const char* name : names) list.push_back(id(name));
  return list;
}

vn::KerningSide cls(const std::string& name) { return vn::KerningSide::ofClass(id(name)); }
vn::KerningSide gly(const std::string& name) { return vn::KerningSide::ofGlyph(id(name)); }

using FlatPairs = std::map<std::pair<std::string, std::string>, double>;

FlatPairs flat(const vn::FontKerning& kerning, bool dropZeros = true) {
  std::list<vn::NamedGlyphPair> pairs;
  kerning.flatGlyphPairs(pairs);
  FlatPairs out;
  for (const auto& p : pairs) {
    if (!dropZeros || p.value != 0) out[{p.first, p.second}] = p.value;
  }
  return out;
}

// Classes of A and of V with a class pair of -50.
void defineAV(vn::FontKerning& kerning) {
  kerning.defineGroup("@MMK_L_A", ids({"A", "Aacute", "Agrave"}), vn::kSideFirst, "A");
  kerning.defineGroup("@MMK_R_V", ids({"V", "W"}), vn::kSideSecond, "V");
  kerning.setPair(cls("@MMK_L_A"), cls("@MMK_R_V"), -50, true);
}

class RecordingRoutes : public qtf::KerningLayoutRoutes {
 public:
  bool convertToGivenGroups(const vn::FontKerning&, vn::FontKerning&, const vn::KerningGroupMap& given) override {
    givenCalls.push_back(given.size());
    return false;
  }
  bool roundTripThroughKernFeature(const vn::FontKerning& source, vn::FontKerning& out) override {
    ++kernCalls;
    // Stand-in for the feature round trip: every pair as a glyph pair.
    std::vector<vn::GlyphPairValue> pairs;
    source.expandPairs(pairs);
    for (const auto& p : pairs) out.setGlyphPair(p.first, p.second, p.value, true);
    return true;
  }
  std::vector<size_t> givenCalls;
  int kernCalls = 0;
};

// The program's kerning routes for one test, whatever way it ends.
struct RoutesInstalled {
  RoutesInstalled() { qtf::installLayoutKerningRoutes(); }
  ~RoutesInstalled() { qtf::setKerningLayoutRoutes(nullptr); }
};

TEST(KerningClasses, KeyGlyphPairsRewritesClassPairs) {
  vn::FontKerning source;
  defineAV(source);
  source.setGlyphPair(id("Aacute"), id("W"), -20, true);
  vn::FontKerning out;
  ASSERT_TRUE(qtf::keyGlyphPairs(source, out));
  EXPECT_EQ(flat(out), (FlatPairs{{{"A", "V"}, -50}, {{"Aacute", "W"}, -20}}));
  EXPECT_EQ(out.groups.count(), 2u);
  EXPECT_EQ(out.groups.find(id("@MMK_L_A"))->keyGlyph, "A");

  // A key glyph kerned on its own collides with its class.
  vn::FontKerning collide;
  defineAV(collide);
  collide.setGlyphPair(id("A"), id("W"), -20, true);
  vn::FontKerning none;
  EXPECT_FALSE(qtf::keyGlyphPairs(collide, none));

  // A class pair whose class has no key glyph cannot be written as key glyphs.
  vn::FontKerning keyless;
  keyless.defineGroup("rounds", ids({"O", "Q"}), vn::kSideFirst, "");
  keyless.setPair(cls("rounds"), gly("V"), -10, true);
  vn::FontKerning empty;
  EXPECT_FALSE(qtf::keyGlyphPairs(keyless, empty));

  // Two class pairs reaching the same key glyphs: the first in key order stays.
  vn::FontKerning twice;
  twice.defineGroup("@MMK_L_T", ids({"T"}), vn::kSideFirst, "T");
  twice.defineGroup("_KERN_T_1ST", ids({"T", "Tcaron"}), vn::kSideFirst, "T");
  twice.setPair(cls("@MMK_L_T"), gly("o"), -70, true);
  twice.setPair(cls("_KERN_T_1ST"), gly("o"), -90, true);
  vn::FontKerning merged;
  ASSERT_TRUE(qtf::keyGlyphPairs(twice, merged));
  const double first = id("@MMK_L_T") < id("_KERN_T_1ST") ? -70 : -90;
  EXPECT_EQ(flat(merged), (FlatPairs{{{"T", "o"}, first}}));
}

TEST(KerningClasses, ConversionRoutes) {
  RecordingRoutes routes;
  vn::FontKerning out;
  vn::FontKerning noClasses;
  noClasses.setGlyphPair(id("A"), id("V"), -10, true);
  EXPECT_FALSE(qtf::convertKerningClasses(noClasses, out, &routes));
  vn::FontKerning sideless;
  sideless.defineGroup("Vowels", ids({"a", "e"}), vn::kSideNone, "a");
  EXPECT_FALSE(qtf::convertKerningClasses(sideless, out, &routes));
  EXPECT_EQ(routes.kernCalls, 0);

  vn::FontKerning keyed;
  defineAV(keyed);
  ASSERT_TRUE(qtf::convertKerningClasses(keyed, out, &routes));
  EXPECT_EQ(flat(out), (FlatPairs{{{"A", "V"}, -50}}));
  EXPECT_TRUE(routes.givenCalls.empty());

  // A keyless class in use sends the pairs to the given-groups engine first, then
  // (when that is not available) through the "kern" feature.
  vn::FontKerning mixed;
  defineAV(mixed);
  mixed.defineGroup("rounds", ids({"O", "Q"}), vn::kSideFirst, "");
  mixed.setPair(cls("rounds"), gly("V"), -10, true);
  vn::FontKerning converted;
  EXPECT_TRUE(qtf::convertKerningClasses(mixed, converted, &routes));
  EXPECT_EQ(routes.givenCalls, std::vector<size_t>{2});
  EXPECT_EQ(routes.kernCalls, 1);
  EXPECT_EQ(flat(converted), flat(mixed));

  // Without the layout routes the conversion gives up.
  vn::FontKerning nothing;
  EXPECT_FALSE(qtf::convertKerningClasses(mixed, nothing, nullptr));
}

TEST(KerningClasses, CleanClassKerningKeepsItsClasses) {
  TestFont f;
  f.settleNames();
  // Reading gives every glyph a "Body" layer; these have one already.
  for (const char* name : {"A", "Aacute", "Agrave", "V", "W"}) f.addGlyph(name).varnelData().bodyLayer();
  vn::FontKerning& kerning = f.font().kerning();
  defineAV(kerning);
  kerning.setGlyphPair(id("Aacute"), id("W"), -20, true);
  qtf::KerningPreparation prepared;
  qtf::prepareKerning(f.font(), prepared, nullptr);
  EXPECT_FALSE(prepared.flattened);
  EXPECT_EQ(prepared.kerningClassTexts.at("_A"), "A' Aacute Agrave");
  EXPECT_EQ(prepared.kerningClassTexts.at("_V"), "V' W");

  const Bytes file = writeNative(*f.pair);
  qtftest::ReadMaster read(file);
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(flat(read.font().kerning()), flat(kerning));
  EXPECT_EQ(recordDifferences(writeNative(*read.pair), file), "");
  const auto& pairs = read.font().kerning().pairs;
  EXPECT_TRUE(std::any_of(pairs.begin(), pairs.end(), [](const auto& p) {
    return p.first.first.isClass() && p.first.second.isClass() && p.second == -50;
  }));
}

TEST(KerningClasses, WrittenClassNamesAreUnique) {
  TestFont f;
  for (const char* name : {"A", "Aacute", "B"}) f.addGlyph(name);
  vn::FontKerning& kerning = f.font().kerning();
  kerning.defineGroup("@MMK_L_A", ids({"A", "Aacute"}), vn::kSideFirst, "A");
  kerning.defineGroup("@MMK_R_A", ids({"A", "B"}), vn::kSideSecond, "A");
  kerning.setPair(cls("@MMK_L_A"), cls("@MMK_R_A"), -15, true);
  qtf::KerningPreparation prepared;
  qtf::prepareKerning(f.font(), prepared, nullptr);
  EXPECT_FALSE(prepared.flattened);
  std::set<std::string> names;
  for (const auto& [name, text] : prepared.kerningClassTexts) names.insert(name);
  EXPECT_EQ(names, (std::set<std::string>{"_A", "_A1"}));
  qtftest::ReadMaster read(writeNative(*f.pair));
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(flat(read.font().kerning()), flat(kerning));

  // A third class keyed by A on a side already taken cannot be told apart by the
  // reader: the kerning goes flat and every class keeps its own, distinct name.
  kerning.defineGroup("_KERN_A", ids({"A", "B"}), vn::kSideBoth, "A");
  kerning.setPair(cls("_KERN_A"), gly("Aacute"), -5, true);
  qtf::prepareKerning(f.font(), prepared, nullptr);
  EXPECT_TRUE(prepared.flattened);
  EXPECT_EQ(prepared.kerningClassTexts.size(), 3u);
  const auto records = listRecords(writeNative(*f.pair));
  EXPECT_EQ(std::count_if(records.begin(), records.end(), [](const Record& r) { return r.tag == 1277; }), 3);
  qtftest::ReadMaster flatRead(writeNative(*f.pair));
  ASSERT_TRUE(flatRead.ok);
  EXPECT_EQ(flat(flatRead.font().kerning()), flat(kerning));
}

TEST(KerningClasses, KeylessClassPairsAreWrittenFlat) {
  TestFont f;
  for (const char* name : {"O", "Q", "V"}) f.addGlyph(name);
  vn::FontKerning& kerning = f.font().kerning();
  kerning.defineGroup("rounds", ids({"O", "Q"}), vn::kSideFirst, "");
  kerning.setPair(cls("rounds"), gly("V"), -10.7, true);
  qtftest::ReadMaster read(writeNative(*f.pair));
  ASSERT_TRUE(read.ok);
  // Values are truncated in the file.
  EXPECT_EQ(flat(read.font().kerning()), (FlatPairs{{{"O", "V"}, -10}, {{"Q", "V"}, -10}}));
}

// Classes the reader could not take back as written are not written with key marks:
// a name the reader would cut at its ':'.
TEST(KerningClasses, UnreadableClassesAreWrittenFlat) {
  TestFont f;
  for (const char* name : {"a:b", "c", "V"}) f.addGlyph(name);
  vn::FontKerning& kerning = f.font().kerning();
  kerning.defineGroup("@MMK_L_a:b", ids({"a:b", "c"}), vn::kSideFirst, "a:b");
  kerning.setPair(cls("@MMK_L_a:b"), gly("V"), -30, true);
  qtf::KerningPreparation prepared;
  EXPECT_TRUE(qtf::prepareKerning(f.font(), prepared, nullptr));
  EXPECT_TRUE(prepared.flattened);
  qtftest::ReadMaster read(writeNative(*f.pair));
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(flat(read.font().kerning()), (FlatPairs{{{"a:b", "V"}, -30}, {{"c", "V"}, -30}}));
}

// A class pair of 5000 x 5000 glyphs is checked class by class and prepared as one key
// glyph pair. Without key glyphs its 25 million glyph pairs would be the only form: the
// kerning is refused, not expanded.
TEST(KerningClasses, OversizedClassPairsAreCheckedWithoutExpanding) {
  TestFont big;
  big.addGlyph("L0");
  big.addGlyph("R0");
  vn::GlyphIdList left, right;
  for (int i = 0; i < 5000; ++i) {
    left.push_back(id("L" + std::to_string(i)));
    right.push_back(id("R" + std::to_string(i)));
  }
  vn::FontKerning& huge = big.font().kerning();
  huge.defineGroup("@MMK_L_L0", left, vn::kSideFirst, "L0");
  huge.defineGroup("@MMK_R_R0", right, vn::kSideSecond, "R0");
  huge.setPair(cls("@MMK_L_L0"), cls("@MMK_R_R0"), -1, true);
  qtf::KerningPreparation prepared;
  EXPECT_TRUE(qtf::prepareKerning(big.font(), prepared, nullptr));
  EXPECT_FALSE(prepared.flattened);
  EXPECT_EQ(prepared.glyphKerning.size(), 1u);

  TestFont keyless;
  keyless.addGlyph("L0");
  vn::FontKerning& plain = keyless.font().kerning();
  plain.defineGroup("lefts", left, vn::kSideFirst, "");
  plain.defineGroup("rights", right, vn::kSideSecond, "");
  plain.setPair(cls("lefts"), cls("rights"), -1, true);
  EXPECT_FALSE(qtf::prepareKerning(keyless.font(), prepared, nullptr));
  EXPECT_TRUE(prepared.glyphKerning.empty());
}

using Members = std::vector<std::string>;
using GroupMap = std::map<std::string, Members>;

// Every group of the font (kerning classes and plain groups) with its members in order.
GroupMap groupsOf(const vn::Font& font) {
  vn::LayoutGroupList list;
  font.gatherLayoutList(list);
  GroupMap out;
  for (const vn::LayoutClassEntry& entry : list) {
    if (!entry.group || out.count(entry.name)) continue;
    Members& members = out[entry.name];
    for (vn::GlyphId member : entry.group->members()) members.push_back(otl::glyphNameById(member));
  }
  return out;
}

Members sorted(Members members) {
  std::sort(members.begin(), members.end());
  return members;
}

// `withBody`: each glyph has the "Body" layer that reading gives it.
TestFont fontWithGlyphs(const Members& glyphNames, bool withBody = false) {
  TestFont font;
  font.settleNames();
  for (const std::string& name : glyphNames) {
    vn::Glyph& glyph = font.addGlyph(name);
    if (withBody) glyph.varnelData().bodyLayer();
  }
  otl::glyphNameRegistry().registerNames(font.font().glyphs);
  return font;
}

// The sample font's case: a class pair and glyph pairs on key glyphs, which the native
// file can only keep as glyph pairs; the classes then travel as plain definitions.
TEST(GroupsRoundTrip, FlattenedKerningKeepsItsClassesAndPlainGroups) {
  TestFont font = fontWithGlyphs({"A", "Aacute", "O", "V", "a", "e", "o", "u"});
  vn::Font& model = font.font();
  model.addGroup("@MMK_L_round", ids({"O"}), 1, "O");
  model.addGroup("@MMK_R_diagonal", ids({"A", "V", "Aacute"}), 2, "A");
  model.addGroup("Vowels", ids({"u", "a", "o", "e"}), 4, "u");
  model.addGroup("@lower", ids({"o", "a"}), 4, "o");
  vn::FontKerning& kerning = model.kerning();
  kerning.setPair(cls("@MMK_L_round"), cls("@MMK_R_diagonal"), -30, false);
  kerning.setPair(gly("A"), gly("V"), -80, false);
  kerning.setPair(gly("V"), gly("A"), -70, false);
  const GroupMap before = groupsOf(model);
  ASSERT_EQ(before.size(), 4u);

  const Bytes file = writeNative(*font.pair);
  ASSERT_FALSE(file.empty());
  qtftest::ReadMaster read(file);
  ASSERT_TRUE(read.ok);
  const GroupMap after = groupsOf(read.font());
  ASSERT_EQ(after.size(), before.size());
  for (const auto& [name, members] : before) {
    ASSERT_EQ(after.count(name), 1u) << name;
    EXPECT_EQ(sorted(after.at(name)), sorted(members)) << name;
  }
  // Plain groups keep their own member order and key glyph.
  EXPECT_EQ(after.at("Vowels"), (Members{"u", "a", "o", "e"}));
  EXPECT_EQ(after.at("@lower"), (Members{"o", "a"}));
  EXPECT_EQ(read.font().layout.keptGlyphClasses().classes.at(id("Vowels")).keyGlyph, "u");
  EXPECT_EQ(flat(read.font().kerning()), flat(model.kerning()));

  // The classes came back without a side (the file gave them no key glyph), so the next
  // file differs from the first; from then on the trips are stable.
  const Bytes second = writeNative(*read.pair);
  qtftest::ReadMaster again(second);
  ASSERT_TRUE(again.ok);
  EXPECT_EQ(groupsOf(again.font()), after);
  EXPECT_EQ(recordDifferences(writeNative(*again.pair), second), "");
}

// Kerning classes with usable key glyphs stay kerning classes; a plain group travels
// beside them without taking a kerning class's place.
TEST(GroupsRoundTrip, KeyedClassesAndPlainGroupsTravelSideBySide) {
  TestFont font = fontWithGlyphs({"A", "Aacute", "V", "W", "T"});
  vn::Font& model = font.font();
  model.addGroup("@MMK_L_A", ids({"A", "Aacute"}), 1, "A");
  model.addGroup("@MMK_R_V", ids({"V", "W"}), 2, "V");
  model.addGroup("Caps", ids({"W", "T", "A"}), 4, "W");
  model.kerning().setPair(cls("@MMK_L_A"), cls("@MMK_R_V"), -60, false);

  qtftest::ReadMaster read(writeNative(*font.pair));
  ASSERT_TRUE(read.ok);
  const GroupMap after = groupsOf(read.font());
  EXPECT_EQ(after, (GroupMap{{"@MMK_L_A", {"A", "Aacute"}}, {"@MMK_R_V", {"V", "W"}}, {"Caps", {"W", "T", "A"}}}));
  const vn::KerningGroups& classes = *read.font().kerningGroups();
  EXPECT_EQ(classes.find(id("@MMK_L_A"))->side, vn::kSideFirst);
  EXPECT_FALSE(classes.hasGroup(id("Caps")));
  EXPECT_EQ(flat(read.font().kerning()), flat(model.kerning()));
}

// Classes read from a UFO (first member as key, kerned on its own) or without any key:
// the kern-feature route gives them keys of their own, so they come back under their
// names, with their members, as classes; the file reads back as the font's kerning and
// writes again byte for byte.
TEST(GroupsRoundTrip, OwnClassesGetKeysAndKeepTheirNames) {
  struct Case {
    const char* name;
    uint32_t firstKey;       // 0: no key glyph; 1: the first member
    bool colonGlyphsKerned;  // every member of @MMK_R_colon kerned as a glyph
    bool zeroException;      // (@MMK_L_round, semicolon) = 0 under the class pair
    bool onlyColon;          // no other class
    GroupMap classes;        // the kerning classes read back
  };
  const GroupMap both{{"@MMK_L_round", {"O", "Q"}}, {"@MMK_R_colon", {"colon", "semicolon"}}};
  const Case cases[] = {
      {"keys of the UFO reader", 1, false, false, false, both},
      {"no keys", 0, false, false, false, both},
      {"a zero exception", 1, false, true, false, {{"@MMK_L_round", {"O", "Q"}}}},
      {"a class without a free member", 1, true, false, false, {{"@MMK_L_round", {"O", "Q"}}}},
      {"only that class, without a key", 0, true, false, true, {}},
  };
  const RoutesInstalled routes;
  for (const Case& c : cases) {
    TestFont font = fontWithGlyphs({"O", "Q", "T", "V", "colon", "semicolon"}, true);
    vn::Font& model = font.font();
    vn::FontKerning& kerning = model.kerning();
    model.addGroup("@MMK_R_colon", ids({"colon", "semicolon"}), 2, c.firstKey ? "colon" : "");
    kerning.setPair(gly("V"), cls("@MMK_R_colon"), -35, false);
    if (!c.onlyColon) {
      model.addGroup("@MMK_L_round", ids({"O", "Q"}), 1, c.firstKey ? "O" : "");
      kerning.setPair(cls("@MMK_L_round"), cls("@MMK_R_colon"), -20, false);
      kerning.setPair(cls("@MMK_L_round"), gly("V"), -30, false);
      kerning.setPair(gly("O"), gly("T"), -12, false);  // the first member kerned on its own
      if (c.zeroException) kerning.setPair(cls("@MMK_L_round"), gly("semicolon"), 0, false);
    }
    if (c.colonGlyphsKerned) {
      kerning.setPair(gly("T"), gly("colon"), 8, false);
      kerning.setPair(gly("T"), gly("semicolon"), 9, false);
    }
    const Bytes file = writeNative(*font.pair);
    qtftest::ReadMaster read(file);
    ASSERT_TRUE(read.ok) << c.name;
    EXPECT_EQ(flat(read.font().kerning()), flat(kerning)) << c.name;
    const GroupMap after = groupsOf(read.font());
    for (const auto& [group, members] : groupsOf(model)) EXPECT_EQ(sorted(after.at(group)), sorted(members)) << c.name;
    GroupMap classes;
    for (const auto& [classId, group] : read.font().kerningGroups()->groups) {
      if (group.side != vn::kSideNone) classes[otl::glyphNameById(classId)] = groupsOf(read.font()).at(otl::glyphNameById(classId));
    }
    EXPECT_EQ(classes, c.classes) << c.name;
    // A class that carries no pair comes back as a plain group, so the second file can
    // differ from the first where one did; from then on the trips are stable.
    const Bytes second = writeNative(*read.pair);
    if (classes.size() == 2) {
      EXPECT_EQ(recordDifferences(second, file), "") << c.name;
    }
    qtftest::ReadMaster again(second);
    ASSERT_TRUE(again.ok) << c.name;
    EXPECT_EQ(recordDifferences(writeNative(*again.pair), second), "") << c.name;
  }
}

// A class named "_A" keyed by A reads back as @MMK_L_A (the name the file gives "_A"),
// and that class is written as "_A" again, byte for byte.
TEST(GroupsRoundTrip, KeyGlyphNamesStayByteIdentical) {
  TestFont font = fontWithGlyphs({"A", "Aacute", "V"}, true);
  vn::Font& model = font.font();
  model.addGroup("_A", ids({"A", "Aacute"}), 1, "A");
  model.kerning().setPair(cls("_A"), gly("V"), -40, false);
  const Bytes file = writeNative(*font.pair);
  qtftest::ReadMaster read(file);
  ASSERT_TRUE(read.ok);
  EXPECT_TRUE(read.font().kerningGroups()->hasGroup(id("@MMK_L_A")));
  EXPECT_EQ(flat(read.font().kerning()), flat(model.kerning()));
  EXPECT_EQ(recordDifferences(writeNative(*read.pair), file), "");
}

// The layout model's routes themselves.
TEST(KernLayoutRoutes, KeylessClassesGoOverTheGivenOnes) {
  // @MMK_R_kround has no key glyph: the pairs are re-expressed over @MMK_L_kA alone.
  vn::FontKerning source;
  source.defineGroup("@MMK_L_kA", {id("kA"), id("kAacute")}, vn::kSideFirst, "kA");
  source.defineGroup("@MMK_R_kround", {id("kO"), id("kQ")}, vn::kSideSecond, "");
  source.setPair(cls("@MMK_L_kA"), cls("@MMK_R_kround"), -30, true);
  source.setPair(gly("kT"), cls("@MMK_R_kround"), -12, true);
  vn::FontKerning out;
  ASSERT_TRUE(qtf::convertKerningClasses(source, out, &qtf::layoutKerningRoutes()));
  EXPECT_EQ(out.pairs.at({gly("kA"), gly("kO")}), -30);  // the class's key glyph stands for it
  EXPECT_EQ(out.groups.count(), 2u);
  // Read back as the file does: pairs between key glyphs are class pairs.
  vn::FontKerning back;
  back.replaceGroups(out.groups.groups);
  for (const auto& [key, value] : out.pairs) {
    const bool leftKey = key.first.glyph == id("kA");
    back.setPair(leftKey ? cls("@MMK_L_kA") : key.first, key.second, value, true);
  }
  EXPECT_EQ(flat(back), flat(source));
}

TEST(KernLayoutRoutes, KernFeatureRouteOnlyWhereItsClassesStandAlone) {
  // Glyph pairs only, and a class no pair uses: the feature's classes come back beside it.
  vn::FontKerning source;
  source.defineGroup("@MMK_L_kspare", {id("kX"), id("kY")}, vn::kSideFirst, "");
  for (const char* first : {"kB", "kD", "kE"})
    for (const char* second : {"kO", "kQ"}) source.setPair(gly(first), gly(second), -25, true);
  vn::FontKerning viaFeature;
  ASSERT_TRUE(qtf::layoutKerningRoutes().roundTripThroughKernFeature(source, viaFeature));
  EXPECT_EQ(flat(viaFeature), flat(source));

  // Pairs of a shared class: it takes a member no pair kerns on its own as its key.
  vn::FontKerning shared;
  shared.defineGroup("@MMK_L_kshared", {id("kB"), id("kD")}, vn::kSideFirst, "");
  shared.setPair(cls("@MMK_L_kshared"), gly("kO"), -10, true);
  shared.setPair(gly("kB"), gly("kQ"), -5, true);
  vn::FontKerning keyed;
  ASSERT_TRUE(qtf::layoutKerningRoutes().roundTripThroughKernFeature(shared, keyed));
  EXPECT_EQ(keyed.groups.find(id("@MMK_L_kshared"))->keyGlyph, "kD");
  EXPECT_EQ(flat(keyed), flat(shared));
  // Every member kerned on its own: no key; the feature's classes would share its
  // glyphs, so the route is refused.
  shared.setPair(gly("kD"), gly("kQ"), -5, true);
  vn::FontKerning refused;
  EXPECT_FALSE(qtf::layoutKerningRoutes().roundTripThroughKernFeature(shared, refused));
}

}  // namespace

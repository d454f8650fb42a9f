// Kerning classes for the native file: the key-glyph rewrite, the conversion routes,
// and class kerning written and read back.
#include <gtest/gtest.h>

#include <algorithm>

#include "layout/registry/glyph_name_registry.h"
#include "native/kerning_classes.h"
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

// Class kerning with exceptions, one of them 0: the flat pairs read back are exactly
// the font's flat pairs.
TEST(KerningClasses, ExceptionsSurviveWriteAndRead) {
  TestFont f;
  for (const char* name : {"A", "Aacute", "Agrave", "V", "W"}) f.addGlyph(name);
  vn::FontKerning& kerning = f.font().kerning();
  defineAV(kerning);
  kerning.setGlyphPair(id("Aacute"), id("W"), -20, true);
  kerning.setGlyphPair(id("Agrave"), id("V"), 0, true);  // cancels the class pair for Agrave
  ASSERT_EQ(flat(kerning, false).count({"Agrave", "V"}), 1u);

  qtf::KerningPreparation prepared;
  qtf::prepareKerning(f.font(), prepared, nullptr);
  EXPECT_TRUE(prepared.flattened);
  for (const auto& [name, text] : prepared.kerningClassTexts) EXPECT_EQ(text.find('\''), std::string::npos) << name;

  const Bytes file = writeNative(*f.pair);
  qtftest::ReadMaster read(file);
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(flat(read.font().kerning()), flat(kerning));
  EXPECT_EQ(flat(read.font().kerning()).count({"Agrave", "V"}), 0u);
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
// a name the reader would cut at its ':', and classes whose pair would expand beyond
// what any kerning store holds (checking them must not expand them either).
TEST(KerningClasses, UnreadableOrOversizedClassesAreWrittenFlat) {
  TestFont f;
  for (const char* name : {"a:b", "c", "V"}) f.addGlyph(name);
  vn::FontKerning& kerning = f.font().kerning();
  kerning.defineGroup("@MMK_L_colon", ids({"a:b", "c"}), vn::kSideFirst, "a:b");
  kerning.setPair(cls("@MMK_L_colon"), gly("V"), -30, true);
  qtf::KerningPreparation prepared;
  qtf::prepareKerning(f.font(), prepared, nullptr);
  EXPECT_TRUE(prepared.flattened);
  qtftest::ReadMaster read(writeNative(*f.pair));
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(flat(read.font().kerning()), (FlatPairs{{{"a:b", "V"}, -30}, {{"c", "V"}, -30}}));

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
  qtf::prepareKerning(big.font(), prepared, nullptr);
  EXPECT_TRUE(prepared.flattened);
  EXPECT_FALSE(writeNative(*big.pair).empty());
}

}  // namespace

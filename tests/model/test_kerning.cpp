#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "layout/registry/glyph_name_registry.h"
#include "model/font.h"
#include "model/kerning.h"
#include "model/object.h"
#include "glyph_ids.h"

namespace vn {
namespace {

using testids::id;
using testids::ids;

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

TEST(KerningClasses, DefinitionSidesAndKeys) {
  FontKerning kerning;
  const GlyphId round = kerning.defineGroup("@MMK_L_O", ids({"O", "D", "Q"}), kSideFirst, "O");
  const GlyphId straight = kerning.defineGroup("@MMK_R_H", ids({"H", "I"}), kSideSecond, "X");
  EXPECT_EQ(round, id("@MMK_L_O"));
  EXPECT_EQ(kerning.groups.find(round)->keyGlyph, "O");
  EXPECT_EQ(kerning.groups.find(straight)->keyGlyph, "");  // X is not a member
  EXPECT_EQ(kerning.defineGroup("", ids({"A"}), kSideFirst, ""), 0u);
  EXPECT_FALSE(kerning.groups.hasGroup(0));
}

// Pairs by side names, as the kerning holds them.
NamedPairs held(const FontKerning& kerning) {
  NamedPairs out;
  for (const auto& [key, value] : kerning.pairs) out[{key.first.name(), key.second.name()}] = value;
  return out;
}

// A 0 under a covering pair (class-class, glyph-class, or a later first class) is kept
// as an exception, without one it removes the pair; values snap to integers near them,
// are kept beyond 16 bits and change only with overwrite; a batch does what one-by-one
// does.
TEST(KerningPairs, ZeroValuesSnappingOverwriteAndBatches) {
  auto classed = [] {
    FontKerning kerning;
    kerning.defineGroup("@MMK_L_A", ids({"A", "Agrave"}), kSideFirst, "A");
    kerning.defineGroup("@MMK_R_V", ids({"V", "W"}), kSideSecond, "V");
    kerning.defineGroup("kt.later", ids({"Agrave", "Aacute"}), kSideFirst, "");
    kerning.setPair(klass("@MMK_L_A"), klass("@MMK_R_V"), -40, false);
    kerning.setPair(glyph("T"), klass("@MMK_R_V"), -30, false);
    kerning.setPair(klass("kt.later"), glyph("o"), -15, false);
    kerning.setGlyphPair(id("L"), id("T"), 12, false);
    return kerning;
  };
  const std::vector<GlyphPairValue> batch = {
      {id("A"), id("V"), 0},      {id("T"), id("W"), 0},     {id("Aacute"), id("o"), 0},
      {id("A"), id("o"), 0},      {id("L"), id("T"), 0},     {id("L"), id("V"), 7.000001},
      {id("L"), id("V"), 9},      {0, id("V"), -5},          {id("T"), id("o"), std::nan("")},
      {id("Agrave"), id("W"), 0}, {id("Agrave"), id("o"), 0}, {id("L"), id("o"), 70000}};
  for (const bool overwrite : {false, true}) {
    FontKerning oneByOne = classed();
    for (const GlyphPairValue& pair : batch) oneByOne.setGlyphPair(pair.first, pair.second, pair.value, overwrite);
    const NamedPairs expected = {
        {{"@MMK_L_A", "@MMK_R_V"}, -40}, {{"T", "@MMK_R_V"}, -30}, {{"kt.later", "o"}, -15},
        {{"A", "V"}, 0},  {{"T", "W"}, 0}, {{"Aacute", "o"}, 0}, {{"Agrave", "W"}, 0}, {{"Agrave", "o"}, 0},
        {{"L", "V"}, overwrite ? 9.0 : 7.0}, {{"L", "o"}, 70000}};
    EXPECT_EQ(held(oneByOne), expected) << overwrite;
    FontKerning together = classed();
    together.setGlyphPairs(batch, overwrite);
    EXPECT_EQ(together.pairs, oneByOne.pairs) << overwrite;
    // A 0 on a class pair removes it; the glyph exceptions stay.
    oneByOne.setPair(klass("@MMK_L_A"), klass("@MMK_R_V"), 0, false);
    EXPECT_EQ(oneByOne.pairs.count({klass("@MMK_L_A"), klass("@MMK_R_V")}), 0u);
    EXPECT_EQ(oneByOne.pairs.count({glyph("A"), glyph("V")}), 1u);
  }
  FontKerning fraction = classed();
  fraction.setGlyphPair(id("L"), id("T"), -12.3, true);
  EXPECT_EQ(fraction.pairs.at({glyph("L"), glyph("T")}), -12.3);

  // Many classes, each the first side of one pair, and as many 0 exceptions: the batch
  // finds each glyph's classes once instead of scanning every class per pair.
  FontKerning wide;
  std::vector<GlyphPairValue> zeros;
  constexpr int kClasses = 30000;
  std::vector<GlyphId> members;
  for (int i = 0; i < kClasses; ++i) members.push_back(id("wide" + std::to_string(i)));
  for (int i = 0; i < kClasses; ++i) {
    const GlyphId c = wide.defineGroup("kt.wide" + std::to_string(i), {members[i]}, kSideFirst, "");
    wide.setPair(KerningSide::ofClass(c), KerningSide::ofGlyph(members[(i + 1) % kClasses]), -10, false);
    zeros.push_back({members[i], members[(i + 1) % kClasses], 0});
    zeros.push_back({members[i], members[(i + 2) % kClasses], 0});
  }
  wide.setGlyphPairs(zeros, false);
  EXPECT_EQ(wide.pairs.size(), 2u * kClasses);  // the covered zeros stay, the others go
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

// A 0 with a class side is real kerning when a pair that the UFO look-up consults
// later (glyph-class before class-glyph before class-class) shares glyphs with it.
// The zeros are set after the other pairs, as the readers do; the non-zero values were
// taken once from fontTools.ufoLib.kerning.lookupKerningValue on the same data.
TEST(KerningPairs, ZeroExceptionsWithClassSidesFollowTheUfoLookup) {
  FontKerning kerning;
  kerning.defineGroup("@MMK_L_O", ids({"O", "D", "Q"}), kSideFirst, "O");
  kerning.defineGroup("@MMK_L_T", ids({"T", "Tcaron"}), kSideFirst, "T");
  kerning.defineGroup("@MMK_R_E", ids({"E", "F"}), kSideSecond, "E");
  kerning.defineGroup("@MMK_R_V", ids({"V", "W"}), kSideSecond, "V");
  kerning.setPair(klass("@MMK_L_O"), klass("@MMK_R_E"), -100, false);
  kerning.setPair(glyph("Q"), klass("@MMK_R_E"), -20, false);
  kerning.setPair(klass("@MMK_L_O"), glyph("E"), -60, false);
  kerning.setPair(klass("@MMK_L_O"), glyph("V"), -30, false);
  kerning.setPair(glyph("Q"), klass("@MMK_R_V"), -40, false);
  kerning.setPair(klass("@MMK_L_T"), klass("@MMK_R_V"), -70, false);
  kerning.setGlyphPair(id("Tcaron"), id("W"), -5, false);

  struct Zero {
    KerningSide first, second;
    bool kept;
  };
  const Zero zeros[] = {
      {glyph("D"), klass("@MMK_R_E"), true},        // under class-class
      {klass("@MMK_L_O"), glyph("F"), true},        // under class-class
      {glyph("D"), klass("@MMK_R_V"), true},        // under class-glyph (O class, V)
      {klass("@MMK_L_O"), glyph("W"), false},       // only a glyph-class pair shares (Q, W)
      {klass("@MMK_L_T"), glyph("W"), true},        // under class-class
      {glyph("Tcaron"), klass("@MMK_R_V"), true},   // under class-class
      {glyph("A"), klass("@MMK_R_V"), false},       // nothing to cancel
      {klass("@MMK_L_T"), klass("@MMK_R_E"), false}, // class-class: never an exception
  };
  for (const Zero& zero : zeros) kerning.setPair(zero.first, zero.second, 0, false);
  for (const Zero& zero : zeros) {
    EXPECT_EQ(kerning.pairs.count({zero.first, zero.second}), zero.kept ? 1u : 0u)
        << zero.first.name() << " " << zero.second.name();
  }

  NamedPairs nonZero;
  for (const auto& [names, value] : expand(kerning)) {
    if (value != 0) nonZero[names] = value;
  }
  const NamedPairs fromFontTools = {
      {{"O", "E"}, -60},  {{"O", "V"}, -30},  {{"Q", "E"}, -20}, {{"Q", "F"}, -20},
      {{"Q", "V"}, -40},  {{"Q", "W"}, -40},  {{"T", "V"}, -70}, {{"Tcaron", "W"}, -5},
  };
  EXPECT_EQ(nonZero, fromFontTools);

  // A covering pair that arrives only after the 0 finds nothing to keep: order matters,
  // which is why readers set their zeros last.
  FontKerning late;
  late.defineGroup("@MMK_L_O", ids({"O", "D"}), kSideFirst, "O");
  late.defineGroup("@MMK_R_E", ids({"E", "F"}), kSideSecond, "E");
  late.setPair(glyph("D"), klass("@MMK_R_E"), 0, false);
  late.setPair(klass("@MMK_L_O"), klass("@MMK_R_E"), -100, false);
  EXPECT_EQ(expand(late).at({"D", "E"}), -100);
  late.setPair(glyph("D"), klass("@MMK_R_E"), 0, false);
  EXPECT_EQ(expand(late).at({"D", "E"}), 0);
  // Removing the class pair leaves the exception, which then cancels nothing.
  late.setPair(klass("@MMK_L_O"), klass("@MMK_R_E"), 0, false);
  EXPECT_EQ(expand(late), (NamedPairs{{{"D", "E"}, 0}, {{"D", "F"}, 0}}));
}

// Many first classes make the exception check give up early and keep the 0, which
// must leave every kerning value as it was: a 0 changes nothing that is not there.
TEST(KerningPairs, ZeroCheckOnManyClassesIsBoundedAndKeepsValues) {
  FontKerning kerning;
  constexpr int kClasses = 3000;
  std::vector<GlyphId> classes;
  for (int i = 0; i < kClasses; ++i) {
    const std::string glyphName = "kz.g" + std::to_string(i);
    classes.push_back(kerning.defineGroup("kz.c" + std::to_string(i), ids({glyphName.c_str()}), kSideBoth, ""));
  }
  const GlyphId last = classes.back();
  kerning.setPair(KerningSide::ofClass(last), klass("kz.c0"), -25, false);
  for (int i = 0; i + 1 < kClasses; ++i)
    kerning.setPair(KerningSide::ofClass(classes[i]), klass("kz.c1"), -5, false);
  const NamedPairs before = expand(kerning);

  // Covered only by the last first class: whether found or given up on, kept.
  kerning.setPair(glyph("kz.g" + std::to_string(kClasses - 1)), klass("kz.c0"), 0, false);
  // Covered by nothing: kept or dropped, the values must not change.
  kerning.setPair(glyph("kz.unrelated"), klass("kz.c0"), 0, false);
  kerning.setPair(KerningSide::ofClass(classes[5]), glyph("kz.unrelated"), 0, false);
  // The same for glyph-glyph zeros: one covered only by the last first class, one by nothing.
  kerning.setGlyphPair(id("kz.g" + std::to_string(kClasses - 1)), id("kz.g0"), 0, false);
  kerning.setGlyphPair(id("kz.unrelated"), id("kz.g0"), 0, false);

  NamedPairs after = expand(kerning);
  EXPECT_EQ(after.at({"kz.g" + std::to_string(kClasses - 1), "kz.g0"}), 0);
  for (auto it = after.begin(); it != after.end();) it = it->second == 0 ? after.erase(it) : std::next(it);
  NamedPairs expected = before;
  expected.erase({"kz.g" + std::to_string(kClasses - 1), "kz.g0"});
  EXPECT_EQ(after, expected);
}

TEST(KerningPairs, UnknownClassesExpandToNothing) {
  FontKerning kerning;
  kerning.setPair(klass("kt.missing"), glyph("A"), -10, false);
  kerning.setGlyphPair(id("A"), id("B"), -5, false);
  EXPECT_EQ(kerning.expandedPairCount(), 1u);
  EXPECT_EQ(expand(kerning), (NamedPairs{{{"A", "B"}, -5}}));
}

// Every glyph combination takes the value of the first pair in key order that covers
// it, whether the expansion sorts by counting (registry ids) or by comparison (ids far
// beyond the number of combinations); overlapping classes make many ties.
TEST(KerningPairs, ExpansionKeepsTheFirstCoveringPairInKeyOrder) {
  for (const GlyphId base : {GlyphId{0}, GlyphId{3000000000u}}) {
    std::vector<GlyphId> glyphs;
    for (int i = 0; i < 12; ++i) {
      glyphs.push_back(base == 0 ? id("kx.g" + std::to_string(i)) : base + static_cast<GlyphId>(i) * 7);
    }
    uint32_t seed = 2024;
    auto next = [&seed](uint32_t range) {
      seed = seed * 1103515245u + 12345u;
      return (seed >> 16) % range;
    };
    FontKerning kerning;
    std::vector<GlyphId> classIds;
    for (int c = 0; c < 4; ++c) {
      GlyphIdList members;
      for (GlyphId glyph : glyphs) {
        if (next(3) == 0) members.push_back(glyph);
      }
      classIds.push_back(kerning.defineGroup("kx.class" + std::to_string(c), members, kSideBoth, ""));
    }
    auto side = [&]() {
      return next(2) == 0 ? KerningSide::ofGlyph(glyphs[next(12)]) : KerningSide::ofClass(classIds[next(4)]);
    };
    for (int i = 0; i < 80; ++i) kerning.setPair(side(), side(), -1.0 - next(200), true);

    std::vector<GlyphPairValue> expected;
    std::vector<GlyphId> sorted = glyphs;
    std::sort(sorted.begin(), sorted.end());
    for (GlyphId a : sorted) {
      for (GlyphId b : sorted) {
        for (const auto& [key, value] : kerning.pairs) {
          if (key.first.covers(a, kerning.groups) && key.second.covers(b, kerning.groups)) {
            expected.push_back({a, b, value});
            break;
          }
        }
      }
    }
    std::vector<GlyphPairValue> expanded;
    ASSERT_TRUE(kerning.expandPairs(expanded));
    ASSERT_EQ(expanded.size(), expected.size()) << base;
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(expanded[i].first, expected[i].first) << base << " at " << i;
      EXPECT_EQ(expanded[i].second, expected[i].second) << base << " at " << i;
      EXPECT_EQ(expanded[i].value, expected[i].value) << base << " at " << i;
    }
  }
}

// The whole-font bound is met through the program by the hostile tests (a class pair of
// 16.7 million glyph pairs); here the share of the limit, with a small one.
TEST(KerningPairs, OversizedExpansionIsBounded) {
  std::vector<GlyphPairValue> out;
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

}  // namespace
}  // namespace vn

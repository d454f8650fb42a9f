// Kerning through the "kern" feature: built, written as a binary GPOS table, read back
// and extracted again; and the pair conversions and the given-groups engine around it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "command_output.h"
#include "layout/glyph_id_map.h"
#include "layout/kern_feature.h"
#include "layout/kerning_classes_engine.h"
#include "layout/layout_bin_parser.h"
#include "layout/layout_bin_writer.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/pair_kerning.h"
#include "layout/registry/glyph_name_registry.h"

namespace {

using otl::ot_bin_layout::LayoutBinParser;
using otl::ot_bin_layout::LayoutBinWriter;

std::vector<std::string> glyphNames(const std::string& prefix, size_t count) {
  std::vector<std::string> names;
  for (size_t i = 0; i < count; ++i) names.push_back(prefix + std::to_string(i));
  return names;
}

std::map<std::pair<uint32_t, uint32_t>, double> flat(const vn::FontKerning& kerning) {
  std::vector<vn::GlyphPairValue> pairs;
  EXPECT_TRUE(kerning.expandPairs(pairs));
  std::map<std::pair<uint32_t, uint32_t>, double> out;
  for (const auto& p : pairs) {
    if (p.value != 0) out[{p.first, p.second}] = p.value;
  }
  return out;
}

uint16_t at16(const std::string& b, size_t at) {
  return static_cast<uint16_t>((static_cast<uint8_t>(b[at]) << 8) | static_cast<uint8_t>(b[at + 1]));
}

// Shapes every pair with hb-shape on a minimal font around the GPOS table: the first
// glyph's advance grows by the pair's value. Called last: a missing judge skips the test.
void shapeEveryPair(const std::string& gpos, const std::vector<std::string>& order,
                    const std::map<std::pair<uint32_t, uint32_t>, double>& pairs) {
  namespace fs = std::filesystem;
  if (!fs::exists("/usr/bin/hb-shape") ||
      std::system((std::string(TARNWICK_PYTHON) + " -c 'import fontTools' > /dev/null 2>&1").c_str()) != 0) {
    GTEST_SKIP() << "hb-shape or fontTools missing: the pairs are not shaped";
  }
  const fs::path work = fs::temp_directory_path() / ("kern_shape_" + std::to_string(::getpid()));
  fs::create_directories(work);
  std::map<uint32_t, size_t> indexOf;
  for (size_t i = 0; i < order.size(); ++i) indexOf[otl::glyphIdByName(order[i])] = i;
  std::ofstream(work / "GPOS", std::ios::binary) << gpos;
  {
    std::ofstream list(work / "pairs");
    for (const auto& [pair, value] : pairs) list << indexOf.at(pair.first) << ' ' << indexOf.at(pair.second) << ' ' << value << '\n';
  }
  const std::string command = std::string(TARNWICK_PYTHON) + " '" + TARNWICK_TEST_DATA_DIR + "/kern_shape_judge.py' '" +
                              (work / "GPOS").string() + "' " + std::to_string(order.size()) + " '" +
                              (work / "pairs").string() + "' '" + work.string() + "' 2>&1";
  const std::string result = layout_test::commandOutput(command);
  fs::remove_all(work);
  EXPECT_EQ(result.rfind("OK pairs=" + std::to_string(pairs.size()), 0), 0u) << result;
}

TEST(KernFeature, HundredThousandClassPairsSurviveTheBinaryTable) {
  const auto names = glyphNames("kf", 1200);
  std::vector<std::string> order{".notdef"};  // glyph 0 stays out of the kerning
  order.insert(order.end(), names.begin(), names.end());
  otl::GlyphIdMap glyphs;
  glyphs.fill(order);
  auto id = [&](size_t i) { return otl::glyphIdByName(names[i]); };
  vn::FontKerning kerning;
  std::vector<vn::GlyphId> left, right;
  for (size_t g = 0; g < 150; ++g) {
    vn::GlyphIdList l, r;
    for (size_t m = 0; m < 4; ++m) {
      l.push_back(id(g * 4 + m));
      r.push_back(id(600 + g * 4 + m));
    }
    left.push_back(kerning.defineGroup("@MMK_L_kfl" + std::to_string(g), l, vn::kSideFirst, ""));
    right.push_back(kerning.defineGroup("@MMK_R_kfr" + std::to_string(g), r, vn::kSideSecond, ""));
  }
  std::mt19937 random(21);
  std::uniform_int_distribution<int> value(-600, 600), pick(0, 149), glyph(0, 599);
  size_t expanded = 0;
  while (expanded < 100000) {
    const int v = value(random);
    if (v == 0) continue;
    const vn::KerningPairKey key{vn::KerningSide::ofClass(left[pick(random)]), vn::KerningSide::ofClass(right[pick(random)])};
    if (kerning.pairs.emplace(key, v).second) expanded += 16;
  }
  for (int i = 0; i < 400; ++i) {  // glyph exceptions to the classes
    kerning.setGlyphPair(id(glyph(random)), id(600 + glyph(random)), value(random) | 1, true);
  }
  const auto expected = flat(kerning);
  ASSERT_GE(expected.size(), 100000u);

  otl::LayoutFea layout(nullptr, "");
  ASSERT_TRUE(otl::addKernFeature(layout, kerning));
  ASSERT_TRUE(layout.hasFeature("kern"));
  LayoutBinWriter writer;
  ot::BinaryWriter out;
  ASSERT_TRUE(writer.write(layout.block(2), out, glyphs));
  const std::string bytes = out.str();
  // The class matrix is far past 16-bit offsets: it was split, behind Extension lookups.
  const size_t list = at16(bytes, 8);
  EXPECT_EQ(at16(bytes, list + at16(bytes, list + 2)), 9);

  otl::LayoutFea again(nullptr, "");
  ot::BinaryReader reader(bytes);
  LayoutBinParser parser;
  uint32_t tableId = 2;
  ASSERT_TRUE(parser.parse(again.block(2), reader, tableId, glyphs));
  EXPECT_GT(again.gpos.lookups.lookups().begin()->second->subtables.size(), 1u);
  vn::FontKerning extracted;
  ASSERT_TRUE(otl::extractKerning(again, extracted, otl::kKerningByFormat));
  EXPECT_EQ(flat(extracted), expected);
  EXPECT_LT(extracted.pairs.size(), expected.size() / 3);  // still class kerning
  shapeEveryPair(bytes, order, expected);
}

TEST(KernFeature, SmallKerningStaysGlyphPairsAndValuesClamp) {
  const auto names = glyphNames("kg", 60);
  auto id = [&](size_t i) { return otl::glyphIdByName(names[i]); };
  struct Case {
    double in;
    double out;
  };
  const Case cases[] = {{12.7, 12}, {-12.7, -12}, {40000, 32767}, {-40000, -32768}, {5, 5}};
  vn::FontKerning kerning;
  for (size_t i = 0; i < std::size(cases); ++i) kerning.setGlyphPair(id(i), id(30 + i), cases[i].in, true);
  otl::LayoutFea layout(nullptr, "");
  ASSERT_TRUE(otl::addKernFeature(layout, kerning));
  for (const char* script : {"DFLT", "latn"}) {
    const auto& language = layout.gpos.scripts.at(ot::Tag::fromString(script)).languages.at(ot::Tag::fromString("dflt"));
    EXPECT_EQ(language.features.at(ot::Tag::fromString("kern")).lookups.size(), 1u) << script;
  }
  const auto& subtable = *layout.gpos.lookups.lookups().begin()->second->subtables.front();
  EXPECT_TRUE(dynamic_cast<const otl::LpPair&>(subtable).format1);
  vn::FontKerning extracted;
  ASSERT_TRUE(otl::extractKerning(layout, extracted, otl::kKerningByFormat));
  for (size_t i = 0; i < std::size(cases); ++i) {
    const vn::KerningPairKey key{vn::KerningSide::ofGlyph(id(i)), vn::KerningSide::ofGlyph(id(30 + i))};
    EXPECT_EQ(extracted.pairs.at(key), cases[i].out) << cases[i].in;
  }
  otl::LayoutFea empty(nullptr, "");
  EXPECT_FALSE(otl::addKernFeature(empty, vn::FontKerning()));
  EXPECT_FALSE(empty.hasFeature("kern"));
}

TEST(KernFeature, RandomGlyphPairsBecomeClassPairsExactly) {
  const auto names = glyphNames("kc", 300);
  std::mt19937 random(5132);
  for (int round = 0; round < 20; ++round) {
    std::uniform_int_distribution<int> glyph(0, 299), value(-3, 3);
    otl::LpPair pair(uint16_t{1});
    std::map<std::pair<uint32_t, uint32_t>, int16_t> expected;
    for (int i = 0; i < 3000; ++i) {
      const uint32_t a = otl::glyphIdByName(names[glyph(random) % (50 + round * 10)]);
      const uint32_t b = otl::glyphIdByName(names[glyph(random)]);
      otl::GPosValue v;
      v.xAdvance = static_cast<int16_t>(value(random) * 10);
      if (v.xAdvance == 0) continue;
      pair.format1->pairs.emplace_back(a, b, v, otl::GPosValue());
      expected.emplace(std::make_pair(a, b), v.xAdvance);  // the first value wins
    }
    pair.toClassPairs();
    ASSERT_EQ(pair.format, 2);
    pair.toGlyphPairs();
    std::map<std::pair<uint32_t, uint32_t>, int16_t> got;
    for (const auto& p : pair.format1->pairs) EXPECT_TRUE(got.emplace(std::make_pair(p.first, p.second), p.value1.xAdvance).second);
    EXPECT_EQ(got, expected) << "round " << round;
  }
}

TEST(KernFeature, ClassesBecomeGroupsNamedByTheirShortestMember) {
  vn::FontKerning kerning;
  otl::LpPair pair(uint16_t{2});
  auto id = [](const char* name) { return otl::glyphIdByName(name); };
  pair.format2->classDef1.glyphs = {id("Aacute"), id("A"), id("Agrave"), id("T")};
  pair.format2->classDef1.classes = {1, 1, 1, 2};
  pair.format2->classDef2.glyphs = {id("V"), id("W")};
  pair.format2->classDef2.classes = {1, 1};
  otl::GPosValue v;
  v.xAdvance = -40;
  pair.format2->pairs.emplace_back(1, 1, v, otl::GPosValue());
  pair.format2->pairs.emplace_back(2, 1, v, otl::GPosValue());
  // A group on both sides with the same members is reused.
  const vn::GlyphId both = kerning.defineGroup("kcVW", {id("V"), id("W")}, vn::kSideBoth, "");
  otl::toKerning(pair, kerning, otl::kKerningByFormat);
  const vn::GlyphId leftGroup = otl::glyphIdByName("@MMK_L_A");
  ASSERT_TRUE(kerning.groups.find(leftGroup));
  EXPECT_EQ(kerning.groups.find(leftGroup)->glyphs.size(), 3u);
  EXPECT_EQ(kerning.groups.count(), 2u);
  EXPECT_EQ(kerning.pairs.at({vn::KerningSide::ofClass(leftGroup), vn::KerningSide::ofClass(both)}), -40);
  EXPECT_EQ(kerning.pairs.at({vn::KerningSide::ofGlyph(id("T")), vn::KerningSide::ofClass(both)}), -40);
}

TEST(KernFeature, GivenGroupsEngineFormsGroupPairs) {
  auto id = [](const char* name) { return otl::glyphIdByName(name); };
  const uint32_t A = id("kA"), B = id("kB"), X = id("kX"), Y = id("kY");
  struct Case {
    bool leftGroup;
    double secondValue;  // value of (B, Y)
    size_t pairCount;
  };
  for (const Case& c : {Case{true, -10, 1}, Case{false, -10, 2}, Case{true, -20, 3}}) {
    vn::FontKerning given;
    const vn::GlyphId right = given.defineGroup("@MMK_R_kX", {X, Y}, vn::kSideSecond, "kX");
    if (c.leftGroup) given.defineGroup("@MMK_L_kA", {A, B}, vn::kSideFirst, "kA");
    given.defineGroup("@MMK_L_kone", {A}, vn::kSideFirst, "kA");  // one member: never used
    vn::FontKerning source;
    for (auto [a, b, v] : {std::tuple{A, X, -10.0}, {A, Y, -10.0}, {B, X, -10.0}, {B, Y, c.secondValue}})
      source.setGlyphPair(a, b, v, true);
    vn::FontKerning out;
    otl::convertKerningToGivenGroups(source, out, given.groups.groups);
    EXPECT_EQ(out.pairs.size(), c.pairCount) << c.leftGroup << c.secondValue;
    EXPECT_EQ(flat(out), flat(source));
    if (c.pairCount == 2) {
      EXPECT_EQ(out.pairs.at({vn::KerningSide::ofGlyph(A), vn::KerningSide::ofClass(right)}), -10);
    }
  }
}

}  // namespace

namespace {

TEST(KernFeature, GlyphPairsAfterClassPairsAreMergedBeforeGrouping) {
  auto id = [](const char* name) { return otl::glyphIdByName(name); };
  otl::LayoutFea layout(nullptr, "");
  vn::FontKerning seed;
  seed.setGlyphPair(id("kmT"), id("kmo"), -1, true);
  ASSERT_TRUE(otl::addKernFeature(layout, seed));
  otl::Lookup& lookup = *layout.gpos.lookups.lookups().begin()->second;
  auto classes = std::make_unique<otl::LpPair>(uint16_t{2});
  classes->format2->classDef1.glyphs = {id("kmA"), id("kmB")};
  classes->format2->classDef1.classes = {1, 1};
  classes->format2->classDef2.glyphs = {id("kmV"), id("kmW")};
  classes->format2->classDef2.classes = {1, 1};
  otl::GPosValue v;
  v.xAdvance = -30;
  classes->format2->pairs.emplace_back(1, 1, v, otl::GPosValue());
  lookup.subtables.insert(lookup.subtables.begin(), std::move(classes));
  // Class subtable first, glyph pairs after: one merged list, grouped anew.
  vn::FontKerning kerning;
  ASSERT_TRUE(otl::extractKerning(layout, kerning, otl::kKerningByFormat));
  const vn::GlyphId left = otl::glyphIdByName("@MMK_L_kmA"), right = otl::glyphIdByName("@MMK_R_kmV");
  EXPECT_EQ(kerning.pairs.at({vn::KerningSide::ofClass(left), vn::KerningSide::ofClass(right)}), -30);
  EXPECT_EQ(kerning.pairs.at({vn::KerningSide::ofGlyph(id("kmT")), vn::KerningSide::ofGlyph(id("kmo"))}), -1);
  EXPECT_EQ(kerning.pairs.size(), 2u);
  vn::FontKerning flatOnly;
  ASSERT_TRUE(otl::extractKerning(layout, flatOnly, otl::kKerningFlat));
  EXPECT_EQ(flatOnly.pairs.size(), 5u);
  EXPECT_TRUE(flatOnly.groups.empty());
}

}  // namespace

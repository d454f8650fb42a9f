// The finishing steps (names, components, classes, kerning) and the masters.
#include <gtest/gtest.h>

#include "layout/registry/glyph_name_registry.h"
#include "model/design_space.h"
#include "model/style_names.h"
#include "native/parser_impl.h"
#include "native/reader_fixture.h"

namespace qtftest {
namespace {

FileBuilder glyphsNamed(const std::vector<std::string>& names, std::vector<Bytes> infoRecords = {}) {
  FileBuilder f;
  f.begin().fontInfo(std::nullopt, infoRecords);
  for (const auto& n : names) f.glyph(GlyphRecord().name(n));
  f.end();
  return f;
}

std::vector<std::string> namesOf(ReadMaster& r) {
  std::vector<std::string> out;
  for (auto* g : r.font().glyphs) out.push_back(g->name);
  return out;
}

TEST(NativeFinish, DuplicateNamesBecomeUnique) {
  ReadMaster r(glyphsNamed({"a", "a", "b.1", "b.1", "a", "a2.", "c.x", "c.x", "a3"}).bytes());
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(namesOf(r), (std::vector<std::string>{"a", "a2", "b.1", "b2", "a3", "a2.", "c.x", "c.x2", "a32"}));

  // Many glyphs of one name: every name distinct, numbered in order.
  std::vector<std::string> many(2000, "dup");
  ReadMaster big(glyphsNamed(many).bytes());
  ASSERT_TRUE(big.ok);
  const auto names = namesOf(big);
  EXPECT_EQ(names[0], "dup");
  EXPECT_EQ(names[1], "dup2");
  EXPECT_EQ(names[1999], "dup2000");
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), 2000u);
}

TEST(NativeFinish, ClassSplitting) {
  using Impl = qtf::Parser::Impl;
  std::vector<std::string> members;
  bool key = false;
  EXPECT_EQ(Impl::splitClassMembers("A' B C", members, key), 3);
  EXPECT_TRUE(key);
  EXPECT_EQ(members, (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(Impl::splitClassMembers("A,B;;C", members, key), 3);
  EXPECT_FALSE(key);
  EXPECT_EQ(Impl::splitClassMembers("x y' ' \t\r\n", members, key), 3);
  EXPECT_EQ(members, (std::vector<std::string>{"y", "x", "'"}));
  EXPECT_EQ(Impl::splitClassMembers("", members, key), 0);
}

// A component names its base by index: past the glyphs it keeps the number; a renamed
// duplicate is named by its new name.
TEST(NativeFinish, ComponentIndicesResolveToNames) {
  auto componentName = [](std::vector<std::string> names) {
    FileBuilder f;
    f.begin().glyph(GlyphRecord().name("c").components({{3, {{0, 0, 1.0, 1.0}}}}));
    for (const std::string& name : names) f.glyph(GlyphRecord().name(name));
    ReadMaster r(f.end().bytes());
    EXPECT_TRUE(r.ok);
    return r.glyph(0).components.front().baseName;
  };
  EXPECT_EQ(componentName({"g1", "g2"}), "3");
  EXPECT_EQ(componentName({"g1", "g2", "g3"}), "g3");
  EXPECT_EQ(componentName({"a", "a", "a"}), "a3");
}

TEST(NativeFinish, KeyGlyphKerningBecomesClassKerning) {
  ReadMaster r(keyClassFile());
  ASSERT_TRUE(r.ok);
  auto& registry = otl::glyphNameRegistry();
  const auto& kerning = r.font().kerning();
  const uint32_t left = registry.idForName("@MMK_L_A");
  const uint32_t right = registry.idForName("@MMK_R_V");
  const auto* leftClass = kerning.groups.find(left);
  const auto* rightClass = kerning.groups.find(right);
  ASSERT_NE(leftClass, nullptr);
  ASSERT_NE(rightClass, nullptr);
  EXPECT_EQ(leftClass->side, 1u);
  EXPECT_EQ(rightClass->side, 2u);
  EXPECT_EQ(leftClass->keyGlyph, "A");
  EXPECT_EQ(leftClass->glyphs, (vn::GlyphIdSet{registry.idForName("A"), registry.idForName("Aacute")}));

  std::map<std::pair<std::string, std::string>, double> pairs;
  for (const auto& [key, value] : kerning.pairs) pairs[{key.first.name(), key.second.name()}] = value;
  EXPECT_EQ(pairs.size(), 4u);
  EXPECT_EQ((pairs[{"@MMK_L_A", "@MMK_R_V"}]), -80);  // A V: both keys
  EXPECT_EQ((pairs[{"@MMK_L_A", "W"}]), -20);         // A W: left key only
  EXPECT_EQ((pairs[{"Aacute", "W"}]), -15);
  EXPECT_EQ((pairs[{"V", "A"}]), -40);                // V is not a left key
}

TEST(NativeFinish, WeightAndWidthClassesFromTheirNames) {
  FileBuilder f;
  f.begin()
      .fontInfo(std::nullopt, {record(1028, Payload().text("Bold")), record(1065, Payload().text("Condensed"))})
      .end();
  ReadMaster r(f.bytes());
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.style().metrics.weightValue, 700);
  EXPECT_EQ(r.style().metrics.widthValue, 3);
}

// applyMaster on a design space set directly (the file records that fill it belong
// to the metrics block).
std::unique_ptr<qtf::Parser::Impl> designSpace(std::vector<std::pair<std::string, std::string>> axes,
                              std::vector<std::vector<double>> masters) {
  auto impl = std::make_unique<qtf::Parser::Impl>(nullptr, nullptr);
  for (const auto& [name, label] : axes) {
    vn::Axis axis(name);
    axis.label = label;
    impl->state.axes.axes.push_back(axis);
  }
  impl->state.axes.masters.clear();
  for (auto& coordinates : masters) impl->state.axes.masters.push_back(vn::MasterRecord{"m", 1, coordinates});
  return impl;
}

// Each master names its style from its coordinates: (weight, width, weight name, width
// name, spare name); masters from 1 on have their weights counted; past the masters
// nothing changes; without axes the classes stay, clamped.
TEST(NativeMasters, ApplyMasterNamesTheStyle) {
  auto impl = designSpace({{"weight", ""}, {"width", ""}, {"Optical", "Opt"}},
                          {{250, 3000, 12.4}, {1000, 9000, 30}, {50, 0, 0}});
  using Names = std::tuple<int, int, std::string, std::string, std::string>;
  const Names expected[] = {{250, 3, vn::weightNameFor(250), vn::widthNameFor(3, false), "Opt12"},
                            {950, 9, vn::weightNameFor(950), vn::widthNameFor(9, false), "Opt30"},
                            {100, 1, vn::weightNameFor(100), vn::widthNameFor(1, false), "Opt0"},
                            {400, 5, "", "", ""}};
  for (int m = 0; m < 4; ++m) {
    const auto s = freshPair();
    impl->applyMaster(s->style, m);
    const vn::Style& st = *s->style;
    EXPECT_EQ(Names(st.metrics.weightValue, st.metrics.widthValue, st.names.weightName, st.names.widthName,
                    st.names.spareName),
              expected[m]) << m;
  }
  impl->applyMaster(nullptr, 0);

  auto noAxes = designSpace({}, {{}, {}});
  const auto s = freshPair();
  s->style->metrics.weightValue = 0;
  s->style->metrics.widthValue = 12;
  noAxes->applyMaster(s->style, 1);
  EXPECT_EQ(std::tie(s->style->metrics.weightValue, s->style->metrics.widthValue), std::make_tuple(400, 9));
}

}  // namespace
}  // namespace qtftest

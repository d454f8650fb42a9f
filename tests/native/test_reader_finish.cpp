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

TEST(NativeFinish, NameBaseAndClassSplitting) {
  using Impl = qtf::Parser::Impl;
  EXPECT_EQ(Impl::nameBase("a.12"), "a");
  EXPECT_EQ(Impl::nameBase("a."), "a");
  EXPECT_EQ(Impl::nameBase("a.b"), "a.b");
  EXPECT_EQ(Impl::nameBase("a.1x"), "a.1x");
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

TEST(NativeFinish, ComponentIndicesResolveAgainstTheGlyphCount) {
  auto componentName = [](size_t glyphs) {
    FileBuilder f;
    f.begin().glyph(GlyphRecord().name("g0").components({{3, {{0, 0, 1.0, 1.0}}}}));
    for (size_t i = 1; i < glyphs; ++i) f.glyph(GlyphRecord().name("g" + std::to_string(i)));
    f.end();
    ReadMaster r(f.bytes());
    EXPECT_TRUE(r.ok);
    return r.glyph(0).components.front().baseName;
  };
  EXPECT_EQ(componentName(3), "3");
  EXPECT_EQ(componentName(4), "g3");
}

TEST(NativeFinish, ComponentNamesFollowRenamedDuplicates) {
  FileBuilder f;
  f.begin()
      .glyph(GlyphRecord().name("a"))
      .glyph(GlyphRecord().name("a"))
      .glyph(GlyphRecord().name("c").components({{1, {{0, 0, 1.0, 1.0}}}}))
      .end();
  ReadMaster r(f.bytes());
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.glyph(2).components.front().baseName, "a2");
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
struct MasterNames {
  vn::Style* style = new vn::Style();
  ~MasterNames() { style->release(); }
};

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

TEST(NativeMasters, ApplyMasterNamesTheStyle) {
  auto impl = designSpace({{"weight", ""}, {"width", ""}, {"Optical", "Opt"}},
                          {{250, 3000, 12.4}, {1000, 9000, 30}, {50, 0, 0}});
  MasterNames first;
  impl->applyMaster(first.style, 0);
  EXPECT_EQ(first.style->metrics.weightValue, 250);
  EXPECT_EQ(first.style->metrics.widthValue, 3);
  EXPECT_EQ(first.style->names.weightName, vn::weightNameFor(250));
  EXPECT_EQ(first.style->names.widthName, vn::widthNameFor(3, false));
  EXPECT_EQ(first.style->names.spareName, "Opt12");
  EXPECT_FALSE(first.style->names.styleName.empty());

  // Masters from 1 on take their own coordinates (their weights are counted).
  MasterNames second;
  impl->applyMaster(second.style, 1);
  EXPECT_EQ(second.style->metrics.weightValue, 950);
  EXPECT_EQ(second.style->metrics.widthValue, 9);
  EXPECT_EQ(second.style->names.spareName, "Opt30");
  MasterNames third;
  impl->applyMaster(third.style, 2);
  EXPECT_EQ(third.style->metrics.weightValue, 100);
  EXPECT_EQ(third.style->metrics.widthValue, 1);

  // Past the masters, or no style: nothing.
  MasterNames past;
  impl->applyMaster(past.style, 3);
  EXPECT_EQ(past.style->metrics.weightValue, 400);
  impl->applyMaster(nullptr, 0);
}

TEST(NativeMasters, WithoutAxesTheClassesStayAndAreClamped) {
  auto impl = designSpace({}, {{}, {}});
  MasterNames s;
  s.style->metrics.weightValue = 0;
  s.style->metrics.widthValue = 12;
  impl->applyMaster(s.style, 1);
  EXPECT_EQ(s.style->metrics.weightValue, 400);
  EXPECT_EQ(s.style->metrics.widthValue, 9);
}

}  // namespace
}  // namespace qtftest

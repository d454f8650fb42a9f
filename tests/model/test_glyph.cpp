// Glyphs: component boxes, flattening and decomposition, layer boxes.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "model/font.h"
#include "model/glyph.h"

namespace {

using vn::Font;
using vn::Glyph;
using vn::Ref;

// A font of glyphs made from (name, components, square size) entries.
struct TestFont {
  Ref<Font> font = Ref<Font>::adopt(new Font());

  Glyph& add(const std::string& name, double size = 0) {
    Glyph* g = new Glyph();
    g->setName(name);
    if (size > 0) {
      vn::Contour c;
      for (auto [x, y] : {std::pair{0.0, 0.0}, {size, 0.0}, {size, size}, {0.0, size}}) {
        vn::Node n;
        n.type = c.nodes.empty() ? 0 : 1;
        n.x = x;
        n.y = y;
        c.nodes.push_back(n);
      }
      g->varnelData().addToBody(c);
    }
    font->appendGlyph(g);
    return *g;
  }
  static void use(Glyph& g, const std::string& base, vn::Matrix m = {}) { g.components.push_back({base, m}); }
  vn::Rect box(const Glyph& g) {
    vn::Rect r;
    g.boundingBox(r, *font, vn::Matrix{}, true, false);
    return r;
  }
  // xMin, yMin, xMax, yMax of the glyph's box.
  std::array<double, 4> edges(const Glyph& g) {
    const vn::Rect r = box(g);
    return {r.xMin, r.yMin, r.xMax, r.yMax};
  }
};
using Edges = std::array<double, 4>;

TEST(ComponentTest, BoxesFollowComponentsAndStopAtCyclesAndDepth) {
  TestFont t;
  t.add("A", 10);
  Glyph& b = t.add("B");
  TestFont::use(b, "A", vn::Matrix::translation(100, 0));
  TestFont::use(b, "A", vn::Matrix::translation(0, 200));
  EXPECT_EQ(t.edges(b), (Edges{0, 0, 110, 210}));

  // A component on a glyph without outline adds nothing, wherever it comes in the list.
  t.add("space");
  Glyph& spaced = t.add("spaced");
  TestFont::use(spaced, "A", vn::Matrix::translation(300, 400));
  TestFont::use(spaced, "space");
  EXPECT_EQ(t.edges(spaced), (Edges{300, 400, 310, 410}));

  // Self reference ends the component loop but keeps the own outline.
  Glyph& self = t.add("S", 5);
  TestFont::use(self, "S");
  TestFont::use(self, "A", vn::Matrix::translation(1000, 0));
  EXPECT_EQ(t.edges(self), (Edges{0, 0, 5, 5}));

  // A cycle C -> D -> C ends (depth limit) and still holds what it reaches.
  Glyph& c = t.add("C", 20);
  Glyph& d = t.add("D");
  TestFont::use(c, "D", vn::Matrix::translation(1, 0));
  TestFont::use(d, "C", vn::Matrix::translation(1, 0));
  EXPECT_EQ(t.edges(d), (Edges{1, 0, 29, 20}));  // C at depth 1, 3, 5, 7, 9: shifted by 1 per level

  // A rotated cycle walks the exact path, bounded by the depth as well.
  Glyph& e = t.add("E", 20);
  TestFont::use(e, "E2", vn::Matrix{0, 1, -1, 0, 0, 0});
  Glyph& e2 = t.add("E2");
  TestFont::use(e2, "E", vn::Matrix{0, 1, -1, 0, 0, 0});
  EXPECT_EQ(t.edges(e), (Edges{-20, -20, 20, 20}));  // turned a quarter at each level

  // Levels beyond 10 add nothing: chain L0 -> L1 -> ... -> L11 (square at the end).
  t.add("L11", 7);
  for (int i = 10; i >= 0; --i) TestFont::use(t.add("L" + std::to_string(i)), "L" + std::to_string(i + 1));
  EXPECT_TRUE(t.box(*t.font->glyphByName("L0")).empty);
  EXPECT_EQ(t.box(*t.font->glyphByName("L1")).xMax, 7);
}

TEST(ComponentTest, WideComponentGraphStaysFast) {
  // Each level uses the level below 20 times: 20^10 paths if walked naively.
  TestFont t;
  t.add("W0", 1);
  for (int level = 1; level <= 10; ++level) {
    Glyph& g = t.add("W" + std::to_string(level));
    for (int i = 0; i < 20; ++i) TestFont::use(g, "W" + std::to_string(level - 1), vn::Matrix::translation(i, 0));
  }
  const vn::Rect box = t.box(*t.font->glyphByName("W10"));
  EXPECT_EQ(box.xMax, 10 * 19 + 1);
  const vn::Rect all = t.font->boundingBox(nullptr);
  EXPECT_EQ(all.xMax, 10 * 19 + 1);

  // The same with rotated components, which cannot reuse boxes exactly.
  TestFont r;
  r.add("R0", 1);
  for (int level = 1; level <= 10; ++level) {
    Glyph& g = r.add("R" + std::to_string(level));
    for (int i = 0; i < 20; ++i) TestFont::use(g, "R" + std::to_string(level - 1), vn::Matrix{0, 1, -1, 0, double(i), 0});
  }
  EXPECT_FALSE(r.box(*r.font->glyphByName("R10")).empty);
  const vn::Matrix skew{1, 0, 0.2, 1, 0, 0};
  EXPECT_FALSE(r.font->boundingBox(&skew).empty);

  // Flattening a graph this wide would list 20^10 components: it decomposes instead,
  // within its work bound.
  Glyph& top = t.add("Wtop");
  TestFont::use(top, "W10");
  ASSERT_TRUE(top.convertOutline(*t.font, false));
  EXPECT_TRUE(top.components.empty());
  EXPECT_LE(top.bodyLayer()->elements.size(), vn::kMaxDecomposedItems);
  EXPECT_FALSE(top.bodyLayer()->elements.empty());

  // The same graph without any outline: nothing to copy, and the walk still ends.
  TestFont e;
  e.add("E0");
  for (int level = 1; level <= 12; ++level) {
    Glyph& g = e.add("E" + std::to_string(level));
    for (int i = 0; i < 20; ++i) TestFont::use(g, "E" + std::to_string(level - 1), vn::Matrix{1, 0, 0.5, 1, 0, 0});
  }
  Glyph& empty = *e.font->glyphByName("E12");
  ASSERT_TRUE(empty.convertOutline(*e.font, true));
  EXPECT_TRUE(empty.components.empty());
}

TEST(ComponentTest, DecompositionWorkIsBoundedForLayersAndHints) {
  // A base of many layers, each with an element and a hint, reached 16^5 times through
  // sheared components: everything copied counts against one budget.
  TestFont t;
  Glyph& base = t.add("H0", 2);
  vn::VarnelData& data = base.varnelData();
  data.bodyLayer().hints.push_back(vn::Hint{});
  for (int i = 0; i < 40; ++i) {
    vn::Layer& layer = data.layers.emplace_back("L" + std::to_string(i));
    layer.elements.push_back(data.bodyLayer().elements.front());
    layer.hints.push_back(vn::Hint{});
  }
  for (int level = 1; level <= 5; ++level) {
    Glyph& g = t.add("H" + std::to_string(level));
    for (int i = 0; i < 16; ++i) TestFont::use(g, "H" + std::to_string(level - 1), vn::Matrix{1, 0, 0.1, 1, 0, 0});
  }
  Glyph& top = t.add("Htop");
  TestFont::use(top, "H5");
  ASSERT_TRUE(top.convertOutline(*t.font, true));
  EXPECT_TRUE(top.components.empty());
  size_t copied = 0;
  for (const vn::Layer& layer : top.varnelData().layers) copied += 1 + layer.elements.size() + layer.hints.size();
  EXPECT_LE(copied, vn::kMaxDecomposedItems);
  // Every layer of the base arrives once, in the base's order.
  ASSERT_EQ(top.varnelData().layers.size(), 41u);
  EXPECT_EQ(top.varnelData().layers.back().name, "L39");
  EXPECT_FALSE(top.bodyLayer()->hints.empty());
}

TEST(ComponentTest, SharedBranchesDecomposeOncePerGlyphAndDepth) {
  TestFont t;
  t.add("c0", 1);
  for (int i = 1; i <= 3; ++i) {
    Glyph& g = t.add("c" + std::to_string(i));
    TestFont::use(g, "c" + std::to_string(i - 1), vn::Matrix::translation(5, 0));
    TestFont::use(g, "c" + std::to_string(i - 1), vn::Matrix{1, 0, 0.5, 1, 0, 0});
  }
  t.font->rebuildGlyphIndex();
  auto near = Ref<Glyph>::adopt(new Glyph());
  near->assign(*t.font->glyphByName("c3"), true);
  ASSERT_TRUE(near->convertOutline(*t.font, true));
  EXPECT_EQ(near->bodyLayer()->elements.size(), 8u);  // 2^3 paths to c0

  // What a cycle cuts off on one path still arrives on another: P -> Z -> (P on the
  // path), then Q -> Z -> P at the same depth.
  Glyph& p = t.add("P", 3);
  Glyph& z = t.add("Z");
  Glyph& q = t.add("Q");
  TestFont::use(p, "Z");
  TestFont::use(z, "P");
  TestFont::use(q, "Z");
  Glyph& top = t.add("T");
  TestFont::use(top, "P");
  TestFont::use(top, "Q");
  ASSERT_TRUE(top.convertOutline(*t.font, false));
  EXPECT_EQ(top.bodyLayer()->elements.size(), 2u);  // P directly and P through Q and Z
}

TEST(ComponentTest, FlattenOrDecompose) {
  TestFont t;
  t.add("base", 10);
  Glyph& mid = t.add("mid");
  TestFont::use(mid, "base", vn::Matrix::translation(5, 0));
  Glyph& top = t.add("top");
  TestFont::use(top, "mid", vn::Matrix::translation(0, 7));
  TestFont::use(top, "base");
  EXPECT_FALSE(t.font->glyphByName("base")->convertOutline(*t.font, true));

  ASSERT_TRUE(top.convertOutline(*t.font, true));
  ASSERT_EQ(top.components.size(), 2u);
  EXPECT_EQ(top.components.front().baseName, "base");
  EXPECT_EQ(top.components.front().matrix, vn::Matrix::translation(5, 7));

  // A transformed entry with decomposeTransformed: outlines are copied in, components go.
  Glyph& slanted = t.add("slanted");
  TestFont::use(slanted, "mid", vn::Matrix{1, 0, 0.2, 1, 0, 0});
  ASSERT_TRUE(slanted.convertOutline(*t.font, true));
  EXPECT_TRUE(slanted.components.empty());
  const vn::Layer* body = slanted.bodyLayer();
  ASSERT_NE(body, nullptr);
  ASSERT_EQ(body->elements.size(), 1u);
  EXPECT_EQ(body->elements.front().matrix, (vn::Matrix{1, 0, 0.2, 1, 5, 0}));

  // A component cycle decomposes without running away.
  Glyph& p = t.add("P", 3);
  Glyph& q = t.add("Q", 4);
  TestFont::use(p, "Q");
  TestFont::use(q, "P");
  ASSERT_TRUE(p.convertOutline(*t.font, false));
  EXPECT_TRUE(p.components.empty());
  EXPECT_EQ(p.bodyLayer()->elements.size(), 2u);  // own square and Q's

  // A copy of a glyph in a cycle (as the writers decompose) does not take in the
  // font's glyph it was copied from a second time.
  Glyph& ring = t.add("ring", 6);
  Glyph& back = t.add("back");
  TestFont::use(ring, "back", vn::Matrix{1, 0, 0.3, 1, 0, 0});
  TestFont::use(back, "ring");
  TestFont::use(back, "base");
  t.font->rebuildGlyphIndex();
  auto copy = Ref<Glyph>::adopt(new Glyph());
  copy->assign(ring, true);
  ASSERT_TRUE(copy->convertOutline(*t.font, true));
  EXPECT_EQ(copy->bodyLayer()->elements.size(), 2u);  // its own square and base's
}

TEST(GlyphDataTest, BoxesLeaveOutTheMaskAndHiddenLayers) {
  Ref<Glyph> g = Ref<Glyph>::adopt(new Glyph());
  vn::VarnelData& data = g->varnelData();
  data.bodyLayer();
  vn::Layer* mask = data.maskLayer(true);
  ASSERT_NE(mask, nullptr);
  EXPECT_EQ(data.layers.front().name, "Mask");
  vn::Contour body;
  body.nodes.resize(2);
  body.nodes.back().x = 10;
  data.addToBody(body);
  vn::Contour far;
  far.nodes.resize(1);
  far.nodes.front().x = 500;
  mask->addContour(far);
  data.layers.emplace_back("Extra");
  data.layers.back().addContour(far);
  // Each flag has its own box: the mask never counts, other layers only without it.
  vn::Rect box;
  for (const auto& [bodyOnly, xMax] : {std::pair{true, 10}, {false, 500}, {true, 10}}) {
    data.boundingBox(box, nullptr, bodyOnly);
    EXPECT_EQ(box.xMax, xMax) << bodyOnly;
  }
  data.layers.back().visible = 0;
  data.invalidateBox();
  data.boundingBox(box, nullptr, false);
  EXPECT_EQ(box.xMax, 10);
}

}  // namespace

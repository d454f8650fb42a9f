// Glyph records and every glyph-level payload, read through the whole reader.
#include <gtest/gtest.h>

#include <cmath>

#include "model/glyph_data.h"
#include "model/layer.h"
#include "native/reader_fixture.h"

namespace qtftest {
namespace {

const vn::Layer& body(vn::Glyph& g) { return *g.varnelData().findLayer("Body"); }

std::vector<vn::Node> nodesOf(const vn::Element& e) {
  std::vector<vn::Node> out;
  for (const auto& c : e.contours)
    for (const auto& n : c.nodes) out.push_back(n);
  return out;
}

// Per contour "|" and its flag, then each node as "type@x,y" with "s" when smooth.
std::string shape(const vn::Element& e) {
  std::string out;
  for (const auto& c : e.contours) {
    out += "|" + std::to_string(c.flag);
    for (const auto& n : c.nodes) {
      out += " " + std::to_string(n.type) + "@" + std::to_string(static_cast<long>(n.x)) + "," +
             std::to_string(static_cast<long>(n.y)) + (n.flags & vn::Node::kFlagSmooth ? "s" : "");
    }
  }
  return out;
}

TEST(NativeGlyphs, OutlineRunningSumsCurveOrderAndFlags) {
  ElementBuilder e;
  e.node(0, {{10, 0}}).node(3, {{0, 10}, {5, 5}, {5, 5}}).node(1, {{0, -20}});
  FileBuilder f;
  f.begin()
      .glyph(GlyphRecord().name("c").element(e.bytes()))
      .add(2006)
      .glyph(GlyphRecord().element(
          ElementBuilder().moveTo(0, 0, true, true).lineTo(5, 5, true).quadTo(9, 9).moveTo(1, 1).bytes()))
      .end();
  ReadMaster r(f.bytes());
  ASSERT_TRUE(r.ok);
  // Deltas summed; the curve's controls come before its end point.
  EXPECT_EQ(shape(body(r.glyph(0)).elements.front()), "|0 0@10,0 3@15,15 3@20,20 1@10,10 1@20,0");
  EXPECT_EQ(shape(body(r.glyph(1)).elements.front()), "|1 0@0,0s 1@5,5s 2@9,9|0 0@1,1");
}

TEST(NativeGlyphs, TwoMasterRecordsKeepTheSelectedMaster) {
  ElementBuilder e(2);
  e.node(0, {{10, 20}, {30, 40}}).node(1, {{1, 1}, {5, 5}});
  FileBuilder f;
  f.begin()
      .fontInfo(2)
      .glyph(GlyphRecord()
                 .name("m")
                 .element(e.bytes())
                 .advance({{500, 0}, {600, 10}})
                 .hints(hintsPayload({{{{10, 20}, {11, 21}}}}, {}, {}))
                 .kerning({{0, {0, -30}}})
                 .components({{0, {{1, 2, 1.0, 1.0}, {3, 4, 0.5, 2.0}}}}))
      .add(2023, Payload().n(700).n(800))
      .end();
  for (int m = 0; m < 2; ++m) {
    ReadMaster r(f.bytes(), m);
    ASSERT_TRUE(r.ok) << m;
    vn::Glyph& g = r.glyph(0);
    const auto nodes = nodesOf(body(g).elements.front());
    EXPECT_EQ(nodes[0].x, m == 0 ? 10 : 30);
    EXPECT_EQ(nodes[1].y, m == 0 ? 21 : 45);
    EXPECT_EQ(g.advanceWidth, m == 0 ? 500 : 600);
    EXPECT_EQ(g.advanceHeight, m == 0 ? 700 : 800);
    EXPECT_EQ(body(g).hints.at(0).position, m == 0 ? 10 : 11);
    const vn::Matrix expected = m == 0 ? vn::Matrix{1, 0, 0, 1, 1, 2} : vn::Matrix{0.5, 0, 0, 2.0, 3, 4};
    EXPECT_EQ(g.components.front().matrix, expected);
    EXPECT_EQ(r.font().kerning().pairs.size(), m == 0 ? 0u : 1u);
  }
}

TEST(NativeGlyphs, EveryPayloadKindOfOneGlyph) {
  ReadMaster r(everyPayloadFile());
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.font().glyphCount(), 2u);
  vn::Glyph& g = r.glyph(1);
  const vn::Layer& layer = body(g);

  EXPECT_EQ(std::tie(g.advanceWidth, g.advanceHeight, g.markColor, g.pointDataValue, layer.value1, layer.value2),
            std::make_tuple(640.0, 700.0, 3, 7, -5, 12));
  EXPECT_EQ(g.unicodes, (std::vector<uint32_t>{0x41, 0x42, 0x1F600}));
  EXPECT_EQ(g.commandBytes, (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(std::string(g.byteBlock.begin(), g.byteBlock.end()), "blob");
  EXPECT_EQ(g.namedStrings, (std::map<std::string, std::string>{{"note", "a note"}, {"dict", "a dict"}}));
  ASSERT_EQ(g.pairRecords.size(), 1u);
  EXPECT_EQ(g.pairRecords[0].second, 4);
  EXPECT_EQ(g.pointDataValues, (std::vector<uint16_t>{10, 20}));

  // Hints: two horizontal, one vertical, then the three hint links taken (a ghost link
  // has no second point).
  std::string hints;
  for (const vn::Hint& h : layer.hints) {
    hints += std::to_string(static_cast<int>(h.position)) + "/" + std::to_string(static_cast<int>(h.width)) +
             (h.horizontal ? "h" : "v") + h.firstPoint + "-" + h.secondPoint + " ";
  }
  EXPECT_EQ(hints, "0/20h- 80/-21h- 40/10v- 0/100h0-3 0/-21h1- 0/100v0-1 ");

  // Replacements resolved to absolute indices; the bad entries dropped. Horizontal
  // hints 0..1 keep their places, the vertical one is at 2; point -3 -> 2 -> node 4.
  std::vector<std::pair<int32_t, int32_t>> replacements;
  for (const auto& rr : layer.replacements) replacements.push_back({rr.kind, rr.index});
  EXPECT_EQ(replacements, (std::vector<std::pair<int32_t, int32_t>>{{1, 1}, {2, 2}, {3, 4}}));

  // Guides: horizontal at 100 with slope 0.5, vertical at 30; named and coloured.
  ASSERT_EQ(layer.guides.size(), 2u);
  const vn::Guide& h = layer.guides[0];
  const vn::Guide& v = layer.guides[1];
  EXPECT_EQ(std::tie(h.x2, h.y2, h.name, v.x1, v.y2, v.name), std::make_tuple(100.0, 150.0, "top", 30.0, 100.0, "stem"));
  EXPECT_EQ(h.color, (std::array<double, 4>{0.0, 128 / 255.0, 1.0, 1.0}));

  // Components by index; an index past the glyphs keeps its number.
  ASSERT_EQ(g.components.size(), 2u);
  EXPECT_EQ(g.components.front().baseName, "A");
  EXPECT_EQ(g.components.front().matrix, (vn::Matrix{1, 0, 0, 1, 10, 20}));
  EXPECT_EQ(g.components.back().baseName, "7");

  // Kerning B -> A of -50; the zero and the out-of-range pairs dropped.
  const auto& pairs = r.font().kerning().pairs;
  ASSERT_EQ(pairs.size(), 1u);
  EXPECT_EQ(std::make_tuple(pairs.begin()->first.first.name(), pairs.begin()->first.second.name(), pairs.begin()->second),
            std::make_tuple(std::string("B"), std::string("A"), -50.0));

  // Point links, their references and values.
  ASSERT_EQ(layer.links.size(), 1u);
  const vn::PointLink& link = layer.links[0];
  EXPECT_EQ(std::tie(link.name, link.first.index, link.second.index, link.second.secondIndex, link.hue, link.value),
            std::make_tuple("pl", 2, 5, -1, 33, 44));

  // The mask outline.
  const vn::Layer* mask = g.varnelData().findLayer("Mask");
  ASSERT_NE(mask, nullptr);
  ASSERT_EQ(mask->elements.size(), 1u);
  EXPECT_EQ(mask->elements.front().strokeStyle.kind, 1);
  EXPECT_EQ(mask->elements.front().fillStyle.kind, 0);
}

TEST(NativeGlyphs, RejectedAndToleratedPayloads) {
  auto readGlyph = [](const GlyphRecord& g) {
    FileBuilder f;
    f.begin().glyph(g).end();
    return ReadMaster(f.bytes()).ok;
  };
  EXPECT_FALSE(readGlyph(GlyphRecord().signature({1, 9, 7, 2}).name("a")));
  // Outlines of more masters than the font has, or stating a count past the limit.
  EXPECT_FALSE(readGlyph(GlyphRecord().name("x").element(ElementBuilder(2).moveTo(0, 0).bytes())));
  EXPECT_FALSE(readGlyph(GlyphRecord().element(ElementBuilder().statedMasters(17).moveTo(0, 0).bytes())));
  EXPECT_TRUE(readGlyph(GlyphRecord().name("a").key(7).key(99)));  // 7 ends the record
  EXPECT_FALSE(readGlyph(GlyphRecord().element(ElementBuilder().lineTo(1, 1).bytes())));  // no move first
  EXPECT_FALSE(readGlyph(GlyphRecord().element(ElementBuilder().node(2, {{0, 0}}).bytes())));
  EXPECT_FALSE(readGlyph(GlyphRecord().key(10, numberBytes(-1))));
  EXPECT_FALSE(readGlyph(GlyphRecord().key(10, numberBytes(50)).key(7)));  // longer than the record
  // Counts of millions with a few bytes behind them fail before allocating.
  EXPECT_FALSE(readGlyph(GlyphRecord().key(5, numberBytes(50000000))));
  EXPECT_FALSE(readGlyph(GlyphRecord().key(6, numberBytes(50000000))));
  EXPECT_FALSE(readGlyph(GlyphRecord().element(ElementBuilder().moveTo(0, 0).recordCount(40000000).bytes())));
  // An element without node records is empty, not wrong.
  EXPECT_TRUE(readGlyph(GlyphRecord().element(ElementBuilder().recordCount(0).bytes())));

  // A hint list over 5000 ends the hints with success and adds nothing.
  FileBuilder f;
  f.begin().glyph(GlyphRecord().hints(Payload().n(5001).n(1).n(2)).key(7)).end();
  ReadMaster r(f.bytes());
  ASSERT_TRUE(r.ok);
  EXPECT_TRUE(body(r.glyph(0)).hints.empty());

  // The glyph name is cut to 255 bytes.
  FileBuilder n;
  n.begin().glyph(GlyphRecord().name(std::string(300, 'x'))).end();
  ReadMaster rn(n.bytes());
  ASSERT_TRUE(rn.ok);
  EXPECT_EQ(rn.glyph(0).name.size(), 255u);
}

TEST(NativeGlyphs, GuidePropertiesStayInsideTheGuides) {
  FileBuilder f;
  f.begin()
      .glyph(GlyphRecord().guides(guidesPayload({{{{10, 0}}}}, {{{{20, 0}}}})))
      .add(2031, guidePropertiesPayload({{1, 1, "h"}, {50, 1, "far"}}, {{1, 2, "v"}, {1000000, 3, "far"}}))
      .end();
  ReadMaster r(f.bytes());
  ASSERT_TRUE(r.ok);
  const auto& guides = body(r.glyph(0)).guides;
  ASSERT_EQ(guides.size(), 2u);
  EXPECT_EQ(guides[0].name, "h");
  // Two horizontal entries were read, so vertical k = 1 addresses index 2: none.
  EXPECT_EQ(guides[1].name, "");
}

TEST(NativeGlyphs, OlderGlyphBlock) {
  ReadMaster r(olderGlyphBlockFile());
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.font().glyphCount(), 1u);
  vn::Glyph& g = r.glyph(0);
  EXPECT_EQ(g.name, "old");
  EXPECT_EQ(g.advanceWidth, 300);
  EXPECT_EQ(g.advanceHeight, -40);
  EXPECT_EQ(body(g).elements.size(), 1u);
  EXPECT_EQ(body(g).hints.size(), 1u);
  EXPECT_EQ(body(g).guides.size(), 1u);
  EXPECT_EQ(g.unicodes, (std::vector<uint32_t>{0x20}));

  auto blockFails = [](std::vector<std::pair<uint16_t, Bytes>> inner) {
    FileBuilder b;
    b.begin().add(1236);
    for (auto& [tag, payload] : inner) b.add(tag, payload);
    b.add(1231).end();
    return !ReadMaster(b.bytes()).ok;
  };
  EXPECT_TRUE(blockFails({{1232, Payload().text("x")}}));                   // must start with 1235/2002
  EXPECT_TRUE(blockFails({{1235, Payload().u16(2)}}));                      // count differs
  EXPECT_TRUE(blockFails({{1235, Payload().u16(1)}, {1232, Bytes(41, 'n')}}));  // name too long
  EXPECT_FALSE(blockFails({{1235, Payload().u16(1)}, {1232, Bytes(40, 'n')}}));

  // A block that never closes fails.
  FileBuilder open;
  open.begin().add(1236).add(1235, Payload().u16(1)).add(5).add(2);
  EXPECT_FALSE(ReadMaster(open.bytes()).ok);

  // 1239 is skipped with its content.
  FileBuilder skipped;
  skipped.begin().add(1239).add(2001, Bytes{9, 9}).add(1231).glyph(GlyphRecord().name("z")).end();
  ReadMaster rs(skipped.bytes());
  ASSERT_TRUE(rs.ok);
  ASSERT_EQ(rs.font().glyphCount(), 1u);
  EXPECT_EQ(rs.glyph(0).name, "z");
}

TEST(NativeGlyphs, NameTableBlockTopLevelRecordsAndFontWideGuides) {
  ReadMaster r(nameTableFile());
  ASSERT_TRUE(r.ok);
  const auto& tables = r.style().tables;
  EXPECT_EQ(tables.nameMap1, (std::map<uint16_t, std::string>{{3, "again"}}));
  EXPECT_EQ(tables.nameMap2.at(7), "second");
  EXPECT_EQ(tables.nameValue, 9);
  EXPECT_EQ(r.style().names.namedStrings.at("postscriptDefaultCharacter"), "space");
  const auto& o = r.style().options;
  EXPECT_EQ(std::tie(o.integers[0], o.ratios[0], o.offsets[0]), std::make_tuple(31, 2.5, -2));
  EXPECT_TRUE(o.packedFlags20[0]);
  EXPECT_TRUE(o.packedFlags20[5]);
  EXPECT_FALSE(o.packedFlags20[1]);
  EXPECT_TRUE(o.packedFlags48[0]);
  EXPECT_TRUE(o.packedFlags48[6]);

  const vn::Layer& global = r.font().globalLayer;
  ASSERT_EQ(global.guides.size(), 2u);
  EXPECT_EQ(global.guides[0].y1, 10);
  EXPECT_EQ(global.guides[1].name, "h");
  EXPECT_EQ(global.guides[1].x2, 21);
  // The font-level outline states two masters, so the glyph's two-master outline fits.
  ASSERT_EQ(global.elements.size(), 1u);
  FileBuilder bad;
  bad.begin().add(262).add(1502, Payload().u32(1)).add(518).end();
  EXPECT_FALSE(ReadMaster(bad.bytes()).ok);
}

// Each hint-link record of a large outline costs its own bytes: the point table is
// taken once per glyph, not once per record (this read would otherwise take hours).
TEST(NativeGlyphs, ManyHintLinkRecordsShareOnePointTable) {
  constexpr int32_t kPoints = 60000;
  ElementBuilder outline;
  outline.moveTo(0, 0);
  for (int32_t i = 1; i < kPoints; ++i) outline.lineTo(i, i % 7);
  FileBuilder f;
  f.begin().glyph(GlyphRecord().name("big").element(outline.bytes()));
  for (int32_t i = 0; i < kPoints; ++i) {
    Payload link;
    link.n(1).n(i).n(-1).n(0);
    f.add(2008, link.bytes());
  }
  f.add(2006).glyph(GlyphRecord().name("small").element(squareElement()));
  f.add(2008, Payload().n(0).n(1).n(0).n(1));
  f.end();
  ReadMaster r(f.bytes());
  ASSERT_TRUE(r.ok);
  const auto& hints = body(r.glyph(0)).hints;
  ASSERT_EQ(hints.size(), static_cast<size_t>(kPoints));
  EXPECT_EQ(hints.back().position, (kPoints - 1) % 7);
  // The next glyph's links name its own points.
  ASSERT_EQ(body(r.glyph(1)).hints.size(), 1u);
  EXPECT_EQ(body(r.glyph(1)).hints[0].width, 100);
}

}  // namespace
}  // namespace qtftest

// Glyphs written by the production encoders and read back: outlines, hints, links,
// guides, point data, mask layers, components and the per-glyph record order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "layout/registry/glyph_name_registry.h"
#include "model/glyph_data.h"
#include "native/tags.h"
#include "native/writer_glyph.h"
#include "test_writer_support.h"

namespace {

using namespace writertest;

vn::Node node(int32_t type, double x, double y, uint8_t flags = 0) {
  vn::Node n;
  n.type = type;
  n.x = x;
  n.y = y;
  n.flags = flags;
  return n;
}

vn::Contour contourOf(std::initializer_list<vn::Node> nodes, uint8_t flag = 0) {
  vn::Contour c;
  c.nodes.assign(nodes.begin(), nodes.end());
  c.flag = flag;
  return c;
}

std::vector<vn::Node> nodesOf(const vn::Layer& layer) {
  std::vector<vn::Node> nodes;
  for (const vn::Element& element : layer.elements) {
    for (const vn::Contour& contour : element.contours) nodes.insert(nodes.end(), contour.nodes.begin(), contour.nodes.end());
  }
  return nodes;
}

std::string shape(const vn::Layer& layer) {
  std::string text;
  for (const vn::Element& element : layer.elements) {
    for (const vn::Contour& contour : element.contours) {
      text += "|";
      for (const vn::Node& n : contour.nodes) {
        text += std::to_string(n.type) + "(" + std::to_string(static_cast<long>(n.x)) + "," +
                std::to_string(static_cast<long>(n.y)) + ")";
      }
    }
  }
  return text;
}

vn::Hint hint(double position, double width, uint8_t horizontal, std::string first = {}, std::string second = {}) {
  vn::Hint h;
  h.position = position;
  h.width = width;
  h.horizontal = horizontal;
  h.firstPoint = std::move(first);
  h.secondPoint = std::move(second);
  return h;
}

// A glyph that uses every glyph-level record.
void fillGlyph(vn::Glyph& glyph) {
  vn::Layer& body = glyph.varnelData().bodyLayer();
  vn::Element element;
  element.contours.push_back(contourOf({node(0, 10, 0, 1), node(1, 200.4, 0), node(3, 250, 50), node(3, 250, 150),
                                        node(1, 200, 200, 1), node(2, 100, 250), node(1, 10, 200)},
                                       1));
  body.elements.push_back(element);
  vn::Element second;
  second.matrix = vn::Matrix::translation(300, 0);
  second.contours.push_back(contourOf({node(0, 0, 0), node(1, 50, 0), node(1, 50, 50)}));
  body.elements.push_back(second);
  body.hints = {hint(0, 20, 1), hint(10, 40, 0), hint(200, -21, 1), hint(0, 0, 1, "1", "4"), hint(0, 0, 0, "0", "1"),
                hint(0, 0, 1, "6", "")};
  body.replacements = {vn::ReplacementRecord{3, 0, -1, {}}, vn::ReplacementRecord{1, 0, -1, {}},
                       vn::ReplacementRecord{2, 1, -1, {}}, vn::ReplacementRecord{1, 2, -1, {}}};
  body.guides = {vn::Guide{0, 100, 100, 100, "baseline", {1.0, 0.5, 0.0, 1.0}}, vn::Guide{40, 0, 40, 100, "", {}},
                 vn::Guide{0, 300, 1000, 400, "slant", {0, 0, 1, 1}}, vn::Guide{60, 0, 60, 10, "stem", {2, -1, 0.1, 1}}};
  vn::PointLink link;
  link.name = "bar";
  link.first.index = 1;
  link.first.secondIndex = -1;
  link.second.index = 4;
  link.second.secondIndex = 2;
  link.value = 77;
  link.hue = 120;
  body.links = {link};
  body.value1 = 12;
  body.value2 = -7;
  vn::Layer* mask = glyph.varnelData().maskLayer(true);
  vn::Element maskElement;
  maskElement.contours.push_back(contourOf({node(0, 5, 5), node(1, 95, 5), node(1, 95, 95)}));
  mask->elements.push_back(maskElement);
  glyph.advanceHeight = 1000;
  glyph.unicodes = {0x41, 0x1F600};
  glyph.markColor = 90;
  glyph.byteBlock = {9, 8, 7};
  glyph.namedStrings = {{"note", ""}, {"dict", "d"}};
  glyph.pointDataValue = 5;
  glyph.pairRecords = {vn::GlyphPairRecord{1, 65535, {}, {}}};
  glyph.pointDataValues = {3, 4};
  glyph.commandBytes = {1, 2, 3};
  vn::TrueTypeData& tt = glyph.trueTypeData();
  tt.outlineKind = 1;
  tt.xMin = -5;
  tt.yMax = 700;
  tt.endPoints = {2};
  tt.points = {vn::TrueTypePoint{0, 0, 1}, vn::TrueTypePoint{-32768, 700, 0}, vn::TrueTypePoint{32767, -1, 1}};
  tt.spareBytes = {0xB0, 0x01};
}

TEST(WriterGlyphs, FullGlyphComesBack) {
  TestFont f;
  f.settleNames();
  // Reading gives every glyph a "Body" layer; this one has it already.
  f.addGlyph("space", 250).varnelData().bodyLayer();
  vn::Glyph& o = f.addGlyph("a", 520.9);
  fillGlyph(o);
  const Bytes file = writeNative(*f.pair);
  qtftest::ReadMaster read(file);
  ASSERT_TRUE(read.ok);
  ASSERT_EQ(read.font().glyphs.size(), 2u);
  vn::Glyph& g = read.glyph(1);
  EXPECT_EQ(g.name, "a");
  EXPECT_EQ(g.advanceWidth, 520);  // truncated
  EXPECT_EQ(std::tie(g.advanceHeight, g.unicodes, g.markColor, g.byteBlock, g.namedStrings, g.pointDataValue,
                     g.pointDataValues, g.commandBytes),
            std::tie(o.advanceHeight, o.unicodes, o.markColor, o.byteBlock, o.namedStrings, o.pointDataValue,
                     o.pointDataValues, o.commandBytes));
  ASSERT_EQ(g.pairRecords.size(), 1u);
  EXPECT_EQ(g.pairRecords[0].second, 65535);
  const vn::TrueTypeData* tt = g.trueTypeDataIfAny();
  ASSERT_NE(tt, nullptr);
  const vn::TrueTypeData& ott = *o.trueTypeDataIfAny();
  EXPECT_EQ(std::tie(tt->outlineKind, tt->xMin, tt->yMax, tt->endPoints, tt->spareBytes),
            std::tie(ott.outlineKind, ott.xMin, ott.yMax, ott.endPoints, ott.spareBytes));
  ASSERT_EQ(tt->points.size(), 3u);
  EXPECT_EQ(std::tie(tt->points[1].x, tt->points[2].x, tt->points[2].y), std::make_tuple(-32768, 32767, -1));

  const vn::Layer* body = g.bodyLayer();
  ASSERT_NE(body, nullptr);
  // Elements are merged into one, each placed by its matrix; coordinates rounded;
  // the curve's controls come before its end point again.
  EXPECT_EQ(shape(*body), "|0(10,0)1(200,0)3(250,50)3(250,150)1(200,200)2(100,250)1(10,200)|0(300,0)1(350,0)1(350,50)");
  ASSERT_EQ(body->elements.size(), 1u);
  EXPECT_EQ(body->elements.front().contours.front().flag, 1);
  const auto nodes = nodesOf(*body);
  EXPECT_EQ(nodes[0].flags, vn::Node::kFlagSmooth);
  EXPECT_EQ(nodes[1].flags, 0);
  EXPECT_EQ(std::tie(body->value1, body->value2), std::make_tuple(12, -7));

  // Stem hints, then the links rebuilt from their points (positions from the outline);
  // a ghost link stays a ghost.
  std::string hints;
  for (const vn::Hint& h : body->hints) {
    hints += std::to_string(static_cast<int>(h.position)) + "/" + std::to_string(static_cast<int>(h.width)) +
             (h.horizontal ? "h" : "v") + h.firstPoint + "-" + h.secondPoint + " ";
  }
  EXPECT_EQ(hints, "0/20h- 200/-21h- 10/40v- 0/0h1-4 50/-21h6- 10/190v0-1 ");
  // Replacement records name the same hints and points.
  std::vector<std::pair<int32_t, int32_t>> replacements;
  for (const auto& r : body->replacements) replacements.emplace_back(r.kind, r.index);
  EXPECT_EQ(replacements, (std::vector<std::pair<int32_t, int32_t>>{{3, 0}, {1, 0}, {2, 2}, {1, 1}}));

  // Guides: horizontal ones first. Named guides keep name and colour (alpha becomes 1,
  // channels are clamped); a guide with neither stays bare, and the others are not
  // shifted by it.
  std::string guides;
  std::vector<std::array<double, 4>> colours;
  for (const vn::Guide& guide : body->guides) {
    guides += guide.name + " " + std::to_string(static_cast<long>(guide.x1)) + "," +
              std::to_string(static_cast<long>(guide.y1)) + "/" + std::to_string(static_cast<long>(guide.y2)) + "|";
    colours.push_back(guide.color);
  }
  EXPECT_EQ(guides, "baseline 0,100/100|slant 0,300/310| 40,0/100|stem 60,0/100|");  // slant: 0.1 per unit
  EXPECT_EQ(colours, (std::vector<std::array<double, 4>>{
                         {1.0, 128 / 255.0, 0.0, 1.0}, {0.0, 0.0, 1.0, 1.0}, {}, {1.0, 0.0, 26 / 255.0, 1.0}}));

  ASSERT_EQ(body->links.size(), 1u);
  const vn::PointLink& link = body->links[0];
  EXPECT_EQ(std::tie(link.name, link.second.index, link.second.secondIndex, link.value, link.hue),
            std::make_tuple(std::string("bar"), 4, 2, 77, 120));

  const vn::Layer* mask = g.varnelDataIfAny()->findLayer(vn::Layer::kMask);
  ASSERT_NE(mask, nullptr);
  EXPECT_EQ(shape(*mask), "|0(5,5)1(95,5)1(95,95)");
  EXPECT_EQ(recordDifferences(writeNative(*read.pair), file), "");
}

TEST(WriterGlyphs, PerGlyphRecordOrder) {
  TestFont f;
  fillGlyph(f.addGlyph("a"));
  f.addGlyph("bare");
  const Bytes file = writeNative(*f.pair);
  const auto tags = tagsOf(listRecords(file));
  auto first = std::find(tags.begin(), tags.end(), 2001);
  ASSERT_NE(first, tags.end());
  EXPECT_EQ(std::vector<uint16_t>(first, first + 18),
            (std::vector<uint16_t>{2001, 2008, 2023, 2009, 2010, 2027, 1250, 1253, 2012, 2015, 2017, 2034, 2018,
                                   2020, 2031,
                                   // a glyph without outline data
                                   2001, 2023, 2018}));
  // The point-link record of a glyph without a "Body" layer still holds its link count.
  qtftest::ReadMaster read(file);
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(read.font().glyphs.size(), 2u);
}

TEST(WriterGlyphs, FileRecordOrder) {
  TestFont f;
  f.style().tables.nameMap1 = {{2, "b"}, {1, "a"}, {3, ""}};
  f.style().tables.nameMap2 = {{9, "z"}};
  f.style().names.namedStrings["postscriptDefaultCharacter"] = "space";
  f.font().globalLayer.guides = {vn::Guide{0, 500, 10, 500, "x-height", {1, 0, 0, 1}}};
  vn::Element empty;
  f.font().globalLayer.elements.push_back(empty);
  vn::Element outline;
  outline.contours.push_back(contourOf({node(0, 0, 0), node(1, 10, 0)}));
  f.font().globalLayer.elements.push_back(outline);
  f.font().globalLayer.elements.push_back(outline);
  f.addGlyph("a");
  const Bytes file = writeNative(*f.pair);
  const auto records = listRecords(file);
  const auto tags = tagsOf(records);
  const std::vector<uint16_t> head(tags.begin(), tags.begin() + 10);
  EXPECT_EQ(head, (std::vector<uint16_t>{1, 4, 10, 262, 1501, 1500, 1500, 1502, 518, 257}));
  EXPECT_EQ(records[2].payload, (Bytes{0x01, 0x8B, 0x02, 0xFF, 0x05, 0x00, 0x00, 0x01, 0x03, 0x8B, 0x00}));
  EXPECT_EQ(records[5].payload, (Bytes{1, 0, 'a'}));
  const auto end = std::find(tags.begin(), tags.end(), 513);
  ASSERT_NE(end, tags.end());
  EXPECT_EQ(std::vector<uint16_t>(end, end + 10),
            (std::vector<uint16_t>{513, 271, 1536, 527, 1294, 1296, 1295, 1066, 2001, 2023}));
  EXPECT_EQ(std::vector<uint16_t>(tags.end() - 4, tags.end()), (std::vector<uint16_t>{1743, 1744, 5, 2}));

  const auto withoutNames = tagsOf(listRecords(writeNative(*f.pair, 0)));
  EXPECT_EQ(std::count(withoutNames.begin(), withoutNames.end(), 262), 0);
  EXPECT_EQ(std::count(withoutNames.begin(), withoutNames.end(), 518), 0);

  qtftest::ReadMaster read(file);
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(read.style().tables.nameMap1, (std::map<uint16_t, std::string>{{1, "a"}, {2, "b"}}));
  EXPECT_EQ(read.style().names.namedStrings.at("postscriptDefaultCharacter"), "space");
  ASSERT_EQ(read.font().globalLayer.guides.size(), 1u);
  EXPECT_EQ(read.font().globalLayer.guides[0].name, "x-height");
  EXPECT_EQ(read.font().globalLayer.guides[0].color[0], 1.0);
  ASSERT_EQ(read.font().globalLayer.elements.size(), 1u);  // only the first element with a contour
  EXPECT_EQ(shape(read.font().globalLayer), "|0(0,0)1(10,0)");
}

TEST(WriterGlyphs, EmptySlotsTakeNoPosition) {
  TestFont f;
  f.addGlyph("A");
  f.font().glyphs.push_back(nullptr);
  vn::Glyph& b = f.addGlyph("B");
  b.components.push_back(vn::Component{"A", vn::Matrix::translation(10, 0)});
  f.font().kerning().setGlyphPair(otl::glyphIdByName("B"), otl::glyphIdByName("A"), -30, true);
  const Bytes file = writeNative(*f.pair);
  const auto tags = tagsOf(listRecords(file));
  EXPECT_EQ(std::count(tags.begin(), tags.end(), 2006), 0);
  qtftest::ReadMaster read(file);
  ASSERT_TRUE(read.ok);
  ASSERT_EQ(read.font().glyphs.size(), 2u);
  ASSERT_EQ(read.glyph(1).components.size(), 1u);
  const vn::Component& component = read.glyph(1).components.front();
  EXPECT_EQ(std::tie(component.baseName, component.matrix.e), std::make_tuple("A", 10.0));
  std::list<vn::NamedGlyphPair> pairs;
  read.font().kerning().flatGlyphPairs(pairs);
  ASSERT_EQ(pairs.size(), 1u);
  EXPECT_EQ(std::tie(pairs.front().first, pairs.front().second), std::make_tuple("B", "A"));
}

// A glyph's kerning ends its record: the pairs in ascending id of the second glyph
// (not in font order), each as the second glyph's position and the truncated value;
// pairs whose second glyph is not in the font, or whose value truncates to 0, are left
// out and not counted. Glyphs of the same name share one kerning.
TEST(WriterGlyphs, KerningPairsByRegistryOrder) {
  const vn::GlyphId c = otl::glyphIdByName("wk.c");  // registered first: smallest id
  const vn::GlyphId b = otl::glyphIdByName("wk.b");
  const vn::GlyphId missing = otl::glyphIdByName("wk.missing");
  const vn::GlyphId a = otl::glyphIdByName("wk.a");
  TestFont f;
  f.addGlyph("wk.a");
  f.addGlyph("wk.b");
  f.addGlyph("wk.c");
  f.addGlyph("wk.a");
  vn::FontKerning& kerning = f.font().kerning();
  kerning.setGlyphPair(a, a, -10, true);
  kerning.setGlyphPair(a, b, -20.7, true);
  kerning.setGlyphPair(a, c, 5, true);
  kerning.setGlyphPair(a, missing, -40, true);
  kerning.setGlyphPair(b, a, 0.4, true);
  const auto records = listRecords(writeNative(*f.pair));
  // Positions: wk.a 3 (the later one), wk.b 1, wk.c 2; numbers are v + 139.
  const Bytes kerned{qtf::glyphkey::kKerning, 3 + 139, 2 + 139, 5 + 139, 1 + 139, 139 - 20, 3 + 139, 139 - 10,
                     qtf::glyphkey::kClose};
  for (size_t nth : {0, 3}) {
    const Record* glyph = findRecord(records, 2001, nth);
    ASSERT_NE(glyph, nullptr);
    ASSERT_GE(glyph->payload.size(), kerned.size());
    EXPECT_EQ(Bytes(glyph->payload.end() - kerned.size(), glyph->payload.end()), kerned) << nth;
  }
  for (size_t nth : {1, 2}) {
    const Record* glyph = findRecord(records, 2001, nth);
    ASSERT_NE(glyph, nullptr);
    EXPECT_EQ(std::count(glyph->payload.begin(), glyph->payload.end(), qtf::glyphkey::kKerning), 0) << nth;
  }
}

TEST(WriterGlyphs, ComponentsAreFlattenedOrDecomposed) {
  TestFont f;
  vn::Glyph& base = f.addGlyph("o");
  base.varnelData().addToBody(contourOf({node(0, 0, 0), node(1, 100, 0), node(1, 100, 100)}));
  f.addGlyph("dot");
  vn::Glyph& plain = f.addGlyph("o.alt");
  plain.components = {vn::Component{"o", vn::Matrix{2, 0, 0, 3, 5, 6}}, vn::Component{"missing", {}},
                      vn::Component{"dot", {}}};
  vn::Glyph& slanted = f.addGlyph("o.slant");
  slanted.components = {vn::Component{"o", vn::Matrix{1, 0, 0.5, 1, 0, 0}}};
  const Bytes file = writeNative(*f.pair);
  // The font's own glyphs are not changed by writing.
  EXPECT_EQ(plain.components.size(), 3u);
  EXPECT_EQ(slanted.components.size(), 1u);
  qtftest::ReadMaster read(file);
  ASSERT_TRUE(read.ok);
  const vn::Glyph& alt = read.glyph(2);
  ASSERT_EQ(alt.components.size(), 2u);  // the missing base is left out
  EXPECT_EQ(alt.components.front().matrix, (vn::Matrix{2, 0, 0, 3, 5, 6}));
  EXPECT_EQ(alt.components.back().baseName, "dot");
  const vn::Glyph& slant = read.glyph(3);
  EXPECT_TRUE(slant.components.empty());
  ASSERT_NE(slant.bodyLayer(), nullptr);
  EXPECT_EQ(shape(*slant.bodyLayer()), "|0(0,0)1(100,0)1(150,100)");
}

TEST(WriterGlyphs, OffCurveRunsEncodeAsTheyReadBack) {
  TestFont f;
  vn::Glyph& g = f.addGlyph("odd");
  vn::Layer& body = g.varnelData().bodyLayer();
  // Three cubic controls in a row, a lone control, a contour ending on two controls
  // (closing to its start), and one ending on a single control.
  body.addContour(contourOf({node(0, 0, 0), node(3, 10, 10), node(3, 20, 20), node(3, 30, 30), node(1, 40, 0),
                             node(3, 50, 10), node(1, 60, 0)}));
  body.addContour(contourOf({node(0, 100, 0), node(1, 200, 0), node(3, 200, 100), node(3, 100, 100)}));
  body.addContour(contourOf({node(1, 300, 0), node(1, 400, 0), node(3, 400, 100)}));
  const Bytes file = writeNative(*f.pair);
  qtftest::ReadMaster read(file);
  ASSERT_TRUE(read.ok);
  // Controls that cannot form a segment become on-curve points; a closing curve gains
  // its end point; a contour always opens with a move.
  EXPECT_EQ(shape(*read.glyph(0).bodyLayer()),
            "|0(0,0)1(10,10)3(20,20)3(30,30)1(40,0)1(50,10)1(60,0)"
            "|0(100,0)1(200,0)3(200,100)3(100,100)1(100,0)"
            "|0(300,0)1(400,0)1(400,100)");
  // From then on the outline is written and read unchanged.
  const Bytes second = writeNative(*read.pair);
  qtftest::ReadMaster again(second);
  ASSERT_TRUE(again.ok);
  EXPECT_EQ(writeNative(*again.pair), second);
}

TEST(WriterGlyphs, DegenerateGeometryIsWrittenSafely) {
  TestFont f;
  vn::Glyph& g = f.addGlyph("nan");
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  g.advanceWidth = inf;
  vn::Layer& body = g.varnelData().bodyLayer();
  body.addContour(contourOf({node(0, nan, 1e300), node(1, -inf, 5)}));
  body.guides = {vn::Guide{7, 8, 7, 8, "point", {}}, vn::Guide{nan, 0, inf, 1, "", {}}, vn::Guide{0, 0, 1e-300, 1e300, "", {}}};
  body.hints = {hint(nan, inf, 1)};
  const Bytes file = writeNative(*f.pair);
  ASSERT_FALSE(file.empty());
  qtftest::ReadMaster read(file);
  ASSERT_TRUE(read.ok);
  const vn::Layer* layer = read.glyph(0).bodyLayer();
  ASSERT_NE(layer, nullptr);
  ASSERT_EQ(layer->guides.size(), 3u);
  EXPECT_EQ(layer->guides[0].x1, 7);  // a guide of no length keeps its point
  EXPECT_EQ(layer->guides[0].name, "point");
  for (const vn::Node& n : nodesOf(*layer)) {
    EXPECT_TRUE(std::isfinite(n.x) && std::isfinite(n.y));
    EXPECT_LE(std::fabs(n.y), qtf::kMaxCoordinate);
  }
}

}  // namespace

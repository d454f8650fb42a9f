// The Transfer drivers: the exact event sequence a consumer sees.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "model/font_info.h"
#include "model/layer.h"
#include "model/numbers.h"
#include "model/transfer.h"

namespace {

using vn::Point;

// One event as a line: the words and numbers joined by blanks, points as "x,y".
std::string word(const std::string& text) { return text; }
std::string word(const char* text) { return text; }
std::string word(double value) { return vn::formatShortest(value); }
std::string word(const Point& p) { return word(p.x) + "," + word(p.y); }
template <class... Parts>
std::string line(const Parts&... parts) {
  std::string out;
  ((out += (out.empty() ? "" : " ") + word(parts)), ...);
  return out;
}

// Records every event as one line of text.
class Recorder : public vn::Transfer {
 public:
  std::vector<std::string> events;
  template <class... Parts>
  void log(const Parts&... parts) { events.push_back(line(parts...)); }

  void transform(const vn::Matrix& m) override { log("transform", m.a, m.d, m.e); }
  void bitmap(const vn::Bitmap& b) override { log("bitmap", b.byteSize()); }
  void scale(double s) override { log("scale", s); }
  bool beginContour(uint8_t flag, int32_t count) override { return log("beginContour", flag, count), true; }
  void moveTo(const Point& p, uint8_t flags) override { log("moveTo", p, "f" + word(flags)); }
  void lineTo(const Point& p, uint8_t) override { log("lineTo", p); }
  void offCurve(const Point& p, uint8_t) override { log("offCurve", p); }
  void curveTo(const Point& a, const Point& b, const Point& c, uint8_t flags) override {
    log("curveTo", a, b, c, "f" + word(flags));
  }
  void pointName(const std::string& name) override { log("pointName", name); }
  void closingCurve() override { log("closingCurve"); }
  void endContour() override { log("endContour"); }
  bool beginElement(const vn::Element&, int32_t contours, bool hasBitmap) override {
    return log("beginElement", contours, hasBitmap), true;
  }
  void strokeStyle(const vn::ElementStyle& s) override { log("strokeStyle", s.kind); }
  void fillStyle(const vn::ElementStyle& s) override { log("fillStyle", s.kind); }
  void endElement() override { log("endElement"); }
  bool beginLayer(const vn::Layer& layer, uint8_t visible, uint8_t display2, int32_t elements) override {
    return log("beginLayer", layer.name, visible, display2, elements), true;
  }
  void endLayer() override { log("endLayer"); }
  void guide(const Point& a, const Point& b, const std::string& name, const std::array<double, 4>& color) override {
    log("guide", a, b, name, color[3]);
  }
  void hint(double position, double width, uint8_t horizontal) override { log("hint", position, width, horizontal); }
  void namedMetric(const std::string& name, double value) override { log("namedMetric", name, value); }
  void metric(int32_t id, double value) override { log("metric", id, value); }
  void stem(double width, int32_t a, int32_t b, const vn::Stem&, const vn::StepMap& steps) override {
    log("stem", width, word(a) + word(b), steps.size());
  }
  void zone(double position, double width, uint8_t kind, int32_t a, int32_t b, const vn::Zone&,
            const vn::StepMap&) override {
    log("zone", position, width, kind, word(a) + word(b));
  }
  void link(const vn::PointReference& first, const vn::PointReference& second, const std::string& name,
            const vn::Color& color) override {
    log("link", first.index, second.index, name, color.red);
  }
};

vn::Node node(int32_t type, double x, double y, std::string name = {}, uint8_t flags = 0) {
  vn::Node n;
  n.type = type;
  n.x = x;
  n.y = y;
  n.name = std::move(name);
  n.flags = flags;
  return n;
}

TEST(TransferTest, LayerSendsElementsContoursGuidesHintsAndLinksInOrder) {
  vn::Layer layer("Body");
  layer.matrix = vn::Matrix::scaling(2, 3);
  vn::Contour contour;
  // move, line, cubic to an on-curve point, then two controls that close back to the start.
  contour.nodes = {node(0, 0, 0, "start", 1), node(1, 100, 0), node(3, 150, 50), node(3, 150, 100),
                   node(1, 100, 150, "top"), node(3, 50, 150), node(3, 0, 100)};
  layer.addContour(contour);
  layer.guides.push_back(vn::Guide{0, 500, 100, 500, "xh", {0, 0, 0, 1}});
  vn::Hint h;
  h.position = 10;
  h.width = 20;
  layer.hints.push_back(h);
  h.horizontal = 0;
  h.position = 30;
  h.width = -21;
  layer.hints.push_back(h);
  vn::PointLink link;
  link.first.index = 1;
  link.second.index = 4;
  link.name = "l1";
  layer.links.push_back(link);

  Recorder recorder;
  layer.transfer(recorder);
  const std::vector<std::string> expected = {
      "beginLayer Body 1 0 1",
      "transform 2 3 0",
      "beginElement 1 0",
      "strokeStyle 0",
      "fillStyle 1",
      "beginContour 0 7",
      "moveTo 0,0 f1",
      "pointName start",
      "lineTo 100,0",
      "curveTo 150,50 150,100 100,150 f0",
      "pointName top",
      "closingCurve",
      "curveTo 50,150 0,100 0,0 f1",
      "endContour",
      "endElement",
      "guide 0,500 100,500 xh 1",
      "hint 10 20 1",
      "hint 30 -21 0",
      "link 1 4 l1 1",
      "endLayer",
  };
  EXPECT_EQ(recorder.events, expected);
}

TEST(TransferTest, ContourDriverEdgeCases) {
  // Nodes 0,3,3,1,3,3: curve to the on-curve node, then closing curve back to the start.
  vn::Contour contour;
  contour.nodes = {node(0, 0, 0), node(3, 1, 1), node(3, 2, 2), node(1, 3, 3), node(3, 4, 4), node(3, 5, 5)};
  Recorder recorder;
  contour.transfer(recorder);
  EXPECT_EQ(recorder.events, (std::vector<std::string>{"beginContour 0 6", "moveTo 0,0 f0",
                                                       "curveTo 1,1 2,2 3,3 f0", "closingCurve",
                                                       "curveTo 4,4 5,5 0,0 f0", "endContour"}));

  // A first node of type 3 is sent as a move; quadratic nodes go as offCurve; unknown types are silent.
  vn::Contour odd;
  odd.nodes = {node(3, 7, 7), node(2, 8, 8), node(9, 1, 1, "ghost"), node(1, 9, 9)};
  Recorder second;
  odd.transfer(second);
  EXPECT_EQ(second.events, (std::vector<std::string>{"beginContour 0 4", "moveTo 7,7 f0", "offCurve 8,8",
                                                     "pointName ghost", "lineTo 9,9", "endContour"}));
}

TEST(TransferTest, DefaultConsumerStopsAtEveryBegin) {
  class LayerOnly : public vn::Transfer {
   public:
    int layers = 0, ends = 0, transforms = 0;
    bool beginLayer(const vn::Layer&, uint8_t, uint8_t, int32_t) override {
      ++layers;
      return false;
    }
    void endLayer() override { ++ends; }
    void transform(const vn::Matrix&) override { ++transforms; }
  };
  vn::Layer layer("Body");
  layer.matrix = vn::Matrix::scaling(2, 2);
  layer.addContour(vn::Contour{});
  LayerOnly consumer;
  layer.transfer(consumer);
  EXPECT_EQ(consumer.layers, 1);
  EXPECT_EQ(consumer.ends, 0);
  EXPECT_EQ(consumer.transforms, 0);

  // Identity matrix and scale 1.0 are not sent; a bitmap without data is not sent either.
  vn::Element element;
  element.bitmap.setSize(0, 10, 8);
  Recorder recorder;
  element.transfer(recorder);
  EXPECT_EQ(recorder.events, (std::vector<std::string>{"beginElement 0 0", "strokeStyle 0", "fillStyle 1",
                                                       "endElement"}));
}

TEST(TransferTest, MetricsAndHintingDrivers) {
  vn::FontMetrics metrics;
  metrics.namedNumbers["hhea_ascender"] = 800;
  metrics.namedNumbers["alpha"] = 1.5;
  Recorder recorder;
  metrics.transfer(recorder);
  std::vector<int> ids;
  for (const auto& e : recorder.events) {
    if (e.rfind("metric ", 0) == 0) ids.push_back(std::stoi(e.substr(7)));
  }
  EXPECT_EQ(ids, (std::vector<int>{0, 1, 2, 3, 4, 5, 7, 6, 10, 9, 8, 11, 12}));
  // Stored order with their ids: id 7 carries capHeight (stored 6th), id 6 xHeight.
  EXPECT_EQ(recorder.events[6], "metric 7 750");
  EXPECT_EQ(recorder.events[7], "metric 6 500");
  EXPECT_EQ(recorder.events[8], "metric 10 5");
  EXPECT_EQ(recorder.events[9], "metric 9 400");
  EXPECT_EQ(recorder.events[13], "namedMetric alpha 1.5");
  EXPECT_EQ(recorder.events[14], "namedMetric hhea_ascender 800");
  EXPECT_EQ(recorder.events.back(), "transform 1 1 0");  // sent even for the identity
  EXPECT_EQ(recorder.events.size(), 16u);

  vn::FontHinting hinting;
  hinting.stemsV2.push_back(vn::Stem{"v", 80, {}});
  hinting.stemsH.push_back(vn::Stem{"h", 70, {{1, 2}}});
  hinting.zones3.push_back(vn::Zone{"f", -10, 10, 0, {}});
  hinting.zones.push_back(vn::Zone{"t", 500, 12, 1, {}});
  Recorder hints;
  hinting.transfer(hints);
  EXPECT_EQ(hints.events, (std::vector<std::string>{"stem 70 10 1", "stem 80 01 0", "zone 500 12 1 00",
                                                    "zone -10 10 0 11"}));
}

}  // namespace

// PostScript stem autohinter: stems found from outlines, hint sets split along the
// outline, hostile outlines.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "hinting/autohint_glyph.h"
#include "model/layer.h"

namespace {

using Points = std::vector<std::pair<double, double>>;

void addContour(vn::Layer& layer, const Points& points) {
  vn::Contour contour;
  for (size_t i = 0; i < points.size(); ++i) {
    vn::Node node;
    node.x = points[i].first;
    node.y = points[i].second;
    node.type = i == 0 ? vn::Node::kMove : vn::Node::kOnCurve;
    contour.nodes.push_back(node);
  }
  layer.addContour(contour);
}

void addHint(vn::Layer& layer, double position, double width, uint8_t horizontal) {
  vn::Hint h;
  h.position = position;
  h.width = width;
  h.horizontal = horizontal;
  layer.hints.push_back(h);
}

// What the autohinter sends to its target, as text.
struct Recorder : vn::Transfer {
  std::string sent;
  void hint(double position, double width, uint8_t horizontal) override {
    sent += "h(" + std::to_string(static_cast<int>(position)) + "," + std::to_string(static_cast<int>(width)) +
            "," + std::to_string(horizontal) + ")";
  }
  void replaceCommand(int32_t kind, int32_t index) override {
    sent += "r(" + std::to_string(kind) + "," + std::to_string(index) + ")";
  }
};

std::string layerHints(const vn::Layer& layer) {
  Recorder r;
  for (const auto& h : layer.hints) r.hint(h.position, h.width, h.horizontal);
  for (const auto& e : layer.replacements) r.replaceCommand(e.kind, e.index);
  return r.sent;
}

TEST(Autohint, FindStemsGivesStemsAndGhosts) {
  const struct {
    Points outline;
    const char* sent;
  } cases[] = {
      // A tall bar: one vertical stem; its foot and top are ghosts (-21 at y + 21, -20 at y).
      {{{100, 0}, {200, 0}, {200, 700}, {100, 700}}, "h(100,100,0)h(21,-21,1)h(700,-20,1)"},
      // A flat bar: one horizontal stem that already sits on both zone lines.
      {{{0, 300}, {500, 300}, {500, 380}, {0, 380}}, "h(300,80,1)"},
      // Too thin for a stem (below the minimum width of 20), too short for a ghost line.
      {{{0, 0}, {10, 0}, {10, 300}, {0, 300}}, ""},
  };
  vn::AutohintOptions options;
  for (const auto& c : cases) {
    vn::Layer layer;
    addContour(layer, c.outline);
    Recorder target;
    vn::AutohintGlyphQuorvel autohinter(options, &target);
    layer.transfer(autohinter);
    autohinter.findStems(true, true);
    EXPECT_EQ(target.sent, c.sent);
  }
  // No outline: nothing is sent.
  Recorder target;
  vn::AutohintGlyphQuorvel autohinter(options, &target);
  vn::Layer empty;
  empty.transfer(autohinter);
  autohinter.findStems(true, true);
  EXPECT_EQ(target.sent, "");
}

// Two squares side by side whose horizontal hints overlap: the second square's hint
// needs a new set starting at its first point (point 4).
vn::Layer twoSquares() {
  vn::Layer layer;
  addContour(layer, {{0, 0}, {100, 0}, {100, 200}, {0, 200}});
  addContour(layer, {{200, 150}, {300, 150}, {300, 350}, {200, 350}});
  addHint(layer, 0, 200, 1);
  addHint(layer, 150, 200, 1);
  addHint(layer, 0, 100, 0);
  return layer;
}

TEST(Autohint, OverlappingHintsSplitIntoSets) {
  vn::AutohintOptions options;
  vn::Layer layer = twoSquares();
  vn::AutohintGlyphQuorvel autohinter(options, nullptr);
  autohinter.autohint(&layer);
  // Vertical hints first; kind-1 indices count them; set 1 {H0, V0} ends at point 4.
  EXPECT_EQ(layerHints(layer), "h(0,100,0)h(0,200,1)h(150,200,1)r(1,1)r(2,0)r(3,4)r(1,2)r(2,0)");

  // Hints that overlap in no set are left alone, sets given or not.
  vn::Layer apart = twoSquares();
  apart.hints[1].position = 250;  // 250..450 no longer touches 0..200
  const std::string before = layerHints(apart);
  vn::AutohintGlyphQuorvel again(options, nullptr);
  again.autohint(&apart);
  EXPECT_EQ(layerHints(apart), before);
  vn::Layer split = twoSquares();
  split.replacements = {{1, 0, -1, ""}, {2, 2, -1, ""}, {3, 4, -1, ""}, {1, 1, -1, ""}};
  const std::string given = layerHints(split);
  vn::AutohintGlyphQuorvel third(options, nullptr);
  third.autohint(&split);
  EXPECT_EQ(layerHints(split), given);
}

TEST(Autohint, HostileOutlinesEnd) {
  vn::AutohintOptions options;
  std::vector<vn::Layer> layers(4);
  addContour(layers[0], {{50, 0}, {50, 100}, {50, 200}});  // no width
  addContour(layers[1], {{5, 5}, {5, 5}, {5, 5}});         // one point three times
  addContour(layers[2], {{5, 5}});                         // a lone move
  Points many;                                             // 10,000-point staircase
  for (int i = 0; i < 5000; ++i) {
    many.push_back({i * 100.0, i * 100.0});
    many.push_back({i * 100.0 + 100, i * 100.0});
  }
  addContour(layers[3], many);
  for (auto& layer : layers) {
    addHint(layer, 0, 200, 1);
    addHint(layer, 100, 300, 1);
    addHint(layer, 50, 0, 0);
    addHint(layer, 50, -21, 1);
    Recorder target;
    vn::AutohintGlyphQuorvel autohinter(options, &target);
    autohinter.autohint(&layer);
    layer.transfer(autohinter);
    autohinter.findStems(true, true);
    EXPECT_FALSE(layer.hints.empty());
  }
}

}  // namespace

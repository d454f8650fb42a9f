// The native file keeps no point names. On the way back the writer names the points that
// TrueType programs and hint sets use (its own names, such as "sh01" and "hr01"), and point
// links keep theirs; every other name is lost. So a glyph is named when its points would
// come back named otherwise than read: the writer's naming runs on a copy without names.
#include <memory>
#include <string>
#include <vector>

#include "model/glyph.h"
#include "model/layer.h"
#include "ufo/hint_sets.h"
#include "ufo/reader_font.h"
#include "ufo/truetype_hinting_text.h"

namespace ufo {
namespace {

// Visits every node of the layer's contours, in point order.
template <class LayerType, class Visit>
void forEachNode(LayerType& layer, Visit&& visit) {
  for (auto& element : layer.elements) {
    for (auto& contour : element.contours) {
      for (auto& node : contour.nodes) visit(node);
    }
  }
}

bool hasNamedNode(const vn::Layer& layer) {
  bool named = false;
  forEachNode(layer, [&](const vn::Node& node) { named = named || !node.name.empty(); });
  return named;
}

}  // namespace

void UfoFontParser::notePointNames() {
  std::unique_ptr<TrueTypeHintingText> trueType;  // made for the first glyph with a program
  for (const vn::Glyph* glyph : font_->glyphs) {
    const vn::Layer* body = glyph ? glyph->bodyLayer() : nullptr;
    if (!body || !hasNamedNode(*body)) continue;
    // The layer as it comes back from the native file: without names.
    vn::Layer back = *body;
    std::vector<std::string> read;
    forEachNode(back, [&](vn::Node& node) {
      read.push_back(std::move(node.name));
      node.name.clear();
    });
    // As the UFO writer prepares the lib: the program first, then the hint sets.
    if (!glyph->commandBytes.empty()) {
      if (!trueType) trueType = std::make_unique<TrueTypeHintingText>(*font_, *style_);
      trueType->glyphProgram(*glyph, back);
    }
    hintSetListText(back);
    bool lost = false;
    auto name = read.begin();
    forEachNode(back, [&](const vn::Node& node) {
      lost = lost || (!name->empty() && *name != node.name);
      ++name;
    });
    if (lost) warnings_.list(warning::kPointNames, warning::kPointNamesLine, glyph->name);
  }
}

}  // namespace ufo

// Masters of a native file: the count found before reading, and the style names of
// one master taken from its position on the "weight" and "width" axes.
#include <algorithm>
#include <vector>

#include "model/design_space.h"
#include "model/numbers.h"
#include "model/style.h"
#include "model/style_names.h"
#include "native/parser_impl.h"
#include "native/tags.h"

namespace qtf {

namespace {

constexpr const char* kWeightAxis = "weight";
constexpr const char* kWidthAxis = "width";
constexpr double kDefaultWeightClass = 400.0;
constexpr double kDefaultWidthClass = 5.0;
constexpr double kMinWeightClass = 100.0;
constexpr double kMaxWeightClass = 950.0;
constexpr double kMinWidthClass = 1.0;
constexpr double kMaxWidthClass = 9.0;
constexpr double kWidthAxisScale = 1000.0;

}  // namespace

int32_t Parser::Impl::masterCount() {
  std::istream* in = input.stream();
  if (!in) return -1;
  in->clear();
  if (!input.good() || !input.checkHeader()) return -1;
  while (true) {
    uint16_t tag = 0;
    uint32_t length = 0;
    if (!input.readRecordHeader(tag, length)) return 0;
    if (tag == tag::kFontInfoEnd) return 1;
    if (tag == tag::kMasterCount) {
      if (length != 2) return -1;
      const uint16_t count = input.readU16();
      if (!input.good()) return 0;
      return count >= 1 && count <= kMaxMasters ? count : -1;
    }
    if (!input.skipPayload(length)) return 0;
    if (tag == tag::kEnd || tag == tag::kFontEnd) return 1;
  }
}

void Parser::Impl::applyMaster(vn::Style* target, int32_t master) {
  const vn::Axes& axes = state.axes;
  if (!target || master < 0 || static_cast<size_t>(master) >= axes.masters.size()) return;
  const int weightAxis = axes.indexOf(kWeightAxis);
  const int widthAxis = axes.indexOf(kWidthAxis);

  vn::MasterWeights weights;
  weights.reset(master);
  // Every master record takes part, so masters from 1 on get their own weight.
  weights.count = static_cast<int32_t>(std::min<size_t>(axes.masters.size(), vn::MasterWeights::kMaxMasters));
  std::vector<double> design;
  axes.weightsToDesign(weights, design);
  auto coordinate = [&](int axis) {
    return axis >= 0 && static_cast<size_t>(axis) < design.size() ? design[static_cast<size_t>(axis)] : 0.0;
  };

  vn::FontMetrics& metrics = target->metrics;
  double weight = metrics.weightValue == 0.0 ? kDefaultWeightClass : metrics.weightValue;
  if (weightAxis >= 0) weight = coordinate(weightAxis);
  weight = std::clamp(vn::finiteOrZero(weight), kMinWeightClass, kMaxWeightClass);
  double width = metrics.widthValue == 0.0 ? kDefaultWidthClass : metrics.widthValue;
  if (widthAxis >= 0) width = vn::round(coordinate(widthAxis) / kWidthAxisScale);
  width = std::clamp(vn::finiteOrZero(width), kMinWidthClass, kMaxWidthClass);
  metrics.weightValue = weight;
  metrics.widthValue = width;

  vn::FontNames& names = target->names;
  names.weightName = vn::weightNameFor(vn::saturateInt32(weight));
  names.widthName = vn::widthNameFor(vn::saturateInt32(width), false);
  for (size_t i = 0; i < axes.axes.size(); ++i) {
    const vn::Axis& axis = axes.axes[i];
    if (vn::equalsNoCase(axis.name, kWeightAxis) || vn::equalsNoCase(axis.name, kWidthAxis)) continue;
    const std::string& label = axis.label.empty() ? axis.name : axis.label;
    names.spareName = label + vn::formatFixed(coordinate(static_cast<int>(i)), 0);
  }
  const vn::StyleNames composed(target->names, target->metrics, target->flags);
  names.styleName = composed.compose(vn::kStyleNameLimit);
}

}  // namespace qtf

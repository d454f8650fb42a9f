#include "ufo/hint_sets.h"

#include <algorithm>

#include "model/layer.h"
#include "model/numbers.h"
#include "ufo/text_encoding.h"

namespace ufo {

namespace {

double lowEdge(const HintSetStem& stem) {
  return stem.width < 0 ? stem.position + stem.width : stem.position;
}

void sortByLowEdge(std::vector<HintSetStem>& stems) {
  std::stable_sort(stems.begin(), stems.end(),
                   [](const HintSetStem& a, const HintSetStem& b) { return lowEdge(a) < lowEdge(b); });
}

// Three stems whose outer widths are equal and whose centres are equally spaced;
// compared exactly on the doubled scale.
bool isStemTriple(const std::vector<HintSetStem>& stems) {
  if (stems.size() != 3) return false;
  const HintSetStem& s0 = stems[0];
  const HintSetStem& s1 = stems[1];
  const HintSetStem& s2 = stems[2];
  if (s0.width != s2.width) return false;
  const double c0 = 2 * s0.position + s0.width;
  const double c1 = 2 * s1.position + s1.width;
  const double c2 = 2 * s2.position + s2.width;
  return c1 - c0 == c2 - c1;
}

void appendStems(const vn::Layer& layer, const vn::Matrix& matrix, const std::vector<int32_t>& indexes,
                 std::vector<HintSetStem>& out) {
  for (int32_t index : indexes) {
    if (index < 0 || static_cast<size_t>(index) >= layer.hints.size()) continue;
    const vn::Hint hint = layer.hints[static_cast<size_t>(index)].transformed(matrix);
    out.push_back(HintSetStem{hint.position, hint.width, hint.name});
  }
}

std::string stem3List(const HintSetEntry& entry) {
  std::string out;
  for (size_t i = 0; i < entry.values.size(); ++i) {
    if (i > 0) out += ',';
    out += vn::formatNumber(entry.values[i], 0);
  }
  return out;
}

}  // namespace

void HintSetWriter::collect(const vn::Layer& layer, const std::vector<int32_t>& horizontal,
                            const std::vector<int32_t>& vertical, bool offset) {
  entries_.clear();
  horizontal_.clear();
  vertical_.clear();
  appendStems(layer, matrix_, horizontal, horizontal_);
  appendStems(layer, matrix_, vertical, vertical_);
  sortByLowEdge(horizontal_);
  sortByLowEdge(vertical_);

  double shift = 0.0;
  if (offset) {
    const vn::Rect box = layer.boundingBox(true).transformed(matrix_);
    if (box.isValid()) shift = box.xMin;
  }

  const bool noNegativeWidth = std::none_of(horizontal_.begin(), horizontal_.end(),
                                            [](const HintSetStem& s) { return s.width < 0; });
  if (noNegativeWidth && isStemTriple(horizontal_)) {
    HintSetEntry entry{HintSetEntry::kHorizontalStem3, {}};
    for (const HintSetStem& s : horizontal_) {
      entry.values.push_back(s.position);
      entry.values.push_back(s.width);
    }
    entries_.push_back(std::move(entry));
  } else {
    for (const HintSetStem& s : horizontal_) {
      entries_.push_back(HintSetEntry{HintSetEntry::kHorizontalStem, {s.position, s.width}});
    }
  }

  // Vertical triples may hold negative widths.
  if (isStemTriple(vertical_)) {
    HintSetEntry entry{HintSetEntry::kVerticalStem3, {}};
    for (const HintSetStem& s : vertical_) {
      entry.values.push_back(s.position - shift);
      entry.values.push_back(s.width);
    }
    entries_.push_back(std::move(entry));
  } else {
    for (const HintSetStem& s : vertical_) {
      entries_.push_back(HintSetEntry{HintSetEntry::kVerticalStem, {s.position - shift, s.width}});
    }
  }
  entries_.push_back(HintSetEntry{HintSetEntry::kEnd, {}});
}

void HintSetWriter::collectAll(const vn::Layer& layer, bool offset) {
  std::vector<int32_t> horizontal;
  std::vector<int32_t> vertical;
  for (size_t i = 0; i < layer.hints.size(); ++i) {
    (layer.hints[i].horizontal != 0 ? horizontal : vertical).push_back(static_cast<int32_t>(i));
  }
  collect(layer, horizontal, vertical, offset);
}

std::string HintSetWriter::writeHintSet(const std::string& pointTag) const {
  std::string out = "    <hintset";
  xml::appendAttribute(out, "pointTag", modelTextToUtf8(pointTag));
  out += ">\n";
  for (const HintSetEntry& entry : entries_) {
    switch (entry.kind) {
      case HintSetEntry::kHorizontalStem:
      case HintSetEntry::kVerticalStem:
        if (entry.values.size() < 2) break;
        out += entry.kind == HintSetEntry::kHorizontalStem ? "      <hstem" : "      <vstem";
        out += vn::xmlNumberAttribute("pos", entry.values[0], nullptr);
        out += vn::xmlNumberAttribute("width", entry.values[1], nullptr);
        out += " />\n";
        break;
      case HintSetEntry::kHorizontalStem3:
        out += "      <hstem3";
        xml::appendAttribute(out, "stem3List", stem3List(entry));
        out += " />\n";
        break;
      case HintSetEntry::kVerticalStem3:
        out += "      <vstem3";
        xml::appendAttribute(out, "stem3List", stem3List(entry));
        out += " />\n";
        break;
      default:
        break;
    }
  }
  out += "    </hintset>\n";
  return out;
}

std::string hintSetListText(vn::Layer& layer) {
  if (layer.hints.empty()) return std::string();
  layer.nameHintReplacements();

  std::string out = "  <hintSetList>\n";
  HintSetWriter writer;
  if (layer.replacements.empty()) {
    writer.collectAll(layer, false);
    out += writer.writeHintSet(layer.pointName(0));
  } else {
    // The stems before the first replacement point are the glyph's first set: it
    // starts at point 0, as the readers and the autohinter leave it.
    auto writeSet = [&](auto from, const std::string& pointTag) {
      std::vector<int32_t> horizontal;
      std::vector<int32_t> vertical;
      auto next = from;
      for (; next != layer.replacements.end() && next->kind != 3; ++next) {
        if (next->kind == 1) horizontal.push_back(next->index);
        if (next->kind == 2) vertical.push_back(next->index);
      }
      if (!horizontal.empty() || !vertical.empty()) {
        writer.collect(layer, horizontal, vertical, false);
        out += writer.writeHintSet(pointTag);
      }
      return next;
    };
    auto it = writeSet(layer.replacements.begin(), layer.pointName(0));
    while (it != layer.replacements.end()) {
      const std::string& pointTag = it->name;
      it = writeSet(std::next(it), pointTag);
    }
  }
  out += "  </hintSetList>\n";
  return out;
}

}  // namespace ufo

// Fuzz entry over the layout XML reader and writer, shared by the libFuzzer target and
// the regression replay test. Input: a layout XML document; the font has 60 glyphs
// "g0".."g59". Returns false when an invariant breaks: a document that was read must be
// written, and what was written must read back and be written again unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "layout/glyph_id_map.h"
#include "layout/layout_fea.h"
#include "layout/text/layout_xml.h"

namespace fuzz {

inline const otl::GlyphIdMap& layoutXmlGlyphOrder() {
  static const otl::GlyphIdMap map = [] {
    std::vector<std::string> names;
    for (int i = 0; i < 60; ++i) names.push_back("g" + std::to_string(i));
    otl::GlyphIdMap glyphs;
    glyphs.fill(names);
    return glyphs;
  }();
  return map;
}

inline bool layoutXmlEntry(const uint8_t* data, size_t size) {
  const otl::GlyphIdMap& glyphs = layoutXmlGlyphOrder();
  otl::LayoutFea layout(nullptr, "");
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  if (!otl::xml::loadLayoutXml(layout, in, glyphs)) return layout.gsub.lookups.isEmpty() && layout.gpos.lookups.isEmpty();
  std::ostringstream first;
  if (!otl::writeLayoutXml(layout, first, glyphs, true)) return false;
  // A layout without a table holding both lookups and scripts writes nothing.
  if (first.str().empty()) return true;
  otl::LayoutFea again(nullptr, "");
  std::istringstream back(first.str());
  if (!otl::xml::loadLayoutXml(again, back, glyphs)) return false;
  std::ostringstream second;
  if (!otl::writeLayoutXml(again, second, glyphs, true)) return false;
  std::istringstream third(second.str());
  otl::LayoutFea last(nullptr, "");
  std::ostringstream fourth;
  return otl::xml::loadLayoutXml(last, third, glyphs) && otl::writeLayoutXml(last, fourth, glyphs, true) &&
         fourth.str() == second.str();
}

}  // namespace fuzz

// A lookup too large for 16-bit offsets through the table writer's repair: registered
// under one feature, written, and read back.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "layout/glyph_id_map.h"
#include "layout/layout_bin_parser.h"
#include "layout/layout_bin_writer.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "model/font.h"
#include "model/glyph.h"
#include "model/object.h"

namespace layout_test {

// Glyphs "<prefix>0", "<prefix>1"... in that order.
inline otl::GlyphIdMap glyphsNamed(const std::string& prefix, size_t count) {
  std::vector<std::string> names;
  for (size_t i = 0; i < count; ++i) names.push_back(prefix + std::to_string(i));
  otl::GlyphIdMap glyphs;
  glyphs.fill(names);
  return glyphs;
}

// A font of the glyphs "<prefix>0", "<prefix>1"... in that order.
inline vn::Ref<vn::Font> fontNamed(const std::string& prefix, size_t count) {
  vn::Ref<vn::Font> font = vn::Ref<vn::Font>::adopt(new vn::Font());
  for (size_t i = 0; i < count; ++i) {
    auto* glyph = new vn::Glyph();
    glyph->name = prefix + std::to_string(i);
    font->appendGlyph(glyph);
  }
  return font;
}

// A new lookup of the kind, the only one of `feature` under latn/dflt.
inline otl::Lookup* lookupInFeature(otl::LayoutTableBlock& block, uint32_t typeCode, const char* feature) {
  otl::Lookup* lookup = block.lookups.createLookup();
  lookup->tableId = block.tableId;
  lookup->typeCode = typeCode;
  const ot::Tag latn = ot::Tag::fromString("latn"), dflt = ot::Tag::fromString("dflt"),
                tag = ot::Tag::fromString(feature);
  block.scripts.try_emplace(latn, latn).first->second.languages.try_emplace(dflt, dflt).first->second
      .features.try_emplace(tag, tag).first->second.lookups = {lookup->index};
  return lookup;
}

// Writes the block, which must need the repair and report errors exactly when
// `dropsSomething`, into `bytes`, and reads those into `again`.
inline ::testing::AssertionResult repairRoundTrip(const otl::LayoutTableBlock& block, const otl::GlyphIdMap& glyphs,
                                                  otl::LayoutTableBlock& again, std::string& bytes,
                                                  bool dropsSomething = false) {
  otl::ot_bin_layout::LayoutBinWriter writer;
  ot::BinaryWriter out;
  if (!writer.write(&block, out, glyphs)) return ::testing::AssertionFailure() << "not written";
  if (!writer.recovered()) return ::testing::AssertionFailure() << "written without the repair";
  if (writer.diagnostics().hasErrors() != dropsSomething) {
    return ::testing::AssertionFailure() << "reported: " << writer.diagnostics().formatAll();
  }
  bytes = out.str();
  ot::BinaryReader reader(bytes);
  otl::ot_bin_layout::LayoutBinParser parser;
  uint32_t tableId = again.tableId;
  if (parser.parse(&again, reader, tableId, glyphs)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "not read back: " << parser.diagnostics().formatAll();
}

}  // namespace layout_test

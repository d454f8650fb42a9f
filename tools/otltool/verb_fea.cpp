// otltool fea GLYPHS INDIR OUTFILE: binary GSUB/GPOS/GDEF -> layout model -> the feature
// file the UFO writer would generate for it.
#include <cstdio>
#include <sstream>
#include <string>

#include "layout/glyph_id_map.h"
#include "layout/layout_bin_parser.h"
#include "layout/layout_fea.h"
#include "layout/ot/binary_reader.h"
#include "model/font.h"
#include "model/glyph.h"
#include "model/object.h"
#include "otltool/tool_io.h"
#include "otltool/verbs.h"

namespace otltool {

int runFea(const Arguments& arguments) {
  const std::vector<std::string> names = readGlyphOrder(arguments[0]);
  const TableSet input = readTableFolder(arguments[1]);
  vn::Ref<vn::Font> font = vn::Ref<vn::Font>::adopt(new vn::Font());
  for (const std::string& name : names) {
    auto* glyph = new vn::Glyph();
    glyph->name = name;
    font->appendGlyph(glyph);
  }
  otl::GlyphIdMap glyphs;
  glyphs.fill(names);
  otl::LayoutFea layout(font.get(), "");
  bool ok = true;
  for (uint32_t tableId : {otl::kTableGsub, otl::kTableGpos}) {
    const auto found = input.find(otl::ot_bin_layout::tableName(tableId));
    if (found == input.end()) continue;
    ot::BinaryReader reader(found->second);
    otl::ot_bin_layout::LayoutBinParser parser;
    try {
      uint32_t id = tableId;
      if (!parser.parse(layout.block(tableId), reader, id, glyphs)) ok = false;
    } catch (const ot::Exception& e) {
      std::fprintf(stderr, "otltool: %s\n", e.message().c_str());
      ok = false;
    }
    for (const auto& entry : parser.diagnostics().entries())
      std::fprintf(stderr, "otltool: %s\n", otl::Diagnostics::format(entry).c_str());
  }
  if (const auto found = input.find("GDEF"); found != input.end()) {
    ot::BinaryReader reader(found->second);
    try {
      if (!layout.gdef().readBinary(reader, glyphs)) ok = false;
    } catch (const ot::Exception& e) {
      std::fprintf(stderr, "otltool: %s\n", e.message().c_str());
      ok = false;
    }
  }
  if (!ok) return 1;
  std::ostringstream text;
  vn::FeatureWriteOptions options;  // the UFO writer's
  if (!layout.writeFeatureFile(text, options)) return 1;
  writeWholeFile(arguments[2], text.str());
  return 0;
}

}  // namespace otltool

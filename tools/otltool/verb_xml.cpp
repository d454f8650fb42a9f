// otltool xml GLYPHS INDIR OUTFILE: binary GSUB/GPOS/GDEF -> layout model -> layout XML.
#include <cstdio>
#include <sstream>
#include <string>

#include "layout/glyph_id_map.h"
#include "layout/layout_bin_parser.h"
#include "layout/layout_fea.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/exception.h"
#include "layout/text/layout_xml.h"
#include "otltool/tool_io.h"
#include "otltool/verbs.h"

namespace otltool {

int runXml(const Arguments& arguments) {
  const std::vector<std::string> names = readGlyphOrder(arguments[0]);
  const TableSet input = readTableFolder(arguments[1]);
  otl::GlyphIdMap glyphs;
  glyphs.fill(names);
  otl::LayoutFea layout(nullptr, "");
  for (uint32_t tableId : {otl::kTableGsub, otl::kTableGpos}) {
    const auto found = input.find(otl::ot_bin_layout::tableName(tableId));
    if (found == input.end()) continue;
    ot::BinaryReader reader(found->second);
    otl::ot_bin_layout::LayoutBinParser parser;
    uint32_t id = tableId;
    try {
      if (!parser.parse(layout.block(tableId), reader, id, glyphs)) throw ToolError("otltool: table not readable");
    } catch (const ot::Exception& e) {
      throw ToolError("otltool: " + e.message());
    }
  }
  std::ostringstream out;
  if (!otl::writeLayoutXml(layout, out, glyphs, true)) {
    throw ToolError("otltool: layout XML not written\n" + layout.reports.formatAll());
  }
  // Written whole under a temporary name: a failed run leaves no partial document.
  writeWholeFile(arguments[2], out.str());
  return 0;
}

}  // namespace otltool

// otltool readxml GLYPHS XMLFILE OUTDIR: layout XML -> layout model -> binary GSUB/GPOS.
#include <cstdio>
#include <sstream>
#include <string>

#include "layout/glyph_id_map.h"
#include "layout/layout_bin_parser.h"
#include "layout/layout_bin_writer.h"
#include "layout/layout_fea.h"
#include "layout/ot/binary_writer.h"
#include "layout/text/layout_xml.h"
#include "otltool/tool_io.h"
#include "otltool/verbs.h"

namespace otltool {

int runReadXml(const Arguments& arguments) {
  const std::vector<std::string> names = readGlyphOrder(arguments[0]);
  std::istringstream in(readWholeFile(arguments[1]));
  otl::GlyphIdMap glyphs;
  glyphs.fill(names);
  otl::LayoutFea layout(nullptr, "");
  if (!otl::xml::loadLayoutXml(layout, in, glyphs)) throw ToolError("otltool: layout XML rejected");
  TableSet output;
  for (uint32_t tableId : {1u, 2u}) {
    const otl::LayoutTableBlock* block = layout.block(tableId);
    if (block->scripts.empty() && block->lookups.isEmpty()) continue;
    ot::BinaryWriter writer;
    otl::ot_bin_layout::LayoutBinWriter tableWriter;
    const bool written = tableWriter.write(block, writer, glyphs);
    for (const auto& entry : tableWriter.diagnostics().entries()) {
      std::fprintf(stderr, "otltool: %s\n", otl::Diagnostics::format(entry).c_str());
    }
    if (!written || tableWriter.diagnostics().hasErrors()) return 1;
    output[otl::ot_bin_layout::tableName(tableId)] = writer.str();
  }
  writeTableFolder(arguments[2], output);
  return 0;
}

}  // namespace otltool

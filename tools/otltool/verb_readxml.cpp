// otltool readxml GLYPHS XMLFILE OUTDIR: layout XML -> layout model -> binary GSUB/GPOS.
#include <cstdio>
#include <sstream>
#include <string>

#include "layout/glyph_id_map.h"
#include "layout/layout_bin_parser.h"
#include "layout/layout_fea.h"
#include "layout/text/layout_xml.h"
#include "otltool/tool_io.h"
#include "otltool/tool_layout.h"
#include "otltool/verbs.h"

namespace otltool {

int runReadXml(const Arguments& arguments) {
  const std::vector<std::string> names = readGlyphOrder(arguments[0]);
  std::istringstream in(readWholeFile(arguments[1]));
  otl::GlyphIdMap glyphs;
  glyphs.fill(names);
  otl::LayoutFea layout(nullptr, "");
  if (!otl::xml::loadLayoutXml(layout, in, glyphs)) {
    // Why the document was refused is among the layout's reports.
    reportDiagnostics(layout.reports);
    throw ToolError("otltool: layout XML rejected");
  }
  // What the document lost on the way (rules naming glyphs the list lacks), as `import` says it.
  for (const std::string& line : layout.takeWarnings()) std::fprintf(stderr, "otltool: warning: %s\n", line.c_str());
  TableSet output;
  for (uint32_t tableId : {otl::kTableGsub, otl::kTableGpos}) {
    const otl::LayoutTableBlock* block = layout.block(tableId);
    if (block->scripts.empty() && block->lookups.isEmpty()) continue;
    if (!writeLayoutTable(block, glyphs, output[otl::ot_bin_layout::tableName(tableId)])) return 1;
  }
  writeTableFolder(arguments[2], output);
  return 0;
}

}  // namespace otltool

// otltool xml GLYPHS INDIR OUTFILE: binary GSUB/GPOS/GDEF -> layout model -> layout XML.
#include <cstdio>
#include <sstream>
#include <string>
#include <utility>

#include "layout/glyph_id_map.h"
#include "layout/layout_fea.h"
#include "layout/text/layout_xml.h"
#include "otltool/tool_io.h"
#include "otltool/tool_layout.h"
#include "otltool/verbs.h"

namespace otltool {

int runXml(const Arguments& arguments) {
  const std::vector<std::string> names = readGlyphOrder(arguments[0]);
  TableSet input = readTableFolder(arguments[1]);
  input.erase("GDEF");  // the document holds GSUB and GPOS only
  otl::GlyphIdMap glyphs;
  glyphs.fill(names);
  otl::LayoutFea layout(nullptr, "");
  // Prints why a table could not be read, as the other verbs do.
  if (!readLayoutTables(input, glyphs, layout)) return 1;
  std::ostringstream out;
  const bool written = otl::writeLayoutXml(layout, out, glyphs, true);
  // What the layout reports (lookups the document leaves out and the like), as the converter prints it.
  printLayoutWarnings(layout.takeWarnings());
  if (out.fail()) throw ToolError("cannot write \"" + arguments[2] + "\": the document could not be held in memory");
  if (!written) throw ToolError("layout XML not written\n" + layout.reports.formatAll());
  // Written whole under a temporary name: a failed run leaves no partial document.
  writeWholeFile(arguments[2], std::move(out).str());
  return 0;
}

}  // namespace otltool

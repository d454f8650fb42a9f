// otltool roundtrip GLYPHS INDIR OUTDIR: binary GSUB/GPOS/GDEF -> layout model -> binary.
#include <cstdio>
#include <string>

#include "layout/ot/binary_writer.h"
#include "layout/layout_bin_parser.h"
#include "otltool/tool_layout.h"
#include "otltool/verbs.h"

namespace otltool {

int runRoundtrip(const Arguments& arguments) {
  const std::vector<std::string> names = readGlyphOrder(arguments[0]);
  const TableSet input = readTableFolder(arguments[1]);
  otl::GlyphIdMap glyphs;
  glyphs.fill(names);
  otl::LayoutFea layout(nullptr, "");
  if (!readLayoutTables(input, glyphs, layout)) return 1;

  TableSet output;
  for (uint32_t tableId : {otl::kTableGsub, otl::kTableGpos}) {
    const otl::LayoutTableBlock* block = layout.block(tableId);
    if (block->scripts.empty() && block->lookups.isEmpty()) continue;
    if (!writeLayoutTable(block, glyphs, output[otl::ot_bin_layout::tableName(tableId)])) return 1;
  }
  if (!layout.gdef().isEmpty()) {
    ot::BinaryWriter writer;
    if (!layout.gdef().writeBinary(writer, glyphs)) {
      std::fprintf(stderr, "otltool: GDEF: offsets past 16 bits; table not written\n");
      return 1;
    }
    output["GDEF"] = writer.str();
  }
  writeTableFolder(arguments[2], output);
  return 0;
}

}  // namespace otltool

// otltool import GLYPHS FEA OUTDIR: feature file -> compile -> layout model -> written
// tables, the road a font's feature text takes in a conversion. Glyph names the text uses
// and GLYPHS lacks lose their rules, as in a conversion. The tables are written even when
// the table writer had to drop rules, but that loss is reported and fails the run.
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "layout/glyph_id_map.h"
#include "layout/layout_bin_writer.h"
#include "layout/layout_fea.h"
#include "layout/ot/binary_writer.h"
#include "layout/text/fea_text_blocks.h"
#include "model/font.h"
#include "model/glyph.h"
#include "model/object.h"
#include "otltool/tool_io.h"
#include "otltool/verbs.h"

namespace otltool {

int runImport(const Arguments& arguments) {
  const std::vector<std::string> names = readGlyphOrder(arguments[0]);
  std::istringstream text(readWholeFile(arguments[1]));
  vn::Ref<vn::Font> font = vn::Ref<vn::Font>::adopt(new vn::Font());
  for (const std::string& name : names) {
    auto* glyph = new vn::Glyph();
    glyph->name = name;
    font->appendGlyph(glyph);
  }
  otl::LayoutFea layout(font.get(), "");
  layout.includeFolder = std::filesystem::path(arguments[1]).parent_path().string();
  otl::FeaCompileError error;
  if (!layout.importFeatureFile(text, "otltool", true, &error)) {
    throw ToolError(otl::ot_fea_layout::compileErrorLine(error));
  }
  TableSet tables;
  for (const std::string& name : tableNames()) {
    const auto found = font->tables.find(name);
    tables[name] = found == font->tables.end() ? std::string() : std::string(found->second.begin(), found->second.end());
  }
  writeTableFolder(arguments[2], tables);
  // The conversion stores what the table writer could write; say what it left out.
  otl::GlyphIdMap glyphs;
  glyphs.fill(names);
  bool lost = false;
  for (uint32_t tableId : {otl::kTableGsub, otl::kTableGpos}) {
    ot::BinaryWriter writer;
    otl::ot_bin_layout::LayoutBinWriter tableWriter;
    const bool written = tableWriter.write(layout.block(tableId), writer, glyphs);
    for (const auto& entry : tableWriter.diagnostics().entries())
      std::fprintf(stderr, "otltool: %s\n", otl::Diagnostics::format(entry).c_str());
    if (!written || tableWriter.diagnostics().hasErrors()) lost = true;
  }
  return lost ? 1 : 0;
}

}  // namespace otltool

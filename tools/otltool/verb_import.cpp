// otltool import GLYPHS FEA OUTDIR: feature file -> compile -> layout model -> written
// tables, the road a font's feature text takes in a conversion. Glyph names the text uses
// and GLYPHS lacks lose their rules, as in a conversion. The tables are written even when
// the table writer had to drop rules, but that loss is reported and fails the run.
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "layout/text/fea_text_blocks.h"
#include "otltool/tool_layout.h"
#include "otltool/verbs.h"

namespace otltool {

int runImport(const Arguments& arguments) {
  const std::vector<std::string> names = readGlyphOrder(arguments[0]);
  std::istringstream text(readWholeFile(arguments[1]));
  vn::Ref<vn::Font> font = fontOfGlyphs(names);
  otl::LayoutFea layout(font.get(), "");
  layout.includeFolders = {{std::filesystem::path(arguments[1]).parent_path().string(), {}, false}};
  otl::FeaCompileError error;
  if (!layout.importFeatureFile(text, "otltool", true, &error)) {
    throw ToolError(otl::ot_fea_layout::compileErrorLine(error));
  }
  // As the converter says them (rules left out for glyphs GLYPHS lacks, among others).
  for (const std::string& line : layout.takeWarnings()) std::fprintf(stderr, "otltool: warning: %s\n", line.c_str());
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
    std::string bytes;
    if (!writeLayoutTable(layout.block(tableId), glyphs, bytes)) lost = true;
  }
  return lost ? 1 : 0;
}

}  // namespace otltool

// otltool compile GLYPHS FEA OUTDIR: the compiler's own GSUB/GPOS/GDEF bytes. The compiler's
// messages go to the standard error stream; the standard output gives the largest rule
// context, after the names of the glyphs the text used that GLYPHS lacks, one a line in
// order of first use. The tables are the compiler's own, which numbers those glyphs after
// GLYPHS; `import` leaves their rules out and says so, as a conversion does.
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "feacompiler/fea_compiler.h"
#include "model/glyph.h"
#include "model/object.h"
#include "otltool/tool_io.h"
#include "otltool/verbs.h"

namespace otltool {

int runCompile(const Arguments& arguments) {
  std::vector<std::string> names = readGlyphOrder(arguments[0]);
  std::string text = readWholeFile(arguments[1]);
  std::vector<vn::Ref<vn::Glyph>> owned;
  std::vector<vn::Glyph*> glyphs;
  for (const std::string& name : names) {
    owned.push_back(vn::Ref<vn::Glyph>::adopt(new vn::Glyph()));
    glyphs.push_back(owned.back().get());
    glyphs.back()->name = name;
  }
  fea::FeaCompiler compiler("otltool");
  compiler.setIncludeFolders({{std::filesystem::path(arguments[1]).parent_path().string(), {}, false}});
  std::istringstream stream(text);
  try {
    compiler.compile(0, &glyphs, &stream);
  } catch (const fea::FeaCompilerException&) {
    return 1;  // the compiler has shown its messages
  }
  // By name only: the compiler's provisional ids past the glyph list are no glyphs of it.
  for (const std::string& name : compiler.missingGlyphs()) std::printf("missing %s\n", name.c_str());
  std::printf("maxContext %d\n", compiler.maxContext());
  TableSet tables;
  tables["GSUB"] = compiler.gsubData();
  tables["GPOS"] = compiler.gposData();
  tables["GDEF"] = compiler.gdefData();
  writeTableFolder(arguments[2], tables);
  return 0;
}

}  // namespace otltool

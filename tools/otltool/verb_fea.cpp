// otltool fea GLYPHS INDIR OUTFILE: binary GSUB/GPOS/GDEF -> layout model -> the feature
// file the UFO writer would generate for it.
#include <cstdio>
#include <sstream>
#include <string>
#include <utility>

#include "otltool/tool_io.h"
#include "otltool/tool_layout.h"
#include "otltool/verbs.h"

namespace otltool {

int runFea(const Arguments& arguments) {
  const std::vector<std::string> names = readGlyphOrder(arguments[0]);
  const TableSet input = readTableFolder(arguments[1]);
  vn::Ref<vn::Font> font = fontOfGlyphs(names);
  otl::GlyphIdMap glyphs;
  glyphs.fill(names);
  otl::LayoutFea layout(font.get(), "");
  const bool ok = readLayoutTables(input, glyphs, layout);
  if (!ok) return 1;
  std::ostringstream text;
  vn::FeatureWriteOptions options;  // the UFO writer's
  const bool written = layout.writeFeatureFile(text, options);
  // What the layout reports (rules the text leaves out and the like), as the converter prints it.
  printLayoutWarnings(layout.takeWarnings());
  // A stream whose buffer could not grow holds a truncated text: never written as if whole.
  if (text.fail()) throw ToolError("cannot write \"" + arguments[2] + "\": the text could not be held in memory");
  if (!written) return 1;
  writeWholeFile(arguments[2], std::move(text).str());
  return 0;
}

}  // namespace otltool

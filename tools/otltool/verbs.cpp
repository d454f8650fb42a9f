#include "otltool/verbs.h"

namespace otltool {

int runCompile(const Arguments& arguments);
int runRoundtrip(const Arguments& arguments);
int runImport(const Arguments& arguments);
int runFea(const Arguments& arguments);
int runXml(const Arguments& arguments);
int runReadXml(const Arguments& arguments);

// The verbs, one layout path each:
//   compile   GLYPHS FEA OUTDIR      feature file -> the compiler's GSUB/GPOS/GDEF bytes
//   import    GLYPHS FEA OUTDIR      feature file -> layout model -> written tables
//   roundtrip GLYPHS INDIR OUTDIR    tables -> layout model -> written tables
//   fea       GLYPHS INDIR OUTFILE   tables -> layout model -> generated feature file
//   xml       GLYPHS INDIR OUTFILE   tables -> layout model -> layout XML document
//   readxml   GLYPHS XMLFILE OUTDIR  layout XML document -> layout model -> written tables
const std::vector<Verb>& verbs() {
  static const std::vector<Verb> table = {
      {"compile", "GLYPHS FEA OUTDIR", runCompile},
      {"import", "GLYPHS FEA OUTDIR", runImport},
      {"roundtrip", "GLYPHS INDIR OUTDIR", runRoundtrip},
      {"fea", "GLYPHS INDIR OUTFILE", runFea},
      {"xml", "GLYPHS INDIR OUTFILE", runXml},
      {"readxml", "GLYPHS XMLFILE OUTDIR", runReadXml},
  };
  return table;
}

}  // namespace otltool

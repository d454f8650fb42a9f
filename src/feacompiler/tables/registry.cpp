#include <vector>

#include "feacompiler/tables/cmap_module.h"
#include "feacompiler/tables/table_modules.h"
#include "feacompiler/tables/unwritten_modules.h"
#include "layout/ot/tag.h"

namespace fea {

struct SfntDirectory {
  std::vector<TableModule> modules;
  uint16_t nextNumber = 20;
};

namespace {

void nothing(coreContext*) {}
int cffFill(coreContext*) { return 1; }

}  // namespace

const std::vector<TableModule>& tableRegistry() {
  static const std::vector<TableModule> registry = {
      {ot::tagValue("head"), headNew, headFill, headWrite, nothing, headFree, 1, 1, 0},
      {ot::tagValue("hhea"), hheaNew, nullptr, nullptr, nothing, hheaFree, 2, 2, 0},
      {ot::tagValue("maxp"), maxpNew, maxpFill, maxpWrite, nothing, maxpFree, 1, 3, 0},
      {ot::tagValue("OS/2"), OS_2New, nullptr, nullptr, nothing, OS_2Free, 1, 4, 0},
      {ot::tagValue("name"), nameNew, nullptr, nullptr, nothing, nameFree, 3, 5, 0},
      {ot::tagValue("cmap"), cmapNew, nullptr, nullptr, cmapReuse, cmapFree, 1, 6, 0},
      {ot::tagValue("post"), postNew, postFill, postWrite, nothing, postFree, 1, 7, 0},
      {ot::tagValue("fvar"), fvarNew, fvarFill, fvarWrite, nothing, fvarFree, 1, 8, 0},
      {ot::tagValue("MMSD"), MMSDNew, MMSDFill, MMSDWrite, MMSDReuse, MMSDFree, 1, 9, 0},
      {ot::tagValue("MMFX"), MMFXNew, nullptr, nullptr, nothing, MMFXFree, 1, 10, 0},
      {ot::tagValue("CFF "), CFFNew, cffFill, CFFWrite, nothing, CFFFree, 1, 11, 0},
      {ot::tagValue("hmtx"), hmtxNew, hmtxFill, hmtxWrite, nothing, hmtxFree, 1, 12, 0},
      {ot::tagValue("vhea"), vheaNew, vheaFill, vheaWrite, nothing, vheaFree, 2, 13, 0},
      {ot::tagValue("vmtx"), vmtxNew, vmtxFill, vmtxWrite, nothing, vmtxFree, 1, 14, 0},
      {ot::tagValue("GDEF"), GDEFNew, GDEFFill, GDEFWrite, nothing, GDEFFree, 1, 15, 0},
      {ot::tagValue("GSUB"), GSUBNew, GSUBFill, GSUBWrite, GSUBReuse, GSUBFree, 1, 16, 0},
      {ot::tagValue("GPOS"), GPOSNew, GPOSFill, GPOSWrite, GPOSReuse, GPOSFree, 1, 17, 0},
      {ot::tagValue("BASE"), BASENew, nullptr, nullptr, nothing, BASEFree, 1, 18, 0},
      {ot::tagValue("VORG"), VORGNew, VORGFill, VORGWrite, VORGReuse, VORGFree, 1, 19, 0},
  };
  return registry;
}

void sfntNew(coreContext* g) {
  g->sfnt = new SfntDirectory();
  g->sfnt->modules = tableRegistry();
  for (const TableModule& m : g->sfnt->modules) m.newOp(g);
  g->sfnt->nextNumber = 20;
}

void sfntReuse(coreContext* g) {
  for (TableModule& m : g->sfnt->modules) {
    // Nothing sets a used mark, so no Reuse runs from here.
    if ((m.used & 1) && m.reuse) m.reuse(g);
    m.used = 0;
  }
  g->sfnt->nextNumber = 20;
}

void sfntFree(coreContext* g) {
  if (!g->sfnt) return;
  for (const TableModule& m : g->sfnt->modules) m.freeOp(g);
  delete g->sfnt;
  g->sfnt = nullptr;
}

}  // namespace fea

// New and Free of the unwritten table modules: each context is allocated through the core,
// ends with the core's back pointer and is held in the core's slot for the module.
#include <new>

#include "feacompiler/tables/unwritten_modules.h"

namespace fea {

namespace {

template <class T>
T* makeContext(coreContext* g, T*& slot) {
  T* c = new (coreAlloc(g, sizeof(T))) T{};
  c->g = g;
  slot = c;
  return c;
}

template <class T>
void dropContext(coreContext* g, T*& slot) {
  if (!slot) return;
  slot->~T();
  coreRelease(g, slot);
  slot = nullptr;
}

void fvarInitArrays(void* client, long count, FvarInstance* items) {
  auto* g = static_cast<coreContext*>(client);
  for (long i = 0; i < count; ++i) {
    items[i] = FvarInstance{};
    items[i].coords.bind(&g->arrays, 3, 12);
  }
}

}  // namespace

void CFFNew(coreContext* g) { makeContext(g, g->cff); }
void CFFFree(coreContext* g) { dropContext(g, g->cff); }

void VORGNew(coreContext* g) {
  makeContext(g, g->vorg)->records.bind(&g->arrays, 300, 600);
}
void VORGFree(coreContext* g) {
  if (g->vorg) g->vorg->records.release();
  dropContext(g, g->vorg);
}

void vmtxNew(coreContext* g) {
  VmtxContext* c = makeContext(g, g->vmtx);
  c->vMetrics.bind(&g->arrays, 14000, 14000);
  c->topSideBearing.bind(&g->arrays, 14000, 14000);
}
void vmtxFree(coreContext* g) {
  if (g->vmtx) {
    g->vmtx->vMetrics.release();
    g->vmtx->topSideBearing.release();
  }
  dropContext(g, g->vmtx);
}

void hmtxNew(coreContext* g) {
  HmtxContext* c = makeContext(g, g->hmtx);
  c->hMetrics.bind(&g->arrays, 315, 14000);
  c->leftSideBearing.bind(&g->arrays, 315, 14000);
}
void hmtxFree(coreContext* g) {
  if (g->hmtx) {
    g->hmtx->hMetrics.release();
    g->hmtx->leftSideBearing.release();
  }
  dropContext(g, g->hmtx);
}

void postNew(coreContext* g) { makeContext(g, g->post); }
void postFree(coreContext* g) { dropContext(g, g->post); }
void headNew(coreContext* g) { makeContext(g, g->head); }
void headFree(coreContext* g) { dropContext(g, g->head); }
void vheaNew(coreContext* g) { makeContext(g, g->vhea); }
void vheaFree(coreContext* g) { dropContext(g, g->vhea); }
void maxpNew(coreContext* g) { makeContext(g, g->maxp); }
void maxpFree(coreContext* g) { dropContext(g, g->maxp); }

void fvarNew(coreContext* g) {
  FvarContext* c = makeContext(g, g->fvar);
  c->axes.bind(&g->arrays, 4, 11);
  c->instances.bind(&g->arrays, 12, 12, fvarInitArrays, g);
}
void fvarFree(coreContext* g) {
  FvarContext* c = g->fvar;
  if (!c) return;
  // Every instance slot up to the capacity got a coordinate array from the init callback.
  for (long i = 0; i < c->instances.capacity; ++i) c->instances.array[i].coords.release();
  c->axes.release();
  c->instances.release();
  dropContext(g, g->fvar);
}

// The record arrays exist only after MMSDFill; MMSDReuse releases them.
void MMSDNew(coreContext* g) { makeContext(g, g->mmsd); }
// Also drops records a Fill left behind, so no path leaks them.
void MMSDFree(coreContext* g) {
  if (g->mmsd) MMSDReuse(g);
  dropContext(g, g->mmsd);
}

}  // namespace fea

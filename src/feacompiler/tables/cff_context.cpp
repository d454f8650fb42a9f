// Creation and teardown of the CFF compiler context, its allocator and its lists.
#include "feacompiler/tables/cff_context.h"

#include <cstdlib>
#include <string>

#include "feacompiler/core_context.h"

namespace fea {

namespace {

// Serves only to allocate the allocator record's own heap copy during creation.
ArrayAllocator gBootstrap;

template <class T>
T* allocBlock(CffCompilerContext* h) {
  auto* p = static_cast<T*>(h->cb.allocate(h->cb.clientData, sizeof(T)));
  *p = T{};
  return p;
}

void releaseBlock(CffCompilerContext* h, void* block) { h->cb.release(h->cb.clientData, block); }

template <class T>
CffList<T>* newList(CffCompilerContext* h, long initial, long incr,
                    typename GrowArray<T>::InitFn init = nullptr) {
  auto* list = allocBlock<CffList<T>>(h);
  list->items.bind(h->alloc, initial, incr, init, h);
  list->h = h;
  return list;
}

template <class T>
void freeList(CffCompilerContext* h, CffList<T>*& list) {
  if (!list) return;
  list->items.release();
  releaseBlock(h, list);
  list = nullptr;
}

void cffCompilerInitBuffers(void* client, long count, CffBuffer* items) {
  auto* h = static_cast<CffCompilerContext*>(client);
  for (long i = 0; i < count; ++i) {
    items[i] = CffBuffer{};
    items[i].bytes.bind(h->alloc, 500, 200);
  }
}

void cffCompilerInitEntries(void*, long count, CffEntry* items) {
  for (long i = 0; i < count; ++i) items[i].words[3] = nullptr;
}

void cffCompilerInitRecords(void* client, long count, CffRecord* items) {
  auto* h = static_cast<CffCompilerContext*>(client);
  for (long i = 0; i < count; ++i) {
    items[i] = CffRecord{};
    items[i].a.bind(h->alloc, 50, 50);
    items[i].b.bind(h->alloc, 100, 50);
  }
}

// Bridges to the core: allocation failures are the core's fatal errors.
void* coreCbAllocate(void* client, size_t size) {
  return coreAlloc(static_cast<coreContext*>(client), size);
}
void* coreCbResize(void* client, void* block, size_t size) {
  return coreMemManage(&static_cast<coreContext*>(client)->arrays, block, size ? size : 1);
}
void coreCbRelease(void* client, void* block) {
  coreRelease(static_cast<coreContext*>(client), block);
}
void coreCbFatal(void* client) { coreFatal(static_cast<coreContext*>(client)); }
void coreCbMessage(void* client, int level, const char* text) {
  static_cast<coreContext*>(client)->client->message(level, text);
}

}  // namespace

void* cffMemManage(const ArrayAllocator* record, void* block, size_t size) {
  auto* h = static_cast<CffCompilerContext*>(record->owner);
  if (size == 0) {
    if (block) h->cb.release(h->cb.clientData, block);
    return nullptr;
  }
  if (!block) return h->cb.allocate(h->cb.clientData, size);
  return h->cb.resize(h->cb.clientData, block, size);
}

void cffFatal(CffCompilerContext* h, const char* text) {
  void* client = h->cb.clientData;
  std::string line = text;
  if (h->cb.fontName) {
    const char* font = h->cb.fontName(client);
    if (h->cb.message) h->cb.message(client, 3, ("--- Source font: " + std::string(font)).c_str());
    line += " [" + std::string(font) + "]";
  }
  if (h->cb.message) h->cb.message(client, 3, line.c_str());
  if (h->cb.fatal) h->cb.fatal(client);
  std::abort();  // entry 1 must not return
}

CffCompilerContext* cffCompilerNew(const CffCallbacks* callbacks) {
  auto* h = static_cast<CffCompilerContext*>(
      callbacks->allocate(callbacks->clientData, sizeof(CffCompilerContext)));
  *h = CffCompilerContext{};
  h->cb = *callbacks;
  auto* holder = allocBlock<CffRecordHolder>(h);

  gBootstrap = {h, cffMemManage};
  void* copy = gBootstrap.manage(&gBootstrap, nullptr, sizeof(ArrayAllocator));
  if (copy) {
    h->alloc = static_cast<ArrayAllocator*>(copy);
    *h->alloc = {h, cffMemManage};
  }

  holder->records.bind(h->alloc, 4, 120, cffCompilerInitRecords, h);
  holder->words[0] = holder->words[1] = 0;
  h->charstringTypes = nullptr;

  sindexNew(h);
  h->entries = newList<CffEntry>(h, 1, 10, cffCompilerInitEntries);
  charsetNew(h);
  t1ParseNew(h);
  h->buffers = newList<CffBuffer>(h, 1, 10, cffCompilerInitBuffers);
  hintNew(h);
  csNew(h);
  h->further = newList<long>(h, 4, 10);
  h->self = static_cast<CffCompilerContext**>(
      h->cb.allocate(h->cb.clientData, sizeof(CffCompilerContext*)));
  *h->self = h;
  holder->h = h;
  h->holder = holder;
  return h;
}

void cffCompilerFreeBuffers(CffCompilerContext* h) {
  if (!h->buffers) return;
  GrowArray<CffBuffer>& items = h->buffers->items;
  for (long i = 0; i < items.capacity; ++i) items.array[i].bytes.release();
  freeList(h, h->buffers);
}

void cffCompilerFreeRecords(CffCompilerContext* h) {
  GrowArray<CffRecord>& records = h->holder->records;
  auto drop = [h](void*& block) {
    if (block) releaseBlock(h, block);
    block = nullptr;
  };
  for (long i = 0; i < records.count; ++i) {
    CffRecord& r = records.array[i];
    for (void*& b : r.single) drop(b);
    if (r.flags & 1) for (void*& b : r.pairA) drop(b);
    if (r.flags & 4) for (void*& b : r.pairB) drop(b);
    if (r.flags & 2) {
      drop(r.extra);
      for (long k = 0; k < r.subCount; ++k) {
        r.subs[k].a.release();
        r.subs[k].b.release();
        if (r.subs[k].flags & 1) for (void*& b : r.subs[k].pair) drop(b);
      }
      void* subs = r.subs;
      drop(subs);
    }
    r.a.release();
    r.b.release();
    cffCompilerInitRecords(h, 1, &r);
  }
  records.count = 0;
}

void cffCompilerFree(CffCompilerContext* h) {
  if (!h) return;
  sindexFree(h);
  freeList(h, h->entries);
  freeList(h, h->charsets);  // the SID lists are constant
  t1ParseFree(h);
  cffCompilerFreeBuffers(h);
  hintFree(h);
  csFree(h);
  freeList(h, h->further);
  releaseBlock(h, h->self);
  cffCompilerFreeRecords(h);
  h->holder->records.release();
  if (h->alloc) cffMemManage(h->alloc, h->alloc, 0);
  releaseBlock(h, h->holder);
  releaseBlock(h, h);
}

CffCompilerContext* cffCompilerNewForCore(coreContext* g) {
  CffCallbacks cb{};
  cb.clientData = g;
  cb.fatal = coreCbFatal;
  cb.message = coreCbMessage;
  cb.allocate = coreCbAllocate;
  cb.resize = coreCbResize;
  cb.release = coreCbRelease;
  return cffCompilerNew(&cb);
}

}  // namespace fea

// New and Free of the CFF compiler's parser, charstring generator and charstring store.
// Their arrays reserve nothing until first used; nothing in a compile uses them.
#include "feacompiler/tables/cff_context.h"

namespace fea {

namespace {

template <class T>
T* allocBlock(CffCompilerContext* h) {
  auto* p = static_cast<T*>(h->cb.allocate(h->cb.clientData, sizeof(T)));
  *p = T{};
  return p;
}

void releaseBlock(CffCompilerContext* h, void* block) { h->cb.release(h->cb.clientData, block); }

// The charstring generator reaches the store through here.
CharstringStore* gStore = nullptr;

void hintInitRecords(void* client, long count, HintRecord* items) {
  auto* h = static_cast<CffCompilerContext*>(client);
  for (long i = 0; i < count; ++i) {
    items[i] = HintRecord{};
    items[i].values.bind(h->alloc, 50, 50);
  }
}

}  // namespace

CharstringStore* cffCurrentStore() { return gStore; }

void t1ParseNew(CffCompilerContext* h) {
  static constexpr long kSizes[10][2] = {{35000, 50000}, {1500, 500}, {1500, 500}, {500, 200},
                                         {250, 50},      {256, 64},   {256, 64},   {256, 64},
                                         {2, 1},         {150, 1}};
  auto* t = allocBlock<T1ParseContext>(h);
  for (int i = 0; i < 10; ++i) t->arrays[i].bind(h->alloc, kSizes[i][0], kSizes[i][1]);
  t->flag = 1;
  t->clientData = h->cb.clientData;
  t->fatal = h->cb.fatal;
  t->message = h->cb.message;
  t->allocate = h->cb.allocate;
  t->release = h->cb.release;
  t->fontName = h->cb.fontName;
  t->fontInput = h->cb.fontInput7;
  t->h = h;
  t->keys = t1KeySlots();
  h->t1 = t;
}

void t1ParseFree(CffCompilerContext* h) {
  T1ParseContext* t = h->t1;
  if (!t) return;
  if (t->tokenizer && t->tokenizerFree) t->tokenizerFree(t->tokenizer);
  for (auto& a : t->arrays) a.release();
  releaseBlock(h, t);
  h->t1 = nullptr;
}

void hintNew(CffCompilerContext* h) {
  static constexpr long kSizes[9][2] = {{25000, 10000}, {250, 50}, {48, 48},  {96, 96}, {4, 4},
                                        {50, 100},      {20, 100}, {150, 150}, {30, 100}};
  auto* c = allocBlock<CharstringGenContext>(h);
  for (int i = 0; i < 9; ++i) c->arrays[i].bind(h->alloc, kSizes[i][0], kSizes[i][1]);
  c->records.bind(h->alloc, 1, 10, hintInitRecords, h);
  c->h = h;
  for (int k = 0; k < kHintCheckCount; ++k) c->warnings[k] = {0, hintCheckText(k)};
  h->hint = c;
}

void hintFree(CffCompilerContext* h) {
  CharstringGenContext* c = h->hint;
  if (!c) return;
  for (auto& a : c->arrays) a.release();
  // Every record slot up to the capacity got its array from the init callback.
  for (long i = 0; i < c->records.capacity; ++i) c->records.array[i].values.release();
  c->records.release();
  releaseBlock(h, c);
  h->hint = nullptr;
}

void csNew(CffCompilerContext* h) {
  static constexpr long kSizes[7][2] = {{500, 1000}, {500, 1000}, {500, 1000}, {10, 10},
                                        {40, 40},    {100, 200},  {5000, 2000}};
  auto* s = allocBlock<CharstringStore>(h);
  for (int i = 0; i < 7; ++i) s->arrays[i].bind(h->alloc, kSizes[i][0], kSizes[i][1]);
  s->mode = 2;
  s->h = h;
  h->store = s;
  gStore = s;
}

void csFree(CffCompilerContext* h) {
  CharstringStore* s = h->store;
  if (!s) return;
  for (CsNode*& head : s->lists) {
    while (head) {
      CsNode* next = head->next;
      if (head->block) releaseBlock(h, head->block);
      releaseBlock(h, head);
      head = next;
    }
  }
  for (auto& a : s->arrays) a.release();
  if (gStore == s) gStore = nullptr;  // never leave the process-wide pointer dangling
  releaseBlock(h, s);
  h->store = nullptr;
}

}  // namespace fea

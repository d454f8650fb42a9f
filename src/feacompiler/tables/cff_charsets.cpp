// The three predefined charsets, as constant SID lists without ".notdef".
#include <array>

#include "feacompiler/tables/cff_context.h"

namespace fea {

namespace {

struct SidRun {
  uint16_t first, last;
};

template <size_t N, size_t R>
constexpr std::array<uint16_t, N> expand(const SidRun (&runs)[R]) {
  std::array<uint16_t, N> out{};
  size_t n = 0;
  for (const SidRun& r : runs)
    for (uint16_t s = r.first; s <= r.last; ++s) out[n++] = s;
  return out;
}

template <size_t R>
constexpr size_t total(const SidRun (&runs)[R]) {
  size_t n = 0;
  for (const SidRun& r : runs) n += static_cast<size_t>(r.last - r.first + 1);
  return n;
}

constexpr SidRun kIsoAdobeRuns[] = {{1, 228}};
constexpr SidRun kExpertRuns[] = {
    {1, 1},     {229, 238}, {13, 15},   {99, 99},   {239, 248}, {27, 28},   {249, 266},
    {109, 110}, {267, 318}, {158, 158}, {155, 155}, {163, 163}, {319, 326}, {150, 150},
    {164, 164}, {169, 169}, {327, 378}};
constexpr SidRun kExpertSubsetRuns[] = {
    {1, 1},     {231, 232}, {235, 238}, {13, 15},   {99, 99},   {239, 248}, {27, 28},
    {249, 251}, {253, 266}, {109, 110}, {267, 270}, {272, 272}, {300, 302}, {305, 305},
    {314, 315}, {158, 158}, {155, 155}, {163, 163}, {320, 326}, {150, 150}, {164, 164},
    {169, 169}, {327, 346}};

constexpr auto kIsoAdobe = expand<total(kIsoAdobeRuns)>(kIsoAdobeRuns);
constexpr auto kExpert = expand<total(kExpertRuns)>(kExpertRuns);
constexpr auto kExpertSubset = expand<total(kExpertSubsetRuns)>(kExpertSubsetRuns);
static_assert(kIsoAdobe.size() == 228 && kExpert.size() == 165 && kExpertSubset.size() == 86);

}  // namespace

const uint16_t* cffCharsetSids(int which, long* count) {
  switch (which) {
    case 0: *count = static_cast<long>(kIsoAdobe.size()); return kIsoAdobe.data();
    case 1: *count = static_cast<long>(kExpert.size()); return kExpert.data();
    case 2: *count = static_cast<long>(kExpertSubset.size()); return kExpertSubset.data();
    default: *count = 0; return nullptr;
  }
}

void charsetNew(CffCompilerContext* h) {
  using List = CffList<CharsetRecord>;
  auto* list = static_cast<List*>(h->cb.allocate(h->cb.clientData, sizeof(List)));
  *list = List{};
  list->items.bind(h->alloc, 4, 10);
  list->h = h;
  h->charsets = list;
  for (int which = 0; which < 3; ++which) {
    CharsetRecord* r = list->items.next();
    *r = CharsetRecord{};
    r->sids = cffCharsetSids(which, &r->nSIDs);
  }
}

}  // namespace fea

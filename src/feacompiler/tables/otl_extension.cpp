// Plain lookups moved to the Extension form after their subtables were built: the subtable
// section laid out again, and the coverages and classes of the moved subtables taken into
// sections of their own.
#include <algorithm>
#include <map>
#include <set>

#include "feacompiler/tables/otl_builder.h"

namespace fea {

namespace {

using ClassPairs = std::vector<std::pair<uint16_t, uint16_t>>;

// The coverages and classes a built subtable points at, in the order of its fixups.
struct Blocks {
  std::vector<std::vector<uint16_t>> coverages;
  std::vector<ClassPairs> classes;
};

Blocks blocksOf(coreContext* g, const OtlTable& from, const BuiltSubtable& built) {
  Blocks blocks;
  for (const OtlFixup& f : built.fixups) {
    if (f.kind == OtlFixup::kCoverage) blocks.coverages.push_back(otlCoverageAt(g, &from, f.value));
    if (f.kind == OtlFixup::kClass) blocks.classes.push_back(otlClassAt(g, &from, f.value));
  }
  return blocks;
}

// Points the subtable's fixups at its blocks placed in `to`.
void placeBlocks(coreContext* g, const Blocks& blocks, OtlTable& to, BuiltSubtable& built) {
  size_t coverage = 0, cls = 0;
  for (OtlFixup& f : built.fixups) {
    if (f.kind == OtlFixup::kCoverage) {
      f.value = otlCoverageOf(g, &to, blocks.coverages[coverage++]);
    } else if (f.kind == OtlFixup::kClass) {
      otlClassBegin(g, &to);
      for (const auto& [gid, c] : blocks.classes[cls++]) otlClassAddMapping(g, &to, gid, c);
      f.value = otlClassEnd(g, &to);
    }
  }
}

bool isPlain(const BuilderSubtable& s) { return !s.ext && !otlIsReference(s.p.label); }

}  // namespace

void otlBuilderPromote(coreContext* g, OtlBuilder& b, const std::vector<uint16_t>& promoted) {
  const std::set<uint16_t> moving(promoted.begin(), promoted.end());
  auto moves = [&](const BuilderSubtable& s) { return isPlain(s) && !s.featureParam && moving.count(s.p.label) != 0; };
  size_t first = 0;
  while (first < b.subtables.size() && !moves(b.subtables[first])) ++first;
  if (first == b.subtables.size()) return;

  // What comes before `first` keeps its place; the shared sections give back the blocks
  // made from there on, which the plain subtables that stay take again in their order.
  std::vector<Blocks> blocks;
  for (size_t i = first; i < b.subtables.size(); ++i) {
    const BuilderSubtable& s = b.subtables[i];
    blocks.push_back(isPlain(s) ? blocksOf(g, *b.table, s.built) : Blocks());
  }
  otlSectionsCut(b.table.get(), b.subtables[first].coverageMark, b.subtables[first].classMark);
  b.mainSize = b.subtables[first].offset;
  for (size_t i = first; i < b.subtables.size(); ++i) {
    if (b.subtables[i].ext) {
      b.extSize = b.subtables[i].extOffset;
      break;
    }
  }
  for (size_t i = first; i < b.subtables.size(); ++i) {
    BuilderSubtable& s = b.subtables[i];
    s.offset = b.mainSize;
    if (otlIsReference(s.p.label)) continue;
    if (moves(s)) {
      s.ext = otlNew(g);
      placeBlocks(g, blocks[i - first], *s.ext, s.built);
    } else if (!s.ext) {
      s.coverageMark = b.table->coverageSize;
      s.classMark = b.table->classSize;
      placeBlocks(g, blocks[i - first], *b.table, s.built);
    }
    const auto size = static_cast<uint32_t>(s.built.bytes.size());
    if (s.ext) {
      s.extOffset = b.extSize;
      b.mainSize += 8;
      b.extSize += size + s.ext->coverageSize + s.ext->classSize;
    } else {
      b.mainSize += size;
    }
  }
}

uint64_t otlBuilderSectionReach(const OtlBuilder& b) {
  uint64_t reach = 0;
  for (const BuilderSubtable& s : b.subtables) {
    if (!isPlain(s)) continue;
    const uint64_t toSections = uint64_t{b.mainSize} - s.offset;
    for (const OtlFixup& f : s.built.fixups) {
      if (f.kind == OtlFixup::kCoverage) reach = std::max(reach, toSections + f.value);
      if (f.kind == OtlFixup::kClass) reach = std::max(reach, toSections + b.table->coverageSize + f.value);
    }
  }
  return reach;
}

bool otlBuilderShrink(coreContext* g, OtlBuilder& b, uint64_t excess) {
  // Bytes each plain lookup would give back to the subtable section, and its first place.
  std::map<uint16_t, std::pair<int64_t, size_t>> saving;
  for (size_t i = 0; i < b.subtables.size(); ++i) {
    const BuilderSubtable& s = b.subtables[i];
    if (!isPlain(s) || s.featureParam) continue;
    auto& entry = saving.try_emplace(s.p.label, 0, i).first->second;
    entry.first += static_cast<int64_t>(s.built.bytes.size()) - 8;
  }
  std::vector<std::pair<uint16_t, std::pair<int64_t, size_t>>> order(saving.begin(), saving.end());
  std::stable_sort(order.begin(), order.end(), [](const auto& x, const auto& y) {
    return x.second.first != y.second.first ? x.second.first > y.second.first : x.second.second < y.second.second;
  });
  std::vector<uint16_t> promoted;
  int64_t freed = 0;
  for (const auto& [label, entry] : order) {
    if (!promoted.empty() && freed >= static_cast<int64_t>(excess)) break;
    promoted.push_back(label);
    freed += entry.first;
  }
  if (promoted.empty()) return false;
  otlBuilderPromote(g, b, promoted);
  return true;
}

}  // namespace fea

// GPOS cursive, mark-to-base, mark-to-mark and mark-to-ligature attachment.
#include <algorithm>
#include <map>

#include "feacompiler/tables/gpos_builder.h"

namespace fea {

namespace {

// Anchors of one subtable, equal ones written once.
struct AnchorList {
  std::vector<GpsAnchor> anchors;
  std::vector<uint32_t> offsets;
  uint32_t size = 0;

  uint32_t add(GpsAnchor a) {
    if (a.format == 0) a.format = 1;  // a NULL anchor where one is needed is (x, y)
    for (size_t i = 0; i < anchors.size(); ++i) {
      const GpsAnchor& b = anchors[i];
      if (b.format == a.format && b.x == a.x && b.y == a.y &&
          (a.format != 2 || b.contourPoint == a.contourPoint)) {
        return offsets[i];
      }
    }
    anchors.push_back(a);
    offsets.push_back(size);
    size += a.format == 2 ? 8 : 6;
    return offsets.back();
  }

  void write(Bytes& out) const {
    for (const GpsAnchor& a : anchors) {
      put16(out, static_cast<uint32_t>(a.format));
      put16(out, static_cast<uint16_t>(a.x));
      put16(out, static_cast<uint16_t>(a.y));
      if (a.format == 2) put16(out, a.contourPoint);
    }
  }
};

int gposMarkClassAdd(coreContext* g, GposLookupInfo& l, const GlyphNode* cls, int line) {
  for (size_t i = 0; i < l.markClasses.size(); ++i) {
    if (l.markClasses[i].key == cls) return static_cast<int>(i);
  }
  GposMarkClass mc;
  mc.key = cls;
  mc.name = cls->markClassName ? cls->markClassName : "";
  for (const GlyphNode* n = cls; n != nullptr; n = n->nextCl) mc.members.emplace_back(n->gid, n->anchor);
  bool error = false;
  std::string where = gposWhere(l.file, line);
  for (const auto& [gid, anchor] : mc.members) {
    for (const GposMarkClass& other : l.markClasses) {
      for (const auto& m : other.members) {
        if (m.first != gid) continue;
        coreMsg(g, kMsgError, "The glyph '%s' is in mark class '%s' and in mark class '%s' of the same lookup.%s",
                gposGlyphName(g, gid).c_str(), other.name.c_str(), mc.name.c_str(), where.c_str());
        error = true;
      }
    }
  }
  for (size_t i = 0; i < mc.members.size(); ++i) {
    for (size_t j = i + 1; j < mc.members.size(); ++j) {
      if (mc.members[i].first != mc.members[j].first) continue;
      coreMsg(g, kMsgError, "The glyph '%s' occurs more than once in mark class '%s'.%s",
              gposGlyphName(g, mc.members[i].first).c_str(), mc.name.c_str(), where.c_str());
      error = true;
    }
  }
  l.markClasses.push_back(std::move(mc));
  return error ? -1 : static_cast<int>(l.markClasses.size() - 1);
}

struct MarkRecord {
  uint16_t gid;
  uint16_t cls;
  GpsAnchor anchor;
};

// Mark coverage and the sorted mark records, one per glyph.
std::vector<MarkRecord> markRecords(const GposLookupInfo& l) {
  std::vector<MarkRecord> marks;
  for (size_t c = 0; c < l.markClasses.size(); ++c) {
    for (const auto& [gid, anchor] : l.markClasses[c].members) {
      marks.push_back({gid, static_cast<uint16_t>(c), anchor});
    }
  }
  std::stable_sort(marks.begin(), marks.end(),
                   [](const MarkRecord& a, const MarkRecord& b) { return a.gid < b.gid; });
  marks.erase(std::unique(marks.begin(), marks.end(),
                          [](const MarkRecord& a, const MarkRecord& b) { return a.gid == b.gid; }),
              marks.end());
  return marks;
}

bool sortByGlyph(const GposBaseRecord& a, const GposBaseRecord& b) { return a.gid < b.gid; }

// The mark half that mark-to-base/mark and mark-to-ligature subtables share: the mark
// records, their coverage, and their anchors first in the subtable's anchor list.
struct MarkSide {
  std::vector<MarkRecord> marks;
  uint32_t coverage = 0;
  AnchorList anchors;
  std::vector<uint32_t> markAnchor;  // anchor-list offset of each mark's anchor
};

MarkSide markSide(coreContext* g, OtlTable* t, const GposLookupInfo& l) {
  MarkSide side;
  side.marks = markRecords(l);
  std::vector<uint16_t> markGlyphs;
  for (const auto& m : side.marks) markGlyphs.push_back(m.gid);
  side.coverage = otlCoverageOf(g, t, markGlyphs);
  for (const auto& m : side.marks) side.markAnchor.push_back(side.anchors.add(m.anchor));
  return side;
}

// Format, both coverages, the class count, the MarkArray (at 12) with its records, and the
// offset of the base-side array; `anchorStart` is where the anchor list begins.
void writeMarkHead(coreContext* g, BuiltSubtable& s, const MarkSide& side, uint32_t otherCoverage,
                   size_t classCount, uint64_t arrayOffset, uint64_t anchorStart, const char* arrayName,
                   const char* kind, const char* otherCoverageName) {
  put16(s.bytes, 1);
  s.coverage(2, side.coverage, "mark coverage", kind);
  put16(s.bytes, 0);
  s.coverage(4, otherCoverage, otherCoverageName, kind);
  put16(s.bytes, 0);
  put16(s.bytes, static_cast<uint32_t>(classCount));
  put16(s.bytes, 12);
  put16(s.bytes, otlOffset16(g, arrayOffset, arrayName, kind, "positioning"));
  put16(s.bytes, static_cast<uint32_t>(side.marks.size()));
  for (size_t i = 0; i < side.marks.size(); ++i) {
    put16(s.bytes, side.marks[i].cls);
    put16(s.bytes, otlOffset16(g, anchorStart + side.markAnchor[i] - 12, "Anchor", kind, "positioning"));
  }
}

}  // namespace

void gposCursiveRecordsAdd(GposLookupInfo& l, const GlyphNode* element, int anchorCount,
                           const GpsAnchor* anchors, int line) {
  for (const GlyphNode* n = element; n != nullptr; n = n->nextCl) {
    GposBaseRecord r;
    r.gid = n->gid;
    r.anchors.assign(anchors, anchors + std::min(anchorCount, 2));
    r.anchors.resize(2);
    r.line = line;
    l.baseRecords.push_back(std::move(r));
  }
}

void gposBaseRecordsAdd(coreContext* g, GposLookupInfo& l, const GlyphNode* element,
                        int anchorCount, const GpsAnchor* anchors, int line) {
  for (const GlyphNode* n = element; n != nullptr; n = n->nextCl) {
    for (int i = 0; i < anchorCount; ++i) {
      if (i == 0 || anchors[i].componentIndex != anchors[i - 1].componentIndex) {
        l.baseRecords.push_back({n->gid, {}, line});
      }
      GpsAnchor a = anchors[i];
      a.markClassIndex = a.markClass ? gposMarkClassAdd(g, l, a.markClass, line) : -1;
      l.baseRecords.back().anchors.push_back(a);
    }
  }
}

void gposCursiveFill(coreContext* g, GPOSContext& h, GposLookupInfo& l) {
  std::stable_sort(l.baseRecords.begin(), l.baseRecords.end(), sortByGlyph);
  std::vector<const GposBaseRecord*> recs;
  for (const GposBaseRecord& r : l.baseRecords) {
    if (!recs.empty() && recs.back()->gid == r.gid) {
      coreMsg(g, kMsgError,
              "Cursive statement error: A previous statment has already referenced the same glyph "
              "'%s'. Skipping rule. %s",
              gposGlyphName(g, r.gid).c_str(),
              l.file.empty() ? ""
                             : formatf(" [%s current %d previous %d]", l.file.c_str(), r.line,
                                       recs.back()->line).c_str());
      continue;
    }
    recs.push_back(&r);
  }
  size_t index = otlBuilderStart(g, h.b, l.p, false);
  OtlTable* t = otlBuilderSections(g, h.b, index);
  std::vector<uint16_t> glyphs;
  for (const auto* r : recs) glyphs.push_back(r->gid);
  uint32_t cov = otlCoverageOf(g, t, glyphs);
  AnchorList anchors;
  uint64_t start = 6 + 4 * recs.size();
  BuiltSubtable s;
  put16(s.bytes, 1);
  s.coverage(2, cov, "cursive coverage", "CursivePos");
  put16(s.bytes, 0);
  put16(s.bytes, static_cast<uint32_t>(recs.size()));
  for (const auto* r : recs) {
    for (int k = 0; k < 2; ++k) {
      const GpsAnchor& a = r->anchors[k];
      put16(s.bytes, a.format == 0 ? 0 : otlOffset16(g, start + anchors.add(a), "Anchor", "CursivePos", "positioning"));
    }
  }
  anchors.write(s.bytes);
  otlBuilderFinish(g, h.b, index, std::move(s),
                   "Cursive Attach lookup subtable in GPOS feature '%c%c%c%c' causes offset overflow.");
}

void gposMarkToBaseFill(coreContext* g, GPOSContext& h, GposLookupInfo& l) {
  size_t index = otlBuilderStart(g, h.b, l.p, false);
  OtlTable* t = otlBuilderSections(g, h.b, index);
  size_t classCount = l.markClasses.size();
  MarkSide side = markSide(g, t, l);
  AnchorList& anchors = side.anchors;

  std::stable_sort(l.baseRecords.begin(), l.baseRecords.end(), sortByGlyph);
  std::vector<uint16_t> bases;
  std::vector<std::vector<int64_t>> rows;  // anchor-list offset per class, -1 NULL
  const GposBaseRecord* prev = nullptr;
  for (const GposBaseRecord& r : l.baseRecords) {
    std::string name = gposGlyphName(g, r.gid);
    if (prev != nullptr && prev->gid == r.gid) {
      coreMsg(g, kMsgError,
              "MarkToBase or MarkToMark error: A previous statement has already defined the anchors "
              "and marks on this the same glyph '%s'. Skipping rule. %s",
              (name + ":" + name).c_str(),
              l.file.empty() ? ""
                             : formatf(" [%s current %d previous %d]", l.file.c_str(), r.line,
                                       prev->line).c_str());
      coreMsg(g, kMsgError,
              "MarkToBase or MarkToMark error: A previous statment has already defined the nchors "
              "and marks for the current base glyph '%s'. Skipping rule. %s",
              name.c_str(), gposWhere(l.file, r.line).c_str());
    } else {
      bases.push_back(r.gid);
      rows.emplace_back(classCount, -1);
    }
    prev = &r;
    for (const GpsAnchor& a : r.anchors) {
      if (a.format == 0 || a.markClassIndex < 0 || static_cast<size_t>(a.markClassIndex) >= classCount) continue;
      int64_t& entry = rows.back()[static_cast<size_t>(a.markClassIndex)];
      if (entry >= 0) {
        coreMsg(g, kMsgError,
                "MarkToBase or MarkToMark error: A previous statment has already assigned the "
                "current mark class to another anchor point on the same glyph '%s'. Skipping rule. %s",
                name.c_str(), gposWhere(l.file, r.line).c_str());
        continue;
      }
      entry = anchors.add(a);
    }
  }
  uint32_t baseCov = otlCoverageOf(g, t, bases);

  uint64_t markArraySize = 2 + 4 * side.marks.size();
  uint64_t baseArrayOffset = 12 + markArraySize;
  uint64_t anchorStart = baseArrayOffset + 2 + 2 * classCount * bases.size();
  BuiltSubtable s;
  writeMarkHead(g, s, side, baseCov, classCount, baseArrayOffset, anchorStart, "BaseArray", "MarkToBase",
                "base coverage");
  put16(s.bytes, static_cast<uint32_t>(bases.size()));
  for (const auto& row : rows) {
    // A base without an anchor for a class takes no mark of it: a NULL offset, not an
    // anchor at the origin that would pull the mark to the base's corner.
    for (int64_t entry : row) {
      put16(s.bytes, entry < 0 ? 0
                               : otlOffset16(g, anchorStart + static_cast<uint64_t>(entry) - baseArrayOffset,
                                             "Anchor", "MarkToBase", "positioning"));
    }
  }
  anchors.write(s.bytes);
  otlBuilderFinish(g, h.b, index, std::move(s),
                   "MarkToBase lookup subtable in GPOS feature '%c%c%c%c' causes offset overflow.");
}

void gposMarkToLigatureFill(coreContext* g, GPOSContext& h, GposLookupInfo& l) {
  size_t index = otlBuilderStart(g, h.b, l.p, false);
  OtlTable* t = otlBuilderSections(g, h.b, index);
  size_t classCount = l.markClasses.size();
  MarkSide side = markSide(g, t, l);
  AnchorList& anchors = side.anchors;

  // A run of records of one glyph is one ligature, its records the components.
  struct Ligature {
    uint16_t gid;
    size_t from, to;
  };
  std::vector<Ligature> ligs;
  for (size_t i = 0; i < l.baseRecords.size(); ++i) {
    if (ligs.empty() || l.baseRecords[i].gid != ligs.back().gid) {
      ligs.push_back({l.baseRecords[i].gid, i, i + 1});
    } else {
      ligs.back().to = i + 1;
    }
  }
  // The LigatureArray follows the coverage, which is in glyph-id order.
  std::stable_sort(ligs.begin(), ligs.end(),
                   [](const Ligature& a, const Ligature& b) { return a.gid < b.gid; });
  std::vector<Ligature> unique;
  for (const Ligature& lig : ligs) {
    if (!unique.empty() && unique.back().gid == lig.gid) {
      const GposBaseRecord& r = l.baseRecords[lig.from];
      coreMsg(g, kMsgError,
              GPOS_LIGATURE_CONFLICT,
              gposGlyphName(g, lig.gid).c_str(), gposWhere(l.file, r.line).c_str());
      continue;
    }
    unique.push_back(lig);
  }
  std::vector<uint16_t> ligGlyphs;
  for (const auto& lig : unique) ligGlyphs.push_back(lig.gid);
  uint32_t ligCov = otlCoverageOf(g, t, ligGlyphs);

  // Anchor matrices: components x classes, -1 = NULL.
  std::vector<std::vector<int64_t>> matrices;
  std::vector<uint64_t> attachPos;
  uint64_t pos = 2 + 2 * unique.size();
  for (const Ligature& lig : unique) {
    size_t components = lig.to - lig.from;
    std::vector<int64_t> m(components * classCount, -1);
    for (size_t c = 0; c < components; ++c) {
      const GposBaseRecord& r = l.baseRecords[lig.from + c];
      for (const GpsAnchor& a : r.anchors) {
        if (a.format == 0 || a.markClassIndex < 0 ||
            static_cast<size_t>(a.markClassIndex) >= classCount) {
          continue;
        }
        int64_t& entry = m[c * classCount + static_cast<size_t>(a.markClassIndex)];
        if (entry >= 0) {
          coreMsg(g, kMsgError,
                  GPOS_LIGATURE_CONFLICT,
                  gposGlyphName(g, lig.gid).c_str(), gposWhere(l.file, r.line).c_str());
          continue;
        }
        entry = anchors.add(a);
      }
    }
    attachPos.push_back(pos);
    pos += 2 + 2 * classCount * components;
    matrices.push_back(std::move(m));
  }
  uint64_t markArraySize = 2 + 4 * side.marks.size();
  uint64_t ligArrayOffset = 12 + markArraySize;
  uint64_t anchorStart = ligArrayOffset + pos;

  BuiltSubtable s;
  writeMarkHead(g, s, side, ligCov, classCount, ligArrayOffset, anchorStart, "LigatureArray", "MarkToLigature",
                "ligature coverage");
  put16(s.bytes, static_cast<uint32_t>(unique.size()));
  for (uint64_t p : attachPos) {
    put16(s.bytes, otlOffset16(g, p, "LigatureAttach", "MarkToLigature", "positioning"));
  }
  for (size_t k = 0; k < unique.size(); ++k) {
    size_t components = unique[k].to - unique[k].from;
    put16(s.bytes, static_cast<uint32_t>(components));
    uint64_t attachStart = ligArrayOffset + attachPos[k];
    for (int64_t entry : matrices[k]) {
      put16(s.bytes, entry < 0 ? 0
                               : otlOffset16(g, anchorStart + static_cast<uint64_t>(entry) - attachStart,
                                             "Anchor", "MarkToLigature", "positioning"));
    }
  }
  anchors.write(s.bytes);
  otlBuilderFinish(g, h.b, index, std::move(s),
                   "MarkToLigature lookup subtable in GPOS feature '%c%c%c%c' causes offset overflow.");
}

}  // namespace fea

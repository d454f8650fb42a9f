// GDEF builder: glyph classes, attachment points, ligature carets, mark attachment classes
// and mark glyph sets, written as a binary GDEF table.
#include <algorithm>
#include <map>
#include <memory>

#include "feacompiler/glyph_node.h"
#include "feacompiler/tables/otl_builder.h"
#include "feacompiler/tables/table_modules.h"

namespace fea {

namespace {

struct KeyedClass {
  const GlyphNode* key = nullptr;  // identity of the named class
  std::vector<uint16_t> glyphs;
};

struct Caret {
  uint16_t format = 1;
  int16_t value = 0;
};

constexpr size_t kMaxMarkAttachClasses = 16;
constexpr size_t kMaxMarkSets = 256;

std::vector<uint16_t> classGlyphs(const GlyphNode* cls) {
  std::vector<uint16_t> glyphs;
  for (const GlyphNode* n = cls; n != nullptr; n = n->nextCl) glyphs.push_back(n->gid);
  std::sort(glyphs.begin(), glyphs.end());
  glyphs.erase(std::unique(glyphs.begin(), glyphs.end()), glyphs.end());
  return glyphs;
}

}  // namespace

struct GDEFContext {
  std::vector<std::vector<uint16_t>> glyphClasses;  // position + 1 = class
  bool hasGlyphClasses = false;
  std::map<uint16_t, std::vector<uint16_t>> attach;
  std::map<uint16_t, std::vector<Caret>> carets;
  std::vector<KeyedClass> markAttachClasses;
  std::vector<KeyedClass> markSets;
  Bytes table;  // built by the fill
};

void GDEFNew(coreContext* g) { g->gdef = new GDEFContext(); }

void GDEFFree(coreContext* g) {
  delete g->gdef;
  g->gdef = nullptr;
}

void GDEFSetGlyphClasses(coreContext* g, GlyphNode* base, GlyphNode* ligature, GlyphNode* mark,
                         GlyphNode* component) {
  GDEFContext& d = *g->gdef;
  d.hasGlyphClasses = true;
  for (const GlyphNode* cls : {base, ligature, mark, component}) {
    d.glyphClasses.push_back(classGlyphs(cls));
  }
}

int GDEFAddMarkAttachClass(coreContext* g, GlyphNode* cls) {
  GDEFContext& d = *g->gdef;
  for (size_t i = 0; i < d.markAttachClasses.size(); ++i) {
    if (d.markAttachClasses[i].key == cls) return static_cast<int>(i + 1);
  }
  if (d.markAttachClasses.size() >= kMaxMarkAttachClasses) {
    return static_cast<int>(kMaxMarkAttachClasses);
  }
  d.markAttachClasses.push_back({cls, classGlyphs(cls)});
  return static_cast<int>(d.markAttachClasses.size());
}

int GDEFAddMarkSet(coreContext* g, GlyphNode* cls) {
  GDEFContext& d = *g->gdef;
  for (size_t i = 0; i < d.markSets.size(); ++i) {
    if (d.markSets[i].key == cls) return static_cast<int>(i);
  }
  if (d.markSets.size() >= kMaxMarkSets) {
    coreMsg(g, kMsgFatal, "No more than %d different mark glyph sets can be used with UseMarkFilteringSet.",
            static_cast<int>(kMaxMarkSets));
    return 0;
  }
  d.markSets.push_back({cls, classGlyphs(cls)});
  return static_cast<int>(d.markSets.size() - 1);
}

bool GDEFAddAttachPoint(coreContext* g, uint16_t gid, uint16_t contourIndex) {
  auto& points = g->gdef->attach[gid];
  if (std::find(points.begin(), points.end(), contourIndex) != points.end()) return false;
  points.push_back(contourIndex);
  return true;
}

bool GDEFAddLigCaret(coreContext* g, uint16_t gid, uint16_t format, int16_t value) {
  auto& carets = g->gdef->carets[gid];
  for (const Caret& c : carets) {
    if (c.format == format && c.value == value) return false;
  }
  carets.push_back({format, value});
  return true;
}

namespace {

const char* const kGdef = "GDEF";

// A class definition in a table of its own: the sub-table is its class section.
Bytes classDefTable(coreContext* g, const std::vector<std::pair<uint16_t, uint16_t>>& pairs) {
  auto t = otlNew(g);
  otlClassBegin(g, t.get());
  for (const auto& [gid, cls] : pairs) otlClassAddMapping(g, t.get(), gid, cls);
  (void)otlClassEnd(g, t.get());
  Bytes out;
  otlClassWrite(g, t.get(), out);
  return out;
}

Bytes coverageTable(coreContext* g, const std::vector<uint16_t>& glyphs) {
  auto t = otlNew(g);
  otlCoverageBegin(g, t.get());
  for (uint16_t gid : glyphs) otlCoverageAddGlyph(g, t.get(), gid);
  (void)otlCoverageEnd(g, t.get());
  Bytes out;
  otlCoverageWrite(g, t.get(), out);
  return out;
}

// One class per glyph: mark, then ligature, then base, then component.
Bytes glyphClassDef(coreContext* g, const std::vector<std::vector<uint16_t>>& classes) {
  static const int kRank[] = {2, 1, 0, 3};  // base, ligature, mark, component
  std::map<uint16_t, std::pair<int, uint16_t>> best;  // gid -> (rank, class)
  for (size_t i = 0; i < classes.size(); ++i) {
    int rank = kRank[i % 4];
    uint16_t cls = static_cast<uint16_t>(i % 4 + 1);
    for (uint16_t gid : classes[i]) {
      auto it = best.find(gid);
      if (it == best.end() || rank < it->second.first) best[gid] = {rank, cls};
    }
  }
  std::vector<std::pair<uint16_t, uint16_t>> pairs;
  for (const auto& [gid, rc] : best) pairs.emplace_back(gid, rc.second);
  return classDefTable(g, pairs);
}

Bytes attachList(coreContext* g, const std::map<uint16_t, std::vector<uint16_t>>& attach) {
  Bytes head, tables;
  std::vector<uint16_t> glyphs;
  for (const auto& [gid, points] : attach) glyphs.push_back(gid);
  uint64_t pos = 4 + 2 * attach.size();
  for (const auto& [gid, points] : attach) {
    std::vector<uint16_t> sorted = points;
    std::sort(sorted.begin(), sorted.end());
    put16(head, otlOffset16(g, pos, "AttachPoint", "AttachList", kGdef));
    put16(tables, static_cast<uint32_t>(sorted.size()));
    for (uint16_t p : sorted) put16(tables, p);
    pos += 2 + 2 * sorted.size();
  }
  Bytes out;
  put16(out, otlOffset16(g, pos, "Coverage", "AttachList", kGdef));
  put16(out, static_cast<uint32_t>(attach.size()));
  out.insert(out.end(), head.begin(), head.end());
  out.insert(out.end(), tables.begin(), tables.end());
  Bytes cov = coverageTable(g, glyphs);
  out.insert(out.end(), cov.begin(), cov.end());
  return out;
}

Bytes ligCaretList(coreContext* g, const std::map<uint16_t, std::vector<Caret>>& carets) {
  Bytes head, tables;
  std::vector<uint16_t> glyphs;
  uint64_t pos = 4 + 2 * carets.size();
  for (const auto& [gid, list] : carets) {
    glyphs.push_back(gid);
    std::vector<Caret> sorted = list;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Caret& a, const Caret& b) {
      if (a.format != b.format) return a.format < b.format;
      if (a.format == 1) return a.value < b.value;
      return static_cast<uint16_t>(a.value) < static_cast<uint16_t>(b.value);
    });
    put16(head, otlOffset16(g, pos, "LigGlyph", "LigCaretList", kGdef));
    put16(tables, static_cast<uint32_t>(sorted.size()));
    uint32_t caretPos = 2 + 2 * static_cast<uint32_t>(sorted.size());
    for (size_t i = 0; i < sorted.size(); ++i) put16(tables, caretPos + 4 * static_cast<uint32_t>(i));
    for (const Caret& c : sorted) {
      put16(tables, c.format);
      put16(tables, static_cast<uint16_t>(c.value));
    }
    pos += caretPos + 4 * sorted.size();
  }
  Bytes out;
  put16(out, otlOffset16(g, pos, "Coverage", "LigCaretList", kGdef));
  put16(out, static_cast<uint32_t>(carets.size()));
  out.insert(out.end(), head.begin(), head.end());
  out.insert(out.end(), tables.begin(), tables.end());
  Bytes cov = coverageTable(g, glyphs);
  out.insert(out.end(), cov.begin(), cov.end());
  return out;
}

Bytes markGlyphSets(const std::vector<KeyedClass>& sets, coreContext* g) {
  Bytes out, covs;
  put16(out, 1);
  put16(out, static_cast<uint32_t>(sets.size()));
  uint32_t pos = 4 + 4 * static_cast<uint32_t>(sets.size());
  for (const KeyedClass& s : sets) {
    Bytes cov = coverageTable(g, s.glyphs);
    put32(out, pos + static_cast<uint32_t>(covs.size()));
    covs.insert(covs.end(), cov.begin(), cov.end());
  }
  out.insert(out.end(), covs.begin(), covs.end());
  return out;
}

}  // namespace

int GDEFFill(coreContext* g) {
  GDEFContext& d = *g->gdef;
  bool sets = !d.markSets.empty();
  Bytes parts[5];
  if (d.hasGlyphClasses) parts[0] = glyphClassDef(g, d.glyphClasses);
  if (!d.attach.empty()) parts[1] = attachList(g, d.attach);
  if (!d.carets.empty()) parts[2] = ligCaretList(g, d.carets);
  if (!d.markAttachClasses.empty()) {
    std::vector<std::pair<uint16_t, uint16_t>> pairs;
    for (size_t i = 0; i < d.markAttachClasses.size(); ++i) {
      for (uint16_t gid : d.markAttachClasses[i].glyphs) {
        pairs.emplace_back(gid, static_cast<uint16_t>(i + 1));
      }
    }
    parts[3] = classDefTable(g, pairs);
  }
  if (sets) parts[4] = markGlyphSets(d.markSets, g);
  bool any = d.hasGlyphClasses || !d.attach.empty() || !d.carets.empty() ||
             !d.markAttachClasses.empty() || sets;
  if (!any) return 0;

  static const char* const kNames[] = {"GlyphClassDef", "AttachList", "LigCaretList",
                                       "MarkAttachClassDef", "MarkGlyphSetsDef"};
  d.table.clear();
  put32(d.table, sets ? 0x00010002 : 0x00010000);
  uint64_t pos = sets ? 14 : 12;
  bool present[5] = {d.hasGlyphClasses, !d.attach.empty(), !d.carets.empty(),
                     !d.markAttachClasses.empty(), sets};
  for (int i = 0; i < (sets ? 5 : 4); ++i) {
    put16(d.table, present[i] ? otlOffset16(g, pos, kNames[i], "header", kGdef) : 0);
    if (present[i]) pos += parts[i].size();
  }
  for (int i = 0; i < 5; ++i) {
    if (present[i]) d.table.insert(d.table.end(), parts[i].begin(), parts[i].end());
  }
  return 1;
}

void GDEFWrite(coreContext* g) { otlEmit(g, g->gdef->table); }

}  // namespace fea

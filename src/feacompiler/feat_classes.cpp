// Glyph ids, named classes and ranges, mark classes, named value records and anchors, and
// the default GDEF classes.
#include <algorithm>
#include <charconv>
#include <set>

#include "feacompiler/feat_layer.h"
#include "feacompiler/feat_nodes.h"
#include "feacompiler/glyph_map.h"
#include "feacompiler/tables/table_modules.h"

namespace fea {

namespace {

const char* const kDefaultClasses[4] = {"ZUZ_BASE_CLASS", "ZUZ_LIGATURE_CLASS",
                                        "ZUZ_DEFAULT_MARK_CLASS", "ZUZ_DEFAULT_COMPONENT_CLASS"};

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

void appendGlyph(coreContext* g, uint16_t gid) {
  GlyphNode* n = featNewNode(g);
  n->gid = gid;
  featAddNodeToClass(g, n);
}

bool isMarkClass(const FeatContext& f, const std::string& name) {
  for (const GlyphNode* head : f.markClasses) {
    if (head->markClassName && name == head->markClassName) return true;
  }
  return false;
}

}  // namespace

uint16_t featGlyphLookup(coreContext* g, const std::string& name) {
  uint32_t gid = mapName2Glyph(g, name.c_str());
  if (gid == kGlyphPastIds) {
    featLexErrorf(g, "glyph \"%s\" has a glyph id past 65534, the last one layout tables can hold",
                  name.c_str());
  }
  if (gid != kNoGlyph) return static_cast<uint16_t>(gid);
  gid = g->client->glyphLookup(name.c_str());
  if (gid >= 0xFFFF) featLexError(g, "glyph not found in font");
  size_t index = gid - g->glyphs.size();
  if (gid >= g->glyphs.size() && index >= g->missingNames.size()) {
    g->missingNames.resize(index + 1);
    g->missingNames[index] = name;
  }
  return static_cast<uint16_t>(gid);
}

uint16_t featCIDLookup(coreContext* g, int /*cid*/) {
  featLexError(g, "CID specified for a non-CID font");
}

ClassRecord* featClassFind(coreContext* g, const std::string& name) {
  auto it = g->feat->classes.find(name);
  return it == g->feat->classes.end() ? nullptr : &it->second;
}

ClassRecord* featClassDefine(coreContext* g, const std::string& name, bool keep) {
  FeatContext& f = *g->feat;
  auto it = f.classes.find(name);
  if (it != f.classes.end()) {
    if (keep) return &it->second;
    if (isMarkClass(f, name)) {
      // Its members carry their anchors; a plain class in its place would leave later
      // markClass statements adding to glyphs without one.
      featMsg(g, kMsgError, "Mark class @%s cannot be redefined as a glyph class", name.c_str());
      return &it->second;
    }
    featMsg(g, kMsgWarning, "Glyph class @%s redefined", name.c_str());
    // Rules and GDEF classes hold copies of the glyphs, so the old nodes go back to the
    // pool, unless the first one names the class somewhere.
    if (!it->second.keyed && it->second.head) featRecycleNode(g, it->second.head);
    it->second.keyed = false;
    it->second.head = nullptr;
    it->second.tail = nullptr;
    return &it->second;
  }
  ClassRecord& r = f.classes[name];
  r.name = name;
  return &r;
}

GlyphNode* featClassKey(ClassRecord* r) {
  r->keyed = true;
  return r->head;
}

void featClassBegin(coreContext* g, const std::string& name) {
  FeatContext& f = *g->feat;
  ClassRecord* r;
  if (name.empty()) {
    f.anonClass = ClassRecord();
    r = &f.anonClass;
  } else {
    r = featClassDefine(g, name[0] == '@' ? name.substr(1) : name, true);
  }
  f.building = r;
  GlyphNode** place = r->head && r->tail ? r->tail : &r->head;
  while (*place) place = &(*place)->nextCl;
  f.buildPlace = place;
}

void featAddNodeToClass(coreContext* g, GlyphNode* node) {
  FeatContext& f = *g->feat;
  node->nextSeq = nullptr;
  *f.buildPlace = node;
  while (node->nextCl) node = node->nextCl;
  f.buildPlace = &node->nextCl;
}

void featAddClassRef(coreContext* g, const std::string& name, bool selfCheck) {
  FeatContext& f = *g->feat;
  ClassRecord* r = featClassFind(g, name);
  if (!r) featLexError(g, "glyph class not defined");
  if (selfCheck && r == f.building) featLexError(g, "can't define a glyph class in terms of itself");
  GlyphNode* copy = nullptr;
  featGlyphClassCopy(g, &copy, r->head);
  if (copy) featAddNodeToClass(g, copy);
}

GlyphNode* featClassEnd(coreContext* g) {
  FeatContext& f = *g->feat;
  *f.buildPlace = nullptr;
  if (f.building) f.building->tail = f.buildPlace;
  GlyphNode* head = f.building ? f.building->head : nullptr;
  f.building = nullptr;
  f.buildPlace = nullptr;
  return head;
}

void featAddRange(coreContext* g, uint16_t firstId, uint16_t lastId, const std::string& first,
                  const std::string& last) {
  auto invalid = [&] {
    featMsg(g, kMsgFatal, "Invalid glyph range [%s-%s]", first.c_str(), last.c_str());
  };
  if (first.size() != last.size() || first == last) invalid();
  size_t p = 0;
  while (first[p] == last[p]) ++p;
  size_t q = p;
  while (q < first.size() && first[q] != last[q]) ++q;
  if (first.compare(q, std::string::npos, last, q, std::string::npos) != 0) invalid();
  if (q - p == 1 && isLetter(first[p]) && isLetter(last[p]) && first[p] < last[p] &&
      last[p] - first[p] < 26) {
    std::string name = first;
    for (char c = first[p]; c <= last[p]; ++c) {
      name[p] = c;
      uint16_t gid = c == first[p] ? firstId : c == last[p] ? lastId : featGlyphLookup(g, name);
      appendGlyph(g, gid);
    }
    return;
  }
  if (q - p > 3) invalid();
  for (size_t i = p; i < q; ++i) {
    if (!isDigit(first[i]) || !isDigit(last[i])) invalid();
  }
  while (p > 0 && isDigit(first[p - 1]) && isDigit(last[p - 1])) --p;
  while (q < first.size() && isDigit(first[q]) && isDigit(last[q])) ++q;
  if (q - p >= 4) invalid();
  int from = 0, to = 0;
  std::from_chars(first.data() + p, first.data() + q, from);
  std::from_chars(last.data() + p, last.data() + q, to);
  const int width = static_cast<int>(q - p);
  for (int v = from; v <= to; ++v) {
    std::string digits = std::to_string(v);
    if (static_cast<int>(digits.size()) < width)
      digits.insert(0, static_cast<size_t>(width) - digits.size(), '0');
    std::string name = first.substr(0, p) + digits + first.substr(q);
    uint16_t gid = v == from ? firstId : v == to ? lastId : featGlyphLookup(g, name);
    appendGlyph(g, gid);
  }
}

FeatValueRecord* featNewValueRecord(coreContext* g) {
  return &g->feat->valueRecords.emplace_back();
}

void featAddValueRecordDef(coreContext* g, const int16_t values[4], const std::string& name) {
  FeatContext& f = *g->feat;
  if (f.namedValues.count(name))
    featMsg(g, kMsgFatal,
            "Named value record definition '%s' is a a duplicate of an earlier named value "
            "record definition.",
            name.c_str());
  NamedValueRecord& r = f.namedValues[name];
  std::copy(values, values + 4, r.values);
}

void featGetValueRecordDef(coreContext* g, const std::string& name, int16_t values[4]) {
  auto it = g->feat->namedValues.find(name);
  if (it == g->feat->namedValues.end()) {
    featMsg(g, kMsgError, "Named value reference '%s' is not in list of named value records.",
            name.c_str());
    std::fill(values, values + 4, 0);
    return;
  }
  std::copy(it->second.values, it->second.values + 4, values);
}

void featAddAnchorDef(coreContext* g, int16_t x, int16_t y, uint16_t contourPoint,
                      bool hasContourPoint, const std::string& name) {
  FeatContext& f = *g->feat;
  if (f.namedAnchors.count(name))
    featMsg(g, kMsgFatal,
            "Named anchor definition '%s' is a a duplicate of an earlier named anchor "
            "definition.",
            name.c_str());
  f.namedAnchors[name] = {x, y, contourPoint, hasContourPoint};
}

void featAddAnchor(coreContext* g, int16_t x, int16_t y, uint16_t contourPoint, bool isNull,
                   bool hasContourPoint, const std::string* name, int componentIndex) {
  FeatContext& f = *g->feat;
  GpsAnchor a;
  if (name) {
    auto it = f.namedAnchors.find(*name);
    if (it == f.namedAnchors.end())
      featMsg(g, kMsgFatal, "Named anchor reference '%s' is not in list of named anchors.",
              name->c_str());
    a.x = it->second.x;
    a.y = it->second.y;
    a.contourPoint = it->second.contourPoint;
    a.format = it->second.hasContourPoint ? 2 : 1;
  } else {
    a.x = x;
    a.y = y;
    a.contourPoint = contourPoint;
    a.format = isNull ? 0 : hasContourPoint ? 2 : 1;
  }
  a.componentIndex = componentIndex;
  f.anchors.push_back(a);
}

void featAddMarkClass(coreContext* g, GlyphNode* glyphs, const std::string& name) {
  FeatContext& f = *g->feat;
  const GpsAnchor anchor = f.anchors.empty() ? GpsAnchor() : f.anchors.back();
  for (GlyphNode* m = glyphs; m; m = m->nextCl) m->anchor = anchor;
  bool isNew = featClassFind(g, name) == nullptr;
  featClassBegin(g, name);
  ClassRecord* r = f.building;
  if (r->head && (r->head->flags & GN_MARK_CLASS_USED))
    featMsg(g, kMsgError,
            "You cannot add glyphs to a mark class after the mark class has been used in a "
            "position statement. %s.",
            name.c_str());
  GlyphNode* copy = nullptr;
  featGlyphClassCopy(g, &copy, glyphs);
  if (copy) {
    copy->flags &= static_cast<uint16_t>(~GN_MARK_CLASS_USED);
    featAddNodeToClass(g, copy);
  }
  featClassEnd(g);
  if (isNew && r->head) {
    r->head->markClassName = r->name.c_str();
    f.markClasses.push_back(r->head);
  }
  featClassBegin(g, kDefaultClasses[2]);
  copy = nullptr;
  featGlyphClassCopy(g, &copy, glyphs);
  if (copy) featAddNodeToClass(g, copy);
  featClassEnd(g);
  featRecycleNode(g, glyphs);
  f.gFlags |= kSeenMarkClass;
}

void featSetAnchorMarkClass(coreContext* g, const std::string& name) {
  FeatContext& f = *g->feat;
  ClassRecord* r = featClassFind(g, name);
  if (!r || !r->head) {
    featMsg(g, kMsgError,
            "MarkToBase or MarkToMark rule references a mark class (%s) that has not yet been "
            "defined",
            name.c_str());
    return;
  }
  r->head->flags |= GN_MARK_CLASS_USED;
  if (!f.anchors.empty()) f.anchors.back().markClass = featClassKey(r);
}

int featGetMarkAttachClass(coreContext* g, const std::string& name) {
  ClassRecord* r = featClassFind(g, name);
  if (!r) featLexError(g, "glyph class not defined");
  int number = GDEFAddMarkAttachClass(g, featClassKey(r));
  if (number > 15)
    featMsg(g, kMsgError,
            "No more than 15 different class names can be used with the \"lookupflag "
            "MarkAttachmentType <class name.\" statement \"%s\" would be a 16th.",
            name.c_str());
  return number;
}

void featAddToDefaultClass(coreContext* g, GlyphNode* pattern, const char* className) {
  GlyphNode* anchored = nullptr;
  if (pattern && (pattern->flags & GN_PATTERN_MARKED)) {
    for (GlyphNode* e = pattern; e && !anchored; e = e->nextSeq) {
      if (e->flags & GN_HAS_ANCHOR) anchored = e;
    }
  } else if (pattern && (pattern->flags & GN_HAS_ANCHOR)) {
    anchored = pattern;
  }
  if (anchored) featAddElementToDefaultClass(g, anchored, className);
}

void featAddElementToDefaultClass(coreContext* g, GlyphNode* element, const char* className) {
  std::set<uint16_t>& seen = g->feat->defaultClassMembers[className];
  featClassBegin(g, className);
  for (GlyphNode* m = element; m; m = m->nextCl) {
    if (seen.insert(m->gid).second) appendGlyph(g, m->gid);
  }
  featClassEnd(g);
}

void featSetGDEFGlyphClasses(coreContext* g) {
  if (g->feat->gFlags & kSeenGlyphClassDef) return;
  GlyphNode* heads[4];
  for (int i = 0; i < 4; ++i) {
    featClassBegin(g, kDefaultClasses[i]);
    heads[i] = featClassEnd(g);
  }
  // A shaper that finds a glyph class definition takes every class from it: one that knows
  // no mark would hide the font's marks from IgnoreMarks, so none is written.
  if (!heads[2]) return;
  GDEFSetGlyphClasses(g, heads[0], heads[1], heads[2], heads[3]);
}

}  // namespace fea

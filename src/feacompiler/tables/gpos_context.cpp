// GPOS contextual positioning (chain context format 3) and the anonymous lookups that
// carry the positioning of a contextual rule's marked glyphs.
#include <algorithm>
#include <map>

#include "feacompiler/tables/gpos_builder.h"

namespace fea {

namespace {

bool sameKeys(const GposLookupInfo& a, const GposLookupInfo& cur) {
  return a.p.script == cur.p.script && a.p.language == cur.p.language &&
         a.p.feature == cur.p.feature && a.p.useExtension == cur.p.useExtension &&
         a.p.flag == cur.p.flag && a.p.markSetIndex == cur.p.markSetIndex;
}

GposLookupInfo& newAnon(coreContext* g, GPOSContext& h, uint16_t type) {
  GposLookupInfo a;
  a.p = h.cur.p;
  a.p.type = type;
  a.p.label = featNextAnonLabel(g);
  a.file = h.cur.file;
  h.anon.push_back(std::move(a));
  return h.anon.back();
}

// Values a held single record stands for: format 0x0004 is the one number XAdvance.
bool sameSingleValue(const GposValue& held, const GposValue& v) {
  if (held.format == 0x0004 && held.count != 4) {
    return v.count == 1 && v.raw[0] == held.field[2];
  }
  if (v.count != 4) return held.count != 4 && v.count == held.count && v.raw[0] == held.raw[0];
  return held.count == 4 && std::equal(held.raw, held.raw + 4, v.raw);
}

// Anonymous single lookup for one marked element; returns its label.
uint16_t anonSingle(coreContext* g, GPOSContext& h, const GlyphNode* element) {
  GposValue v = gposValue(element->valueRecord, false);
  std::vector<uint16_t> glyphs = elementGlyphs(element);
  for (size_t k = h.anon.size(); k-- > 0;) {
    GposLookupInfo& a = h.anon[k];
    if (a.p.type != 1 || !sameKeys(a, h.cur)) continue;
    bool fits = true;
    std::vector<uint16_t> fresh;
    for (uint16_t gid : glyphs) {
      auto held = std::find_if(a.singles.begin(), a.singles.end(),
                               [&](const GposSingleRecord& r) { return r.gid == gid; });
      if (held == a.singles.end()) {
        fresh.push_back(gid);
      } else if (!sameSingleValue(held->value, v)) {
        fits = false;
        break;
      }
    }
    if (!fits) continue;
    for (uint16_t gid : fresh) a.singles.push_back({gid, v});
    return a.p.label;
  }
  GposLookupInfo& a = newAnon(g, h, 1);
  for (uint16_t gid : glyphs) a.singles.push_back({gid, v});
  return a.p.label;
}

// Whether the rule's glyphs or mark classes would collide with what the lookup holds.
bool attachCollides(const GposLookupInfo& a, const GlyphNode* element, int anchorCount,
                    const GpsAnchor* anchors) {
  for (const GlyphNode* n = element; n != nullptr; n = n->nextCl) {
    for (const GposBaseRecord& r : a.baseRecords) {
      if (r.gid == n->gid) return true;
    }
  }
  for (int i = 0; i < anchorCount; ++i) {
    const GlyphNode* cls = anchors[i].markClass;
    if (cls == nullptr) continue;
    bool known = false;
    for (const GposMarkClass& mc : a.markClasses) known = known || mc.key == cls;
    if (known) continue;
    for (const GlyphNode* n = cls; n != nullptr; n = n->nextCl) {
      for (const GposMarkClass& mc : a.markClasses) {
        for (const auto& m : mc.members) {
          if (m.first == n->gid) return true;
        }
      }
    }
  }
  return false;
}

// Anonymous attachment lookup (cursive or mark) for the anchored element; returns its label.
uint16_t anonAttach(coreContext* g, GPOSContext& h, uint16_t type, const GlyphNode* element,
                    int anchorCount, const GpsAnchor* anchors, int line) {
  GposLookupInfo* a = nullptr;
  if (!h.anon.empty()) {
    GposLookupInfo& last = h.anon.back();
    if (last.p.type == type && sameKeys(last, h.cur) &&
        !attachCollides(last, element, anchorCount, anchors)) {
      a = &last;
    }
  }
  if (a == nullptr) a = &newAnon(g, h, type);
  if (type == 3) {
    gposCursiveRecordsAdd(*a, element, anchorCount, anchors, line);
  } else {
    gposBaseRecordsAdd(g, *a, element, anchorCount, anchors, line);
  }
  return a->p.label;
}

}  // namespace

void gposContextRuleAdd(coreContext* g, GPOSContext& h, GlyphNode* pattern, int anchorCount,
                        const GpsAnchor* anchors, int line) {
  uint16_t parent = h.cur.parentType;
  std::map<const GlyphNode*, uint16_t> labels;  // element -> anonymous lookup
  if (!g->errorFlag) {
    if (parent == 1) {
      for (const GlyphNode* e = pattern; e != nullptr; e = e->nextSeq) {
        if ((e->flags & GN_MARKED) && e->valueRecord != nullptr && e->valueRecord->count != 0) {
          labels[e] = anonSingle(g, h, e);
        }
      }
    } else if (parent >= 3 && parent <= 6) {
      const GlyphNode* anchored = pattern;
      while (anchored != nullptr && !(anchored->flags & GN_HAS_ANCHOR)) anchored = anchored->nextSeq;
      if (anchored != nullptr) {
        uint16_t label = anonAttach(g, h, parent, anchored, anchorCount, anchors, line);
        const GlyphNode* target = anchored;
        if (parent != 3) {
          while (target != nullptr && !(target->flags & GN_LAST_MARK)) target = target->nextSeq;
        }
        if (target != nullptr) labels[target] = label;
      }
    }
    if (parent != 0) h.cur.parentType = 8;
  }

  ChainRule rule = chainRuleOf(pattern, [&](const GlyphNode* e) {
    if (!(e->flags & GN_MARKED)) return -1;
    auto found = labels.find(e);
    return found != labels.end() ? int{found->second} : e->lookupLabel;
  });
  h.cur.chainRules.push_back(std::move(rule));
}

void gposChainFill(coreContext* g, GPOSContext& h, GposLookupInfo& l) {
  static constexpr ChainTexts kChain = {
      "backtrack", "input", "look-ahead",
      "Chain contextual lookup subtable in GPOS feature '%c%c%c%c' causes offset overflow."};
  chainContextFill(g, h.b, l.p, l.chainRules, kChain, false);
}

}  // namespace fea

// Glyph nodes: the pool, copies, the cross product, class sorting and message text.
#include "feacompiler/feat_nodes.h"

#include <algorithm>

#include "feacompiler/feat_context.h"

namespace fea {

namespace {
constexpr size_t kFirstBlock = 3000;
constexpr size_t kLaterBlock = 6000;
constexpr size_t kRecycleLimit = 100000;
constexpr const char* kRecycleTimeout = "Vevazer [WARNING]: Timeout in featRecycleNode. Possible error.";
#define FEAT_MEMORY_BOUND "past the %zu MB the compiler gives them"
constexpr const char* kNodesPassed =
    "too many glyph nodes: glyph classes and rule patterns would hold more than %zu glyphs at "
    "once, " FEAT_MEMORY_BOUND;
constexpr size_t kBoundMB = static_cast<size_t>(ot::limits::kMaxGlyphNodeBytes >> 20);
constexpr uint64_t kBoundBytes = kMaxNodes * sizeof(GlyphNode);

uint64_t nodeBytes(const FeatContext& f) {
  return f.blocks.size() * kLaterBlock * sizeof(GlyphNode);
}
}  // namespace

void featTakeRuleBytes(coreContext* g, uint64_t bytes, const std::string& refused) {
  FeatContext& f = *g->feat;
  f.ruleBytes += bytes;
  if (nodeBytes(f) + f.ruleBytes <= kBoundBytes) return;
  featMsg(g, kMsgFatal,
          "%s: its rules would hold more glyphs than fit beside the glyph nodes, " FEAT_MEMORY_BOUND,
          refused.c_str(), kBoundMB);
}

void featReleaseRuleBytes(coreContext* g, uint64_t bytes) {
  FeatContext& f = *g->feat;
  f.ruleBytes -= std::min(bytes, f.ruleBytes);
}

GlyphNode* featNewNode(coreContext* g) {
  FeatContext& f = *g->feat;
  GlyphNode* n;
  if (f.freeList) {
    n = f.freeList;
    f.freeList = n->nextSeq;
  } else {
    if (f.blocks.empty() || f.blockUsed == f.blockSize) {
      size_t size = f.blocks.empty() ? kFirstBlock : kLaterBlock;
      if (nodeBytes(f) + f.ruleBytes >= kBoundBytes)
        featMsg(g, kMsgFatal, kNodesPassed, kMaxNodes, kBoundMB);
      f.blocks.push_back(std::make_unique<GlyphNode[]>(size));
      f.blockSize = size;
      f.blockUsed = 0;
    }
    n = &f.blocks.back()[f.blockUsed++];
  }
  *n = GlyphNode();
  return n;
}

void featRecycleNode(coreContext* g, GlyphNode* pattern) {
  FeatContext& f = *g->feat;
  size_t count = 0;
  for (GlyphNode* e = pattern; e;) {
    GlyphNode* nextElement = e->nextSeq;
    for (GlyphNode* m = e; m;) {
      GlyphNode* nextMember = m->nextCl;
      // The warning is kept for large classes, but every node goes back: one left out
      // would stay taken until the compile ends and count against the node cap.
      if (++count == kRecycleLimit + 1) g->client->message(kMsgLine, kRecycleTimeout);
      m->nextSeq = f.freeList;
      f.freeList = m;
      m = nextMember;
    }
    e = nextElement;
  }
}

GlyphNode** featGlyphClassCopy(coreContext* g, GlyphNode** place, GlyphNode* cls) {
  for (GlyphNode* m = cls; m; m = m->nextCl) {
    GlyphNode* n = featNewNode(g);
    *n = *m;
    n->nextSeq = nullptr;
    n->nextCl = nullptr;
    *place = n;
    place = &n->nextCl;
  }
  return place;
}

GlyphNode** featPatternCopy(coreContext* g, GlyphNode** place, GlyphNode* pattern, int count) {
  for (GlyphNode* e = pattern; e && count != 0; e = e->nextSeq, --count) {
    GlyphNode* copy = nullptr;
    featGlyphClassCopy(g, &copy, e);
    *place = copy;
    place = &copy->nextSeq;
  }
  return place;
}

const std::vector<GlyphNode*>& featMakeCrossProduct(coreContext* g, GlyphNode* pattern) {
  FeatContext& f = *g->feat;
  std::vector<GlyphNode*>& seqs = f.sequences;
  seqs.assign(1, nullptr);
  std::vector<GlyphNode**> tails(1, &seqs[0]);
  size_t length = 0;
  for (GlyphNode* e = pattern; e; e = e->nextSeq, ++length) {
    size_t k = seqs.size();
    size_t members = 0;
    for (GlyphNode* m = e; m; m = m->nextCl) ++members;
    if (k * members > kMaxCrossProduct)
      featMsg(g, kMsgFatal, "glyph class cross product too large (more than %zu sequences)",
              kMaxCrossProduct);
    // Copies first (from the sequences as they stand), then the first glyph everywhere.
    size_t j = 1;
    for (GlyphNode* m = e->nextCl; m; m = m->nextCl, ++j) {
      for (size_t i = 0; i < k; ++i) {
        GlyphNode* copy = nullptr;
        GlyphNode** tail = featPatternCopy(g, &copy, seqs[i], static_cast<int>(length));
        GlyphNode* n = featNewNode(g);
        n->gid = m->gid;
        *tail = n;
        seqs.push_back(copy);
        tails.push_back(&n->nextSeq);
      }
    }
    for (size_t i = 0; i < k; ++i) {
      GlyphNode* n = featNewNode(g);
      n->gid = e->gid;
      *tails[i] = n;
      tails[i] = &n->nextSeq;
    }
  }
  return seqs;
}

void featSortGlyphClass(coreContext* g, GlyphNode** place, bool report) {
  GlyphNode* first = *place;
  if (!first) return;
  uint16_t flags = first->flags;
  GlyphNode* nextSeq = first->nextSeq;
  FeatValueRecord* value = first->valueRecord;
  const char* markName = first->markClassName;
  first->flags = 0;
  first->nextSeq = nullptr;
  first->valueRecord = nullptr;
  first->markClassName = nullptr;
  std::vector<GlyphNode*> members;
  for (GlyphNode* m = first; m; m = m->nextCl) members.push_back(m);
  // Sorted on keys of glyph id and class position, held side by side: comparing through
  // the nodes would miss the cache at every step of a class of a million copies.
  std::vector<uint64_t> keys(members.size());
  for (size_t i = 0; i < members.size(); ++i) keys[i] = uint64_t{members[i]->gid} << 32 | i;
  std::sort(keys.begin(), keys.end());
  std::vector<GlyphNode*> kept;
  for (uint64_t key : keys) {
    GlyphNode* m = members[key & 0xFFFFFFFFu];
    if (!g->errorFlag && members.size() >= 2 && !kept.empty() && kept.back()->gid == m->gid) {
      if (report && !g->feat->includes.empty()) {
        featGlyphNoteAppend(g, m->gid, -1);
        featMsg(g, kMsgNote, "Removing duplicate glyph <%s>", g->note.c_str());
      }
      m->nextCl = nullptr;
      featRecycleNode(g, m);
      continue;
    }
    kept.push_back(m);
  }
  for (size_t i = 0; i < kept.size(); ++i)
    kept[i]->nextCl = i + 1 < kept.size() ? kept[i + 1] : nullptr;
  GlyphNode* head = kept.front();
  head->flags = flags;
  head->nextSeq = nextSeq;
  head->valueRecord = value;
  head->markClassName = markName;
  *place = head;
}

void featExtendNodeToClass(coreContext* g, GlyphNode* node, int count) {
  if (node->flags & GN_CLASS) coreMsg(g, kMsgFatal, "[internal] can't extend glyph class");
  node->flags |= GN_CLASS;
  GlyphNode** place = &node->nextCl;
  for (int i = 0; i < count; ++i) {
    GlyphNode* n = featNewNode(g);
    n->gid = node->gid;
    *place = n;
    place = &n->nextCl;
  }
}

void featGlyphNoteAppend(coreContext* g, uint16_t gid, int separator) {
  g->note += coreGlyphName(g, gid);
  if (separator >= 0) g->note += static_cast<char>(separator);
}

void featClassNoteAppend(coreContext* g, GlyphNode* cls, int separator) {
  g->note += "[";
  for (GlyphNode* m = cls; m; m = m->nextCl) {
    featGlyphNoteAppend(g, m->gid, -1);
    if (m->nextCl) g->note += " ";
  }
  g->note += "]";
  if (separator >= 0) g->note += static_cast<char>(separator);
}

void featPatternNoteAppend(coreContext* g, GlyphNode* pattern) {
  g->note += "{";
  for (GlyphNode* e = pattern; e; e = e->nextSeq) {
    if (e->nextCl || (e->flags & GN_CLASS)) featClassNoteAppend(g, e, -1);
    else featGlyphNoteAppend(g, e->gid, -1);
    if (e->flags & GN_MARKED) g->note += "'";
    if (e->nextSeq) g->note += " ";
  }
  g->note += "},";
}

}  // namespace fea

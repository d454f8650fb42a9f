// The feature layer's context: creation, the fill of one compile, and reset.
#include "feacompiler/feat_context.h"

#include "feacompiler/feat_layer.h"
#include "feacompiler/feat_nodes.h"
#include "feacompiler/tables/table_modules.h"

namespace fea {

void featNew(coreContext* g) {
  g->feat = new FeatContext();
  g->feat->g = g;
}

void featReuse(coreContext* g) {
  FeatContext* old = g->feat;
  g->feat = new FeatContext();
  g->feat->g = g;
  delete old;
}

void featFree(coreContext* g) {
  delete g->feat;
  g->feat = nullptr;
}

int featFill(coreContext* g) {
  FeatContext& f = *g->feat;
  f.curr = FeatState();
  f.prev = FeatState();
  f.delivered = 0;
  f.includeDflt = true;
  f.deprecationWarned = false;
  f.newLookup = false;
  f.currNamedLookup = kLabelNone;
  f.namedCounter = 0;
  f.anonCounter = kFirstAnonLabel;
  lexReset(f.lex);
  g->line = 1;

  f.parsedName.clear();
  f.blockName.clear();
  f.blockLine = 0;
  f.lastChar = -1;
  if (featIncludeOpen(g, nullptr)) {
    std::string mainName = f.includes.front().name;
    featIncludeClose(g, 1);
    // What is reported from here on concerns the whole text: it names the main text and
    // its last line (not the empty one after a final line end).
    f.parsedName = std::move(mainName);
    if ((f.lastChar == '\n' || f.lastChar == '\r') && g->line > 1) --g->line;
  }

  if (f.exceptCount != 0) {
    bool one = f.exceptCount == 1;
    coreMsg(g, kMsgNote,
            "There %s %hd instance%s of the deprecated \"except\" syntax in the feature file. "
            "Though such statements are processed correctly by this parser for backward "
            "compatibility, please update them to the newer \"ignore substitute\" syntax. For "
            "example, change \"except a @LET sub a by a.end;\" to \"ignore sub a @LET; sub a' "
            "by a.end;\". (Note that the second rule is now required to be marked to identify "
            "it as a Chain Contextual and not a Single Substitution rule.)",
            one ? "is" : "are", static_cast<short>(f.exceptCount), one ? "" : "s");
  }
  featAaltCreate(g);
  if (f.gFlags & (kSeenIgnoreFlag | kSeenMarkClass)) featSetGDEFGlyphClasses(g);
  featAaltCheckFeatures(g);
  if (g->errorFlag) coreMsg(g, kMsgFatal, "aborting because of errors");
  return 1;
}

uint16_t featNextAnonLabel(coreContext* g) {
  FeatContext& f = *g->feat;
  // Labels are 15-bit: the named lookups' labels come first, the anonymous ones fill the
  // rest. Reported against the file and line of the lookup too many.
  if (f.anonCounter > kLastAnonLabel)
    featMsg(g, kMsgFatal, "[internal] maximum number of lookups reached: %d", kLastAnonLabel + 1 - kFirstAnonLabel);
  return f.anonCounter++;
}

}  // namespace fea

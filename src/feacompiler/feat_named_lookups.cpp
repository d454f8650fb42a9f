// Named lookup blocks, lookup references, useExtension and subtable breaks.
#include "feacompiler/feat_layer.h"
#include "feacompiler/tables/table_modules.h"

namespace fea {

namespace {

const char* const kLookupInAalt = "\"lookup\" use not allowed in 'aalt' feature";
const char* const kLookupInSize =
    "\"lookup\" use not allowed anymore in 'size' feature; use \"languagesystem\" statement(s) "
    "at beginning of file instead to specify the language system(s) this feature should be "
    "registered under";

NamedLookupRecord* findNamed(FeatContext& f, const std::string& name) {
  for (NamedLookupRecord& r : f.namedLookups) {
    if (r.name == name) return &r;
  }
  return nullptr;
}

NamedLookupRecord& currentNamed(coreContext* g) {
  FeatContext& f = *g->feat;
  size_t index = f.currNamedLookup & 0x7FFF;
  if (f.currNamedLookup == kLabelNone || index >= f.namedLookups.size())
    coreMsg(g, kMsgFatal, "[internal] label not found\n");
  return f.namedLookups[index];
}

}  // namespace

void featLookupBlock(coreContext* g, const std::string& name, bool start, bool topLevel) {
  FeatContext& f = *g->feat;
  if (!topLevel) {
    if (f.curr.feature == ot::kTagAalt) {
      if (start) featMsg(g, kMsgError, "%s", kLookupInAalt);
      return;
    }
    if (f.curr.feature == ot::kTagSize) {
      if (start) featMsg(g, kMsgError, "%s", kLookupInSize);
      return;
    }
  }
  if (start) {
    if (topLevel) {
      featTagBlock(g, kTagStandalone, 1, true, name);
      f.fFlags |= kSeenScript;
      if (!(f.curr.script == kTagStandalone && f.curr.language == kTagDefaultLanguage)) {
        f.fFlags &= ~kLangSysMode;
        bool listed = false;
        for (uint32_t s : f.scripts) listed = listed || s == kTagStandalone;
        if (listed)
          featMsg(g, kMsgWarning, "script behavior already specified (text was \"%s\")", name.c_str());
        else
          f.scripts.push_back(kTagStandalone);
        f.curr.script = kTagStandalone;
        f.languages.clear();
        f.dfltLookups.clear();
        f.curr.language = kTagDefaultLanguage;
        f.languages.push_back(kTagDefaultLanguage);
        f.includeDflt = true;
        f.curr.lookupFlag = 0;
        f.curr.markSetIndex = 0;
      }
    }
    if (findNamed(f, name)) featMsg(g, kMsgFatal, "lookup name \"%s\" already defined", name.c_str());
    // A limit of the input, reported against the file and line of the lookup too many.
    if (f.namedCounter >= ot::limits::kMaxNamedLookups)
      featMsg(g, kMsgFatal, "[internal] maximum number of named lookups reached: %d",
              static_cast<int>(ot::limits::kMaxNamedLookups));
    f.currNamedLookup = f.namedCounter++;
    NamedLookupRecord r;
    r.name = name;
    f.namedLookups.push_back(r);
    return;
  }
  if (topLevel) featTagBlock(g, kTagStandalone, 1, false, name);
  NamedLookupRecord& r = currentNamed(g);
  if (r.name != name) featMsg(g, kMsgFatal, "doesn't match starting label of block");
  r.state = f.curr;
  // A block without rules made no lookup; the state left by the rules before it is not its
  // own, and a reference to it must not name a lookup that was never built.
  if (f.curr.label != f.currNamedLookup) {
    r.state.table = kTagNone;
    r.state.lookupType = 0;
  }
  f.currNamedLookup = kLabelNone;
  f.newLookup = true;
}

void featLookupReference(coreContext* g, const std::string& name) {
  FeatContext& f = *g->feat;
  if (f.curr.feature == ot::kTagAalt) {
    featMsg(g, kMsgError, "%s", kLookupInAalt);
    return;
  }
  for (AaltFeature& a : f.aaltFeatures) {
    if (a.tag == f.curr.feature) a.used = true;
  }
  if (f.curr.feature == ot::kTagSize) {
    featMsg(g, kMsgError, "%s", kLookupInSize);
    return;
  }
  const NamedLookupRecord* r = findNamed(f, name);
  if (!r) {
    featMsg(g, kMsgError, "lookup name \"%s\" not defined", name.c_str());
    return;
  }
  featUseLookup(g, *r);
}

void featUseLookup(coreContext* g, const NamedLookupRecord& record) {
  FeatContext& f = *g->feat;
  uint16_t label = static_cast<uint16_t>(&record - f.namedLookups.data());
  FeatState state = record.state;
  f.currNamedLookup = static_cast<uint16_t>(kLabelRef | label);
  f.curr.lookupFlag = state.lookupFlag;
  f.curr.markSetIndex = state.markSetIndex;
  featPrepRule(g, state.table, state.lookupType, nullptr, nullptr);
  f.prev = f.curr;
  f.currNamedLookup = kLabelNone;
  f.newLookup = true;
}

uint16_t featGetLabelByName(coreContext* g, const std::string& name) {
  FeatContext& f = *g->feat;
  for (size_t i = 0; i < f.namedLookups.size(); ++i) {
    if (f.namedLookups[i].name != name) continue;
    // A closed block without rules built no lookup for the rule to call.
    if (i != f.currNamedLookup && f.namedLookups[i].state.table == kTagNone)
      featMsg(g, kMsgError, "lookup \"%s\" has no rules; a contextual rule cannot call it", name.c_str());
    return static_cast<uint16_t>(i);
  }
  featMsg(g, kMsgFatal, "lookup name \"%s\" not defined", name.c_str());
  return kLabelNone;
}

void featUseExtension(coreContext* g, bool inLookup) {
  FeatContext& f = *g->feat;
  if (inLookup) {
    // A lookup block that 'aalt' or 'size' ignored has no record to mark.
    if (f.currNamedLookup == kLabelNone) return;
    currentNamed(g).useExtension = 1;
    return;
  }
  if (f.curr.feature == ot::kTagAalt) f.aaltUseExtension = true;
  else featMsg(g, kMsgError, "\"useExtension\" allowed in feature-scope only for 'aalt'");
}

void featSubtableBreak(coreContext* g) {
  FeatContext& f = *g->feat;
  if (f.curr.feature == ot::kTagAalt || f.curr.feature == ot::kTagSize) {
    featMsg(g, kMsgError, "\"subtable\" use not allowed in 'aalt' or 'size' feature");
    return;
  }
  if (f.curr.table == ot::kTagGSUB) GSUBSubtableBreak(g);
  else if (f.curr.table == ot::kTagGPOS) GPOSSubtableBreak(g, f.curr.lookupType == 2);
  else featMsg(g, kMsgError, "Statement not expected here");
}

}  // namespace fea

// Language systems, feature and lookup blocks, labels and the start and end of lookups.
#include <algorithm>

#include "feacompiler/feat_layer.h"
#include "feacompiler/tables/table_modules.h"

namespace fea {

namespace {

bool contains(const std::vector<uint32_t>& list, uint32_t tag) {
  return std::find(list.begin(), list.end(), tag) != list.end();
}

void addOnce(std::vector<uint32_t>& list, uint32_t tag) {
  if (!contains(list, tag)) list.push_back(tag);
}

bool inAaltOrSize(const FeatContext& f) {
  return f.curr.feature == ot::kTagAalt || f.curr.feature == ot::kTagSize;
}

uint32_t languageOfLangSys(coreContext* g, uint32_t language) {
  if (language == ot::kTagDFLT) {
    featMsg(g, kMsgWarning, "'DFLT' is not a valid tag for a language statement; using 'dflt'.");
    return kTagDefaultLanguage;
  }
  return language;
}

bool sameLookupState(const FeatState& a, const FeatState& b) {
  return a.script == b.script && a.language == b.language && a.feature == b.feature &&
         a.table == b.table && a.lookupType == b.lookupType;
}

}  // namespace

void featAddLanguageSystem(coreContext* g, uint32_t script, uint32_t language, bool mustPrecede) {
  FeatContext& f = *g->feat;
  if (mustPrecede && (f.gFlags & kSeenFeature)) {
    featMsg(g, kMsgError, "languagesystem must be specified before all feature blocks");
    return;
  }
  bool checkDflt = true;
  if (!(f.gFlags & kSeenLangSys)) {
    f.gFlags |= kSeenLangSys;
  } else if (script == ot::kTagDFLT) {
    featMsg(g, kMsgError,
            "The languagesystem DFLT dlft; statement must preceed all other language system "
            "statements.");
    checkDflt = false;
  }
  if (checkDflt && script == kTagDefaultLanguage) {
    featMsg(g, kMsgWarning,
            "'dflt' is not a valid script tag for a languagesystem  statement; using 'DFLT'.");
    script = ot::kTagDFLT;
  }
  if (language == ot::kTagDFLT) {
    featMsg(g, kMsgWarning,
            "'DFLT' is not a valid language tag for a languagesystem  statement; using 'dflt'.");
    language = kTagDefaultLanguage;
  }
  if (script == ot::kTagDFLT && language != kTagDefaultLanguage)
    featMsg(g, kMsgError,
            "The languagesystem script tag DFLT must be used only with the language tag dflt.");
  for (const LangSysRecord& r : f.langSys) {
    if (r.script == script && r.language == language) {
      featMsg(g, kMsgWarning, "Duplicate specification of language system");
      return;
    }
  }
  f.langSys.push_back({script, language, false});
}

int featTagBlock(coreContext* g, uint32_t tag, int kind, bool start, const std::string& text) {
  FeatContext& f = *g->feat;
  if (!start) {
    if (tag != f.curr.feature) featMsg(g, kMsgFatal, "doesn't match starting tag of block");
    if (f.curr.feature != ot::kTagAalt) {
      featCloseLookup(g, f.prev);
      featRegisterDefaultLangSys(g);
    }
    f.prev.table = kTagNone;
    return 1;
  }
  if (kind == 1) {
    if (contains(f.features, tag)) {
      if (tag != kTagStandalone) featMsg(g, kMsgWarning, "feature already defined: %s", text.c_str());
    } else {
      f.features.push_back(tag);
    }
    f.curr.feature = tag;
    f.fFlags = 0;
    f.gFlags |= kSeenFeature;
    f.defaultLookups.clear();
    f.scripts.clear();
    if (!(f.gFlags & kSeenLangSys)) {
      featAddLanguageSystem(g, ot::kTagDFLT, kTagDefaultLanguage, false);
      featMsg(g, kMsgWarning,
              "[internal] Feature block seen before any language system statement.  You should "
              "place languagesystem statements before any feature definition");
    }
    f.curr.script = f.langSys.front().script;
    f.curr.language = languageOfLangSys(g, f.langSys.front().language);
    f.languages.assign(1, f.curr.language);
    f.includeDflt = true;
    f.dfltLookups.clear();
    f.otherScriptDfltLookups.clear();
    f.curr.lookupFlag = 0;
    f.curr.markSetIndex = 0;
    return 1;
  }
  // kind 3: language
  if (inAaltOrSize(f)) {
    featMsg(g, kMsgError,
            "\"script\" and \"language\" statements not allowed anymore in 'aalt' or 'size' "
            "feature; use \"languagesystem\" statement(s) at beginning of file instead to "
            "specify the language system(s) this feature should be registered under");
    return -1;
  }
  tag = languageOfLangSys(g, tag);
  if (tag != kTagDefaultLanguage) f.fFlags &= ~kLangSysMode;
  if (tag == f.curr.language) return 0;
  if (tag == kTagDefaultLanguage) featMsg(g, kMsgFatal, "dflt must precede language-specific behavior");
  if (contains(f.languages, tag)) featMsg(g, kMsgFatal, "language-specific behavior already specified");
  f.languages.push_back(tag);
  f.curr.language = tag;
  return 1;
}

void featIncludeDflt(coreContext* g, bool include, int changed, bool deprecated) {
  FeatContext& f = *g->feat;
  if (deprecated && !f.deprecationWarned) {
    featMsg(g, kMsgWarning,
            "Use of includeDFLT and excludeDFLT tags has been deprecated. It will work, but "
            "please use 'include_dflt' and 'exclude_dflt' tags instead.");
    f.deprecationWarned = true;
  }
  if (changed) {
    f.includeDflt = include;
  } else if (include != f.includeDflt) {
    featMsg(g, kMsgFatal,
            "can't change whether a language should include dflt rules once this has already "
            "been indicated");
  }
  if (!include) {
    for (LangSysRecord& r : f.langSys) {
      if (r.script == f.curr.script && r.language == f.curr.language) r.excludeDflt = true;
    }
    return;
  }
  // Registering again under an unchanged language would register the lookups twice.
  if (!changed) return;
  std::vector<FeatState> dflt = f.dfltLookups;
  for (const FeatState& s : dflt) {
    f.currNamedLookup = static_cast<uint16_t>(kLabelRef | s.label);
    f.curr.lookupFlag = s.lookupFlag;
    f.curr.markSetIndex = s.markSetIndex;
    featPrepRule(g, s.table, s.lookupType, nullptr, nullptr);
    f.prev = f.curr;
    f.currNamedLookup = kLabelNone;
    f.newLookup = true;
  }
}

void featPrepRule(coreContext* g, uint32_t table, uint32_t type, GlyphNode* target,
                  GlyphNode* replacement) {
  FeatContext& f = *g->feat;
  FeatState& c = f.curr;
  c.table = table;
  c.lookupType = type;
  if (!(f.fFlags & kSeenScript) && (f.gFlags & kSeenLangSys) && !(f.fFlags & kLangSysMode)) {
    f.fFlags |= kLangSysMode;
    c.script = f.langSys.front().script;
    c.language = languageOfLangSys(g, f.langSys.front().language);
    addOnce(f.languages, c.language);
  }
  bool begins;
  if (f.currNamedLookup == kLabelNone) {
    // A changed lookup flag starts a new lookup, as the public syntax says.
    bool same = sameLookupState(c, f.prev) && c.lookupFlag == f.prev.lookupFlag &&
                c.markSetIndex == f.prev.markSetIndex;
    if (same && !f.newLookup) {
      c.label = f.prev.label;
      begins = false;
    } else {
      c.label = featNextAnonLabel(g);
      begins = true;
    }
  } else if (c.label == f.currNamedLookup) {
    begins = c.script != f.prev.script || c.feature != f.prev.feature;
  } else {
    c.label = f.currNamedLookup;
    begins = true;
  }
  if (f.currNamedLookup != kLabelNone && c.label < kFirstAnonLabel && c.label == f.prev.label) {
    if (c.table == f.prev.table && c.lookupType == f.prev.lookupType) {
      if (c.lookupFlag != f.prev.lookupFlag)
        featMsg(g, kMsgFatal, "Lookup flags different from previous rules in this block");
      if (c.markSetIndex != f.prev.markSetIndex)
        featMsg(g, kMsgFatal, "Lookup flag UseMarkSetIndex different from previous rules in this block");
    } else if (c.table == ot::kTagGSUB && f.prev.table == ot::kTagGSUB && c.lookupType == 1 &&
               f.prev.lookupType == 4) {
      c.lookupType = 4;
    } else if (c.table == ot::kTagGSUB && f.prev.table == ot::kTagGSUB && c.lookupType == 1 &&
               f.prev.lookupType == 2) {
      c.lookupType = 2;
    } else {
      featMsg(g, kMsgFatal, "Lookup type different from previous rules in this lookup block");
    }
  }
  // A script statement sets the list for its script (featScriptDefaultLookups).
  if (c.feature != f.prev.feature) f.dfltLookups.clear();
  if (begins && c.language == kTagDefaultLanguage) f.dfltLookups.push_back(c);
  if (!(c.label & kLabelRef) && replacement) featAaltStore(g, target, replacement);
  if (sameLookupState(c, f.prev) && c.label == f.prev.label) {
    if (c.lookupFlag != f.prev.lookupFlag)
      featMsg(g, kMsgFatal, "Lookup flags different from previous rules in this block");
    if (c.markSetIndex != f.prev.markSetIndex)
      featMsg(g, kMsgFatal, "Lookup flag UseMarkSetIndex different from previous rules in this block");
    return;
  }
  featCloseLookup(g, f.prev);
  int useExtension = 0;
  if (f.currNamedLookup != kLabelNone && (f.currNamedLookup & 0x7FFF) < kFirstAnonLabel) {
    size_t index = f.currNamedLookup & 0x7FFF;
    if (index >= f.namedLookups.size()) coreMsg(g, kMsgFatal, "[internal] label not found\n");
    useExtension = f.namedLookups[index].useExtension;
  }
  if (c.table == ot::kTagGSUB) {
    GSUBSetTags(g, c.script, c.language, c.feature);
    GSUBLookupParams(g, useExtension, c.lookupType, c.lookupFlag, c.markSetIndex, c.label);
  } else if (c.table == ot::kTagGPOS) {
    GPOSSetTags(g, c.script, c.language, c.feature);
    GPOSLookupBegin(g, c.lookupType, c.lookupFlag, c.label, useExtension, c.markSetIndex);
  }
  if (f.fFlags & kLangSysMode)
    f.defaultLookups.push_back(
        {c.table, c.lookupType, c.lookupFlag, c.markSetIndex, c.label, useExtension});
  f.prev = c;
}

void featScriptDefaultLookups(coreContext* g, uint32_t script) {
  FeatContext& f = *g->feat;
  f.otherScriptDfltLookups[f.curr.script] = std::move(f.dfltLookups);
  f.dfltLookups.clear();
  // A script named again takes back its own.
  auto known = f.otherScriptDfltLookups.find(script);
  if (known != f.otherScriptDfltLookups.end()) {
    f.dfltLookups = std::move(known->second);
    f.otherScriptDfltLookups.erase(known);
    return;
  }
  // The rules written before the first script statement are registered under the script's
  // default language when that is a declared language system: they are its default rules.
  bool declared = false;
  for (const LangSysRecord& r : f.langSys) declared = declared || (r.script == script && r.language == kTagDefaultLanguage);
  if (!declared) return;
  for (const DefaultLookupRecord& d : f.defaultLookups) {
    FeatState s = f.curr;
    s.table = d.table;
    s.lookupType = d.lookupType;
    s.lookupFlag = d.lookupFlag;
    s.markSetIndex = d.markSetIndex;
    s.label = d.label;
    f.dfltLookups.push_back(s);
  }
}

void featCloseLookup(coreContext* g, const FeatState& state) {
  if (state.table == kTagNone || state.lookupType == 0) return;
  if (state.table == ot::kTagGSUB) GSUBLookupEnd(g, state.feature);
  else if (state.table == ot::kTagGPOS) GPOSLookupEnd(g, state.feature);
  else coreMsg(g, kMsgFatal, "[internal] unrecognized tbl");
}

void featRegisterDefaultLangSys(coreContext* g) {
  FeatContext& f = *g->feat;
  if (f.langSys.size() < 2) return;
  for (size_t i = 1; i < f.langSys.size(); ++i) {
    LangSysRecord& ls = f.langSys[i];
    if (ls.excludeDflt) {
      ls.excludeDflt = false;
      continue;
    }
    for (const DefaultLookupRecord& d : f.defaultLookups) {
      uint16_t label = static_cast<uint16_t>(d.label | kLabelRef);
      if (d.table == ot::kTagGSUB) {
        GSUBSetTags(g, ls.script, ls.language, f.curr.feature);
        GSUBLookupParams(g, d.useExtension, d.lookupType, d.lookupFlag, d.markSetIndex, label);
        GSUBLookupEnd(g, f.curr.feature);
      } else if (d.table == ot::kTagGPOS) {
        GPOSSetTags(g, ls.script, ls.language, f.curr.feature);
        GPOSLookupBegin(g, d.lookupType, d.lookupFlag, label, d.useExtension, d.markSetIndex);
        GPOSLookupEnd(g, f.curr.feature);
      }
    }
  }
}

}  // namespace fea

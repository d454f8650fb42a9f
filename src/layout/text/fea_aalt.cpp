#include "layout/text/fea_aalt.h"

#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <string_view>

#include "layout/lookup.h"
#include "layout/multiple_subst.h"
#include "layout/text/fea_blocks.h"
#include "layout/text/fea_statements.h"

namespace otl::ot_fea_layout {

namespace {

const ot::Tag kDflt = ot::Tag::fromString("dflt");
const ot::Tag kDFLT = ot::Tag::fromString("DFLT");

LanguageSystem normalized(const ot::Tag& script, const ot::Tag& language) {
  return {script, isDefaultTag(language) ? kDflt : language};
}

bool hasOneGlyphAlternates(const Lookup& lookup) {
  for (const auto& subtable : lookup.subtables) {
    const auto* alternates = dynamic_cast<const LsAlternate*>(subtable.get());
    if (!alternates) continue;
    for (size_t i = 0; i < alternates->ruleCount(); ++i) {
      if (alternates->sequences[i].glyphCount() == 1) return true;
    }
  }
  return false;
}

// Compilers build 'aalt' as a single substitution lookup, an alternate one, or the two in
// this order.
bool compilersForm(const LayoutTableBlock& gsub, const std::vector<uint32_t>& list) {
  std::vector<uint32_t> types;
  for (uint32_t index : list) {
    const Lookup* lookup = gsub.lookups.findLookup(index);
    types.push_back(lookup ? lookup->typeCode : 0);
  }
  const std::vector<std::vector<uint32_t>> forms = {
      {kGsubSingle}, {kGsubAlternate}, {kGsubSingle, kGsubAlternate}};
  return std::find(forms.begin(), forms.end(), types) != forms.end();
}

// Glyphs and bracketed classes of a rule side.
size_t countElements(std::string_view side) {
  size_t count = 0;
  bool inClass = false;
  bool inName = false;
  for (char c : side) {
    if (inClass) {
      inClass = c != ']';
    } else if (c == '[') {
      ++count;
      inClass = true;
      inName = false;
    } else if (c == ' ' || c == '\n' || c == '\t') {
      inName = false;
    } else if (!inName) {
      ++count;
      inName = true;
    }
  }
  return count;
}

}  // namespace

bool aaltTakes(const std::string& statement) {
  const size_t first = statement.find_first_not_of(' ');
  if (first == std::string::npos || statement.compare(first, 4, "sub ") != 0) return false;
  if (statement.find('\'') != std::string::npos) return false;
  if (statement.find(" from ") != std::string::npos) return true;
  const size_t by = statement.find(" by ");
  if (by == std::string::npos) return false;
  const std::string_view text(statement);
  return countElements(text.substr(first + 4, by - first - 4)) == 1 &&
         countElements(text.substr(by + 4, statement.find(';', by) - by - 4)) == 1;
}

void reportAaltChanges(const LayoutTableBlock& gsub, const std::vector<LanguageSystem>& textSystems,
                       const AaltWritten& written, Diagnostics& reports) {
  std::map<LanguageSystem, std::vector<uint32_t>> fontSystems;
  gsub.forEachFeature([&](const Script& script, const Language& language, const Feature& feature) {
    if (isTag(feature.tag, "aalt") && !feature.lookups.empty())
      fontSystems[normalized(script.tag, language.tag)] = feature.lookups;
  });
  if (fontSystems.empty()) return;
  std::vector<std::string> changes;
  if (written.leftOut) {
    changes.push_back("it is left out, since none of its lookups has a rule left");
  } else {
    // The language systems compilers register 'aalt' under: every one the text states.
    std::set<LanguageSystem> registered{{kDFLT, kDflt}};
    for (const auto& [script, language] : textSystems) {
      if (!script.sameBytes(kDFLT) || isDefaultTag(language)) registered.insert(normalized(script, language));
    }
    std::set<LanguageSystem> font;
    std::vector<uint32_t> lookups;  // every language system's, each once
    std::set<uint32_t> taken;
    bool sameLists = true;
    for (const auto& [system, list] : fontSystems) {
      font.insert(system);
      for (uint32_t index : list) {
        if (taken.insert(index).second) lookups.push_back(index);
      }
      sameLists = sameLists && list == fontSystems.begin()->second;
    }
    if (font != registered || !sameLists) changes.push_back("it comes back under every language system of the text");
    if (std::any_of(lookups.begin(), lookups.end(), [&](uint32_t index) {
          const Lookup* lookup = gsub.lookups.findLookup(index);
          return lookup && hasOneGlyphAlternates(*lookup);
        }))
      changes.push_back("its sets of one alternate come back as single substitutions");
    if (!compilersForm(gsub, lookups))
      changes.push_back("its lookups come back as one single and one alternate substitution lookup");
    if (written.flagsDropped) changes.push_back("its lookup flags are not kept");
    if (written.rulesLeftOut) changes.push_back("its rules other than single and alternate substitutions are left out");
  }
  if (changes.empty()) return;
  std::string message = "the generated feature text cannot keep 'aalt' as it is (compilers build it their way): ";
  for (size_t i = 0; i < changes.size(); ++i) message += (i ? "; " : "") + changes[i];
  reports.add(Severity::kWarning, "feature aalt", message);
}

// The rules of every lookup of the record, in place, without lookup flags or subtable
// breaks, keeping only what compilers take inside 'aalt'; empty when no rule is left.
std::string FeaDocumentWriter::aaltRules(const LanguageInfo& record) {
  std::string rules;
  bool any = false;
  for (uint32_t tableId : {kTableGsub, kTableGpos}) {
    for (uint32_t index : record.list(tableId)) {
      const Lookup* lookup = table(tableId).lookups.findLookup(index);
      if (!lookup) continue;
      std::ostringstream body, kept;
      uint16_t flag = lookup->flag;  // in force already: no lookupflag line
      lookup->writeFea(body, table(tableId).lookups.lookups(), flag, names_, true);
      std::string singles;  // one-glyph ligatures: single substitutions, which 'aalt' takes
      copyWritableStatements(body.str(), kept, tableId, lookup->typeCode, &singles, reportFor(*lookup));
      forEachStatement(kept.str() + singles, [&](const std::string& statement, bool comment) {
        if (comment || (tableId == kTableGsub && aaltTakes(statement))) {
          rules += statement;
          if (comment) return;
          any = true;
          aalt_.flagsDropped = aalt_.flagsDropped || lookup->flag != 0;
        } else if (hasRules(statement)) {
          aalt_.rulesLeftOut = true;
        }
      });
    }
  }
  if (any) return rules;
  aalt_.leftOut = true;
  return {};
}

}  // namespace otl::ot_fea_layout

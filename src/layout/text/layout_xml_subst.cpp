// Subtable handlers of the layout XML reader: the substitution kinds and the contextual
// kinds of both tables.
#include <set>
#include <string>

#include "layout/context_subst.h"
#include "layout/ligature_subst.h"
#include "layout/lookup_kind_table.h"
#include "layout/multiple_subst.h"
#include "layout/reverse_chain.h"
#include "layout/single_subst.h"
#include "layout/text/layout_xml_handlers.h"
#include "model/numbers.h"
#include "text/xml_text.h"

namespace otl::xml {

namespace {

class LsSingleXMLParser : public KindParser<LsSingle> {
 public:
  using KindParser::KindParser;
  void startElement(const char* name, const char** attributes) override {
    if (!nameIs(name, "Substitution")) return;
    forEachAttribute(attributes, "in", [&](const char* v) { input_.push_back(glyphOf(v)); });
    forEachAttribute(attributes, "out", [&](const char* v) { output_.push_back(glyphOf(v)); });
  }
  void commit() override {
    keepFirstOfEach(input_, output_);
    kind().input.assign(input_);
    kind().output.assign(output_);
  }
  bool isValid() const override {
    return input_.size() == output_.size() && kind().input.glyphCount() == kind().output.glyphCount();
  }

 private:
  GlyphList input_, output_;
};

// The sequences come as a Coverage and its Sequence elements, or as Substitution elements
// ("in" one glyph, "out" a comma-separated list), as other tools write them.
class LsMultipleXMLParser : public KindParser<LsMultiple> {
 public:
  using KindParser::KindParser;
  void startElement(const char* name, const char** attributes) override {
    if (nameIs(name, "Coverage")) coverage_.clear();  // a later Coverage replaces the first
    if (coverage_.startElement(name, attributes)) return;
    if (nameIs(name, "Sequence")) {
      inSequence_ = true;
      sequence_.clear();
    } else if (nameIs(name, "Substitute") && inSequence_) {
      forEachAttribute(attributes, "value", [&](const char* v) { sequence_.push_back(glyphOf(v)); });
    } else if (nameIs(name, "Substitution")) {
      // A substitution lacking either side leaves the counts apart: the subtable is refused.
      forEachAttribute(attributes, "in", [&](const char* v) { inputs_.push_back(glyphOf(v)); });
      forEachAttribute(attributes, "out", [&](const char* v) {
        kind().sequences.emplace_back(holder(), glyphNameList("out", v, "a glyph"));
      });
    }
  }
  void endElement(const char* name) override {
    if (coverage_.endElement(name)) {
      inputs_ = coverage_.glyphs;
    } else if (nameIs(name, "Sequence")) {
      inSequence_ = false;
      kind().sequences.emplace_back(holder(), sequence_);
    } else {
      SubtableXMLParser::endElement(name);
    }
  }
  void commit() override {
    keepFirstOfEach(inputs_, kind().sequences);
    kind().coverage.assign(inputs_);
  }
  bool isValid() const override {
    return inputs_.size() == kind().sequences.size() && kind().coverage.glyphCount() == inputs_.size();
  }

 private:
  bool inSequence_ = false;
  CoverageXMLParser coverage_;
  GlyphList sequence_, inputs_;
};

class LsAlternateXMLParser : public KindParser<LsAlternate> {
 public:
  using KindParser::KindParser;
  void startElement(const char* name, const char** attributes) override {
    if (nameIs(name, "AlternateSet")) {
      inSet_ = true;
      if (const char* v = firstAttribute(attributes, "glyph")) sets_.push_back(glyphOf(v));
      alternates_.clear();
    } else if (nameIs(name, "Alternate") && inSet_) {
      if (const char* v = firstAttribute(attributes, "glyph")) alternates_.push_back(glyphOf(v));
    }
  }
  void endElement(const char* name) override {
    if (nameIs(name, "AlternateSet")) {
      inSet_ = false;
      // Feature text has no alternate set without alternates.
      if (alternates_.empty()) reject("has no Alternate");
      kind().sequences.emplace_back(holder(), alternates_);
    } else {
      SubtableXMLParser::endElement(name);
    }
  }
  void commit() override {
    keepFirstOfEach(sets_, kind().sequences);
    kind().coverage.assign(sets_);
  }
  bool isValid() const override {
    return sets_.size() == kind().sequences.size() && kind().coverage.glyphCount() == sets_.size();
  }

 private:
  bool inSet_ = false;
  GlyphList sets_, alternates_;
};

class LsLigatureXMLParser : public KindParser<LsLigature> {
 public:
  using KindParser::KindParser;
  void startElement(const char* name, const char** attributes) override {
    if (nameIs(name, "LigatureSet")) {
      inSet_ = true;
      const char* v = firstAttribute(attributes, "glyph");
      first_ = v ? glyphOf(v) : 0;
      // A set of a glyph listed before is never reached: the first set is used.
      laterSet_ = !sets_.insert(first_).second;
      if (laterSet_) noteCoveredTwice();
      sequences_.clear();
    } else if (nameIs(name, "Ligature") && inSet_ && !laterSet_) {
      for (size_t i = 0; attributes && attributes[i]; i += 2) {
        if (nameIs(attributes[i], "components")) {
          GlyphList sequence{first_};
          const std::string text = attributes[i + 1];
          // The value names the second and later components; an empty value is a ligature
          // of one component, which feature text cannot say.
          if (text.empty() && state->forFeatureText) {
            rejectElement("components", "is empty: feature text has no one-glyph ligature");
          }
          const GlyphList rest = glyphNameList("components", text, "a component");
          sequence.insert(sequence.end(), rest.begin(), rest.end());
          // Kept as the binary reader keeps it: the writer takes the first, as engines do.
          if (!sequences_.insert(sequence).second && !notedSequenceTwice_) {
            notedSequenceTwice_ = true;
            state->warn(place, kLigatureListedTwice);
          }
          kind().rules.emplace_back(holder(), sequence);
        } else if (nameIs(attributes[i], "glyph")) {
          ligatures_.push_back(glyphOf(attributes[i + 1]));
        }
      }
    }
  }
  void endElement(const char* name) override {
    if (nameIs(name, "LigatureSet")) {
      inSet_ = false;
    } else {
      SubtableXMLParser::endElement(name);
    }
  }
  void commit() override { kind().ligatures.assign(ligatures_); }
  bool isValid() const override {
    return kind().rules.size() == ligatures_.size() && kind().ligatures.glyphCount() == ligatures_.size();
  }
  std::string invalidReason() const override { return "has a Ligature without its components or its glyph"; }

 private:
  bool inSet_ = false;
  bool laterSet_ = false;
  uint32_t first_ = 0;
  GlyphSet sets_;
  GlyphList ligatures_;
  std::set<GlyphList> sequences_;  // of the set being read
  bool notedSequenceTwice_ = false;
};

class LsReverseChainedContextXMLParser : public KindParser<LsReverseChainedContext> {
 public:
  using KindParser::KindParser;
  void startElement(const char* name, const char** attributes) override {
    if (nameIs(name, "Glyph")) {
      if (const char* v = firstAttribute(attributes, "value")) current_.push_back(glyphOf(v));
    } else if (nameIs(name, "Substitute")) {
      forEachAttribute(attributes, "value", [&](const char* v) { substitutes_.push_back(glyphOf(v)); });
    }
  }
  void endElement(const char* name) override {
    if (nameIs(name, "Coverage")) {
      input_ = std::move(current_);
      current_.clear();
    } else if (nameIs(name, "BacktrackCoverage")) {
      kind().backtrack.emplace_back(holder(), current_);
      current_.clear();
    } else if (nameIs(name, "LookAheadCoverage")) {
      kind().lookahead.emplace_back(holder(), current_);
      current_.clear();
    } else {
      SubtableXMLParser::endElement(name);
    }
  }
  void commit() override {
    keepFirstOfEach(input_, substitutes_);
    kind().input.assign(input_);
    kind().substitutes.assign(substitutes_);
  }
  bool isValid() const override { return kind().input.hasGlyphs() && kind().substitutes.hasGlyphs(); }
  std::string invalidReason() const override { return "lacks its Coverage or its Substitute glyphs"; }

 private:
  GlyphList input_, current_, substitutes_;
};

// Contextual subtables of both tables. The document form is format 3 (a coverage per
// position); the rule-set (1) and class-set (2) forms are read as well.
class ContextXMLParser : public KindParser<ContextSubtable> {
 public:
  ContextXMLParser(int32_t format, std::unique_ptr<LookupSubtable> subtable)
      : KindParser(format, std::move(subtable)), rule_(std::make_unique<Context>(holder())) {}

  void startElement(const char* name, const char** attributes) override {
    if (nameIs(name, "SubstLookupRecord") || nameIs(name, "PosLookupRecord")) {
      inRecord_ = true;
    } else if (inRecord_ && nameIs(name, "SequenceIndex")) {
      if (const char* v = firstAttribute(attributes, "value")) sequenceIndex_ = parseU16(v);
    } else if (inRecord_ && nameIs(name, "LookupListIndex")) {
      if (const char* v = firstAttribute(attributes, "value")) lookupIndex_ = parseU16(v);
    } else if (format == 3) {
      startFormat3(name, attributes);
    } else if (format == 1 || format == 2) {
      startRuleSets(name, attributes);
    }
  }

  void endElement(const char* name) override {
    if (inRecord_ && (nameIs(name, "SubstLookupRecord") || nameIs(name, "PosLookupRecord"))) {
      inRecord_ = false;
      if (!(format == 2 && lookupIndex_ < 0)) rule_->lookups.push_back(LookupRecord{sequenceIndex_, lookupIndex_});
      return;
    }
    if (format == 3) {
      Sequence* target = nameIs(name, "InputCoverage") || nameIs(name, "Coverage") ? &rule_->input
                         : nameIs(name, "BacktrackCoverage")                       ? &rule_->backtrack
                         : nameIs(name, "LookAheadCoverage")                       ? &rule_->lookahead
                                                                                   : nullptr;
      if (target) {
        target->emplace_back(holder(), scratch_);
        scratch_.clear();
        return;
      }
      if (findXmlLookupKind(name) && !rule_->input.empty()) keepRule();
      // Without an input position the rule matches nothing: nothing is kept, and the
      // shared protocol refuses the subtable.
    } else if (isRuleElement(name)) {
      if (!laterSet_) keepRule();
      rule_ = std::make_unique<Context>(holder());
      return;
    } else if (!coverage_.endElement(name) && classDefOf(name)) {
      keepFirstClassesOf(*classDefOf(name));
      inClassDef_ = nullptr;
    }
    SubtableXMLParser::endElement(name);
  }

  void commit() override {}
  bool isValid() const override { return (format >= 1 && format <= 3) && !kind().rules.empty(); }
  std::string invalidReason() const override {
    return format >= 1 && format <= 3 ? "has no rule with an input position" : formatNotRead();
  }

 private:
  // A rule the model cannot hold as it stands refuses the document.
  void keepRule() {
    if (!kind().chained && !(rule_->backtrack.empty() && rule_->lookahead.empty())) {
      reject("has a backtrack or lookahead, which a plain context has not");
    }
    for (const LookupRecord& record : rule_->lookups) {
      if (record.sequenceIndex >= rule_->input.size()) {
        reject("has SequenceIndex " + vn::formatUnsigned(record.sequenceIndex) + " past its " +
               vn::formatUnsigned(rule_->input.size()) + " input positions");
      }
    }
    kind().rules.push_back(std::move(rule_));
  }

  void startFormat3(const char* name, const char** attributes) {
    if (nameIs(name, "Glyph")) {
      if (const char* v = firstAttribute(attributes, "value")) scratch_.push_back(glyphOf(v));
    }
  }

  static bool isRuleElement(const char* name) {
    for (const char* rule : {"ChainSubRule", "SubRule", "ChainPosRule", "PosRule", "ChainSubClassRule",
                             "SubClassRule", "ChainPosClassRule", "PosClassRule"}) {
      if (nameIs(name, rule)) return true;
    }
    return false;
  }

  ClassDefinitionTable* classDefOf(const char* name) {
    if (nameIs(name, "BacktrackClassDef")) return &backtrackClasses_;
    if (nameIs(name, "InputClassDef")) return &inputClasses_;
    if (nameIs(name, "LookAheadClassDef")) return &lookaheadClasses_;
    return nullptr;
  }

  GlyphClassSlot slotOfClass(const ClassDefinitionTable& classes, int64_t cls) const {
    GlyphList glyphs;
    if (cls >= 1 && cls <= classes.maxClass()) classes.glyphsOfClass(glyphs, static_cast<uint16_t>(cls));
    return GlyphClassSlot(holder(), glyphs);
  }

  void startRuleSets(const char* name, const char** attributes) {
    if (coverage_.startElement(name, attributes)) return;
    if (ClassDefinitionTable* classes = classDefOf(name)) {
      inClassDef_ = classes;
    } else if (nameIs(name, "ClassDef") && format == 2 && !firstAttribute(attributes, "format")) {
      readClassDefRecord(attributes, inClassDef_ ? *inClassDef_ : inputClasses_);
    } else if (isSetElement(name)) {
      setIndex_ = indexAttribute(attributes);
      if (format == 1 && setIndex_ >= static_cast<int64_t>(coverage_.glyphs.size())) setIndex_ = -1;
      // The rule set of a glyph listed before in the Coverage is never reached.
      laterSet_ = format == 1 && setIndex_ >= 0 && !coverage_.firstAt(static_cast<size_t>(setIndex_));
      if (laterSet_) noteCoveredTwice();
    } else if (isRuleElement(name)) {
      rule_ = std::make_unique<Context>(holder());
      if (format == 1) {
        if (setIndex_ < 0) reject("belongs to no rule set within the Coverage");
        rule_->input.emplace_back(holder(), GlyphList{coverage_.glyphs[static_cast<size_t>(setIndex_)]});
      } else {
        rule_->input.push_back(slotOfClass(inputClasses_, setIndex_));
      }
    } else if (nameIs(name, "Input") || nameIs(name, "Backtrack") || nameIs(name, "LookAhead")) {
      Sequence& target = nameIs(name, "Input") ? rule_->input : nameIs(name, "Backtrack") ? rule_->backtrack : rule_->lookahead;
      const ClassDefinitionTable& classes = nameIs(name, "Input")       ? inputClasses_
                                            : nameIs(name, "Backtrack") ? backtrackClasses_
                                                                         : lookaheadClasses_;
      forEachAttribute(attributes, "value", [&](const char* v) {
        if (format == 1) {
          target.emplace_back(holder(), GlyphList{glyphOf(v)});
        } else {
          target.push_back(slotOfClass(classes, parseU16(v)));
        }
      });
    }
  }

  static bool isSetElement(const char* name) {
    for (const char* set : {"ChainSubRuleSet", "SubRuleSet", "ChainPosRuleSet", "PosRuleSet", "ChainSubClassSet",
                            "SubClassSet", "ChainPosClassSet", "PosClassSet"}) {
      if (nameIs(name, set)) return true;
    }
    return false;
  }

  std::unique_ptr<Context> rule_;
  GlyphList scratch_;
  CoverageXMLParser coverage_;
  uint32_t sequenceIndex_ = 0;
  int32_t lookupIndex_ = -1;
  int64_t setIndex_ = -1;
  bool laterSet_ = false;
  bool inRecord_ = false;
  ClassDefinitionTable backtrackClasses_, inputClasses_, lookaheadClasses_;
  ClassDefinitionTable* inClassDef_ = nullptr;
};

}  // namespace

std::unique_ptr<SubtableXMLParser> singleSubstParser(std::unique_ptr<LookupSubtable>& subtable, int32_t format) {
  return std::make_unique<LsSingleXMLParser>(format, std::move(subtable));
}

std::unique_ptr<SubtableXMLParser> multipleSubstParser(std::unique_ptr<LookupSubtable>& subtable, int32_t format) {
  return std::make_unique<LsMultipleXMLParser>(format, std::move(subtable));
}

std::unique_ptr<SubtableXMLParser> alternateSubstParser(std::unique_ptr<LookupSubtable>& subtable, int32_t format) {
  return std::make_unique<LsAlternateXMLParser>(format, std::move(subtable));
}

std::unique_ptr<SubtableXMLParser> ligatureSubstParser(std::unique_ptr<LookupSubtable>& subtable, int32_t format) {
  return std::make_unique<LsLigatureXMLParser>(format, std::move(subtable));
}

std::unique_ptr<SubtableXMLParser> reverseChainSubstParser(std::unique_ptr<LookupSubtable>& subtable,
                                                           int32_t format) {
  return std::make_unique<LsReverseChainedContextXMLParser>(format, std::move(subtable));
}

// The contextual kinds of both tables share one reader.
std::unique_ptr<SubtableXMLParser> contextParser(std::unique_ptr<LookupSubtable>& subtable, int32_t format) {
  return std::make_unique<ContextXMLParser>(format, std::move(subtable));
}

}  // namespace otl::xml

// Subtable handlers of the layout XML reader for single, pair and cursive positioning.

#include "layout/cursive_pos.h"
#include "layout/lookup_kind_table.h"
#include "layout/pair_pos.h"
#include "layout/single_pos.h"
#include "layout/text/layout_xml_handlers.h"
#include "layout/text/layout_xml_values.h"
#include "text/xml_text.h"

namespace otl::xml {

namespace {

class LpSingleXMLParser : public KindParser<LpSingle> {
 public:
  using KindParser::KindParser;
  void startElement(const char* name, const char** attributes) override {
    if (coverage_.startElement(name, attributes)) return;
    if (nameIs(name, "Value")) {
      values_.emplace_back();
      reader_.readValue(&values_.back(), attributes);
    } else if (!nameIs(name, "ValueFormat")) {
      reader_.startDevice(name, attributes);
    }
  }
  void endElement(const char* name) override {
    if (coverage_.endElement(name)) {
      state->keepRecords(coverage_.glyphs.size());
      return;
    }
    if (nameIs(name, "Value")) {
      reader_.reset();
    } else {
      const LookupKindRow* kind = findXmlLookupKind(name);
      if (kind && kind->kind == kGposSingle && format == 1 && values_.size() <= 1) {
        // One value for every covered glyph.
        values_.resize(coverage_.glyphs.size(), values_.empty() ? GPosValue() : values_.front());
      }
      SubtableXMLParser::endElement(name);
    }
  }
  void commit() override {
    keepFirstOfEach(coverage_.glyphs, values_);
    kind().coverage.assign(coverage_.glyphs);
    kind().values = values_;
  }
  bool isValid() const override { return coverage_.glyphs.size() == values_.size() && kind().coverage.glyphCount() == values_.size(); }

 private:
  CoverageXMLParser coverage_;
  std::vector<GPosValue> values_;
  PosValueParser reader_;
};

class LpPairXMLParser : public KindParser<LpPair> {
 public:
  LpPairXMLParser(int32_t format, std::unique_ptr<LookupSubtable> subtable) : KindParser(format, std::move(subtable)) {
    kind().format1.reset();
    kind().format2.reset();
    if (format == 1) kind().format1 = std::make_unique<LpPairFormat1Impl>();
    if (format == 2) kind().format2 = std::make_unique<LpPairFormat2Impl>();
    if (format == 1 || format == 2) kind().format = static_cast<uint16_t>(format);
  }
  void startElement(const char* name, const char** attributes) override {
    if (format != 1 && format != 2) return;
    if (coverage_.startElement(name, attributes)) return;
    if (nameIs(name, "PairSet")) {
      pairSet_ = indexAttribute(attributes);
      seconds_.clear();
    } else if (nameIs(name, "PairValueRecord")) {
      second_ = 0;
      reader_.reset();
      pair_ = GPosPair();
    } else if (nameIs(name, "SecondGlyph")) {
      if (const char* v = firstAttribute(attributes, "value")) second_ = glyphOf(v);
    } else if (nameIs(name, "ClassDef1") || nameIs(name, "ClassDef2")) {
      classDef_ = nameIs(name, "ClassDef1") ? 1 : 2;
    } else if (nameIs(name, "ClassDef") && format == 2) {
      state->keepRecords(1);
      readClassDefRecord(attributes, classDef_ == 2 ? kind().format2->classDef2 : kind().format2->classDef1);
    } else if (nameIs(name, "Class1Record")) {
      class1_ = indexAttribute(attributes);
    } else if (nameIs(name, "Class2Record")) {
      class2_ = indexAttribute(attributes);
    } else if (nameIs(name, "Value1") || nameIs(name, "Value2")) {
      reader_.readValue(nameIs(name, "Value1") ? &pair_.value1 : &pair_.value2, attributes);
    } else {
      reader_.startDevice(name, attributes);
    }
  }
  void endElement(const char* name) override {
    if (coverage_.endElement(name)) {
      state->keepRecords(coverage_.glyphs.size());
      return;
    }
    if (nameIs(name, "ClassDef1") || nameIs(name, "ClassDef2")) {
      if (format == 2) keepFirstClassesOf(classDef_ == 2 ? kind().format2->classDef2 : kind().format2->classDef1);
      classDef_ = 0;
    } else if (nameIs(name, "Value1") || nameIs(name, "Value2")) {
      reader_.reset();
    } else if (nameIs(name, "PairValueRecord") && format == 1) {
      // A pair without adjustment is kept: it stops later subtables for that pair. The
      // pair set of a first glyph listed before in the Coverage is never reached.
      const bool covered = pairSet_ >= 0 && pairSet_ < static_cast<int64_t>(coverage_.glyphs.size());
      const bool reached = covered && coverage_.firstAt(static_cast<size_t>(pairSet_));
      if (covered && !reached) noteCoveredTwice();
      if (reached && second_ != 0 && !secondTwice()) {
        state->keepPairs(1);
        kind().format1->pairs.emplace_back(coverage_.glyphs[static_cast<size_t>(pairSet_)], second_, pair_.value1,
                                           pair_.value2);
      }
      reader_.reset();
      pair_ = GPosPair();
    } else if (nameIs(name, "Class2Record") && format == 2) {
      const auto& impl = *kind().format2;
      if (class1_ >= 0 && class2_ >= 0 && class1_ <= impl.classDef1.maxClass() &&
          class2_ <= impl.classDef2.maxClass() && !pair_.bothEmpty()) {
        state->keepPairs(1);
        kind().format2->pairs.emplace_back(static_cast<uint16_t>(class1_), static_cast<uint16_t>(class2_),
                                           pair_.value1, pair_.value2);
      }
      reader_.reset();
      pair_ = GPosPair();
    } else {
      SubtableXMLParser::endElement(name);
    }
  }
  void commit() override {
    if (format != 2) return;
    // ClassDef records outside ClassDef1 and ClassDef2 are read into the first.
    keepFirstClassesOf(kind().format2->classDef1);
    // Covered glyphs that ClassDef1 does not list are its class 0.
    ClassDefinitionTable& first = kind().format2->classDef1;
    GlyphSet classed(first.glyphs.begin(), first.glyphs.end());
    for (uint32_t glyph : coverage_.glyphs) {
      if (classed.insert(glyph).second) first.class0.push_back(glyph);
    }
  }
  bool isValid() const override {
    const LpPair& s = kind();
    // An empty subtable is kept as the binary reader keeps it.
    if (s.format == 1) return s.format1 && !s.format2;
    if (s.format == 2) return s.format2 && !s.format1;
    return false;
  }
  std::string invalidReason() const override { return formatNotRead(); }

 private:
  // A second glyph given twice in one pair set keeps its first record, as the table reader
  // keeps it, with its line.
  bool secondTwice() {
    if (seconds_.insert(second_).second) return false;
    if (!notedSecondTwice_) state->warn(place, kSecondGlyphTwice);
    notedSecondTwice_ = true;
    return true;
  }

  int classDef_ = 0;
  GlyphSet seconds_;  // of the pair set being read
  bool notedSecondTwice_ = false;
  CoverageXMLParser coverage_;
  int64_t pairSet_ = -1, class1_ = -1, class2_ = -1;
  uint32_t second_ = 0;
  GPosPair pair_;
  PosValueParser reader_;
};

class LpCursiveXMLParser : public KindParser<LpCursive> {
 public:
  using KindParser::KindParser;
  void startElement(const char* name, const char** attributes) override {
    if (coverage_.startElement(name, attributes)) return;
    if (nameIs(name, "EntryAnchor") || nameIs(name, "ExitAnchor")) {
      AnchorPtr& anchor = nameIs(name, "EntryAnchor") ? record_.entry : record_.exit;
      if (!anchor) anchor = std::make_unique<AnchorTable>();
      anchors_.reset();
      anchors_.target = anchor.get();
    } else {
      anchors_.startElement(name, attributes);
    }
  }
  void endElement(const char* name) override {
    if (coverage_.endElement(name)) {
      state->keepRecords(coverage_.glyphs.size());
      return;
    }
    if (nameIs(name, "EntryExitRecord")) {
      anchors_.reset();
      kind().records.push_back(std::move(record_));
      record_ = EntryExitRecord();
    } else if (nameIs(name, "EntryAnchor") || nameIs(name, "ExitAnchor")) {
      anchors_.reset();
    } else {
      SubtableXMLParser::endElement(name);
    }
  }
  void commit() override {
    keepFirstOfEach(coverage_.glyphs, kind().records);
    kind().coverage.assign(coverage_.glyphs);
  }
  bool isValid() const override {
    return coverage_.glyphs.size() == kind().records.size() && kind().coverage.glyphCount() == coverage_.glyphs.size();
  }

 private:
  CoverageXMLParser coverage_;
  EntryExitRecord record_;
  AnchorTableParser anchors_;
};

}  // namespace

std::unique_ptr<SubtableXMLParser> singlePosParser(std::unique_ptr<LookupSubtable>& subtable, int32_t format) {
  return std::make_unique<LpSingleXMLParser>(format, std::move(subtable));
}

std::unique_ptr<SubtableXMLParser> pairPosParser(std::unique_ptr<LookupSubtable>& subtable, int32_t format) {
  return std::make_unique<LpPairXMLParser>(format, std::move(subtable));
}

std::unique_ptr<SubtableXMLParser> cursivePosParser(std::unique_ptr<LookupSubtable>& subtable, int32_t format) {
  return std::make_unique<LpCursiveXMLParser>(format, std::move(subtable));
}

}  // namespace otl::xml

// Subtable handlers of the layout XML reader for the positioning kinds that are not
// contextual, with the readers of value records, anchors and device tables.
#include <algorithm>
#include <map>
#include <set>

#include "layout/cursive_pos.h"
#include "layout/lookup_kind_table.h"
#include "layout/mark_pos.h"
#include "layout/ot/limits.h"
#include "layout/pair_pos.h"
#include "layout/single_pos.h"
#include "layout/text/layout_xml_handlers.h"
#include "text/xml_text.h"

namespace otl::xml {

namespace {

class DeviceTableParser {
 public:
  void reset() {
    target = nullptr;
    start_ = end_ = 0;
  }
  bool startElement(const char* name, const char** attributes) {
    if (!target) return false;
    const char* value = firstAttribute(attributes, "value");
    if (nameIs(name, "StartSize")) {
      if (value) start_ = parseU16(value);
    } else if (nameIs(name, "EndSize")) {
      if (value) end_ = parseU16(value);
    } else if (nameIs(name, "DeltaFormat")) {
      if (value) parseU16(value);
    } else if (nameIs(name, "DeltaValue")) {
      if (value) readDeltas(value);
    } else {
      return false;
    }
    return true;
  }
  DeviceTable* target = nullptr;

 private:
  void readDeltas(std::string text) {
    if (const size_t open = text.find('['); open != std::string::npos) text.erase(open, 1);
    if (const size_t close = text.find(']'); close != std::string::npos) text.erase(close, 1);
    ::xml::trimWhitespace(text);
    if (text.empty()) return;
    uint32_t size = start_;
    for (size_t begin = 0; size <= end_;) {
      const size_t comma = text.find(',', begin);
      std::string piece = text.substr(begin, comma == std::string::npos ? std::string::npos : comma - begin);
      ::xml::trimWhitespace(piece);
      const auto delta = static_cast<int8_t>(parseNumber(piece.c_str(), -128, 127));
      // Zero deltas stay: they fix StartSize and EndSize as the binary form does.
      target->entries.push_back({static_cast<uint16_t>(size), delta});
      ++size;
      if (comma == std::string::npos) break;
      begin = comma + 1;
    }
  }
  uint16_t start_ = 0, end_ = 0;
};

void setDevice(DevicePtr& device, DeviceTableParser& reader) {
  if (!device) device = std::make_unique<DeviceTable>();
  reader.target = device.get();
}

class PosValueParser {
 public:
  void readValue(GPosValue* value, const char** attributes) {
    reset();
    target_ = value;
    if (!value) return;
    for (size_t i = 0; attributes && attributes[i]; i += 2) {
      const char* name = attributes[i];
      int16_t* field = nameIs(name, "XPlacement")   ? &value->xPlacement
                       : nameIs(name, "YPlacement") ? &value->yPlacement
                       : nameIs(name, "XAdvance")   ? &value->xAdvance
                       : nameIs(name, "YAdvance")   ? &value->yAdvance
                                                    : nullptr;
      if (field) *field = parseMetric(name, attributes[i + 1]);
    }
  }
  bool startDevice(const char* name, const char** attributes) {
    if (!target_) return false;
    static const char* const kNames[] = {"XPlaDevice", "YPlaDevice", "XAdvDevice", "YAdvDevice"};
    for (size_t i = 0; i < 4; ++i) {
      if (nameIs(name, kNames[i])) {
        setDevice(target_->devices[i], device_);
        return true;
      }
    }
    return device_.startElement(name, attributes);
  }
  void reset() {
    device_.reset();
    target_ = nullptr;
  }

 private:
  GPosValue* target_ = nullptr;
  DeviceTableParser device_;
};

class AnchorTableParser {
 public:
  bool startElement(const char* name, const char** attributes) {
    if (!target) return false;
    const char* value = firstAttribute(attributes, "value");
    if (nameIs(name, "XCoordinate")) {
      if (value) target->x = parseMetric(name, value);
    } else if (nameIs(name, "YCoordinate")) {
      if (value) target->y = parseMetric(name, value);
    } else if (nameIs(name, "AnchorPoint")) {
      if (value) target->contourPoint = static_cast<uint16_t>(parseS16(value));
    } else if (nameIs(name, "XDeviceTable")) {
      setDevice(target->xDevice, device_);
    } else if (nameIs(name, "YDeviceTable")) {
      setDevice(target->yDevice, device_);
    } else {
      return device_.startElement(name, attributes);
    }
    return true;
  }
  void reset() {
    device_.reset();
    target = nullptr;
  }
  AnchorTable* target = nullptr;

 private:
  DeviceTableParser device_;
};

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
    if (coverage_.endElement(name)) return;
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
    } else if (nameIs(name, "PairValueRecord")) {
      second_ = 0;
      reader_.reset();
      pair_ = GPosPair();
    } else if (nameIs(name, "SecondGlyph")) {
      if (const char* v = firstAttribute(attributes, "value")) second_ = glyphOf(v);
    } else if (nameIs(name, "ClassDef1") || nameIs(name, "ClassDef2")) {
      classDef_ = nameIs(name, "ClassDef1") ? 1 : 2;
    } else if (nameIs(name, "ClassDef") && format == 2) {
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
    if (coverage_.endElement(name)) return;
    if (nameIs(name, "ClassDef1") || nameIs(name, "ClassDef2")) {
      classDef_ = 0;
    } else if (nameIs(name, "Value1") || nameIs(name, "Value2")) {
      reader_.reset();
    } else if (nameIs(name, "PairValueRecord") && format == 1) {
      // A pair without adjustment is kept: it stops later subtables for that pair.
      if (pairSet_ >= 0 && pairSet_ < static_cast<int64_t>(coverage_.glyphs.size()) && second_ != 0) {
        kind().format1->pairs.emplace_back(coverage_.glyphs[static_cast<size_t>(pairSet_)], second_, pair_.value1,
                                           pair_.value2);
      }
      reader_.reset();
      pair_ = GPosPair();
    } else if (nameIs(name, "Class2Record") && format == 2) {
      const auto& impl = *kind().format2;
      if (class1_ >= 0 && class2_ >= 0 && class1_ <= impl.classDef1.maxClass() &&
          class2_ <= impl.classDef2.maxClass() && !pair_.bothEmpty()) {
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

 private:
  int classDef_ = 0;
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
    if (coverage_.endElement(name)) return;
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
  void commit() override { kind().coverage.assign(coverage_.glyphs); }
  bool isValid() const override {
    return coverage_.glyphs.size() == kind().records.size() && kind().coverage.glyphCount() == coverage_.glyphs.size();
  }

 private:
  CoverageXMLParser coverage_;
  EntryExitRecord record_;
  AnchorTableParser anchors_;
};

// Mark-to-base, mark-to-mark and mark-to-ligature. A per-class anchor goes to the place
// its "index" names (or the next one); classes without an anchor stay null, and an
// anchor for a class no mark has rejects the subtable.
class LpMarkXMLParser : public SubtableXMLParser {
 public:
  LpMarkXMLParser(int32_t format, std::unique_ptr<LookupSubtable> subtable, bool ligature)
      : SubtableXMLParser(format, std::move(subtable)), ligature_(ligature) {}

  LpMarkTo& marks() const { return static_cast<LpMarkTo&>(*subtable); }

  void startElement(const char* name, const char** attributes) override {
    if (nameIs(name, "MarkCoverage") || nameIs(name, "Mark1Coverage")) {
      if (!(ligature_ && nameIs(name, "Mark1Coverage"))) inCoverage_ = 1;
    } else if (nameIs(name, ligature_ ? "LigatureCoverage" : "BaseCoverage") ||
               (!ligature_ && nameIs(name, "Mark2Coverage"))) {
      inCoverage_ = 2;
    } else if (nameIs(name, "Glyph")) {
      const char* v = firstAttribute(attributes, "value");
      if (v && inCoverage_ == 1) markGlyphs_.push_back(glyphOf(v));
      if (v && inCoverage_ == 2) baseGlyphs_.push_back(glyphOf(v));
    } else if (nameIs(name, "Class")) {
      if (const char* v = firstAttribute(attributes, "value")) mark_.markClass = parseU16(v);
    } else if (nameIs(name, "MarkAnchor")) {
      anchors_.reset();
      anchors_.target = &mark_.anchor;
    } else if (isClassAnchor(name)) {
      const char* index = firstAttribute(attributes, "index");
      const size_t place = index ? parseU16(index) : row_.size();
      anchors_.reset();
      // The mark records come first and give the class count.
      if (place >= markClassCount()) {
        beyondClasses_ = true;
        return;
      }
      if (row_.size() <= place) row_.resize(place + 1);
      row_[place] = std::make_unique<AnchorTable>();
      anchors_.target = row_[place].get();
    } else {
      anchors_.startElement(name, attributes);
    }
  }

  void endElement(const char* name) override {
    if (inCoverage_ && (nameIs(name, "MarkCoverage") || nameIs(name, "Mark1Coverage") || nameIs(name, "BaseCoverage") ||
                        nameIs(name, "Mark2Coverage") || nameIs(name, "LigatureCoverage"))) {
      inCoverage_ = 0;
    } else if (nameIs(name, "MarkRecord")) {
      anchors_.reset();
      marks().markRecords.push_back(mark_);
      mark_ = MarkRecord();
    } else if (!ligature_ && (nameIs(name, "BaseRecord") || nameIs(name, "Mark2Record"))) {
      rows_.push_back(std::move(row_));
      row_.clear();
    } else if (ligature_ && nameIs(name, "ComponentRecord")) {
      components_.push_back(std::move(row_));
      row_.clear();
    } else if (ligature_ && nameIs(name, "LigatureAttach")) {
      // Feature text names a ligature's anchors by component: it needs one at least.
      if (components_.empty()) rejectElement("LigatureAttach", "without a ComponentRecord");
      ligatures_.push_back(std::move(components_));
      components_.clear();
    } else if (nameIs(name, "MarkAnchor") || isClassAnchor(name)) {
      anchors_.reset();
    } else {
      SubtableXMLParser::endElement(name);
    }
  }

  uint32_t markClassCount() const {
    uint32_t classCount = 0;
    for (const auto& record : marks().markRecords) classCount = std::max<uint32_t>(classCount, record.markClass + 1u);
    return classCount;
  }

  void commit() override {
    LpMarkTo& s = marks();
    // A mark whose class has no anchor in any record attaches nowhere, as if it were not
    // covered; feature text cannot say it, so it goes (with its class).
    std::set<uint16_t> anchored;
    auto noteRow = [&](const AnchorRow& row) {
      for (size_t c = 0; c < row.size(); ++c) {
        if (row[c]) anchored.insert(static_cast<uint16_t>(c));
      }
    };
    for (const auto& row : rows_) noteRow(row);
    for (const auto& ligature : ligatures_) {
      for (const auto& component : ligature) noteRow(component);
    }
    if (markGlyphs_.size() == s.markRecords.size()) {
      GlyphList keptGlyphs;
      std::vector<MarkRecord> keptRecords;
      for (size_t k = 0; k < markGlyphs_.size(); ++k) {
        if (!anchored.count(s.markRecords[k].markClass)) continue;
        keptGlyphs.push_back(markGlyphs_[k]);
        keptRecords.push_back(std::move(s.markRecords[k]));
      }
      markGlyphs_ = std::move(keptGlyphs);
      s.markRecords = std::move(keptRecords);
    }
    s.classCount = static_cast<uint16_t>(std::min<uint32_t>(markClassCount(), 65535));
    // Every row gets a 2-byte anchor offset per class: past 16-bit offsets is no table.
    uint64_t rows = rows_.size();
    for (const auto& ligature : ligatures_) rows += ligature.size();
    if (2 * rows * s.classCount > ot::limits::kMaxOffset16) {
      beyondClasses_ = true;
      return;
    }
    s.marks.assign(markGlyphs_);
    s.bases.assign(baseGlyphs_);
    auto fit = [&](AnchorRow& row) {
      if (row.size() > s.classCount) {
        if (std::any_of(row.begin() + s.classCount, row.end(), [](const AnchorPtr& a) { return a != nullptr; })) {
          beyondClasses_ = true;
        }
      }
      row.resize(s.classCount);
    };
    if (ligature_) {
      for (auto& ligature : ligatures_) {
        for (auto& component : ligature) fit(component);
      }
      static_cast<LpMarkToLigature&>(s).ligatureRecords = std::move(ligatures_);
    } else {
      for (auto& row : rows_) fit(row);
      static_cast<LpMarkToBase&>(s).baseRecords = std::move(rows_);
    }
  }

  bool isValid() const override {
    const LpMarkTo& s = marks();
    // Without marks there is no class and nothing to attach: the binary form has no such
    // subtable, so none is kept.
    return !beyondClasses_ && !s.markRecords.empty() && markGlyphs_.size() == s.markRecords.size() &&
           s.marks.glyphCount() == markGlyphs_.size() && s.bases.glyphCount() == baseGlyphs_.size() &&
           baseGlyphs_.size() == s.baseCount();
  }

 private:
  bool isClassAnchor(const char* name) const {
    return ligature_ ? nameIs(name, "LigatureAnchor") : (nameIs(name, "BaseAnchor") || nameIs(name, "Mark2Anchor"));
  }

  bool ligature_;
  int inCoverage_ = 0;
  bool beyondClasses_ = false;
  GlyphList markGlyphs_, baseGlyphs_;
  MarkRecord mark_;
  AnchorRow row_;
  std::vector<AnchorRow> rows_, components_;
  std::vector<std::vector<AnchorRow>> ligatures_;
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

// Mark-to-base and mark-to-mark share a reader.
std::unique_ptr<SubtableXMLParser> markBasePosParser(std::unique_ptr<LookupSubtable>& subtable, int32_t format) {
  return std::make_unique<LpMarkXMLParser>(format, std::move(subtable), false);
}

std::unique_ptr<SubtableXMLParser> markLigPosParser(std::unique_ptr<LookupSubtable>& subtable, int32_t format) {
  return std::make_unique<LpMarkXMLParser>(format, std::move(subtable), true);
}

}  // namespace otl::xml

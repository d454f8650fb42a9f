// Subtable handlers of the layout XML reader for mark-to-base, mark-to-mark and
// mark-to-ligature positioning.
#include <algorithm>
#include <set>
#include <string>

#include "layout/mark_pos.h"
#include "layout/ot/limits.h"
#include "layout/text/layout_xml_handlers.h"
#include "layout/text/layout_xml_values.h"
#include "xml/xml_parser.h"

namespace otl::xml {

namespace {

// Mark-to-base, mark-to-mark and mark-to-ligature. A per-class anchor goes to the place
// its "index" names (or the next one); classes without an anchor stay null, and an
// anchor for a class no mark has refuses the document.
class LpMarkXMLParser : public SubtableXMLParser {
 public:
  LpMarkXMLParser(int32_t format, std::unique_ptr<LookupSubtable> subtable, bool ligature)
      : SubtableXMLParser(format, std::move(subtable)), ligature_(ligature) {}

  LpMarkTo& marks() const { return static_cast<LpMarkTo&>(*subtable); }

  void startElement(const char* name, const char** attributes) override {
    if (nameIs(name, "MarkCoverage") || nameIs(name, "Mark1Coverage")) {
      if (!(ligature_ && nameIs(name, "Mark1Coverage"))) inCoverage_ = 1;
      coverageName_ = name;
    } else if (nameIs(name, ligature_ ? "LigatureCoverage" : "BaseCoverage") ||
               (!ligature_ && nameIs(name, "Mark2Coverage"))) {
      inCoverage_ = 2;
      coverageName_ = name;
    } else if (nameIs(name, "Glyph")) {
      const char* v = firstAttribute(attributes, "value");
      if (v && inCoverage_) {
        // A coverage holds a glyph once: a second record for it would be lost.
        const uint32_t glyph = glyphOf(v);
        if (!(inCoverage_ == 1 ? markSeen_ : baseSeen_).insert(glyph).second) {
          reject(std::string(v) + " is listed twice in " + coverageName_);
        }
        state->keepRecords(1);
        (inCoverage_ == 1 ? markGlyphs_ : baseGlyphs_).push_back(glyph);
      }
    } else if (nameIs(name, "Class")) {
      // Classes count from 0 in a 16-bit ClassCount: 65535 is one past the last.
      if (const char* v = firstAttribute(attributes, "value")) {
        mark_.markClass = static_cast<uint16_t>(parseNumber(v, 0, ot::limits::kMaxCount16 - 1));
      }
    } else if (nameIs(name, "MarkAnchor")) {
      anchors_.reset();
      anchors_.target = &mark_.anchor;
    } else if (isClassAnchor(name)) {
      const char* index = firstAttribute(attributes, "index");
      const size_t place = index ? parseU16(index) : row_.size();
      anchors_.reset();
      // Other tools mark a class without an anchor so.
      if (const char* empty = ::xml::findAttribute(attributes, "empty"); empty && nameIs(empty, "1")) return;
      // The mark records come first and give the class count.
      if (place >= markClassCount()) {
        beyond_ = kNoSuchClass;
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
      if (components_.empty()) reject("has no ComponentRecord");
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
    leaveOutMissingGlyphs();
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
    s.classCount = static_cast<uint16_t>(std::min<uint32_t>(markClassCount(), ot::limits::kMaxCount16));
    // Every row gets a 2-byte anchor offset per class: past 16-bit offsets is no table.
    uint64_t rows = rows_.size();
    for (const auto& ligature : ligatures_) rows += ligature.size();
    if (2 * rows * s.classCount > ot::limits::kMaxOffset16) {
      beyond_ = kPastOffsets;
      return;
    }
    s.marks.assign(markGlyphs_);
    s.bases.assign(baseGlyphs_);
    auto fit = [&](AnchorRow& row) {
      if (row.size() > s.classCount) {
        if (std::any_of(row.begin() + s.classCount, row.end(), [](const AnchorPtr& a) { return a != nullptr; })) {
          beyond_ = kNoSuchClass;
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

  // Every mark went with glyphs the font lacks (or with the bases that anchored its class).
  bool leftOutWhole() const override { return leftOut_ && hadMarks_ && !beyond_ && marks().markRecords.empty(); }

  bool isValid() const override {
    const LpMarkTo& s = marks();
    // Without marks there is no class and nothing to attach: the binary form has no such
    // subtable.
    return !beyond_ && !s.markRecords.empty() && markGlyphs_.size() == s.markRecords.size() &&
           s.marks.glyphCount() == markGlyphs_.size() && s.bases.glyphCount() == baseGlyphs_.size() &&
           baseGlyphs_.size() == s.baseCount();
  }
  std::string invalidReason() const override {
    if (beyond_) return beyond_;
    return marks().markRecords.empty() ? "has no MarkRecord" : SubtableXMLParser::invalidReason();
  }

 private:
  static constexpr const char* kNoSuchClass = "has an anchor for a class that no mark has";
  static constexpr const char* kPastOffsets = "has more class anchors than 16-bit offsets reach";

  // Marks and bases the font lacks go here, with their records, so that the rules below
  // hold for what is kept; the anchors of a class left without marks go with them.
  void leaveOutMissingGlyphs() {
    LpMarkTo& s = marks();
    hadMarks_ = !s.markRecords.empty();
    auto absent = [&](uint32_t glyph) {
      if (state->fontHas(glyph)) return false;
      state->noteLeftOut(glyph, *lookup);
      leftOut_ = true;
      return true;
    };
    std::set<uint16_t> emptied;
    if (markGlyphs_.size() == s.markRecords.size()) {
      keepPaired(markGlyphs_, s.markRecords, absent, [&](const MarkRecord& r) { emptied.insert(r.markClass); });
    }
    for (const MarkRecord& record : s.markRecords) emptied.erase(record.markClass);
    if (ligature_ && baseGlyphs_.size() == ligatures_.size()) {
      keepPaired(baseGlyphs_, ligatures_, absent, [](const auto&) {});
    } else if (!ligature_ && baseGlyphs_.size() == rows_.size()) {
      keepPaired(baseGlyphs_, rows_, absent, [](const auto&) {});
    }
    auto clear = [&](AnchorRow& row) {
      for (uint16_t cls : emptied) {
        if (cls < row.size()) row[cls].reset();
      }
    };
    for (auto& row : rows_) clear(row);
    for (auto& ligature : ligatures_) {
      for (auto& component : ligature) clear(component);
    }
  }

  bool isClassAnchor(const char* name) const {
    return ligature_ ? nameIs(name, "LigatureAnchor") : (nameIs(name, "BaseAnchor") || nameIs(name, "Mark2Anchor"));
  }

  bool ligature_;
  bool leftOut_ = false;  // glyphs the font lacks went
  bool hadMarks_ = false;
  int inCoverage_ = 0;
  std::string coverageName_;
  GlyphSet markSeen_, baseSeen_;
  const char* beyond_ = nullptr;  // why the class anchors do not fit
  GlyphList markGlyphs_, baseGlyphs_;
  MarkRecord mark_;
  AnchorRow row_;
  std::vector<AnchorRow> rows_, components_;
  std::vector<std::vector<AnchorRow>> ligatures_;
  AnchorTableParser anchors_;
};

}  // namespace

// Mark-to-base and mark-to-mark share a reader.
std::unique_ptr<SubtableXMLParser> markBasePosParser(std::unique_ptr<LookupSubtable>& subtable, int32_t format) {
  return std::make_unique<LpMarkXMLParser>(format, std::move(subtable), false);
}

std::unique_ptr<SubtableXMLParser> markLigPosParser(std::unique_ptr<LookupSubtable>& subtable, int32_t format) {
  return std::make_unique<LpMarkXMLParser>(format, std::move(subtable), true);
}

}  // namespace otl::xml

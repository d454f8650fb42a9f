// The handler stack of the layout XML reader: exactly one element handler is current;
// a handler hands control to a child when the child's element begins and takes it back
// at the child's end tag.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "layout/diagnostics.h"
#include "layout/glyph_id_map.h"
#include "layout/glyph_slot.h"
#include "layout/lookup.h"
#include "layout/lookup_kind_table.h"
#include "layout/ot/model_budget.h"
#include "layout/records.h"

namespace otl {
class LayoutFea;
}

namespace otl::xml {

struct ReaderState;

class LayoutObjectParser {
 public:
  virtual ~LayoutObjectParser() = default;
  virtual void startElement(const char* /*name*/, const char** /*attributes*/) {}
  virtual void endElement(const char* /*name*/) {}

  // Makes the child current with this handler as its parent.
  void pushHandler(LayoutObjectParser& child);
  // Gives control back to the parent.
  void popHandler();

  LayoutObjectParser* parent = nullptr;
  ReaderState* state = nullptr;
};

struct ReaderState {
  LayoutObjectParser* current = nullptr;
  // The layout goes on as feature text (the converter's native file): what the binary
  // tables hold but feature text cannot say is refused rather than lost.
  bool forFeatureText = false;
  // The font's glyphs. Rules naming others go after reading; a handler whose records must
  // stay in step (a mark class needs an anchor) takes them out itself and notes them here.
  const GlyphIdMap* glyphs = nullptr;
  GlyphSet leftOutGlyphs;
  std::map<uint32_t, LookupSet> leftOutLookups;  // by table id

  // The line of the tag being read.
  uint64_t line = 0;
  // What the model of the document's tables may still hold, and the lookup being read: a
  // record past the budget refuses the document, naming that lookup.
  ot::ModelBudget records;
  std::string lookupPlace;
  void keepRecords(uint64_t count);
  void keepPairs(uint64_t count) { keepRecords(ot::limits::pairRecords(count)); }
  // What was read past with a choice made; filed with the layout's reports once the
  // document is read, a bounded number of them.
  Diagnostics warnings;

  bool fontHas(uint32_t glyph) const { return glyphs && glyph != 0 && glyphs->contains(glyph); }
  // "<element> on line <n> of the layout XML document", where a warning names its place.
  static std::string placeOf(const char* element, uint64_t line);
  void warn(const std::string& place, const std::string& message);
  void noteLeftOut(uint32_t glyph, const Lookup& lookup) {
    leftOutGlyphs.insert(glyph);
    leftOutLookups[lookup.tableId].insert(lookup.index);
  }
};

// After a document is read: every rule naming a glyph the font lacks goes, with one warning
// naming the glyphs and the lookups they went from.
void leaveOutMissingGlyphs(LayoutFea& layout, const ReaderState& state);

// Reads nothing until its own element ends: the content of a skipped element.
class SkipParser : public LayoutObjectParser {
 public:
  void startElement(const char*, const char**) override { ++depth_; }
  void endElement(const char*) override {
    if (depth_-- == 0) popHandler();
  }

 private:
  uint64_t depth_ = 0;
};

// Refuses the document (ot::Exception 2). The reader puts the element being read and its
// line in front of `why`.
[[noreturn]] void reject(const std::string& why);
// The same about one part of the element: "<subject> <why>".
[[noreturn]] void rejectElement(const char* subject, const std::string& why);
// Why a subtable element in a lookup of another kind is refused.
inline constexpr const char* kNotOfItsLookupType = "is not of its lookup's LookupType";
// The value of the first attribute when it has that name; null otherwise.
const char* firstAttribute(const char** attributes, const char* name);
// The format of a subtable element: its Format attribute (null when absent). Every format
// from 1 is read, the same way, except by pair positioning (1 and 2) and the contexts (1
// to 3). The four substitutions whose content decides the format may leave it out, as
// other tools write them; any other missing format, a format 0 and a format past those
// of a pair or context refuse the document.
int32_t subtableFormat(const LookupKindRow& kind, const char* formatText);
// Why a subtable element's format is refused.
std::string formatNotRead(int64_t format);
// The glyphs of a comma-separated list of names (a ligature's components, a sequence),
// blanks trimmed; an empty piece refuses the document, naming the attribute and `what`
// it leaves out. An empty text is no glyph.
GlyphList glyphNameList(const char* attribute, const std::string& text, const char* what);
// Decimal integer in [low, high]; anything else rejects the document (ot::Exception 2).
int64_t parseNumber(const char* text, int64_t low, int64_t high);
int16_t parseS16(const char* text);
// A coordinate or value record field: -32768 is refused, as feature text cannot say it.
int16_t parseMetric(const char* element, const char* text);
uint16_t parseU16(const char* text);
// The registry id of a glyph name; 0 for the empty name.
uint32_t glyphOf(const char* name);
bool nameIs(const char* name, const char* wanted);
// Calls `use` with the value of every attribute of that name, in document order.
void forEachAttribute(const char** attributes, const char* name, auto&& use) {
  for (size_t i = 0; attributes && attributes[i]; i += 2) {
    if (nameIs(attributes[i], name)) use(attributes[i + 1]);
  }
}
// The number of a leading "index" attribute; -1 without one.
int64_t indexAttribute(const char** attributes);
// Appends the glyph and class of a "ClassDef" record (0 for a missing one).
void readClassDefRecord(const char** attributes, ClassDefinitionTable& table);

// Keeps the glyphs that `drop` does not take, each with its record (glyphs and records pair
// by position, as many of each); `dropped` sees every record that goes.
template <class Records, class Drop, class Dropped>
void keepPaired(GlyphList& glyphs, Records& records, Drop&& drop, Dropped&& dropped) {
  GlyphList keptGlyphs;
  Records keptRecords;
  for (size_t k = 0; k < glyphs.size(); ++k) {
    if (drop(glyphs[k])) {
      dropped(records[k]);
      continue;
    }
    keptGlyphs.push_back(glyphs[k]);
    keptRecords.push_back(std::move(records[k]));
  }
  glyphs = std::move(keptGlyphs);
  records = std::move(keptRecords);
}

// Gives each glyph of the definition its first class, as a table's reader takes it. True
// when a glyph was given two different classes.
bool keepFirstClasses(ClassDefinitionTable& table);

// The glyphs of a "Coverage" element: the "Glyph" records between its tags.
class CoverageXMLParser {
 public:
  // True when the element is the Coverage or a Glyph inside it.
  bool startElement(const char* name, const char** attributes);
  // True at a Coverage end tag.
  bool endElement(const char* name);
  void clear();
  // True when glyph k is listed at k first: the coverage index that selects its record.
  bool firstAt(size_t k) const;

  GlyphList glyphs;

 private:
  bool inside_ = false;
  std::map<uint32_t, size_t> first_;
};

class SubtableXMLParser : public LayoutObjectParser {
 public:
  SubtableXMLParser(int32_t format, std::unique_ptr<LookupSubtable> subtable)
      : format(format), subtable(std::move(subtable)) {}
  // The shared protocol: at the subtable's own end tag, commit, validate and add. A
  // subtable that does not hold together refuses the document: dropping it would lose
  // the lookup's rules without a word.
  void endElement(const char* name) override;
  virtual bool isValid() const = 0;
  // Why isValid() fails, as the refusal says it.
  virtual std::string invalidReason() const { return "has glyphs and records that do not pair up"; }
  virtual void commit() = 0;

  int32_t format;
  std::unique_ptr<LookupSubtable> subtable;
  Lookup* lookup = nullptr;
  // Where a warning names the subtable: its element and the line it starts on.
  std::string place;

 protected:
  // A glyph listed twice where its position selects a record: the first is used, as a
  // table's reader uses it, and one warning line says so.
  void noteCoveredTwice();
  // Keeps the first record of each glyph (paired by position; lists that do not pair up
  // are refused as they stand).
  template <class Records>
  void keepFirstOfEach(GlyphList& glyphs, Records& records) {
    if (glyphs.size() != records.size()) return;
    GlyphSet seen;
    bool twice = false;
    keepPaired(
        glyphs, records,
        [&](uint32_t glyph) {
          if (seen.insert(glyph).second) return false;
          twice = true;
          return true;
        },
        [](const auto&) {});
    if (twice) noteCoveredTwice();
  }
  // A class definition read whole: each glyph keeps its first class, with the table
  // reader's warning line when a later class differed.
  void keepFirstClassesOf(ClassDefinitionTable& table);
  GlyphClassHolder holder() const { return subtable->holder; }
  // "Format <n> is not read".
  std::string formatNotRead() const { return xml::formatNotRead(format); }
  // True when every rule went with glyphs the font lacks: the subtable is left out.
  virtual bool leftOutWhole() const { return false; }

 private:
  bool notedTwice_ = false;
};

// A handler with typed access to its model subtable.
template <class Kind>
class KindParser : public SubtableXMLParser {
 public:
  using SubtableXMLParser::SubtableXMLParser;
  Kind& kind() const { return static_cast<Kind&>(*subtable); }
};

// The handler for the model subtable's kind, or null for a kind without one.
std::unique_ptr<SubtableXMLParser> createSubtableParser(std::unique_ptr<LookupSubtable> subtable, int32_t format);
// Each kind's handler; the lookup kinds table names the one of each kind.
std::unique_ptr<SubtableXMLParser> singleSubstParser(std::unique_ptr<LookupSubtable>& subtable, int32_t format);
std::unique_ptr<SubtableXMLParser> multipleSubstParser(std::unique_ptr<LookupSubtable>& subtable, int32_t format);
std::unique_ptr<SubtableXMLParser> alternateSubstParser(std::unique_ptr<LookupSubtable>& subtable, int32_t format);
std::unique_ptr<SubtableXMLParser> ligatureSubstParser(std::unique_ptr<LookupSubtable>& subtable, int32_t format);
std::unique_ptr<SubtableXMLParser> reverseChainSubstParser(std::unique_ptr<LookupSubtable>& subtable, int32_t format);
std::unique_ptr<SubtableXMLParser> contextParser(std::unique_ptr<LookupSubtable>& subtable, int32_t format);
std::unique_ptr<SubtableXMLParser> singlePosParser(std::unique_ptr<LookupSubtable>& subtable, int32_t format);
std::unique_ptr<SubtableXMLParser> pairPosParser(std::unique_ptr<LookupSubtable>& subtable, int32_t format);
std::unique_ptr<SubtableXMLParser> cursivePosParser(std::unique_ptr<LookupSubtable>& subtable, int32_t format);
std::unique_ptr<SubtableXMLParser> markBasePosParser(std::unique_ptr<LookupSubtable>& subtable, int32_t format);
std::unique_ptr<SubtableXMLParser> markLigPosParser(std::unique_ptr<LookupSubtable>& subtable, int32_t format);

}  // namespace otl::xml

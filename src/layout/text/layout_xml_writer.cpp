// The layout XML document: the frame, then per table its script, feature and lookup
// lists numbered as the binary writer numbers them.
#include <algorithm>
#include <map>
#include <ostream>
#include <tuple>
#include <vector>

#include "layout/glyph_id_map.h"
#include "layout/layout_bin_parser.h"
#include "layout/layout_fea.h"
#include "layout/lookup_kind_table.h"
#include "layout/ot/exception.h"
#include "layout/text/layout_xml.h"
#include "layout/text/layout_xml_out.h"
#include "layout/text/layout_xml_params.h"
#include "layout/text/fea_rule_filter.h"
#include "layout/text/layout_xml_subtables.h"
#include "model/font.h"
#include "model/numbers.h"

namespace otl {

namespace {

using xml_out::LineWriter;
using xml_out::number;
using Triple = std::tuple<uint32_t, uint32_t, uint32_t>;

constexpr uint16_t kNoFeature = 65535;

// The numbering of the binary tables: feature records sorted by feature tag (stable
// over script, language order), lookups by ascending model index.
struct TableIndices {
  struct Record {
    ot::Tag script, language, feature;
    const Feature* data;
  };
  std::vector<Record> records;
  std::map<Triple, uint16_t> featureIndex;
  LookupIndexMap lookupIndex;

  explicit TableIndices(const LayoutTableBlock& block) {
    block.forEachFeature([&](const Script& script, const Language& language, const Feature& feature) {
      records.push_back(Record{script.tag, language.tag, feature.tag, &feature});
    });
    std::stable_sort(records.begin(), records.end(),
                     [](const Record& a, const Record& b) { return a.feature < b.feature; });
    for (size_t i = 0; i < records.size(); ++i) {
      featureIndex[key(records[i].script, records[i].language, records[i].feature)] = static_cast<uint16_t>(i);
    }
    uint32_t next = 0;
    for (const auto& entry : block.lookups.lookups()) lookupIndex[entry.first] = next++;
  }
  static Triple key(ot::Tag s, ot::Tag l, ot::Tag f) { return {s.value(), l.value(), f.value()}; }
};

void writeLangSys(LineWriter& w, const TableIndices& indices, ot::Tag script, const Language& language) {
  uint16_t required = kNoFeature;
  if (language.required.value() != 0) {
    const auto found = indices.featureIndex.find(TableIndices::key(script, language.tag, language.required));
    if (found != indices.featureIndex.end()) required = found->second;
  }
  w.value(12, "ReqFeatureIndex", number(required));
  const std::vector<const Feature*> listed = language.listedFeatures();
  w.comment(12, "FeatureCount", static_cast<uint16_t>(listed.size()));
  int64_t k = 0;
  for (const Feature* feature : listed) {
    const auto found = indices.featureIndex.find(TableIndices::key(script, language.tag, feature->tag));
    if (found != indices.featureIndex.end()) {
      w.empty(12, "FeatureIndex", {{"index", number(k)}, {"value", number(found->second)}});
    }
    ++k;
  }
}

void writeScriptList(LineWriter& w, const TableIndices& indices, const LayoutTableBlock& block) {
  w.start(2, "ScriptList");
  w.comment(4, "ScriptCount", static_cast<uint16_t>(block.scripts.size()));
  int64_t i = 0;
  // std::map over ot::Tag already runs in tag order.
  for (const auto& [scriptTag, script] : block.scripts) {
    w.start(4, "ScriptRecord", {{"index", number(i++)}});
    w.value(6, "ScriptTag", scriptTag.text());
    w.start(6, "Script");
    if (const Language* fallback = findDefaultEntry(script.languages)) {
      w.start(8, "DefaultLangSys");
      writeLangSys(w, indices, scriptTag, *fallback);
      w.end(8, "DefaultLangSys");
    }
    std::vector<const Language*> others;
    for (const auto& [tag, language] : script.languages) {
      if (!isDefaultTag(tag)) others.push_back(&language);
    }
    w.comment(8, "LangSysCount", static_cast<uint16_t>(others.size()));
    int64_t j = 0;
    for (const Language* language : others) {
      w.start(8, "LangSysRecord", {{"index", number(j++)}});
      w.value(10, "LangSysTag", language->tag.text());
      w.start(10, "LangSys");
      writeLangSys(w, indices, scriptTag, *language);
      w.end(10, "LangSys");
      w.end(8, "LangSysRecord");
    }
    w.end(6, "Script");
    w.end(4, "ScriptRecord");
  }
  w.end(2, "ScriptList");
}

void writeFeatureParams(LineWriter& w, const FeatureParams& params) {
  const xml_params::Element* element = xml_params::elementOf(params.kind);
  if (!element) return;
  w.start(8, element->name);
  for (size_t i = 0; i < params.fields.size() && i < element->fields.size(); ++i) {
    if (element->fields[i]) w.value(10, element->fields[i], number(params.fields[i]));
  }
  if (params.kind == FeatureParams::Kind::kCharacterVariant) {
    w.comment(10, xml_params::kCharCount, static_cast<int64_t>(params.characters.size()));
    for (size_t k = 0; k < params.characters.size(); ++k) {
      w.empty(10, xml_params::kCharacter,
              {{"index", number(static_cast<int64_t>(k))}, {"value", number(params.characters[k])}});
    }
  }
  w.end(8, element->name);
}

void writeFeatureList(LineWriter& w, const TableIndices& indices) {
  w.start(2, "FeatureList");
  w.comment(4, "FeatureCount", static_cast<uint16_t>(indices.records.size()));
  for (size_t k = 0; k < indices.records.size(); ++k) {
    const auto& record = indices.records[k];
    w.start(4, "FeatureRecord", {{"index", number(static_cast<int64_t>(k))}});
    w.value(6, "FeatureTag", record.feature.text());
    w.start(6, "Feature");
    writeFeatureParams(w, record.data->params);
    w.comment(8, "LookupCount", static_cast<uint16_t>(record.data->lookups.size()));
    for (size_t j = 0; j < record.data->lookups.size(); ++j) {
      const auto found = indices.lookupIndex.find(record.data->lookups[j]);
      if (found == indices.lookupIndex.end()) continue;
      w.empty(8, "LookupListIndex", {{"index", number(static_cast<int64_t>(j))}, {"value", number(found->second)}});
    }
    w.end(6, "Feature");
    w.end(4, "FeatureRecord");
  }
  w.end(2, "FeatureList");
}

void writeLookupList(LineWriter& w, const TableIndices& indices, const LayoutTableBlock& block,
                     const GlyphIdMap& glyphs) {
  w.start(2, "LookupList");
  w.comment(4, "LookupCount", static_cast<int64_t>(block.lookups.size()));
  int64_t i = 0;
  for (const auto& [index, lookup] : block.lookups.lookups()) {
    w.start(4, "Lookup", {{"index", number(i++)}});
    w.value(6, "LookupType", number(toBinaryLookupType(lookup->typeCode, block.tableId)));
    w.value(6, "LookupFlag", number(lookup->flag));
    if (lookup->flag & kUseMarkFilteringSet) w.value(6, "MarkFilteringSet", number(lookup->markFilteringSet));
    const uint16_t count = static_cast<uint16_t>(lookup->subtables.size());
    w.comment(6, "SubTableCount", count);
    int64_t position = 0;
    for (uint16_t j = 0; j < count; ++j) {
      const LookupSubtable& subtable = *lookup->subtables[j];
      if (ot::writesWithinOffsets([&] { xml_out::writeSubtableXml(w, subtable, position, indices.lookupIndex, glyphs); })) {
        ++position;
        continue;
      }
      // Too big for 16-bit offsets: written as the pieces the binary writer makes.
      SubtableList pieces;
      if (!subtable.splitForOffsets(pieces, indices.lookupIndex, glyphs)) {
        throw ot::Exception(ot::Exception::kWriteFailed, "a subtable does not fit 16-bit offsets");
      }
      for (const auto& piece : pieces) xml_out::writeSubtableXml(w, *piece, position++, indices.lookupIndex, glyphs);
    }
    w.end(4, "Lookup");
  }
  w.end(2, "LookupList");
}

void writeTable(LineWriter& w, const LayoutTableBlock& block, const char* tag, const GlyphIdMap& glyphs) {
  const TableIndices indices(block);
  w.start(0, tag);
  w.value(2, "Version", "1.0");
  writeScriptList(w, indices, block);
  writeFeatureList(w, indices);
  writeLookupList(w, indices, block, glyphs);
  w.end(0, tag);
}

bool tableQualifies(const LayoutTableBlock& block) { return block.hasTableData(); }

// A table without language systems is not written, so no feature uses its lookups and
// they are not in the document: each is named in the reports.
void reportTableLeftOut(const LayoutFea& layout, const LayoutTableBlock& block) {
  if (tableQualifies(block)) return;
  const std::string message = std::string("the layout XML document leaves out ") + ot_fea_layout::kUnusedLookups;
  for (const auto& entry : block.lookups.lookups()) {
    layout.reports.add(Severity::kWarning,
                       (block.tableId == kTableGsub ? "GSUB lookup " : "GPOS lookup ") + vn::formatUnsigned(entry.first),
                       message);
  }
}

}  // namespace

bool writeLayoutXml(const LayoutFea& layout, std::ostream& out, const GlyphIdMap& glyphs, bool frame) {
  if (layout.isEmpty()) {
    reportTableLeftOut(layout, layout.gpos);
    reportTableLeftOut(layout, layout.gsub);
    return true;
  }
  if (!out.good()) return false;
  // A pruned copy: a glyph the font lacks must not come out as the name of glyph 0.
  LayoutFea copy(nullptr, "");
  copy.gsub = layout.gsub;
  copy.gpos = layout.gpos;
  LayoutFea::removeMissingGlyphsFromBlock(copy.gsub, glyphs, false);
  LayoutFea::removeMissingGlyphsFromBlock(copy.gpos, glyphs, false);
  LineWriter w(out);
  try {
    if (frame) {
      w.raw("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
      w.start(0, "OTLayout");
    }
    reportTableLeftOut(layout, copy.gpos);
    reportTableLeftOut(layout, copy.gsub);
    if (tableQualifies(copy.gpos)) writeTable(w, copy.gpos, "GPOS", glyphs);
    if (tableQualifies(copy.gsub)) writeTable(w, copy.gsub, "GSUB", glyphs);
    if (frame) w.end(0, "OTLayout");
  } catch (const ot::Exception& e) {
    e.print();
    layout.reports.add(Severity::kError, kLayoutXmlDocument, e.message());
    return false;
  }
  out.flush();
  return out.good();
}

bool writeLayoutXml(const LayoutFea& layout, std::ostream& out, uint8_t /*unused*/, uint8_t frame) {
  if (!layout.font()) return false;
  GlyphIdMap glyphs;
  glyphs.fillGlyphs(layout.font()->glyphs);
  return writeLayoutXml(layout, out, glyphs, frame != 0);
}

}  // namespace otl

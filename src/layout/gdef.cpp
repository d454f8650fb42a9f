#include "layout/gdef.h"

#include <algorithm>

#include "layout/glyph_id_map.h"
#include "layout/glyph_indices.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/exception.h"
#include "layout/ot/limits.h"

namespace otl {

using ot::writeOffset;

void GDefTableData::assign(const GDefTableData& other) {
  if (this == &other) return;
  version = other.version;
  glyphClasses = other.glyphClasses;
  attachGlyphs = other.attachGlyphs;
  attachPoints = other.attachPoints;
  caretGlyphs = other.caretGlyphs;
  carets = other.carets;
  markAttachClasses = other.markAttachClasses;
  markGlyphSets = other.markGlyphSets;
}

void GDefTableData::clear() {
  glyphClasses = ClassDefinitionTable();
  markAttachClasses = ClassDefinitionTable();
  attachGlyphs.clear();
  attachPoints.clear();
  caretGlyphs.clear();
  carets.clear();
  markGlyphSets.clear();
}

bool GDefTableData::isEmpty() const {
  return glyphClasses.isEmpty() && markAttachClasses.isEmpty() && attachGlyphs.empty() &&
         caretGlyphs.empty() && markGlyphSets.empty();
}

bool GDefTableData::readBinary(ot::BinaryReader& reader, const GlyphIdMap& map) {
  reader.startBudget();
  reader.setContext("GDEF");
  reader.seek(0);
  version = reader.readUInt32();
  const uint16_t classOffset = reader.readUInt16();
  const uint16_t attachOffset = reader.readUInt16();
  const uint16_t caretOffset = reader.readUInt16();
  const uint16_t markClassOffset = reader.readUInt16();
  // 1.2 added the mark glyph sets; later versions keep them and add variation data,
  // which has no place here.
  const uint16_t markSetsOffset = version >= kVersion12 && (version >> 16) == 1 ? reader.readUInt16() : 0;
  if (classOffset) glyphClasses.readBinary(reader, classOffset, map);
  if (attachOffset) readAttachList(reader, attachOffset, map);
  if (caretOffset) readCaretList(reader, caretOffset, map);
  if (markClassOffset) markAttachClasses.readBinary(reader, markClassOffset, map);
  if (markSetsOffset) readMarkGlyphSets(reader, markSetsOffset, map);
  return true;
}

void GDefTableData::readAttachList(ot::BinaryReader& parent, size_t offset, const GlyphIdMap& map) {
  ot::BinaryReader reader = parent.window(offset);
  const uint16_t coverage = reader.readUInt16();
  const uint16_t count = reader.readUInt16();
  attachGlyphs.clear();
  attachPoints.clear();
  if (count == 0) return;
  readCoverageTable(attachGlyphs, reader, coverage, map);
  reader.requireRecords(count, 2);
  for (uint16_t i = 0; i < count; ++i) {
    reader.seek(4 + 2u * i);
    ot::BinaryReader point = reader.window(reader.readUInt16());
    const uint16_t points = point.readUInt16();
    point.requireRecords(points, 2);
    point.charge(points);
    // Glyphs may share one AttachPoint table: each keeps its own list, which the feature
    // text spells out number by number.
    point.keep(ot::limits::heapBytes(ot::limits::kWrittenNumberBytes * uint64_t{points}) +
               sizeof(std::vector<uint16_t>));
    std::vector<uint16_t> list(points);
    for (auto& p : list) p = point.readUInt16();
    attachPoints.push_back(std::move(list));
  }
}

void GDefTableData::readCaretList(ot::BinaryReader& parent, size_t offset, const GlyphIdMap& map) {
  ot::BinaryReader reader = parent.window(offset);
  const uint16_t coverage = reader.readUInt16();
  const uint16_t count = reader.readUInt16();
  caretGlyphs.clear();
  carets.clear();
  readCoverageTable(caretGlyphs, reader, coverage, map);
  reader.requireRecords(count, 2);
  for (uint16_t i = 0; i < count; ++i) {
    reader.seek(4 + 2u * i);
    ot::BinaryReader glyph = reader.window(reader.readUInt16());
    const uint16_t caretCount = glyph.readUInt16();
    glyph.requireRecords(caretCount, 2);
    glyph.keep(ot::limits::heapBytes(sizeof(LigatureCaret) * uint64_t{caretCount}) +
               sizeof(std::vector<LigatureCaret>));
    std::vector<LigatureCaret> list(caretCount);
    for (uint16_t j = 0; j < caretCount; ++j) {
      glyph.seek(2 + 2u * j);
      ot::BinaryReader value = glyph.window(glyph.readUInt16());
      LigatureCaret& caret = list[j];
      switch (value.readUInt16()) {
        case 1: caret.coordinate = value.readInt16(); break;
        case 2: caret.pointIndex = value.readUInt16(); break;
        case 3: {
          caret.coordinate = value.readInt16();
          const uint16_t device = value.readUInt16();
          if (device && !caret.device.readBinary(value, device)) caret.device = DeviceTable();
          break;
        }
        default: break;  // unknown formats keep the default caret
      }
    }
    carets.push_back(std::move(list));
  }
}

void GDefTableData::readMarkGlyphSets(ot::BinaryReader& parent, size_t offset, const GlyphIdMap& map) {
  ot::BinaryReader reader = parent.window(offset);
  if (reader.readUInt16() != 1) return;  // only format 1 exists
  const uint16_t count = reader.readUInt16();
  reader.requireRecords(count, 4);
  markGlyphSets.assign(count, {});
  for (uint16_t i = 0; i < count; ++i) {
    reader.seek(4 + 4u * i);
    const uint32_t coverage = reader.readUInt32();
    readCoverageTable(markGlyphSets[i], reader, coverage, map, CoverageUse::kGlyphSet);
    // Sets may share one Coverage: each keeps its own list.
    reader.keep(ot::limits::heapBytes(sizeof(uint32_t) * markGlyphSets[i].size()));
  }
}

namespace {

// The first min(n, m) entries ordered by glyph index (Coverage order), parallel data with them.
template <class Data>
std::vector<std::pair<uint16_t, const Data*>> sortedEntries(const GlyphList& glyphs, const std::vector<Data>& data,
                                                            const GlyphIdMap& map) {
  const size_t n = std::min(glyphs.size(), data.size());
  std::vector<std::pair<uint16_t, const Data*>> entries;
  for (size_t i = 0; i < n; ++i) entries.emplace_back(map.indexOf(glyphs[i]), &data[i]);
  std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  // A glyph listed twice keeps its first entry: Coverage indices are distinct.
  entries.erase(std::unique(entries.begin(), entries.end(),
                            [](const auto& a, const auto& b) { return a.first == b.first; }),
                entries.end());
  return entries;
}

}  // namespace

bool GDefTableData::writeBinary(ot::BinaryWriter& writer, const GlyphIdMap& map) const {
  // Written whole into its own buffer: a part past 16-bit offsets (shared lists in the
  // input expand when written) leaves nothing behind and gives false.
  ot::BinaryWriter out;
  if (!ot::writesWithinOffsets([&] { writeParts(out, map); })) return false;
  writer.writeBytes(out.buffer());
  return true;
}

void GDefTableData::writeParts(ot::BinaryWriter& writer, const GlyphIdMap& map) const {
  const uint32_t start = writer.position();
  const bool withSets = !markGlyphSets.empty();
  writer.writeUInt32(withSets ? kVersion12 : kVersion10);
  for (int i = 0; i < (withSets ? 5 : 4); ++i) writer.writeUInt16(0);
  if (!glyphClasses.isEmpty()) {
    writeOffset(writer, start, start + 4);
    glyphClasses.writeBinary(writer, map);
  }
  if (!attachGlyphs.empty()) {
    writeOffset(writer, start, start + 6);
    writeAttachList(writer, map);
  }
  if (!caretGlyphs.empty()) {
    writeOffset(writer, start, start + 8);
    writeCaretList(writer, map);
  }
  if (!markAttachClasses.isEmpty()) {
    writeOffset(writer, start, start + 10);
    markAttachClasses.writeBinary(writer, map);
  }
  if (withSets) {
    writeOffset(writer, start, start + 12);
    writeMarkGlyphSets(writer, map);
  }
}

void GDefTableData::writeAttachList(ot::BinaryWriter& writer, const GlyphIdMap& map) const {
  const auto entries = sortedEntries(attachGlyphs, attachPoints, map);
  ot::CoveredOffsetsWriter head(writer, entries.size(), 0);
  for (size_t i = 0; i < entries.size(); ++i) {
    head.startTable(i, entries[i].first);
    writer.writeUInt16(entries[i].second->size());
    for (uint16_t point : *entries[i].second) writer.writeUInt16(point);
  }
  head.finish();
}

void GDefTableData::writeCaretList(ot::BinaryWriter& writer, const GlyphIdMap& map) const {
  const auto entries = sortedEntries(caretGlyphs, carets, map);
  ot::CoveredOffsetsWriter head(writer, entries.size(), 0);
  for (size_t i = 0; i < entries.size(); ++i) {
    head.startTable(i, entries[i].first);
    const uint32_t glyph = writer.position();
    const auto& list = *entries[i].second;
    const auto caretFields = ot::reserveOffsetArray(writer, list.size());
    for (size_t j = 0; j < list.size(); ++j) {
      writeOffset(writer, glyph, caretFields[j]);
      const LigatureCaret& caret = list[j];
      const uint32_t value = writer.position();
      if (caret.pointIndex != LigatureCaret::kNoPoint) {
        writer.writeUInt16(2);
        writer.writeUInt16(caret.pointIndex);
      } else if (caret.device.entries.empty()) {
        writer.writeUInt16(1);
        writer.writeInt16(caret.coordinate);
      } else {
        writer.writeUInt16(3);
        writer.writeInt16(caret.coordinate);
        writer.writeUInt16(0);
        writeOffset(writer, value, value + 4);
        caret.device.pack(writer);
      }
    }
  }
  head.finish();
}

void GDefTableData::writeMarkGlyphSets(ot::BinaryWriter& writer, const GlyphIdMap& map) const {
  const uint32_t start = writer.position();
  writer.writeUInt16(1);
  writer.writeUInt16(markGlyphSets.size());
  for (size_t i = 0; i < markGlyphSets.size(); ++i) writer.writeUInt32(0u);
  for (size_t i = 0; i < markGlyphSets.size(); ++i) {
    const uint32_t slot = static_cast<uint32_t>(start + 4 + 4 * i);
    const uint32_t here = writer.position();
    writer.seek(slot);
    writer.writeUInt32(here - start);  // 32-bit offsets: no overflow at table sizes
    writer.seek(here);
    writeCoverageTable(writer, sortedIndices(markGlyphSets[i], map));
  }
}

void GDefTableData::collectGlyphs(GlyphSet& out) const {
  glyphClasses.collectGlyphs(out);
  markAttachClasses.collectGlyphs(out);
  out.insert(attachGlyphs.begin(), attachGlyphs.end());
  out.insert(caretGlyphs.begin(), caretGlyphs.end());
  for (const auto& set : markGlyphSets) out.insert(set.begin(), set.end());
}

void GDefTableData::missingGlyphs(GlyphSet& out, const GlyphIdMap& map) const {
  GlyphSet used;
  collectGlyphs(used);
  for (uint32_t id : used) {
    if (!map.contains(id)) out.insert(id);
  }
}

void GDefTableData::removeMissingGlyphs(const GlyphIdMap& map) {
  GlyphSet missing;
  missingGlyphs(missing, map);
  if (missing.empty()) return;
  removeGlyphs(missing);
  applyToGlyphs();
}

void GDefTableData::pruneByGlyphs(const GlyphSet& glyphs) {
  removeGlyphs(glyphs);
  applyToGlyphs();
}

namespace {
template <class Data>
void pruneParallel(GlyphList& glyphs, std::vector<Data>& data, const GlyphSet& remove) {
  const size_t n = std::min(glyphs.size(), data.size());
  GlyphList keptGlyphs;
  std::vector<Data> keptData;
  for (size_t i = 0; i < n; ++i) {
    if (remove.count(glyphs[i])) continue;
    keptGlyphs.push_back(glyphs[i]);
    keptData.push_back(std::move(data[i]));
  }
  glyphs = std::move(keptGlyphs);
  data = std::move(keptData);
}
}  // namespace

void GDefTableData::removeGlyphs(const GlyphSet& glyphs) {
  glyphClasses.pruneByGlyphs(glyphs);
  markAttachClasses.pruneByGlyphs(glyphs);
  pruneParallel(attachGlyphs, attachPoints, glyphs);
  pruneParallel(caretGlyphs, carets, glyphs);
  for (auto& set : markGlyphSets) {
    std::erase_if(set, [&](uint32_t id) { return glyphs.count(id) != 0; });
  }
}

}  // namespace otl

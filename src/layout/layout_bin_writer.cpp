#include "layout/layout_bin_writer.h"

#include <algorithm>
#include <new>

#include "layout/glyph_id_map.h"
#include "layout/layout_bin_parser.h"
#include "layout/lookup_kind_table.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/exception.h"
#include "layout/ot/limits.h"

namespace otl::ot_bin_layout {

namespace {

constexpr uint32_t kTableVersion = 0x00010000;
constexpr uint16_t kNoFeature = 0xFFFF;
constexpr const char* kOffsetOverflow = "offset overflow";
TagTriple tripleOf(const ot::Tag& script, const ot::Tag& language, const ot::Tag& feature) {
  return {script.value(), language.value(), feature.value()};
}

// Runs `write`; a failure it throws becomes an error under `where`, and false.
template <class Write>
bool reportFailures(Diagnostics& diagnostics, const std::string& where, Write&& write) {
  try {
    write();
    return true;
  } catch (const ot::Exception& e) {
    diagnostics.add(Severity::kError, where, e.isOffsetOverflow() ? kOffsetOverflow : e.message());
  }
  return false;
}

}  // namespace

void LayoutBinWriter::buildIndices() {
  records_.clear();
  featureIndex_.clear();
  lookupIndex_.clear();
  if (!block_) return;
  block_->forEachFeature([&](const Script& script, const Language& language, const Feature& feature) {
    records_.push_back(FeatureRecord{script.tag, language.tag, feature.tag, &feature});
  });
  std::stable_sort(records_.begin(), records_.end(),
                   [](const FeatureRecord& a, const FeatureRecord& b) { return a.feature < b.feature; });
  for (size_t i = 0; i < records_.size(); ++i) {
    featureIndex_[tripleOf(records_[i].script, records_[i].language, records_[i].feature)] = static_cast<uint16_t>(i);
  }
  uint32_t next = 0;
  for (const auto& [index, lookup] : block_->lookups.lookups()) lookupIndex_[index] = next++;
}

bool LayoutBinWriter::write(const LayoutTableBlock* block, ot::BinaryWriter& writer, const GlyphIdMap& glyphs) {
  diagnostics_.clear();
  recovered_ = false;
  sharingBlocks_.clear();
  block_ = block;
  glyphs_ = &glyphs;
  if (!block) return false;
  const std::string table = tableName(block->tableId);
  if (glyphs.glyphCount() > ot::limits::kMaxGlyphCount) {
    diagnostics_.add(Severity::kError, table, "more glyphs than 16-bit glyph indices reach; table not written");
    return false;
  }
  // Copies live until the end of the call; the caller's block is never changed.
  auto copyOf = [](const LayoutTableBlock& source, std::unique_ptr<vn::FeaGlyphGroups>& classes) {
    classes = source.lookups.classes() ? std::make_unique<vn::FeaGlyphGroups>(*source.lookups.classes())
                                       : std::make_unique<vn::FeaGlyphGroups>();
    auto copy = std::make_unique<LayoutTableBlock>(source.tableId, classes.get());
    *copy = source;
    return copy;
  };
  std::unique_ptr<vn::FeaGlyphGroups> cleanClasses, repairedClasses;
  std::unique_ptr<LayoutTableBlock> clean, repaired;
  const auto restore = [&] {
    sharingBlocks_.clear();  // they belong to the repaired copy
    block_ = block;
    buildIndices();
  };

  if (needsCleaning(*block)) {
    clean = copyOf(*block, cleanClasses);
    dropUnwritable(*clean, diagnostics_);
    block_ = clean.get();
  }
  buildIndices();
  ot::BinaryWriter out;
  bool written = false;
  if (!ot::writesWithinOffsets([&] { written = writeTable(out); })) {
    repaired = copyOf(*block_, repairedClasses);
    recover(*repaired);
    block_ = repaired.get();
    buildIndices();
    recovered_ = true;
    // A fresh buffer: nothing of the first attempt survives.
    out = ot::BinaryWriter();
    if (!ot::writesWithinOffsets([&] { written = writeTable(out); })) {
      diagnostics_.add(Severity::kError, table, "offsets overflow even after splitting; table not written");
      restore();
      return false;
    }
  }
  if (!written) {
    restore();
    return false;
  }
  writer.writeBytes(out.buffer());
  restore();
  return true;
}

bool LayoutBinWriter::writeTable(ot::BinaryWriter& out) {
  out.writeUInt32(kTableVersion);
  out.writeUInt16(10);
  out.writeUInt16(0);
  out.writeUInt16(0);
  if (!writeScriptList(out)) return false;
  writeOffset(out, 0, 6);
  if (!writeFeatureList(out)) return false;
  writeOffset(out, 0, 8);
  try {
    writeLookupList(out);
  } catch (const std::bad_alloc&) {
    diagnostics_.add(Severity::kError, tableName(block_->tableId), "out of memory writing the LookupList");
    return false;
  }
  return true;
}

bool LayoutBinWriter::writeScriptList(ot::BinaryWriter& out) {
  const std::string where = std::string(tableName(block_->tableId)) + " ScriptList";
  return reportFailures(diagnostics_, where, [&] {
    const uint32_t start = out.position();
    out.writeUInt16(block_->scripts.size());
    for (const auto& [tag, script] : block_->scripts) {
      tag.write(out);
      out.writeUInt16(0);
    }
    uint32_t i = 0;
    for (const auto& [tag, script] : block_->scripts) {
      writeOffset(out, start, start + 2 + 6 * i + 4);
      writeScript(out, script);
      ++i;
    }
  });
}

void LayoutBinWriter::writeScript(ot::BinaryWriter& out, const Script& script) {
  const uint32_t start = out.position();
  const Language* defaultLanguage = findDefaultEntry(script.languages);
  std::vector<std::pair<ot::Tag, const Language*>> others;
  for (const auto& [tag, language] : script.languages) {
    if (!isDefaultTag(tag)) others.emplace_back(tag, &language);
  }
  out.writeUInt16(defaultLanguage ? 4 + 6 * others.size() : 0);
  out.writeUInt16(others.size());
  for (const auto& [tag, language] : others) {
    tag.write(out);
    out.writeUInt16(0);
  }
  if (defaultLanguage) writeLangSys(out, script, defaultLanguage->tag, *defaultLanguage);
  for (size_t i = 0; i < others.size(); ++i) {
    writeOffset(out, start, static_cast<uint32_t>(start + 4 + 6 * i + 4));
    writeLangSys(out, script, others[i].first, *others[i].second);
  }
}

void LayoutBinWriter::writeLangSys(ot::BinaryWriter& out, const Script& script, const ot::Tag& languageTag,
                                   const Language& language) {
  out.writeUInt16(0);  // LookupOrder
  uint16_t required = kNoFeature;
  if (language.required.value() != 0) {
    const auto found = featureIndex_.find(tripleOf(script.tag, languageTag, language.required));
    if (found != featureIndex_.end()) required = found->second;
  }
  out.writeUInt16(required);
  const std::vector<const Feature*> listed = language.listedFeatures();
  out.writeUInt16(listed.size());
  for (const Feature* feature : listed) {
    const auto found = featureIndex_.find(tripleOf(script.tag, languageTag, feature->tag));
    if (found == featureIndex_.end()) {
      throw ot::Exception(ot::Exception::kUnresolved, "feature " + feature->tag.text() + " has no FeatureList entry");
    }
    out.writeUInt16(found->second);
  }
}

bool LayoutBinWriter::writeFeatureList(ot::BinaryWriter& out) {
  const std::string where = std::string(tableName(block_->tableId)) + " FeatureList";
  return reportFailures(diagnostics_, where, [&] {
    const uint32_t start = out.position();
    out.writeUInt16(records_.size());
    for (const auto& record : records_) {
      record.feature.write(out);
      out.writeUInt16(0);
    }
    for (size_t i = 0; i < records_.size(); ++i) {
      writeOffset(out, start, static_cast<uint32_t>(start + 2 + 6 * i + 4));
      const Feature& feature = *records_[i].data;
      const auto& lookups = feature.lookups;
      // The parameters follow the lookup indices, so their offset is known now.
      const uint64_t paramsOffset = feature.params.empty() ? 0 : 4 + 2 * uint64_t{lookups.size()};
      if (paramsOffset > ot::limits::kMaxOffset16) {
        throw ot::Exception(ot::Exception::kWriteFailed,
                            "feature " + records_[i].feature.text() + " has too many lookups for its parameters");
      }
      out.writeUInt16(paramsOffset);
      out.writeUInt16(lookups.size());
      for (uint32_t index : lookups) {
        const auto found = lookupIndex_.find(index);
        if (found == lookupIndex_.end()) {
          throw ot::Exception(ot::Exception::kUnresolved,
                              "feature " + records_[i].feature.text() + " names missing lookup " + std::to_string(index));
        }
        out.writeUInt16(found->second);
      }
      feature.params.writeBinary(out);
    }
  });
}

}  // namespace otl::ot_bin_layout

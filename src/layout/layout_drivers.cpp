// The road of a font's layout between feature text, the model and binary tables: compile
// the text, parse the compiler's tables back, store freshly written tables with the font,
// and write feature text (the kept blocks verbatim, or generated from the model).
#include <iostream>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <string_view>

#include "feacompiler/fea_compiler.h"
#include "layout/compile_report.h"
#include "layout/glyph_id_map.h"
#include "layout/layout_bin_parser.h"
#include "layout/layout_bin_writer.h"
#include "layout/layout_fea.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/text/fea_blocks.h"
#include "layout/text/fea_text_blocks.h"
#include "layout/text/fea_writer.h"
#include "model/font.h"
#include "model/glyph.h"

namespace otl {

namespace {

constexpr uint32_t kTableIds[] = {1, 2, 3};
constexpr const char* kTableNotStored = "table cannot be written; the font keeps no such table";

const char* storedTableName(uint32_t tableId) { return ot_bin_layout::tableName(tableId); }

void fillError(FeaCompileError* error, const FeaCompileResult& result) {
  if (error) ot_fea_layout::compileErrorText(*error, result);
}

// A failure whose place is not known.
FeaCompileResult failureWithoutPlace(int32_t kind, std::string message) {
  FeaCompileResult result;
  result.kind = kind;
  result.message = std::move(message);
  return result;
}

// A failed compile as the error record has it, with the place the compiler gave.
FeaCompileResult compileFailure(const fea::FeaCompilerException& failure) {
  FeaCompileResult result = failureWithoutPlace(failure.code, failure.message);
  const fea::FeaErrorPlace& place = failure.place;
  result.line = place.line;
  result.blockLine = place.blockLine;
  if (!place.file.empty()) {
    result.scope = FeaErrorScope::kIncludedFile;
    result.details = place.file;
  } else if (!place.featureBlock.empty() || !place.lookupBlock.empty()) {
    result.scope = place.featureBlock.empty() ? FeaErrorScope::kLookupBlock : FeaErrorScope::kFeatureBlock;
    result.details = place.featureBlock.empty() ? place.lookupBlock : place.featureBlock;
  } else if (place.line >= 0) {
    result.scope = FeaErrorScope::kTopLevel;
  }
  return result;
}

// Of the glyphs used, those whose names feature text cannot spell.
GlyphSet unspellableGlyphs(const GlyphSet& used) {
  GlyphSet glyphs;
  for (uint32_t id : used) {
    if (!ot_fea_layout::isFeaTextGlyphName(glyphNameById(id))) glyphs.insert(id);
  }
  return glyphs;
}

// Glyphs of the block's lookups that the map lacks.
GlyphSet missingGlyphs(const LayoutTableBlock& block, const GlyphIdMap& map) {
  GlyphSet glyphs;
  block.lookups.collectMissingGlyphs(glyphs, map);
  return glyphs;
}

}  // namespace

bool LayoutFea::loadFeatureText(std::istream& in) {
  if (!textBlocks) textBlocks = std::make_unique<FeatureTextBlocks>();
  textBlocks->clear();
  in.clear();
  in.seekg(0);
  ot_fea_layout::splitFeatureText(in, *textBlocks);
  return true;
}

bool LayoutFea::importFeatureFile(std::istream& in, const std::string& fontName, bool allowMissingGlyphs,
                                  FeaCompileError* error) {
  const bool compiled = compileFeatures(in, fontName, allowMissingGlyphs, error);
  loadFeatureText(in);
  return compiled;
}

bool LayoutFea::compileFeatures(std::istream& in, const std::string& fontName, bool allowMissingGlyphs,
                                FeaCompileError* error) {
  if (error) *error = FeaCompileError{};
  if (!owner_) return false;
  std::vector<vn::Glyph*> glyphs;
  glyphs.reserve(owner_->glyphs.size());
  for (vn::Glyph* glyph : owner_->glyphs) {
    if (glyph) glyphs.push_back(glyph);
  }
  GlyphIdMap fontMap;
  fontMap.fillGlyphs(glyphs);
  GlyphIdMap parseMap = fontMap;

  fea::FeaCompiler compiler(fontName);
  std::vector<fea::IncludeFolder> folders;
  for (const vn::IncludeFolder& folder : includeFolders)
    folders.push_back({folder.path, folder.shownAs, folder.confined});
  compiler.setIncludeFolders(std::move(folders));
  try {
    compiler.compile(0, &glyphs, &in);
  } catch (const fea::FeaCompilerException& failure) {
    includedFiles_ = compiler.includedFiles();
    fillError(error, compileFailure(failure));
    return false;
  } catch (const std::exception&) {
    return false;
  }
  maxContext = compiler.maxContext();
  if (const std::string aalt = aaltWarning(compiler.aaltOutcome()); !aalt.empty()) {
    reports.add(Severity::kWarning, {}, aalt);
  }

  const std::list<std::string>& missing = compiler.missingGlyphs();
  if (!missing.empty()) {
    if (!allowMissingGlyphs) {
      std::string names;
      for (const std::string& name : missing) names += (names.empty() ? "" : ", ") + name;
      fillError(error, failureWithoutPlace(2, names));
      return false;
    }
    // The compiler numbered them after the font's glyphs; their rules go after parsing.
    std::vector<uint32_t> indices;
    for (size_t i = 0; i < missing.size(); ++i) indices.push_back(static_cast<uint32_t>(glyphs.size() + i));
    glyphNameRegistry().reserveIds(parseMap, indices);
  }

  includedFiles_ = compiler.includedFiles();
  try {
    for (uint32_t tableId : kTableIds) clearTable(tableId);
    bool result = true;
    // Where rules naming glyphs the font lacks were left out.
    std::vector<std::string> leftOut;
    const std::string* data[] = {&compiler.gsubData(), &compiler.gposData(), &compiler.gdefData()};
    for (uint32_t tableId : kTableIds) {
      const std::string& bytes = *data[tableId - 1];
      if (bytes.empty()) continue;
      ot::BinaryReader reader{std::string_view(bytes)};
      std::string why;
      if (!readBinaryTable(reader, tableId, parseMap, &why)) {
        // A failure without a reason would leave the user with an empty message.
        if (result) fillError(error, failureWithoutPlace(0, std::string("the compiled ") + storedTableName(tableId) +
                                                                " table could not be read" + why));
        result = false;
      }
      if (LayoutTableBlock* target = block(tableId)) {
        placesUsingGlyphs(*target, missingGlyphs(*target, fontMap), leftOut);
        removeMissingGlyphsFromBlock(*target, fontMap, false);
      } else {
        GlyphSet gdefMissing;
        gdef_->missingGlyphs(gdefMissing, fontMap);
        if (!gdefMissing.empty()) leftOut.push_back(storedTableName(tableId));
        gdef_->removeMissingGlyphs(fontMap);
      }
    }
    if (!missing.empty()) reports.add(Severity::kWarning, {}, missingGlyphsWarning(kFeatureTextSource, missing, leftOut));
    if (result) storeBinaryTables(fontMap);
    return result;
  } catch (const LayoutAssertException& failure) {
    throw LayoutAssertException(failure.text(), failure.number());
  } catch (const std::exception& failure) {
    fillError(error, failureWithoutPlace(0, failure.what()));
    return false;
  }
}

bool LayoutFea::readBinaryTable(ot::BinaryReader& reader, uint32_t tableId, const GlyphIdMap& map, std::string* why) {
  if (LayoutTableBlock* target = block(tableId)) {
    ot_bin_layout::LayoutBinParser parser;
    uint32_t id = tableId;
    // The read table replaces the old content as a whole.
    std::optional<LayoutTableBlock> fresh;
    if (target->hasFeatures()) fresh.emplace(tableId, &classes);
    // The other table's records stay held; what this table held is replaced.
    const uint64_t otherHeld = recordsHeld_[tableId == kTableGsub ? 1 : 0];
    const uint64_t recordsLeft = ot::limits::kMaxModelRecords - std::min(otherHeld, ot::limits::kMaxModelRecords);
    const bool read = parser.parse(fresh ? &*fresh : target, reader, id, map, recordsLeft);
    recordsHeld_[tableId - 1] = recordsLeft - std::min(recordsLeft, reader.recordsLeft());
    reports.append(parser.diagnostics());
    if (!read) {
      for (const Diagnostic& problem : parser.diagnostics().entries()) {
        if (why && problem.severity >= Severity::kError) {
          *why = ": " + (problem.tablePath.empty() ? "" : problem.tablePath + ": ") + problem.message;
          break;
        }
      }
      return false;
    }
    if (fresh) *target = *fresh;
    return true;
  }
  if (tableId == kTableGdef) {
    if (!gdef_->readBinary(reader, map)) return false;
    // The font's glyphs carry the classes and carets too.
    gdef_->applyToGlyphs();
    return true;
  }
  return false;
}

bool LayoutFea::writeBinaryTable(std::ostream& out, uint32_t tableId, const GlyphIdMap& map) {
  if (const LayoutTableBlock* source = block(tableId)) {
    // The copies (classes and block) are made only when the block needs pruning.
    std::unique_ptr<vn::FeaGlyphGroups> classCopy;
    std::unique_ptr<LayoutTableBlock> copy;
    auto makeCopy = [&] {
      classCopy = std::make_unique<vn::FeaGlyphGroups>(classes);
      copy = std::make_unique<LayoutTableBlock>(tableId, classCopy.get());
      *copy = *source;
    };
    const GlyphSet missing = missingGlyphs(*source, map);
    if (!missing.empty()) {
      makeCopy();
      copy->pruneMissingGlyphs(missing);
    }
    LookupIndexSet unreferenced;
    (copy ? copy.get() : source)->collectUnreferencedLookups(unreferenced);
    if (!unreferenced.empty()) {
      if (!copy) makeCopy();
      copy->pruneUnreferencedLookups();
    }
    ot::BinaryWriter writer;
    ot_bin_layout::LayoutBinWriter tableWriter;
    const bool written = tableWriter.write(copy ? copy.get() : source, writer, map);
    reports.append(tableWriter.diagnostics());
    if (!written) return false;
    out << writer.str();
    return static_cast<bool>(out);
  }
  if (tableId == kTableGdef) {
    // The layout's own GDEF data stays as it is; glyphs the map lacks would be written as
    // glyph 0.
    GDefTableData working(&owner_);
    working.assign(*gdef_);
    working.collectFromGlyphs();
    working.removeMissingGlyphs(map);
    if (working.isEmpty()) return false;
    ot::BinaryWriter writer;
    if (!working.writeBinary(writer, map)) return false;
    out << writer.str();
    return static_cast<bool>(out);
  }
  return false;
}

void LayoutFea::storeBinaryTables(const GlyphIdMap& map) {
  if (!owner_) return;
  owner_->removeLayoutTables();
  for (uint32_t tableId : kTableIds) {
    if (!hasTableData(tableId)) continue;
    std::ostringstream bytes;
    if (!writeBinaryTable(bytes, tableId, map)) {
      reports.add(Severity::kError, storedTableName(tableId), kTableNotStored);
      continue;
    }
    const std::string text = bytes.str();
    owner_->tables[storedTableName(tableId)] = std::vector<uint8_t>(text.begin(), text.end());
  }
}

bool LayoutFea::writeFeatureFile(std::ostream& out, const vn::FeatureWriteOptions& options) {
  if (textBlocks) {
    ot_fea_layout::writeFeatureTextLines(*textBlocks, out);
    if (!includedFiles_.empty()) reports.add(Severity::kWarning, {}, includesNotCarriedWarning(includedFiles_));
    return true;
  }
  vn::FeaGlyphGroups classCopy = classes;
  GlyphIdMap map;
  if (owner_) map.fillGlyphs(owner_->glyphs);
  // Copies pruned of glyphs the font lacks or feature text cannot name; the layout and
  // the font's glyphs stay as they are.
  LayoutTableBlock gsubCopy(1, &classCopy);
  LayoutTableBlock gposCopy(2, &classCopy);
  const LayoutTableBlock* blocks[2] = {&gsub, &gpos};
  LayoutTableBlock* copies[2] = {&gsubCopy, &gposCopy};
  ot_fea_layout::FeaDocumentWriter writer;
  for (int i = 0; i < 2; ++i) {
    GlyphSet used;
    blocks[i]->lookups.collectGlyphs(used);
    const GlyphSet unspellable = unspellableGlyphs(used);
    ot_fea_layout::reportGlyphUsers(*blocks[i], unspellable, ot_fea_layout::LeftOutKind::kGlyphNames, writer.leftOut());
    // Glyphs the font lacks or feature text cannot spell.
    GlyphSet unwritable = missingGlyphs(*blocks[i], map);
    unwritable.insert(unspellable.begin(), unspellable.end());
    if (unwritable.empty()) continue;
    *copies[i] = *blocks[i];
    ot_fea_layout::pruneGlyphsKeepingCalls(*copies[i], unwritable);
    blocks[i] = copies[i];
  }
  GDefTableData gdefCopy(&owner_);
  const GDefTableData* gdefSource = gdef_.get();
  GlyphSet gdefGlyphs;
  gdef_->missingGlyphs(gdefGlyphs, map);
  GlyphSet gdefUsed;
  gdef_->collectGlyphs(gdefUsed);
  gdefGlyphs.merge(unspellableGlyphs(gdefUsed));
  if (!gdefGlyphs.empty()) {
    gdefCopy.assign(*gdef_);
    gdefCopy.pruneByGlyphs(gdefGlyphs);
    gdefSource = &gdefCopy;
  }
  const bool written = writer.write(owner_, nullptr, classCopy, blocks[0], blocks[1], gdefSource, options, out);
  writer.leftOut().reportTo(reports);
  reports.append(writer.diagnostics());
  return written;
}

}  // namespace otl

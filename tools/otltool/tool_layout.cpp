#include "otltool/tool_layout.h"

#include <cstdio>

#include "layout/layout_bin_parser.h"
#include "layout/layout_bin_writer.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/exception.h"
#include "model/glyph.h"

namespace otltool {

vn::Ref<vn::Font> fontOfGlyphs(const std::vector<std::string>& names) {
  vn::Ref<vn::Font> font = vn::Ref<vn::Font>::adopt(new vn::Font());
  for (const std::string& name : names) {
    auto* glyph = new vn::Glyph();
    glyph->name = name;
    font->appendGlyph(glyph);
  }
  return font;
}

void reportDiagnostics(const otl::Diagnostics& diagnostics) {
  otl::Diagnostics warnings;
  for (const auto& entry : diagnostics.entries()) {
    if (entry.severity <= otl::Severity::kWarning) {
      warnings.add(entry);
    } else {
      std::fprintf(stderr, "otltool: %s\n", otl::Diagnostics::format(entry).c_str());
    }
  }
  printLayoutWarnings(warnings.linesByKind());
}

void printLayoutWarnings(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) std::fprintf(stderr, "Warning: layout: %s\n", line.c_str());
}

bool readLayoutTables(const TableSet& input, const otl::GlyphIdMap& glyphs, otl::LayoutFea& layout) {
  bool ok = true;
  for (uint32_t tableId : {otl::kTableGsub, otl::kTableGpos}) {
    const auto found = input.find(otl::ot_bin_layout::tableName(tableId));
    if (found == input.end()) continue;
    ot::BinaryReader reader(found->second);
    otl::ot_bin_layout::LayoutBinParser parser;
    try {
      uint32_t id = tableId;
      if (!parser.parse(layout.block(tableId), reader, id, glyphs)) ok = false;
    } catch (const ot::Exception& e) {
      std::fprintf(stderr, "otltool: %s\n", e.message().c_str());
      ok = false;
    }
    reportDiagnostics(parser.diagnostics());
  }
  if (const auto found = input.find("GDEF"); found != input.end()) {
    ot::BinaryReader reader(found->second);
    try {
      if (!layout.gdef().readBinary(reader, glyphs)) ok = false;
    } catch (const ot::Exception& e) {
      std::fprintf(stderr, "otltool: %s\n", e.message().c_str());
      ok = false;
    }
  }
  return ok;
}

bool writeLayoutTable(const otl::LayoutTableBlock* block, const otl::GlyphIdMap& glyphs, std::string& bytes) {
  ot::BinaryWriter writer;
  otl::ot_bin_layout::LayoutBinWriter tableWriter;
  const bool written = tableWriter.write(block, writer, glyphs);
  reportDiagnostics(tableWriter.diagnostics());
  bytes = writer.str();
  return written && !tableWriter.diagnostics().hasErrors();
}

}  // namespace otltool

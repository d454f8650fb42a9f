// otltool roundtrip GLYPHS INDIR OUTDIR: binary GSUB/GPOS/GDEF -> layout model -> binary.
#include <cstdio>
#include <string>

#include "layout/glyph_id_map.h"
#include "layout/layout_bin_parser.h"
#include "layout/layout_bin_writer.h"
#include "layout/layout_fea.h"
#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "otltool/tool_io.h"
#include "otltool/verbs.h"

namespace otltool {

namespace {

constexpr uint32_t kTableIds[] = {1, 2};

void report(const otl::Diagnostics& diagnostics) {
  for (const auto& entry : diagnostics.entries()) {
    std::fprintf(stderr, "otltool: %s\n", otl::Diagnostics::format(entry).c_str());
  }
}

}  // namespace

int runRoundtrip(const Arguments& arguments) {
  const std::vector<std::string> names = readGlyphOrder(arguments[0]);
  const TableSet input = readTableFolder(arguments[1]);
  otl::GlyphIdMap glyphs;
  glyphs.fill(names);
  otl::LayoutFea layout(nullptr, "");
  bool ok = true;

  for (uint32_t tableId : kTableIds) {
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
    report(parser.diagnostics());
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
  if (!ok) return 1;

  TableSet output;
  for (uint32_t tableId : kTableIds) {
    const otl::LayoutTableBlock* block = layout.block(tableId);
    if (block->scripts.empty() && block->lookups.isEmpty()) continue;
    ot::BinaryWriter writer;
    otl::ot_bin_layout::LayoutBinWriter tableWriter;
    const bool written = tableWriter.write(block, writer, glyphs);
    report(tableWriter.diagnostics());
    // A repair that dropped rules is a loss, not a success.
    if (!written || tableWriter.diagnostics().hasErrors()) return 1;
    output[otl::ot_bin_layout::tableName(tableId)] = writer.str();
  }
  if (!layout.gdef().isEmpty()) {
    ot::BinaryWriter writer;
    if (!layout.gdef().writeBinary(writer, glyphs)) {
      std::fprintf(stderr, "otltool: GDEF: offsets past 16 bits; table not written\n");
      return 1;
    }
    output["GDEF"] = writer.str();
  }
  writeTableFolder(arguments[2], output);
  return 0;
}

}  // namespace otltool

// Layout steps the verbs share: a font of the listed glyphs, the binary tables read into
// the layout model, one table written back, and the layout library's diagnostics printed.
#pragma once

#include <string>
#include <vector>

#include "layout/diagnostics.h"
#include "layout/glyph_id_map.h"
#include "layout/layout_fea.h"
#include "model/font.h"
#include "model/object.h"
#include "otltool/tool_io.h"

namespace otltool {

// A font holding one empty glyph per name, in order.
vn::Ref<vn::Font> fontOfGlyphs(const std::vector<std::string>& names);

// Each error as one "otltool: " line on the standard error stream; warnings and notes as
// the converter prints them, one "Warning: layout: " line per kind.
void reportDiagnostics(const otl::Diagnostics& diagnostics);

// Lines of the layout's reports (otl::Diagnostics::linesByKind) as "Warning: layout: "
// lines on the standard error stream.
void printLayoutWarnings(const std::vector<std::string>& lines);

// Reads GSUB, GPOS and GDEF of the set into the layout, printing what went wrong; false
// when any table could not be read.
bool readLayoutTables(const TableSet& input, const otl::GlyphIdMap& glyphs, otl::LayoutFea& layout);

// Writes one table, printing the writer's diagnostics; false when it was not written or
// the writer had to drop rules (a repair that loses rules is no success).
bool writeLayoutTable(const otl::LayoutTableBlock* block, const otl::GlyphIdMap& glyphs, std::string& bytes);

}  // namespace otltool

// The GDEF part of the feature file.
#include <charconv>
#include <ostream>

#include "layout/gdef.h"
#include "layout/registry/glyph_name_registry.h"
#include "model/layout_object.h"

namespace otl {

namespace {

void line(std::ostream& out, const char* text = "") { out << text << '\n' << std::flush; }

// "[" glyph references "]", a line break and four blanks after every ten references.
void writeGlyphList(std::ostream& out, const GlyphList& glyphs) {
  out << '[';
  for (size_t i = 0; i < glyphs.size(); ++i) {
    if (i != 0) {
      out << ' ';
      if (i % 10 == 0) out << "\n    ";
    }
    writeGlyphName(out, glyphs[i]);
  }
  out << ']';
}

// Locale-independent decimal.
void writeNumber(std::ostream& out, int32_t value) {
  char buffer[16];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out << ' ';
  out.write(buffer, result.ptr - buffer);
}

constexpr const char* kClassNames[4] = {"@BASE", "@LIGATURES", "@MARKS", "@COMPONENT"};

}  // namespace

void GDefTableData::writeFea(const vn::FeatureWriteOptions& options, std::ostream& out) const {
  writeFea(options.commentsAndHeader != 0, out);
}

void GDefTableData::writeFea(bool comments, std::ostream& out) const {
  if (glyphClasses.isEmpty() && attachGlyphs.empty() && caretGlyphs.empty() && markAttachClasses.isEmpty()) return;
  line(out);
  if (comments) {
    line(out, "#");
    line(out, "# GDEF table classes definitions");
    line(out, "#");
  }
  GlyphList members[4];
  if (!glyphClasses.isEmpty()) {
    for (uint16_t cls = 1; cls <= 4; ++cls) {
      glyphClasses.glyphsOfClass(members[cls - 1], cls);
      if (members[cls - 1].empty()) continue;
      line(out);
      out << kClassNames[cls - 1] << " = ";
      writeGlyphList(out, members[cls - 1]);
      line(out, ";");
    }
  }
  line(out);
  line(out, "table GDEF {");
  if (!glyphClasses.isEmpty()) {
    out << "    GlyphClassDef ";
    for (int cls = 0; cls < 4; ++cls) {
      if (cls != 0) out << ", ";
      if (!members[cls].empty()) out << kClassNames[cls];
    }
    line(out, ";");
  }
  if (!attachGlyphs.empty()) {
    line(out);
    for (size_t i = 0; i < attachGlyphs.size(); ++i) {
      out << "    Attach ";
      writeGlyphName(out, attachGlyphs[i]);
      if (i < attachPoints.size()) {
        for (uint16_t point : attachPoints[i]) writeNumber(out, point);
      }
      line(out, ";");
    }
  }
  if (!caretGlyphs.empty()) {
    line(out);
    for (size_t i = 0; i < caretGlyphs.size() && i < carets.size(); ++i) {
      bool byIndex = false, byPosition = false;
      for (const auto& caret : carets[i]) (caret.pointIndex != LigatureCaret::kNoPoint ? byIndex : byPosition) = true;
      if (byIndex) {
        out << "    LigatureCaretByIndex ";
        writeGlyphName(out, caretGlyphs[i]);
        for (const auto& caret : carets[i]) {
          if (caret.pointIndex != LigatureCaret::kNoPoint) writeNumber(out, static_cast<int16_t>(caret.pointIndex));
        }
        line(out, ";");
      }
      if (byPosition) {
        out << "    LigatureCaretByPos ";
        writeGlyphName(out, caretGlyphs[i]);
        for (const auto& caret : carets[i]) {
          if (caret.pointIndex == LigatureCaret::kNoPoint) writeNumber(out, caret.coordinate);
        }
        line(out, ";");
      }
    }
    line(out);
  }
  line(out, "} GDEF;");
}

}  // namespace otl

// ClassDef tables (formats 1 and 2) over glyph indices.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ot {

class BinaryReader;
class BinaryWriter;

// The note when two ranges give one glyph different classes.
inline constexpr const char* kGlyphInTwoClasses = "class definition gives a glyph two classes; the first is used";

struct ClassDef {
  std::vector<uint16_t> glyphs;   // glyph indices
  std::vector<uint16_t> classes;  // parallel to glyphs

  // Appends the glyphs the table at `offset` puts in a class other than 0, in the
  // table's order. Glyphs past the last of `glyphCount` are left out (none when the
  // count is 0). Ranges out of order or overlapping are read as stored; a glyph they
  // give twice keeps its first class (a note on the reader when the classes differ). An
  // unknown format throws ot::Exception 26.
  void readBinary(BinaryReader& reader, size_t offset, uint32_t glyphCount);
  // Writes the pairs in index order, a glyph given twice with its first class; format 2
  // when it has fewer ranges than a third of the indices spanned.
  void writeBinary(BinaryWriter& writer) const;
};

}  // namespace ot

// Feature-file text kept as named blocks ("FeaPrefix", then one per feature block), so a
// layout that came from text writes that text back unchanged, and the error record of a
// failed compile, which names where the error is.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "layout/layout_fea.h"

namespace otl {

// What the compile gave: kind 0 an unknown failure, 1 a fatal compiler error, 2 missing
// glyph names; the compiler's message; where the error is (as FeaCompileError has it).
struct FeaCompileResult {
  int32_t kind = 0;
  std::string message;
  FeaErrorScope scope = FeaErrorScope::kUnknown;
  std::string details;
  int32_t line = -1;
  int32_t blockLine = -1;
};

namespace ot_fea_layout {

inline constexpr const char* kPrefixBlockName = "FeaPrefix";

// Cuts the text into blocks. Every byte lands in exactly one block, so writing the blocks
// one after the other gives the text back byte for byte; blocks of the same name (two
// "feature kern" blocks) are all kept, in order.
void splitFeatureText(std::istream& in, FeatureTextBlocks& out);
void splitFeatureText(const std::string& text, FeatureTextBlocks& out);

// Appends a block; a null or empty block is ignored.
void addTextBlock(FeatureTextBlocks& blocks, FeatureTextBlock block);

// Writes the blocks' texts in order, as they are (no separator is added), then flushes.
void writeFeatureTextLines(const FeatureTextBlocks& blocks, std::ostream& out);

// Fills the record of a failed compile.
void compileErrorText(FeaCompileError& record, const FeaCompileResult& result);

// One line for the standard error stream: the message, then where the error is when the
// record knows it: "(feature block NAME, line N)" or "(lookup block NAME, line N)", with
// "which begins at line N" when only the block is known, "(top level, line N)", "(included
// file "NAME", line N)" (the name alone when only the file is known).
std::string compileErrorLine(const FeaCompileError& record);

}  // namespace ot_fea_layout
}  // namespace otl

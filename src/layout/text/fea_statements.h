// Statements of the generated text that compilers refuse, and the one-glyph ligatures that
// need a lookup of their own, sorted out of the rules the subtables write.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

namespace otl::ot_fea_layout {

// The name rules print for a lookup that is not written: such rules are left out.
inline constexpr const char* kEmptyLookupName = "@@unwritten@@";

bool isOneGlyphLigature(const std::string& statement, uint32_t tableId, uint32_t typeCode);
bool unwritable(const std::string& statement, uint32_t tableId, uint32_t typeCode);
// Copies the rule text statement by statement, leaving out what compilers refuse; one-glyph
// ligatures go to `singles` when given.
void copyWritableStatements(const std::string& text, std::ostream& out, uint32_t tableId, uint32_t typeCode,
                            std::string* singles);
// Whether a lookup body holds any rule (not only comments and flags).
bool hasRules(const std::string& body);

}  // namespace otl::ot_fea_layout

// Statements of the generated text that compilers refuse, and the one-glyph ligatures that
// need a lookup of their own, sorted out of the rules the subtables write.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

#include "layout/text/fea_rule_filter.h"

namespace otl::ot_fea_layout {

// The name rules print for a lookup that is not written: such calls are left out.
inline constexpr const char* kEmptyLookupName = "@@unwritten@@";

// Calls `take` with each comment line on its own and each statement (its lines up to one
// ending in ";", "{" or "}"), in text order; `comment` tells which.
void forEachStatement(const std::string& text, const std::function<void(const std::string&, bool comment)>& take);

bool isOneGlyphLigature(const std::string& statement, uint32_t tableId, uint32_t typeCode);
// Why compilers would refuse the statement, if they would. The writer has taken such rules
// out of the layout by their data already (removeUnwritableRules); this is the last guard.
std::optional<LeftOutKind> unwritable(const std::string& statement, uint32_t tableId, uint32_t typeCode);
// Copies the rule text statement by statement, leaving out what compilers refuse and the
// calls of lookups that are not written (each reported when `report` is set); one-glyph
// ligatures go to `singles` when given.
void copyWritableStatements(const std::string& text, std::ostream& out, uint32_t tableId, uint32_t typeCode,
                            std::string* singles, const LeftOutReport& report = {});
// Whether a lookup body holds any rule (not only comments and flags).
bool hasRules(const std::string& body);

}  // namespace otl::ot_fea_layout

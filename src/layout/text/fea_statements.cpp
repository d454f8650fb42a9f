#include "layout/text/fea_statements.h"

#include <ostream>
#include <sstream>

#include "layout/subtable.h"

namespace otl::ot_fea_layout {

namespace {

constexpr uint32_t kGsubMultiple = 12;
constexpr uint32_t kGsubLigature = 14;
constexpr uint32_t kGposPair = 2;

size_t countWords(const std::string& text) {
  std::istringstream words(text);
  size_t n = 0;
  for (std::string word; words >> word;) ++n;
  return n;
}

bool isSubtableBreak(const std::string& statement) {
  const size_t first = statement.find_first_not_of(' ');
  return first != std::string::npos && statement.compare(first, 9, "subtable;") == 0;
}

}  // namespace

bool isOneGlyphLigature(const std::string& statement, uint32_t tableId, uint32_t typeCode) {
  if (tableId != kTableGsub || typeCode != kGsubLigature) return false;
  const size_t sub = statement.find("sub ");
  const size_t by = statement.find(" by ");
  if (sub == std::string::npos || by == std::string::npos || by < sub + 4) return false;
  return countWords(statement.substr(sub + 4, by - sub - 4)) == 1 && statement.find('\'') == std::string::npos;
}

// Statements compilers refuse: an empty glyph list ("[]"), a glyph without a name (a bare
// "\"), a substitution without input or output ("sub  by", "by ;") and, in a ligature
// lookup, a one-glyph "ligature" (compiled as a single substitution of another lookup
// type). They are left out.
bool unwritable(const std::string& statement, uint32_t tableId, uint32_t typeCode) {
  if (statement.find("[]") != std::string::npos || statement.find(kEmptyLookupName) != std::string::npos) return true;
  for (size_t at = statement.find('\\'); at != std::string::npos; at = statement.find('\\', at + 1)) {
    const char next = at + 1 < statement.size() ? statement[at + 1] : ' ';
    if (next == ' ' || next == ';' || next == ']' || next == '\n' || next == '\'' || next == ',') return true;
  }
  if (tableId != kTableGsub) return false;
  const size_t sub = statement.find("sub ");
  const size_t by = statement.find(" by ");
  if (sub == std::string::npos || by == std::string::npos || statement.find('\'') != std::string::npos) return false;
  const std::string input = statement.substr(sub + 4, by - sub - 4);
  const std::string output = statement.substr(by + 4, statement.find(';', by) - by - 4);
  if (countWords(input) == 0 || countWords(output) == 0) return true;
  if (typeCode == kGsubLigature && countWords(input) == 1) return true;
  if (typeCode == kGsubMultiple && countWords(output) == 1 && output.find('[') == std::string::npos) return false;
  return false;
}

// One-glyph ligatures go to `singles` when given (written as a single substitution lookup
// right after their own), otherwise they are left out.
void copyWritableStatements(const std::string& text, std::ostream& out, uint32_t tableId, uint32_t typeCode,
                            std::string* singles) {
  // In a pair lookup the break between the glyph pairs and the first class pairs is left
  // out: compilers put glyph pairs into a subtable of their own anyway, while feaLib
  // applies that break after the first class pair, whose first-side glyphs would then
  // shadow their later pairs.
  const bool pairLookup = tableId == kTableGpos && typeCode == kGposPair;
  bool classPairSeen = false;
  std::string pendingBreak;
  auto emit = [&](const std::string& rule) {
    if (pairLookup && !classPairSeen && isSubtableBreak(rule)) {
      out << pendingBreak;
      pendingBreak = rule;
      return;
    }
    if (pairLookup && !classPairSeen && rule.find('[') != std::string::npos) {
      classPairSeen = true;
      pendingBreak.clear();
    }
    out << pendingBreak << rule;
    pendingBreak.clear();
  };
  std::string statement;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    const std::string line = text.substr(start, end - start);
    start = end;
    const size_t first = line.find_first_not_of(' ');
    if (statement.empty() && first != std::string::npos && line[first] == '#') {
      out << line;
      continue;
    }
    statement += line;
    const size_t last = line.find_last_not_of(" \n");
    if (last != std::string::npos && line[last] != ';' && line[last] != '{' && line[last] != '}') continue;
    if (singles && isOneGlyphLigature(statement, tableId, typeCode) &&
        !unwritable(statement, tableId, kGsubMultiple)) {
      *singles += statement;
    } else if (!unwritable(statement, tableId, typeCode)) {
      emit(statement);
    }
    statement.clear();
  }
  if (!statement.empty() && !unwritable(statement, tableId, typeCode)) emit(statement);
  out << pendingBreak;
}

bool hasRules(const std::string& body) {
  std::istringstream lines(body);
  for (std::string line; std::getline(lines, line);) {
    const size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos || line[first] == '#' || line.compare(first, 10, "lookupflag") == 0 ||
        line.compare(first, 9, "subtable;") == 0)
      continue;
    return true;
  }
  return false;
}

}  // namespace otl::ot_fea_layout

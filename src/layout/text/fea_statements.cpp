#include "layout/text/fea_statements.h"

#include <map>
#include <optional>
#include <ostream>
#include <sstream>
#include <vector>

#include "layout/subtable.h"

namespace otl::ot_fea_layout {

namespace {

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

// The calls of lookups that are not written go; a rule left without calls becomes an
// "ignore" rule, which still takes its position from the rules after it.
bool dropUnwrittenCalls(std::string& statement) {
  const std::string call = std::string(" lookup ") + kEmptyLookupName + " ";
  bool dropped = false;
  for (size_t at = statement.find(call); at != std::string::npos; at = statement.find(call, at)) {
    statement.erase(at, call.size());
    dropped = true;
  }
  if (dropped && statement.find(" lookup ") == std::string::npos) {
    const size_t first = statement.find_first_not_of(' ');
    statement.insert(first == std::string::npos ? 0 : first, "ignore ");
  }
  return dropped;
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
std::optional<LeftOutKind> unwritable(const std::string& statement, uint32_t tableId, uint32_t typeCode) {
  if (statement.find("[]") != std::string::npos) return LeftOutKind::kEmptyClass;
  for (size_t at = statement.find('\\'); at != std::string::npos; at = statement.find('\\', at + 1)) {
    const char next = at + 1 < statement.size() ? statement[at + 1] : ' ';
    if (next == ' ' || next == ';' || next == ']' || next == '\n' || next == '\'' || next == ',')
      return LeftOutKind::kGlyphNames;
  }
  if (tableId != kTableGsub) return std::nullopt;
  const size_t sub = statement.find("sub ");
  const size_t by = statement.find(" by ");
  if (sub == std::string::npos || by == std::string::npos || statement.find('\'') != std::string::npos)
    return std::nullopt;
  const std::string input = statement.substr(sub + 4, by - sub - 4);
  const std::string output = statement.substr(by + 4, statement.find(';', by) - by - 4);
  if (countWords(input) == 0) return LeftOutKind::kEmptyClass;
  if (countWords(output) == 0) return LeftOutKind::kByNothing;
  if (typeCode == kGsubLigature && countWords(input) == 1) return LeftOutKind::kOneGlyphLigature;
  return std::nullopt;
}

namespace {

// The rules of a pair lookup, passed on with the subtable breaks feaLib misplaces taken
// care of. feaLib gathers all glyph pairs into one subtable and applies every break met
// before the first class pair right after that class pair, so its first-side glyphs
// would shadow their later pairs. The break just before the class pairs is left out
// (every compiler puts glyph pairs into a subtable of their own anyway); breaks between
// glyph pairs stay (our compiler needs them for size), and then the class pair written
// first is one whose first side has no other pair in its subtable.
class PairRules {
 public:
  explicit PairRules(std::ostream& out) : out_(out) {}

  void add(const std::string& rule) {
    const bool isBreak = isSubtableBreak(rule);
    const bool classPair = !isBreak && rule.find('[') != std::string::npos;
    if (!classPairSeen_) {
      if (!isBreak && !classPair) flushBreak();
      if (isBreak) {
        flushBreak();
        pendingBreak_ = rule;
        return;
      }
      if (classPair) {
        classPairSeen_ = true;
        pendingBreak_.clear();
        buffering_ = breakWritten_;
        if (buffering_) {
          run_.push_back(rule);
          return;
        }
      }
      out_ << rule;
      return;
    }
    if (buffering_ && classPair) {
      run_.push_back(rule);
      return;
    }
    flushRun();
    out_ << rule;
  }

  void finish() {
    out_ << pendingBreak_;
    flushRun();
  }

 private:
  void flushBreak() {
    if (pendingBreak_.empty()) return;
    out_ << pendingBreak_;
    pendingBreak_.clear();
    breakWritten_ = true;
  }

  static std::string firstSide(const std::string& rule) {
    const size_t open = rule.find('[');
    const size_t close = rule.find(']', open);
    return open == std::string::npos || close == std::string::npos ? rule : rule.substr(open, close - open);
  }

  void flushRun() {
    if (!buffering_) return;
    buffering_ = false;
    std::map<std::string, size_t> uses;
    for (const std::string& rule : run_) ++uses[firstSide(rule)];
    size_t lead = 0;
    for (size_t i = 0; i < run_.size(); ++i) {
      if (uses[firstSide(run_[i])] == 1) {
        lead = i;
        break;
      }
    }
    out_ << run_[lead];
    for (size_t i = 0; i < run_.size(); ++i) {
      if (i != lead) out_ << run_[i];
    }
    run_.clear();
  }

  std::ostream& out_;
  bool classPairSeen_ = false;
  bool breakWritten_ = false;
  bool buffering_ = false;
  std::string pendingBreak_;
  std::vector<std::string> run_;
};

}  // namespace

// One-glyph ligatures go to `singles` when given (written as a single substitution lookup
// right after their own), otherwise they are left out.
void copyWritableStatements(const std::string& text, std::ostream& out, uint32_t tableId, uint32_t typeCode,
                            std::string* singles, const LeftOutReport& report) {
  std::optional<PairRules> pairs;
  if (tableId == kTableGpos && typeCode == kGposPair) pairs.emplace(out);
  auto emit = [&](const std::string& rule) {
    if (pairs) pairs->add(rule);
    else out << rule;
  };
  auto emitWritable = [&](const std::string& rule) {
    const auto refused = unwritable(rule, tableId, typeCode);
    if (!refused) {
      emit(rule);
    } else if (report) {
      report(*refused);
    }
  };
  forEachStatement(text, [&](const std::string& line, bool comment) {
    if (comment) {
      out << line;
      return;
    }
    std::string statement = line;
    if (dropUnwrittenCalls(statement) && report) report(LeftOutKind::kUnwrittenLookup);
    if (singles && isOneGlyphLigature(statement, tableId, typeCode) &&
        !unwritable(statement, tableId, kGsubMultiple)) {
      *singles += statement;
    } else {
      emitWritable(statement);
    }
  });
  if (pairs) pairs->finish();
}

void forEachStatement(const std::string& text, const std::function<void(const std::string&, bool comment)>& take) {
  std::string statement;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    const std::string line = text.substr(start, end - start);
    start = end;
    const size_t first = line.find_first_not_of(' ');
    if (statement.empty() && first != std::string::npos && line[first] == '#') {
      take(line, true);
      continue;
    }
    statement += line;
    const size_t last = line.find_last_not_of(" \n");
    if (last != std::string::npos && line[last] != ';' && line[last] != '{' && line[last] != '}') continue;
    take(statement, false);
    statement.clear();
  }
  if (!statement.empty()) take(statement, false);
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

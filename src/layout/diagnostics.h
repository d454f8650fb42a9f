// The one way problems found while reading layout data are recorded: where (file, line,
// table path) and how bad. The binary reader records what it skipped or refused here;
// the caller decides what to print.
#pragma once

#include <string>
#include <vector>

namespace otl {

enum class Severity { kNote, kWarning, kError, kFatal };

struct Diagnostic {
  Severity severity = Severity::kError;
  std::string file;       // empty when not read from a file
  int line = -1;          // -1 when not from text
  std::string tablePath;  // "GPOS lookup 12 subtable 3"
  std::string message;
};

class Diagnostics {
 public:
  void add(Severity severity, std::string tablePath, std::string message);
  void add(Diagnostic diagnostic) { entries_.push_back(std::move(diagnostic)); }
  void append(const Diagnostics& other) { entries_.insert(entries_.end(), other.entries_.begin(), other.entries_.end()); }

  const std::vector<Diagnostic>& entries() const { return entries_; }
  bool empty() const { return entries_.empty(); }
  bool hasErrors() const;
  void clear() { entries_.clear(); }

  // "[E] file:line: GPOS lookup 12 subtable 3: message", one line per entry.
  static std::string format(const Diagnostic& diagnostic);
  std::string formatAll() const;
  // One line per message, naming the places it was reported at ("message: GPOS lookup
  // 3 subtable 1, GPOS lookup 5"), the first few and then how many more, in the order
  // first seen.
  std::vector<std::string> linesByKind() const;

 private:
  std::vector<Diagnostic> entries_;
};

}  // namespace otl

#include "layout/diagnostics.h"

#include <charconv>
#include <map>

namespace otl {

namespace {
const char* prefixOf(Severity severity) {
  switch (severity) {
    case Severity::kNote: return "[NOTE] ";
    case Severity::kWarning: return "[WARNING] ";
    case Severity::kError: return "[E] ";
    case Severity::kFatal: return "[F] ";
  }
  return "[E] ";
}
}  // namespace

void Diagnostics::add(Severity severity, std::string tablePath, std::string message) {
  entries_.push_back(Diagnostic{severity, {}, -1, std::move(tablePath), std::move(message)});
}

bool Diagnostics::hasErrors() const {
  for (const auto& entry : entries_) {
    if (entry.severity == Severity::kError || entry.severity == Severity::kFatal) return true;
  }
  return false;
}

std::string Diagnostics::format(const Diagnostic& diagnostic) {
  std::string line = prefixOf(diagnostic.severity);
  if (!diagnostic.file.empty()) {
    line += diagnostic.file;
    if (diagnostic.line >= 0) {
      char buffer[16];
      const auto result = std::to_chars(buffer, buffer + sizeof buffer, diagnostic.line);
      line += ":" + std::string(buffer, result.ptr);
    }
    line += ": ";
  }
  if (!diagnostic.tablePath.empty()) line += diagnostic.tablePath + ": ";
  return line + diagnostic.message;
}

std::string Diagnostics::formatAll() const {
  std::string out;
  for (const auto& entry : entries_) out += format(entry) + "\n";
  return out;
}

std::vector<std::string> Diagnostics::linesByKind() const {
  std::vector<std::string> lines;
  std::map<std::string, size_t> lineOf;
  for (const auto& entry : entries_) {
    const auto [found, added] = lineOf.emplace(entry.message, lines.size());
    if (added) {
      lines.push_back(entry.message + (entry.tablePath.empty() ? "" : ": " + entry.tablePath));
    } else if (!entry.tablePath.empty()) {
      lines[found->second] += (lines[found->second].size() > entry.message.size() ? ", " : ": ") + entry.tablePath;
    }
  }
  return lines;
}

}  // namespace otl

#include "layout/diagnostics.h"

#include <charconv>
#include <map>
#include <utility>

#include "model/first_few.h"

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
  // Places per message, in the order first seen; each line names the first few.
  std::vector<std::pair<const std::string*, std::vector<std::string>>> kinds;
  std::map<std::string, size_t> kindOf;
  for (const auto& entry : entries_) {
    const auto [found, added] = kindOf.emplace(entry.message, kinds.size());
    if (added) kinds.emplace_back(&entry.message, std::vector<std::string>());
    if (!entry.tablePath.empty()) kinds[found->second].second.push_back(entry.tablePath);
  }
  std::vector<std::string> lines;
  lines.reserve(kinds.size());
  for (const auto& [message, places] : kinds) {
    lines.push_back(places.empty() ? *message : *message + ": " + vn::firstFewWithCount(places));
  }
  return lines;
}

}  // namespace otl

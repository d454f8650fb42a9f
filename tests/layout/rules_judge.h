// fontTools' reading of a written GSUB or GPOS table (data/layout_rules_judge.py): its
// rules sorted, then "subtables=N"; empty when fontTools is missing.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "command_output.h"

namespace layout_test {

// Runs the judge over the file at `path` (a table, or a feature text ending ".fea"), then removes it.
inline std::string runRulesJudge(const std::filesystem::path& path, size_t glyphCount, const char* tag) {
  const std::string result = commandOutput(std::string(TARNWICK_PYTHON) + " '" + TARNWICK_TEST_DATA_DIR +
                                           "/layout_rules_judge.py' '" + path.string() + "' " +
                                           std::to_string(glyphCount) + " " + tag + " 2>&1");
  std::filesystem::remove(path);
  return result;
}

inline bool fontToolsPresent() { return std::system(TARNWICK_PYTHON " -c 'import fontTools' 2>/dev/null") == 0; }

inline std::string judgeRules(const std::string& table, size_t glyphCount, const char* tag = "GSUB") {
  if (!fontToolsPresent()) return "";
  const auto path = std::filesystem::temp_directory_path() / ("layout_rules_" + std::to_string(::getpid()));
  std::ofstream(path, std::ios::binary) << table;
  return runRulesJudge(path, glyphCount, tag);
}

// The same for the table feaLib builds from a feature text.
inline std::string judgeFeaLibRules(const std::string& featureText, size_t glyphCount, const char* tag = "GSUB") {
  if (!fontToolsPresent()) return "";
  const auto path = std::filesystem::temp_directory_path() / ("layout_rules_" + std::to_string(::getpid()) + ".fea");
  std::ofstream(path) << featureText;
  return runRulesJudge(path, glyphCount, tag);
}

}  // namespace layout_test

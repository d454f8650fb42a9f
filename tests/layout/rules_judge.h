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

inline std::string judgeRules(const std::string& table, size_t glyphCount, const char* tag = "GSUB") {
  if (std::system(TARNWICK_PYTHON " -c 'import fontTools' 2>/dev/null") != 0) return "";
  const auto path = std::filesystem::temp_directory_path() / ("layout_rules_" + std::to_string(::getpid()));
  std::ofstream(path, std::ios::binary) << table;
  const std::string result = commandOutput(std::string(TARNWICK_PYTHON) + " '" + TARNWICK_TEST_DATA_DIR +
                                           "/layout_rules_judge.py' '" + path.string() + "' " +
                                           std::to_string(glyphCount) + " " + tag + " 2>&1");
  std::filesystem::remove(path);
  return result;
}

}  // namespace layout_test

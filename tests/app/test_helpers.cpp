#include "test_helpers.h"

#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testing_app {

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tarnwick-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> TempFolder::names() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string quoteForShell(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') quoted += "'\\''";
    else quoted += c;
  }
  return quoted + "'";
}

int runShell(const std::string& folder, const std::string& command, std::string* out) {
  const std::string line = "cd " + quoteForShell(folder) + " && " + command;
  FILE* pipe = ::popen(line.c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("popen failed");
  std::string text;
  char buffer[4096];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, got);
  const int status = ::pclose(pipe);
  if (out != nullptr) *out = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1000;
}

RunResult runProgram(const std::string& folder, const std::vector<std::string>& arguments) {
  std::string command = quoteForShell(TARNWICK_EXE);
  for (const std::string& argument : arguments) command += " " + quoteForShell(argument);
  // Beside the folder, so that the scenario sees only its own files.
  const std::string errPath = folder + ".stderr";
  RunResult result;
  result.exitCode = runShell(folder, command + " 2>" + quoteForShell(errPath), &result.out);
  result.err = readFile(errPath);
  std::filesystem::remove(errPath);
  return result;
}

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream file(path, std::ios::binary);
  file << content;
  if (!file) throw std::runtime_error("cannot write " + path);
}

std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace testing_app

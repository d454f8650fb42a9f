// Shell helpers of the corpus tests: they run the program, otltool and the judges as
// commands, with their output in a log file.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace corpus_shell {

// `text` as one shell word, in single quotes.
inline std::string quoted(const std::string& text) {
  std::string out = "'";
  for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// Runs a shell command with its output in `log`; its exit status (-1 when it did not exit).
inline int run(const std::string& command, const std::filesystem::path& log) {
  const int status = std::system((command + " > " + quoted(log.string()) + " 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline std::string readText(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace corpus_shell

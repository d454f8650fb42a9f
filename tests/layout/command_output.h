// Standard output of a shell command: the judges print their verdicts there.
#pragma once

#include <array>
#include <cstdio>
#include <memory>
#include <string>

namespace layout_test {

inline std::string commandOutput(const std::string& command) {
  std::string out;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return out;
  std::array<char, 65536> buffer;
  size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0) out.append(buffer.data(), n);
  return out;
}

// The output without its final line ends.
inline std::string commandLine(const std::string& command) {
  std::string out = commandOutput(command);
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

}  // namespace layout_test

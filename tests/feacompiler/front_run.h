// Runs `otltool compile` on a feature text written into a scratch folder and returns its
// exit code, standard output and standard error.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace front_test {

namespace fs = std::filesystem;

struct CompileRun {
  int exitCode = -1;
  std::string out, err;
  fs::path dir;  // the scratch folder (tables in dir / "tables")
};

inline std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFile(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

inline std::string quote(const fs::path& p) { return "'" + p.string() + "'"; }

inline std::string replaceAll(std::string s, const std::string& from, const std::string& to) {
  for (size_t p = s.find(from); p != std::string::npos; p = s.find(from, p + to.size()))
    s.replace(p, from.size(), to);
  return s;
}

// files: name -> text; "main.fea" is the compiled text. Every {DIR} in the texts is the folder.
inline CompileRun compileFiles(const std::vector<std::string>& glyphs,
                               const std::map<std::string, std::string>& files,
                               const std::string& tag) {
  CompileRun run;
  run.dir = fs::temp_directory_path() / ("tw_front_" + tag + "_" + std::to_string(::getpid()));
  fs::remove_all(run.dir);
  fs::create_directories(run.dir);
  std::string order;
  for (const std::string& g : glyphs) order += g + "\n";
  writeFile(run.dir / "glyphs.txt", order);
  for (const auto& [name, text] : files) writeFile(run.dir / name, replaceAll(text, "{DIR}", run.dir.string()));
  std::string cmd = std::string(TARNWICK_OTLTOOL) + " compile " + quote(run.dir / "glyphs.txt") +
                    " " + quote(run.dir / "main.fea") + " " + quote(run.dir / "tables") + " >" +
                    quote(run.dir / "stdout") + " 2>" + quote(run.dir / "stderr");
  int status = std::system(cmd.c_str());
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = readFile(run.dir / "stdout");
  run.err = readFile(run.dir / "stderr");
  return run;
}

inline CompileRun compileText(const std::vector<std::string>& glyphs, const std::string& text,
                              const std::string& tag) {
  return compileFiles(glyphs, {{"main.fea", text}}, tag);
}

// A ten-glyph font.
inline const std::vector<std::string>& tenGlyphs() {
  static const std::vector<std::string> g = {".notdef", "A", "B", "C", "a", "b", "c", "f", "i", "f_i"};
  return g;
}

}  // namespace front_test

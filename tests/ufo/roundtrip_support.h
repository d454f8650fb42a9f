// Small UFOs written by the tests and converted by the built program, UFO -> native ->
// UFO, with what the program printed on the way.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace roundtrip {

namespace fs = std::filesystem;

inline std::string readText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeText(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

inline std::string quoted(const std::string& text) {
  std::string out = "'";
  for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// A fresh folder for one test, removed at its end.
class Folder {
 public:
  Folder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = fs::temp_directory_path() /
            ("tw_faithful_" + std::to_string(::getpid()) + "_" + (info ? std::string(info->name()) : "x"));
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~Folder() { if (!std::getenv("TW_KEEP")) fs::remove_all(path_); }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;
  const fs::path& path() const { return path_; }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

struct Run {
  int code = -1;
  std::string out;  // standard output and error together
};

// The program with the arguments (already quoted where needed).
inline Run tarnwick(const std::string& arguments) {
  Run run;
  const std::string command = quoted(TARNWICK_EXE) + " " + arguments + " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, got);
  const int status = ::pclose(pipe);
  run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

inline constexpr const char* kPlistHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n";

inline std::string plist(const std::string& body) { return kPlistHead + body + "\n</plist>\n"; }

// A glyph file with the given elements inside <glyph>.
inline std::string glif(const std::string& name, const std::string& inner, int format = 1) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<glyph name=\"" + name + "\" format=\"" +
         std::to_string(format) + "\">\n<advance width=\"500\"/>\n" + inner + "\n</glyph>\n";
}

struct GlyphFile {
  std::string name;
  std::string text;  // the whole .glif file; empty: listed in contents.plist without a file
};

// A UFO 2 folder: fontinfo and lib as dict bodies, the glyphs in "glyphs/<name>.glif".
inline void writeUfo(const fs::path& ufo, const std::string& fontinfo, const std::vector<GlyphFile>& glyphs,
                     const std::string& lib = {}, const std::string& kerning = {}, const std::string& groups = {}) {
  writeText(ufo / "metainfo.plist",
            plist("<dict><key>creator</key><string>test</string><key>formatVersion</key><integer>2</integer></dict>"));
  writeText(ufo / "fontinfo.plist", plist("<dict>" + fontinfo + "</dict>"));
  if (!lib.empty()) writeText(ufo / "lib.plist", plist("<dict>" + lib + "</dict>"));
  if (!kerning.empty()) writeText(ufo / "kerning.plist", plist("<dict>" + kerning + "</dict>"));
  if (!groups.empty()) writeText(ufo / "groups.plist", plist("<dict>" + groups + "</dict>"));
  std::string contents;
  for (const GlyphFile& glyph : glyphs) {
    contents += "<key>" + glyph.name + "</key><string>" + glyph.name + ".glif</string>";
    if (!glyph.text.empty()) writeText(ufo / "glyphs" / (glyph.name + ".glif"), glyph.text);
  }
  writeText(ufo / "glyphs" / "contents.plist", plist("<dict>" + contents + "</dict>"));
}

// "in.ufo" in the folder -> "font.qtf" -> "back.ufo"; the two runs.
inline std::pair<Run, Run> convertBothWays(const Folder& folder) {
  Run there = tarnwick("-fo " + quoted((folder / "in.ufo").string()) + " " + quoted((folder / "font.qtf").string()));
  Run back = tarnwick("-fo " + quoted((folder / "font.qtf").string()) + " " + quoted((folder / "back.ufo").string()));
  return {there, back};
}

// The value element that follows <key>key</key> in a property list, with the blanks
// between elements removed; empty when the key is absent.
inline std::string valueOf(const std::string& text, const std::string& key) {
  const std::string tag = "<key>" + key + "</key>";
  size_t at = text.find(tag);
  if (at == std::string::npos) return {};
  const size_t start = text.find('<', at + tag.size());
  size_t i = start;
  int depth = 0;
  while (start != std::string::npos && i < text.size()) {
    const size_t open = text.find('<', i);
    const size_t close = text.find('>', open);
    if (open == std::string::npos || close == std::string::npos) return {};
    if (text[open + 1] == '/') --depth;
    else if (text[close - 1] != '/') ++depth;
    i = close + 1;
    if (depth == 0) break;
  }
  std::string value;
  for (size_t k = start; k < i; ++k) {
    const char c = text[k];
    if (c == '\n' || c == '\t' || c == '\r') continue;
    if (c == ' ' && (value.empty() || value.back() == '>')) continue;
    value += c;
  }
  return value;
}

}  // namespace roundtrip

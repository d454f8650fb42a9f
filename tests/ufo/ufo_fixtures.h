// Fonts and UFO folders made in code for the UFO tests: a font to write, a folder to
// read (with the console lines of the read), and the independent tools that judge
// what was written.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <list>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "model/font.h"
#include "model/font_style_pair.h"
#include "model/style.h"
#include "ufo/parser.h"
#include "ufo/plist_node.h"
#include "ufo/reader_warnings.h"
#include "ufo/writer.h"

namespace ufotest {

inline constexpr const char* kDataDir = TARNWICK_SOURCE_DIR "/tests/ufo/data";

// A font and a style held only by the pair.
struct BuiltFont {
  BuiltFont() : pair(new vn::Style, new vn::Font) {
    pair.font->release();
    pair.style->release();
  }
  vn::Font& font() { return *pair.font; }
  vn::Style& style() { return *pair.style; }
  vn::Glyph* glyph(const std::string& name) { return pair.font->glyphByName(name); }
  std::vector<std::string> glyphNames() const {
    std::vector<std::string> names;
    for (const vn::Glyph* g : pair.font->glyphs) names.push_back(g->name);
    return names;
  }
  vn::Glyph& addGlyph(const std::string& name, double width = 500) {
    auto* glyph = new vn::Glyph;
    glyph->setName(name);
    glyph->advanceWidth = width;
    pair.font->appendGlyph(glyph);
    return *glyph;
  }
  FontStylePair pair;
};

inline vn::Node node(int32_t type, double x, double y, const std::string& name = {}, uint8_t flags = 0) {
  vn::Node n;
  n.type = type;
  n.x = x;
  n.y = y;
  n.flags = flags;
  n.name = name;
  return n;
}

inline vn::Contour contour(std::vector<vn::Node> nodes, bool open = false) {
  vn::Contour c;
  c.flag = open ? 1 : 0;
  c.nodes.assign(nodes.begin(), nodes.end());
  return c;
}

// A closed square whose last node repeats the first.
inline vn::Contour square(double x, double y, double size) {
  return contour({node(vn::Node::kMove, x, y), node(vn::Node::kOnCurve, x + size, y),
                  node(vn::Node::kOnCurve, x + size, y + size), node(vn::Node::kOnCurve, x, y + size),
                  node(vn::Node::kOnCurve, x, y)});
}

// A fresh folder under the system's temporary folder, removed with the object.
class TempFolder {
 public:
  TempFolder() {
    static int counter = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("tarnwick_ufo_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

inline const char* const kPlistHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">\n";

// A property list whose top dict holds the given body.
inline std::string plist(const std::string& dictBody) {
  return std::string(kPlistHead) + "<dict>\n" + dictBody + "</dict>\n</plist>\n";
}

inline std::string glif(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<glyph name=\"x\" format=\"1\">\n" + body + "</glyph>\n";
}

// A UFO 2 folder "font.ufo" (with its metainfo) under a temporary folder.
class TempUfo {
 public:
  TempUfo() {
    std::filesystem::create_directories(folder() / "glyphs");
    write("metainfo.plist", plist("<key>creator</key><string>test</string>\n"
                                  "<key>formatVersion</key><integer>2</integer>\n"));
  }
  void write(const std::string& member, const std::string& text) const {
    const auto path = folder() / member;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }
  void remove(const std::string& member) const { std::filesystem::remove(folder() / member); }
  // Glyphs by name -> file, in this order.
  void contents(const std::vector<std::pair<std::string, std::string>>& entries) const {
    std::string body;
    for (const auto& [name, file] : entries) body += "<key>" + name + "</key><string>" + file + "</string>\n";
    write("glyphs/contents.plist", plist(body));
  }
  // Empty glyphs of these names, in this order.
  void glyphs(const std::vector<std::string>& names) const {
    std::vector<std::pair<std::string, std::string>> entries;
    for (const std::string& name : names) {
      entries.emplace_back(name, "g" + std::to_string(entries.size()) + ".glif");
      write("glyphs/" + entries.back().second, glif(""));
    }
    contents(entries);
  }
  std::filesystem::path root() const { return temp_.path(); }
  std::filesystem::path folder() const { return temp_.path() / "font.ufo"; }
  std::string folderPath() const { return folder().string() + "/"; }

 private:
  TempFolder temp_;
};

// A fresh pair read from a folder, with the console lines of the read.
struct ReadResult : BuiltFont {
  ufo::PListNode lib{ufo::plist::kDict};
  bool ok = false;
  std::string out, err;  // standard output and error during the read
};

inline void readUfo(const std::string& folderPath, ReadResult& result, const vn::ImportOptions* options = nullptr) {
  std::ostringstream out, err;
  auto* oldOut = std::cout.rdbuf(out.rdbuf());
  auto* oldErr = std::cerr.rdbuf(err.rdbuf());
  result.ok = ufo::Parser().read(result.pair, &result.lib, folderPath, options);
  std::cout.rdbuf(oldOut);
  std::cerr.rdbuf(oldErr);
  result.out = out.str();
  result.err = err.str();
}
inline void readUfo(const TempUfo& ufo, ReadResult& result) { readUfo(ufo.folderPath(), result); }

// The console lines without the one that names the fontinfo values a small test font
// leaves to their defaults (creation time, style-linking names, blue pair).
inline std::string withoutFontInfoChanges(const std::string& out) {
  std::string kept;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    if (!line.starts_with(std::string("Warning: ") + ufo::warning::kFontInfoChangesLine)) kept += line + "\n";
  }
  return kept;
}

// Every glyph pair the kerning expands to, by names.
using FlatKerning = std::map<std::pair<std::string, std::string>, double>;
inline FlatKerning flatKerning(vn::Font& font) {
  std::list<vn::NamedGlyphPair> pairs;
  font.kerning().flatGlyphPairs(pairs);
  FlatKerning flat;
  for (const auto& p : pairs) flat[{p.first, p.second}] = p.value;
  return flat;
}

// The driver's sequence: prepareLib, addGlyphOrder, write.
inline bool writeUfo(FontStylePair& pair, const std::filesystem::path& ufo, ufo::WriterOptions options = {}) {
  std::filesystem::create_directories(ufo);
  ufo::Writer writer;
  ufo::PListNode root(ufo::plist::kDict, std::string(), std::string());
  writer.prepareLib(pair, &options, &root);
  writer.addGlyphOrder(pair, &root);
  return writer.write(pair, ufo.string() + "/", &options, &root);
}

inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline int countOf(const std::string& text, const std::string& needle) {
  int count = 0;
  for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++count;
  return count;
}

// Every file under the folder, as sorted paths relative to it.
inline std::vector<std::string> listFiles(const std::filesystem::path& folder) {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) files.push_back(std::filesystem::relative(entry.path(), folder).string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

inline std::string shellQuote(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// Runs a shell command, its standard output into `output`; the exit status, or -1.
inline int runCommand(const std::string& command, std::string* output) {
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return -1;
  char buffer[4096];
  for (size_t count; (count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    if (output) output->append(buffer, count);
  }
  const int status = ::pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline bool haveFontTools() {
  return runCommand(std::string(TARNWICK_PYTHON) + " -c 'import fontTools.ufoLib' 2>/dev/null", nullptr) == 0;
}

// The program with the arguments (already quoted where needed): exit status, and
// standard output and error together.
struct Run {
  int code = -1;
  std::string out;
};
inline Run tarnwick(const std::string& arguments) {
  Run run;
  run.code = runCommand(shellQuote(TARNWICK_EXE) + " " + arguments + " 2>&1", &run.out);
  return run;
}

// A glyph file with the given elements inside <glyph>.
inline std::string glif(const std::string& name, const std::string& inner, int format = 1) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<glyph name=\"" + name + "\" format=\"" +
         std::to_string(format) + "\">\n<advance width=\"500\"/>\n" + inner + "\n</glyph>\n";
}

struct GlyphFile {
  std::string name;
  std::string text;  // the whole .glif file; empty: listed in contents.plist without a file
};

// A UFO 2 folder: fontinfo, lib, kerning and groups as dict bodies (empty: no file), the
// glyphs in "glyphs/<name>.glif".
inline void writeUfo(const std::filesystem::path& ufo, const std::string& fontinfo,
                     const std::vector<GlyphFile>& glyphs, const std::string& lib = {},
                     const std::string& kerning = {}, const std::string& groups = {}) {
  auto write = [&](const std::filesystem::path& member, const std::string& text) {
    std::filesystem::create_directories((ufo / member).parent_path());
    std::ofstream(ufo / member, std::ios::binary) << text;
  };
  write("metainfo.plist", plist("<key>creator</key><string>test</string><key>formatVersion</key><integer>2</integer>"));
  write("fontinfo.plist", plist(fontinfo));
  const std::pair<const char*, const std::string*> lists[] = {
      {"lib.plist", &lib}, {"kerning.plist", &kerning}, {"groups.plist", &groups}};
  for (const auto& [member, body] : lists) {
    if (!body->empty()) write(member, plist(*body));
  }
  std::string contents;
  for (const GlyphFile& glyph : glyphs) {
    contents += "<key>" + glyph.name + "</key><string>" + glyph.name + ".glif</string>";
    if (!glyph.text.empty()) write("glyphs/" + glyph.name + ".glif", glyph.text);
  }
  write("glyphs/contents.plist", plist(contents));
}

// "in.ufo" in the folder -> "font.qtf" -> "back.ufo"; the two runs.
inline std::pair<Run, Run> convertBothWays(const TempFolder& folder) {
  const auto path = [&](const char* name) { return shellQuote((folder.path() / name).string()); };
  Run there = tarnwick("-fo " + path("in.ufo") + " " + path("font.qtf"));
  return {there, tarnwick("-fo " + path("font.qtf") + " " + path("back.ufo"))};
}

// The "Warning: " lines of a run's output, each ended by a line feed.
inline std::string warningLines(const std::string& out) {
  std::string lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("Warning: ")) lines += line + "\n";
  }
  return lines;
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


// Judges a written UFO with independent tools: xmllint over every XML file, then
// fontTools' validating reader over everything. Gives the reader's JSON summary
// (data/writer_read_ufo.py); failures are recorded in the running test.
inline std::string readBackIndependently(const std::filesystem::path& ufo) {
  std::string lint, json;
  EXPECT_EQ(runCommand("find " + shellQuote(ufo.string()) +
                           " -type f ! -name '*.fea' -print0 | xargs -0 xmllint --noout 2>&1",
                       &lint),
            0)
      << lint.substr(0, 2000);
  EXPECT_EQ(runCommand(std::string(TARNWICK_PYTHON) + " " + shellQuote(std::string(kDataDir) + "/writer_read_ufo.py") +
                           " " + shellQuote(ufo.string()) + " 2>&1",
                       &json),
            0)
      << json.substr(0, 2000);
  return json;
}

}  // namespace ufotest

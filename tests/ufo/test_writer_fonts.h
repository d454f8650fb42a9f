// Fonts built in code for the UFO writer tests, and helpers that write them and read
// the written files back.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "model/font.h"
#include "model/font_style_pair.h"
#include "model/style.h"
#include "ufo/plist_node.h"
#include "ufo/writer.h"

namespace writertest {

// The test data of this folder.
inline constexpr const char* kDataDir = TARNWICK_SOURCE_DIR "/tests/ufo/data";

// A font and a style held only by the pair.
struct BuiltFont {
  BuiltFont() : pair(new vn::Style, new vn::Font) {
    pair.font->release();
    pair.style->release();
  }
  vn::Font& font() { return *pair.font; }
  vn::Style& style() { return *pair.style; }

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

// A fresh folder under the system's temporary folder, removed at the end of the test.
class TempFolder {
 public:
  TempFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = "tarnwick_ufowrite_";
    if (info) name += std::string(info->test_suite_name()) + "_" + info->name();
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    path_ = std::filesystem::temp_directory_path() / (name + "_" + std::to_string(::getpid()));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    if (std::getenv("TARNWICK_KEEP_TEST_OUTPUT")) return;  // for looking at the files by hand
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

// The driver's sequence: prepareLib, addGlyphOrder, write into `folder`/Font.ufo.
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

inline std::string dataFile(const std::string& name) {
  return readFile(std::filesystem::path(kDataDir) / name);
}

// Every file under the folder, as paths relative to it, sorted.
inline std::vector<std::string> listFiles(const std::filesystem::path& folder) {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) files.push_back(std::filesystem::relative(entry.path(), folder).string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Runs a shell command; its standard output goes to `output`. The exit status, or -1
// when the command could not be started.
inline int runCommand(const std::string& command, std::string* output) {
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return -1;
  char buffer[4096];
  size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
    if (output) output->append(buffer, count);
  }
  const int status = ::pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline std::string shellQuote(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  return out + "'";
}

inline bool haveFontTools() {
  return runCommand(std::string(TARNWICK_PYTHON) + " -c 'import fontTools.ufoLib' 2>/dev/null", nullptr) == 0;
}

// Checks a written UFO with independent tools: xmllint over every XML file, then
// fontTools' validating reader over everything. Gives the reader's JSON summary
// (writer_read_ufo.py); failures are recorded in the running test.
inline std::string readBackIndependently(const std::filesystem::path& ufo) {
  std::string lint;
  EXPECT_EQ(runCommand("find " + shellQuote(ufo.string()) +
                           " -type f ! -name '*.fea' -print0 | xargs -0 xmllint --noout 2>&1",
                       &lint),
            0)
      << lint.substr(0, 2000);
  std::string json;
  const std::string script = std::string(kDataDir) + "/writer_read_ufo.py";
  EXPECT_EQ(runCommand(std::string(TARNWICK_PYTHON) + " " + shellQuote(script) + " " + shellQuote(ufo.string()) +
                           " 2>&1",
                       &json),
            0)
      << json.substr(0, 2000);
  return json;
}

}  // namespace writertest

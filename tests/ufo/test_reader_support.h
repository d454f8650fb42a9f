// UFO folders written in code for the reader tests, and a read that captures the
// console lines.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "model/font.h"
#include "model/font_style_pair.h"
#include "model/style.h"
#include "ufo/parser.h"
#include "ufo/plist_node.h"

namespace readertest {

inline const char* const kPlistHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">\n";

// A property list whose top dict holds the given body.
inline std::string plist(const std::string& dictBody) {
  return std::string(kPlistHead) + "<dict>\n" + dictBody + "</dict>\n</plist>\n";
}

inline std::string glif(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<glyph name=\"x\" format=\"1\">\n" + body +
         "</glyph>\n";
}

// A UFO folder under a fresh temporary folder; removed with the object.
class TempUfo {
 public:
  TempUfo() {
    static int counter = 0;
    root_ = std::filesystem::temp_directory_path() /
            ("tw_reader_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_ / "font.ufo" / "glyphs");
    write("metainfo.plist", plist("<key>creator</key><string>test</string>\n"
                                  "<key>formatVersion</key><integer>2</integer>\n"));
  }
  ~TempUfo() { std::filesystem::remove_all(root_); }
  TempUfo(const TempUfo&) = delete;
  TempUfo& operator=(const TempUfo&) = delete;

  void write(const std::string& member, const std::string& text) const {
    const auto path = folder() / member;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << text;
  }
  void remove(const std::string& member) const { std::filesystem::remove(folder() / member); }

  // Glyphs by name -> file, in this order.
  void contents(const std::vector<std::pair<std::string, std::string>>& entries) const {
    std::string body;
    for (const auto& [name, file] : entries) body += "<key>" + name + "</key><string>" + file + "</string>\n";
    write("glyphs/contents.plist", plist(body));
  }

  std::filesystem::path root() const { return root_; }
  std::filesystem::path folder() const { return root_ / "font.ufo"; }
  std::string folderPath() const { return folder().string() + "/"; }

 private:
  std::filesystem::path root_;
};

// A fresh pair, read from the folder; the console lines are kept.
struct ReadResult {
  ReadResult() : pair(new vn::Style, new vn::Font), lib(ufo::plist::kDict) {
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

  FontStylePair pair;
  ufo::PListNode lib;
  bool ok = false;
  std::string out;  // standard output during the read
  std::string err;  // standard error during the read
};

inline void readUfo(const TempUfo& ufo, ReadResult& result, const vn::ImportOptions* options = nullptr) {
  std::ostringstream out, err;
  auto* oldOut = std::cout.rdbuf(out.rdbuf());
  auto* oldErr = std::cerr.rdbuf(err.rdbuf());
  ufo::Parser parser;
  result.ok = parser.read(result.pair, &result.lib, ufo.folderPath(), options);
  std::cout.rdbuf(oldOut);
  std::cerr.rdbuf(oldErr);
  result.out = out.str();
  result.err = err.str();
}

inline int countLines(const std::string& text, const std::string& needle) {
  int count = 0;
  for (std::size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++count;
  return count;
}

}  // namespace readertest

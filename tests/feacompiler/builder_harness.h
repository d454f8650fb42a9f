// Drives the GSUB, GPOS and GDEF builders through their entry points with hand-made glyph
// patterns, and judges the tables they write with fontTools.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <deque>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "feacompiler/core_context.h"
#include "feacompiler/glyph_node.h"
#include "feacompiler/tables/table_modules.h"

namespace builder_test {

struct Fatal {
  std::string text;
};

class TestClient : public fea::FeaClient {
 public:
  [[noreturn]] void fatal() override { throw Fatal{last}; }
  void message(int level, const std::string& text) override {
    messages.push_back(std::to_string(level) + " " + text);
    last = text;
  }
  void outPut1(uint8_t byte) override { out.push_back(static_cast<char>(byte)); }
  void outWriteN(size_t count, const uint8_t* data) override {
    out.append(reinterpret_cast<const char*>(data), count);
  }
  uint32_t outTell() override { return static_cast<uint32_t>(out.size()); }
  void outSeek(uint32_t position) override { out.resize(position); }
  bool featOpen(const char*, long, std::string&) override { return false; }
  const char* featRefill(size_t& count) override {
    count = 0;
    return nullptr;
  }
  void featClose() override {}
  uint32_t glyphLookup(const char*) override { return 0xFFFF; }

  std::string out;
  std::string last;
  std::vector<std::string> messages;
};

// Serves one feature text to the feature layer of a core the test owns.
class FeedClient : public TestClient {
 public:
  explicit FeedClient(std::string text) : text_(std::move(text)) {}
  bool featOpen(const char* name, long, std::string& opened) override {
    if (name) return false;
    opened = "features";
    served_ = false;
    return true;
  }
  const char* featRefill(size_t& count) override {
    count = served_ ? 0 : text_.size();
    served_ = true;
    return count ? text_.data() : nullptr;
  }

 private:
  std::string text_;
  bool served_ = false;
};

constexpr uint32_t tag(const char (&t)[5]) {
  return (uint32_t(uint8_t(t[0])) << 24) | (uint32_t(uint8_t(t[1])) << 16) |
         (uint32_t(uint8_t(t[2])) << 8) | uint32_t(uint8_t(t[3]));
}
constexpr uint32_t kDflt = 0x20202020;

// A core with glyphs ".notdef", then the given names, then "g0".."g<extra-1>".
class Harness {
 public:
  explicit Harness(std::vector<std::string> names, int extra = 0) {
    names_.push_back(".notdef");
    for (auto& n : names) names_.push_back(n);
    for (int i = 0; i < extra; ++i) names_.push_back("g" + std::to_string(i));
    g = fea::coreNew(&client);
    g->fontName = "Font";
    g->glyphs.resize(names_.size());
    for (size_t i = 0; i < names_.size(); ++i) g->glyphs[i].name = names_[i].c_str();
  }
  ~Harness() {
    fea::coreFree(g);
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }

  uint16_t id(const std::string& name) const {
    for (size_t i = 0; i < names_.size(); ++i) {
      if (names_[i] == name) return static_cast<uint16_t>(i);
    }
    ADD_FAILURE() << "no glyph " << name;
    return 0;
  }

  // One element: a glyph, or a class when several names are given.
  fea::GlyphNode* el(std::initializer_list<const char*> glyphs, uint16_t flags = 0) {
    fea::GlyphNode* first = nullptr;
    fea::GlyphNode** place = &first;
    for (const char* n : glyphs) {
      fea::GlyphNode& node = nodes_.emplace_back();
      node.gid = id(n);
      *place = &node;
      place = &node.nextCl;
    }
    first->flags = static_cast<uint16_t>(flags | (glyphs.size() > 1 ? fea::GN_CLASS : 0));
    return first;
  }
  fea::GlyphNode* cls(const std::vector<uint16_t>& gids) {
    fea::GlyphNode* first = nullptr;
    fea::GlyphNode** place = &first;
    for (uint16_t gid : gids) {
      fea::GlyphNode& node = nodes_.emplace_back();
      node.gid = gid;
      *place = &node;
      place = &node.nextCl;
    }
    first->flags = fea::GN_CLASS;
    return first;
  }
  // A pattern of elements in order.
  fea::GlyphNode* seq(std::initializer_list<fea::GlyphNode*> elements) {
    fea::GlyphNode* prev = nullptr;
    for (fea::GlyphNode* e : elements) {
      if (prev) prev->nextSeq = e;
      prev = e;
    }
    return *elements.begin();
  }
  fea::FeatValueRecord* value(std::initializer_list<int16_t> numbers) {
    fea::FeatValueRecord& v = values_.emplace_back();
    v.count = static_cast<uint8_t>(numbers.size());
    int i = 0;
    for (int16_t n : numbers) v.values[i++] = n;
    return &v;
  }
  // A mark class with one anchor for all its glyphs.
  fea::GlyphNode* markClass(std::initializer_list<const char*> glyphs, int16_t x, int16_t y,
                            const char* name) {
    fea::GlyphNode* c = el(glyphs);
    for (fea::GlyphNode* n = c; n; n = n->nextCl) n->anchor = anchor(x, y);
    c->markClassName = name;
    return c;
  }
  static fea::GpsAnchor anchor(int16_t x, int16_t y, fea::GlyphNode* markClass = nullptr,
                               int component = 0) {
    fea::GpsAnchor a;
    a.x = x;
    a.y = y;
    a.format = 1;
    a.markClass = markClass;
    a.componentIndex = component;
    return a;
  }

  // Fills and writes the three tables into a fresh folder; returns it.
  std::string writeTables() {
    namespace fs = std::filesystem;
    dir_ = fs::temp_directory_path() / ("builder_test_" + std::to_string(getpid()) + "_" +
                                        std::to_string(reinterpret_cast<uintptr_t>(this)));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    int gpos = fea::GPOSFill(g);
    int gsub = fea::GSUBFill(g);
    int gdef = fea::GDEFFill(g);
    auto put = [&](int has, void (*write)(fea::coreContext*), const char* name) {
      if (!has) return;
      client.out.clear();
      write(g);
      std::ofstream(dir_ / name, std::ios::binary) << client.out;
      tables[name] = client.out;
    };
    put(gsub, fea::GSUBWrite, "GSUB");
    put(gpos, fea::GPOSWrite, "GPOS");
    put(gdef, fea::GDEFWrite, "GDEF");
    std::ofstream glyphs(dir_ / "glyphs.txt");
    for (auto& n : names_) glyphs << n << "\n";
    return dir_.string();
  }

  // Runs the judge; returns its output and sets ok to its exit status == 0.
  std::string judge(const std::string& args, bool* ok = nullptr) {
    std::string cmd = std::string(TARNWICK_PYTHON) + " " + TARNWICK_TEST_DATA_DIR +
                      "/builder_judge.py " + args + " 2>&1";
    std::string output;
    FILE* p = popen(cmd.c_str(), "r");
    char buf[4096];
    size_t n;
    while (p && (n = fread(buf, 1, sizeof buf, p)) > 0) output.append(buf, n);
    int rc = p ? pclose(p) : -1;
    if (ok) *ok = rc == 0;
    return output;
  }
  std::string dump() {
    std::string dir = writeTables();
    return judge("dump " + dir + "/glyphs.txt " + dir);
  }

  TestClient client;
  fea::coreContext* g = nullptr;
  std::map<std::string, std::string> tables;

 private:
  std::vector<std::string> names_;
  std::deque<fea::GlyphNode> nodes_;
  std::deque<fea::FeatValueRecord> values_;
  std::filesystem::path dir_;
};

inline bool judgesPresent() {
  return std::system("/usr/bin/python3 -c 'import fontTools' >/dev/null 2>&1") == 0;
}

}  // namespace builder_test

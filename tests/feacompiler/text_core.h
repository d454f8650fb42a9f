// Compiles a feature text into a compiler core of its own, through the same steps as a
// compile (glyph mapping, lexer, grammar, feature layer, fills), and keeps the core so a test
// can read what the modules stored.
#pragma once

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "builder_harness.h"
#include "feacompiler/feat_context.h"
#include "feacompiler/glyph_map.h"

namespace text_core {

// A client that hands out the text as the caller's feature file.
class TextClient : public builder_test::TestClient {
 public:
  explicit TextClient(std::string text) : text_(std::move(text)) {}
  bool featOpen(const char* name, long offset, std::string& opened) override {
    if (name) return false;  // no include files here
    pos_ = std::min(static_cast<size_t>(offset), text_.size());
    opened = "features";
    return true;
  }
  const char* featRefill(size_t& count) override {
    count = std::min<size_t>(512, text_.size() - pos_);
    const char* block = text_.data() + pos_;
    pos_ += count;
    return count ? block : nullptr;
  }
  void featClose() override {}

 private:
  std::string text_;
  size_t pos_ = 0;
};

struct Glyph {
  std::string name;
  std::vector<uint32_t> codes;  // Unicode values, first one first
};

class CompiledText {
 public:
  CompiledText(const std::string& text, std::vector<Glyph> glyphs)
      : client(text), glyphs_(std::move(glyphs)) {
    g = fea::coreNew(&client);
    g->fontName = "Font";
    g->glyphs.assign(glyphs_.size(), fea::GlyphRecord());
    for (size_t i = 0; i < glyphs_.size(); ++i) {
      g->glyphs[i].name = glyphs_[i].name.c_str();
      if (!glyphs_[i].codes.empty()) g->glyphs[i].code = glyphs_[i].codes[0];
    }
    try {
      fea::mapSetup(g);
      for (size_t i = 0; i < glyphs_.size(); ++i) {
        for (size_t k = 1; k < glyphs_[i].codes.size(); ++k)
          fea::mapAddUV(g, static_cast<uint16_t>(i), glyphs_[i].codes[k]);
      }
      fea::mapCheck(g);
      fea::featFill(g);
      fea::GPOSFill(g);
      fea::GSUBFill(g);
      fea::GDEFFill(g);
    } catch (const builder_test::Fatal& f) {
      failed = true;
      fatal = f.text;
    }
  }
  // Glyphs without Unicode values.
  CompiledText(const std::string& text, const std::vector<std::string>& names)
      : CompiledText(text, named(names)) {}
  ~CompiledText() { fea::coreFree(g); }
  CompiledText(const CompiledText&) = delete;
  CompiledText& operator=(const CompiledText&) = delete;

  // Messages of the levels shown on the console (errors and fatal), "level text" each.
  std::vector<std::string> shown() const {
    std::vector<std::string> out;
    for (const std::string& m : client.messages) {
      if (m[0] >= '2') out.push_back(m);
    }
    return out;
  }

  TextClient client;
  fea::coreContext* g = nullptr;
  bool failed = false;
  std::string fatal;

 private:
  static std::vector<Glyph> named(const std::vector<std::string>& names) {
    std::vector<Glyph> out;
    for (const std::string& n : names) out.push_back({n, {}});
    return out;
  }
  std::vector<Glyph> glyphs_;
};

}  // namespace text_core

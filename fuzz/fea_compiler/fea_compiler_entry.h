// The feature-compiler fuzz entry: feature text in, compiled against a fixed glyph order.
// Rejected texts are fine; a crash, hang or leak is not.
#pragma once

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "feacompiler/fea_compiler.h"
#include "model/glyph.h"
#include "model/object.h"

namespace fuzz {

inline bool feaCompilerEntry(const std::uint8_t* data, std::size_t size) {
  static const std::vector<vn::Ref<vn::Glyph>> owned = [] {
    std::vector<vn::Ref<vn::Glyph>> glyphs;
    std::vector<std::string> names = {".notdef", "space", "f_i", "f_f_i", "acutecomb",
                                      "gravecomb", "zero", "one", "one.alt"};
    for (char c = 'A'; c <= 'Z'; ++c) names.push_back(std::string(1, c));
    for (char c = 'a'; c <= 'z'; ++c) names.push_back(std::string(1, c));
    for (const std::string& n : names) {
      glyphs.push_back(vn::Ref<vn::Glyph>::adopt(new vn::Glyph()));
      glyphs.back()->name = n;
    }
    return glyphs;
  }();
  std::vector<vn::Glyph*> glyphs;
  for (const auto& g : owned) glyphs.push_back(g.get());
  std::istringstream text(std::string(reinterpret_cast<const char*>(data), size));
  fea::FeaCompiler compiler("fuzz");
  // Includes resolve inside a folder that does not exist.
  compiler.setIncludeFolders({{"/nonexistent-fea-include-folder", {}, false}});
  try {
    compiler.compile(0, &glyphs, &text);
  } catch (const fea::FeaCompilerException&) {
    return true;
  }
  return true;
}

}  // namespace fuzz

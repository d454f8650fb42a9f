// What the feature-text writer benchmarks share: a font of the glyphs .notdef, g1 and g2
// whose layout is read from a layout XML document, and the time of writing its feature
// text, best of three.
#pragma once

#include <chrono>
#include <cstdio>
#include <sstream>
#include <string>

#include "layout/layout_fea.h"
#include "model/font.h"
#include "model/glyph.h"
#include "model/object.h"

namespace bench {

struct FeaTextTiming {
  double milliseconds = -1;
  size_t bytes = 0;
};

// False, with the reason on the standard error stream, when the document is refused or
// the text is not written.
inline bool timeFeatureText(const std::string& document, FeaTextTiming& timing) {
  vn::Ref<vn::Font> font = vn::Ref<vn::Font>::adopt(new vn::Font());
  for (const char* name : {".notdef", "g1", "g2"}) {
    auto* glyph = new vn::Glyph();
    glyph->name = name;
    font->appendGlyph(glyph);
  }
  otl::LayoutFea layout(font.get(), "");
  std::istringstream in(document);
  if (!layout.loadLayoutXml(in)) {
    std::fprintf(stderr, "the layout document was refused\n");
    return false;
  }
  for (int run = 0; run < 3; ++run) {
    std::ostringstream text;
    const auto start = std::chrono::steady_clock::now();
    if (!layout.writeFeatureFile(text, vn::FeatureWriteOptions{})) {
      std::fprintf(stderr, "the feature text was not written\n");
      return false;
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (timing.milliseconds < 0 || ms < timing.milliseconds) timing.milliseconds = ms;
    timing.bytes = text.str().size();
  }
  return true;
}

}  // namespace bench

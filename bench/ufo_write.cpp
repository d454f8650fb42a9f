// Writes a large synthetic native font for the native -> UFO benchmark
// (bench/run-ufo-write): many glyphs with contours of lines, curves and quadratic
// points, components, stem hints, guides and kerning pairs.
//
//   ufo_write_font <output.qtf> [glyph count]
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "qtf_builder.h"

namespace {

using namespace qtftest;

Bytes glyphOutline(int32_t seed) {
  ElementBuilder element;
  for (int32_t c = 0; c < 3; ++c) {
    const int32_t x = 40 + c * 150 + seed % 17;
    element.moveTo(x, 0)
        .lineTo(x + 100, 0)
        .curveTo(x + 120, 80, x + 110, 20, x + 125, 50)
        .lineTo(x + 100, 700)
        .quadTo(x + 50, 740)
        .lineTo(x, 700)
        .curveTo(x - 10, 350, x - 5, 600, x - 12, 450);
  }
  return element.bytes();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s output.qtf [glyph count]\n", argv[0]);
    return 2;
  }
  const int32_t glyphs = argc > 2 ? std::atoi(argv[2]) : 20000;
  const Bytes hints = hintsPayload({{{{0, 20}}}, {{{680, 20}}}}, {{{{40, 90}}}}, {});
  const Bytes guides = guidesPayload({{{{500, 0}}}}, {});

  FileBuilder file;
  file.begin();
  for (int32_t i = 0; i < glyphs; ++i) {
    GlyphRecord glyph;
    glyph.name("glyph" + std::to_string(i) + (i % 3 == 0 ? ".alt" : "")).advance(600 + i % 50, 0);
    if (i % 5 == 4) {
      glyph.components({{i - 1, {{20, 0, 1.0, 1.0}}}, {i - 2, {{300, 10, 1.0, 1.0}}}});
    } else {
      glyph.element(glyphOutline(i)).hints(hints);
    }
    if (i % 10 == 0) glyph.guides(guides);
    if (i + 3 < glyphs) glyph.kerning({{i + 1, {-20 - i % 30}}, {i + 3, {15}}});
    file.glyph(glyph);
  }
  std::ofstream out(argv[1], std::ios::binary);
  out << file.end().str();
  return out ? 0 : 1;
}

// A glyph's run: advance width and rounded bounds, accented glyphs, the design-vector
// procedures and stand-alone metric charstrings.
#include <climits>
#include <cmath>

#include "feacompiler/tables/cff_charstring.h"

namespace fea {

namespace {

using cffrun::Run;
using cffrun::Vec;

constexpr double kAdvanceHeight = -1000.0;

// A value as a 16.16 number (what is not a number counts as 0).
double toFixed(double v) {
  if (std::isnan(v)) return 0.0;
  return std::clamp(std::round(v * 65536.0), -2147483648.0, 2147483647.0);
}

int16_t toInt16(double v) { return static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0)); }

// Nearest integer of the 16.16 value, halves upward.
int16_t nearest(double v) { return toInt16(std::floor(toFixed(v) / 65536.0 + 0.5)); }
int16_t fixedFloor(double v) { return toInt16(std::floor(toFixed(v) / 65536.0)); }
int16_t fixedCeil(double v) { return toInt16(std::ceil(toFixed(v) / 65536.0)); }

// The font dictionary of procedures and metric charstrings (none in an empty FDArray).
const CffFontDict* firstFont(const CffReaderState& s) {
  static const CffFontDict none;
  return s.fonts.empty() ? &none : &s.fonts.front();
}

void runCharstring(CffReaderState& s, Run& run, uint32_t gid) {
  uint32_t length = 0;
  const uint32_t at = s.indexElement(s.charStrings, gid, length);
  s.count = 0;
  run.exec(at, length, 0);
}

}  // namespace

void CffReaderState::runGlyph(uint32_t gid, CffGlyphInfo& info) {
  const CffFontDict& font = fonts[glyphs[gid].fd];
  Run run(*this, &font);
  runCharstring(*this, run, gid);
  const double width = run.hasWidthArg() ? run.width() : font.defaultWidth;
  if (run.seac && !widthOnly) {
    // Base and accent draw into the same bounds; the accent sits at the offset.
    run.seacDepth = 1;
    const uint32_t base = run.seacBase, accent = run.seacAccent;
    const auto offset = run.seacOffset;
    for (int part = 0; part < 2; ++part) {
      run.resetForAccent();
      run.setOffset(part == 0 ? Vec{} : offset);
      run.setFont(&fonts[glyphs[part == 0 ? base : accent].fd]);
      runCharstring(*this, run, part == 0 ? base : accent);
      if (run.seac && part == 1) break;
    }
  }
  info.hAdv = nearest(width);
  info.vAdv = nearest(kAdvanceHeight);
  if (!run.box().empty) {
    info.xMin = fixedFloor(run.box().xMin);
    info.yMin = fixedFloor(run.box().yMin);
    info.xMax = fixedCeil(run.box().xMax);
    info.yMax = fixedCeil(run.box().yMax);
  }
}

void CffReaderState::runProcedure(int32_t sid) {
  if (sid < 391) fail(cffmsg::kProc);
  uint32_t length = 0;
  const uint32_t at = indexElement(strings, static_cast<uint32_t>(sid - 391), length);
  Run run(*this, firstFont(*this));
  count = 0;
  run.exec(at, length, 0);
}

int cffExecMetric(CffReader& reader, const uint8_t* charstring, size_t length, int32_t* results,
                  int capacity) {
  CffReaderState& s = reader.state();
  if (!s.headerRead) s.readHeader();
  s.ownData = charstring;
  s.ownLength = length;
  s.metricMode = true;
  Run run(s, firstFont(s));
  s.count = 0;
  // Subroutine calls of a metric charstring would seek the font's data: keep the bytes own.
  run.exec(0, static_cast<uint32_t>(std::min<size_t>(length, UINT32_MAX)), 0);
  s.ownData = nullptr;
  s.ownLength = 0;
  s.metricMode = false;
  const int n = s.count;
  for (int i = 0; i < n && i < capacity; ++i)
    results[i] = static_cast<int32_t>(toFixed(s.stack[i]));
  s.count = 0;
  return n;
}

}  // namespace fea

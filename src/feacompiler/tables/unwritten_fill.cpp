// Fill, Write and Reuse of the unwritten table modules. They complete the registry rows;
// the compile calls only the GSUB, GPOS and GDEF ones, so none of this runs in a compile.
#include <algorithm>
#include <cstring>

#include "feacompiler/tables/unwritten_modules.h"

namespace fea {

namespace {

constexpr Fixed kVersion1 = 0x00010000;
constexpr int64_t kSeconds1904To1970 = 2082844800;  // 24107 days

void put16(coreContext* g, uint16_t v) {
  g->client->outPut1(static_cast<uint8_t>(v >> 8));
  g->client->outPut1(static_cast<uint8_t>(v));
}
void put32(coreContext* g, uint32_t v) {
  put16(g, static_cast<uint16_t>(v >> 16));
  put16(g, static_cast<uint16_t>(v));
}
void putS16(coreContext* g, int16_t v) { put16(g, static_cast<uint16_t>(v)); }

bool verticalApplies(const coreContext* g) {
  return (g->optionFlags & kOptVerticalMetrics) || (g->fontFlags & kFontCID);
}

int16_t vertOriginOf(const coreContext* g, const GlyphRecord& r) {
  return r.vOrigin == static_cast<int16_t>(kUnsetMetric) ? g->defaultVertOrigin : r.vOrigin;
}

uint16_t vertAdvanceOf(const coreContext* g, const GlyphRecord& r) {
  if (r.vAdvance == static_cast<int16_t>(kUnsetMetric)) return g->unitsPerEm;
  return static_cast<uint16_t>(-r.vAdvance);
}

// Of the trailing glyphs that share the last advance, only the first keeps a long metric.
template <class Advance, class Bearing>
void fillMetrics(coreContext* g, GrowArray<LongMetric>& longs, GrowArray<int16_t>& bearings,
                 Advance advance, Bearing bearing) {
  longs.count = 0;
  bearings.count = 0;
  size_t n = g->glyphs.size();
  size_t longCount = n;
  while (longCount > 1 && advance(g->glyphs[longCount - 2]) == advance(g->glyphs[n - 1]))
    --longCount;
  for (size_t i = 0; i < n; ++i) {
    const GlyphRecord& r = g->glyphs[i];
    if (i < longCount) *longs.next() = {advance(r), bearing(r)};
    else *bearings.next() = bearing(r);
  }
}

void writeMetrics(coreContext* g, const GrowArray<LongMetric>& longs,
                  const GrowArray<int16_t>& bearings) {
  for (long i = 0; i < longs.count; ++i) {
    put16(g, longs.array[i].advance);
    putS16(g, longs.array[i].sideBearing);
  }
  for (long i = 0; i < bearings.count; ++i) putS16(g, bearings.array[i]);
}

}  // namespace

void headMakeDate(int64_t unixTime, uint8_t date[8]) {
  uint32_t seconds = static_cast<uint32_t>(unixTime + kSeconds1904To1970);
  std::memset(date, 0, 8);
  for (int i = 0; i < 4; ++i) date[4 + i] = static_cast<uint8_t>(seconds >> (24 - 8 * i));
}

// CFF: the client would hand the font's CFF data over in chunks; it gives none.
void CFFWrite(coreContext*) {}

int VORGFill(coreContext* g) {
  if (!verticalApplies(g)) return 0;
  VORGContext& c = *g->vorg;
  c.major = 1;
  c.minor = 0;
  c.defaultVertOrigin = g->defaultVertOrigin;
  c.records.count = 0;
  for (size_t i = 0; i < g->glyphs.size(); ++i) {
    int16_t origin = vertOriginOf(g, g->glyphs[i]);
    if (origin != c.defaultVertOrigin) *c.records.next() = {static_cast<uint16_t>(i), origin};
  }
  c.numRecords = static_cast<uint16_t>(c.records.count);
  return 1;
}
void VORGWrite(coreContext* g) {
  const VORGContext& c = *g->vorg;
  put16(g, c.major);
  put16(g, c.minor);
  putS16(g, c.defaultVertOrigin);
  put16(g, c.numRecords);
  for (long i = 0; i < c.records.count; ++i) {
    put16(g, c.records.array[i].glyphId);
    putS16(g, c.records.array[i].vertOrigin);
  }
}
void VORGReuse(coreContext* g) { g->vorg->numRecords = 0; }

int vmtxFill(coreContext* g) {
  if (!verticalApplies(g)) return 0;
  fillMetrics(
      g, g->vmtx->vMetrics, g->vmtx->topSideBearing,
      [g](const GlyphRecord& r) { return vertAdvanceOf(g, r); },
      [g](const GlyphRecord& r) { return static_cast<int16_t>(vertOriginOf(g, r) - r.yMax); });
  return 1;
}
void vmtxWrite(coreContext* g) { writeMetrics(g, g->vmtx->vMetrics, g->vmtx->topSideBearing); }

int hmtxFill(coreContext* g) {
  fillMetrics(
      g, g->hmtx->hMetrics, g->hmtx->leftSideBearing,
      [](const GlyphRecord& r) { return r.hAdvance; },
      [](const GlyphRecord& r) { return r.xMin; });
  return 1;
}
void hmtxWrite(coreContext* g) { writeMetrics(g, g->hmtx->hMetrics, g->hmtx->leftSideBearing); }

int vheaFill(coreContext* g) {
  if (!verticalApplies(g)) return 0;
  VheaContext& c = *g->vhea;
  const VmtxContext& v = *g->vmtx;
  c = VheaContext{0x00011000, g->metrics.vertTypoAscender, g->metrics.vertTypoDescender,
                  g->metrics.vertTypoLineGap, 0, 0, 0, 0, 0, 1, 0, {0, 0, 0, 0}, 0,
                  static_cast<uint16_t>(v.vMetrics.count), g};
  // The vertical extremes the glyph records give: advances and top side bearings.
  for (long i = 0; i < v.vMetrics.count; ++i) {
    c.advanceHeightMax =
        std::max<int16_t>(c.advanceHeightMax, static_cast<int16_t>(v.vMetrics.array[i].advance));
    c.minTopSideBearing = i == 0 ? v.vMetrics.array[i].sideBearing
                                 : std::min(c.minTopSideBearing, v.vMetrics.array[i].sideBearing);
  }
  return 1;
}
void vheaWrite(coreContext* g) {
  const VheaContext& c = *g->vhea;
  put32(g, static_cast<uint32_t>(c.version));
  for (int16_t v : {c.vertTypoAscender, c.vertTypoDescender, c.vertTypoLineGap,
                    c.advanceHeightMax, c.minTopSideBearing, c.minBottomSideBearing,
                    c.yMaxExtent, c.caretSlopeRise, c.caretSlopeRun, c.caretOffset,
                    c.reserved[0], c.reserved[1], c.reserved[2], c.reserved[3],
                    c.metricDataFormat})
    putS16(g, v);
  put16(g, c.numOfLongVerMetrics);
}

int headFill(coreContext* g) {
  HeadContext& c = *g->head;
  c.version = kVersion1;
  c.fontRevision = g->fontRevision;
  c.checkSumAdjustment = 0;
  c.magicNumber = 0x5F0F3CF5;
  c.flags = 3;
  c.unitsPerEm = g->unitsPerEm;
  std::memset(c.created, 0, sizeof c.created);
  headMakeDate(g->timeStamp, c.modified);
  c.xMin = g->fontBBox[0];
  c.yMin = g->fontBBox[1];
  c.xMax = g->fontBBox[2];
  c.yMax = g->fontBBox[3];
  c.macStyle = g->fontFlags & 3;
  c.lowestRecPPEM = 3;
  c.fontDirectionHint = 2;
  c.indexToLocFormat = 0;
  c.glyphDataFormat = 0;
  return 1;
}
void headWrite(coreContext* g) {
  const HeadContext& c = *g->head;
  put32(g, static_cast<uint32_t>(c.version));
  put32(g, static_cast<uint32_t>(c.fontRevision));
  put32(g, c.checkSumAdjustment);
  put32(g, c.magicNumber);
  put16(g, c.flags);
  put16(g, c.unitsPerEm);
  g->client->outWriteN(8, c.created);
  g->client->outWriteN(8, c.modified);
  for (int16_t v : {c.xMin, c.yMin, c.xMax, c.yMax}) putS16(g, v);
  put16(g, c.macStyle);
  put16(g, c.lowestRecPPEM);
  for (int16_t v : {c.fontDirectionHint, c.indexToLocFormat, c.glyphDataFormat}) putS16(g, v);
}

int postFill(coreContext* g) {
  PostContext& c = *g->post;
  c.version = 0x00030000;
  c.italicAngle = g->italicAngle;
  c.underlineThickness = g->underlineThickness;
  c.underlinePosition = static_cast<int16_t>(g->underlinePosition + g->underlineThickness / 2);
  c.isFixedPitch = (g->fontFlags & kFontFixedPitch) ? 1 : 0;
  c.minMemType42 = c.maxMemType42 = c.minMemType1 = c.maxMemType1 = 0;
  return 1;
}
void postWrite(coreContext* g) {
  const PostContext& c = *g->post;
  put32(g, static_cast<uint32_t>(c.version));
  put32(g, static_cast<uint32_t>(c.italicAngle));
  putS16(g, c.underlinePosition);
  putS16(g, c.underlineThickness);
  for (uint32_t v : {c.isFixedPitch, c.minMemType42, c.maxMemType42, c.minMemType1,
                     c.maxMemType1})
    put32(g, v);
}

int maxpFill(coreContext* g) {
  g->maxp->version = 0x00005000;
  g->maxp->numGlyphs = static_cast<uint16_t>(g->glyphs.size());
  return 1;
}
void maxpWrite(coreContext* g) {
  put32(g, static_cast<uint32_t>(g->maxp->version));
  put16(g, g->maxp->numGlyphs);
}

// fvar and MMSD describe a multiple-master font's design space. The core holds no design
// axes or instances (no font this system reads is one), so their tables stay header-only.
int fvarFill(coreContext* g) {
  if (!(g->fontFlags & kFontMultipleMaster)) return 0;
  FvarContext& c = *g->fvar;
  c.version = kVersion1;
  c.offsetToData = 16;
  c.countSizePairs = 2;
  c.axisCount = static_cast<uint16_t>(c.axes.count);
  c.axisSize = 20;
  c.instanceCount = static_cast<uint16_t>(c.instances.count);
  c.instanceSize = static_cast<uint16_t>(4 * c.axisCount + 4);
  return 1;
}
void fvarWrite(coreContext* g) {
  const FvarContext& c = *g->fvar;
  put32(g, static_cast<uint32_t>(c.version));
  for (uint16_t v : {c.offsetToData, c.countSizePairs, c.axisCount, c.axisSize, c.instanceCount,
                     c.instanceSize})
    put16(g, v);
  for (long i = 0; i < c.axes.count; ++i) {
    const FvarAxis& a = c.axes.array[i];
    put32(g, a.tag);
    for (Fixed v : {a.minValue, a.defaultValue, a.maxValue}) put32(g, static_cast<uint32_t>(v));
    put16(g, a.flags);
    put16(g, a.nameId);
  }
  for (long i = 0; i < c.instances.count; ++i) {
    const FvarInstance& r = c.instances.array[i];
    put16(g, r.nameId);
    put16(g, r.flags);
    for (long k = 0; k < r.coords.count; ++k) put32(g, static_cast<uint32_t>(r.coords.array[k]));
  }
}

int MMSDFill(coreContext* g) {
  if (!(g->fontFlags & kFontMultipleMaster)) return 0;
  MMSDReuse(g);
  MMSDContext& c = *g->mmsd;
  c.version = kVersion1;
  c.flags = static_cast<uint16_t>((g->fontFlags >> 2) & 3);
  c.axisCount = c.instanceCount = c.styleCount = 0;
  c.axisSize = sizeof(MMSDAxis);
  c.instanceSize = sizeof(MMSDInstance);
  c.styleSize = sizeof(MMSDStyle);
  c.instanceOffset = c.styleOffset = 24;  // right after the header
  c.axes = static_cast<MMSDAxis*>(coreAlloc(g, sizeof(MMSDAxis)));
  c.instances = static_cast<MMSDInstance*>(coreAlloc(g, sizeof(MMSDInstance)));
  c.styles = static_cast<MMSDStyle*>(coreAlloc(g, sizeof(MMSDStyle)));
  return 1;
}
void MMSDWrite(coreContext* g) {
  const MMSDContext& c = *g->mmsd;
  put32(g, static_cast<uint32_t>(c.version));
  for (uint16_t v : {c.flags, c.axisCount, c.axisSize, c.instanceCount, c.instanceSize,
                     c.instanceOffset, c.styleCount, c.styleSize, c.styleOffset})
    put16(g, v);
}
void MMSDReuse(coreContext* g) {
  MMSDContext& c = *g->mmsd;
  coreRelease(g, c.axes);
  coreRelease(g, c.instances);
  coreRelease(g, c.styles);
  c.axes = nullptr;
  c.instances = nullptr;
  c.styles = nullptr;
}

}  // namespace fea

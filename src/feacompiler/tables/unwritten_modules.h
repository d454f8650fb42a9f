// The table modules the compile never writes: head, maxp, post, fvar, MMSD, CFF, hmtx, vhea,
// vmtx and VORG. They exist from the core's creation to its destruction; their Fill and
// Write complete the registry but nothing calls them.
#pragma once

#include <cstdint>

#include "feacompiler/core_context.h"
#include "feacompiler/grow_array.h"

namespace fea {

using Fixed = int32_t;  // 16.16

struct CFFTableContext {
  coreContext* g;
};

struct VORGRecord {
  uint16_t glyphId;
  int16_t vertOrigin;
};

struct VORGContext {
  uint16_t major, minor;
  int16_t defaultVertOrigin;
  uint16_t numRecords;
  GrowArray<VORGRecord> records;
  coreContext* g;
};

struct LongMetric {
  uint16_t advance;
  int16_t sideBearing;
};

struct VmtxContext {
  GrowArray<LongMetric> vMetrics;
  GrowArray<int16_t> topSideBearing;
  coreContext* g;
};

struct HmtxContext {
  GrowArray<LongMetric> hMetrics;
  GrowArray<int16_t> leftSideBearing;
  coreContext* g;
};

struct PostContext {
  Fixed version, italicAngle;
  int16_t underlinePosition, underlineThickness;
  uint32_t isFixedPitch, minMemType42, maxMemType42, minMemType1, maxMemType1;
  coreContext* g;
};

struct HeadContext {
  Fixed version, fontRevision;
  uint32_t checkSumAdjustment, magicNumber;
  uint16_t flags, unitsPerEm;
  uint8_t created[8], modified[8];
  int16_t xMin, yMin, xMax, yMax;
  uint16_t macStyle, lowestRecPPEM;
  int16_t fontDirectionHint, indexToLocFormat, glyphDataFormat;
  coreContext* g;
};

struct VheaContext {
  Fixed version;
  int16_t vertTypoAscender, vertTypoDescender, vertTypoLineGap, advanceHeightMax,
      minTopSideBearing, minBottomSideBearing, yMaxExtent, caretSlopeRise, caretSlopeRun,
      caretOffset, reserved[4], metricDataFormat;
  uint16_t numOfLongVerMetrics;
  coreContext* g;
};

struct MaxpContext {
  Fixed version;
  uint16_t numGlyphs;
  coreContext* g;
};

struct FvarAxis {
  uint32_t tag;
  Fixed minValue, defaultValue, maxValue;
  uint16_t flags, nameId;
};

struct FvarInstance {
  uint16_t nameId, flags;
  GrowArray<Fixed> coords;
};

struct FvarContext {
  Fixed version;
  uint16_t offsetToData, countSizePairs, axisCount, axisSize, instanceCount, instanceSize;
  GrowArray<FvarAxis> axes;
  GrowArray<FvarInstance> instances;
  coreContext* g;
};

struct MMSDAxis {
  uint16_t longLabel, shortLabel;  // offsets of the names
};
struct MMSDInstance {
  uint16_t nameOffset;
};
struct MMSDStyle {
  uint16_t nameOffset;
};

struct MMSDContext {
  Fixed version;
  uint16_t flags, axisCount, axisSize, instanceCount, instanceSize, instanceOffset,
      styleCount, styleSize, styleOffset;
  MMSDAxis* axes;
  MMSDInstance* instances;
  MMSDStyle* styles;
  coreContext* g;
};

// Registry operations.
void CFFNew(coreContext* g);
void CFFWrite(coreContext* g);
void CFFFree(coreContext* g);
void VORGNew(coreContext* g);
int VORGFill(coreContext* g);
void VORGWrite(coreContext* g);
void VORGReuse(coreContext* g);
void VORGFree(coreContext* g);
void vmtxNew(coreContext* g);
int vmtxFill(coreContext* g);
void vmtxWrite(coreContext* g);
void vmtxFree(coreContext* g);
void postNew(coreContext* g);
int postFill(coreContext* g);
void postWrite(coreContext* g);
void postFree(coreContext* g);
void headNew(coreContext* g);
int headFill(coreContext* g);
void headWrite(coreContext* g);
void headFree(coreContext* g);
void vheaNew(coreContext* g);
int vheaFill(coreContext* g);
void vheaWrite(coreContext* g);
void vheaFree(coreContext* g);
void hmtxNew(coreContext* g);
int hmtxFill(coreContext* g);
void hmtxWrite(coreContext* g);
void hmtxFree(coreContext* g);
void maxpNew(coreContext* g);
int maxpFill(coreContext* g);
void maxpWrite(coreContext* g);
void maxpFree(coreContext* g);
void fvarNew(coreContext* g);
int fvarFill(coreContext* g);
void fvarWrite(coreContext* g);
void fvarFree(coreContext* g);
void MMSDNew(coreContext* g);
int MMSDFill(coreContext* g);
void MMSDWrite(coreContext* g);
void MMSDReuse(coreContext* g);
void MMSDFree(coreContext* g);

// Seconds since 1904-01-01 of a Unix time stamp, as the 8-byte head date.
void headMakeDate(int64_t unixTime, uint8_t date[8]);

}  // namespace fea

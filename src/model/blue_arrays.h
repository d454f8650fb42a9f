// The flat PostScript blue arrays (BlueValues, OtherBlues, FamilyBlues,
// FamilyOtherBlues) built from the alignment zones of a hinting block, and the
// TrueType zones by kind.
#pragma once

#include <cstdint>
#include <vector>

#include "model/font_info.h"

namespace vn {

// Most values of BlueValues / FamilyBlues and of OtherBlues / FamilyOtherBlues.
inline constexpr size_t kMaxBlueValues = 14;
inline constexpr size_t kMaxOtherBlues = 10;

// Lower edge of the baseline pair BlueValues begin with when no zone gives one.
inline constexpr double kDefaultBlueBottom = -20.0;

// Each fills `out` (emptied first) and returns the number of values.
// BlueValues from zones2: the bottom zones whose top edge is 0 (-width, 0; the
// pair kDefaultBlueBottom, 0 when there is none, also for a font without zones), then
// the top zones (position, position + width).
int32_t blueValues(const FontHinting& hinting, std::vector<double>& out);
// True when zones2 has no bottom zone at the baseline, so BlueValues get the default pair.
bool addsDefaultBluePair(const FontHinting& hinting);
// OtherBlues from zones2: the bottom zones not at 0 (position - width, position).
int32_t otherBlues(const FontHinting& hinting, std::vector<double>& out);
// FamilyBlues from zones3: as blueValues, without the default pair.
int32_t familyBlues(const FontHinting& hinting, std::vector<double>& out);
// FamilyOtherBlues from zones3: the bottom zones not at 0, sorted ascending.
int32_t familyOtherBlues(const FontHinting& hinting, std::vector<double>& out);

// The zones of one blue array read back, pair by pair (a, b), appended to `zones`: with
// `firstIsBottom` (BlueValues, FamilyBlues) pair 0 is a bottom zone (position b) and the
// later pairs are top zones (position a); otherwise every pair is a bottom zone. The
// width is b - a; a last value without its pair is ignored.
void appendBlueZones(const std::vector<double>& values, bool firstIsBottom, std::vector<Zone>& zones);

// TrueType zones (the `zones` list) of the given kind byte.
uint32_t countZonesOfKind(const FontHinting& hinting, uint8_t kind);
// The n-th (from 0) TrueType zone of the kind, or null.
const Zone* nthZoneOfKind(const FontHinting& hinting, uint32_t n, uint8_t kind);

}  // namespace vn

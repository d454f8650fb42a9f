#include "model/blue_arrays.h"

#include <algorithm>
#include <compare>
#include <utility>

namespace vn {

namespace {

// Alignment zones as bottom pairs at the baseline followed by top pairs; both
// limited so the array stays within what a Type 1 private dictionary allows.
int32_t buildBlues(const std::vector<Zone>& zones, bool defaultBottom, std::vector<double>& out) {
  out.clear();
  out.reserve(kMaxBlueValues);
  for (const Zone& zone : zones) {
    if (out.size() + 2 > kMaxBlueValues) break;
    if (!zone.isTop() && zone.position == 0) {
      out.push_back(zone.position - zone.width);
      out.push_back(zone.position);
    }
  }
  // BlueValues always begin with a baseline pair: a font without one gets the default.
  if (defaultBottom && out.empty()) {
    out.push_back(kDefaultBlueBottom);
    out.push_back(0);
  }
  for (const Zone& zone : zones) {
    if (out.size() + 2 > kMaxBlueValues) break;
    if (zone.isTop()) {
      out.push_back(zone.position);
      out.push_back(zone.position + zone.width);
    }
  }
  return static_cast<int32_t>(out.size());
}

// Bottom zones away from the baseline, `lowFirst` giving the lower edge first.
void collectOtherBlues(const std::vector<Zone>& zones, bool lowFirst, std::vector<double>& out) {
  out.clear();
  out.reserve(kMaxOtherBlues);
  for (const Zone& zone : zones) {
    if (out.size() + 2 > kMaxOtherBlues) break;
    if (zone.isTop() || zone.position == 0) continue;
    const double low = zone.position - zone.width;
    out.push_back(lowFirst ? low : zone.position);
    out.push_back(lowFirst ? zone.position : low);
  }
}

}  // namespace

bool addsDefaultBluePair(const FontHinting& hinting) {
  return std::none_of(hinting.zones2.begin(), hinting.zones2.end(),
                      [](const Zone& zone) { return !zone.isTop() && zone.position == 0; });
}

int32_t blueValues(const FontHinting& hinting, std::vector<double>& out) {
  return buildBlues(hinting.zones2, true, out);
}

int32_t familyBlues(const FontHinting& hinting, std::vector<double>& out) {
  return buildBlues(hinting.zones3, false, out);
}

int32_t otherBlues(const FontHinting& hinting, std::vector<double>& out) {
  collectOtherBlues(hinting.zones2, true, out);
  return static_cast<int32_t>(out.size());
}

int32_t familyOtherBlues(const FontHinting& hinting, std::vector<double>& out) {
  collectOtherBlues(hinting.zones3, false, out);
  // A total order, so a NaN from a damaged file cannot upset the sort.
  std::sort(out.begin(), out.end(),
            [](double a, double b) { return std::strong_order(a, b) < 0; });
  return static_cast<int32_t>(out.size());
}

void appendBlueZones(const std::vector<double>& values, bool firstIsBottom, std::vector<Zone>& zones) {
  for (size_t i = 0; i + 1 < values.size(); i += 2) {
    const bool top = firstIsBottom && i > 0;
    Zone zone;
    zone.position = top ? values[i] : values[i + 1];
    zone.width = values[i + 1] - values[i];
    zone.kind = top ? 1 : 0;
    zones.push_back(std::move(zone));
  }
}

uint32_t countZonesOfKind(const FontHinting& hinting, uint8_t kind) {
  uint32_t count = 0;
  for (const Zone& zone : hinting.zones) count += zone.kind == kind ? 1 : 0;
  return count;
}

const Zone* nthZoneOfKind(const FontHinting& hinting, uint32_t n, uint8_t kind) {
  for (const Zone& zone : hinting.zones) {
    if (zone.kind != kind) continue;
    if (n == 0) return &zone;
    --n;
  }
  return nullptr;
}

}  // namespace vn

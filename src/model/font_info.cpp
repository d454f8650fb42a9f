#include "model/font_info.h"

#include "model/transfer.h"

namespace vn {

void FontNames::clear() {
  for (int i = 0; i < kFieldCount; ++i) field(i)->clear();
  version = "1.0";
  namedStrings.clear();
}

std::string FontNames::stringValue(const std::string& key) const {
  if (key.empty()) return std::string();
  auto found = namedStrings.find(key);
  return found != namedStrings.end() ? found->second : std::string();
}

std::string* FontNames::field(int index) {
  return const_cast<std::string*>(static_cast<const FontNames*>(this)->field(index));
}

const std::string* FontNames::field(int index) const {
  switch (index) {
    case 0: return &familyName;
    case 1: return &styleName;
    case 2: return &styleMapFamilyName;
    case 3: return &styleMapStyleName;
    case 4: return &fullName;
    case 5: return &fontName;
    case 6: return &macName;
    case 7: return &compatibleFullName;
    case 8: return &slopeName;
    case 9: return &weightName;
    case 10: return &widthName;
    case 11: return &spareName;
    case 12: return &version;
    default: return nullptr;
  }
}

FontMetrics::FontMetrics() {
  matrix = Matrix{};
  setUnitsPerEm(1000);
  weightValue = kDefaultWeightValue;
  widthValue = 5.0;
}

void FontMetrics::setUnitsPerEm(double u) {
  unitsPerEm = u;
  ascender = 0.75 * u;
  descender = -0.25 * u;
  typoLineGap = 0;
  winAscent = 0.75 * u;
  winDescent = 0.25 * u;
  capHeight = 0.75 * u;
  xHeight = 0.5 * u;
  italicAngle = 0;
  underlinePosition = -0.1 * u;
  underlineThickness = 0.05 * u;
  spareValue = 0;
}

bool FontMetrics::findNumber(const std::string& key, double* out) const {
  auto found = namedNumbers.find(key);
  if (found == namedNumbers.end()) return false;
  if (out) *out = found->second;
  return true;
}

double* FontMetrics::value(int index) {
  return const_cast<double*>(static_cast<const FontMetrics*>(this)->value(index));
}

const double* FontMetrics::value(int index) const {
  switch (index) {
    case 0: return &unitsPerEm;
    case 1: return &ascender;
    case 2: return &descender;
    case 3: return &typoLineGap;
    case 4: return &winAscent;
    case 5: return &winDescent;
    case 6: return &capHeight;
    case 7: return &xHeight;
    case 8: return &widthValue;
    case 9: return &weightValue;
    case 10: return &italicAngle;
    case 11: return &underlinePosition;
    case 12: return &underlineThickness;
    case 13: return &spareValue;
    default: return nullptr;
  }
}

void FontMetrics::transfer(Transfer& consumer) const {
  // Metric ids of the first thirteen stored values, in stored order.
  static constexpr int32_t kIds[13] = {0, 1, 2, 3, 4, 5, 7, 6, 10, 9, 8, 11, 12};
  for (int i = 0; i < 13; ++i) consumer.metric(kIds[i], *value(i));
  for (const auto& [key, number] : namedNumbers) consumer.namedMetric(key, number);
  consumer.transform(matrix);
}

int32_t GaspRange::flagMask() const {
  FontFlags4 packed;
  packed.flags = flags;
  return packed.toMask();
}

void GaspRange::setFlagMask(int32_t mask) {
  FontFlags4 packed;
  packed.fromMask(mask);
  flags = packed.flags;
}

StepMap stemStepsFromRounding(const StepMap& widthByPpem, bool& lost) {
  StepMap steps;
  for (const auto& [ppem, width] : widthByPpem) {
    if (width < 1 || width > kMaxRoundedStemWidth || !steps.emplace(width, ppem).second) lost = true;
  }
  return steps;
}

StepMap stemRoundingFromSteps(const StepMap& steps) {
  bool wider = false;
  for (const auto& [width, ppem] : steps) wider = wider || (width > 1 && width <= kMaxRoundedStemWidth && ppem != 0);
  StepMap rounding;
  for (const auto& [width, ppem] : steps) {
    if (width < 1 || width > kMaxRoundedStemWidth) continue;
    if (ppem != 0 || (width == 1 && wider)) rounding.emplace(ppem, width);
  }
  return rounding;
}

void FontHinting::setDefaults() {
  forceBold = 0;
  spareValue = 0.0;
  blueFuzz = 1;
  blueShift = 7;
  blueScale = 0.039625;
  flag1093 = 0;
  params4 = {48, 68, 0, 255};
}

void FontHinting::transfer(Transfer& consumer) const {
  struct StemList {
    const std::vector<Stem>* stems;
    int32_t a, b;
  };
  const StemList stemLists[4] = {{&stemsH, 1, 0}, {&stemsV, 0, 0}, {&stemsH2, 1, 1}, {&stemsV2, 0, 1}};
  for (const auto& list : stemLists) {
    for (const Stem& stem : *list.stems) consumer.stem(stem.width, list.a, list.b, stem, stem.steps);
  }
  struct ZoneList {
    const std::vector<Zone>* zones;
    int32_t a, b;
  };
  const ZoneList zoneLists[3] = {{&zones, 0, 0}, {&zones2, 1, 0}, {&zones3, 1, 1}};
  for (const auto& list : zoneLists) {
    for (const Zone& zone : *list.zones) {
      consumer.zone(zone.position, zone.width, zone.kind, list.a, list.b, zone, zone.steps);
    }
  }
}

void StyleFlags::reset() {
  isBold = 0;
  isItalic = 0;
  isFixedPitch = 0;
  embedding = Embedding{};
  spareMap.clear();
}

void StyleTables::reset() {
  nameValue = 0;
  unicodeRanges.assign(128, false);
  codePageRanges.assign(64, false);
}

}  // namespace vn

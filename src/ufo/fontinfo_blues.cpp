// The blue arrays of "fontinfo.plist" as alignment zones, and what the native file makes
// of them: it holds the arrays built from the zones (BlueValues begin with the bottom
// zone at the baseline, or -20 0; OtherBlues hold the bottom zones elsewhere; each array
// has its limit; FamilyOtherBlues are sorted) and reads them back as zones, so a pair can
// come back in the other array of its kind, or not at all.
#include <array>
#include <map>

#include "model/blue_arrays.h"
#include "model/first_few.h"
#include "model/font.h"
#include "model/numbers.h"
#include "ufo/fontinfo_reader.h"

namespace ufo {

namespace {

// The four arrays, by index family * 2 + other.
constexpr std::array<const char*, 4> kBlueKeys = {"postscriptBlueValues", "postscriptOtherBlues",
                                                  "postscriptFamilyBlues", "postscriptFamilyOtherBlues"};
constexpr const char* kToBaseline = "a pair whose top edge is 0 is the bottom zone at the baseline";
constexpr const char* kAwayFromBaseline = "a first pair whose top edge is not 0 is a bottom zone away from the baseline";
constexpr const char* kFirstReadAsBottom =
    "FamilyBlues without a pair whose top edge is 0 begin with it, and a first pair is read back as a bottom zone";
constexpr const char* kPastLimits = "BlueValues hold at most 14 values and OtherBlues 10";
constexpr const char* kPastFamilyLimits = "FamilyBlues hold at most 14 values and FamilyOtherBlues 10, in ascending order";
constexpr const char* kDefaultPair = "BlueValues begin with a bottom zone whose top edge is 0, and none was given";
constexpr const char* kPairedAnew = "FamilyOtherBlues are written in ascending order, which pairs their values anew";

std::size_t arrayIndex(bool family, bool other) { return (family ? 2 : 0) + (other ? 1 : 0); }

std::string pairText(double low, double high) { return vn::formatNumber(low, 0) + " " + vn::formatNumber(high, 0); }

struct BackPair {
  double low = 0;
  double high = 0;
  bool matched = false;
};
using ArraysBack = std::array<std::vector<BackPair>, 4>;

// The arrays as a UFO written from the native file gives them: built from the zones, read
// back from the native file as zones, and built again.
ArraysBack arraysBack(const vn::FontHinting& hinting) {
  using Builder = std::int32_t (*)(const vn::FontHinting&, std::vector<double>&);
  constexpr std::array<Builder, 4> kBuilders = {vn::blueValues, vn::otherBlues, vn::familyBlues, vn::familyOtherBlues};
  vn::FontHinting trip;
  std::vector<double> values;
  for (std::size_t i = 0; i < kBuilders.size(); ++i) {
    kBuilders[i](hinting, values);
    vn::appendBlueZones(values, i % 2 == 0, i < 2 ? trip.zones2 : trip.zones3);
  }
  ArraysBack back;
  for (std::size_t i = 0; i < kBuilders.size(); ++i) {
    kBuilders[i](trip, values);
    for (std::size_t k = 0; k + 1 < values.size(); k += 2) back[i].push_back(BackPair{values[k], values[k + 1]});
  }
  return back;
}

bool take(std::vector<BackPair>& pairs, double low, double high) {
  for (BackPair& pair : pairs) {
    if (!pair.matched && pair.low == low && pair.high == high) return pair.matched = true;
  }
  return false;
}

}  // namespace

void FontInfoReader::readBlueZones(const std::vector<std::int32_t>& v, bool family, bool other) {
  const std::vector<double> values(v.begin(), v.end());
  for (std::size_t i = 0; i + 1 < values.size(); i += 2) {
    blueSources_.push_back(BlueSource{family, other, other || i == 0, values[i], values[i + 1]});
  }
  if (values.size() % 2 != 0) {
    unpairedBlues_.push_back(std::string(kBlueKeys[arrayIndex(family, other)]) + " " + vn::formatInteger(v.back()));
  }
  vn::appendBlueZones(values, !other, family ? font_->hinting.zones3 : font_->hinting.zones2);
}

void FontInfoReader::noteBlueChanges() {
  ArraysBack back = arraysBack(font_->hinting);
  // Pairs back in their own array first, so that none of them counts as moved.
  std::vector<bool> kept;
  for (const BlueSource& source : blueSources_) {
    kept.push_back(take(back[arrayIndex(source.family, source.other)], source.low, source.high));
  }
  std::map<std::size_t, std::vector<std::string>> leftOut;
  for (std::size_t i = 0; i < blueSources_.size(); ++i) {
    if (kept[i]) continue;
    const BlueSource& source = blueSources_[i];
    const std::size_t from = arrayIndex(source.family, source.other);
    const std::size_t to = arrayIndex(source.family, !source.other);
    const std::string pair = pairText(source.low, source.high);
    if (!take(back[to], source.low, source.high)) {
      leftOut[from].push_back(pair);
      continue;
    }
    const char* why = source.other ? kToBaseline : source.bottom ? kAwayFromBaseline : kFirstReadAsBottom;
    changed(std::string(kBlueKeys[from]) + " " + pair + " moved to " + kBlueKeys[to] + " (" + why + ")");
  }
  for (const auto& [index, pairs] : leftOut) {
    changed(std::string(kBlueKeys[index]) + " " + vn::firstFewWithCount(pairs) + " left out (" +
            (index < 2 ? kPastLimits : kPastFamilyLimits) + ")");
  }
  for (const std::string& unpaired : unpairedBlues_) changed(unpaired + " left out (a number without its pair)");
  for (std::size_t i = 0; i < back.size(); ++i) {
    for (const BackPair& pair : back[i]) {
      if (pair.matched) continue;
      const bool defaultPair = i == 0 && pair.low == vn::kDefaultBlueBottom && pair.high == 0;
      const char* why = defaultPair ? kDefaultPair : i == 3 ? kPairedAnew : nullptr;
      changed(std::string(kBlueKeys[i]) + " " + pairText(pair.low, pair.high) + " added" +
              (why ? std::string(" (") + why + ")" : std::string()));
    }
  }
}

}  // namespace ufo

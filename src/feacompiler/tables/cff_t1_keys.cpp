// The Type 1 parser's key table: the names of a font program it knows, and for the keys
// that become CFF DICT operators, their handler, operator and default.
#include <algorithm>
#include <array>
#include <cstring>

#include "feacompiler/tables/cff_context.h"

namespace fea {

namespace {

using H = T1Handler;
constexpr uint8_t kEsc = 12;

// Indexed by key id 0..43.
constexpr T1KeySlot kSlots[kT1SlotCount] = {
    {H::kString, {0, 0}, nullptr},             // version
    {H::kString, {1, 0}, nullptr},             // Notice
    {H::kString, {2, 0}, nullptr},             // FullName
    {H::kString, {3, 0}, nullptr},             // FamilyName
    {H::kString, {4, 0}, nullptr},             // Weight
    {H::kArray, {5, 0}, nullptr},              // FontBBox
    {H::kDelta, {6, 0}, nullptr},              // BlueValues
    {H::kDelta, {7, 0}, nullptr},              // OtherBlues
    {H::kDelta, {8, 0}, nullptr},              // FamilyBlues
    {H::kDelta, {9, 0}, nullptr},              // FamilyOtherBlues
    {H::kArray, {10, 0}, nullptr},             // StdHW
    {H::kArray, {11, 0}, nullptr},             // StdVW
    {H::kNumber, {13, 0}, nullptr},            // UniqueID
    {H::kArray, {14, 0}, nullptr},             // XUID
    {H::kString, {kEsc, 0}, nullptr},          // Copyright
    {H::kBoolean, {kEsc, 1}, "false"},         // isFixedPitch
    {H::kNumber, {kEsc, 2}, "0"},              // ItalicAngle
    {H::kNumber, {kEsc, 3}, "-100"},           // UnderlinePosition
    {H::kNumber, {kEsc, 4}, "50"},             // UnderlineThickness
    {H::kNumber, {kEsc, 5}, "0"},              // PaintType
    {H::kArray, {kEsc, 7}, nullptr},           // FontMatrix
    {H::kNumber, {kEsc, 8}, "0"},              // StrokeWidth
    {H::kNumber, {kEsc, 9}, "0.039625"},       // BlueScale
    {H::kNumber, {kEsc, 10}, "7"},             // BlueShift
    {H::kNumber, {kEsc, 11}, "1"},             // BlueFuzz
    {H::kDelta, {kEsc, 12}, nullptr},          // StemSnapH
    {H::kDelta, {kEsc, 13}, nullptr},          // StemSnapV
    {H::kBoolean, {kEsc, 14}, "false"},        // ForceBold
    {H::kNumber, {kEsc, 15}, "0"},             // ForceBoldThreshold
    {H::kNumber, {kEsc, 16}, nullptr},         // lenIV
    {H::kNumber, {kEsc, 17}, "0"},             // LanguageGroup
    {H::kNumber, {kEsc, 18}, "0.06"},          // ExpansionFactor
    {H::kNumber, {kEsc, 19}, "0"},             // initialRandomSeed
    {H::kString, {kEsc, 21}, nullptr},         // PostScript
    {H::kString, {kEsc, 22}, nullptr},         // BaseFontName
    {H::kDelta, {kEsc, 23}, nullptr},          // BaseFontBlend
    {H::kROS, {kEsc, 30}, nullptr},            // Registry
    {H::kROS, {kEsc, 30}, nullptr},            // Ordering
    {H::kROS, {kEsc, 30}, nullptr},            // Supplement
    {H::kNumber, {kEsc, 31}, "0"},             // CIDFontVersion
    {H::kNumber, {kEsc, 32}, "0"},             // CIDFontRevision
    {H::kNumber, {kEsc, 33}, nullptr},         // CIDFontType
    {H::kNumber, {kEsc, 34}, "8720"},          // CIDCount
    {H::kNumber, {kEsc, 35}, nullptr},         // UIDBase
};

// In id order; ids 44..68 are structural keys, the rest have no DICT value.
constexpr T1KeyName kNames[kT1NameCount] = {
    {"version", 0}, {"Notice", 1}, {"FullName", 2}, {"FamilyName", 3}, {"Weight", 4},
    {"FontBBox", 5}, {"BlueValues", 6}, {"OtherBlues", 7}, {"FamilyBlues", 8},
    {"FamilyOtherBlues", 9}, {"StdHW", 10}, {"StdVW", 11}, {"UniqueID", 12}, {"XUID", 13},
    {"Copyright", 14}, {"isFixedPitch", 15}, {"ItalicAngle", 16}, {"UnderlinePosition", 17},
    {"UnderlineThickness", 18}, {"PaintType", 19}, {"FontMatrix", 20}, {"StrokeWidth", 21},
    {"BlueScale", 22}, {"BlueShift", 23}, {"BlueFuzz", 24}, {"StemSnapH", 25},
    {"StemSnapV", 26}, {"ForceBold", 27}, {"ForceBoldThreshold", 28}, {"lenIV", 29},
    {"LanguageGroup", 30}, {"ExpansionFactor", 31}, {"initialRandomSeed", 32},
    {"PostScript", 33}, {"BaseFontName", 34}, {"BaseFontBlend", 35}, {"Registry", 36},
    {"Ordering", 37}, {"Supplement", 38}, {"CIDFontVersion", 39}, {"CIDFontRevision", 40},
    {"CIDFontType", 41}, {"CIDCount", 42}, {"UIDBase", 43},
    {"FontName", 44}, {"Encoding", 45}, {"Private", 46}, {"CharStrings", 47}, {"Subrs", 48},
    {"FDArray", 49}, {"FontInfo", 50}, {"FontType", 51}, {"CIDFontName", 52},
    {"CIDMapOffset", 53}, {"FDBytes", 54}, {"GDBytes", 55}, {"SubrMapOffset", 56},
    {"SDBytes", 57}, {"SubrCount", 58}, {"CIDSystemInfo", 59}, {"BlendAxisTypes", 60},
    {"BlendDesignPositions", 61}, {"BlendDesignMap", 62}, {"WeightVector", 63}, {"NDV", 64},
    {"CDV", 65}, {"MinFeature", 66}, {"password", 67}, {"Blend", 68},
    {"RD", kT1NoValue}, {"-|", kT1NoValue}, {"ND", kT1NoValue}, {"|-", kT1NoValue},
    {"NP", kT1NoValue}, {"|", kT1NoValue}, {"OtherSubrs", kT1NoValue},
    {"readonly", kT1NoValue}, {"def", kT1NoValue}, {"dup", kT1NoValue}, {"put", kT1NoValue},
    {"begin", kT1NoValue}, {"end", kT1NoValue}, {"dict", kT1NoValue}, {"array", kT1NoValue},
    {"currentdict", kT1NoValue}, {"currentfile", kT1NoValue}, {"eexec", kT1NoValue},
    {"closefile", kT1NoValue}, {"definefont", kT1NoValue}, {"known", kT1NoValue},
    {"exch", kT1NoValue}, {"index", kT1NoValue}, {"if", kT1NoValue}, {"ifelse", kT1NoValue},
    {"noaccess", kT1NoValue}, {"executeonly", kT1NoValue}, {"StandardEncoding", kT1NoValue},
};

const std::array<T1KeyName, kT1NameCount>& sortedNames() {
  static const std::array<T1KeyName, kT1NameCount> table = [] {
    std::array<T1KeyName, kT1NameCount> t{};
    std::copy(std::begin(kNames), std::end(kNames), t.begin());
    std::sort(t.begin(), t.end(), [](const T1KeyName& a, const T1KeyName& b) {
      return std::strcmp(a.name, b.name) < 0;
    });
    return t;
  }();
  return table;
}

constexpr const char* kHintChecks[kHintCheckCount] = {
    "stem/stem3 conflict (resolved)",
    "negative non-edge stem width (fixed)",
    "negative non-edge stem width (can't fix)",
    "consecutive hint substitutions (collapsed)",
    "hint overlap",
    "repeat hint substitution (discarded)",
    "unhinted",
    "inconsistent flex",
    "non-perpendicular flex",
    "suspect flex args",
    "no move after closepath (inserted)",
    "moveto precedes closepath (discarded)",
    "moveto sequence (collapsed)",
    "argcnt != 22 (12 callother)",
    "illegal setcurrentpt (converted to move)",
    "sbw with vertical width (ignored)",
};

}  // namespace

const T1KeyName* t1KeyNames() { return sortedNames().data(); }
const T1KeySlot* t1KeySlots() { return kSlots; }

int t1KeyId(const char* name) {
  const auto& t = sortedNames();
  auto it = std::lower_bound(t.begin(), t.end(), name, [](const T1KeyName& e, const char* n) {
    return std::strcmp(e.name, n) < 0;
  });
  return it != t.end() && std::strcmp(it->name, name) == 0 ? it->id : -1;
}

const char* hintCheckText(int kind) {
  return kind >= 0 && kind < kHintCheckCount ? kHintChecks[kind] : nullptr;
}

}  // namespace fea

// Feature parameters in the layout XML document: one element per kind inside `Feature`,
// before the lookup references, holding one empty tag per fixed field (attribute `value`)
// and, for character variants, one `Character` tag per character.
#pragma once

#include <array>
#include <cstring>
#include <string_view>

#include "layout/feature_params.h"

namespace otl::xml_params {

struct Element {
  FeatureParams::Kind kind;
  const char* name;
  std::array<const char*, 6> fields;  // the kind's fixed fields in binary order
};

inline constexpr Element kElements[] = {
    {FeatureParams::Kind::kSize, "FeatureParamsSize",
     {"DesignSize", "SubfamilyID", "SubfamilyNameID", "RangeStart", "RangeEnd", nullptr}},
    {FeatureParams::Kind::kStylisticSet, "FeatureParamsStylisticSet", {"Version", "UINameID"}},
    {FeatureParams::Kind::kCharacterVariant, "FeatureParamsCharacterVariants",
     {"Format", "FeatUILabelNameID", "FeatUITooltipTextNameID", "SampleTextNameID", "NumNamedParameters",
      "FirstParamUILabelNameID"}},
};

inline constexpr const char* kCharacter = "Character";
inline constexpr const char* kCharCount = "CharCount";

inline const Element* elementOf(FeatureParams::Kind kind) {
  for (const auto& e : kElements) {
    if (e.kind == kind) return &e;
  }
  return nullptr;
}

inline const Element* elementNamed(std::string_view name) {
  for (const auto& e : kElements) {
    if (name == e.name) return &e;
  }
  return nullptr;
}

// Position of a field name within the element; -1 when it is none of its fields.
inline int fieldIndex(const Element& element, std::string_view name) {
  for (size_t i = 0; i < element.fields.size(); ++i) {
    if (element.fields[i] && name == element.fields[i]) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace otl::xml_params

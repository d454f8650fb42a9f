// Parameters that a few features carry beside their lookups: the design size and range
// of 'size', the UI name of a stylistic set 'ss01'-'ss20', the labels and characters of a
// character variant 'cv01'-'cv99'. Other features have none.
#pragma once

#include <cstdint>
#include <vector>

#include "layout/ot/tag.h"

namespace ot {
class BinaryReader;
class BinaryWriter;
}  // namespace ot

namespace otl {

struct FeatureParams {
  enum class Kind : uint8_t { kNone, kSize, kStylisticSet, kCharacterVariant };

  // The kind a feature of this tag may carry; kNone for every other tag.
  static Kind kindOf(const ot::Tag& feature);
  // Fixed 16-bit fields of a kind: size 5, stylistic set 2, character variant 6.
  static size_t fieldCount(Kind kind);

  Kind kind = Kind::kNone;
  // size: design size (decipoints), subfamily id, subfamily name id, range start, range end.
  // Stylistic set: version, UI name id. Character variant: format, label, tooltip and
  // sample-text name ids, named-parameter count, first parameter label name id.
  std::vector<uint16_t> fields;
  std::vector<uint32_t> characters;  // character variant: 24-bit Unicode values

  bool empty() const { return kind == Kind::kNone; }
  bool operator==(const FeatureParams&) const = default;

  // Reads the parameters of a feature tagged `feature` at `offset` of the reader's span.
  // Tags without parameters read nothing. A malformed block throws ot::Exception code 2.
  void readBinary(ot::BinaryReader& reader, size_t offset, const ot::Tag& feature);
  // A 'size' block that a design size of 0 or an inverted range shows to be misplaced.
  bool plausible() const;
  void writeBinary(ot::BinaryWriter& writer) const;
  // The name ids the parameters refer to (strings the layout does not hold).
  std::vector<uint16_t> nameIds() const;
};

}  // namespace otl

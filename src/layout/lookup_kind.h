// The tables a lookup belongs to and the model's lookup kinds. A kind's number is its
// type code: the feature writer prints it in the lookup list ("type 14"), so the
// numbers stay as they are (GPOS kinds keep their binary type, GSUB kinds add ten).
#pragma once

#include <cstdint>

namespace otl {

// Table ids.
inline constexpr uint32_t kTableGsub = 1;
inline constexpr uint32_t kTableGpos = 2;
inline constexpr uint32_t kTableGdef = 3;

enum LookupKind : uint32_t {
  kNoLookupKind = 0,
  kGposSingle = 1,
  kGposPair = 2,
  kGposCursive = 3,
  kGposMarkToBase = 4,
  kGposMarkToLigature = 5,
  kGposMarkToMark = 6,
  kGposContext = 7,
  kGposChainedContext = 8,
  kGposExtension = 9,
  kGsubSingle = 11,
  kGsubMultiple = 12,
  kGsubAlternate = 13,
  kGsubLigature = 14,
  kGsubContext = 15,
  kGsubChainedContext = 16,
  kGsubExtension = 17,
  kGsubReverseChainedContext = 18,
};

}  // namespace otl

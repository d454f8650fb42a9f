// Sub-streams of the font-information block (number-coded payloads): TrueType stem
// records, TrueType zones and their steps, the triplet list, the style record, the
// name records and the discarded table. Every decoder is true when it did not run
// past the end of its payload, except where noted.
#pragma once

#include <cstdint>
#include <list>
#include <vector>

#include "model/font_info.h"

namespace qtf {

class Stream;

// Longest stem name the 1269 record carries.
inline constexpr size_t kMaxStemName = 63;
// Longest text of a name record (1141).
inline constexpr size_t kMaxNameRecordText = 63;

// 1266: per stem of stemsH then stemsV, steps 2 and 3.
bool encodeStemPairSteps(Stream& out, const vn::FontHinting& hinting);
[[nodiscard]] bool decodeStemPairSteps(Stream& in, vn::FontHinting& hinting);
// 1268: steps 2, 3, 4, 5.
bool encodeStemSteps(Stream& out, const vn::FontHinting& hinting);
[[nodiscard]] bool decodeStemSteps(Stream& in, vn::FontHinting& hinting);
// 1269: width, name (at most 63 bytes: longer names are cut when writing and fail
// when reading), step 6.
bool encodeStemNames(Stream& out, const vn::FontHinting& hinting);
[[nodiscard]] bool decodeStemNames(Stream& in, vn::FontHinting& hinting);
// 1524: step 1 of every stem, without counts.
bool encodeStemFirstStep(Stream& out, const vn::FontHinting& hinting);
[[nodiscard]] bool decodeStemFirstStep(Stream& in, vn::FontHinting& hinting);

// 1255: the top zones, then the bottom zones, each group counted.
bool encodeZones(Stream& out, const vn::FontHinting& hinting);
[[nodiscard]] bool decodeTrueTypeZones(Stream& in, vn::FontHinting& hinting);
// The zones in the numbering of record 1273 (bottom zones, then top zones), kept
// from one record to the next: many small 1273 records cost no rescans of the zones.
class ZoneStepOrder {
 public:
  // Rebuilt when the zone list has grown or moved since the last call.
  const std::vector<vn::Zone*>& of(vn::FontHinting& hinting);

 private:
  std::vector<vn::Zone*> zones_;
  const vn::Zone* data_ = nullptr;
  size_t size_ = 0;
  bool built_ = false;
};

// 1273: (zone index, step key, value) triplets; bottom zones are numbered first.
bool encodeZoneSteps(Stream& out, const vn::FontHinting& hinting);
[[nodiscard]] bool decodeZoneSteps(Stream& in, vn::FontHinting& hinting, ZoneStepOrder& order);

// 1271
bool encodeTripletList(Stream& out, const vn::FontHinting& hinting);
[[nodiscard]] bool decodeTripletList(Stream& in, vn::FontHinting& hinting);

// 1136: the fields of the extra record; the reader marks it absent when the
// payload was too short to hold them.
bool encodeStyleRecord(Stream& out, const vn::ExtraRecord& record);
[[nodiscard]] bool decodeStyleRecord(Stream& in, vn::ExtraRecord& record);

// 1141
bool encodeNameRecords(Stream& out, const std::list<vn::NameRecord>& records);
[[nodiscard]] bool decodeNameRecords(Stream& in, std::list<vn::NameRecord>& records);
// 1138: read and dropped.
[[nodiscard]] bool decodeDiscardedTable(Stream& in);

// A zone is written as a top zone when its kind is not 0 (it is read back as kind 1).
inline bool isTopZone(const vn::Zone& zone) { return zone.kind != 0; }

}  // namespace qtf

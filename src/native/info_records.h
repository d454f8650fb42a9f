// The font-information block (257 ... 513), the metrics block (271 ... 527) with the
// design-space records, the per-master kerning block (272 ... 528) and the glyph-level
// sub-streams that share their number coding, in both directions.
//
// Reading: the record loop calls readFontInfoBlock right after it has read the
// header of record 257, readMetricsBlock right after 271 and readKerningBlock272
// right after 272; each reads the following records itself, up to and including
// its closing record. What the blocks leave for the rest of the read (master count,
// feature text, class definitions and flags, design space) stays in InfoReadState,
// which the reader keeps for the whole read.
//
// Writing: the writer calls writeFontInfoBlock and then writeMetricsBlock on its
// RecordWriter (native/writer_records.h).
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "model/design_space.h"
#include "model/numbers.h"

namespace vn {
class Font;
class Style;
class TrueTypeData;
class Glyph;
}  // namespace vn

namespace qtf {

class RecordInput;
class RecordWriter;
class Stream;

// The file keeps the underline's top edge, the model its centre; they differ by half
// the thickness in whole units, so that an odd thickness does not leave the centre
// half a unit off on the way back.
inline int32_t underlineHalfThickness(double thickness) {
  return static_cast<int16_t>(vn::saturateInt32(thickness)) / 2;
}

// One design record of the metrics block (records 1247 and 1254).
struct DesignRecord {
  std::string name;
  std::array<double, 4> values{};
};

// A per-master kerning value by glyph indexes (block 272).
struct IndexedKerning {
  uint32_t first = 0;
  uint32_t second = 0;
  double value = 0.0;
};

// State of one read that the information blocks fill and the rest of the read uses.
struct InfoReadState {
  // Number of masters (record 1503); 1 until set.
  int32_t masterCount = 1;
  // Line gaps and the TrueType units per em (records 1270 and 1264).
  double hheaLineGap = 0.0;
  double os2LineGap = 0.0;
  double headUnitsPerEm = 0.0;

  // Feature-file text of record 1276 (the last one wins).
  bool hasFeatureText = false;
  std::string featureText;
  // Class definitions of records 1277: name -> member text.
  std::map<std::string, std::string> classDefinitions;
  // Payload of record 2026, decoded at the end of the block into the two lists.
  std::vector<uint8_t> classFlagBytes;
  std::vector<std::string> firstSideClasses;
  std::vector<std::string> secondSideClasses;

  // Design space of the metrics block (1503 sizes the master records).
  vn::Axes axes;
  std::vector<DesignRecord> designRecords;

  // ---- working data of the font-information block
  // Held texts of 1024, 1026, 1027, 1056, 1127, 1137 (A to F).
  std::array<std::string, 6> heldTexts;
  int32_t versionMajor = 1;
  int32_t versionMinor = 0;
  // ---- working data of the metrics block
  std::vector<uint32_t> mappingPointCounts;
  uint32_t currentMaster = 0;
};

// Reads the records after 257 up to and including 513, then runs the end of the
// block. False when a record cannot be read or fails its checks (the model keeps
// what earlier records set) or when the stream is no longer good afterwards.
[[nodiscard]] bool readFontInfoBlock(RecordInput& in, Stream& payload, InfoReadState& state, vn::Font& font,
                       vn::Style& style);

// Reads the records after 271 up to and including 527, decoding the 1536 record of
// the selected master. False on a read failure or a broken design-space sequence.
[[nodiscard]] bool readMetricsBlock(RecordInput& in, Stream& payload, InfoReadState& state, vn::Font& font,
                      vn::Style& style, uint32_t selectedMaster);

// Reads the records after 272 up to and including 528, appending the selected
// master's value of every 1410 record.
[[nodiscard]] bool readKerningBlock272(RecordInput& in, const InfoReadState& state, uint32_t selectedMaster,
                         std::vector<IndexedKerning>& out);

// ---- glyph-level sub-streams (inside glyph records)

// Glyph key 9: the TrueType outline sub-stream. Always true.
[[nodiscard]] bool decodeTrueTypeGlyph(Stream& in, vn::TrueTypeData& data);
bool encodeTrueTypeGlyph(Stream& out, const vn::TrueTypeData& data);
// pairCount pairs (advance width, advance height); the selected one is kept.
[[nodiscard]] bool decodeMasterPair(Stream& in, vn::Glyph& glyph, int32_t pairCount, uint32_t selectedMaster);
// Record 2009's weight list: count, then each weight times 100000000.
[[nodiscard]] bool decodeMasterWeights(Stream& in, std::vector<double>& weights);
bool encodeMasterWeights(Stream& out, const std::vector<double>& weights);

// ---- writing

// What the writer prepared for the end of the font-information block.
struct FontInfoExtras {
  // Record 2026 (not written when empty).
  std::vector<uint8_t> kerningClassBlock;
  // Records 1277, in this order: "name: definition".
  std::vector<std::pair<std::string, std::string>> classDefinitions;
  // Record 1276, when present.
  bool hasFeatureText = false;
  std::string featureText;
};

// Records 257 ... 513 in the writer's order. False when the output goes bad.
bool writeFontInfoBlock(RecordWriter& out, const vn::Font& font, const vn::Style& style,
                        const FontInfoExtras& extras);
// Records 271, 1536 and 527. False when the output goes bad.
bool writeMetricsBlock(RecordWriter& out, const vn::Font& font, const vn::Style& style);

}  // namespace qtf

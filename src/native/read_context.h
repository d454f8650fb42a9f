// What every record reader of a native file works on: the file stream, the payload
// stream, the pair being filled, the selected master and the state that records
// leave behind for later records and for the finishing steps.
#pragma once

#include <cstdint>
#include <vector>

#include "model/font_info.h"
#include "native/info_records.h"
#include "native/record_framing.h"
#include "native/stream/stream.h"

namespace vn {
class Font;
class Style;
}  // namespace vn

namespace qtf {

// Kerning values by glyph index, resolved to names after the read.
using PendingKerning = IndexedKerning;

struct ReadContext {
  RecordInput& input;
  Stream& payload;
  vn::Font& font;
  vn::Style& style;
  InfoReadState& state;
  const vn::ImportOptions& options;
  uint32_t master = 0;  // the selected master
  // Kerning values by glyph index (glyph records and record 272).
  std::vector<PendingKerning>& pendingKerning;
};

}  // namespace qtf

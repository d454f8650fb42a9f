// PostScript stem hints of a glyph as the "hintSetList" text of the glyph lib entry
// "com.adobe.type.autohint": one hint set per hint-replacement point, three evenly
// spaced stems of equal outer widths written as one "hstem3" / "vstem3" entry.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/geometry.h"

namespace vn {
class Layer;
}

namespace ufo {

struct HintSetStem {
  double position = 0.0;
  double width = 0.0;
  std::string name;
};

struct HintSetEntry {
  enum Kind : int32_t {
    kHorizontalStem = 1,
    kVerticalStem = 3,
    kEnd = 11,
    kVerticalStem3 = 1001,
    kHorizontalStem3 = 1002,
  };
  int32_t kind = kEnd;
  std::vector<double> values;
};

class HintSetWriter {
 public:
  // Fills the entries from the layer's hints at the given indexes (indexes outside
  // the hint list are skipped). The offset flag subtracts the left edge of the
  // layer's box from vertical stems.
  void collect(const vn::Layer& layer, const std::vector<int32_t>& horizontal,
               const std::vector<int32_t>& vertical, bool offset);
  // collect() over every hint of the layer, split by direction.
  void collectAll(const vn::Layer& layer, bool offset);
  // The text of one hint set, each line ended by a line feed.
  std::string writeHintSet(const std::string& pointTag) const;

  const std::vector<HintSetEntry>& entries() const { return entries_; }

 private:
  vn::Matrix matrix_;
  std::vector<HintSetStem> horizontal_;
  std::vector<HintSetStem> vertical_;
  std::vector<HintSetEntry> entries_;
};

// The whole hint-set list of a layer, framed by "  <hintSetList>" and
// "  </hintSetList>"; empty for a layer without hints. Names the layer's
// hint-replacement points first, so the glyph file carries the names the sets use.
std::string hintSetListText(vn::Layer& layer);

}  // namespace ufo

// The budget of records the layout model may hold (layout/ot/limits.h): the binary reader,
// the layout XML reader and the feature-file compiler charge what they keep against it.
#pragma once

#include <cstdint>
#include <string>

#include "layout/ot/limits.h"

namespace ot {

class ModelBudget {
 public:
  // Takes `records` from what is left; false (and nothing taken) when they do not fit.
  [[nodiscard]] bool take(uint64_t records) {
    if (records > left_) return false;
    left_ -= records;
    return true;
  }
  uint64_t left() const { return left_; }
  // What a refused lookup took goes back: the model does not keep it.
  void restore(uint64_t left) { left_ = left; }

 private:
  uint64_t left_ = limits::kMaxModelRecords;
};

// Why a lookup is refused: "its records would pass the budget of 3000000 records the layout
// model may hold (a glyph pair counts as 7)".
const std::string& modelBudgetPassed();

}  // namespace ot

#include "layout/ot/model_budget.h"

namespace ot {

const std::string& modelBudgetPassed() {
  static const std::string text = "its records would pass the budget of " + std::to_string(limits::kMaxModelRecords) +
                                  " records the layout model may hold (a glyph pair counts as " +
                                  std::to_string(limits::kRecordsPerPair) + ")";
  return text;
}

}  // namespace ot

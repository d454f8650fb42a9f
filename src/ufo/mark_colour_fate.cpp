#include "ufo/mark_colour_fate.h"

#include <cmath>
#include <optional>

#include "ufo/lib_writer.h"
#include "ufo/reader_text.h"
#include "ufo/reader_warnings.h"

namespace ufo {

namespace {

// Colours are read in single precision and written with three decimals; a difference
// below this is no change.
constexpr double kSameChannel = 1e-6;

}  // namespace

MarkColourFate markColourFate(const MarkColour& given, std::int32_t mark) {
  if (mark == 0) return MarkColourFate::kLost;
  const auto written = markColorArray(mark);
  std::size_t index = 0;
  for (const PListNode* channel = written->firstChild(); channel && index < given.size();
       channel = channel->next(), ++index) {
    const std::optional<double> back = readReal(channel->value());
    if (!back || !(std::fabs(*back - given[index]) < kSameChannel)) return MarkColourFate::kChanged;
  }
  return MarkColourFate::kKept;
}

void noteMarkColour(ReadWarnings& warnings, const std::string& glyph, MarkColourFate fate) {
  if (fate == MarkColourFate::kChanged) {
    warnings.list(warning::kMarkColoursChanged, warning::kMarkColoursChangedLine, glyph);
  } else if (fate == MarkColourFate::kLost) {
    warnings.list(warning::kMarkColoursLost, warning::kMarkColoursLostLine, glyph);
  }
}

}  // namespace ufo

// Font metrics as a native file gives them back: it holds whole units (some cut toward
// zero, some rounded, some in 16 bits), so a UFO's fractional xHeight or line gap comes
// back otherwise than given. The fontinfo changes line names each such value with what
// comes back.
#pragma once

#include "model/font_info.h"

namespace ufo {

// The metrics a native file written from `given` reads back as: the fields and the
// named numbers it carries in whole units; everything else as given.
vn::FontMetrics heldMetrics(const vn::FontMetrics& given);

}  // namespace ufo

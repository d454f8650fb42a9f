// Bounds on what a hostile document can make the XML parser do. Constants only.
#pragma once

namespace xml {

// Elements nested deeper than this end the parse with a failure.
inline constexpr int kMaxElementDepth = 1024;

}  // namespace xml

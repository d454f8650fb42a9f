// The layout model's kerning routes for the native writer.
#pragma once

#include "native/kerning_classes.h"

namespace qtf {

// The process-wide routes over the layout model (given-groups engine, "kern" feature).
KerningLayoutRoutes& layoutKerningRoutes();
// Makes convertKerningClasses use them.
inline void installLayoutKerningRoutes() { setKerningLayoutRoutes(&layoutKerningRoutes()); }

}  // namespace qtf

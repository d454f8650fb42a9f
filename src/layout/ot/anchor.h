// Anchor tables (formats 1 to 3): the binary form of otl::AnchorTable.
#pragma once

#include "layout/records.h"

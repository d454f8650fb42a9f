// GPOS ValueRecords: the binary form of otl::GPosValue.
#pragma once

#include "layout/records.h"

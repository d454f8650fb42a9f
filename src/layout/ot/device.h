// Device tables (DeltaFormat 1 to 3): the binary form of otl::DeviceTable.
#pragma once

#include "layout/records.h"

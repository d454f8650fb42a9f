// ClassDef tables (formats 1 and 2): the binary form of otl::ClassDefinitionTable, whose
// read and write members live in class_def.cpp.
#pragma once

#include "layout/records.h"

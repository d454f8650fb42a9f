// The glyph index <-> registry id map lives with the registry; layout code includes it here.
#pragma once

#include "layout/registry/glyph_id_map.h"

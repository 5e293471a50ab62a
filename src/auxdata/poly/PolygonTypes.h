#pragma once
#include "data/DataTypeRegistry.h"

namespace qv {
// The rows of polygon models: pmd, pmx, mqo and wrl, all type 5. The character-model formats
// and the scene files are stored y-up and get y and z exchanged; mqo files are mapped when read.
void RegisterPolygonTypes(DataTypeRegistry& registry);
}  // namespace qv

#pragma once
// The lattice event data's row of the data-type table ("lmc", type 4).
#include <string>

#include "auxdata/lmc/LMC_Holder.h"
#include "data/DataTypeRegistry.h"

namespace qv {

void RegisterLatticeTypes(DataTypeRegistry& registry);

// The entry's holder when it is lattice event data, else null.
LMC_Holder* LatticeOf(const LawData& entry);

// What went wrong with a load, in words ("" when it loaded cleanly); one line each,
// every line ending in '\n'. Warnings about what loaded come after `code` 0 too.
std::string LatticeLoadReport(const LMC_Holder& holder, int code, const std::string& path);

}  // namespace qv

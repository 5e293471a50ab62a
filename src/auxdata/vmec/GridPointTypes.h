#pragma once
// The gridded point data's row of the data-type table ("vmec", type 6).
#include <string>

#include "auxdata/vmec/VMEC_Repository.h"
#include "data/DataTypeRegistry.h"

namespace qv {

void RegisterGridPointTypes(DataTypeRegistry& registry);

// The entry's repository when it holds gridded point data, else null.
VMEC_Repository* GridPointsOf(const LawData& entry);

// Why a load failed, in one line ending in '\n' ("" when it loaded).
std::string GridPointsLoadReport(const VMEC_Repository& repo, int code, const std::string& path);

}  // namespace qv

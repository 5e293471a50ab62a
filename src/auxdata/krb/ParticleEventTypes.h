#pragma once
// The particle event records' row of the data-type table ("krb", type 7).
#include <string>

#include "auxdata/krb/KRB_Reader.h"
#include "data/DataTypeRegistry.h"

namespace qv {

void RegisterParticleEventTypes(DataTypeRegistry& registry);

// The entry's reader when it holds particle event records, else null.
KRB_Reader* ParticleEventsOf(const LawData& entry);

// The load's outcome in words, one line each ending in '\n' ("" for a clean load).
std::string ParticleEventsLoadReport(const KRB_Reader& reader, int code, const std::string& path);

}  // namespace qv

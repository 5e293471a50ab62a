#pragma once
// The one registration call that tells the program which files it reads and how each kind
// of data set is drawn: the data-type table's rows and the scene builders by type code.

namespace qv {
// Fills DataTypeRegistry::Instance() and qv::scene::SceneBuilders::Instance(). Only the
// first call does anything.
void RegisterDataTypes();
}  // namespace qv
